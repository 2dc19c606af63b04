#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quenlo::regexp {
class RegExp;
class MatchCollection;
}  // namespace quenlo::regexp

namespace quenlo::net {

struct RegexOptions {
    bool ignoreCase = false;
    bool multiline = false;   // ^ and $ also match at line ends
    bool global = false;      // every match instead of the first one only
    bool singleline = false;  // the dot also matches a line feed
};

// Matches GBK texts against a regular expression and hands out the matches of the last search.
// Match indices count from 0, capture groups from 1 (0 is the whole match), and positions count
// characters, so a Chinese character is one. A match or group that does not exist gives an empty
// text; after a failed create() every search finds nothing.
class RegexObject {
  public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // False when the pattern is not valid.
    bool create(std::string_view pattern, const RegexOptions& options = {});

    // Runs the pattern over `text`, keeps the matches and returns how many there are.
    int search(std::string_view text);

    int matchCount() const;
    std::string matchText(int match) const;
    // Characters before the match in the searched text; -1 when there is no such match.
    int matchPosition(int match) const;
    int subMatchCount(int match) const;
    std::string subMatchText(int match, int group) const;

    // `text` with the matches replaced; see regexp::RegExp::Replace for the $ forms of `replacement`.
    std::string replace(std::string_view text, std::string_view replacement) const;

  private:
    std::unique_ptr<regexp::RegExp> re_;
    std::unique_ptr<regexp::MatchCollection> matches_;
    bool valid_ = false;
};

}  // namespace quenlo::net
