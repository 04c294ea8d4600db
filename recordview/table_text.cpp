#include "recordview/table_text.h"

namespace recordview {

// Until the data set names its code page, table text is taken byte for
// byte as Latin-1, which keeps every byte as it was stored.
QString ShownText(const std::string& tableText) {
  return QString::fromLatin1(tableText.data(), static_cast<qsizetype>(tableText.size()));
}

std::string TableText(const QString& shown) {
  return shown.toLatin1().toStdString();
}

}  // namespace recordview
