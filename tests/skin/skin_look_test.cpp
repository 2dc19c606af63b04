#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <cstdlib>

#include "platform/dynamic_library.h"
#include "platform/file_io.h"
#include "skin/attach_skin.h"
#include "skin_test_support.h"

using quenlo::file_io::readFile;
using quenlo::skin::AttachOutcome;
using quenlo::skin::testing::differingPixels;
using quenlo::skin::testing::grabImage;

namespace fs = std::filesystem;

namespace {

const char kSkinName[] = "\xE7\x9A\xAE\xE8\x82\xA4.she";  // 皮肤.she in UTF-8

::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new quenlo::skin::testing::ApplicationEnvironment);

struct TestWindow {
    TestWindow() {
        window.resize(320, 260);
        box = new QGroupBox("Group", &window);
        box->setGeometry(10, 10, 300, 90);
        button = new QPushButton("Button", box);
        button->setGeometry(10, 40, 110, 24);
        edit = new QPlainTextEdit(&window);
        edit->setGeometry(10, 110, 300, 140);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setPlainText(QString("line\n").repeated(40));
        // A window paints its background only once it is on screen.
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    std::vector<QRect> geometries() const {
        std::vector<QRect> all;
        for (const QWidget* w : window.findChildren<QWidget*>())
            all.push_back(w->geometry());
        return all;
    }
    QRect inWindow(const QWidget* w, QRect r) const { return r.translated(w->mapTo(&window, QPoint(0, 0))); }

    QWidget window;
    QGroupBox* box = nullptr;
    QPushButton* button = nullptr;
    QPlainTextEdit* edit = nullptr;
};

TEST(SkinLook, AttachingRepaintsTheControlsAndMovesNothing) {
    TestWindow t;
    const QImage plain = grabImage(t.window);
    const auto geometries = t.geometries();
    const QRect viewport = t.edit->viewport()->geometry();
    QStyle* plainStyle = QApplication::style();

    quenlo::skin::testing::TempFolder folder;
    ::testing::internal::CaptureStderr();
    const auto report = quenlo::skin::attachSkin({folder.path()}, quenlo::skin::carriedLibrary(),
                                                 quenlo::skin::carriedSkinFile());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(report.outcome, AttachOutcome::attached) << report.message;
    EXPECT_EQ(report.code, 0);

    // What was written is byte for byte what the program carries.
    const auto library = readFile(folder.path() / "jedata.dll");
    const auto skin = readFile(folder.path() / kSkinName);
    EXPECT_EQ(library, std::string(quenlo::skin::carriedLibrary().bytes));
    ASSERT_EQ(skin, std::string(quenlo::skin::carriedSkinFile().bytes));
    EXPECT_EQ(skin->substr(0, 4), ".SHE");

    EXPECT_NE(QApplication::style(), plainStyle);
    const QImage skinned = grabImage(t.window);
    ASSERT_EQ(skinned.size(), plain.size());

    // Where the skin paints, the picture changed: the window face, the button face, the group
    // frame and the scroll bars.
    const struct {
        const char* part;
        QRect rect;
        int atLeast;
    } parts[] = {
        {"window face", QRect(2, 2, 4, 4), 16},
        {"button face", t.inWindow(t.button, t.button->rect().adjusted(3, 3, -3, -3)), 50},
        {"group frame, bottom edge", QRect(30, t.box->geometry().bottom() - 1, 200, 2), 100},
        {"vertical scroll bar", t.inWindow(t.edit->verticalScrollBar(), t.edit->verticalScrollBar()->rect()),
         100},
        {"horizontal scroll bar",
         t.inWindow(t.edit->horizontalScrollBar(), t.edit->horizontalScrollBar()->rect()), 100},
    };
    for (const auto& p : parts)
        EXPECT_GE(differingPixels(plain, skinned, p.rect), p.atLeast) << p.part;

    // The button face carries the skin's blue, where the plain face is grey.
    const QPoint nearBottomLeft = t.inWindow(t.button, QRect(6, t.button->height() - 4, 1, 1)).topLeft();
    const QColor skinnedFace(skinned.pixel(nearBottomLeft));
    const QColor plainFace(plain.pixel(nearBottomLeft));
    EXPECT_GE(skinnedFace.blue() - skinnedFace.red(), 20) << skinnedFace.name().toStdString();
    EXPECT_LT(std::abs(plainFace.blue() - plainFace.red()), 10) << plainFace.name().toStdString();

    // Nothing moved: every control keeps its place and the text area its size.
    EXPECT_EQ(t.geometries(), geometries);
    EXPECT_EQ(t.edit->viewport()->geometry(), viewport);
}

TEST(SkinLook, ButtonFaceFollowsPointerAndPress) {
    // The skin is in force from the previous test, or is attached here when run alone.
    if (QApplication::style()->objectName() != "quenlo-skin") {
        quenlo::skin::testing::TempFolder folder;
        ASSERT_EQ(quenlo::skin::attachSkin({folder.path()}, quenlo::skin::carriedLibrary(),
                                           quenlo::skin::carriedSkinFile())
                      .outcome,
                  AttachOutcome::attached);
    }
    QPushButton button("Button");
    button.resize(110, 24);
    auto face = [&](QStyle::State extra) {
        QStyleOptionButton option;
        option.initFrom(&button);
        option.state |= extra;
        QImage image(button.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        QApplication::style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, &button);
        painter.end();
        return image;
    };
    const QImage resting = face(QStyle::State_Raised);
    const QImage hover = face(QStyle::State_Raised | QStyle::State_MouseOver);
    const QImage pressed = face(QStyle::State_Sunken);
    const QRect inner = QRect(QPoint(0, 0), button.size()).adjusted(3, 3, -3, -3);
    EXPECT_GE(differingPixels(resting, hover, inner), inner.width() * inner.height() / 2);
    EXPECT_GE(differingPixels(resting, pressed, inner), inner.width() * inner.height() / 2);
    // Lighter under the pointer, as the plain look does.
    const QPoint c = inner.center();
    EXPECT_GT(QColor(hover.pixel(c)).lightness(), QColor(resting.pixel(c)).lightness());
}

// Without folders given, the files go next to the executable; where that fails, into the
// user's private folder, from which the library is then loaded.
TEST(SkinLook, WritesNextToTheExecutableElseIntoThePrivateFolder) {
    const fs::path exeFolder = quenlo::dynamic_library::executableFolder();
    const fs::path exeLibrary = exeFolder / "jedata.dll";
    const fs::path exeSkin = exeFolder / kSkinName;
    quenlo::skin::testing::TempFolder data;
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string savedData = oldData ? oldData : "";
    ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);

    quenlo::skin::attachSkin();
    EXPECT_EQ(readFile(exeLibrary), std::string(quenlo::skin::carriedLibrary().bytes));
    EXPECT_EQ(readFile(exeSkin), std::string(quenlo::skin::carriedSkinFile().bytes));
    EXPECT_FALSE(fs::exists(data.path() / "quenlo"));
    fs::remove(exeLibrary);
    fs::remove(exeSkin);

    quenlo::file_io::testing::failNextWrites(1);  // the executable's folder refuses the library
    ::testing::internal::CaptureStderr();
    quenlo::skin::attachSkin();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(fs::exists(exeLibrary));
    EXPECT_EQ(readFile(data.path() / "quenlo" / "jedata.dll"),
              std::string(quenlo::skin::carriedLibrary().bytes));
    EXPECT_EQ(readFile(data.path() / "quenlo" / kSkinName),
              std::string(quenlo::skin::carriedSkinFile().bytes));
    EXPECT_EQ(QApplication::style()->objectName(), "quenlo-skin");

    if (oldData)
        ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
