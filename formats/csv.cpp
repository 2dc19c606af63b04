#include "formats/csv.h"

#include <algorithm>
#include <utility>

#include "formats/large_buffer.h"
#include "formats/vcard.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace quenlo {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool needsQuotes(std::string_view field) {
    if (field.empty()) return false;
    if (isBlank(field.front()) || isBlank(field.back())) return true;
    return std::any_of(field.begin(), field.end(),
                       [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
}

void appendField(std::string& out, std::string_view field) {
    if (!needsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

bool holdsDigit(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An RFC 4180 reader over code page 936 text. Byte by byte is safe: the bytes it looks for (comma,
// double quote, CR, LF, blanks) never occur inside a code page 936 character.
class CsvReader {
  public:
    CsvReader(std::string_view text, const ContactSink& each, std::vector<ReadProblem>& problems)
        : text_(text), each_(each), problems_(problems) {}

    void read() {
        bool first = true;
        while (pos_ < text_.size()) {
            const std::size_t recordLine = line_;
            readRecord();
            // A blank line, or a row of empty cells as spreadsheets save them, is no contact.
            if (!quoted_ && contact_.name.empty() && contact_.number.empty()) continue;
            if (first) {
                first = false;
                if (fields_ >= 2 && !holdsDigit(contact_.number)) continue;  // the header
            }
            if (fields_ < 2) {
                problem(recordLine, ReadProblem::Kind::TooFewFields);
                continue;
            }
            each_(contact_);
        }
    }

  private:
    bool atLineEnd() const { return pos_ >= text_.size() || text_[pos_] == '\r' || text_[pos_] == '\n'; }

    void skipLineEnd() {
        if (pos_ >= text_.size()) return;
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
    }

    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
    }

    void readRecord() {
        fields_ = 0;
        quoted_ = false;
        contact_.name.clear();
        contact_.number.clear();
        for (;;) {
            std::string* field = fields_ == 0 ? &contact_.name : fields_ == 1 ? &contact_.number : &ignored_;
            field->clear();
            readField(*field);
            ++fields_;
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            skipLineEnd();
            return;
        }
    }

    // Reads one field up to the comma or line end that follows it, leaving that separator.
    void readField(std::string& field) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '"') {
            readQuotedField(field);
            return;
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && !atLineEnd())
            ++pos_;
        std::size_t end = pos_;
        while (end > start && isBlank(text_[end - 1]))
            --end;
        field.assign(text_.substr(start, end - start));
    }

    void readQuotedField(std::string& field) {
        quoted_ = true;
        const std::size_t startLine = line_;
        ++pos_;
        for (;;) {
            const std::size_t quote = text_.find('"', pos_);
            const std::size_t end = quote == std::string_view::npos ? text_.size() : quote;
            const std::string_view piece = text_.substr(pos_, end - pos_);
            line_ += countLineEnds(piece);
            field += piece;
            pos_ = end;
            if (quote == std::string_view::npos) {
                problem(startLine, ReadProblem::Kind::UnclosedQuote);
                return;
            }
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '"') {
                field += '"';
                ++pos_;
                continue;
            }
            break;
        }
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] != ',' && !atLineEnd()) {
            // Excel keeps such text; so do we, rather than lose part of a name.
            problem(line_, ReadProblem::Kind::TextAfterQuote);
            const std::size_t start = pos_;
            while (pos_ < text_.size() && text_[pos_] != ',' && !atLineEnd())
                ++pos_;
            field += text_.substr(start, pos_ - start);
        }
    }

    static std::size_t countLineEnds(std::string_view s) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\n')
                ++n;
            else if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n'))
                ++n;
        }
        return n;
    }

    void problem(std::size_t line, ReadProblem::Kind kind) { problems_.push_back({line, kind}); }

    std::string_view text_;
    const ContactSink& each_;
    std::vector<ReadProblem>& problems_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t fields_ = 0;
    bool quoted_ = false;
    Contact contact_;
    std::string ignored_;
};

}  // namespace

void appendCsvLine(std::string& out, const Contact& contact) {
    appendField(out, contact.name);
    out += ',';
    appendField(out, contact.number);
    out += "\r\n";
}

std::string formatCsvFile(std::span<const Contact> contacts) {
    std::size_t size = kCsvHeaderLine.size();
    for (const auto& c : contacts)
        size += c.name.size() + c.number.size() + 3;
    std::string out;
    reserveLarge(out, size);
    out += kCsvHeaderLine;
    for (const auto& c : contacts)
        appendCsvLine(out, c);
    return out;
}

bool isUtf8Text(std::string_view bytes) {
    // Code page 936 text that happens to be valid UTF-8 exists, but only in short texts of a few
    // rare characters; a UTF-8 file read as code page 936 would lose every name.
    return bytes.starts_with(kUtf8ByteOrderMark) ||
           (!codepage::isAscii(bytes) && codepage::isValidUtf8(bytes));
}

std::string textFileToGbk(std::string_view bytes, std::size_t* invalid) {
    if (bytes.starts_with(kUtf8ByteOrderMark))
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    else if (!isUtf8Text(bytes))
        return std::string(bytes);
    return codepage::utf8ToGbk(bytes, invalid);
}

void readCsvFile(std::string_view text, const ContactSink& each, std::vector<ReadProblem>& problems) {
    if (!isUtf8Text(text)) {  // read in place: most files are code page 936 already
        CsvReader(text, each, problems).read();
        return;
    }
    std::size_t invalid = 0;
    const std::string gbk = textFileToGbk(text, &invalid);
    if (invalid > 0) problems.push_back({0, ReadProblem::Kind::InvalidBytes});
    CsvReader(gbk, each, problems).read();
}

ReadResult parseCsvFile(std::string_view text) {
    ReadResult result;
    reserveLarge(result.contacts, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    readCsvFile(
        text, [&](const Contact& c) { result.contacts.push_back(c); }, result.problems);
    return result;
}

Conversion convertCsvToVcf(std::string_view csv) {
    Conversion conversion;
    // Most lines of a contact file become one record of our layout; untouched room costs nothing.
    const auto lines = static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) + 1;
    reserveLarge(conversion.text, lines * vcardRecordSizeHint({}) + csv.size() * 5);
    readCsvFile(
        csv,
        [&](const Contact& c) {
            appendVcardRecord(conversion.text, c);
            ++conversion.contacts;
        },
        conversion.problems);
    if (!conversion.succeeded()) conversion.text.clear();
    return conversion;
}

Conversion convertVcfToCsv(std::string_view vcf) {
    Conversion conversion;
    reserveLarge(conversion.text, vcf.size() / 4);
    conversion.text += kCsvHeaderLine;
    readVcfCode(
        vcf,
        [&](const Contact& c) {
            appendCsvLine(conversion.text, c);
            ++conversion.contacts;
        },
        conversion.problems);
    if (!conversion.succeeded()) conversion.text.clear();
    return conversion;
}

std::filesystem::path sampleCsvFilePath(const std::filesystem::path& folder) {
    return folder / std::filesystem::path(kSampleCsvFileName);
}

bool writeSampleCsvFile(const std::filesystem::path& folder) {
    return file_io::writeFileAtomically(sampleCsvFilePath(folder), SampleCsvText);
}

}  // namespace quenlo
