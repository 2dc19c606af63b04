// The skin on the program's own window.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "needed_libraries.h"
#include "platform/ui/ui.h"
#include "skin/attach_skin.h"
#include "skin_test_support.h"

using quenlo::skin::AttachOutcome;
using quenlo::skin::testing::differingPixels;
using quenlo::skin::testing::grabImage;

namespace {

class WindowApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "quenlo_skin_window_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<quenlo::ui::Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<quenlo::ui::Application> app_;
};

::testing::Environment* const kApplication = ::testing::AddGlobalTestEnvironment(new WindowApplication);

// The program starts without any "jedata.dll": it is not among the libraries it needs.
TEST(SkinWindow, ProgramDoesNotNeedTheLibrary) {
    const std::string dynamic = dynamicSection(QUENLO_PROGRAM);
    EXPECT_NE(dynamic.find("(NEEDED)"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("jedata"), std::string::npos) << dynamic;
}

TEST(SkinWindow, SkinsTheMainWindowAndMovesNothing) {
    quenlo::app::MainWindow window;
    QWidget* top = window.window().widget();
    auto places = [top] {
        std::vector<std::pair<QString, QRect>> all;
        for (const QWidget* w : top->findChildren<QWidget*>())
            all.emplace_back(w->objectName(), w->geometry());
        return all;
    };
    const QImage plain = grabImage(*top);  // lays the boxes out first
    const auto plainPlaces = places();

    quenlo::skin::testing::TempFolder folder;
    const auto report = quenlo::skin::attachSkin({folder.path()}, quenlo::skin::carriedLibrary(),
                                                 quenlo::skin::carriedSkinFile());
    ASSERT_EQ(report.outcome, AttachOutcome::attached) << report.message;
    const QImage skinned = grabImage(*top);
    ASSERT_EQ(skinned.size(), plain.size());

    auto* names = top->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框_姓名"));
    ASSERT_NE(names, nullptr);
    auto inWindow = [&](const QWidget* w) { return QRect(w->mapTo(top, QPoint(0, 0)), w->size()); };
    const struct {
        const char* part;
        QRect rect;
    } parts[] = {
        {"window face left of the first group box", QRect(0, 80, 6, 400)},
        {"scroll bar of the name box", inWindow(names->verticalScrollBar())},
        {"border of the name box", QRect(inWindow(names).topLeft(), QSize(names->width(), 1))},
    };
    for (const auto& p : parts)
        EXPECT_GE(differingPixels(plain, skinned, p.rect), p.rect.width() * p.rect.height() / 2) << p.part;

    // The window's own caption colours stay: the red of the group captions, the label and the
    // count box is as much there as before.
    auto redPixels = [](const QImage& image, QRect rect) {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) {
                const QColor c(image.pixel(x, y));
                count += c.red() > 200 && c.green() < 120 && c.blue() < 120;
            }
        return count;
    };
    for (const char* name : {"分组框1", "标签1", "编辑框_号码数量"}) {
        auto* control = top->findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_NE(control, nullptr) << name;
        const QRect rect = name == std::string("分组框1")
                               ? QRect(inWindow(control).topLeft(), QSize(control->width(), 16))
                               : inWindow(control);
        const int before = redPixels(plain, rect);
        EXPECT_GT(before, 10) << name;
        EXPECT_GE(redPixels(skinned, rect), before * 9 / 10) << name;
    }

    const auto skinnedPlaces = places();
    ASSERT_EQ(skinnedPlaces.size(), plainPlaces.size());
    for (std::size_t i = 0; i < plainPlaces.size(); ++i)
        EXPECT_EQ(skinnedPlaces[i].second, plainPlaces[i].second) << plainPlaces[i].first.toStdString();
}

}  // namespace
