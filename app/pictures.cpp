#include "app/pictures.h"

#include "app/carried_files.h"

namespace quenlo::app {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view carried) {
    return {reinterpret_cast<const std::uint8_t*>(carried.data()), carried.size()};
}

}  // namespace

std::span<const CarriedFile> carriedFiles() {
    static const CarriedFile kFiles[] = {
        {"csv_sheet.png", bytesOf(carried::csvSheet)},
        {"exit.png", bytesOf(carried::exit)},
        {"dedupe.png", bytesOf(carried::dedupe)},
        {"dice.png", bytesOf(carried::dice)},
        {"csv_to_card.png", bytesOf(carried::csvToCard)},
        {"eraser.png", bytesOf(carried::eraser)},
        {"wand.png", bytesOf(carried::wand)},
        {"floppy.png", bytesOf(carried::floppy)},
        {"icon.ico", bytesOf(carried::icon)},
    };
    return kFiles;
}

std::span<const std::uint8_t> carriedFile(std::string_view name) {
    for (const CarriedFile& file : carriedFiles())
        if (file.name == name) return file.bytes;
    return {};
}

ui::Image decodePicture(std::string_view name, std::span<const std::uint8_t> bytes, std::ostream& errors) {
    const bool icon = name.ends_with(".ico");
    ui::DecodedImage decoded = icon ? ui::decodeIco(bytes) : ui::decodePng(bytes);
    if (decoded.ok()) return std::move(decoded.image);
    errors << "quenlo: picture " << name
           << " left out: " << (bytes.empty() ? std::string("not carried in the program") : decoded.error)
           << '\n';
    return {};
}

}  // namespace quenlo::app
