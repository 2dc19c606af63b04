// Compiles the skin's text source into the binary ".she" file the skin library reads.
// Usage: she_compile SOURCE.txt OUTPUT.she
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "skin/she_format.h"

namespace {

using quenlo::she::Gradient;
using quenlo::she::Kind;
using quenlo::she::Rgb;

std::optional<Rgb> parseColour(const std::string& text) {
    static const std::regex hex("#([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})");
    std::smatch m;
    if (!std::regex_match(text, m, hex)) return std::nullopt;
    auto part = [&](int i) { return static_cast<std::uint8_t>(std::stoi(m[i].str(), nullptr, 16)); };
    return Rgb{part(1), part(2), part(3)};
}

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: she_compile SOURCE.txt OUTPUT.she\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[1] << ": cannot be read\n";
        return 1;
    }
    quenlo::she::Skin skin;
    std::set<std::string> seen;
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        std::cerr << argv[1] << ":" << lineNumber << ": " << why << "\n";
        return 1;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        // Only whole lines are comments: colours themselves begin with '#'.
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        std::istringstream words(line);
        std::string name, kindWord;
        words >> name >> kindWord;
        std::string value;
        std::getline(words, value);
        value = trim(value);

        const quenlo::she::FieldInfo* field = quenlo::she::fieldByName(name);
        if (!field) return fail("unknown field \"" + name + "\"");
        if (!seen.insert(name).second) return fail("field \"" + name + "\" appears twice");
        static const std::pair<const char*, Kind> kinds[] = {{"colour", Kind::colour},
                                                             {"gradient", Kind::gradient},
                                                             {"metric", Kind::metric},
                                                             {"text", Kind::text}};
        std::optional<Kind> kind;
        for (const auto& [word, k] : kinds)
            if (kindWord == word) kind = k;
        if (kind != field->kind) return fail("field \"" + name + "\" is not of kind \"" + kindWord + "\"");

        switch (field->kind) {
            case Kind::colour: {
                auto colour = parseColour(value);
                if (!colour) return fail("a colour is written #RRGGBB");
                skin.*field->colour = *colour;
                break;
            }
            case Kind::gradient: {
                const auto arrow = value.find("->");
                auto top = parseColour(trim(value.substr(0, arrow)));
                auto bottom =
                    arrow == std::string::npos ? std::nullopt : parseColour(trim(value.substr(arrow + 2)));
                if (!top || !bottom) return fail("a gradient is written #RRGGBB -> #RRGGBB");
                skin.*field->gradient = Gradient{*top, *bottom};
                break;
            }
            case Kind::metric: {
                static const std::regex number("-?[0-9]{1,4}");
                if (!std::regex_match(value, number)) return fail("a metric is a whole number of pixels");
                skin.*field->metric = std::stoi(value);
                break;
            }
            case Kind::text:
                if (value.size() < 2 || value.front() != '"' || value.back() != '"' || value.size() > 257)
                    return fail("a text is written in double quotes, at most 255 bytes");
                skin.*field->text = value.substr(1, value.size() - 2);
                break;
        }
    }
    for (std::size_t i = 0; i < quenlo::she::fieldCount(); ++i) {
        const auto& field = quenlo::she::fieldAt(i);
        if (!seen.count(std::string(field.name))) {
            std::cerr << argv[1] << ": field \"" << field.name << "\" is missing\n";
            return 1;
        }
    }
    const std::string bytes = quenlo::she::writeSkin(skin);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": cannot be written\n";
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
