#include "net/request_page.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <thread>
#include <vector>

#include "gbk.h"
#include "local_server.h"

using quenlo::net::PageRequest;
using quenlo::net::PageResult;
using quenlo::net::requestPage;
using quenlo::testing::LocalServer;
using quenlo::testing::ReceivedRequest;
using quenlo::testing::Reply;
using namespace std::chrono_literals;

namespace {

// Every exchange goes through here: a result is either a page or exactly one failure text.
PageResult fetch(PageRequest request) {
    PageResult r = requestPage(request);
    EXPECT_NE(r.failureCode, 706);
    if (r.failed()) {
        EXPECT_EQ(r.text.substr(0, 4), std::to_string(r.failureCode) + " ");
    }
    return r;
}

PageResult fetch(const std::string& url) {
    PageRequest request;
    request.url = url;
    return fetch(request);
}

LocalServer serving(Reply reply) {
    return LocalServer([reply](const ReceivedRequest&) { return reply; });
}

TEST(RequestPage, UrlThatCannotBeSplitFailsBeforeAnyConnection) {
    LocalServer server = serving(Reply::page("x"));
    const std::string port = std::to_string(server.port());
    for (const std::string& url :
         std::vector<std::string>{"", "not a url", "127.0.0.1:" + port + "/", "ftp://127.0.0.1:" + port + "/",
                                  "http://", "http://127.0.0.1:99999/", "file:///etc/passwd"}) {
        SCOPED_TRACE(url);
        PageResult r = fetch(url);
        EXPECT_EQ(r.failureCode, 701);
        EXPECT_EQ(r.text, gbk("701 解析URL地址失败!"));
    }
    EXPECT_EQ(server.requests().size(), 0u);
}

TEST(RequestPage, ClosedPortFailsTheSend) {
    PageResult r = fetch("http://127.0.0.1:" + std::to_string(LocalServer::unusedPort()) + "/");
    EXPECT_EQ(r.failureCode, 711);
    EXPECT_EQ(r.text, gbk("711 发送请求失败!"));
}

TEST(RequestPage, HeaderLineWithoutColonFailsTheHeaders) {
    LocalServer server = serving(Reply::page("x"));
    PageRequest request;
    request.url = server.url();
    request.headers = "X-Good: 1\r\nnot a header line";
    PageResult r = fetch(request);
    EXPECT_EQ(r.failureCode, 710);
    EXPECT_EQ(r.text, gbk("710 设置协议头失败!"));
    EXPECT_EQ(server.requests().size(), 0u);
}

TEST(RequestPage, NoResponseFailsTheReceive) {
    struct Case {
        const char* what;
        Reply reply;
    };
    const Case cases[] = {
        {"server never answers", Reply::stall()},
        {"server closes without a word", Reply::closeAtOnce()},
        {"headers never finished", {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", Reply::Then::Stall}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LocalServer server = serving(c.reply);
        PageRequest request;
        request.url = server.url();
        request.receiveTimeout = 300ms;
        PageResult r = fetch(request);
        EXPECT_EQ(r.failureCode, 712);
        EXPECT_EQ(r.text, gbk("712 服务器未响应!"));
    }
}

TEST(RequestPage, BrokenBodyFailsTheRead) {
    struct Case {
        const char* what;
        Reply reply;
    };
    const Case cases[] = {
        {"body shorter than announced", Reply::truncated("abc", 100)},
        {"broken chunked encoding",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\nzz\r\nxyz", Reply::Then::Close}},
        {"chunked body cut off",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n", Reply::Then::Close}},
        {"body stalls", {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Reply::Then::Stall}},
        {"body over 16 MiB", Reply::page(std::string(quenlo::net::kMaxPageBytes + 1, 'a'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LocalServer server = serving(c.reply);
        PageRequest request;
        request.url = server.url();
        // Only the stalled body needs a short wait; the others fail on their own.
        if (c.reply.then == Reply::Then::Stall) request.receiveTimeout = 300ms;
        PageResult r = fetch(request);
        EXPECT_EQ(r.failureCode, 713);
        EXPECT_EQ(r.text, gbk("713 读取数据失败!"));
    }
}

TEST(RequestPage, BodyOfExactlyTheLimitIsRead) {
    LocalServer server = serving(Reply::page(std::string(quenlo::net::kMaxPageBytes, 'a')));
    PageResult r = fetch(server.url());
    EXPECT_EQ(r.failureCode, 0);
    EXPECT_EQ(r.text.size(), quenlo::net::kMaxPageBytes);
}

TEST(RequestPage, PagesComeBackAsGbk) {
    struct Case {
        const char* what;
        std::string body;      // as served
        std::string expected;  // the page text
    };
    const std::string gbkPage = "<html><meta charset=\"gbk\">" + gbk("中文") + "\xFF\x80</html>";
    const std::string gb2312Page =
        "<META http-equiv=Content-Type content=\"text/html; charset=GB2312\">" + gbk("公告");
    const std::string plain = gbk("公告：一切正常") + "\r\n\x81\x30";
    const Case cases[] = {
        {"declared utf-8", "<meta charset=\"utf-8\"><p>\xE4\xB8\xAD\xE6\x96\x87</p>",
         "<meta charset=\"utf-8\"><p>" + gbk("中文") + "</p>"},
        {"declared UTF-8 with a byte-order mark", "\xEF\xBB\xBF<META CHARSET=UTF-8>\xE5\x85\xAC",
         "<META CHARSET=UTF-8>" + gbk("公")},
        {"declared big5", "<meta content=\"text/html; charset=big5\">\xA4\xA4",
         "<meta content=\"text/html; charset=big5\">" + gbk("中")},
        {"declared gbk, bytes untouched", gbkPage, gbkPage},
        {"declared gb2312 in capitals, bytes untouched", gb2312Page, gb2312Page},
        {"plain text file, bytes untouched", plain, plain},
        {"unknown charset, bytes untouched", "<meta charset=x-nothing>\xFF", "<meta charset=x-nothing>\xFF"},
        {"empty body", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LocalServer server = serving(Reply::page(c.body));
        PageResult r = fetch(server.url("/Soft_Notice.txt"));
        EXPECT_EQ(r.failureCode, 0);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.text, c.expected);
    }
}

TEST(RequestPage, HeadYieldsAnEmptyPage) {
    LocalServer server([](const ReceivedRequest&) {
        return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\n", Reply::Then::Close};
    });
    PageRequest request;
    request.url = server.url();
    request.method = "HEAD";
    PageResult r = fetch(request);
    EXPECT_EQ(r.failureCode, 0);
    EXPECT_EQ(r.text, "");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].method, "HEAD");
}

TEST(RequestPage, ErrorStatusYieldsItsBody) {
    LocalServer server = serving(Reply::page(gbk("找不到"), "", 404));
    PageResult r = fetch(server.url());
    EXPECT_EQ(r.failureCode, 0);
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.text, gbk("找不到"));
}

TEST(RequestPage, DefaultHeaderLinesAreSent) {
    LocalServer server = serving(Reply::page("x"));
    ASSERT_FALSE(fetch(server.url("/a?b=1")).failed());
    ASSERT_EQ(server.requests().size(), 1u);
    const ReceivedRequest got = server.requests()[0];
    EXPECT_EQ(got.method, "GET");
    EXPECT_EQ(got.target, "/a?b=1");
    EXPECT_EQ(got.header("User-Agent"),
              "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
    EXPECT_EQ(got.header("Accept"), "text/html, application/xhtml+xml, */*");
    EXPECT_EQ(got.header("Accept-Encoding"), "gbk, GB2312");
    EXPECT_EQ(got.header("Accept-Language"), "zh-cn");
    EXPECT_EQ(got.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(got.header("Cache-Control"), "no-cache");
    EXPECT_EQ(got.header("Host"), "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(got.headerCount("Cookie"), 0);
    EXPECT_EQ(got.headerCount("Expect"), 0);
}

TEST(RequestPage, CallerLinesReplaceDefaultsOfTheSameName) {
    LocalServer server = serving(Reply::page("x"));
    PageRequest request;
    request.url = server.url();
    // The last line without CR LF, names in other letter case, a Host of another name.
    request.headers =
        "Host: notice.example\r\nuser-agent: Tester/1.0\r\nCONTENT-TYPE:text/plain\r\nX-Empty:\r\nX-Extra: "
        "yes";
    request.cookies = "a=1; b=2";
    ASSERT_FALSE(fetch(request).failed());
    ASSERT_EQ(server.requests().size(), 1u);
    const ReceivedRequest got = server.requests()[0];
    EXPECT_EQ(got.header("Host"), "notice.example");
    EXPECT_EQ(got.headerCount("Host"), 1);
    EXPECT_EQ(got.header("User-Agent"), "Tester/1.0");
    EXPECT_EQ(got.headerCount("User-Agent"), 1);
    EXPECT_EQ(got.header("Content-Type"), "text/plain");
    EXPECT_EQ(got.headerCount("Content-Type"), 1);
    EXPECT_EQ(got.headerCount("X-Empty"), 1);
    EXPECT_EQ(got.header("X-Extra"), "yes");
    EXPECT_EQ(got.header("Accept-Language"), "zh-cn");
    EXPECT_EQ(got.header("Cookie"), "a=1; b=2");
}

TEST(RequestPage, DataIsSentAsTheBody) {
    LocalServer server = serving(Reply::page("ok"));
    for (const char* method : {"POST", "PUT"}) {
        SCOPED_TRACE(method);
        PageRequest request;
        request.url = server.url("/form");
        request.method = method;
        request.data = "name=" + gbk("张三") + "&x=1";
        PageResult r = fetch(request);
        EXPECT_EQ(r.text, "ok");
    }
    ASSERT_EQ(server.requests().size(), 2u);
    for (const auto& got : server.requests()) {
        EXPECT_EQ(got.body, "name=" + gbk("张三") + "&x=1");
        EXPECT_EQ(got.header("Content-Length"), std::to_string(got.body.size()));
    }
    EXPECT_EQ(server.requests()[0].method, "POST");
    EXPECT_EQ(server.requests()[1].method, "PUT");
}

TEST(RequestPage, ChinesePathIsSentEscapedInUtf8) {
    LocalServer server = serving(Reply::page("x"));
    ASSERT_FALSE(fetch(server.url("/") + gbk("公告") + " 1.txt?q=" + gbk("中")).failed());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, "/%E5%85%AC%E5%91%8A%201.txt?q=%E4%B8%AD");
}

TEST(RequestPage, ProxyGetsTheAbsoluteUrlAndCredentials) {
    // The environment's exceptions do not apply to a proxy the caller names.
    struct NoProxyEverywhere {
        NoProxyEverywhere() {
            ::setenv("NO_PROXY", "*", 1);
            ::setenv("no_proxy", "*", 1);
        }
        ~NoProxyEverywhere() {
            ::unsetenv("NO_PROXY");
            ::unsetenv("no_proxy");
        }
    } noProxy;
    LocalServer proxy = serving(Reply::page("via proxy"));
    PageRequest request;
    request.url = "http://quenlo-notice.test/Soft_Notice.txt?v=2";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    request.proxyUser = "user";
    request.proxyPassword = "secret";
    PageResult r = fetch(request);
    EXPECT_EQ(r.failureCode, 0);
    EXPECT_EQ(r.text, "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    const ReceivedRequest got = proxy.requests()[0];
    EXPECT_EQ(got.target, "http://quenlo-notice.test/Soft_Notice.txt?v=2");
    EXPECT_EQ(got.header("Proxy-Authorization"), "Basic dXNlcjpzZWNyZXQ=");  // user:secret
    EXPECT_EQ(got.header("Host"), "quenlo-notice.test");
}

TEST(RequestPage, ProxyWithoutCredentialsSendsNone) {
    LocalServer proxy = serving(Reply::page("x"));
    PageRequest request;
    request.url = "http://quenlo-notice.test/";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    ASSERT_FALSE(fetch(request).failed());
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].headerCount("Proxy-Authorization"), 0);
}

TEST(RequestPage, ProxyServesHttpUrlsOnly) {
    LocalServer proxy = serving(Reply::page("x"));
    PageRequest request;
    request.url = "https://127.0.0.1:" + std::to_string(LocalServer::unusedPort()) + "/";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    EXPECT_EQ(fetch(request).failureCode, 711);  // went straight to the closed port
    EXPECT_EQ(proxy.requests().size(), 0u);
}

class Redirects : public ::testing::Test {
  protected:
    LocalServer server{[](const ReceivedRequest& r) {
        if (r.target == "/old")
            return Reply::page("moved", "Location: /new\r\nSet-Cookie: s=1; path=/\r\n", 302);
        return Reply::page("new page", "Set-Cookie: id=7; HttpOnly\r\nSet-Cookie: old=deleted\r\n");
    }};
};

TEST_F(Redirects, FollowedByDefault) {
    PageResult r = fetch(server.url("/old"));
    EXPECT_EQ(r.failureCode, 0);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.text, "new page");
    EXPECT_EQ(r.location, "");
    EXPECT_EQ(r.cookies, "id=7");
    EXPECT_EQ(r.headers.substr(0, 17), "HTTP/1.1 200 Stat");
    EXPECT_EQ(r.headers.substr(r.headers.size() - 4), "\r\n\r\n");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].target, "/new");
}

TEST_F(Redirects, NotFollowedWhenSwitchedOff) {
    PageRequest request;
    request.url = server.url("/old");
    request.followRedirects = false;
    PageResult r = fetch(request);
    EXPECT_EQ(r.failureCode, 0);
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(r.text, "moved");
    EXPECT_EQ(r.location, "/new");
    EXPECT_EQ(r.cookies, "s=1");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(RequestPage, CancelledRequestGivesUpPromptly) {
    LocalServer server = serving(Reply::stall());
    std::atomic<bool> cancel{false};
    PageRequest request;
    request.url = server.url();
    request.cancel = &cancel;
    std::thread canceller([&] {
        server.waitForRequests(1);
        cancel = true;
    });
    PageResult r = fetch(request);  // would wait 30 s for the reply without the cancel
    canceller.join();
    EXPECT_EQ(r.failureCode, 712);
}

}  // namespace
