#include "net/regex_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gbk.h"
#include "platform/regexp.h"

using quenlo::net::RegexObject;
using quenlo::net::RegexOptions;

namespace {

struct SearchCase {
    const char* what;
    std::string pattern;
    RegexOptions options;
    std::string text;                  // UTF-8 here, searched as GBK
    std::vector<std::string> matches;  // the text of each match
    std::vector<int> positions;        // where each match begins, in characters
    std::vector<std::string> groups;   // capture groups 1.. of the first match
};

const char* const kNotice = "@1(.*?)#1(.*?)@1";
const char* const kCharset = "<meta.+?charset=[^\\w]?([-\\w]+)";

const SearchCase kSearchCases[] = {
    {"nothing found", "abc", {}, "xyz", {}, {}, {}},
    {"notice on one line",
     kNotice,
     {},
     "前言@1今日公告#1http://example.com/a@1后记",
     {"@1今日公告#1http://example.com/a@1"},
     {2},
     {"今日公告", "http://example.com/a"}},
    {"notice over a line end", kNotice, {}, "@1今日\r\n公告#1详情@1", {}, {}, {}},
    {"second field over a line end", kNotice, {}, "@1公告#1详\n情@1", {}, {}, {}},
    {"first field cut at the first #1", kNotice, {}, "@1a#1b#1c@1", {"@1a#1b#1c@1"}, {0}, {"a", "b#1c"}},
    {"two notices, the first counts",
     kNotice,
     {},
     "@1one#1x@1 @1two#1y@1",
     {"@1one#1x@1"},
     {0},
     {"one", "x"}},
    {"empty fields", kNotice, {}, "@1#1@1", {"@1#1@1"}, {0}, {"", ""}},
    {"charset in quotation marks",
     kCharset,
     {},
     "<html><meta http-equiv=\"Content-Type\" content=\"text/html; charset=\"utf-8\">",
     {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=\"utf-8"},
     {6},
     {"utf-8"}},
    {"html5 charset", kCharset, {}, "<meta charset='gb2312'>", {"<meta charset='gb2312"}, {0}, {"gb2312"}},
    {"charset without quotes",
     kCharset,
     {},
     "<meta content=\"text/html;charset=GBK\">",
     {"<meta content=\"text/html;charset=GBK"},
     {0},
     {"GBK"}},
    {"group in an alternative not taken", "(a)|(b)", {}, "b", {"b"}, {0}, {"", "b"}},
    {"group that matched nothing", "a()b", {}, "ab", {"ab"}, {0}, {""}},
    {"groups numbered by opening parenthesis", "((a)(b))", {}, "ab", {"ab"}, {0}, {"ab", "a", "b"}},
    {"position counts a Chinese character as one", "abc", {}, "中文abc", {"abc"}, {2}, {}},
    {"\\w is ASCII only", "\\w+", {}, "中文_a1", {"_a1"}, {2}, {}},
    {"lazy quantifier", "<.+?>", {}, "<a><b>", {"<a>"}, {0}, {}},
    {"dot stops at a line feed", "a.b", {}, "a\nb", {}, {}, {}},
    {"dot takes a carriage return", "a.b", {}, "a\rb", {"a\rb"}, {0}, {}},
    {"single line lets the dot take a line feed", "a.b", {.singleline = true}, "a\nb", {"a\nb"}, {0}, {}},
    {"^ and $ at the text ends only", "^b$", {}, "a\nb\nc", {}, {}, {}},
    {"$ not before a final line feed", "a$", {}, "a\n", {}, {}, {}},
    {"multiline ^ and $ at line ends", "^b$", {.multiline = true}, "a\nb\nc", {"b"}, {2}, {}},
    {"multiline ^ and $ at CR LF line ends", "^b$", {.multiline = true}, "a\r\nb\r\nc", {"b"}, {3}, {}},
    {"multiline dot still takes a carriage return",
     "a.[.]",
     {.multiline = true, .global = true},
     "a\r. a\n.",
     {"a\r."},
     {0},
     {}},
    {"case matters by default", "abc", {}, "ABC", {}, {}, {}},
    {"ignore case", "abc", {.ignoreCase = true}, "xABC", {"ABC"}, {1}, {}},
    {"first match only", "\\d+", {}, "1 22 中333", {"1"}, {0}, {}},
    {"global finds every match", "\\d+", {.global = true}, "1 22 中333", {"1", "22", "333"}, {0, 2, 6}, {}},
    {"empty matches move on by one character", "x*", {.global = true}, "a中", {"", "", ""}, {0, 1, 2}, {}},
    {"Chinese in the pattern", "公告(.)", {}, "新公告栏", {"公告栏"}, {1}, {"栏"}},
    {"unicode escape", "\\u516C", {}, "新公告", {"公"}, {1}, {}},
};

TEST(RegexObject, SearchesAsTheTableSays) {
    for (const auto& c : kSearchCases) {
        SCOPED_TRACE(c.what);
        RegexObject re;
        ASSERT_TRUE(re.create(gbk(c.pattern), c.options));
        EXPECT_EQ(re.search(gbk(c.text)), static_cast<int>(c.matches.size()));
        EXPECT_EQ(re.matchCount(), static_cast<int>(c.matches.size()));
        for (std::size_t i = 0; i < c.matches.size(); ++i) {
            EXPECT_EQ(re.matchText(static_cast<int>(i)), gbk(c.matches[i]));
            EXPECT_EQ(re.matchPosition(static_cast<int>(i)), c.positions[i]);
        }
        if (c.matches.empty()) continue;
        EXPECT_EQ(re.subMatchCount(0), static_cast<int>(c.groups.size()));
        for (std::size_t g = 0; g < c.groups.size(); ++g)
            EXPECT_EQ(re.subMatchText(0, static_cast<int>(g + 1)), gbk(c.groups[g]));
    }
}

TEST(RegexObject, MissingMatchesAndGroupsGiveEmptyTexts) {
    RegexObject re;
    ASSERT_TRUE(re.create("(a)"));
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.matchText(0), "");
    EXPECT_EQ(re.search("xa"), 1);
    EXPECT_EQ(re.matchText(1), "");
    EXPECT_EQ(re.matchText(-1), "");
    EXPECT_EQ(re.matchPosition(1), -1);
    EXPECT_EQ(re.subMatchCount(1), 0);
    EXPECT_EQ(re.subMatchText(0, 0), "a");
    EXPECT_EQ(re.subMatchText(0, 1), "a");
    EXPECT_EQ(re.subMatchText(0, 2), "");
    EXPECT_EQ(re.subMatchText(1, 1), "");
    EXPECT_EQ(re.search("zzz"), 0);
    EXPECT_EQ(re.matchText(0), "");
}

