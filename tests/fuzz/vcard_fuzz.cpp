// libFuzzer target for the vCard reader: no crash, no sanitizer report, and whatever it reads can be
// written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/vcard.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto contacts = quenlo::parseVcfCode(text).contacts;
    for (auto& c : contacts) {
        // Numbers are written as they stand; only ASCII ones are certain to be read back as such,
        // and the writer turns line breaks into spaces.
        if (!quenlo::codepage::isAscii(c.number)) c.number = "0";
        for (char& ch : c.number)
            if (ch == '\r' || ch == '\n') ch = ' ';
    }
    if (quenlo::parseVcfCode(quenlo::formatVcfCode(contacts)).contacts != contacts) std::abort();
    return 0;
}
