#include "platform/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <mutex>

#include "platform/ascii.h"

namespace quenlo::http {
namespace {

using ascii::equalsNoCase;
using ascii::startsWithNoCase;

bool globalInit() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

// The URL parser takes neither blanks nor bytes above 0x7F; in the path and query they are
// escaped as a browser would, leaving scheme and host as written.
std::string escapeAfterHost(std::string_view url) {
    std::size_t start = url.find("://");
    start = start == std::string_view::npos ? 0 : url.find_first_of("/?#", start + 3);
    if (start == std::string_view::npos) return std::string(url);
    std::string out(url.substr(0, start));
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char c : url.substr(start)) {
        if (c > 0x7F || c == ' ') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string urlPart(CURLU* h, CURLUPart part, unsigned flags = 0) {
    char* value = nullptr;
    if (curl_url_get(h, part, &value, flags) != CURLUE_OK || !value) return {};
    std::string s(value);
    curl_free(value);
    return s;
}

}  // namespace

bool checkPlatform() {
    if (!globalInit()) return false;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !info->protocols) return false;
    for (const char* const* p = info->protocols; *p; ++p)
        if (std::string_view(*p) == "http") return true;
    return false;
}

std::optional<UrlParts> crackUrl(std::string_view url) {
    if (url.find('\0') != std::string_view::npos) return std::nullopt;
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> h(curl_url(), &curl_url_cleanup);
    if (!h) return std::nullopt;
    if (curl_url_set(h.get(), CURLUPART_URL, escapeAfterHost(url).c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    UrlParts parts;
    parts.scheme = urlPart(h.get(), CURLUPART_SCHEME);
    if (parts.scheme != "http" && parts.scheme != "https") return std::nullopt;
    parts.host = urlPart(h.get(), CURLUPART_HOST);
    if (parts.host.empty()) return std::nullopt;
    const std::string port = urlPart(h.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    try {
        parts.port = std::stoi(port);
    } catch (...) {
        return std::nullopt;
    }
    parts.path = urlPart(h.get(), CURLUPART_PATH);
    if (parts.path.empty()) parts.path = "/";
    const std::string query = urlPart(h.get(), CURLUPART_QUERY);
    if (!query.empty()) parts.path += "?" + query;
    return parts;
}

std::unique_ptr<Session> Session::open(std::string_view proxyList) {
    if (!globalInit()) return nullptr;
    std::unique_ptr<Session> s(new Session());
    std::size_t pos = 0;
    while (pos < proxyList.size()) {
        const std::size_t end = std::min(proxyList.find_first_of("; \t", pos), proxyList.size());
        const std::string_view entry = proxyList.substr(pos, end - pos);
        pos = end + 1;
        if (entry.empty()) continue;
        if (startsWithNoCase(entry, "http=")) {
            s->httpProxy_ = entry.substr(5);
        } else if (startsWithNoCase(entry, "https=")) {
            s->httpsProxy_ = entry.substr(6);
        } else if (entry.find('=') == std::string_view::npos) {
            s->httpProxy_ = s->httpsProxy_ = entry;
        }
    }
    return s;
}

std::string Session::proxyFor(std::string_view scheme) const {
    if (scheme == "http") return httpProxy_;
    if (scheme == "https") return httpsProxy_;
    return {};
}

std::unique_ptr<Connection> Connection::open(const Session& session, const UrlParts& url) {
    if (url.host.empty() || url.port <= 0 || url.port > 65535) return nullptr;
    std::unique_ptr<Connection> c(new Connection());
    c->url_ = url;
    c->proxy_ = session.proxyFor(url.scheme);
    return c;
}

struct Request::Transfer {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headerList = nullptr;
    bool inMulti = false;

    std::string method;
    std::string body;
    bool hasBody = false;
    Timeouts timeouts;
    bool follow = true;
    const std::atomic<bool>* cancel = nullptr;

    // What the exchange has reached so far.
    bool headerOut = false;
    std::size_t bodyOut = 0;
    int status = 0;
    bool locationSeen = false;
    std::string headerText;  // of the response being received
    bool finalHeaders = false;
    std::string finalHeaderText;
    int finalStatus = 0;
    std::string data;  // body bytes not yet taken
    std::size_t dataOffset = 0;
    bool done = false;
    CURLcode result = CURLE_OK;
    bool broken = false;  // timed out or cancelled: every later step fails

    ~Transfer() {
        if (inMulti) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
        curl_slist_free_all(headerList);
    }

    bool cancelled() const { return cancel && cancel->load(); }
    bool sent() const { return headerOut && bodyOut >= body.size(); }
    bool endedWell() const { return done && result == CURLE_OK; }
    std::size_t ready() const { return data.size() - dataOffset; }

    // Runs the exchange until `reached` holds or it can go no further: the transfer ended, the
    // deadline passed or the caller cancelled. True when `reached` holds.
    bool driveUntil(const std::function<bool()>& reached, std::chrono::milliseconds timeout) {
        // A timeout of 0 sets no limit; the caller's cancel flag still ends the wait.
        const auto deadline = timeout.count() == 0 ? std::chrono::steady_clock::time_point::max()
                                                   : std::chrono::steady_clock::now() + timeout;
        while (!broken) {
            if (reached()) return true;
            if (done) return false;
            if (cancelled() || std::chrono::steady_clock::now() >= deadline) break;
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) break;
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
                if (msg->msg == CURLMSG_DONE) {
                    done = true;
                    result = msg->data.result;
                }
            }
            if (reached()) return true;
            if (done) return false;
            // Short waits, so a cancel from another thread is seen promptly.
            int wait = 50;
            if (timeout.count() != 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                wait = static_cast<int>(std::clamp<long long>(left.count(), 0, 50));
            }
            if (curl_multi_poll(multi, nullptr, 0, wait, nullptr) != CURLM_OK) break;
        }
        broken = true;
        return false;
    }

    static int onDebug(CURL*, curl_infotype type, char*, size_t size, void* user) {
        auto* t = static_cast<Transfer*>(user);
        if (type == CURLINFO_HEADER_OUT) t->headerOut = true;
        if (type == CURLINFO_DATA_OUT) t->bodyOut += size;
        return 0;
    }

    static size_t onHeader(char* buffer, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        std::string_view line(buffer, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (startsWithNoCase(line, "HTTP/")) {
            t->headerText.clear();
            t->locationSeen = false;
            const std::size_t blank = line.find(' ');
            t->status = blank == std::string_view::npos
                            ? 0
                            : std::atoi(std::string(line.substr(blank + 1, 3)).c_str());
        } else if (startsWithNoCase(line, "Location:")) {
            t->locationSeen = true;
        }
        t->headerText.append(line).append("\r\n");
        if (line.empty()) {
            // Informational replies and redirects that will be followed are not the response.
            const bool interim = t->status < 200 || (t->follow && t->status / 100 == 3 && t->locationSeen);
            if (!interim) t->markFinal();
        }
        return size * count;
    }

    void markFinal() {
        if (finalHeaders) return;
        finalHeaders = true;
        finalHeaderText = headerText;
        finalStatus = status;
    }

    static size_t onBody(char* buffer, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        t->markFinal();
        if (t->dataOffset > 0 && t->dataOffset == t->data.size()) {
            t->data.clear();
            t->dataOffset = 0;
        }
        t->data.append(buffer, size * count);
        return size * count;
    }

    static int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Transfer*>(user)->cancelled() ? 1 : 0;
    }
};

Request::Request(std::unique_ptr<Transfer> transfer) : t_(std::move(transfer)) {}
Request::~Request() = default;

std::unique_ptr<Request> Request::open(const Connection& connection, std::string_view method,
                                       std::string_view pathAndQuery) {
    if (method != "GET" && method != "POST" && method != "HEAD" && method != "PUT") return nullptr;
    auto t = std::make_unique<Transfer>();
    t->easy = curl_easy_init();
    t->multi = curl_multi_init();
    if (!t->easy || !t->multi) return nullptr;
    t->method = method;

    const UrlParts& u = connection.url_;
    std::string path(pathAndQuery.empty() ? std::string_view(u.path) : pathAndQuery);
    if (path.empty() || path.front() != '/') path.insert(0, "/");
    const std::string url = u.scheme + "://" + u.host + ":" + std::to_string(u.port) + path;

    CURL* e = t->easy;
    bool ok = curl_easy_setopt(e, CURLOPT_URL, url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK;
    // An empty proxy also keeps the library from taking one from the environment.
    ok = ok && curl_easy_setopt(e, CURLOPT_PROXY, connection.proxy_.c_str()) == CURLE_OK;
    // The proxy the caller gave is used as given: no environment variable may switch it off.
    ok = ok && curl_easy_setopt(e, CURLOPT_NOPROXY, "") == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK;
    // A request dropped while its host name is still being looked up leaves the lookup to finish
    // on its own instead of waiting for it, so a cancelled request ends at once.
    curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
    // The debug hook is how the client learns that the request has gone out; with it in place
    // nothing is printed.
    ok = ok && curl_easy_setopt(e, CURLOPT_VERBOSE, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &Transfer::onDebug) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_DEBUGDATA, t.get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::onHeader) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::onBody) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress) == CURLE_OK;
    ok = ok && curl_easy_setopt(e, CURLOPT_XFERINFODATA, t.get()) == CURLE_OK;
    if (method == "HEAD") {
        ok = ok && curl_easy_setopt(e, CURLOPT_NOBODY, 1L) == CURLE_OK;
    } else if (method == "POST") {
        t->hasBody = true;
    } else if (method == "PUT") {
        t->hasBody = true;
        ok = ok && curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, "PUT") == CURLE_OK;
    }
    if (!ok) return nullptr;
    std::unique_ptr<Request> r(new Request(std::move(t)));
    if (!r->setTimeouts(Timeouts{}) || !r->setFollowRedirects(true)) return nullptr;
    return r;
}

