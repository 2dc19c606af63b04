#pragma once

#include <string_view>

// The bytes of the skin library and the skin file as they were built, compiled into the program's
// read-only data by a generated source.
namespace quenlo::skin::images {
extern const std::string_view library;
extern const std::string_view skinFile;
}  // namespace quenlo::skin::images
