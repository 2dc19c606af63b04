#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

// The one-line notice at the top of the window, fetched from the maker's notice server, and what a
// click on it does. Plain C++: the window hands in what it needs done through callbacks and calls
// start(), checkNotice() on each tick of its notice timer and onNoticePressed() on a click.
namespace quenlo::net {

inline constexpr std::string_view kNoticeHost = "soft.quenlo.example";
inline constexpr std::string_view kNoticePath = "/Soft_Notice.txt";

// "http://" + host + path.
std::string noticeUrl();
// The request's header block: the Host line for the notice server, then the browser's agent line,
// the last line without CR LF.
std::string noticeHeaderBlock();

struct NoticeFields {
    std::string text;     // what the label shows (GBK)
    std::string details;  // what a click gives: a web address or a text (GBK)
};

// The first notice marked as "@1" text "#1" details "@1" on one line of the page, or nothing. The
// search gives up, finding nothing, as soon as `cancelled` is set.
std::optional<NoticeFields> noticeFields(std::string_view page, const std::atomic<bool>* cancelled = nullptr);

// The label's text for a notice: its first line only, for the label has room for one.
std::string noticeLabelText(const NoticeFields& fields);

// The web address a click on the notice opens (UTF-8), or nothing when the details are not an
// http or https address; no other kind of address (file:, javascript:, a program) is ever opened.
std::optional<std::string> noticeAddress(std::string_view details);

class NoticeBanner {
  public:
    // What the window does for the banner. Every callback is called on the window's thread.
    struct Callbacks {
        std::function<void(const std::string& text)> setLabelText;  // GBK, to be shown as plain text
        std::function<void(int milliseconds)> setTimerPeriod;       // 0 stops the timer
        // Runs a function on the window's thread soon. The only callback called from the worker.
        std::function<void(std::function<void()>)> postToUiThread;
        std::function<void(const std::string& title, const std::string& text)> showMessage;  // GBK
        // Opens a web address (UTF-8) in the browser; when left empty, the shell layer does it.
        std::function<bool(const std::string& address)> openAddress;
    };

    static constexpr int kFirstCheckMs = 500;
    static constexpr int kRetryMs = 10 * 60 * 1000;

    explicit NoticeBanner(Callbacks callbacks, std::string url = noticeUrl());
    // Cancels a fetch that is still running and waits the moment it takes to end; its result is
    // never delivered.
    ~NoticeBanner();
    NoticeBanner(const NoticeBanner&) = delete;
    NoticeBanner& operator=(const NoticeBanner&) = delete;

    // Sets the timer going for the first check, once the window exists.
    void start();
    // One tick: stops the timer and fetches the notice on a worker thread. A notice reaches the
    // label and the timer stays stopped; a failure, or a page without a notice, leaves the label as
    // it was and has the timer try again in ten minutes.
    void checkNotice();
    // A click on the label: an http or https address in the details opens in the browser, other
    // details show in a "提示" message box, and without a notice nothing happens.
    void onNoticePressed();

    const std::optional<NoticeFields>& notice() const { return notice_; }
    bool fetching() const { return fetching_; }

  private:
    struct Shared;
    void finishFetch(std::optional<NoticeFields> fields);

    Callbacks callbacks_;
    std::string url_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    bool fetching_ = false;
    std::optional<NoticeFields> notice_;
};

}  // namespace quenlo::net
