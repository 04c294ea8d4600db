#include "cell_text.h"

#include "data/data_set.h"
#include "toolkit/qt_text.h"
#include "toolkit/text_codec.h"

namespace grid {

namespace {

// A grid without a data set has no table text to show; Latin-1 keeps bytes.
QString Decode(const data::TDataSet* dataSet, std::string_view tableText) {
  if (!dataSet)
    return QString::fromLatin1(tableText.data(), static_cast<qsizetype>(tableText.size()));
  return toolkit::tableTextToQString(dataSet->textCodec(), tableText);
}

}  // namespace

std::string screenText(const data::TDataSet* dataSet, std::string_view tableText) {
  return Decode(dataSet, tableText).toStdString();
}

QString editorText(const data::TDataSet* dataSet, std::string_view tableText) {
  return Decode(dataSet, tableText);
}

bool tableText(const data::TDataSet* dataSet, const QString& text, std::string* out,
               QString* error) {
  if (!dataSet) {
    *out = text.toLatin1().toStdString();
    return true;
  }
  std::optional<std::string> bytes = toolkit::qStringToTableText(dataSet->textCodec(), text, error);
  if (!bytes) return false;
  *out = std::move(*bytes);
  return true;
}

}  // namespace grid
