#include "formats/vcard.h"

#include <optional>
#include <utility>

#include "formats/large_buffer.h"
#include "platform/ascii.h"
#include "platform/codepage.h"

namespace quenlo {
namespace {

using ascii::equalsNoCase;
using ascii::isBlank;
using ascii::startsWithNoCase;
using ascii::trimBlanks;

constexpr std::string_view kOpeningPiece =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
constexpr std::string_view kMiddlePiece = "\r\nTEL;CELL:";
constexpr std::string_view kClosingPiece = "\r\nBDAY:00000000\r\nEND:VCARD\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";

static_assert(kOpeningPiece.size() == 68 && kMiddlePiece.size() == 11 && kClosingPiece.size() == 28);

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = ascii::toUpper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendVcardName(std::string& out, std::string_view name) {
    const std::string utf8 = codepage::gbkToUtf8(name);
    // Built in a local buffer and appended once: a name is short and a bulk list has a million.
    char buffer[256];
    std::size_t used = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (used + 3 > sizeof buffer) {
            out.append(buffer, used);
            used = 0;
        }
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool last = i + 1 == utf8.size();
        // ";" would split the name into vCard name components and "\" would start an escape; the
        // vCard escapes keep them whole in every importer we know, where "=3B" does not.
        if (byte == ';' || byte == '\\') {
            buffer[used++] = '\\';
            buffer[used++] = static_cast<char>(byte);
        } else if ((byte > 0x20 && byte < 0x7F && byte != '=') || (byte == ' ' && !last)) {
            buffer[used++] = static_cast<char>(byte);
        } else {
            buffer[used++] = '=';
            buffer[used++] = kHexDigits[byte >> 4];
            buffer[used++] = kHexDigits[byte & 0x0F];
        }
    }
    out.append(buffer, used);
}

void appendNumber(std::string& out, std::string_view number) {
    const std::size_t start = out.size();
    out += number;
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
}

// Undoes quoted-printable: "=XX" in either case, soft breaks ("=" and the line end, with blanks
// that some writers leave after the "="). Returns false when an "=" stood for nothing; it is then
// kept as it is, as the decoders of mail programs do.
bool decodeQuotedPrintable(std::string_view in, std::string& out) {
    bool clean = true;
    out.resize(in.size());  // decoding never lengthens
    char* to = out.data();
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '=') {
            *to++ = c;
            continue;
        }
        if (i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
            *to++ = static_cast<char>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        while (j < in.size() && isBlank(in[j]))
            ++j;
        if (j == in.size()) break;  // a soft break at the very end
        if (in[j] == '\r' || in[j] == '\n') {
            if (in[j] == '\r' && j + 1 < in.size() && in[j + 1] == '\n') ++j;
            i = j;
            continue;
        }
        *to++ = c;
        clean = false;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return clean;
}

// Undoes the vCard backslash escapes in UTF-8 text, in place; "\n" stands for a line break. A
// backslash before anything else is kept, since older writers did not escape it.
void unescapeValue(std::string& text) {
    if (text.find('\\') == std::string::npos) return;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == ';' || next == ',' || next == '\\' || next == ':') {
            out += next;
        } else if (next == 'n' || next == 'N') {
            out += '\n';
        } else {
            out += '\\';
            out += next;
        }
        ++i;
    }
    text = std::move(out);
}

