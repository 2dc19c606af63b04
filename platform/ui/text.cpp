#include "platform/ui/text.h"

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

}  // namespace

QString toQString(std::string_view gbk) {
    return fromUtf16(codepage::gbkToUtf16(gbk));
}

std::string fromQString(const QString& text) {
    return codepage::utf16ToGbk(view(text));
}

QString toBoxText(std::string_view gbk) {
    std::u16string u = codepage::gbkToUtf16(gbk);
    std::size_t out = 0;
    for (std::size_t i = 0; i < u.size(); ++i) {
        if (u[i] == u'\r') {
            u[out++] = u'\n';
            if (i + 1 < u.size() && u[i + 1] == u'\n') ++i;
        } else {
            u[out++] = u[i];
        }
    }
    u.resize(out);
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
