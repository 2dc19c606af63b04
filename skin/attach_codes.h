#pragma once

#include "skin/she_format.h"

// The results of the skin library's entry point SkinH_AttachEx. They cross a library boundary, so
// each keeps its number for good.
namespace quenlo::skin {

enum class AttachCode : int {
    attached = 0,
    noApplication = 1,   // no widget application is running on the calling thread
    unreadableFile = 2,  // the skin file cannot be opened or read
    notSkinFile = static_cast<int>(she::Problem::notSkinFile),
    unsupportedVersion = static_cast<int>(she::Problem::unsupportedVersion),
    damaged = static_cast<int>(she::Problem::damaged),
    incomplete = static_cast<int>(she::Problem::incomplete),
    failed = 7,  // anything else went wrong inside the library
};

}  // namespace quenlo::skin
