#pragma once

#include <cstddef>

// Hints about memory that the standard library cannot give.
namespace quenlo::memory {

// Asks for huge pages behind a large buffer that has been reserved but not yet written. Writing a
// bulk list's 150 MB of records into 4 KB pages costs some forty thousand page faults, more time
// than the writing itself; with 2 MB pages it costs a hundred. Only the part of the buffer that
// covers whole huge pages is advised, so nothing outside it is touched. A hint only: it may be
// ignored, and it changes no content.
void preferHugePages(void* data, std::size_t size);

}  // namespace quenlo::memory
