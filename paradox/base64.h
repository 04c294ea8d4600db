// Base64 (RFC 4648, with padding), for binary values in CSV files.
#pragma once

#include <string>
#include <string_view>

namespace pdx::tool {

void AppendBase64(std::string_view bytes, std::string* out);
// False for text that is not base64 (white space is not allowed either).
bool DecodeBase64(std::string_view text, std::string* bytes);

}  // namespace pdx::tool
