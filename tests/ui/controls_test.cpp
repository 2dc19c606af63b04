#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "gbk.h"
#include "platform/codepage.h"
#include "platform/ui/testing.h"
#include "platform/ui/ui.h"
#include "qt_application.h"

namespace quenlo::ui {
namespace {

TEST(RunOnUiThread, RunsWorkFromAWorkerOnTheWindowsThread) {
    std::atomic<bool> ran = false;
    QThread* ranOn = nullptr;
    std::thread worker([&] {
        runOnUiThread([&] {
            ranOn = QThread::currentThread();
            ran = true;
        });
    });
    worker.join();
    EXPECT_FALSE(ran);  // only once the window's thread takes its events
    QTRY_VERIFY(ran.load());
    EXPECT_EQ(ranOn, QApplication::instance()->thread());
}

TEST(Timer, APeriodAboveZeroStartsItAndZeroOrBelowStopsIt) {
    Timer timer("时钟");
    int ticks = 0;
    timer.onTick([&] { ++ticks; });
    EXPECT_EQ(timer.period(), 0);
    QTest::qWait(30);
    EXPECT_EQ(ticks, 0);

    timer.setPeriod(5);
    QTRY_VERIFY(ticks >= 2);
    timer.setPeriod(0);
    const int stoppedAt = ticks;
    QTest::qWait(30);
    EXPECT_EQ(ticks, stoppedAt);

    timer.setPeriod(5);
    QTRY_VERIFY(ticks > stoppedAt);
    timer.setPeriod(-1);
    EXPECT_EQ(timer.period(), 0);
    const int stoppedAgain = ticks;
    QTest::qWait(30);
    EXPECT_EQ(ticks, stoppedAgain);
}

class BoxWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        window.build(std::vector<ControlSpec>{
            {"编辑框", Kind::MultiLineEditBox, "", {0, 0, 200, 100}, ""},
            {"按钮", Kind::PictureButton, "", {0, 110, 115, 24}, gbk("生成VCF代码")},
        });
    }
    EditBox& box() { return window.control<EditBox>("编辑框"); }
    PictureButton& button() { return window.control<PictureButton>("按钮"); }

    Window window;
};

TEST_F(BoxWindow, AHundredThousandLinesGoInAndComeOutUnchanged) {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += gbk("姓名") + std::to_string(13800000000LL + i) + "\r\n";
    int changes = 0;
    box().onTextChanged([&] { ++changes; });
    box().setText(text);
    EXPECT_EQ(changes, 1);
    const std::string back = box().text();
    EXPECT_EQ(back.size(), text.size());
    EXPECT_TRUE(back == text);  // a mismatch would print two megabytes
}

TEST(SingleLineBox, HoldsTextBeyondTheToolkitsDefaultLimit) {
    Window window;
    window.build(std::vector<ControlSpec>{{"编辑框", Kind::EditBox, "", {0, 0, 115, 24}, ""}});
    const std::string text(40000, '7');
    window.control<EditBox>("编辑框").setText(text);
    EXPECT_EQ(window.control<EditBox>("编辑框").text(), text);
}

// Long enough (over 800 KB) to be laid out on a worker thread: 8,000 records of six lines, GBK
// names, CR LF.
std::string longCode() {
    std::string code;
    for (int i = 0; i < 8000; ++i)
        code += "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=GBK:" + gbk("张三") +
                ";;;;\r\nFN;CHARSET=GBK:" + gbk("张三") +
                "\r\nTEL;CELL:" + std::to_string(13800000000LL + i) + "\r\nEND:VCARD\r\n";
    return code;
}

