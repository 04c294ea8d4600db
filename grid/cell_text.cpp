#include "cell_text.h"

#include "data/data_set.h"

namespace grid {

// Until the data set carries its table's code page, tables are read as
// Latin-1, which keeps every byte and shows Western tables right.
std::string screenText(const data::TDataSet* dataSet, std::string_view tableText) {
  return editorText(dataSet, tableText).toStdString();
}

QString editorText(const data::TDataSet*, std::string_view tableText) {
  return QString::fromLatin1(tableText.data(), static_cast<qsizetype>(tableText.size()));
}

bool tableText(const data::TDataSet*, const QString& text, std::string* out, QString* error) {
  for (QChar c : text) {
    if (c.unicode() > 0xff) {
      if (error)
        *error = QStringLiteral("The character '%1' cannot be stored in this table.").arg(c);
      return false;
    }
  }
  *out = text.toLatin1().toStdString();
  return true;
}

}  // namespace grid
