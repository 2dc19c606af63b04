#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 for tests. Each connection's request is read whole (headers and
// a Content-Length body), recorded as received, and answered by the test's handler with bytes
// that may be wrong on purpose: cut short, badly chunked, never sent.
namespace quenlo::testing {

struct Reply {
    std::string bytes;  // written as they are
    enum class Then {
        Close,  // close the connection after the bytes
        Stall,  // keep it open, sending nothing more, until the client or the server goes
    } then = Then::Close;

    // A complete response with Content-Length and "Connection: close".
    static Reply page(std::string_view body, std::string_view extraHeaders = "", int status = 200);
    // A response that announces `announced` body bytes and sends only `body`, then closes.
    static Reply truncated(std::string_view body, std::size_t announced);
    static Reply stall() { return {"", Then::Stall}; }
    static Reply closeAtOnce() { return {"", Then::Close}; }
};

struct ReceivedRequest {
    std::string raw;  // request line, header lines and body as received
    std::string method;
    std::string target;  // the request line's second word
    std::string body;
    // The value of the first header line of that name (case ignored), empty when absent.
    std::string header(std::string_view name) const;
    // How many header lines have that name.
    int headerCount(std::string_view name) const;
};

class LocalServer {
  public:
    using Handler = std::function<Reply(const ReceivedRequest&)>;
    explicit LocalServer(Handler handler);
    ~LocalServer();
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path = "/") const;
    std::vector<ReceivedRequest> requests() const;
    // Waits until `count` requests have come in; false after `timeout`.
    bool waitForRequests(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // A port on 127.0.0.1 where nothing listens.
    static int unusedPort();

  private:
    void acceptLoop();
    void serve(int fd);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<ReceivedRequest> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptThread_;
};

}  // namespace quenlo::testing
