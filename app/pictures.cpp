#include "app/pictures.h"

#include "app/carried_files.h"

namespace quenlo::app {

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