TEST_F(BoxWindow, ALongTextRaisesOneChangeWithTheWholeTextInPlace) {
    const std::string code = longCode();
    window.show();
    std::vector<std::size_t> seen;  // the box's text size at each change
    box().onTextChanged([&] { seen.push_back(box().text().size()); });
    box().setText(code);
    EXPECT_EQ(seen, std::vector<std::size_t>{code.size()});
    EXPECT_TRUE(box().text() == code);  // a mismatch would print megabytes
    box().setText(gbk("13800000000"));
    EXPECT_EQ(seen, (std::vector<std::size_t>{code.size(), 11}));

    // Replacing a long text with another, lone line ends becoming CR LF as in a short one.
    std::string bare = code;
    std::erase(bare, '\r');
    box().setText(bare);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_TRUE(box().text() == code);
}

TEST_F(BoxWindow, TheBoxKeepsItsLookAndTypingAndUndoWorkAfterALongText) {
    window.show();
    auto* edit = static_cast<QPlainTextEdit*>(box().widget());
    const QFont font = edit->document()->defaultFont();
    const qreal margin = edit->document()->documentMargin();
    box().setText("scrolled\r\n" + std::string(50, 'x'));
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());

    const std::string code = longCode();
    box().setText(code);
    EXPECT_EQ(edit->document()->defaultFont(), font);
    EXPECT_EQ(edit->document()->documentMargin(), margin);
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(edit->document()->defaultTextOption().wrapMode(), QTextOption::NoWrap);
    EXPECT_EQ(edit->verticalScrollBar()->value(), 0);
    EXPECT_EQ(edit->textCursor().position(), 0);

    int changes = 0;
    box().onTextChanged([&] { ++changes; });
    box().setFocus();
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(edit, "7");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(box().text() == code + "7");
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(box().text() == code);
    // Setting the text is not a step the user can undo.
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(box().text() == code);
}

TEST_F(BoxWindow, WhileALongTextFillsTheWindowTakesNoInputAndAfterwardsItDoes) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.widget()));
    int clicks = 0;
    button().onClick([&] { ++clicks; });
    QWidget* target = button().widget();
    auto postClick = [target] {
        const QPointF at(10, 10);
        const QPointF global = target->mapToGlobal(at);
        QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    };
    // Posted before the fill starts, so they arrive while it runs.
    postClick();
    int ticks = 0;
    QTimer::singleShot(0, [&] { ++ticks; });
    box().setText(longCode());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(ticks, 1);  // the window's own work goes on meanwhile

    postClick();
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);
}

TEST_F(BoxWindow, ACommandThatFillsTheBoxShowsItsMessageOnceTheTextIsThere) {
    testing::scriptDialogs();
    const std::string code = longCode();
    std::size_t messagesAtChange = 99;
    box().onTextChanged([&] { messagesAtChange = testing::shownDialogs().size(); });
    std::size_t boxSizeAtMessage = 0;
    button().onClick([&] {
        box().setText(code);
        boxSizeAtMessage = box().text().size();
        window.showMessage(gbk("提示"), gbk("生成VCF代码成功！"), MessageIcon::Information,
                           MessageButtons::Ok);
    });
    button().click();
    EXPECT_EQ(messagesAtChange, 0u);
    EXPECT_EQ(boxSizeAtMessage, code.size());
    ASSERT_EQ(testing::shownDialogs().size(), 1u);
    EXPECT_EQ(testing::shownDialogs()[0].text, gbk("生成VCF代码成功！"));
    testing::stopScriptingDialogs();
}

TEST_F(BoxWindow, APasteReplacesTheSelectionRaisesOneChangeAndUndoesInOneStep) {
    window.show();
    QWidget* edit = box().widget();
    box().setText(gbk("张三\r\nlast"));
    box().setFocus();
    QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
    QApplication::clipboard()->setText(QString::fromUtf8("李四\r\n2\r3\n4"));
    int changes = 0;
    box().onTextChanged([&] { ++changes; });

    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box().text(), gbk("李四\r\n2\r\n3\r\n4\r\nlast"));
    QTest::keyClicks(edit, "5");  // the cursor stands after what was pasted
    EXPECT_EQ(box().text(), gbk("李四\r\n2\r\n3\r\n45\r\nlast"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box().text(), gbk("张三\r\nlast"));
}

