#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The one rule for what counts as an entry of a list box or list file, shared by the count, the
// generation of records, the removal of repeats and the random names, so that the count always
// equals what generation will use.
namespace quenlo {

// Splits at CR LF or LF (a lone CR too), trims surrounding spaces and tabs, drops blank lines.
std::vector<std::string> splitEntries(std::string_view text);

// The number of entries splitEntries would return, without building them.
std::size_t countEntries(std::string_view text);

// Joins entries with CR LF between them (no final line end), as a box shows them.
std::string joinEntries(const std::vector<std::string>& entries);

// The form under which two numbers count as the same: spaces, hyphens and parentheses dropped,
// and a leading "+86" or "0086" removed.
std::string numberKey(std::string_view number);

// Positions of the entries to keep: the first occurrence of each number, in order.
std::vector<std::size_t> firstOccurrences(const std::vector<std::string>& numbers);

}  // namespace quenlo
