#include "net/notice_banner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gbk.h"
#include "local_server.h"
#include "platform/shell.h"

using quenlo::net::NoticeBanner;
using quenlo::net::NoticeFields;
using quenlo::testing::LocalServer;
using quenlo::testing::ReceivedRequest;
using quenlo::testing::Reply;
using namespace std::chrono_literals;

namespace {

struct FieldsCase {
    const char* what;
    std::string page;  // UTF-8 here, served as GBK
    std::optional<std::pair<std::string, std::string>> fields;
};

const FieldsCase kFieldsCases[] = {
    {"one line", "@1今日公告#1http://example.com/@1", {{"今日公告", "http://example.com/"}}},
    {"text around the notice", "第一行\r\n前@1公告#1详情@1后\r\n末行", {{"公告", "详情"}}},
    {"notice over a line end", "@1公告\r\n#1详情@1", std::nullopt},
    {"details over a line end", "@1公告#1详\n情@1", std::nullopt},
    {"no markers", "今日无公告", std::nullopt},
    {"opening marker only", "@1公告#1详情", std::nullopt},
    {"empty page", "", std::nullopt},
    {"first field holding #1 is cut there", "@1甲#1乙#1丙@1", {{"甲", "乙#1丙"}}},
    {"two notices, the first counts", "@1一#1a@1\r\n@1二#1b@1", {{"一", "a"}}},
    {"empty fields", "@1#1@1", {{"", ""}}},
    {"markup stays text", "@1<b>x</b>#1<a href=x>@1", {{"<b>x</b>", "<a href=x>"}}},
    {"markers in the wrong order on one line, the notice on the next",
     "#1@1a@1#1\n@1short#1b@1",
     {{"short", "b"}}},
    {"a long notice line", "@1" + std::string(100000, 'x') + "#1a@1", {{std::string(100000, 'x'), "a"}}},
};

TEST(NoticeFields, CutOutOfThePageAsTheTableSays) {
    for (const auto& c : kFieldsCases) {
        SCOPED_TRACE(c.what);
        const auto fields = quenlo::net::noticeFields(gbk(c.page));
        ASSERT_EQ(fields.has_value(), c.fields.has_value());
        if (!fields) continue;
        EXPECT_EQ(fields->text, gbk(c.fields->first));
        EXPECT_EQ(fields->details, gbk(c.fields->second));
    }
}

TEST(NoticeFields, HostileDocumentCostsLittleAndStopsWhenCancelled) {
    // Lines that would make a backtracking matcher try every pairing of their markers.
    std::string line = "@1";
    for (int i = 0; i < 5000; ++i)
        line += "#1";
    std::string page;
    for (int i = 0; i < 200; ++i)
        page += line + "\n";
    std::atomic<bool> cancelled{true};
    EXPECT_FALSE(quenlo::net::noticeFields(page, &cancelled).has_value());
    EXPECT_FALSE(quenlo::net::noticeFields(page).has_value());
}

TEST(NoticeFields, LabelShowsTheFirstLineOnly) {
    EXPECT_EQ(quenlo::net::noticeLabelText({"a\rb", ""}), "a");
    EXPECT_EQ(quenlo::net::noticeLabelText({gbk("公告<b>x</b>"), ""}), gbk("公告<b>x</b>"));
}

TEST(NoticeAddress, OnlyWebAddressesAreOpened) {
    struct Case {
        const char* details;  // UTF-8 here, GBK as the notice carries it
        std::optional<std::string> address;
    };
    const Case cases[] = {
        {"http://example.com/news", "http://example.com/news"},
        {"https://example.com:8443/a?b=1", "https://example.com:8443/a?b=1"},
        {"  http://example.com/ ", "http://example.com/"},
        {"HTTP://EXAMPLE.COM/", "HTTP://EXAMPLE.COM/"},
        {"http://example.com/公告", "http://example.com/公告"},
        {"file:///etc/passwd", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"/usr/bin/xterm", std::nullopt},
        {"www.example.com", std::nullopt},
        {"ftp://example.com/", std::nullopt},
        {"http:example.com", std::nullopt},
        {"http://", std::nullopt},
        {"http://exa mple.com/", std::nullopt},
        {"http://example.com/\tx", std::nullopt},
        {"请访问官网", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.details);
        EXPECT_EQ(quenlo::net::noticeAddress(gbk(c.details)), c.address);
    }
}

TEST(NoticeRequest, AddressAndHeaderBlock) {
    EXPECT_EQ(quenlo::net::noticeUrl(),
              "http://" + std::string(quenlo::net::kNoticeHost) + "/Soft_Notice.txt");
    EXPECT_EQ(
        quenlo::net::noticeHeaderBlock(),
        "Host: " + std::string(quenlo::net::kNoticeHost) +
            "\r\nUser-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/45.0.2454.101 Safari/537.36");
}

// Stands in for the window: records what the banner asks of it and runs posted functions when
// the test lets its "event loop" turn.
class FakeWindow {
  public:
    std::string label;
    int labelSets = 0;
    std::vector<int> periods;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::string> opened;