bool Request::setTimeouts(const Timeouts& timeouts) {
    if (timeouts.resolve.count() < 0 || timeouts.connect.count() < 0 || timeouts.send.count() < 0 ||
        timeouts.receive.count() < 0)
        return false;
    t_->timeouts = timeouts;
    const long connectMs = static_cast<long>((timeouts.resolve + timeouts.connect).count());
    // 0 is the library's own limit of some minutes for the connection, and no limit of ours.
    return curl_easy_setopt(t_->easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs) == CURLE_OK;
}

bool Request::setProxyCredentials(std::string_view user, std::string_view password) {
    const std::string u(user), p(password);
    return curl_easy_setopt(t_->easy, CURLOPT_PROXYUSERNAME, u.c_str()) == CURLE_OK &&
           curl_easy_setopt(t_->easy, CURLOPT_PROXYPASSWORD, p.c_str()) == CURLE_OK &&
           curl_easy_setopt(t_->easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) == CURLE_OK;
}

bool Request::disableCookies() {
    // The library keeps no cookies unless a cookie file or list is given, and none is.
    return curl_easy_setopt(t_->easy, CURLOPT_COOKIE, nullptr) == CURLE_OK;
}

bool Request::setFollowRedirects(bool follow) {
    t_->follow = follow;
    return curl_easy_setopt(t_->easy, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L) == CURLE_OK &&
           curl_easy_setopt(t_->easy, CURLOPT_MAXREDIRS, 10L) == CURLE_OK &&
           curl_easy_setopt(t_->easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
}

bool Request::addHeaders(std::string_view block) {
    curl_slist* list = nullptr;
    auto add = [&list](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (!grown) return false;
        list = grown;
        return true;
    };
    bool ok = true;
    std::size_t pos = 0;
    while (ok && pos < block.size()) {
        std::size_t end = block.find('\n', pos);
        if (end == std::string_view::npos) end = block.size();
        std::string_view line = block.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::size_t colon = line.find(':');
        if (colon == 0 || colon == std::string_view::npos || line.find('\0') != std::string_view::npos) {
            ok = false;
            break;
        }
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        // "Name:" alone would tell the library to drop its own header of that name; "Name;"
        // sends the header with an empty value.
        ok = add(value.empty() ? std::string(line.substr(0, colon)) + ";" : std::string(line));
    }
    // No "Expect: 100-continue" wait before a body: the server gets the request in one go.
    ok = ok && add("Expect:");
    if (!ok) {
        curl_slist_free_all(list);
        return false;
    }
    if (curl_easy_setopt(t_->easy, CURLOPT_HTTPHEADER, list) != CURLE_OK) {
        curl_slist_free_all(list);
        return false;
    }
    curl_slist_free_all(t_->headerList);
    t_->headerList = list;
    return true;
}

void Request::setCancelFlag(const std::atomic<bool>* flag) {
    t_->cancel = flag;
}

bool Request::send(std::string_view body) {
    Transfer& t = *t_;
    if (t.inMulti) return false;
    if (t.hasBody || !body.empty()) {
        t.body.assign(body);
        if (t.method == "GET") curl_easy_setopt(t.easy, CURLOPT_CUSTOMREQUEST, "GET");
        if (curl_easy_setopt(t.easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.body.size())) !=
                CURLE_OK ||
            curl_easy_setopt(t.easy, CURLOPT_POSTFIELDS, t.body.data()) != CURLE_OK)
            return false;
    }
    if (!t.headerList && !addHeaders({})) return false;
    if (curl_multi_add_handle(t.multi, t.easy) != CURLM_OK) return false;
    t.inMulti = true;
    const auto& to = t.timeouts;
    const auto limit =
        to.send.count() == 0 ? std::chrono::milliseconds(0) : to.resolve + to.connect + to.send;
    return t.driveUntil([&t] { return t.sent() || t.endedWell(); }, limit);
}

bool Request::receiveResponse() {
    Transfer& t = *t_;
    if (!t.inMulti) return false;
    if (!t.driveUntil([&t] { return t.finalHeaders || t.endedWell(); }, t.timeouts.receive)) return false;
    if (!t.finalHeaders) {
        // The exchange ended before the library passed on a final response (a redirect it chose
        // not to follow): the last headers received are the response.
        t.markFinal();
    }
    status_ = t.finalStatus;
    headers_ = t.finalHeaderText;
    return status_ > 0;
}

std::optional<std::size_t> Request::queryDataAvailable() {
    Transfer& t = *t_;
    if (!t.finalHeaders) return std::nullopt;
    if (t.ready() > 0) return t.ready();
    if (!t.driveUntil([&t] { return t.ready() > 0 || t.done; }, t.timeouts.receive)) return std::nullopt;
    if (t.ready() > 0) return t.ready();
    if (t.result != CURLE_OK) return std::nullopt;
    return 0;
}

std::string Request::readData(std::size_t size) {
    Transfer& t = *t_;
    const std::size_t n = std::min(size, t.ready());
    std::string out = t.data.substr(t.dataOffset, n);
    t.dataOffset += n;
    return out;
}

}  // namespace quenlo::http
