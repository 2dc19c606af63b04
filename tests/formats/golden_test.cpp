// Conversions of small real-world shaped files, compared with expected files reviewed by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "formats/test_text.h"
#include "formats/vcard.h"
#include "platform/file_io.h"
#include "test_paths.h"

using quenlo::Contact;
using quenlo::Conversion;
using quenlo::ReadProblem;
using Kind = quenlo::ReadProblem::Kind;

namespace {

std::string fixture(const std::string& name) {
    auto bytes = quenlo::file_io::readFile(std::string(QUENLO_TEST_DATA_DIR) + "/" + name);
    EXPECT_TRUE(bytes.has_value()) << "missing fixture " << name;
    return bytes.value_or("");
}

// Names the first line where two texts part, so a failure points at the record that changed.
std::string firstDifference(const std::string& actual, const std::string& expected) {
    std::size_t line = 1, start = 0;
    for (;;) {
        const std::size_t a = actual.find('\n', start), e = expected.find('\n', start);
        const std::string al =
            actual.substr(start, a == std::string::npos ? std::string::npos : a - start + 1);
        const std::string el =
            expected.substr(start, e == std::string::npos ? std::string::npos : e - start + 1);
        if (al != el) return "line " + std::to_string(line) + ": got \"" + al + "\", expected \"" + el + "\"";
        if (a == std::string::npos) return "";
        start = a + 1;
        ++line;
    }
}

struct Golden {
    const char* input;
    const char* expected;
    Conversion (*convert)(std::string_view);
    std::vector<ReadProblem> problems;
};

TEST(GoldenFiles, ConvertAsExpected) {
    const Golden cases[] = {
        {"vcard/export-3.0.vcf", "vcard/export-3.0.csv", quenlo::convertVcfToCsv, {}},
        {"vcard/export-2.1.vcf", "vcard/export-2.1.csv", quenlo::convertVcfToCsv, {}},
        {"vcard/truncated.vcf", "vcard/truncated.csv", quenlo::convertVcfToCsv, {{7, Kind::UnclosedRecord}}},
        {"csv/excel-utf8-bom.csv", "csv/excel-utf8-bom.vcf", quenlo::convertCsvToVcf, {}},
        {"csv/no-header-lf.csv", "csv/no-header-lf.vcf", quenlo::convertCsvToVcf, {{4, Kind::TooFewFields}}},
        {"csv/quoted.csv", "csv/quoted.vcf", quenlo::convertCsvToVcf, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const Conversion result = c.convert(fixture(c.input));
        const std::string expected = fixture(c.expected);
        EXPECT_TRUE(result.succeeded());
        EXPECT_EQ(firstDifference(result.text, expected), "");
        EXPECT_EQ(result.text.size(), expected.size());
        EXPECT_EQ(result.problems, c.problems);
    }
}

// Whatever a reader makes of any input, writing its contacts and reading them again gives the same
// contacts: nothing it returns is something the writers cannot carry.
TEST(GoldenFiles, RandomInputReadsAndSurvivesRoundTrip) {
    const std::string_view pieces[] = {"BEGIN:VCARD",
                                       "END:VCARD",
                                       "\r\n",
                                       "\n",
                                       "\r",
                                       "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:",
                                       "=E4=B8=AD",
                                       "=",
                                       "= \r\n",
                                       "FN:",
                                       "TEL;CELL:",
                                       "TEL;TYPE=CELL:",
                                       " ",
                                       ";",
                                       "\\",
                                       "\"",
                                       ",",
                                       "\xD6\xD0",
                                       "\xE4\xB8\xAD",
                                       "\xFF",
                                       "PHOTO;ENCODING=BASE64:",
                                       "1",
                                       "VERSION:3.0",
                                       "CHARSET=Big5:",
                                       "a"};
    std::mt19937 random(20261211);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) {
            if (random() % 4 == 0)
                text += static_cast<char>(random() % 256);
            else
                text += pieces[random() % std::size(pieces)];
        }
        SCOPED_TRACE(text);
        std::vector<Contact> fromVcf = quenlo::parseVcfCode(text).contacts;
        for (auto& c : fromVcf) {
            if (!quenlo::codepage::isAscii(c.number))
                c.number = "0";  // only ASCII numbers round-trip exactly
            for (char& ch : c.number)
                if (ch == '\r' || ch == '\n') ch = ' ';
        }
        EXPECT_EQ(quenlo::parseVcfCode(quenlo::formatVcfCode(fromVcf)).contacts, fromVcf);

        const std::vector<Contact> fromCsv = quenlo::parseCsvFile(text).contacts;
        const std::string csv = quenlo::formatCsvFile(fromCsv);
        // Code page 936 text that happens to be valid UTF-8 is read as UTF-8; that risk is accepted.
        if (quenlo::codepage::isAscii(csv) || !quenlo::codepage::isValidUtf8(csv)) {
            EXPECT_EQ(quenlo::parseCsvFile(csv).contacts, fromCsv);
        }
    }
}

}  // namespace
