#include "edit/table_text.h"

#include <algorithm>

#include "data/data_set.h"
#include "toolkit/qt_text.h"
#include "toolkit/text_codec.h"

namespace edit {

namespace {
// An unbound control has no table; Latin-1 holds every byte of its text.
const toolkit::TextCodec& CodecOf(const data::TDataSet* dataSet) {
  static const std::shared_ptr<const toolkit::TextCodec> latin1 =
      toolkit::TextCodec::forCodePage(1252);
  return dataSet ? dataSet->textCodec() : *latin1;
}
}  // namespace

QString TableTextToScreen(const data::TDataSet* dataSet, std::string_view text) {
  return toolkit::tableTextToQString(CodecOf(dataSet), text);
}

std::optional<std::string> ScreenTextToTable(const data::TDataSet* dataSet, const QString& text,
                                             QString* error) {
  return toolkit::qStringToTableText(CodecOf(dataSet), text, error);
}

int TableOffset(const data::TDataSet* dataSet, const QString& text, int position) {
  position = std::clamp(position, 0, static_cast<int>(text.size()));
  std::optional<std::string> prefix = ScreenTextToTable(dataSet, text.left(position));
  return prefix ? static_cast<int>(prefix->size()) : position;
}

int ScreenPosition(const data::TDataSet* dataSet, std::string_view tableText, int offset) {
  offset = std::clamp(offset, 0, static_cast<int>(tableText.size()));
  return static_cast<int>(TableTextToScreen(dataSet, tableText.substr(0, offset)).size());
}

}  // namespace edit
