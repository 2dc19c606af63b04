#include "platform/text_stream.h"

#include <algorithm>
#include <cctype>

#include "platform/codepage.h"

namespace quenlo::text_stream {
namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

}  // namespace

std::string TextStream::readText() const {
    std::string_view bytes = bytes_;
    const std::string name = lower(charset_);
    if ((name == "utf-8" || name == "utf8") && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::string out;
    if (!codepage::convertCharset(bytes, charset_, "GBK", out)) return bytes_;
    return out;
}

}  // namespace quenlo::text_stream
