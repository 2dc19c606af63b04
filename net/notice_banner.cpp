#include "net/notice_banner.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>

#include "net/regex_object.h"
#include "net/request_page.h"
#include "platform/ascii.h"
#include "platform/codepage.h"
#include "platform/http.h"
#include "platform/shell.h"

namespace quenlo::net {
namespace {

using ascii::trimBlanks;

constexpr std::string_view kNoticePattern = "@1(.*?)#1(.*?)@1";
constexpr std::string_view kNoticeAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";
constexpr std::string_view kMessageTitle = "提示";  // UTF-8 here, GBK when shown

// "@1", later "#1", later "@1": exactly when the notice pattern matches within one line. The
// markers are ASCII, whose bytes never occur inside a code page 936 character.
bool holdsMarkedNotice(std::string_view line) {
    const std::size_t open = line.find("@1");
    if (open == std::string_view::npos) return false;
    const std::size_t split = line.find("#1", open + 2);
    return split != std::string_view::npos && line.find("@1", split + 2) != std::string_view::npos;
}

}  // namespace

std::string noticeUrl() {
    return "http://" + std::string(kNoticeHost) + std::string(kNoticePath);
}

std::string noticeHeaderBlock() {
    return "Host: " + std::string(kNoticeHost) + "\r\n" + std::string(kNoticeAgent);
}

std::optional<NoticeFields> noticeFields(std::string_view page, const std::atomic<bool>* cancelled) {
    RegexObject re;
    if (!re.create(kNoticePattern)) return std::nullopt;
    // The pattern's dot stops at a line feed, so a notice never spans lines and searching line by
    // line finds the same first notice.
    while (!page.empty()) {
        if (cancelled && *cancelled) return std::nullopt;
        const std::size_t end = std::min(page.find('\n'), page.size());
        const std::string_view line = page.substr(0, end);
        page.remove_prefix(std::min(end + 1, page.size()));
        // The matcher runs only on a line where it is bound to succeed, which it then does in one
        // pass; a line of markers that never close would otherwise have it try every pairing.
        if (holdsMarkedNotice(line) && re.search(line) > 0)
            return NoticeFields{re.subMatchText(0, 1), re.subMatchText(0, 2)};
    }
    return std::nullopt;
}

std::string noticeLabelText(const NoticeFields& fields) {
    // The pattern keeps line feeds out; a carriage return can still stand in the text.
    return fields.text.substr(0, fields.text.find_first_of("\r\n"));
}

std::optional<std::string> noticeAddress(std::string_view details) {
    const std::string address = codepage::gbkToUtf8(trimBlanks(details));
    for (unsigned char c : address)
        if (c <= ' ' || c == 0x7F) return std::nullopt;
    // The scheme is checked before anything else reads the text, so only a well-formed web
    // address ever reaches the desktop's opener.
    const auto parts = http::crackUrl(address);
    if (!parts) return std::nullopt;
    const std::string_view prefix = std::string_view(address).substr(0, parts->scheme.size() + 3);
    std::string lowered(prefix);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowered != parts->scheme + "://") return std::nullopt;
    return address;
}

// What the worker and the window share. The worker delivers its result only while the banner
// lives: the banner's destructor sets `cancelled` under the mutex, and the delivered function
// checks it again on the window's thread before touching the banner.
struct NoticeBanner::Shared {
    std::mutex mutex;
    std::atomic<bool> cancelled{false};
    NoticeBanner* banner = nullptr;
};

NoticeBanner::NoticeBanner(Callbacks callbacks, std::string url)
    : callbacks_(std::move(callbacks)), url_(std::move(url)), shared_(std::make_shared<Shared>()) {
    shared_->banner = this;
}

NoticeBanner::~NoticeBanner() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->cancelled = true;
    }
    // The request sees the flag within a few milliseconds and ends.
    if (worker_.joinable()) worker_.join();
}

void NoticeBanner::start() {
    callbacks_.setTimerPeriod(kFirstCheckMs);
}

void NoticeBanner::checkNotice() {
    callbacks_.setTimerPeriod(0);
    if (fetching_) return;
    if (worker_.joinable()) worker_.join();  // the last fetch has delivered; its thread is done
    fetching_ = true;
    worker_ = std::thread([shared = shared_, url = url_, post = callbacks_.postToUiThread] {
        PageRequest request;
        request.url = url;
        request.headers = noticeHeaderBlock();
        request.cancel = &shared->cancelled;
        const PageResult result = requestPage(request);
        std::optional<NoticeFields> fields;
        if (!result.failed()) fields = noticeFields(result.text, &shared->cancelled);
        std::lock_guard lock(shared->mutex);
        if (shared->cancelled) return;
        post([shared, fields = std::move(fields)]() mutable {
            if (!shared->cancelled) shared->banner->finishFetch(std::move(fields));
        });
    });
}

void NoticeBanner::finishFetch(std::optional<NoticeFields> fields) {
    fetching_ = false;
    // A notice with nothing to show is no notice: the label stays as it was and the next try comes.
    if (!fields || noticeLabelText(*fields).empty()) {
        callbacks_.setTimerPeriod(kRetryMs);
        return;
    }
    notice_ = std::move(fields);
    callbacks_.setLabelText(noticeLabelText(*notice_));
}

void NoticeBanner::onNoticePressed() {
    if (!notice_) return;
    if (auto address = noticeAddress(notice_->details)) {
        if (callbacks_.openAddress) {
            callbacks_.openAddress(*address);
        } else {
            shell::open(*address);
        }
        return;
    }
    // Details that are no web address are shown as they are; empty details show the notice itself.
    const std::string& text = notice_->details.empty() ? notice_->text : notice_->details;
    callbacks_.showMessage(codepage::utf8ToGbk(kMessageTitle), text);
}

}  // namespace quenlo::net
