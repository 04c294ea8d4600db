#include "edit/table_text.h"

#include <algorithm>

#include "data/data_set.h"

namespace edit {

// Until every data set carries its table's codec, text is taken as Latin-1,
// which holds every byte.
QString TableTextToScreen(const data::TDataSet*, std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> ScreenTextToTable(const data::TDataSet*, const QString& text,
                                             QString* error) {
  for (QChar c : text) {
    if (c.unicode() > 0xFF) {
      if (error) *error = QStringLiteral("The character %1 cannot be stored in this table.").arg(c);
      return std::nullopt;
    }
  }
  QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
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
