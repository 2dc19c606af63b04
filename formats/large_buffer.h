#pragma once

#include <cstddef>

#include "platform/memory.h"

namespace quenlo {

// Reserves room for a whole list's worth of text or contacts, backed by huge pages where the system
// offers them: a million contacts fill some 150 MB.
template <typename Container>
void reserveLarge(Container& container, std::size_t count) {
    container.reserve(count);
    memory::preferHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

}  // namespace quenlo
