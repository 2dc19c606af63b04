#include "formats/entries.h"

#include <algorithm>
#include <bit>
#include <functional>

#include "platform/ascii.h"

namespace quenlo {
namespace {

using ascii::isBlank;
using ascii::trimBlanks;

// Calls `each` with every trimmed, non-blank line of `text`.
template <typename F>
void forEachEntry(std::string_view text, F&& each) {
    std::size_t start = 0;
    while (start <= text.size()) {
        // A plain loop: find_first_of calls memchr once per byte, which a long list feels.
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        std::string_view line = trimBlanks(text.substr(start, end - start));
        if (!line.empty()) each(line);
        if (end == text.size()) break;
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

}  // namespace

std::vector<std::string> splitEntries(std::string_view text) {
    std::vector<std::string> entries;
    forEachEntry(text, [&](std::string_view e) { entries.emplace_back(e); });
    return entries;
}

std::size_t countEntries(std::string_view text) {
    std::size_t n = 0;
    forEachEntry(text, [&](std::string_view) { ++n; });
    return n;
}

std::string joinEntries(const std::vector<std::string>& entries) {
    std::string out;
    std::size_t size = 0;
    for (const auto& e : entries)
        size += e.size() + 2;
    out.reserve(size);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += entries[i];
    }
    return out;
}

std::string numberKey(std::string_view number) {
    std::string key;
    key.reserve(number.size());
    for (char c : number)
        if (c != ' ' && c != '\t' && c != '-' && c != '(' && c != ')') key += c;
    if (key.starts_with("+86"))
        key.erase(0, 3);
    else if (key.starts_with("0086"))
        key.erase(0, 4);
    return key;
}

std::vector<std::size_t> firstOccurrences(const std::vector<std::string>& numbers) {
    std::vector<std::string> keys;
    keys.reserve(numbers.size());
    for (const auto& n : numbers)
        keys.push_back(numberKey(n));
    // An open-addressing table of positions: a node-based set spends most of its time allocating and
    // chasing pointers once a list reaches a million numbers.
    const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(keys.size() * 2, 16));
    std::vector<std::size_t> slots(capacity, 0);  // position + 1; 0 is an empty slot
    std::vector<std::size_t> keep;
    keep.reserve(keys.size());
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::size_t slot = hash(keys[i]) & (capacity - 1);
        while (slots[slot] != 0 && keys[slots[slot] - 1] != keys[i])
            slot = (slot + 1) & (capacity - 1);
        if (slots[slot] != 0) continue;  // seen before
        slots[slot] = i + 1;
        keep.push_back(i);
    }
    return keep;
}

}  // namespace quenlo
