#include "platform/ui/image.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace quenlo::ui {
namespace {

DecodedImage failure(std::string why) {
    DecodedImage result;
    result.error = std::move(why);
    return result;
}

std::uint32_t readLe16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t readLe32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Pictures larger than this are not ours: refusing them keeps a damaged header from asking for
// gigabytes.
constexpr png_uint_32 kMaxSide = 4096;

constexpr std::size_t kIcoHeaderSize = 6;
constexpr std::size_t kIcoEntrySize = 16;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

DecodedImage decodePng(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof kPngSignature ||
        std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) != 0)
        return failure("not a PNG image (signature missing)");

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return failure(std::string("damaged PNG image: ") + png.message);
    if (png.width == 0 || png.height == 0 || png.width > kMaxSide || png.height > kMaxSide) {
        png_image_free(&png);
        return failure("PNG image of unusable size " + std::to_string(png.width) + " x " +
                       std::to_string(png.height));
    }

    png.format = PNG_FORMAT_RGBA;
    DecodedImage result;
    result.image.width = static_cast<int>(png.width);
    result.image.height = static_cast<int>(png.height);
    result.image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, result.image.rgba.data(), 0, nullptr)) {
        std::string why = std::string("damaged PNG image: ") + png.message;
        png_image_free(&png);
        return failure(std::move(why));
    }
    // A warning (a bad CRC in an ancillary chunk, say) still leaves a complete picture.
    return result;
}

DecodedImage decodeIco(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kIcoHeaderSize + kIcoEntrySize) return failure("icon file too short for its header");
    const std::uint8_t* p = bytes.data();
    if (readLe16(p) != 0 || readLe16(p + 2) != 1) return failure("not an icon file");
    const std::uint32_t count = readLe16(p + 4);
    if (count != 1) return failure("icon file holds " + std::to_string(count) + " images, not one");

    const std::uint8_t* entry = p + kIcoHeaderSize;
    const std::uint32_t size = readLe32(entry + 8);
    const std::uint32_t offset = readLe32(entry + 12);
    if (offset < kIcoHeaderSize + kIcoEntrySize || offset > bytes.size() || size > bytes.size() - offset)
        return failure("icon file truncated: its image lies outside the file");

    auto image = bytes.subspan(offset, size);
    if (image.size() < sizeof kPngSignature ||
        std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) != 0)
        return failure("icon image is not in PNG form");
    DecodedImage decoded = decodePng(image);
    if (!decoded.ok()) return decoded;

    // The directory gives 0 for a side of 256 pixels.
    const int entryWidth = entry[0] == 0 ? 256 : entry[0];
    const int entryHeight = entry[1] == 0 ? 256 : entry[1];
    if (entryWidth != decoded.image.width || entryHeight != decoded.image.height)
        return failure("icon directory says " + std::to_string(entryWidth) + " x " +
                       std::to_string(entryHeight) + " but its image is " +
                       std::to_string(decoded.image.width) + " x " + std::to_string(decoded.image.height));
    return decoded;
}

}  // namespace quenlo::ui
