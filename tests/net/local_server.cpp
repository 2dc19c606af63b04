#include "local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace quenlo::testing {
namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::pair<std::string, std::string>> headerLines(std::string_view raw) {
    std::vector<std::pair<std::string, std::string>> out;
    const std::size_t end = raw.find("\r\n\r\n");
    std::size_t pos = raw.find("\r\n");
    while (pos != std::string_view::npos && pos < end) {
        pos += 2;
        const std::size_t next = raw.find("\r\n", pos);
        std::string_view line = raw.substr(pos, next - pos);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.remove_prefix(1);
            out.emplace_back(std::string(line.substr(0, colon)), std::string(value));
        }
        pos = next;
    }
    return out;
}

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

}  // namespace

Reply Reply::page(std::string_view body, std::string_view extraHeaders, int status) {
    std::string r = "HTTP/1.1 " + std::to_string(status) +
                    " Status\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n";
    r.append(extraHeaders);
    r.append("\r\n");
    r.append(body);
    return {r, Then::Close};
}

Reply Reply::truncated(std::string_view body, std::size_t announced) {
    std::string r =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) + "\r\nConnection: close\r\n\r\n";
    r.append(body);
    return {r, Then::Close};
}

std::string ReceivedRequest::header(std::string_view name) const {
    for (const auto& [n, v] : headerLines(raw))
        if (equalsNoCase(n, name)) return v;
    return {};
}

int ReceivedRequest::headerCount(std::string_view name) const {
    int count = 0;
    for (const auto& [n, v] : headerLines(raw))
        count += equalsNoCase(n, name);
    return count;
}

LocalServer::LocalServer(Handler handler) : handler_(std::move(handler)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listenFd_, 16) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        throw std::runtime_error("local test server cannot listen");
    port_ = ntohs(a.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

LocalServer::~LocalServer() {
    stopping_ = true;
    changed_.notify_all();
    acceptThread_.join();
    for (auto& t : connections_)
        t.join();
    ::close(listenFd_);
}

std::string LocalServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<ReceivedRequest> LocalServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LocalServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

int LocalServer::unusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

void LocalServer::acceptLoop() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        connections_.emplace_back([this, fd] { serve(fd); });
    }
}

void LocalServer::serve(int fd) {
    // Reads until the whole request is in, the client goes or the server stops.
    std::string raw;
    std::size_t wanted = std::string::npos;
    while (!stopping_ && raw.size() < wanted) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        raw.append(buf, static_cast<std::size_t>(n));
        const std::size_t end = raw.find("\r\n\r\n");
        if (end != std::string::npos && wanted == std::string::npos) {
            ReceivedRequest probe{raw, "", "", ""};
            const std::string length = probe.header("Content-Length");
            wanted = end + 4 + (length.empty() ? 0 : std::stoul(length));
        }
    }
    if (raw.size() < wanted) {
        ::close(fd);
        return;
    }
    ReceivedRequest request;
    request.raw = raw;
    const std::size_t sp1 = raw.find(' '), sp2 = raw.find(' ', sp1 + 1);
    request.method = raw.substr(0, sp1);
    request.target = raw.substr(sp1 + 1, sp2 - sp1 - 1);
    request.body = raw.substr(raw.find("\r\n\r\n") + 4);
    const Reply reply = handler_(request);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    changed_.notify_all();

    std::string_view out = reply.bytes;
    while (!out.empty()) {
        const ssize_t n = ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        if (n <= 0) break;
        out.remove_prefix(static_cast<std::size_t>(n));
    }
    if (reply.then == Reply::Then::Stall) {
        // Held open until the client closes its end or the server stops.
        while (!stopping_) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                char buf[256];
                if (::recv(fd, buf, sizeof buf, 0) <= 0) break;
            }
        }
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

}  // namespace quenlo::testing
