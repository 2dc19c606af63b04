#include "formats/csv.h"

#include <algorithm>
#include <utility>

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
    return field.find_first_of(",\"\r\n") != std::string_view::npos || isBlank(field.front()) ||
           isBlank(field.back());
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
    explicit CsvReader(std::string_view text) : text_(text) {}

    ReadResult read() {
        bool first = true;
        while (pos_ < text_.size()) {
            const std::size_t recordLine = line_;
            readRecord();
            if (fields_ == 1 && !quoted_ && name_.empty()) continue;  // a blank line
            if (first) {
                first = false;
                if (fields_ >= 2 && !holdsDigit(number_)) continue;  // the header
            }
            if (fields_ < 2) {
                problem(recordLine, ReadProblem::Kind::TooFewFields);
                continue;
            }
            result_.contacts.push_back({name_, number_});
        }
        return std::move(result_);
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
        name_.clear();
        number_.clear();
        for (;;) {
            std::string* field = fields_ == 0 ? &name_ : fields_ == 1 ? &number_ : &ignored_;
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

    void problem(std::size_t line, ReadProblem::Kind kind) { result_.problems.push_back({line, kind}); }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::size_t fields_ = 0;
    bool quoted_ = false;
    std::string name_;
    std::string number_;
    std::string ignored_;
    ReadResult result_;
};

}  // namespace

std::string formatCsvFile(std::span<const Contact> contacts) {
    std::size_t size = kCsvHeaderLine.size();
    for (const auto& c : contacts)
        size += c.name.size() + c.number.size() + 3;
    std::string out;
    out.reserve(size);
    out += kCsvHeaderLine;
    for (const auto& c : contacts) {
        appendField(out, c.name);
        out += ',';
        appendField(out, c.number);
        out += "\r\n";
    }
    return out;
}

std::string textFileToGbk(std::string_view bytes, std::size_t* invalid) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) return codepage::utf8ToGbk(bytes.substr(3), invalid);
    // Code page 936 text that happens to be valid UTF-8 exists, but only in short texts of a few
    // rare characters; a UTF-8 file read as code page 936 would lose every name.
    if (!codepage::isAscii(bytes) && codepage::isValidUtf8(bytes)) return codepage::utf8ToGbk(bytes, invalid);
    return std::string(bytes);
}

ReadResult parseCsvFile(std::string_view text) {
    std::size_t invalid = 0;
    const std::string gbk = textFileToGbk(text, &invalid);
    ReadResult result = CsvReader(gbk).read();
    if (invalid > 0) result.problems.insert(result.problems.begin(), {0, ReadProblem::Kind::InvalidBytes});
    return result;
}

Conversion convertCsvToVcf(std::string_view csv) {
    ReadResult read = parseCsvFile(csv);
    Conversion conversion;
    conversion.contacts = read.contacts.size();
    conversion.problems = std::move(read.problems);
    if (conversion.succeeded()) conversion.text = formatVcfCode(read.contacts);
    return conversion;
}

Conversion convertVcfToCsv(std::string_view vcf) {
    ReadResult read = parseVcfCode(vcf);
    Conversion conversion;
    conversion.contacts = read.contacts.size();
    conversion.problems = std::move(read.problems);
    if (conversion.succeeded()) conversion.text = formatCsvFile(read.contacts);
    return conversion;
}

std::filesystem::path sampleCsvFilePath(const std::filesystem::path& folder) {
    return folder / std::filesystem::path(kSampleCsvFileName);
}

bool writeSampleCsvFile(const std::filesystem::path& folder) {
    return file_io::writeFileAtomically(sampleCsvFilePath(folder), SampleCsvText);
}

}  // namespace quenlo
