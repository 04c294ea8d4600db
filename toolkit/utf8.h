// UTF-8 to code points and back, for the codec and its callers. Qt-free.
#pragma once

#include <string>
#include <string_view>

namespace toolkit {

std::string utf8Encode(char32_t c);
std::string utf8Encode(std::u32string_view characters);
// Malformed sequences become U+FFFD, one per byte that cannot start a character.
std::u32string utf8Decode(std::string_view utf8);
// False on malformed UTF-8 (overlong forms, surrogates, values past U+10FFFF,
// cut-off sequences): text typed or pasted is refused rather than guessed at.
bool utf8DecodeStrict(std::string_view utf8, std::u32string& characters);

}  // namespace toolkit
