#include "skin/she_format.h"

#include <vector>

namespace quenlo::she {
namespace {

FieldInfo colourField(std::string_view name, std::uint16_t id, Rgb Skin::*member) {
    return {name, id, Kind::colour, member, nullptr, nullptr, nullptr};
}
FieldInfo gradientField(std::string_view name, std::uint16_t id, Gradient Skin::*member) {
    return {name, id, Kind::gradient, nullptr, member, nullptr, nullptr};
}
FieldInfo metricField(std::string_view name, std::uint16_t id, int Skin::*member) {
    return {name, id, Kind::metric, nullptr, nullptr, member, nullptr};
}

// Ids are part of the file format: never renumber a row, only add new ones.
const std::vector<FieldInfo>& fields() {
    static const std::vector<FieldInfo> table = {
        {"skin.name", 1, Kind::text, nullptr, nullptr, nullptr, &Skin::name},
        colourField("window.face", 10, &Skin::windowFace),
        colourField("window.text", 11, &Skin::windowText),
        colourField("edge.light", 12, &Skin::light),
        colourField("edge.shadow", 13, &Skin::shadow),
        gradientField("button.face", 20, &Skin::buttonFace),
        gradientField("button.face.hover", 21, &Skin::buttonFaceHover),
        gradientField("button.face.pressed", 22, &Skin::buttonFacePressed),
        colourField("button.border", 23, &Skin::buttonBorder),
        colourField("button.border.hover", 24, &Skin::buttonBorderHover),
        colourField("button.text", 25, &Skin::buttonText),
        colourField("focus.mark", 26, &Skin::focusMark),
        colourField("group.frame", 30, &Skin::groupFrame),
        gradientField("group.title", 31, &Skin::groupTitle),
        colourField("edit.border", 40, &Skin::editBorder),
        colourField("edit.border.focus", 41, &Skin::editBorderFocus),
        colourField("scroll.groove", 50, &Skin::scrollGroove),
        gradientField("scroll.handle", 51, &Skin::scrollHandle),
        gradientField("scroll.handle.hover", 52, &Skin::scrollHandleHover),
        colourField("scroll.handle.border", 53, &Skin::scrollHandleBorder),
        gradientField("scroll.button", 54, &Skin::scrollButton),
        colourField("scroll.arrow", 55, &Skin::scrollArrow),
        colourField("selection", 60, &Skin::highlight),
        colourField("selection.text", 61, &Skin::highlightedText),
        metricField("button.radius", 70, &Skin::buttonRadius),
        metricField("group.radius", 71, &Skin::groupRadius),
        metricField("scroll.handle.radius", 72, &Skin::scrollHandleRadius),
        metricField("scroll.handle.inset", 73, &Skin::scrollHandleInset),
    };
    return table;
}

std::size_t payloadSize(Kind kind) {
    switch (kind) {
        case Kind::colour:
            return 3;
        case Kind::gradient:
            return 6;
        case Kind::metric:
            return 2;
        case Kind::text:
            return 0;  // any length up to 255
    }
    return 0;
}

std::uint16_t u16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}
void putU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}
Rgb rgbAt(std::string_view bytes, std::size_t at) {
    return {static_cast<std::uint8_t>(bytes[at]), static_cast<std::uint8_t>(bytes[at + 1]),
            static_cast<std::uint8_t>(bytes[at + 2])};
}
void putRgb(std::string& out, Rgb c) {
    out.push_back(static_cast<char>(c.r));
    out.push_back(static_cast<char>(c.g));
    out.push_back(static_cast<char>(c.b));
}

ReadResult failure(Problem problem, std::string detail) {
    return {std::nullopt, problem, std::move(detail)};
}

}  // namespace

const FieldInfo* fieldByName(std::string_view name) {
    for (const FieldInfo& f : fields())
        if (f.name == name) return &f;
    return nullptr;
}
const FieldInfo* fieldById(std::uint16_t id) {
    for (const FieldInfo& f : fields())
        if (f.id == id) return &f;
    return nullptr;
}
std::size_t fieldCount() {
    return fields().size();
}
const FieldInfo& fieldAt(std::size_t index) {
    return fields().at(index);
}

ReadResult readSkin(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic)
        return failure(Problem::notSkinFile, "no \".SHE\" at the start");
    if (bytes.size() < 8) return failure(Problem::damaged, "the header is cut short");
    if (std::uint16_t version = u16(bytes, 4); version != kVersion)
        return failure(Problem::unsupportedVersion, "format version " + std::to_string(version));

    Skin skin;
    std::vector<bool> seen(fields().size(), false);
    const std::size_t records = u16(bytes, 6);
    std::size_t at = 8;
    for (std::size_t i = 0; i < records; ++i) {
        if (bytes.size() - at < 4)
            return failure(Problem::damaged, "record " + std::to_string(i) + " is cut short");
        const std::uint16_t id = u16(bytes, at);
        const auto kind = static_cast<Kind>(static_cast<unsigned char>(bytes[at + 2]));
        const std::size_t length = static_cast<unsigned char>(bytes[at + 3]);
        at += 4;
        if (bytes.size() - at < length)
            return failure(Problem::damaged, "record " + std::to_string(i) + " is cut short");
        const std::string_view payload = bytes.substr(at, length);
        at += length;

        const FieldInfo* field = fieldById(id);
        if (!field) continue;
        const std::string where = "field " + std::string(field->name);
        if (kind != field->kind || (field->kind != Kind::text && length != payloadSize(kind)))
            return failure(Problem::damaged, where + " has the wrong kind or size");
        switch (kind) {
            case Kind::colour:
                skin.*field->colour = rgbAt(payload, 0);
                break;
            case Kind::gradient:
                skin.*field->gradient = {rgbAt(payload, 0), rgbAt(payload, 3)};
                break;
            case Kind::metric:
                skin.*field->metric = static_cast<std::int16_t>(u16(payload, 0));
                break;
            case Kind::text:
                skin.*field->text = std::string(payload);
                break;
        }
        seen[static_cast<std::size_t>(field - fields().data())] = true;
    }
    if (at != bytes.size()) return failure(Problem::damaged, "bytes follow the last record");
    for (std::size_t i = 0; i < seen.size(); ++i)
        if (!seen[i])
            return failure(Problem::incomplete, "field " + std::string(fields()[i].name) + " is missing");
    return {std::move(skin), Problem::none, {}};
}

std::string writeSkin(const Skin& skin) {
    std::string out(kMagic);
    putU16(out, kVersion);
    putU16(out, static_cast<std::uint16_t>(fields().size()));
    for (const FieldInfo& f : fields()) {
        std::string payload;
        switch (f.kind) {
            case Kind::colour:
                putRgb(payload, skin.*f.colour);
                break;
            case Kind::gradient:
                putRgb(payload, (skin.*f.gradient).top);
                putRgb(payload, (skin.*f.gradient).bottom);
                break;
            case Kind::metric:
                putU16(payload, static_cast<std::uint16_t>(skin.*f.metric));
                break;
            case Kind::text:
                payload = (skin.*f.text).substr(0, 255);
                break;
        }
        putU16(out, f.id);
        out.push_back(static_cast<char>(f.kind));
        out.push_back(static_cast<char>(payload.size()));
        out += payload;
    }
    return out;
}

}  // namespace quenlo::she
