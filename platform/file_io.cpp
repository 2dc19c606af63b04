#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace quenlo::file_io {
namespace {

std::atomic<int> g_failingWrites{0};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t modeForNewFile() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (g_failingWrites.load() > 0) {
        --g_failingWrites;
        return false;
    }
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string tmpl = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;

    struct stat existing {};
    mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : modeForNewFile();
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmpl.c_str(), path.c_str()) == 0) return true;
    ::unlink(tmpl.c_str());
    return false;
}

namespace testing {
void failNextWrites(int count) { g_failingWrites = count; }
}  // namespace testing

}  // namespace quenlo::file_io
