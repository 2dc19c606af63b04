#include "platform/ui/text.h"

#include <type_traits>

#include "platform/codepage.h"

namespace quenlo::ui::text {
namespace {

QString fromUtf16(const std::u16string& u) {
    return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

std::u16string_view view(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

bool isLineBreak(char16_t c) {
    return c == u'\n' || c == u'\u2029' || c == u'\u2028';
}

// Number lists and VCF code are plain ASCII and can be long, and the live count reads the number
// box on every key; such text needs no code page conversion, which is most of the cost. False, with
// `out` unfinished, at the first character that is not ASCII.
bool asciiFromBoxText(std::u16string_view text, std::string& out) {
    out.reserve(text.size() + text.size() / 8);
    for (char16_t c : text) {
        if (isLineBreak(c))
            out += "\r\n";
        else if (c < 0x80)
            out += static_cast<char>(c);
        else
            return false;
    }
    return true;
}

// Copies `size` characters to `out`, each CR LF or lone CR becoming LF; returns how many it wrote.
// `out` may be `in` itself, as the text only shrinks.
template <class Char>
std::size_t breakLinesAsQt(const Char* in, std::size_t size, char16_t* out) {
    std::size_t written = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(in[i]));
        if (c == u'\r') {
            out[written++] = u'\n';
            if (i + 1 < size && in[i + 1] == '\n') ++i;
        } else {
            out[written++] = c;
        }
    }
    return written;
}

}  // namespace

QString toQString(std::string_view gbk) {
    return fromUtf16(codepage::gbkToUtf16(gbk));
}

std::string fromQString(const QString& text) {
    return codepage::utf16ToGbk(view(text));
}

QString toBoxText(std::string_view gbk) {
    // Generated code and number lists are plain ASCII and can run to megabytes; widening them
    // directly skips a conversion that costs more than everything else done here.
    if (codepage::isAscii(gbk)) {
        QString text(static_cast<qsizetype>(gbk.size()), Qt::Uninitialized);
        auto* out = reinterpret_cast<char16_t*>(text.data());
        text.truncate(static_cast<qsizetype>(breakLinesAsQt(gbk.data(), gbk.size(), out)));
        return text;
    }
    std::u16string u = codepage::gbkToUtf16(gbk);
    u.resize(breakLinesAsQt(u.data(), u.size(), u.data()));
    return fromUtf16(u);
}

std::string fromBoxText(const QString& text) {
    if (std::string ascii; asciiFromBoxText(view(text), ascii)) return ascii;

    std::u16string u;
    u.reserve(static_cast<std::size_t>(text.size()) + static_cast<std::size_t>(text.size()) / 8);
    for (char16_t c : view(text)) {
        if (isLineBreak(c)) {
            u += u"\r\n";
        } else {
            u += c;
        }
    }
    return codepage::utf16ToGbk(u);
}

}  // namespace quenlo::ui::text
