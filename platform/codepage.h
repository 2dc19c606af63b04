#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Code page 936 text, the system's own, to and from Unicode.
//
// Encoding goes beyond plain code page 936: a character that the code page lacks is written in its
// GB18030 four-byte form instead of "?", and decoding accepts those forms, so no character of a
// person's name is ever lost on the way through the system. Bytes that are not valid input decode
// to U+FFFD and are counted in `invalid` when the caller asks.
namespace quenlo::codepage {

std::u16string gbkToUtf16(std::string_view gbk, std::size_t* invalid = nullptr);
std::string utf16ToGbk(std::u16string_view text, std::size_t* invalid = nullptr);

std::string gbkToUtf8(std::string_view gbk, std::size_t* invalid = nullptr);
std::string utf8ToGbk(std::string_view utf8, std::size_t* invalid = nullptr);

std::u16string utf8ToUtf16(std::string_view utf8, std::size_t* invalid = nullptr);
std::string utf16ToUtf8(std::u16string_view text, std::size_t* invalid = nullptr);

// True when `bytes` is well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view bytes);
// True when every byte is below 0x80.
bool isAscii(std::string_view bytes);

// Converts between any two character sets that iconv knows by name ("UTF-8", "GBK", "Big5", ...).
// "GBK", "GB2312", "CP936" and "GB18030" all mean the system's code page, with the rules above.
// Returns false, leaving `out` untouched, when either name is unknown.
bool convertCharset(std::string_view bytes, std::string_view fromCharset, std::string_view toCharset,
                    std::string& out, std::size_t* invalid = nullptr);

}  // namespace quenlo::codepage
