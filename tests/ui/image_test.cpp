#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/image.h"

namespace quenlo::ui {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A small PNG with known pixels: red at the top-left, half-transparent blue at the bottom-right.
Bytes samplePng(int width = 4, int height = 3) {
    QImage image(width, height, QImage::Format_RGBA8888);
    image.fill(QColor(255, 255, 255, 0));
    image.setPixelColor(0, 0, QColor(255, 0, 0, 255));
    image.setPixelColor(width - 1, height - 1, QColor(0, 0, 255, 128));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

void putLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A single-image icon container around `image`.
Bytes icoAround(const Bytes& image, std::uint8_t side) {
    Bytes ico = {0, 0, 1, 0, 1, 0, side, side, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    putLe32(ico, 14, static_cast<std::uint32_t>(image.size()));
    putLe32(ico, 18, 22);
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

std::vector<int> pixel(const Image& image, int x, int y) {
    const auto* p = &image.rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

TEST(DecodePng, GivesStraightRgbaRowsTopToBottom) {
    const DecodedImage decoded = decodePng(samplePng());
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.width, 4);
    EXPECT_EQ(decoded.image.height, 3);
    EXPECT_EQ(decoded.image.rgba.size(), 4u * 3u * 4u);
    EXPECT_EQ(pixel(decoded.image, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(decoded.image, 3, 2), (std::vector<int>{0, 0, 255, 128}));
    EXPECT_EQ(pixel(decoded.image, 1, 1)[3], 0);
}

TEST(DecodePng, RefusesDamagedImagesWithAReason) {
    const Bytes good = samplePng(16, 16);
    Bytes truncated(good.begin(), good.begin() + good.size() / 2);
    Bytes badCrc = good;
    badCrc[good.size() - 20] ^= 0xFF;  // inside the image data: its checksum no longer holds
    Bytes notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    struct Case {
        const char* what;
        Bytes bytes;
        const char* errorStart;
    } cases[] = {
        {"empty", {}, "not a PNG image"},
        {"other format", notPng, "not a PNG image"},
        {"signature only", Bytes(good.begin(), good.begin() + 8), "damaged PNG image"},
        {"cut in half", truncated, "damaged PNG image"},
        {"corrupt data", badCrc, "damaged PNG image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedImage decoded = decodePng(c.bytes);
        EXPECT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error.rfind(c.errorStart, 0), 0u) << decoded.error;
        EXPECT_TRUE(decoded.image.isNull());
    }
}

TEST(DecodeIco, ReadsTheOnePngImage) {
    const Bytes png = samplePng(16, 16);
    const DecodedImage decoded = decodeIco(icoAround(png, 16));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.image.width, 16);
    EXPECT_EQ(pixel(decoded.image, 0, 0), (std::vector<int>{255, 0, 0, 255}));
}

TEST(DecodeIco, RefusesDamagedContainersWithAReason) {
    const Bytes png = samplePng(16, 16);
    const Bytes good = icoAround(png, 16);
    Bytes twoImages = good;
    twoImages[4] = 2;
    Bytes offsetPastEnd = good;
    putLe32(offsetPastEnd, 18, static_cast<std::uint32_t>(good.size() + 10));
    Bytes sizePastEnd = good;
    putLe32(sizePastEnd, 14, 0xFFFFFFF0u);  // offset + size wraps around in 32 bits
    Bytes bitmap = good;
    bitmap[22] = 40;                      // a BITMAPINFOHEADER begins where the PNG should
    Bytes wrongSide = icoAround(png, 0);  // says 256 x 256
    Bytes cursor = good;
    cursor[2] = 2;
    struct Case {
        const char* what;
        Bytes bytes;
        const char* error;
    } cases[] = {
        {"header only", Bytes(good.begin(), good.begin() + 6), "icon file too short for its header"},
        {"cut inside the image", Bytes(good.begin(), good.end() - 5),
         "icon file truncated: its image lies outside the file"},
        {"offset past the end", offsetPastEnd, "icon file truncated: its image lies outside the file"},
        {"size past the end", sizePastEnd, "icon file truncated: its image lies outside the file"},
        {"two images", twoImages, "icon file holds 2 images, not one"},
        {"cursor file", cursor, "not an icon file"},
        {"bitmap image", bitmap, "icon image is not in PNG form"},
        {"directory disagrees", wrongSide, "icon directory says 256 x 256 but its image is 16 x 16"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedImage decoded = decodeIco(c.bytes);
        EXPECT_EQ(decoded.error, c.error);
        EXPECT_TRUE(decoded.image.isNull());
    }
}

TEST(DecodeIco, PassesOnTheReasonOfADamagedPng) {
    Bytes png = samplePng(16, 16);
    png.resize(png.size() - 30);
    Bytes ico = icoAround(png, 16);
    const DecodedImage decoded = decodeIco(ico);
    EXPECT_EQ(decoded.error.rfind("damaged PNG image", 0), 0u) << decoded.error;
}

}  // namespace
}  // namespace quenlo::ui
