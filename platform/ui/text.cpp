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
    std::u16string u;
    u.reserve(static_cast<std::size_t>(text.size()) + static_cast<std::size_t>(text.size()) / 8);
    for (char16_t c : view(text)) {
        if (c == u'\n' || c == u'\u2029' || c == u'\u2028') {
            u += u"\r\n";
        } else {
            u += c;
        }
    }
    return codepage::utf16ToGbk(u);
}

}  // namespace quenlo::ui::text
