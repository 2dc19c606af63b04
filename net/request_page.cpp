#include "net/request_page.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "net/regex_object.h"
#include "platform/ascii.h"
#include "platform/codepage.h"
#include "platform/http.h"
#include "platform/text_stream.h"

namespace quenlo::net {
namespace {

using ascii::equalsNoCase;
using ascii::trimBlanks;

// Written in UTF-8 here and handed out in the system's code page.
constexpr std::array<std::pair<int, std::string_view>, 13> kFailureTexts{{
    {700, "700 当前系统不支持WinHttp服务!"},
    {701, "701 解析URL地址失败!"},
    {702, "702 创建WinHttp会话失败!"},
    {703, "703 创建WinHttp连接失败!"},
    {704, "704 创建WinHttp请求失败!"},
    {705, "705 设置超时时间失败!"},
    {707, "707 设置代理凭证失败!"},
    {708, "708 禁止自动设置Cookies失败!"},
    {709, "709 重定向设置失败!"},
    {710, "710 设置协议头失败!"},
    {711, "711 发送请求失败!"},
    {712, "712 服务器未响应!"},
    {713, "713 读取数据失败!"},
}};

struct DefaultHeader {
    std::string_view name;  // as the request routine has always spelt it
    std::string_view line;
};

constexpr std::array<DefaultHeader, 6> kDefaultHeaders{{
    {"User-Agent: ", "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)"},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*"},
    // Character sets and no compression coding, so the body arrives as the server stores it.
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312"},
    {"Accept-Language: ", "Accept-Language: zh-cn"},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
    {"Cache-Control: ", "Cache-Control: no-cache"},
}};

constexpr std::string_view kCookieHeader = "Cookie: ";
constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// The name of a header line or name entry: what stands before the colon, without blanks.
std::string_view headerName(std::string_view line) {
    return trimBlanks(line.substr(0, line.find(':')));
}

std::vector<std::string_view> splitLines(std::string_view block) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < block.size()) {
        std::size_t end = block.find('\n', pos);
        if (end == std::string_view::npos) end = block.size();
        std::string_view line = block.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

bool hasHeader(const std::vector<std::string_view>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [&](std::string_view line) {
        return equalsNoCase(headerName(line), headerName(name));
    });
}

// The caller's lines, then the default lines the caller did not replace, then the cookies.
std::string headerBlock(const PageRequest& request) {
    const std::vector<std::string_view> own = splitLines(request.headers);
    std::string block;
    for (std::string_view line : own) {
        if (!request.cookies.empty() && equalsNoCase(headerName(line), headerName(kCookieHeader))) continue;
        block.append(line).append("\r\n");
    }
    for (const DefaultHeader& h : kDefaultHeaders)
        if (!hasHeader(own, h.name)) block.append(h.line).append("\r\n");
    if (!request.cookies.empty()) block.append(kCookieHeader).append(request.cookies).append("\r\n");
    return block;
}

// The name=value pairs of the response's Set-Cookie lines, a later one of the same name in place
// of an earlier one; a cookie the server deletes is left out.
std::string responseCookies(std::string_view headers) {
    std::vector<std::pair<std::string, std::string>> cookies;
    for (std::string_view line : splitLines(headers)) {
        if (!equalsNoCase(headerName(line), "Set-Cookie") || line.find(':') == std::string_view::npos)
            continue;
        std::string_view pair = line.substr(line.find(':') + 1);
        pair = trimBlanks(pair.substr(0, pair.find(';')));
        const std::size_t eq = pair.find('=');
        if (eq == 0 || eq == std::string_view::npos) continue;
        std::string name(trimBlanks(pair.substr(0, eq)));
        std::string value(trimBlanks(pair.substr(eq + 1)));
        std::erase_if(cookies, [&](const auto& c) { return c.first == name; });
        if (value != "deleted") cookies.emplace_back(std::move(name), std::move(value));
    }
    std::string out;
    for (const auto& [name, value] : cookies) {
        if (!out.empty()) out += "; ";
        out += name + "=" + value;
    }
    return out;
}

std::string headerValue(std::string_view headers, std::string_view name) {
    for (std::string_view line : splitLines(headers))
        if (line.find(':') != std::string_view::npos && equalsNoCase(headerName(line), name))
            return std::string(trimBlanks(line.substr(line.find(':') + 1)));
    return {};
}

// A page that declares a character set other than the system's own is decoded from it.
constexpr std::size_t kCharsetSearchBytes = 64 * 1024;

std::string pageText(std::string body) {
    RegexObject re;
    // A page declares its character set in its head; searching the whole of a large body would let
    // a hostile page keep the matcher busy for minutes.
    const std::string_view head = std::string_view(body).substr(0, kCharsetSearchBytes);
    if (!re.create(kCharsetPattern, {.ignoreCase = true}) || re.search(head) == 0) return body;
    const std::string charset = re.subMatchText(0, 1);
    if (equalsNoCase(charset, "gbk") || equalsNoCase(charset, "gb2312")) return body;
    text_stream::TextStream stream;
    stream.writeBinary(body);
    stream.setCharset(charset);
    return stream.readText();
}

PageResult failure(int code) {
    PageResult r;
    r.failureCode = code;
    r.text = failureText(code);
    return r;
}

std::string utf8(std::string_view gbk) {
    return codepage::gbkToUtf8(gbk);
}

}  // namespace

std::string failureText(int code) {
    for (const auto& [c, text] : kFailureTexts)
        if (c == code) return codepage::utf8ToGbk(text);
    return {};
}

PageResult requestPage(const PageRequest& request) {
    if (!http::checkPlatform()) return failure(700);
    const auto url = http::crackUrl(utf8(request.url));
    if (!url) return failure(701);
    const auto session = http::Session::open(request.proxy.empty() ? "" : "http=" + utf8(request.proxy));
    if (!session) return failure(702);
    const auto connection = http::Connection::open(*session, *url);
    if (!connection) return failure(703);
    const auto req = http::Request::open(*connection, request.method, url->path);
    if (!req) return failure(704);
    req->setCancelFlag(request.cancel);
    if (!req->setTimeouts(
            {request.resolveTimeout, request.connectTimeout, request.sendTimeout, request.receiveTimeout}))
        return failure(705);
    if (!request.proxyUser.empty() &&
        !req->setProxyCredentials(utf8(request.proxyUser), utf8(request.proxyPassword)))
        return failure(707);
    if (!req->disableCookies()) return failure(708);
    if (!req->setFollowRedirects(request.followRedirects)) return failure(709);
    if (!req->addHeaders(headerBlock(request))) return failure(710);
    if (!req->send(request.data)) return failure(711);
    if (!req->receiveResponse()) return failure(712);

    PageResult result;
    result.status = req->statusCode();
    result.headers = req->queryHeaders();
    result.cookies = responseCookies(result.headers);
    result.location = headerValue(result.headers, "Location");

    std::string body;
    while (true) {
        const auto ready = req->queryDataAvailable();
        if (!ready) return failure(713);
        if (*ready == 0) break;
        if (body.size() + *ready > kMaxPageBytes) return failure(713);
        body += req->readData(*ready);
    }
    result.text = pageText(std::move(body));
    return result;
}

}  // namespace quenlo::net
