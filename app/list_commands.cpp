#include "app/list_commands.h"

#include <random>
#include <unordered_set>

#include "formats/contact.h"
#include "formats/entries.h"
#include "formats/vcard.h"

namespace quenlo::app {
namespace {

constexpr int kRandomNameLength = 5;
constexpr std::uint32_t kLetters = 26;
constexpr std::uint32_t kDistinctNames = kLetters * kLetters * kLetters * kLetters * kLetters;

std::string nameNumbered(std::uint32_t index) {
    std::string name(kRandomNameLength, 'A');
    for (int i = kRandomNameLength - 1; i >= 0; --i) {
        name[static_cast<std::size_t>(i)] = static_cast<char>('A' + index % kLetters);
        index /= kLetters;
    }
    return name;
}

}  // namespace

Generation generateVcfCode(std::string_view nameText, std::string_view numberText) {
    const ContactList list = contactListFromTexts(nameText, numberText);
    if (list.names.empty() || list.numbers.empty()) return {Message::EnterNamesAndNumbers, {}};
    if (list.names.size() != list.numbers.size()) return {Message::CountsMustMatch, {}};
    return {std::nullopt, formatVcfCode(pairContacts(list))};
}

WithoutRepeats removeRepeatedNumbers(std::string_view nameText, std::string_view numberText) {
    const std::vector<std::string> numbers = splitEntries(numberText);
    const std::vector<std::size_t> keep = firstOccurrences(numbers);

    std::vector<std::string> keptNumbers;
    keptNumbers.reserve(keep.size());
    for (std::size_t i : keep)
        keptNumbers.push_back(numbers[i]);

    WithoutRepeats result{joinEntries(keptNumbers), std::nullopt};
    const std::vector<std::string> names = splitEntries(nameText);
    if (names.size() == numbers.size()) {
        std::vector<std::string> keptNames;
        keptNames.reserve(keep.size());
        for (std::size_t i : keep)
            keptNames.push_back(names[i]);
        result.nameText = joinEntries(keptNames);
    }
    return result;
}

std::vector<std::string> randomNames(std::size_t count, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<std::uint32_t> pick(0, kDistinctNames - 1);
    std::unordered_set<std::uint32_t> used;
    used.reserve(count < kDistinctNames ? count : kDistinctNames);
    std::vector<std::string> names;
    names.reserve(count);
    while (names.size() < count) {
        // Past 26^5 names no new one is left; repeats are then unavoidable, so start afresh.
        if (used.size() == kDistinctNames) used.clear();
        const std::uint32_t index = pick(random);
        if (used.insert(index).second) names.push_back(nameNumbered(index));
    }
    return names;
}

}  // namespace quenlo::app
