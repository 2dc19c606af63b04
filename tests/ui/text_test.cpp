#include <gtest/gtest.h>

#include <string>

#include "gbk.h"
#include "platform/codepage.h"
#include "platform/ui/text.h"

namespace quenlo::ui::text {
namespace {

TEST(BoxText, LineEndsBecomeCrLfOnTheWayOut) {
    struct Case {
        const char* in;   // UTF-8, turned into code page 936
        const char* out;  // what the box gives back
    } cases[] = {
        {"", ""},
        {"张三\r\n李四", "张三\r\n李四"},
        {"张三\r\n李四\r\n", "张三\r\n李四\r\n"},
        {"\r\n\r\n", "\r\n\r\n"},
        {"a\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"a\r\r\nb", "a\r\n\r\nb"},
        {"tab\there", "tab\there"},
        {"no\xc2\xa0"
         "break",
         "no\xc2\xa0"
         "break"},         // a no-break space stays what it is
        {"𠀀字", "𠀀字"},  // beyond code page 936: kept in GB18030 form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(fromBoxText(toBoxText(gbk(c.in))), gbk(c.out));
    }
}

TEST(BoxText, QtLineBreaksOfEverySortComeBackAsCrLf) {
    const QString text =
        QStringLiteral("a\nb") + QChar(0x2029) + QStringLiteral("c") + QChar(0x2028) + QStringLiteral("d");
    EXPECT_EQ(fromBoxText(text), "a\r\nb\r\nc\r\nd");
}

TEST(PlainText, KeepsCodePage936BytesAndLineEndsAsTheyAre) {
    const std::string title = gbk("Quenlo通讯录批量导入工具\r\n");
    EXPECT_EQ(toQString(title), QString::fromUtf8("Quenlo通讯录批量导入工具\r\n"));
    EXPECT_EQ(fromQString(toQString(title)), title);
}

}  // namespace
}  // namespace quenlo::ui::text
