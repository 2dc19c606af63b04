#include "skin/she_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "skin/attach_skin.h"

namespace {

using quenlo::she::Problem;
using quenlo::she::readSkin;
using quenlo::she::Rgb;
using quenlo::she::writeSkin;

std::string carriedSkin() {
    return std::string(quenlo::skin::carriedSkinFile().bytes);
}

std::string withCount(std::string bytes, int count) {
    bytes[6] = static_cast<char>(count & 0xFF);
    bytes[7] = static_cast<char>(count >> 8);
    return bytes;
}

TEST(SkinFile, CarriedSkinIsACompleteSkinInCanonicalForm) {
    const std::string bytes = carriedSkin();
    EXPECT_EQ(bytes.substr(0, 4), ".SHE");
    const auto read = readSkin(bytes);
    ASSERT_TRUE(read.skin.has_value()) << read.detail;
    EXPECT_EQ(read.skin->name, "Harbour");
    EXPECT_EQ(read.skin->windowFace, (Rgb{0xE4, 0xED, 0xF7}));
    EXPECT_EQ(read.skin->buttonRadius, 3);
    EXPECT_EQ(writeSkin(*read.skin), bytes);
}

TEST(SkinFile, ReportsWhyAFileIsRefused) {
    const std::string good = carriedSkin();
    std::string wrongKind = good;
    wrongKind[8 + 2] = static_cast<char>(quenlo::she::Kind::colour);  // the name record claims colour
    std::string lastRecordCut = good.substr(0, good.size() - 1);
    const struct {
        const char* what;
        std::string bytes;
        Problem problem;
    } cases[] = {
        {"empty", "", Problem::notSkinFile},
        {"other magic", "XSHE" + good.substr(4), Problem::notSkinFile},
        {"lower case magic", ".she" + good.substr(4), Problem::notSkinFile},
        {"magic only", ".SHE", Problem::damaged},
        {"version 2", good.substr(0, 4) + std::string("\x02\x00", 2) + good.substr(6),
         Problem::unsupportedVersion},
        {"version 0", good.substr(0, 4) + std::string("\x00\x00", 2) + good.substr(6),
         Problem::unsupportedVersion},
        {"header cut", good.substr(0, 7), Problem::damaged},
        {"record header cut", withCount(good, static_cast<int>(quenlo::she::fieldCount()) + 1),
         Problem::damaged},
        {"payload cut", lastRecordCut, Problem::damaged},
        {"wrong kind", wrongKind, Problem::damaged},
        {"bytes after the end", good + "x", Problem::damaged},
        {"fields missing", withCount(good.substr(0, 8), 0), Problem::incomplete},
    };
    for (const auto& c : cases) {
        const auto read = readSkin(c.bytes);
        EXPECT_FALSE(read.skin.has_value()) << c.what;
        EXPECT_EQ(static_cast<int>(read.problem), static_cast<int>(c.problem))
            << c.what << ": " << read.detail;
        EXPECT_FALSE(read.detail.empty()) << c.what;
    }
}

TEST(SkinFile, SkipsFieldsOfLaterVersions) {
    std::string bytes = withCount(carriedSkin(), static_cast<int>(quenlo::she::fieldCount()) + 1);
    bytes += std::string("\xE7\x03\x01\x03\x01\x02\x03", 7);  // field 999, a colour
    const auto read = readSkin(bytes);
    ASSERT_TRUE(read.skin.has_value()) << read.detail;
    EXPECT_EQ(read.skin->windowFace, (Rgb{0xE4, 0xED, 0xF7}));
}

TEST(SkinFile, MetricsKeepTheirSign) {
    auto skin = readSkin(carriedSkin()).skin.value();
    skin.scrollHandleInset = -2;
    skin.groupRadius = 300;
    const auto back = readSkin(writeSkin(skin)).skin.value();
    EXPECT_EQ(back.scrollHandleInset, -2);
    EXPECT_EQ(back.groupRadius, 300);
}

// WCAG contrast ratio of two colours.
double contrast(Rgb a, Rgb b) {
    auto luminance = [](Rgb c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
    };
    double la = luminance(a), lb = luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

// The window keeps its own caption colours (red captions, black box text), so the skin's faces
// must carry them at least as well as the plain grey face does.
TEST(SkinFile, CarriedSkinKeepsEveryCaptionLegible) {
    const auto skin = readSkin(carriedSkin()).skin.value();
    const Rgb red{255, 0, 0};
    const Rgb plainFace{240, 240, 240};
    for (Rgb face : {skin.windowFace, skin.groupTitle.top, skin.groupTitle.bottom})
        EXPECT_GE(contrast(red, face), 0.95 * contrast(red, plainFace));
    for (const auto& g : {skin.buttonFace, skin.buttonFaceHover, skin.buttonFacePressed})
        for (Rgb face : {g.top, g.bottom}) {
            EXPECT_GE(contrast(skin.buttonText, face), 7.0);
            EXPECT_GE(contrast(Rgb{0, 0, 0}, face), 7.0);
        }
    EXPECT_GE(contrast(skin.highlightedText, skin.highlight), 4.5);
}

}  // namespace