    NoticeBanner::Callbacks callbacks(bool withOpener = true) {
        NoticeBanner::Callbacks c;
        c.setLabelText = [this](const std::string& text) {
            label = text;
            ++labelSets;
        };
        c.setTimerPeriod = [this](int ms) { periods.push_back(ms); };
        c.postToUiThread = [this](std::function<void()> f) {
            std::lock_guard lock(mutex_);
            posted_.push_back(std::move(f));
            arrived_.notify_all();
        };
        c.showMessage = [this](const std::string& title, const std::string& text) {
            messages.emplace_back(title, text);
        };
        if (withOpener)
            c.openAddress = [this](const std::string& address) {
                opened.push_back(address);
                return true;
            };
        return c;
    }

    int timerPeriod() const { return periods.empty() ? 0 : periods.back(); }

    // Waits up to `timeout` for something to be posted; false when nothing came.
    bool waitForPosted(std::chrono::milliseconds timeout = 10s) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, timeout, [this] { return !posted_.empty(); });
    }

    // Runs what has been posted, as the window's thread would; false when nothing came in time.
    bool processPosted(std::chrono::milliseconds timeout = 10s) {
        if (!waitForPosted(timeout)) return false;
        std::deque<std::function<void()>> work;
        {
            std::lock_guard lock(mutex_);
            work.swap(posted_);
        }
        for (auto& f : work)
            f();
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> posted_;
};

const char* const kNotice = "说明\r\n@1新版本发布<b>!</b>#1https://example.com/下载@1\r\n";

TEST(NoticeBanner, NoticeReachesTheLabelAndTheTimerStaysStopped) {
    LocalServer server([](const ReceivedRequest&) { return Reply::page(gbk(kNotice)); });
    FakeWindow window;
    NoticeBanner banner(window.callbacks(), server.url("/Soft_Notice.txt"));
    banner.start();
    EXPECT_EQ(window.timerPeriod(), NoticeBanner::kFirstCheckMs);
    banner.checkNotice();
    EXPECT_EQ(window.timerPeriod(), 0);
    ASSERT_TRUE(window.processPosted());

    EXPECT_EQ(window.label, gbk("新版本发布<b>!</b>"));
    EXPECT_EQ(window.periods, (std::vector<int>{NoticeBanner::kFirstCheckMs, 0}));
    EXPECT_FALSE(banner.fetching());

    ASSERT_EQ(server.requests().size(), 1u);
    const ReceivedRequest got = server.requests()[0];
    EXPECT_EQ(got.method, "GET");
    EXPECT_EQ(got.target, "/Soft_Notice.txt");
    EXPECT_EQ(got.header("Host"), std::string(quenlo::net::kNoticeHost));
    EXPECT_EQ(
        got.header("User-Agent"),
        "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/45.0.2454.101 "
        "Safari/537.36");

    banner.onNoticePressed();
    EXPECT_EQ(window.opened, (std::vector<std::string>{"https://example.com/下载"}));
    EXPECT_TRUE(window.messages.empty());
}

