// Runs a fuzz target over saved inputs (files, or every file in the folders given), so that the
// corpus and any crashing input found become ordinary regression runs without libFuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay(const std::filesystem::path& file) {
    const auto bytes = quenlo::file_io::readFile(file);
    if (!bytes) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t count = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (!entry.is_regular_file()) continue;
                ok = replay(entry.path()) && ok;
                ++count;
            }
        } else {
            ok = replay(path) && ok;
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return ok && count > 0 ? 0 : 1;
}
