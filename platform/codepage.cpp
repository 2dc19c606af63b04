#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace quenlo::codepage {
namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One iconv descriptor. iconv_open is costly and a descriptor is not safe to share between
// threads, so each thread keeps its own descriptors for the whole run (see converter()).
class Iconv {
  public:
    Iconv(const std::string& to, const std::string& from) : h_(iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (ok()) iconv_close(h_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return h_ != reinterpret_cast<iconv_t>(-1); }

    // Converts from `in` until the end or the first input it cannot take. Returns true at the end;
    // false with `in` at the offending input otherwise (the descriptor's shift state is reset).
    bool run(std::string_view& in, std::string& out) {
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        bool done = true;
        while (srcLeft > 0) {
            std::size_t used = out.size();
            out.resize(used + std::max<std::size_t>(srcLeft * 4, 16));
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            std::size_t r = iconv(h_, &src, &srcLeft, &dst, &dstLeft);
            out.resize(out.size() - dstLeft);
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) continue;
            done = false;  // EILSEQ or EINVAL (sequence cut at the end)
            iconv(h_, nullptr, nullptr, nullptr, nullptr);
            break;
        }
        in.remove_prefix(in.size() - srcLeft);
        return done;
    }

  private:
    iconv_t h_;
};

Iconv& converter(const std::string& to, const std::string& from) {
    thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<Iconv>> cache;
    auto& slot = cache[{to, from}];
    if (!slot) slot = std::make_unique<Iconv>(to, from);
    return *slot;
}

bool isGb18030FourByte(std::string_view s) {
    auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    return s.size() >= 4 && b(0) >= 0x81 && b(0) <= 0xFE && b(1) >= 0x30 && b(1) <= 0x39 && b(2) >= 0x81 &&
           b(2) <= 0xFE && b(3) >= 0x30 && b(3) <= 0x39;
}

// Length of the UTF-8 sequence that starts `s`, or 1 when the lead byte is not valid.
std::size_t utf8SequenceLength(std::string_view s) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    return std::min(n, s.size());
}

std::size_t utf16SequenceLength(std::string_view s) {
    if (s.size() < 2) return s.size();
    char16_t u;
    std::memcpy(&u, s.data(), 2);
    if (u < 0xD800 || u > 0xDBFF || s.size() < 4) return 2;
    // A high surrogate pairs only with a low one; alone it is one bad unit, and what follows it is
    // a character of its own.
    char16_t next;
    std::memcpy(&next, s.data() + 2, 2);
    return (next >= 0xDC00 && next <= 0xDFFF) ? 4 : 2;
}

std::string replacementIn(const std::string& charset) {
    if (charset == "UTF-8") return "\xEF\xBF\xBD";
    if (charset == kUtf16) {
        char16_t r = 0xFFFD;
        return std::string(reinterpret_cast<const char*>(&r), 2);
    }
    return "\x84\x31\xA4\x37";  // U+FFFD in GB18030
}

void count(std::size_t* invalid) {
    if (invalid) ++*invalid;
}

// Code page 936 bytes to `to`. Sequences that the code page lacks but GB18030 has are taken too.
std::string decodeGbk(std::string_view in, const std::string& to, std::size_t* invalid) {
    std::string out;
    out.reserve(in.size() * 2);
    Iconv& gbk = converter(to, "GBK");
    Iconv& gb18030 = converter(to, "GB18030");
    while (!gbk.run(in, out)) {
        std::size_t take = isGb18030FourByte(in) ? 4 : (in.size() >= 2 ? 2 : 0);
        std::string_view piece = in.substr(0, take);
        std::string decoded;
        if (take > 0 && gb18030.run(piece, decoded) && piece.empty()) {
            out += decoded;
            in.remove_prefix(take);
            continue;
        }
        out += replacementIn(to);
        count(invalid);
        in.remove_prefix(1);
    }
    return out;
}

