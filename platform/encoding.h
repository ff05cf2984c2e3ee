#pragma once
// Narrow texts are GBK (code page 936), converted as GB18030 (its superset) so every
// character survives; the Traditional Chinese unit words are Big5. Conversions go through
// iconv; bytes that cannot be converted become U+FFFD (decoding) or '?' (encoding).

#include <string>
#include <string_view>

namespace kwz {

std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);
std::u16string gbkToUtf16(std::string_view gbk);
std::string utf16ToGbk(std::u16string_view utf16);
std::string big5ToUtf8(std::string_view big5);
std::string utf8ToBig5(std::string_view utf8);
std::u16string big5ToUtf16(std::string_view big5);
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

} // namespace kwz
