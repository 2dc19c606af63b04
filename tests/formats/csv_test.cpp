#include "formats/csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "formats/test_text.h"
#include "formats/vcard.h"
#include "platform/file_io.h"

using quenlo::Contact;
using quenlo::ReadProblem;
using Kind = quenlo::ReadProblem::Kind;
namespace fs = std::filesystem;

namespace {

TEST(CsvFile, NoContactsGiveTheHeaderAlone) {
    const std::string text = quenlo::formatCsvFile({});
    EXPECT_EQ(text, "Name, Phone Number\r\n");
    EXPECT_EQ(text.size(), 20u);
    EXPECT_EQ(quenlo::parseCsvFile(text).contacts.size(), 0u);
}

struct QuotingCase {
    const char* what;
    Contact contact;
    std::string line;
};

TEST(CsvFile, QuotesAFieldOnlyWhenItMust) {
    const QuotingCase cases[] = {
        {"plain, as the sample", {gbk("张三"), "13000000001"}, "\xD5\xC5\xC8\xFD,13000000001\r\n"},
        {"full stop and digit need nothing", {gbk("王五.同事2"), "150"}, gbk("王五.同事2") + ",150\r\n"},
        {"embedded comma", {"Lee, Ann", "1"}, "\"Lee, Ann\",1\r\n"},
        {"doubled quote", {"a\"b", "1"}, "\"a\"\"b\",1\r\n"},
        {"CR LF inside", {"a", "1\r\n2"}, "a,\"1\r\n2\"\r\n"},
        {"LF inside", {"a\nb", "1"}, "\"a\nb\",1\r\n"},
        {"leading blank", {" a", "1"}, "\" a\",1\r\n"},
        {"trailing tab", {"a", "1\t"}, "a,\"1\t\"\r\n"},
        {"empty name", {"", "1"}, ",1\r\n"},
        {"GBK trail bytes that look like ASCII", {"\x81\x40\x95\x5C", "1"}, "\x81\x40\x95\x5C,1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = quenlo::formatCsvFile(std::vector<Contact>{c.contact});
        EXPECT_EQ(text, "Name, Phone Number\r\n" + c.line);
        const auto back = quenlo::parseCsvFile(text);
        EXPECT_EQ(back.contacts, std::vector<Contact>{c.contact});
        EXPECT_EQ(back.problems.size(), 0u);
    }
}

struct ReadCase {
    const char* what;
    std::string text;
    std::vector<Contact> contacts;  // names in UTF-8 here
    std::vector<ReadProblem> problems;
};

TEST(CsvFile, ReadsWhatUsersBring) {
    const ReadCase cases[] = {
        {"header only", "Name, Phone Number\r\n", {}, {}},
        {"no header keeps the first contact",
         "a,13000000001\r\nb,13000000002\r\n",
         {{"a", "13000000001"}, {"b", "13000000002"}},
         {}},
        {"Chinese header", gbk("姓名,手机号\r\n张三,1\r\n"), {{"张三", "1"}}, {}},
        {"LF only, no final line end", "Name,Phone\na,1\nb,2", {{"a", "1"}, {"b", "2"}}, {}},
        {"blank lines skipped", "\r\nName,Phone\r\n\r\n  \r\na,1\r\n\r\n", {{"a", "1"}}, {}},
        {"rows of empty cells skipped", "h,p\r\na,1\r\n,\r\n , ,\r\n", {{"a", "1"}}, {}},
        {"blanks around fields trimmed", "h,p\r\n  a b  ,\t1 \r\n", {{"a b", "1"}}, {}},
        {"quotes keep blanks, commas and line breaks",
         "h,p\r\n\" a,\"\"b\"\" \" , \"1\r\n2\"\r\nc,3\r\n",
         {{" a,\"b\" ", "1\r\n2"}, {"c", "3"}},
         {}},
        {"more fields ignored", "h,p,q\r\na,1,x,y\r\n", {{"a", "1"}}, {}},
        {"too few fields reported", "h,p\r\nlonely\r\nb,2\r\n", {{"b", "2"}}, {{2, Kind::TooFewFields}}},
        {"line numbers count quoted line breaks",
         "h,p\r\n\"a\nb\",1\r\nc\r\n",
         {{"a\nb", "1"}},
         {{4, Kind::TooFewFields}}},
        {"unclosed quote takes the rest",
         "h,p\r\na,\"1\r\nb,2",
         {{"a", "1\r\nb,2"}},
         {{2, Kind::UnclosedQuote}}},
        {"text after closing quote kept", "h,p\r\n\"a\"b,1\r\n", {{"ab", "1"}}, {{2, Kind::TextAfterQuote}}},
        {"UTF-8 with byte-order mark",
         "\xEF\xBB\xBF"
         "Name,Phone\r\n张三,1\r\n",
         {{"张三", "1"}},
         {}},
        {"UTF-8 without byte-order mark", "张三,1\r\n李四,2\r\n", {{"张三", "1"}, {"李四", "2"}}, {}},
        {"UTF-8 character outside code page 936", "𠮷,1\r\n", {{"𠮷", "1"}}, {}},
        {"invalid UTF-8 after byte-order mark",
         "\xEF\xBB\xBF"
         "a\xFF,1\r\n",
         {{"a\xEF\xBF\xBD", "1"}},
         {{0, Kind::InvalidBytes}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Contact> expected;
        for (const auto& e : c.contacts)
            expected.push_back({gbk(e.name), e.number});
        const auto result = quenlo::parseCsvFile(c.text);
        EXPECT_EQ(result.contacts, expected);
        EXPECT_EQ(result.problems, c.problems);
    }
}

std::vector<Contact> sampleContacts() {
    const char* const names[] = {"刘晓燕",      "陈志强",  "杨秀兰", "黄建国", "周文静", "吴海涛",
                                 "王小明1",     "王小明2", "徐春梅", "孙志伟", "马丽萍", "李小红.同事",
                                 "张小刚.同学", "朱国庆",  "胡秀英", "郭建华", "何雪梅"};
    std::vector<Contact> contacts;
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const std::string n = std::to_string(i + 1);
        contacts.push_back(
            {gbk(names[i]), (i < 9 ? "130000000" : "150000000") + std::string(2 - n.size(), '0') + n});
    }
    return contacts;
}

TEST(SampleCsv, HoldsSeventeenContactsInTheWrittenLayout) {
    const auto result = quenlo::parseCsvFile(quenlo::SampleCsvText);
    EXPECT_EQ(result.contacts, sampleContacts());
    EXPECT_EQ(result.problems.size(), 0u);
    // The writer reproduces it byte for byte, so the sample shows exactly what the tool writes.
    EXPECT_EQ(quenlo::formatCsvFile(result.contacts), quenlo::SampleCsvText);
    for (const auto& c : result.contacts) {
        EXPECT_EQ(c.number.size(), 11u);
        EXPECT_TRUE(c.number.starts_with("13") || c.number.starts_with("15")) << c.number;
    }
}

TEST(SampleCsv, ConvertsToSeventeenRecordsAndBack) {
    const auto toVcf = quenlo::convertCsvToVcf(quenlo::SampleCsvText);
    ASSERT_TRUE(toVcf.succeeded());
    EXPECT_EQ(toVcf.contacts, 17u);
    EXPECT_EQ(quenlo::parseVcfCode(toVcf.text).contacts, sampleContacts());
    const std::string firstRecord =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=88=98=E6=99=93=E7=87="
        "95\r\n"
        "TEL;CELL:13000000001\r\nBDAY:00000000\r\nEND:VCARD\r\n";
    EXPECT_EQ(toVcf.text.substr(0, firstRecord.size()), firstRecord);

    const auto toCsv = quenlo::convertVcfToCsv(toVcf.text);
    ASSERT_TRUE(toCsv.succeeded());
    EXPECT_EQ(toCsv.text, quenlo::SampleCsvText);
}

TEST(CsvConversion, FailsWhenThereIsNothingToConvert) {
    const auto fromHeader = quenlo::convertCsvToVcf("Name, Phone Number\r\n");
    EXPECT_FALSE(fromHeader.succeeded());
    EXPECT_EQ(fromHeader.text, "");
    const auto fromNoRecord = quenlo::convertVcfToCsv("just some text\r\n");
    EXPECT_FALSE(fromNoRecord.succeeded());
    EXPECT_EQ(fromNoRecord.text, "");
    EXPECT_EQ(fromNoRecord.problems, (std::vector<ReadProblem>{{1, Kind::OutsideRecord}}));
}

class SampleFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quenlo_sample_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(SampleFile, WritesAndReplacesTheSampleFile) {
    const fs::path file = dir_ / "csv\xE6\xA0\xBC\xE5\xBC\x8F.csv";
    EXPECT_EQ(quenlo::sampleCsvFilePath(dir_), file);
    EXPECT_EQ(quenlo::sampleCsvFilePath(dir_.string() + "/"), file);
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(file, "old"));
    ASSERT_TRUE(quenlo::writeSampleCsvFile(dir_));
    EXPECT_EQ(quenlo::file_io::readFile(file).value(), quenlo::SampleCsvText);
}

TEST_F(SampleFile, ReportsFailure) {
    // The folder's parent is a regular file, which stops even root.
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(dir_ / "plain", "x"));
    EXPECT_FALSE(quenlo::writeSampleCsvFile(dir_ / "plain" / "sub"));
    quenlo::file_io::testing::failNextWrites(1);
    EXPECT_FALSE(quenlo::writeSampleCsvFile(dir_));
    EXPECT_FALSE(fs::exists(quenlo::sampleCsvFilePath(dir_)));
}

}  // namespace
