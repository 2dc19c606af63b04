// The notice banner in the real window: fetched from a server the test starts on 127.0.0.1.
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

#include "app/main_window.h"
#include "gbk.h"
#include "local_server.h"
#include "platform/codepage.h"
#include "platform/shell.h"
#include "platform/ui/testing.h"
#include "window_fixture.h"

namespace quenlo::app {
namespace {

using quenlo::testing::LocalServer;
using quenlo::testing::Reply;
using namespace std::chrono_literals;

// A window whose banner asks `server` for the notice document.
std::unique_ptr<MainWindow> openWindow(const LocalServer& server) {
    auto window = std::make_unique<MainWindow>(MainWindowExtras{.noticeUrl = server.url("/Soft_Notice.txt")});
    window->open();
    return window;
}

LocalServer serving(std::string utf8Page) {
    return LocalServer([page = gbk(utf8Page)](const auto&) { return Reply::page(page); });
}

constexpr int kRetryMs = 10 * 60 * 1000;

TEST(NoticeWindow, NoticeReachesTheLabelAsPlainTextAndClickOpensItsAddress) {
    const std::string notice = "新版本<b>已发布</b>";
    LocalServer server = serving("前言\r\n@1" + notice + "#1https://www.quenlo.example/news@1\r\n");
    auto window = openWindow(server);

    QTRY_COMPARE_WITH_TIMEOUT(window->透明标签_公告->text(), gbk(notice), 10000);
    EXPECT_EQ(window->时钟_公告检测->period(), 0);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, "/Soft_Notice.txt");
    auto* label = qobject_cast<QLabel*>(testing::widgetNamed(*window, "透明标签_公告"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);

    shell::testing::startRecording();
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    shell::testing::stopRecording();
    EXPECT_EQ(shell::testing::recordedTargets(), std::vector<std::string>{"https://www.quenlo.example/news"});
}

TEST(NoticeWindow, ClickShowsTextDetailsAndNeverOpensOtherAddresses) {
    // Text, and an address of a kind that is never opened: both are only shown.
    for (const char* details : {"请于本周内升级", "file:///etc/passwd"}) {
        SCOPED_TRACE(details);
        LocalServer server = serving(std::string("@1公告#1") + details + "@1");
        auto window = openWindow(server);
        QTRY_COMPARE_WITH_TIMEOUT(window->透明标签_公告->text(), gbk("公告"), 10000);

        ui::testing::scriptDialogs();
        shell::testing::startRecording();
        QTest::mouseClick(testing::widgetNamed(*window, "透明标签_公告"), Qt::LeftButton);
        shell::testing::stopRecording();
        EXPECT_TRUE(shell::testing::recordedTargets().empty());
        ASSERT_EQ(ui::testing::shownDialogs().size(), 1u);
        EXPECT_EQ(ui::testing::shownDialogs()[0].title, gbk("提示"));
        EXPECT_EQ(ui::testing::shownDialogs()[0].text, gbk(details));
        ui::testing::stopScriptingDialogs();
    }
}

TEST(NoticeWindow, WithoutNoticeTheLabelStaysEmptyAndTheTimerRetries) {
    LocalServer noMarkers = serving("今日无公告");
    LocalServer overLineEnd = serving("@1公告\r\n#1详情@1");
    LocalServer down([](const auto&) { return Reply::closeAtOnce(); });
    for (LocalServer* server : {&noMarkers, &overLineEnd, &down}) {
        auto window = openWindow(*server);
        QTRY_COMPARE_WITH_TIMEOUT(window->时钟_公告检测->period(), kRetryMs, 10000);
        EXPECT_EQ(window->透明标签_公告->text(), "");

        // Nothing to show on a click either.
        ui::testing::scriptDialogs();
        QTest::mouseClick(testing::widgetNamed(*window, "透明标签_公告"), Qt::LeftButton);
        EXPECT_TRUE(ui::testing::shownDialogs().empty());
        ui::testing::stopScriptingDialogs();
    }
}

TEST(NoticeWindow, StalledServerNeitherHoldsTheWindowNorItsClosing) {
    LocalServer server([](const auto&) { return Reply::stall(); });
    auto window = openWindow(server);
    // The first tick comes from the window's own event loop.
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), std::size_t{1}, 10000);

    // The window keeps handling events while the fetch waits.
    int ticks = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++ticks; });
    beat.start(10);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 5, 5000);
    QTest::keyClicks(testing::widgetNamed(*window, "编辑框_手机号"), "13800000000");
    EXPECT_EQ(window->编辑框_号码数量->text(), "1");
    EXPECT_EQ(window->透明标签_公告->text(), "");

    // Closing during the fetch cancels it: the window goes without waiting for the server.
    const auto start = std::chrono::steady_clock::now();
    window.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    QTest::qWait(50);  // a result posted late must find nothing to write to
}

}  // namespace
}  // namespace quenlo::app
