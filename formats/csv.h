#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/contact.h"

// CSV contact files: a header line "Name, Phone Number", then one "name,number" line per contact,
// every line ending with CR LF, in code page 936.
namespace quenlo {

inline constexpr std::string_view kCsvHeaderLine = "Name, Phone Number\r\n";

// The sample file's content, byte for byte (code page 936).
extern const std::string_view SampleCsvText;

// The sample file's name, as a native (UTF-8) file name.
inline constexpr std::string_view kSampleCsvFileName = "csv\xE6\xA0\xBC\xE5\xBC\x8F.csv";  // csv格式.csv

// The header line, then one line per contact. A field is put in double quotes only when it must be:
// when it holds a comma, a double quote, CR or LF, or begins or ends with a blank.
std::string formatCsvFile(std::span<const Contact> contacts);

// Reads a CSV contact file: RFC 4180 quoting, CR LF or LF, blank lines skipped, blanks around fields
// trimmed outside quotes; the name is the first field and the number the second. The first line is
// taken as a header only when its second field holds no digit, so a file without a header keeps its
// first contact. UTF-8 files (with a byte-order mark, or valid UTF-8 with non-ASCII bytes) are
// converted; anything else is read as code page 936.
ReadResult parseCsvFile(std::string_view text);

// Appends one contact line, as formatCsvFile writes it.
void appendCsvLine(std::string& out, const Contact& contact);

// Reads the contacts as parseCsvFile does and hands each to `each` as soon as it is read.
void readCsvFile(std::string_view text, const ContactSink& each, std::vector<ReadProblem>& problems);

// The text of a file in code page 936: UTF-8 (by byte-order mark, or valid UTF-8 holding non-ASCII
// bytes) is converted, anything else is taken as code page 936 already. Problems found on the way
// (bytes invalid in UTF-8 after a byte-order mark) are counted in `invalid`.
std::string textFileToGbk(std::string_view bytes, std::size_t* invalid = nullptr);

// The outcome of a conversion. It fails when the source holds no contact at all; `text` is then
// empty, so that nothing is written.
struct Conversion {
    std::string text;
    std::size_t contacts = 0;
    std::vector<ReadProblem> problems;

    bool succeeded() const { return contacts > 0; }
};

// CSV contact file to VCF code: parseCsvFile, then formatVcfCode.
Conversion convertCsvToVcf(std::string_view csv);

// VCF code to CSV contact file: parseVcfCode, then formatCsvFile.
Conversion convertVcfToCsv(std::string_view vcf);

// Where writeSampleCsvFile puts the sample file: the file name in `folder`, one separator between.
std::filesystem::path sampleCsvFilePath(const std::filesystem::path& folder);

// Writes SampleCsvText into the sample file in `folder`, replacing a file of that name, whole or not
// at all. Returns false when the file cannot be written.
bool writeSampleCsvFile(const std::filesystem::path& folder);

}  // namespace quenlo
