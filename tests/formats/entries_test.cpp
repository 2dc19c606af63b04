#include "formats/entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/contact.h"
#include "formats/test_text.h"

namespace {

struct SplitCase {
    const char* what;
    std::string text;
    std::vector<std::string> entries;
};

TEST(Entries, SplitAtAnyLineEndTrimmedWithoutBlanks) {
    const SplitCase cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF and lone CR", "a\nb\rc", {"a", "b", "c"}},
        {"blanks trimmed, blank lines dropped", "  a \t\r\n\r\n \t \r\n\tb", {"a", "b"}},
        {"inner spaces kept", "130 0000 0001", {"130 0000 0001"}},
        {"code page 936 text", gbk("张三\r\n李四"), {gbk("张三"), gbk("李四")}},
        {"empty", "", {}},
        {"only line ends", "\r\n\n\r", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(quenlo::splitEntries(c.text), c.entries);
        EXPECT_EQ(quenlo::countEntries(c.text), c.entries.size());
    }
}

TEST(Entries, JoinWithCrLfBetween) {
    EXPECT_EQ(quenlo::joinEntries({"a", "b", "c"}), "a\r\nb\r\nc");
    EXPECT_EQ(quenlo::joinEntries({}), "");
}

TEST(Entries, SameNumberInItsCommonSpellings) {
    const std::pair<std::string, std::string> cases[] = {
        {"130 0000-0001", "13000000001"},
        {"(130) 0000 0001", "13000000001"},
        {"+86 130 0000 0001", "13000000001"},
        {"0086-13000000001", "13000000001"},
        {"86130", "86130"},  // a bare 86 is part of the number
        {"+1 555", "+1555"},
    };
    for (const auto& [number, key] : cases)
        EXPECT_EQ(quenlo::numberKey(number), key) << number;
}

TEST(Entries, FirstOccurrencesKeepOrder) {
    EXPECT_EQ(quenlo::firstOccurrences({"1", "+86 1", "2", "0086 2", "3", "1"}),
              (std::vector<std::size_t>{0, 2, 4}));
    EXPECT_EQ(quenlo::firstOccurrences({}), std::vector<std::size_t>{});
}

TEST(Entries, ContactListPairsByPosition) {
    const quenlo::ContactList list = quenlo::contactListFromTexts("a\r\n\r\nb\r\nc", " 1\n2 \n");
    EXPECT_EQ(list.names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.numbers, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(quenlo::pairContacts(list), (std::vector<quenlo::Contact>{{"a", "1"}, {"b", "2"}}));
}

}  // namespace