// `from` (UTF-8 or UTF-16) to code page 936; what the code page lacks goes out in GB18030 form.
std::string encodeGbk(std::string_view in, const std::string& from, std::size_t* invalid) {
    std::string out;
    out.reserve(in.size() + in.size() / 2);
    Iconv& gbk = converter("GBK", from);
    Iconv& gb18030 = converter("GB18030", from);
    const bool utf16 = from == kUtf16;
    while (!gbk.run(in, out)) {
        std::size_t take = utf16 ? utf16SequenceLength(in) : utf8SequenceLength(in);
        std::string_view piece = in.substr(0, take);
        std::string encoded;
        if (gb18030.run(piece, encoded) && piece.empty()) {
            out += encoded;
        } else {
            out += replacementIn("GBK");
            count(invalid);
            if (!utf16) take = 1;
        }
        in.remove_prefix(std::max<std::size_t>(take, 1));
    }
    return out;
}

// Any charset to any other, replacing what cannot be read or written.
std::string convertWithReplacement(std::string_view in, const std::string& to, const std::string& from,
                                   std::size_t* invalid) {
    std::string out;
    Iconv& cv = converter(to, from);
    while (!cv.run(in, out)) {
        std::string_view replacement = "\xEF\xBF\xBD";
        std::string encoded;
        if (to != "UTF-8" && !converter(to, "UTF-8").run(replacement, encoded)) encoded = "?";
        out += to == "UTF-8" ? std::string("\xEF\xBF\xBD") : encoded;
        count(invalid);
        in.remove_prefix(std::min<std::size_t>(from == kUtf16 ? 2 : 1, in.size()));
    }
    return out;
}

std::u16string toU16(const std::string& bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

std::string_view asBytes(std::u16string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * 2};
}

std::string canonicalName(std::string_view name) {
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kSystemCodePage[] = {"GBK",   "GB2312",      "CP936",  "GB18030", "936",
                                                  "MS936", "WINDOWS-936", "EUC-CN", "X-GBK"};
    for (const char* alias : kSystemCodePage)
        if (upper == alias) return "GBK";
    if (upper == "UTF8") return "UTF-8";
    return upper;
}

}  // namespace

std::u16string gbkToUtf16(std::string_view gbk, std::size_t* invalid) {
    return toU16(decodeGbk(gbk, kUtf16, invalid));
}

std::string utf16ToGbk(std::u16string_view text, std::size_t* invalid) {
    return encodeGbk(asBytes(text), kUtf16, invalid);
}

std::string gbkToUtf8(std::string_view gbk, std::size_t* invalid) {
    if (isAscii(gbk)) return std::string(gbk);
    return decodeGbk(gbk, "UTF-8", invalid);
}

std::string utf8ToGbk(std::string_view utf8, std::size_t* invalid) {
    if (isAscii(utf8)) return std::string(utf8);
    return encodeGbk(utf8, "UTF-8", invalid);
}

std::u16string utf8ToUtf16(std::string_view utf8, std::size_t* invalid) {
    return toU16(convertWithReplacement(utf8, kUtf16, "UTF-8", invalid));
}

std::string utf16ToUtf8(std::u16string_view text, std::size_t* invalid) {
    return convertWithReplacement(asBytes(text), "UTF-8", kUtf16, invalid);
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    while (i < s.size()) {
        unsigned char c = b(i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t n;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        if (b(i + 1) < lo || b(i + 1) > hi) return false;
        for (std::size_t k = 2; k <= n; ++k)
            if ((b(i + k) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

bool convertCharset(std::string_view bytes, std::string_view fromCharset, std::string_view toCharset,
                    std::string& out, std::size_t* invalid) {
    const std::string from = canonicalName(fromCharset);
    const std::string to = canonicalName(toCharset);
    if (from == to && (from == "GBK" || from == "UTF-8")) {
        out.assign(bytes);
        return true;
    }
    if (!converter(to == "GBK" ? "UTF-8" : to, from == "GBK" ? "UTF-8" : from).ok()) return false;
    if (from == "GBK") {
        std::string utf8 = gbkToUtf8(bytes, invalid);
        out = to == "UTF-8" ? std::move(utf8) : convertWithReplacement(utf8, to, "UTF-8", invalid);
        return true;
    }
    if (to == "GBK") {
        std::string utf8 =
            from == "UTF-8" ? std::string(bytes) : convertWithReplacement(bytes, "UTF-8", from, invalid);
        out = utf8ToGbk(utf8, invalid);
        return true;
    }
    out = convertWithReplacement(bytes, to, from, invalid);
    return true;
}

}  // namespace quenlo::codepage
