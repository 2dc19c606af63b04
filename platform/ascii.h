#pragma once

#include <string_view>

// Small ASCII text helpers for protocol and file-format words (header names, charset names, vCard
// properties). Only the letters A-Z and a-z are folded: bytes of code page 936 characters are
// compared as they are, whatever the process's locale.
namespace quenlo::ascii {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr char toUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// `s` without the spaces and tabs around it.
constexpr std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toUpper(a[i]) != toUpper(b[i])) return false;
    return true;
}

constexpr bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace quenlo::ascii