TEST(NoticeBanner, NoNoticeLeavesTheLabelAndRetriesInTenMinutes) {
    struct Case {
        const char* what;
        std::optional<std::string> page;  // nothing: the server is down
    };
    const Case cases[] = {
        {"document without markers", gbk("今日无公告")},
        {"notice over a line end", gbk("@1新版本\r\n发布#1详情@1")},
        {"notice with nothing to show", gbk("@1#1详情@1")},
        {"server down", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<LocalServer> server;
        std::string url =
            "http://127.0.0.1:" + std::to_string(LocalServer::unusedPort()) + "/Soft_Notice.txt";
        if (c.page) {
            server.emplace([page = *c.page](const ReceivedRequest&) { return Reply::page(page); });
            url = server->url("/Soft_Notice.txt");
        }
        FakeWindow window;
        NoticeBanner banner(window.callbacks(), url);
        banner.checkNotice();
        ASSERT_TRUE(window.processPosted());
        EXPECT_EQ(window.labelSets, 0);
        EXPECT_EQ(window.timerPeriod(), NoticeBanner::kRetryMs);
        EXPECT_FALSE(banner.notice().has_value());

        banner.onNoticePressed();
        EXPECT_TRUE(window.opened.empty());
        EXPECT_TRUE(window.messages.empty());
    }
}

TEST(NoticeBanner, RetryAfterAFailureCanSucceed) {
    std::atomic<int> served{0};
    LocalServer server([&served](const ReceivedRequest&) {
        return Reply::page(served++ == 0 ? std::string("nothing yet") : gbk("@1公告#1详情@1"));
    });
    FakeWindow window;
    NoticeBanner banner(window.callbacks(), server.url("/Soft_Notice.txt"));
    banner.checkNotice();
    ASSERT_TRUE(window.processPosted());
    EXPECT_EQ(window.timerPeriod(), NoticeBanner::kRetryMs);
    banner.checkNotice();  // the retry tick
    ASSERT_TRUE(window.processPosted());
    EXPECT_EQ(window.label, gbk("公告"));
    EXPECT_EQ(window.timerPeriod(), 0);
}

TEST(NoticeBanner, PressShowsDetailsThatAreNoWebAddressInAMessageBox) {
    struct Case {
        const char* page;     // UTF-8 here, served as GBK
        const char* message;  // what the box shows
    };
    const Case cases[] = {
        {"@1公告#1请更新到最新版本@1", "请更新到最新版本"},
        {"@1公告#1file:///etc/passwd@1", "file:///etc/passwd"},
        {"@1公告#1javascript:alert(1)@1", "javascript:alert(1)"},
        {"@1只有公告#1@1", "只有公告"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        LocalServer server([page = gbk(c.page)](const ReceivedRequest&) { return Reply::page(page); });
        FakeWindow window;
        NoticeBanner banner(window.callbacks(), server.url("/Soft_Notice.txt"));
        banner.checkNotice();
        ASSERT_TRUE(window.processPosted());
        banner.onNoticePressed();
        EXPECT_TRUE(window.opened.empty());
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].first, gbk("提示"));
        EXPECT_EQ(window.messages[0].second, gbk(c.message));
    }
}

TEST(NoticeBanner, WithoutAnOpenerTheShellLayerOpensTheAddress) {
    LocalServer server([](const ReceivedRequest&) { return Reply::page("@1n#1http://example.com/a@1"); });
    FakeWindow window;
    NoticeBanner banner(window.callbacks(false), server.url("/Soft_Notice.txt"));
    banner.checkNotice();
    ASSERT_TRUE(window.processPosted());
    quenlo::shell::testing::startRecording();
    banner.onNoticePressed();
    quenlo::shell::testing::stopRecording();
    EXPECT_EQ(quenlo::shell::testing::recordedTargets(), (std::vector<std::string>{"http://example.com/a"}));
}

TEST(NoticeBanner, StalledServerDoesNotHoldTheCallerAndDestructionEndsTheFetch) {
    LocalServer server([](const ReceivedRequest&) { return Reply::stall(); });
    FakeWindow window;
    auto banner = std::make_unique<NoticeBanner>(window.callbacks(), server.url("/Soft_Notice.txt"));
    banner->checkNotice();  // returns at once; the fetch waits on the worker
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_TRUE(banner->fetching());
    banner->checkNotice();  // a tick while fetching starts no second fetch
    EXPECT_FALSE(window.waitForPosted(200ms));
    EXPECT_EQ(server.requests().size(), 1u);

    // The request's own timeouts are 30 s; closing must not wait for them.
    const auto before = std::chrono::steady_clock::now();
    banner.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
    EXPECT_FALSE(window.processPosted(100ms));
    EXPECT_EQ(window.labelSets, 0);
}

TEST(NoticeBanner, ResultPostedAfterDestructionIsDropped) {
    LocalServer server([](const ReceivedRequest&) { return Reply::page("@1late#1x@1"); });
    FakeWindow window;
    auto banner = std::make_unique<NoticeBanner>(window.callbacks(), server.url("/Soft_Notice.txt"));
    banner->checkNotice();
    ASSERT_TRUE(window.waitForPosted());
    banner.reset();                       // the window closes before the result is handled
    ASSERT_TRUE(window.processPosted());  // the stale delivery runs and must touch nothing
    EXPECT_EQ(window.labelSets, 0);
    EXPECT_EQ(window.periods, (std::vector<int>{0}));
}

}  // namespace
