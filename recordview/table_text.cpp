#include "recordview/table_text.h"

#include <stdexcept>

#include "data/data_set.h"
#include "toolkit/qt_text.h"

namespace recordview {

QString ShownText(const data::TDataSet& dataSet, std::string_view tableText) {
  return toolkit::tableTextToQString(dataSet.textCodec(), tableText);
}

std::string TableText(const data::TDataSet& dataSet, const QString& shown) {
  QString error;
  std::optional<std::string> text = toolkit::qStringToTableText(dataSet.textCodec(), shown, &error);
  if (!text) throw std::runtime_error(error.toStdString());
  return *text;
}

}  // namespace recordview
