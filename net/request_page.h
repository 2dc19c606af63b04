#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// Fetches one web resource and gives back its body as GBK text, or the failure text of the step
// that failed. Blocks the calling thread until the exchange is over.
namespace quenlo::net {

struct PageRequest {
    std::string url;             // GBK
    std::string method = "GET";  // "GET", "POST", "HEAD" or "PUT"
    // Header lines separated by CR LF; the last may lack it. A line here takes the place of the
    // default line of the same header name (names compared without regard to case).
    std::string headers;
    std::string data;     // the request body
    std::string cookies;  // sent as "Cookie: " + cookies when not empty
    std::string proxy;    // "host:port", used for http URLs
    std::string proxyUser;
    std::string proxyPassword;
    bool followRedirects = true;
    std::chrono::milliseconds resolveTimeout{10'000};
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds sendTimeout{30'000};
    std::chrono::milliseconds receiveTimeout{30'000};
    // While it is true the exchange gives up at its next step (the result is then a failure).
    const std::atomic<bool>* cancel = nullptr;
};

struct PageResult {
    int failureCode = 0;  // 0, or one of 700..705 and 707..713
    // The page text, or the failure text when failureCode is not 0.
    std::string text;
    int status = 0;        // the HTTP status of the final response
    std::string headers;   // its status line and header lines, CR LF after each
    std::string cookies;   // "name=value; name2=value2" of the cookies it set
    std::string location;  // its "Location: " target, when it has one

    bool failed() const { return failureCode != 0; }
};

// A response with an error status still yields its body as the page text. A body over 16 MiB
// fails the read.
PageResult requestPage(const PageRequest& request);

// The failure text of a code (GBK), empty for a code that has none.
std::string failureText(int code);

inline constexpr std::size_t kMaxPageBytes = 16u << 20;

}  // namespace quenlo::net
