#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and writes. Paths are native paths; contents are bytes, written as they are.
namespace quenlo::file_io {

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> readFile(const std::filesystem::path& path);

// Writes `bytes` whole or not at all: into a temporary file in the same folder, flushed to disk,
// then renamed over `path`. On failure the previous file at `path`, if any, is left as it was and
// no temporary file remains. An existing file keeps its permission bits; a link is followed and
// the file it points to is replaced; a file that may not be written is refused.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// A folder of the user's own inside the temporary folder ($TMPDIR, else /tmp), made on first use
// with access for the user alone. The shared temporary folder lets anyone plant a file under a
// fixed name; this one does not. Nothing when it cannot be made or is not the user's own.
std::optional<std::filesystem::path> privateTemporaryFolder();

namespace testing {
// Makes the next `count` calls of writeFileAtomically fail as a full disk would, so tests can see
// what the user is told.
void failNextWrites(int count);
}  // namespace testing

}  // namespace quenlo::file_io