TEST_F(BoxWindow, SettingTheTextRaisesOneChangeAfterTheTextIsInPlace) {
    std::vector<std::string> seen;
    box().onTextChanged([&] { seen.push_back(box().text()); });
    box().setText(gbk("13800000000\r\n13900000000"));
    box().setText("");
    box().setText("");
    EXPECT_EQ(seen, (std::vector<std::string>{gbk("13800000000\r\n13900000000"), "", ""}));
}

TEST_F(BoxWindow, ThePictureStandsThreePixelsInAndMovesWithThePress) {
    Image red;
    red.width = red.height = 16;
    for (int i = 0; i < 16 * 16; ++i)
        red.rgba.insert(red.rgba.end(), {255, 0, 0, 255});
    button().setPicture(red);
    ASSERT_TRUE(button().hasPicture());
    auto* widget = static_cast<QAbstractButton*>(button().widget());

    // The top-left corner of the red square in a picture of the button.
    auto pictureCorner = [&] {
        const QImage shot = widget->grab().toImage();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) == QColor(255, 0, 0)) return QPoint(x, y);
        return QPoint(-1, -1);
    };
    EXPECT_EQ(pictureCorner(), QPoint(3, (24 - 16) / 2));
    widget->setDown(true);
    EXPECT_EQ(pictureCorner(), QPoint(4, (24 - 16) / 2 + 1));
    widget->setDown(false);

    // Greyed when disabled: no pure red is left.
    button().setEnabled(false);
    EXPECT_EQ(pictureCorner(), QPoint(-1, -1));
    button().setEnabled(true);

    button().setPicture(Image{});
    EXPECT_FALSE(button().hasPicture());
    EXPECT_EQ(pictureCorner(), QPoint(-1, -1));
}

TEST_F(BoxWindow, TheFaceLightensUnderThePointerAndWhilePressedAndFocusShowsDots) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.widget()));
    auto* widget = static_cast<QAbstractButton*>(button().widget());
    // A point of the face clear of the edge, the caption and the focus rectangle.
    const QPoint face(widget->width() - 3, widget->height() / 2);
    auto colourAt = [&](QPoint at) { return widget->grab().toImage().pixelColor(at); };

    const QColor plain = colourAt(face);
    QTest::mouseMove(widget, QPoint(10, 10));
    QTRY_VERIFY(widget->underMouse());
    const QColor hovered = colourAt(face);
    EXPECT_GT(hovered.lightness(), plain.lightness());
    QTest::mouseMove(window.widget(), QPoint(150, 5));
    QTRY_VERIFY(!widget->underMouse());
    widget->setDown(true);
    EXPECT_EQ(colourAt(face), hovered);
    widget->setDown(false);

    // The dotted rectangle runs 3 pixels inside the edge, only while the button has the focus.
    auto dotsOnTopLine = [&] {
        const QImage shot = widget->grab().toImage();
        int dark = 0;
        for (int x = 3; x < widget->width() - 3; ++x)
            if (shot.pixelColor(x, 3).lightness() < 60) ++dark;
        return dark;
    };
    window.control<EditBox>("编辑框").setFocus();
    EXPECT_EQ(dotsOnTopLine(), 0);
    button().setFocus();
    QTRY_VERIFY(button().hasFocus());
    const int dots = dotsOnTopLine();
    EXPECT_GT(dots, 10);
    EXPECT_LT(dots, widget->width() - 6);  // dotted, not a solid line
}

TEST_F(BoxWindow, TheClickHandlerRunsOnClickAndNotWhenDisabled) {
    int clicks = 0;
    button().onClick([&] { ++clicks; });
    button().click();
    QTest::mouseClick(button().widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    button().setEnabled(false);
    button().click();
    EXPECT_EQ(clicks, 2);
}

}  // namespace
}  // namespace quenlo::ui
