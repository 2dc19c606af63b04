#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Regular expressions with the members and matching rules of the scripting engine's RegExp object,
// on UTF-16 text so that positions count characters (a Chinese character is one, as there).
//
// The pattern language: lazy quantifiers, \w for ASCII word characters only, groups numbered by
// their opening parentheses, a dot that matches anything but a line feed, ^ and $ at line ends only
// under Multiline, \uXXXX escapes. A search that backtracks too much at one place stops there and
// finds nothing more; the limit counts per starting place, so callers bound the text they search.
namespace quenlo::regexp {

// The texts of a match's capture groups; a group that took part in no match has an empty text.
class SubMatchCollection {
  public:
    std::size_t Count() const { return items_.size(); }
    // Item(n - 1) is group n. Outside the range: an empty text.
    std::u16string Item(std::size_t index) const;

  private:
    friend class RegExp;
    std::vector<std::u16string> items_;
};

class Match {
  public:
    std::u16string Value;
    std::size_t FirstIndex = 0;  // UTF-16 code units from the start of the searched text
    std::size_t Length() const { return Value.size(); }
    const SubMatchCollection& SubMatches() const { return subMatches_; }

  private:
    friend class RegExp;
    SubMatchCollection subMatches_;
};

class MatchCollection {
  public:
    std::size_t Count() const { return items_.size(); }
    // Outside the range: nullptr.
    const Match* Item(std::size_t index) const { return index < items_.size() ? &items_[index] : nullptr; }
    // True when a search stopped at the match limit; the matches found before it are kept.
    bool stoppedAtLimit() const { return stoppedAtLimit_; }

  private:
    friend class RegExp;
    std::vector<Match> items_;
    bool stoppedAtLimit_ = false;
};

class RegExp {
  public:
    RegExp();
    ~RegExp();
    RegExp(const RegExp&) = delete;
    RegExp& operator=(const RegExp&) = delete;

    std::u16string Pattern;
    bool IgnoreCase = false;
    bool Multiline = false;
    bool Global = false;
    // Not a member of the scripting engine's object: the dot also matches a line feed.
    bool Singleline = false;

    // True when the pattern, with the current options, compiles.
    bool isValid() const;

    // All matches (Global) or the first one. An invalid pattern finds nothing.
    MatchCollection Execute(std::u16string_view text) const;

    // The text with every match (Global) or the first one replaced. In `replacement`, $1..$99 stand
    // for a group's text, $& for the match, $` for the text before it, $' for the text after it and
    // $$ for one dollar sign; anything else stays as written. An invalid pattern leaves the text as
    // it is.
    std::u16string Replace(std::u16string_view text, std::u16string_view replacement) const;

    // How many matching steps one search may take before it gives up (tests lower it).
    static constexpr std::uint32_t kDefaultMatchLimit = 5'000'000;
    std::uint32_t matchLimit = kDefaultMatchLimit;

  private:
    struct Compiled;
    const Compiled* compiled() const;
    mutable std::unique_ptr<Compiled> compiled_;
};

}  // namespace quenlo::regexp
