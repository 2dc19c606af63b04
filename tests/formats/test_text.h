#pragma once

#include <ostream>

#include "formats/contact.h"
#include "gbk.h"
#include "platform/codepage.h"

namespace quenlo {
// Failures show contacts as UTF-8 text rather than raw object bytes.
inline void PrintTo(const Contact& c, std::ostream* os) {
    *os << "{\"" << codepage::gbkToUtf8(c.name) << "\", \"" << c.number << "\"}";
}
inline void PrintTo(const ReadProblem& p, std::ostream* os) {
    *os << "{line " << p.line << ": " << describe(p.kind) << "}";
}
}  // namespace quenlo
