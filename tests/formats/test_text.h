#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

// Test sources are UTF-8; the system's texts are code page 936.
inline std::string gbk(std::string_view utf8) {
    return quenlo::codepage::utf8ToGbk(utf8);
}
