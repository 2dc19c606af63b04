#include "net/regex_object.h"

#include "platform/codepage.h"
#include "platform/regexp.h"

namespace quenlo::net {

RegexObject::RegexObject()
    : re_(std::make_unique<regexp::RegExp>()), matches_(std::make_unique<regexp::MatchCollection>()) {}

RegexObject::~RegexObject() = default;

bool RegexObject::create(std::string_view pattern, const RegexOptions& options) {
    re_->Pattern = codepage::gbkToUtf16(pattern);
    re_->IgnoreCase = options.ignoreCase;
    re_->Multiline = options.multiline;
    re_->Global = options.global;
    re_->Singleline = options.singleline;
    *matches_ = {};
    valid_ = re_->isValid();
    return valid_;
}

int RegexObject::search(std::string_view text) {
    *matches_ = valid_ ? re_->Execute(codepage::gbkToUtf16(text)) : regexp::MatchCollection();
    return matchCount();
}

int RegexObject::matchCount() const {
    return static_cast<int>(matches_->Count());
}

namespace {
const regexp::Match* itemAt(const regexp::MatchCollection& matches, int index) {
    return index < 0 ? nullptr : matches.Item(static_cast<std::size_t>(index));
}
}  // namespace

std::string RegexObject::matchText(int match) const {
    const regexp::Match* m = itemAt(*matches_, match);
    return m ? codepage::utf16ToGbk(m->Value) : std::string();
}

int RegexObject::matchPosition(int match) const {
    const regexp::Match* m = itemAt(*matches_, match);
    return m ? static_cast<int>(m->FirstIndex) : -1;
}

int RegexObject::subMatchCount(int match) const {
    const regexp::Match* m = itemAt(*matches_, match);
    return m ? static_cast<int>(m->SubMatches().Count()) : 0;
}

std::string RegexObject::subMatchText(int match, int group) const {
    const regexp::Match* m = itemAt(*matches_, match);
    if (!m || group < 0) return {};
    if (group == 0) return codepage::utf16ToGbk(m->Value);
    return codepage::utf16ToGbk(m->SubMatches().Item(static_cast<std::size_t>(group - 1)));
}

std::string RegexObject::replace(std::string_view text, std::string_view replacement) const {
    if (!valid_) return std::string(text);
    return codepage::utf16ToGbk(re_->Replace(codepage::gbkToUtf16(text), codepage::gbkToUtf16(replacement)));
}

}  // namespace quenlo::net