// Splits a structured value at the semicolons that are not escaped, leaving escapes in place.
std::vector<std::string> splitComponents(const std::string& value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value[i];
            parts.back() += value[++i];
        } else if (value[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

// ---- Stage 1: physical lines, CR LF, LF or a lone CR each ending one.

class LineSource {
  public:
    explicit LineSource(std::string_view text) : text_(text) { scan(); }

    bool atEnd() const { return pos_ >= text_.size(); }
    // The 1-based number of the line that next() returns next.
    std::size_t nextNumber() const { return number_ + 1; }

    std::string_view peek() const { return line_; }

    std::string_view next() {
        const std::string_view line = line_;
        pos_ = after_;
        ++number_;
        scan();
        return line;
    }

  private:
    // Finds the line that starts at pos_; a plain loop, since find_first_of calls memchr per byte.
    void scan() {
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r')
            ++end;
        line_ = pos_ < text_.size() ? text_.substr(pos_, end - pos_) : std::string_view();
        after_ = end;
        if (end < text_.size()) {
            after_ = end + 1;
            if (text_[end] == '\r' && after_ < text_.size() && text_[after_] == '\n') ++after_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t after_ = 0;
    std::size_t number_ = 0;
    std::string_view line_;
};

// ---- Stage 3: a property line split into name, parameters and value.

struct Property {
    std::string_view name;    // without a group prefix ("item1.TEL" gives "TEL")
    std::string_view params;  // everything between the name and the colon, ";" first
    std::string_view value;
};

// Parameter values may be quoted and may then hold ";" and ":", so the colon that starts the value is
// the first one outside quotes.
std::optional<Property> splitProperty(std::string_view line) {
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ';' && line[nameEnd] != ':')
        ++nameEnd;
    bool quoted = false;
    std::size_t colon = nameEnd;
    for (; colon < line.size(); ++colon) {
        if (line[colon] == '"')
            quoted = !quoted;
        else if (line[colon] == ':' && !quoted)
            break;
    }
    if (colon >= line.size()) return std::nullopt;
    Property p;
    p.name = trimBlanks(line.substr(0, nameEnd));
    if (std::size_t dot = p.name.rfind('.'); dot != std::string_view::npos) p.name.remove_prefix(dot + 1);
    p.params = line.substr(nameEnd, colon - nameEnd);
    p.value = line.substr(colon + 1);
    return p;
}

// Calls each(name, value) for every parameter; a bare parameter ("CELL", "QUOTED-PRINTABLE", the
// vCard 2.1 short form) has an empty name. Quotes around values are removed.
template <typename F>
void forEachParam(std::string_view params, F&& each) {
    std::size_t i = 0;
    while (i < params.size()) {
        if (params[i] == ';') {
            ++i;
            continue;
        }
        std::size_t end = i;
        bool quoted = false;
        while (end < params.size() && (quoted || params[end] != ';')) {
            if (params[end] == '"') quoted = !quoted;
            ++end;
        }
        std::string_view param = trimBlanks(params.substr(i, end - i));
        std::string_view name;
        std::string_view value = param;
        if (std::size_t eq = param.find('='); eq != std::string_view::npos) {
            name = trimBlanks(param.substr(0, eq));
            value = trimBlanks(param.substr(eq + 1));
        }
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        each(name, value);
        i = end;
    }
}

// True when the comma-separated list holds `word`.
bool listHolds(std::string_view list, std::string_view word) {
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        if (equalsNoCase(trimBlanks(list.substr(0, comma)), word)) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

struct Params {
    bool quotedPrintable = false;
    bool base64 = false;
    bool cell = false;
    bool uri = false;
    std::string_view charset;
};

// The parameters our own records carry, known without parsing them again a million times.
struct KnownParams {
    std::string_view text;
    Params params;
};
const KnownParams kKnownParams[] = {
    {"", {}},
    {";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE", {.quotedPrintable = true, .charset = "UTF-8"}},
    {";CELL", {.cell = true, .charset = {}}},
};

Params readParams(std::string_view params) {
    for (const auto& known : kKnownParams)
        if (params == known.text) return known.params;
    Params p;
    forEachParam(params, [&](std::string_view name, std::string_view value) {
        if (name.empty() || equalsNoCase(name, "ENCODING")) {
            if (equalsNoCase(value, "QUOTED-PRINTABLE")) p.quotedPrintable = true;
            if (equalsNoCase(value, "BASE64") || equalsNoCase(value, "B")) p.base64 = true;
        }
        if (equalsNoCase(name, "CHARSET")) p.charset = value;
        if ((name.empty() || equalsNoCase(name, "TYPE")) && listHolds(value, "CELL")) p.cell = true;
        if (equalsNoCase(name, "VALUE") && equalsNoCase(value, "uri")) p.uri = true;
    });
    return p;
}

bool isQuotedPrintableLine(std::string_view line) {
    auto p = splitProperty(line);
    return p && readParams(p->params).quotedPrintable;
}

bool endsWithSoftBreak(std::string_view line) {
    line = trimBlanks(line);
    return !line.empty() && line.back() == '=';
}

bool isRecordBoundary(std::string_view line) {
    line = trimBlanks(line);
    return equalsNoCase(line, "BEGIN:VCARD") || equalsNoCase(line, "END:VCARD");
}

// ---- The reader: stages 2 (unfolding), 4 (decoding) and 5 (charset) around the records.

class VcfReader {
  public:
    VcfReader(std::string_view text, const ContactSink& each, std::vector<ReadProblem>& problems)
        : lines_(text), each_(each), problems_(problems) {}

    void read() {
        while (!lines_.atEnd()) {
            const std::size_t number = lines_.nextNumber();
            const std::string_view line = logicalLine();
            handle(line, number);
        }
        if (open_) {
            problem(beginLine_, ReadProblem::Kind::UnclosedRecord);
            finishRecord();
        }
    }

  private:
    // One logical line: vCard 3.0/4.0 folding (a line that starts with a blank continues the one
    // before, less that blank) and quoted-printable soft breaks (a value ending in "=" continues on
    // the next line as it stands). A soft break never swallows a BEGIN or END line, so a broken value
    // cannot eat the rest of the file.
    std::string_view logicalLine() {
        std::string_view first = lines_.next();
        std::string_view current = first;
        bool joined = false;
        while (!lines_.atEnd()) {
            std::string_view next = lines_.peek();
            if (endsWithSoftBreak(current) && !isRecordBoundary(next) && isQuotedPrintableLine(current)) {
                if (!joined) joined_.assign(first);
                joined = true;
                std::string_view kept = trimBlanks(joined_);
                joined_.resize(static_cast<std::size_t>(kept.data() - joined_.data()) + kept.size() - 1);
                joined_ += next;
            } else if (!next.empty() && isBlank(next.front()) && !inBase64Block_) {
                if (!joined) joined_.assign(first);
                joined = true;
                joined_ += next.substr(1);
            } else {
                break;
            }
            lines_.next();
            current = joined_;
        }
        return current;
    }

    void handle(std::string_view line, std::size_t number) {
        const std::string_view bare = trimBlanks(line);
        if (inBase64Block_) {
            // vCard 2.1 writers put a photo's base64 lines under its property, often without
            // indenting them, and end the block with a blank line.
            if (bare.empty()) {
                inBase64Block_ = false;
                return;
            }
            if (bare.find(':') == std::string_view::npos) return;
            inBase64Block_ = false;
        }
        if (equalsNoCase(bare, "BEGIN:VCARD")) {
            if (open_) {
                problem(beginLine_, ReadProblem::Kind::UnclosedRecord);
                finishRecord();
            }
            open_ = true;
            outsideReported_ = false;
            beginLine_ = number;
            return;
        }
        if (equalsNoCase(bare, "END:VCARD")) {
            if (open_)
                finishRecord();
            else
                problem(number, ReadProblem::Kind::EndWithoutBegin);
            return;
        }
        if (!open_) {
            if (!bare.empty() && !outsideReported_) problem(number, ReadProblem::Kind::OutsideRecord);
            outsideReported_ = !bare.empty();
            return;
        }
        if (bare.empty()) return;
        auto property = splitProperty(line);
        if (!property) {
            problem(number, ReadProblem::Kind::MissingColon);
            return;
        }
        if (equalsNoCase(property->name, "VERSION")) {
            const std::string_view version = trimBlanks(property->value);
            version21_ = version == "2.1";
            version40_ = version == "4.0";
            return;
        }
        const Params params = readParams(property->params);
        if (params.base64) {
            inBase64Block_ = true;
            return;
        }
        if (equalsNoCase(property->name, "N")) {
            if (!hasName_) {
                name_ = toSystemText(structuredName(*property, params, number), number);
                hasName_ = !name_.empty();
            }
        } else if (equalsNoCase(property->name, "FN")) {
            if (!hasFormattedName_) {
                std::string utf8 = valueAsUtf8(*property, params, number);
                unescapeValue(utf8);
                formattedName_ = toSystemText(utf8, number);
                hasFormattedName_ = !formattedName_.empty();
            }
        } else if (equalsNoCase(property->name, "TEL")) {
            // Of several numbers the first mobile one, else the first of any kind.
            if (hasCellNumber_ || (hasNumber_ && !params.cell)) return;
            number_ = telephoneNumber(*property, params, number);
            hasNumber_ = true;
            hasCellNumber_ = params.cell;
        }
    }

    // The value's bytes as UTF-8, quoted-printable undone, escapes still in place.
    std::string valueAsUtf8(const Property& property, const Params& params, std::size_t number) {
        std::string_view bytes = property.value;
        if (params.quotedPrintable) {
            if (!decodeQuotedPrintable(bytes, decoded_))
                problem(number, ReadProblem::Kind::BadQuotedPrintable);
            bytes = decoded_;
        }
        std::string utf8;
        std::size_t invalid = 0;
        bool converted = false;
        if (codepage::isAscii(bytes) || equalsNoCase(params.charset, "UTF-8")) {  // checked when converted
            utf8.assign(bytes);
            converted = true;
        } else if (!params.charset.empty()) {
            converted = codepage::convertCharset(bytes, params.charset, "UTF-8", utf8, &invalid);
        }
        if (!converted) {
            if (!params.charset.empty()) problem(number, ReadProblem::Kind::UnknownCharset);
            // Without a charset, vCard 3.0/4.0 text is UTF-8; older phones wrote their own code page.
            utf8 = codepage::isValidUtf8(bytes) ? std::string(bytes) : codepage::gbkToUtf8(bytes, &invalid);
        }
        if (invalid > 0) problem(number, ReadProblem::Kind::InvalidBytes);
        return utf8;
    }

    std::string toSystemText(const std::string& utf8, std::size_t number) {
        std::size_t invalid = 0;
        std::string text = codepage::utf8ToGbk(utf8, &invalid);
        if (invalid > 0) problem(number, ReadProblem::Kind::InvalidBytes);
        return text;
    }

    // Family name, given name and additional names, joined; a space only between two Latin parts,
    // since Chinese names are written without one.
    std::string structuredName(const Property& property, const Params& params, std::size_t number) {
        std::string value = valueAsUtf8(property, params, number);
        if (value.find(';') == std::string::npos) {
            unescapeValue(value);
            return value;
        }
        std::vector<std::string> parts = splitComponents(value);
        if (parts.size() == 1) {  // only escaped semicolons: the whole name, as written
            unescapeValue(parts.front());
            return std::move(parts.front());
        }
        std::string joinedName;
        for (std::size_t i = 0; i < parts.size() && i < 3; ++i) {
            unescapeValue(parts[i]);
            std::string_view part = trimBlanks(parts[i]);
            if (part.empty()) continue;
            const bool latinJoint = !joinedName.empty() &&
                                    static_cast<unsigned char>(joinedName.back()) < 0x80 &&
                                    static_cast<unsigned char>(part.front()) < 0x80;
            if (latinJoint) joinedName += ' ';
            joinedName += part;
        }
        return joinedName;
    }

    // vCard 2.1 knows no escapes in a number and no "tel:" addresses, and a 2.1 number without a
    // charset is in the writer's own code page (ours among them): it is taken exactly as it stands.
    // Guessing UTF-8 there would turn a number like "13800138000转123" into another character, since
    // many code page 936 pairs are valid UTF-8 too.
    std::string telephoneNumber(const Property& property, const Params& params, std::size_t number) {
        if (version21_ && params.charset.empty() && !params.quotedPrintable)
            return std::string(property.value);
        std::string value = valueAsUtf8(property, params, number);
        if (!version21_) {
            unescapeValue(value);
            if ((params.uri || version40_) && startsWithNoCase(value, "tel:")) value.erase(0, 4);
        }
        return toSystemText(value, number);
    }

    void finishRecord() {
        contact_.name = hasName_ ? std::move(name_) : std::move(formattedName_);
        contact_.number = std::move(number_);
        if (contact_.name.empty() && contact_.number.empty()) {
            problem(beginLine_, ReadProblem::Kind::EmptyRecord);
        } else {
            each_(contact_);
        }
        open_ = false;
        hasName_ = hasFormattedName_ = hasNumber_ = hasCellNumber_ = version21_ = version40_ = false;
        name_.clear();
        formattedName_.clear();
        number_.clear();
    }

    void problem(std::size_t line, ReadProblem::Kind kind) { problems_.push_back({line, kind}); }

    LineSource lines_;
    const ContactSink& each_;
    std::vector<ReadProblem>& problems_;
    Contact contact_;
    std::string joined_;
    std::string decoded_;

    bool open_ = false;
    bool inBase64Block_ = false;
    bool outsideReported_ = false;
    std::size_t beginLine_ = 0;
    bool version21_ = false;
    bool version40_ = false;
    bool hasName_ = false;
    bool hasFormattedName_ = false;
    bool hasNumber_ = false;
    bool hasCellNumber_ = false;
    std::string name_;
    std::string formattedName_;
    std::string number_;
};

}  // namespace

std::string encodeVcardName(std::string_view name) {
    std::string out;
    out.reserve(name.size() * 5);
    appendVcardName(out, name);
    return out;
}

std::string decodeVcardName(std::string_view value, std::size_t* invalid) {
    std::string utf8;
    decodeQuotedPrintable(value, utf8);
    unescapeValue(utf8);
    return codepage::utf8ToGbk(utf8, invalid);
}

void appendVcardRecord(std::string& out, const Contact& contact) {
    out += kOpeningPiece;
    appendVcardName(out, contact.name);
    out += kMiddlePiece;
    appendNumber(out, contact.number);
    out += kClosingPiece;
}

std::size_t vcardRecordSizeHint(const Contact& contact) {
    return kOpeningPiece.size() + contact.name.size() * 5 + kMiddlePiece.size() + contact.number.size() +
           kClosingPiece.size();
}

std::string formatVcardRecord(const Contact& contact) {
    std::string out;
    out.reserve(vcardRecordSizeHint(contact));
    appendVcardRecord(out, contact);
    return out;
}

std::string formatVcfCode(std::span<const Contact> contacts) {
    std::size_t size = 0;
    for (const auto& c : contacts)
        size += vcardRecordSizeHint(c);
    std::string out;
    reserveLarge(out, size);
    for (const auto& c : contacts)
        appendVcardRecord(out, c);
    return out;
}

void readVcfCode(std::string_view text, const ContactSink& each, std::vector<ReadProblem>& problems) {
    VcfReader(text, each, problems).read();
}

ReadResult parseVcfCode(std::string_view text) {
    ReadResult result;
    // Records of our own layout take some 140 bytes; reserving for them spares the copies of a
    // growing list (the untouched part of an overestimate costs address space only).
    reserveLarge(result.contacts, text.size() / 128);
    readVcfCode(
        text, [&](const Contact& c) { result.contacts.push_back(c); }, result.problems);
    return result;
}

}  // namespace quenlo
