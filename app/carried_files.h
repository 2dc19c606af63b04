#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The bytes of the pictures, compiled into the program's read-only data by a generated source.
namespace quenlo::app::carried {
extern const std::string_view csvSheet, exit, dedupe, dice, csvToCard, eraser, wand, floppy, icon;
}  // namespace quenlo::app::carried

namespace quenlo::app {

// A file carried inside the executable: the button pictures and the window icon.
struct CarriedFile {
    std::string_view name;  // the file's name in app/pictures
    std::span<const std::uint8_t> bytes;
};

std::span<const CarriedFile> carriedFiles();

// The bytes of the carried file of that name; empty when there is none.
std::span<const std::uint8_t> carriedFile(std::string_view name);

}  // namespace quenlo::app
