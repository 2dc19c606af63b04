// libFuzzer target for the CSV reader: no crash, no sanitizer report, and whatever it reads can be
// written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/csv.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto contacts = quenlo::parseCsvFile(text).contacts;
    const std::string csv = quenlo::formatCsvFile(contacts);
    // Code page 936 text that happens to be valid UTF-8 is read as UTF-8: an accepted risk.
    if (!quenlo::codepage::isAscii(csv) && quenlo::codepage::isValidUtf8(csv)) return 0;
    if (quenlo::parseCsvFile(csv).contacts != contacts) std::abort();
    return 0;
}
