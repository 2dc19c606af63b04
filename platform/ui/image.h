#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Pictures the window carries, decoded from their stored forms into plain pixels.
namespace quenlo::ui {

// Straight (not premultiplied) RGBA, 8 bits per channel, rows top to bottom without padding.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    bool isNull() const { return width <= 0 || height <= 0; }
};

// An image, or the reason it could not be had.
struct DecodedImage {
    Image image;
    std::string error;  // empty on success; otherwise says what was wrong, in English

    bool ok() const { return error.empty(); }
};

// Decodes a PNG file image.
DecodedImage decodePng(std::span<const std::uint8_t> bytes);

// Decodes an icon container (ICO) that holds one image in PNG form. Icons with several images, or
// with an image in the old bitmap form, are refused: the window's icon is never either.
DecodedImage decodeIco(std::span<const std::uint8_t> bytes);

}  // namespace quenlo::ui
