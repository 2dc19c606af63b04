#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/messages.h"

// What the list commands do to the texts of the boxes, apart from the window. Every command splits
// the boxes with the one entries rule (splitEntries), so the count shown always equals what
// generation will use.
namespace quenlo::app {

// The VCF code of the two boxes, or the message that refuses them.
struct Generation {
    std::optional<Message> refusal;
    std::string vcfCode;
};
Generation generateVcfCode(std::string_view nameText, std::string_view numberText);

// The boxes after removing repeated numbers: the first occurrence of each number stays, in order.
// When the name box has as many entries as the number box, the names at the removed positions go
// too, so that pairs stay aligned; otherwise `nameText` holds nothing and the names stay as they are.
struct WithoutRepeats {
    std::string numberText;
    std::optional<std::string> nameText;
};
WithoutRepeats removeRepeatedNumbers(std::string_view nameText, std::string_view numberText);

// `count` names of five random upper-case letters, all different, since phones merge contacts
// that share a name. The same seed gives the same names.
std::vector<std::string> randomNames(std::size_t count, std::uint64_t seed);

}  // namespace quenlo::app
