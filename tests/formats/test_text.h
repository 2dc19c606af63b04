#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

// Test sources are UTF-8; the system's texts are code page 936.
inline std::string gbk(std::string_view utf8) {
    return quenlo::codepage::utf8ToGbk(utf8);
}

#include <ostream>

#include "formats/contact.h"

namespace quenlo {
// Failures show contacts as UTF-8 text rather than raw object bytes.
inline void PrintTo(const Contact& c, std::ostream* os) {
    *os << "{\"" << codepage::gbkToUtf8(c.name) << "\", \"" << c.number << "\"}";
}
inline void PrintTo(const ReadProblem& p, std::ostream* os) {
    *os << "{line " << p.line << ": " << describe(p.kind) << "}";
}
}  // namespace quenlo
