#include "platform/regexp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <functional>

namespace quenlo::regexp {

std::u16string SubMatchCollection::Item(std::size_t index) const {
    return index < items_.size() ? items_[index] : std::u16string();
}

struct RegExp::Compiled {
    std::u16string pattern;
    std::uint32_t options = 0;
    pcre2_code* code = nullptr;
    pcre2_match_data* matchData = nullptr;
    pcre2_match_context* matchContext = nullptr;
    std::uint32_t captureCount = 0;

    ~Compiled() {
        pcre2_match_context_free(matchContext);
        pcre2_match_data_free(matchData);
        pcre2_code_free(code);
    }
};

namespace {

std::uint32_t compileOptions(const RegExp& re) {
    // UTF mode so a character outside the basic plane is one character to the dot; invalid UTF-16
    // in a text (a lone surrogate) then simply never matches instead of failing the whole search.
    // No UCP: \w stays ASCII, as in the scripting engine. ALT_BSUX gives its \uXXXX and \xXX.
    std::uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_NEVER_BACKSLASH_C;
    if (re.IgnoreCase) options |= PCRE2_CASELESS;
    // Without Multiline, $ matches only at the very end, not before a final line feed.
    options |= re.Multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    if (re.Singleline) options |= PCRE2_DOTALL;
    return options;
}

// The pattern with every dot outside a character class written as "any character but a line
// feed", for matching where CR also ends a line: there ^ and $ must see CR LF line ends while the
// dot keeps its own rule.
std::u16string dotsStopOnlyAtLineFeed(std::u16string_view pattern) {
    std::u16string out;
    out.reserve(pattern.size());
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (c == u'\\' && i + 1 < pattern.size()) {
            out += c;
            out += pattern[++i];
        } else if (inClass) {
            out += c;
            if (c == u']') inClass = false;
        } else if (c == u'[') {
            out += c;
            inClass = true;
            // A ']' first in the class (after a '^') is a member, not the end.
            if (i + 1 < pattern.size() && pattern[i + 1] == u'^') out += pattern[++i];
            if (i + 1 < pattern.size() && pattern[i + 1] == u']') out += pattern[++i];
        } else if (c == u'.') {
            out += u"[^\\n]";
        } else {
            out += c;
        }
    }
    return out;
}

PCRE2_SPTR16 sptr(std::u16string_view text) {
    return reinterpret_cast<PCRE2_SPTR16>(text.data());
}

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

RegExp::RegExp() = default;
RegExp::~RegExp() = default;

const RegExp::Compiled* RegExp::compiled() const {
    const std::uint32_t options = compileOptions(*this);
    if (compiled_ && compiled_->pattern == Pattern && compiled_->options == options) return compiled_.get();

    auto c = std::make_unique<Compiled>();
    c->pattern = Pattern;
    c->options = options;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (context) {
        // The dot stops only at a line feed. Under Multiline, ^ and $ also meet the CR LF line ends
        // of the system's texts, so CR ends a line there and the dots are spelled out instead.
        const bool crlfLines = Multiline && !Singleline;
        pcre2_set_newline(context, crlfLines ? PCRE2_NEWLINE_ANYCRLF : PCRE2_NEWLINE_LF);
        const std::u16string pattern = crlfLines ? dotsStopOnlyAtLineFeed(Pattern) : Pattern;
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        c->code = pcre2_compile(sptr(pattern), pattern.size(), options, &error, &errorOffset, context);
        pcre2_compile_context_free(context);
    }
    if (c->code) {
        c->matchData = pcre2_match_data_create_from_pattern(c->code, nullptr);
        c->matchContext = pcre2_match_context_create(nullptr);
        pcre2_pattern_info(c->code, PCRE2_INFO_CAPTURECOUNT, &c->captureCount);
        if (!c->matchData || !c->matchContext) {
            pcre2_code_free(c->code);
            c->code = nullptr;
        }
    }
    compiled_ = std::move(c);
    return compiled_.get();
}

bool RegExp::isValid() const {
    return compiled()->code != nullptr;
}

namespace {

// Calls `found` with the offset vector of each match, the first only unless `global`. After an empty
// match the next search starts one character further on, as in the scripting engine. Returns false
// when the search stopped at a limit.
bool forEachMatch(pcre2_code* code, pcre2_match_data* matchData, pcre2_match_context* matchContext,
                  std::uint32_t limit, bool global, std::u16string_view text,
                  const std::function<void(const PCRE2_SIZE*)>& found) {
    pcre2_set_match_limit(matchContext, limit);
    pcre2_set_depth_limit(matchContext, limit);
    std::size_t start = 0;
    while (start <= text.size()) {
        int rc = pcre2_match(code, sptr(text), text.size(), start, 0, matchData, matchContext);
        if (rc == PCRE2_ERROR_NOMATCH) return true;
        if (rc < 0) return false;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(matchData);
        found(ov);
        if (!global) return true;
        std::size_t end = ov[1];
        if (ov[1] <= ov[0]) {
            end = std::max<std::size_t>(ov[0], ov[1]);
            if (end >= text.size()) return true;
            end += (isHighSurrogate(text[end]) && end + 1 < text.size() && isLowSurrogate(text[end + 1])) ? 2
                                                                                                          : 1;
        }
        start = end;
    }
    return true;
}

std::u16string_view group(std::u16string_view text, const PCRE2_SIZE* ov, std::size_t n) {
    if (ov[2 * n] == PCRE2_UNSET || ov[2 * n + 1] < ov[2 * n]) return {};
    return text.substr(ov[2 * n], ov[2 * n + 1] - ov[2 * n]);
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

MatchCollection RegExp::Execute(std::u16string_view text) const {
    MatchCollection result;
    const Compiled* c = compiled();
    if (!c->code) return result;
    bool complete = forEachMatch(c->code, c->matchData, c->matchContext, matchLimit, Global, text,
                                 [&](const PCRE2_SIZE* ov) {
                                     Match m;
                                     m.Value = group(text, ov, 0);
                                     m.FirstIndex = ov[0];
                                     for (std::uint32_t n = 1; n <= c->captureCount; ++n)
                                         m.subMatches_.items_.emplace_back(group(text, ov, n));
                                     result.items_.push_back(std::move(m));
                                 });
    result.stoppedAtLimit_ = !complete;
    return result;
}

std::u16string RegExp::Replace(std::u16string_view text, std::u16string_view replacement) const {
    const Compiled* c = compiled();
    if (!c->code) return std::u16string(text);
    std::u16string out;
    std::size_t copied = 0;
    const std::size_t groups = c->captureCount;
    forEachMatch(c->code, c->matchData, c->matchContext, matchLimit, Global, text, [&](const PCRE2_SIZE* ov) {
        const std::size_t begin = std::max<std::size_t>(ov[0], copied);
        const std::size_t end = std::max<std::size_t>(begin, ov[1]);
        out.append(text.substr(copied, begin - copied));
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            const char16_t ch = replacement[i];
            if (ch != u'$' || i + 1 >= replacement.size()) {
                out.push_back(ch);
                continue;
            }
            const char16_t next = replacement[i + 1];
            if (next == u'$') {
                out.push_back(u'$');
                ++i;
            } else if (next == u'&') {
                out.append(text.substr(begin, end - begin));
                ++i;
            } else if (next == u'`') {
                out.append(text.substr(0, begin));
                ++i;
            } else if (next == u'\'') {
                out.append(text.substr(end));
                ++i;
            } else if (isDigit(next)) {
                // Two digits when they name an existing group, else one digit when it does, else
                // the dollar sign stands for itself.
                const std::size_t one = next - u'0';
                if (i + 2 < replacement.size() && isDigit(replacement[i + 2])) {
                    const std::size_t two = one * 10 + (replacement[i + 2] - u'0');
                    if (two >= 1 && two <= groups) {
                        out.append(group(text, ov, two));
                        i += 2;
                        continue;
                    }
                }
                if (one >= 1 && one <= groups) {
                    out.append(group(text, ov, one));
                    ++i;
                } else {
                    out.push_back(u'$');
                }
            } else {
                out.push_back(u'$');
            }
        }
        copied = end;
    });
    out.append(text.substr(copied));
    return out;
}

}  // namespace quenlo::regexp
