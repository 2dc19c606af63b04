#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// An HTTP client taken one step at a time, each step able to fail on its own, so a caller can say
// exactly which part of an exchange went wrong: check the platform, split the URL, open a session,
// a connection and a request, set it up, send, receive the response, query its headers, then read
// the body as it arrives. Closing is the end of each object's life. Texts are bytes as the caller
// gives them; URLs are UTF-8.
//
// http and https are supported. A step waits at most its timeout and can be cancelled from another
// thread through a flag the caller owns.
namespace quenlo::http {

// Whether the client can run at all on this system (the library initialises and speaks HTTP).
bool checkPlatform();

struct UrlParts {
    std::string scheme;  // "http" or "https"
    std::string host;
    int port = 0;
    std::string path;  // with the query, at least "/"
};

// Nothing when the text is not an absolute http or https URL.
std::optional<UrlParts> crackUrl(std::string_view url);

class Session {
  public:
    // `proxyList` holds entries separated by blanks or semicolons: "http=host:port" for http URLs,
    // "https=host:port" for https URLs, or "host:port" for both. Empty: direct connections.
    static std::unique_ptr<Session> open(std::string_view proxyList = {});

    // The proxy for URLs of `scheme`, empty for none.
    std::string proxyFor(std::string_view scheme) const;

  private:
    Session() = default;
    std::string httpProxy_, httpsProxy_;
};

class Connection {
  public:
    static std::unique_ptr<Connection> open(const Session& session, const UrlParts& url);

  private:
    friend class Request;
    Connection() = default;
    UrlParts url_;
    std::string proxy_;
};

// Each 0 sets no limit of its own (a connection still gives up after the library's few minutes).
struct Timeouts {
    std::chrono::milliseconds resolve{10'000};
    std::chrono::milliseconds connect{10'000};
    std::chrono::milliseconds send{30'000};
    // Longest wait for the response, and later for each piece of the body.
    std::chrono::milliseconds receive{30'000};
};

class Request {
  public:
    // `method` is "GET", "POST", "HEAD" or "PUT"; `pathAndQuery` replaces the connection URL's.
    static std::unique_ptr<Request> open(const Connection& connection, std::string_view method,
                                         std::string_view pathAndQuery);
    ~Request();
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    bool setTimeouts(const Timeouts& timeouts);
    bool setProxyCredentials(std::string_view user, std::string_view password);
    // The request neither stores nor sends cookies of its own accord; the caller's header lines
    // alone carry them.
    bool disableCookies();
    bool setFollowRedirects(bool follow);
    // Header lines separated by CR LF (the last may lack it). A line with an empty value is sent
    // as it is, not taken as a request to leave that header out.
    bool addHeaders(std::string_view block);
    // While `*flag` is true every later step gives up at once.
    void setCancelFlag(const std::atomic<bool>* flag);

    // Resolves, connects and writes the request with `body`. Fails when the name does not
    // resolve, the connection is refused or the write fails or times out.
    bool send(std::string_view body = {});
    // Waits for the status line and headers of the final response. Fails when none comes before
    // the receive timeout or the connection closes first.
    bool receiveResponse();

    int statusCode() const { return status_; }
    // The final response's status line and header lines, each ending with CR LF, then CR LF.
    const std::string& queryHeaders() const { return headers_; }

    // Waits until body bytes are ready: how many (0 at the end of the body), or nothing when the
    // connection is lost, the chunked encoding is broken, the body is shorter than announced or
    // no byte came within the receive timeout.
    std::optional<std::size_t> queryDataAvailable();
    // Takes up to `size` of the bytes ready.
    std::string readData(std::size_t size);

  private:
    struct Transfer;
    explicit Request(std::unique_ptr<Transfer> transfer);
    std::unique_ptr<Transfer> t_;
    int status_ = 0;
    std::string headers_;
};

}  // namespace quenlo::http
