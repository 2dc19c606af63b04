#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

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
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // The size is a hint only: a file that grows or shrinks while being read is read to its end.
    std::string bytes;
    bytes.resize(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(std::max<std::size_t>(bytes.size() * 2, 65536));
        ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(used);
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
void failNextWrites(int count) {
    g_failingWrites = count;
}
}  // namespace testing

}  // namespace quenlo::file_io
