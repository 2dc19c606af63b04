#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

// Test texts are written in UTF-8 in the sources and used as the system's GBK.
inline std::string gbk(std::string_view utf8) {
    return quenlo::codepage::utf8ToGbk(utf8);
}
