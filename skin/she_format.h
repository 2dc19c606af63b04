#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The skin file (".she"): our own small binary format.
//
//   offset 0  the four bytes ".SHE"
//          4  format version, 16 bits little-endian (1)
//          6  number of records, 16 bits little-endian
//          8  the records, each: field id (16 bits LE), kind (8 bits), payload length (8 bits),
//             payload; nothing may follow the last record
//
// Payloads by kind: colour R, G, B; gradient top R, G, B then bottom R, G, B; metric a signed
// 16-bit little-endian count of pixels; text UTF-8 bytes. A record whose field id this version
// does not know is skipped, so later versions can add fields; every field this version knows must
// be present, with its own kind.
namespace quenlo::she {

inline constexpr std::string_view kMagic = ".SHE";
inline constexpr std::uint16_t kVersion = 1;

enum class Kind : std::uint8_t { colour = 1, gradient = 2, metric = 3, text = 4 };

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
struct Gradient {
    Rgb top, bottom;
    friend bool operator==(const Gradient&, const Gradient&) = default;
};

struct Skin {
    std::string name;
    Rgb windowFace;
    Rgb windowText;
    Rgb light;   // the lit edges of raised shapes
    Rgb shadow;  // the shaded edges
    Gradient buttonFace;
    Gradient buttonFaceHover;
    Gradient buttonFacePressed;
    Rgb buttonBorder;
    Rgb buttonBorderHover;
    Rgb buttonText;
    Rgb focusMark;
    Rgb groupFrame;
    Gradient groupTitle;
    Rgb editBorder;
    Rgb editBorderFocus;
    Rgb scrollGroove;
    Gradient scrollHandle;
    Gradient scrollHandleHover;
    Rgb scrollHandleBorder;
    Gradient scrollButton;
    Rgb scrollArrow;
    Rgb highlight;
    Rgb highlightedText;
    int buttonRadius = 0;
    int groupRadius = 0;
    int scrollHandleRadius = 0;
    int scrollHandleInset = 0;
};

// Why a skin file was not taken. The values are also the result codes of the skin library's entry
// point, so they never change meaning.
enum class Problem : int {
    none = 0,
    notSkinFile = 3,         // does not begin with ".SHE"
    unsupportedVersion = 4,  // a format version this reader does not know
    damaged = 5,             // cut short, a record of the wrong size or kind, bytes after the end
    incomplete = 6,          // a field this version needs is missing
};

struct ReadResult {
    std::optional<Skin> skin;
    Problem problem = Problem::none;
    std::string detail;  // what was wrong and where, for a person to read
};

ReadResult readSkin(std::string_view bytes);

// One row per field: the name used in the skin's text source, its id in the file, its kind and
// where it lives in Skin. Shared by the reader and the skin compiler so the two cannot drift.
struct FieldInfo {
    std::string_view name;
    std::uint16_t id;
    Kind kind;
    Rgb Skin::*colour = nullptr;
    Gradient Skin::*gradient = nullptr;
    int Skin::*metric = nullptr;
    std::string Skin::*text = nullptr;
};
const FieldInfo* fieldByName(std::string_view name);
const FieldInfo* fieldById(std::uint16_t id);
std::size_t fieldCount();
const FieldInfo& fieldAt(std::size_t index);

// The file bytes for `skin`, every field in table order. readSkin(writeSkin(s)) gives s back.
std::string writeSkin(const Skin& skin);

}  // namespace quenlo::she
