#include "qt_text.h"

namespace toolkit {

QString tableTextToQString(const TextCodec& codec, std::string_view tableText) {
  const std::string utf8 = codec.toUtf8(tableText);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> qStringToTableText(const TextCodec& codec, const QString& text,
                                              QString* error) {
  const QByteArray utf8 = text.toUtf8();
  TextCodec::Encoded encoded =
      codec.fromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  if (!encoded.ok) {
    if (error != nullptr) *error = QString::fromStdString(encoded.message);
    return std::nullopt;
  }
  if (error != nullptr) error->clear();
  return std::move(encoded.text);
}

}  // namespace toolkit
