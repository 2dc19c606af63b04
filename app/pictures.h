#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

#include "platform/ui/image.h"

namespace quenlo::app {

// Decodes a carried picture (PNG) or icon (ICO). A damaged one is reported on `errors`, naming it,
// and gives a null image: the window then goes without that picture rather than failing to start.
ui::Image decodePicture(std::string_view name, std::span<const std::uint8_t> bytes, std::ostream& errors);

}  // namespace quenlo::app
