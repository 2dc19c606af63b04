#include "formats/vcard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/test_text.h"

using quenlo::Contact;
using quenlo::ReadProblem;
using Kind = quenlo::ReadProblem::Kind;

namespace {

TEST(VcardRecord, ZhongRecordIsByteExact) {
    const std::string record = quenlo::formatVcardRecord({gbk("中"), "13800000000"});
    EXPECT_EQ(record,
              "BEGIN:VCARD\r\n"
              "VERSION:2.1\r\n"
              "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E4=B8=AD\r\n"
              "TEL;CELL:13800000000\r\n"
              "BDAY:00000000\r\n"
              "END:VCARD\r\n");
    EXPECT_EQ(record.size(), 68u + 9 + 11 + 11 + 28);
}

struct NameCase {
    const char* what;
    std::string name;  // UTF-8 here, code page 936 when encoded
    std::string value;
};

const NameCase kNameCases[] = {
    {"one hanzi, upper-case hex", "中", "=E4=B8=AD"},
    {"three hanzi", "张小明", "=E5=BC=A0=E5=B0=8F=E6=98=8E"},
    {"printable ascii stays", "Li Lei 2", "Li Lei 2"},
    {"digit appended", "李四1", "=E6=9D=8E=E5=9B=9B1"},
    {"full stop and relation", "王五.同事", "=E7=8E=8B=E4=BA=94.=E5=90=8C=E4=BA=8B"},
    {"equals sign escaped", "a=b", "a=3Db"},
    {"trailing space escaped, inner kept", "a b ", "a b=20"},
    {"trailing tab escaped", "ab\t", "ab=09"},
    {"control byte escaped", "a\x01z", "a=01z"},
    {"semicolon and backslash take vCard escapes", "a;b\\c", "a\\;b\\\\c"},
    {"character only in GB18030", "𠮷", "=F0=A0=AE=B7"},
    {"two-byte GB18030 character", "䶮", "=E4=B6=AE"},
    {"empty", "", ""},
};

TEST(VcardRecord, EncodesAndDecodesNames) {
    for (const auto& c : kNameCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(quenlo::encodeVcardName(gbk(c.name)), c.value);
        std::size_t invalid = 0;
        EXPECT_EQ(quenlo::decodeVcardName(c.value, &invalid), gbk(c.name));
        EXPECT_EQ(invalid, 0u);
    }
}

TEST(VcardRecord, DecodesWhatOtherWritersProduce) {
    const NameCase cases[] = {
        {"lower-case hex", "中", "=e4=b8=ad"},
        {"soft break inside a character", "中", "=E4=B8=\r\n=AD"},
        {"blank after soft break", "中文", "=E4=B8=AD= \r\n=E6=96=87"},
        {"printable ascii escaped too", "AB", "=41=42"},
        {"stray equals kept", "a=zb", "a=zb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(quenlo::decodeVcardName(c.value), gbk(c.name));
    }
}

TEST(VcardRecord, NumberIsCopiedButNeverAddsALine) {
    const Contact contacts[] = {
        {"a", "+86 138-0000-0000"},
        {"b", "139\r\n0000\n0000"},
    };
    EXPECT_EQ(quenlo::formatVcfCode(contacts),
              "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a\r\n"
              "TEL;CELL:+86 138-0000-0000\r\nBDAY:00000000\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:b\r\n"
              "TEL;CELL:139  0000 0000\r\nBDAY:00000000\r\nEND:VCARD\r\n");
}

TEST(VcardRecord, EmptyListGivesEmptyText) {
    EXPECT_EQ(quenlo::formatVcfCode({}), "");
    EXPECT_EQ(quenlo::parseVcfCode("").contacts.size(), 0u);
}

TEST(VcardRecord, ReadsBackWhatItWrites) {
    const std::vector<Contact> contacts = {
        {gbk("张三"), "13800000001"},
        {gbk("张三1"), "13800000002"},
        {gbk("王五.同学"), "+86 150-0000-0003"},
        {gbk("𠮷田"), "15000000004"},
        {gbk("欧阳娜娜;备注\\x"), "15000000005"},
        {"Ann = Lee ", "(010) 0000"},
        {"", "15000000006"},
        {gbk("无号码"), ""},
        {gbk("多行\n名字"), "1"},
        // Code page 936 bytes in a number that also happen to be valid UTF-8.
        {gbk("张三"), gbk("13800138000转123")},
        {"a", gbk("小")},
    };
    const auto result = quenlo::parseVcfCode(quenlo::formatVcfCode(contacts));
    EXPECT_EQ(result.contacts, contacts);
    EXPECT_EQ(result.problems.size(), 0u);
}

struct ReadCase {
    const char* what;
    std::string text;
    std::vector<Contact> contacts;  // names in UTF-8 here
};

// Shapes of records that phones and address books export.
const ReadCase kReadCases[] = {
    {"3.0 with N components and FN",
     "BEGIN:VCARD\nVERSION:3.0\nN:张;三;;;\nFN:张三\nTEL;TYPE=CELL:13800000000\nEND:VCARD\n",
     {{"张三", "13800000000"}}},
    {"Latin components get a space",
     "BEGIN:VCARD\nN:Smith;John;;Dr.;\nTEL:1\nEND:VCARD\n",
     {{"Smith John", "1"}}},
    {"FN when N is empty", "BEGIN:VCARD\r\nN:;;;;\r\nFN:李四\r\nTEL:2\r\nEND:VCARD\r\n", {{"李四", "2"}}},
    {"FN when N is missing", "BEGIN:VCARD\r\nFN:Bob\r\nTEL:3\r\nEND:VCARD\r\n", {{"Bob", "3"}}},
    {"first mobile number wins",
     "BEGIN:VCARD\nFN:a\nTEL;TYPE=HOME:1\nTEL;TYPE=\"voice,cell\":2\nTEL;CELL:3\nEND:VCARD\n",
     {{"a", "2"}}},
    {"else the first number",
     "BEGIN:VCARD\nFN:a\nTEL;TYPE=WORK:4\nTEL;TYPE=HOME:5\nEND:VCARD\n",
     {{"a", "4"}}},
    {"grouped property", "BEGIN:VCARD\nFN:a\nitem1.TEL;type=cell:6\nEND:VCARD\n", {{"a", "6"}}},
    {"4.0 tel uri",
     "BEGIN:VCARD\nVERSION:4.0\nFN:a\nTEL;VALUE=uri;TYPE=cell:tel:+86-138\nEND:VCARD\n",
     {{"a", "+86-138"}}},
    {"folded 3.0 line", "BEGIN:VCARD\nFN:张\n 三\nTEL:1\n\t2\nEND:VCARD\n", {{"张三", "12"}}},
    {"case of keywords", "begin:vcard\nfn:a\ntel;type=CELL:7\nend:vcard\n", {{"a", "7"}}},
    {"backslash escapes", "BEGIN:VCARD\nFN:a\\,b\\;c\\\\d\nTEL:8\nEND:VCARD\n", {{"a,b;c\\d", "8"}}},
    {"bare QUOTED-PRINTABLE, lower-case hex and soft break",
     "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;QUOTED-PRINTABLE:;=e5=bc=\n=a0=e4=\n=b8=89;;;\nTEL;CELL:"
     "9\nEND:VCARD\n",
     {{"张三", "9"}}},
    {"GBK charset, raw bytes",
     "BEGIN:VCARD\nN;CHARSET=GBK:\xD5\xC5\xC8\xFD\nTEL:10\nEND:VCARD\n",
     {{"张三", "10"}}},
    {"Big5 charset", "BEGIN:VCARD\nN;CHARSET=Big5:\xA4\xA4\nTEL:11\nEND:VCARD\n", {{"中", "11"}}},
    {"no charset, valid UTF-8", "BEGIN:VCARD\nFN:中\nTEL:12\nEND:VCARD\n", {{"中", "12"}}},
    {"no charset, not UTF-8 so GBK", "BEGIN:VCARD\nFN:\xD6\xD0\nTEL:13\nEND:VCARD\n", {{"中", "13"}}},
    {"quoted parameter holding colon",
     "BEGIN:VCARD\nFN;X-NOTE=\"a:b\";CHARSET=UTF-8:中\nTEL:14\nEND:VCARD\n",
     {{"中", "14"}}},
    {"3.0 base64 photo skipped",
     "BEGIN:VCARD\nFN:a\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\n SkZJRg==\nTEL:15\nEND:VCARD\n",
     {{"a", "15"}}},
    {"2.1 base64 block without indent",
     "BEGIN:VCARD\nFN:a\nPHOTO;ENCODING=BASE64;JPEG:/9j/4AAQ\nSkZJRgABAQ\nAAAB==\n\nTEL;CELL:16\nEND:VCARD\n",
     {{"a", "16"}}},
    {"blank lines and two records",
     "\r\nBEGIN:VCARD\r\nFN:a\r\nTEL:1\r\nEND:VCARD\r\n\r\nBEGIN:VCARD\r\nFN:b\r\n"
     "TEL:2\r\nEND:VCARD",
     {{"a", "1"}, {"b", "2"}}},
    {"name without number", "BEGIN:VCARD\nFN:a\nEMAIL:a@example.com\nEND:VCARD\n", {{"a", ""}}},
};

TEST(VcardReader, ReadsRealWorldShapes) {
    for (const auto& c : kReadCases) {
        SCOPED_TRACE(c.what);
        std::vector<Contact> expected;
        for (const auto& e : c.contacts)
            expected.push_back({gbk(e.name), e.number});
        const auto result = quenlo::parseVcfCode(c.text);
        EXPECT_EQ(result.contacts, expected);
        EXPECT_EQ(result.problems.size(), 0u) << "first: line " << result.problems.front().line << " "
                                              << quenlo::describe(result.problems.front().kind);
    }
}

struct ProblemCase {
    const char* what;
    std::string text;
    std::size_t contacts;
    std::vector<ReadProblem> problems;
};

TEST(VcardReader, ReportsProblemsWithTheirLines) {
    const ProblemCase cases[] = {
        {"no record at all",
         "hello\nworld\n\nagain\n",
         0,
         {{1, Kind::OutsideRecord}, {4, Kind::OutsideRecord}}},
        {"record cut off keeps what it has", "BEGIN:VCARD\nFN:a\nTEL:1", 1, {{1, Kind::UnclosedRecord}}},
        {"second BEGIN closes the first",
         "BEGIN:VCARD\nFN:a\nBEGIN:VCARD\nFN:b\nEND:VCARD\n",
         2,
         {{1, Kind::UnclosedRecord}}},
        {"END without BEGIN", "END:VCARD\n", 0, {{1, Kind::EndWithoutBegin}}},
        {"empty record", "BEGIN:VCARD\nVERSION:2.1\nEND:VCARD\n", 0, {{1, Kind::EmptyRecord}}},
        {"line without colon", "BEGIN:VCARD\nFN:a\nnonsense\nEND:VCARD\n", 1, {{3, Kind::MissingColon}}},
        {"unknown charset",
         "BEGIN:VCARD\nFN;CHARSET=X-NONE:\xE4\xB8\xAD\nEND:VCARD\n",
         1,
         {{2, Kind::UnknownCharset}}},
        {"broken quoted-printable",
         "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:a=G1\nEND:VCARD\n",
         1,
         {{2, Kind::BadQuotedPrintable}}},
        {"invalid UTF-8 declared",
         "BEGIN:VCARD\nFN;CHARSET=UTF-8:a\xFF\nEND:VCARD\n",
         1,
         {{2, Kind::InvalidBytes}}},
        {"soft break never swallows END",
         "BEGIN:VCARD\nFN;QUOTED-PRINTABLE:a=\nEND:VCARD\nBEGIN:VCARD\nFN:b\nEND:VCARD\n",
         2,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = quenlo::parseVcfCode(c.text);
        EXPECT_EQ(result.contacts.size(), c.contacts);
        EXPECT_EQ(result.problems, c.problems);
    }
}

}  // namespace