TEST(RegexObject, InvalidPatternFailsCreateAndFindsNothing) {
    RegexObject re;
    ASSERT_TRUE(re.create("a"));
    EXPECT_EQ(re.search("a"), 1);
    for (const char* bad : {"(", "a{2,1}", "[z-a]", "*"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(re.create(bad));
        EXPECT_EQ(re.matchCount(), 0);
        EXPECT_EQ(re.search("a(*"), 0);
        EXPECT_EQ(re.replace("a(*", "b"), "a(*");
    }
}

TEST(RegexObject, ReplaceExpandsDollarForms) {
    struct Case {
        const char* replacement;
        bool global;
        const char* expected;  // UTF-8
    };
    const Case cases[] = {
        {"$2=$1", true, "甲 home=ann, work=bob"},
        {"$2=$1", false, "甲 home=ann, bob@work"},
        {"<$&>", true, "甲 <ann@home>, <bob@work>"},
        {"[$`]", false, "甲 [甲 ], bob@work"},
        {"[$']", false, "甲 [, bob@work], bob@work"},
        {"$$1", false, "甲 $1, bob@work"},
        {"$3$0", false, "甲 $3$0, bob@work"},  // no such group: the text stands as written
        {"$10", false, "甲 ann0, bob@work"},   // two digits only when that group exists
        {"$01", false, "甲 ann, bob@work"},
        {"x$", false, "甲 x$, bob@work"},
        {"$x", false, "甲 $x, bob@work"},
        {"乙", true, "甲 乙, 乙"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.replacement);
        RegexObject re;
        ASSERT_TRUE(re.create("(\\w+)@(\\w+)", {.global = c.global}));
        EXPECT_EQ(re.replace(gbk("甲 ann@home, bob@work"), gbk(c.replacement)), gbk(c.expected));
    }
}

TEST(RegexObject, ReplaceOfEmptyMatchesInsertsBetweenCharacters) {
    RegexObject re;
    ASSERT_TRUE(re.create("", {.global = true}));
    EXPECT_EQ(re.replace(gbk("公告"), "-"), gbk("-公-告-"));
}

TEST(RegExp, PathologicalPatternStopsAtTheMatchLimit) {
    quenlo::regexp::RegExp re;
    re.Pattern = u"(a+)+$";
    std::u16string text(40, u'a');
    text += u'!';
    auto matches = re.Execute(text);
    EXPECT_EQ(matches.Count(), 0u);
    EXPECT_TRUE(matches.stoppedAtLimit());

    RegexObject object;
    ASSERT_TRUE(object.create("(x+x+)+y"));
    EXPECT_EQ(object.search(std::string(5000, 'x')), 0);
}

TEST(RegExp, MatchesFoundBeforeTheLimitAreKept) {
    quenlo::regexp::RegExp re;
    re.Pattern = u"b|(a+)+$";
    re.Global = true;
    auto matches = re.Execute(u"bb" + std::u16string(40, u'a') + u"!");
    EXPECT_EQ(matches.Count(), 2u);
    EXPECT_TRUE(matches.stoppedAtLimit());
    ASSERT_NE(matches.Item(1), nullptr);
    EXPECT_EQ(matches.Item(1)->FirstIndex, 1u);
    EXPECT_EQ(matches.Item(2), nullptr);
}

TEST(RegExp, CharacterOutsideTheBasicPlaneIsOneCharacterToTheDot) {
    quenlo::regexp::RegExp re;
    re.Pattern = u"a(.)b";
    auto matches = re.Execute(u"\u4E2Da\U00020BB7b");
    ASSERT_EQ(matches.Count(), 1u);
    EXPECT_EQ(matches.Item(0)->FirstIndex, 1u);
    EXPECT_EQ(matches.Item(0)->SubMatches().Item(0), std::u16string(u"\U00020BB7"));
}

}  // namespace
