#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

#include "app/window_fixture.h"
#include "gbk.h"
#include "platform/codepage.h"

namespace quenlo::app {
namespace {

using testing::widgetNamed;

// The focusable controls in Tab order.
const char* const kTabOrder[] = {
    "编辑框_姓名",     "编辑框_手机号",   "编辑框_vcf代码区",     "按钮_清空姓名",
    "按钮_清空手机号", "按钮_导出VCF",    "按钮_生成VCF",         "按钮_清空所有",
    "按钮_VCF转CSV",   "按钮_CSV转VCF",   "按钮_使用随机姓名",    "按钮_号码去重复",
    "按钮_安全退出",   "编辑框_号码数量", "按钮_查看CSV标准格式", "按钮_访问官网",
};

class ShownWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        window.window().show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(top()));
    }

    QWidget* top() { return window.window().widget(); }
    QString focused() {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
    }

    // Counts the clicks of every picture button.
    int countClicks() {
        for (ui::PictureButton* b :
             {window.按钮_访问官网, window.按钮_查看CSV标准格式, window.按钮_安全退出, window.按钮_号码去重复,
              window.按钮_使用随机姓名, window.按钮_CSV转VCF, window.按钮_VCF转CSV, window.按钮_清空所有,
              window.按钮_生成VCF, window.按钮_导出VCF, window.按钮_清空手机号, window.按钮_清空姓名})
            b->onClick([this] { ++clicks; });
        return clicks;
    }

    MainWindow window;
    int clicks = 0;
};

TEST_F(ShownWindow, FocusStartsInTheNameBox) {
    EXPECT_EQ(focused(), QString::fromUtf8("编辑框_姓名"));
}

TEST(OpenedWindow, OpeningShowsTheWindowWithTheFocusInTheNameBox) {
    MainWindow window;
    EXPECT_FALSE(window.window().isOpen());
    window.open();
    EXPECT_TRUE(window.window().isOpen());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.window().widget()));
    EXPECT_EQ(QApplication::focusWidget(), widgetNamed(window, "编辑框_姓名"));
    EXPECT_FALSE(window.window().widget()->isMinimized());
    EXPECT_FALSE(window.window().widget()->isMaximized());
}

TEST_F(ShownWindow, TabAndShiftTabFollowTheOrderAndWrapAround) {
    std::vector<QString> forward;
    for (std::size_t i = 0; i <= std::size(kTabOrder); ++i) {
        forward.push_back(focused());
        press(Qt::Key_Tab);
    }
    std::vector<QString> expected;
    for (const char* name : kTabOrder)
        expected.push_back(QString::fromUtf8(name));
    expected.push_back(QString::fromUtf8(kTabOrder[0]));
    EXPECT_EQ(forward, expected);

    // Now one past the start again; Shift+Tab walks back over the start to the last control.
    std::vector<QString> backward;
    for (int i = 0; i < 3; ++i) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        backward.push_back(focused());
    }
    EXPECT_EQ(backward,
              (std::vector<QString>{QString::fromUtf8("编辑框_姓名"), QString::fromUtf8("按钮_访问官网"),
                                    QString::fromUtf8("按钮_查看CSV标准格式")}));
}

TEST_F(ShownWindow, ADisabledControlIsSkipped) {
    window.编辑框_手机号->setEnabled(false);
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QString::fromUtf8("编辑框_vcf代码区"));
}

TEST_F(ShownWindow, TabLeavesAMultiLineBoxWithoutTypingIntoIt) {
    window.编辑框_vcf代码区->setFocus();
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), QString::fromUtf8("按钮_清空姓名"));
    EXPECT_EQ(window.编辑框_vcf代码区->text(), "");
}

TEST_F(ShownWindow, EnterBreaksTheLineInAMultiLineBoxAndDoesNothingElseAnywhere) {
    const int before = countClicks();
    for (ui::EditBox* box : {window.编辑框_姓名, window.编辑框_手机号, window.编辑框_vcf代码区}) {
        SCOPED_TRACE(box->name());
        box->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), "ab");
        press(Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "c");
        press(Qt::Key_Enter);
        EXPECT_EQ(box->text(), "ab\r\nc\r\n");
        EXPECT_EQ(focused(), QString::fromUtf8(box->name().c_str()));
    }

    window.编辑框_号码数量->setFocus();
    const std::string count = window.编辑框_号码数量->text();
    press(Qt::Key_Return);
    press(Qt::Key_Enter);
    EXPECT_EQ(focused(), QString::fromUtf8("编辑框_号码数量"));
    EXPECT_EQ(window.编辑框_号码数量->text(), count);

    window.按钮_导出VCF->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(focused(), QString::fromUtf8("按钮_导出VCF"));
    EXPECT_EQ(clicks, before);
}

TEST_F(ShownWindow, SpaceClicksTheFocusedButton) {
    countClicks();
    window.按钮_生成VCF->setFocus();
    press(Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShownWindow, EscAsksToCloseAndARefusalKeepsEverything) {
    int requests = 0;
    bool allow = false;
    window.window().onCloseRequest([&] {
        ++requests;
        return allow;
    });
    window.编辑框_姓名->setText(gbk("张三\r\n李四"));
    window.编辑框_手机号->setText("13800000000\r\n13900000000");
    window.编辑框_手机号->setFocus();

    press(Qt::Key_Escape);
    QTRY_COMPARE(requests, 1);
    QTest::qWait(20);
    EXPECT_TRUE(window.window().isOpen());
    EXPECT_EQ(window.编辑框_姓名->text(), gbk("张三\r\n李四"));
    EXPECT_EQ(window.编辑框_手机号->text(), "13800000000\r\n13900000000");
    EXPECT_EQ(focused(), QString::fromUtf8("编辑框_手机号"));

    // From a button and from the single-line box too; this time the handler lets it go.
    window.按钮_清空所有->setFocus();
    press(Qt::Key_Escape);
    QTRY_COMPARE(requests, 2);
    window.编辑框_号码数量->setFocus();
    allow = true;
    press(Qt::Key_Escape);
    QTRY_COMPARE(requests, 3);
    QTRY_VERIFY(!window.window().isOpen());
}

TEST_F(ShownWindow, TheCloseBoxSendsTheSameRequest) {
    int requests = 0;
    window.window().onCloseRequest([&] {
        ++requests;
        return false;
    });
    top()->close();  // what the close box and the system menu do
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(window.window().isOpen());
    window.window().close();  // closing from a command asks nobody
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(window.window().isOpen());
}

TEST_F(ShownWindow, EachSetTextAndEachTypedCharacterRaisesOneTextChanged) {
    int changes = 0;
    window.编辑框_手机号->onTextChanged([&] { ++changes; });
    window.编辑框_手机号->setText("13800000000\r\n13900000000");
    EXPECT_EQ(changes, 1);
    window.编辑框_手机号->setText("");
    EXPECT_EQ(changes, 2);

    window.编辑框_手机号->setFocus();
    QTest::keyClick(QApplication::focusWidget(), '1');
    EXPECT_EQ(changes, 3);
    press(Qt::Key_Return);
    EXPECT_EQ(changes, 4);
    press(Qt::Key_Backspace);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(window.编辑框_手机号->text(), "1");
}

TEST_F(ShownWindow, APressOnTheNoticeLabelDeliversItsPositionAndTheKeyState) {
    // Each press as "x,y keys", so a failure shows what arrived.
    std::vector<std::string> presses;
    window.透明标签_公告->onLeftButtonPress([&](int x, int y, int keys) {
        presses.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(keys));
        return true;
    });
    QWidget* label = widgetNamed(window, "透明标签_公告");
    QTest::mousePress(label, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, QPoint(25, 7));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, QPoint(25, 7));
    QTest::mousePress(label, Qt::LeftButton, Qt::AltModifier, QPoint(0, 32));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::AltModifier, QPoint(0, 32));
    QTest::mousePress(label, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));  // not the left button
    QTest::mouseRelease(label, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(presses, (std::vector<std::string>{"25,7 3", "0,32 4"}));
}

TEST_F(ShownWindow, APressOnTheNumberGroupReachesItsHandler) {
    int keyState = -1;
    window.分组框2->onLeftButtonPress([&](int, int, int keys) {
        keyState = keys;
        return true;
    });
    QTest::mouseClick(widgetNamed(window, "分组框2"), Qt::LeftButton, Qt::ControlModifier, QPoint(2, 470));
    EXPECT_EQ(keyState, 1);
}

TEST_F(ShownWindow, TheControlThatHadTheFocusGetsItBackWhenTheWindowIsActiveAgain) {
    window.按钮_导出VCF->setFocus();
    QWidget other;
    other.setWindowTitle("another program");
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window.按钮_导出VCF->hasFocus());

    top()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top()));
    EXPECT_EQ(focused(), QString::fromUtf8("按钮_导出VCF"));
}

}  // namespace
}  // namespace quenlo::app
