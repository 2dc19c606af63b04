#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>

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

// The process's umask, read without changing it: umask() itself can only be read by setting it,
// which would race with other threads creating files.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
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
        if (used == bytes.size()) {
            // Read as much as the size said: look for more with a small probe, so a file that does
            // not grow is never held twice.
            char probe[4096];
            ssize_t n = ::read(fd, probe, sizeof probe);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ::close(fd);
                return std::nullopt;
            }
            if (n == 0) break;
            bytes.resize(std::max<std::size_t>(bytes.size() * 2, 65536));
            std::copy(probe, probe + n, bytes.data() + used);
            used += static_cast<std::size_t>(n);
            continue;
        }
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

bool writeFileAtomically(const std::filesystem::path& requested, std::string_view bytes) {
    if (g_failingWrites.load() > 0) {
        --g_failingWrites;
        return false;
    }
    // A link is followed, so the file it points to gets the new content and the link stays.
    std::error_code ec;
    std::filesystem::path path = requested;
    if (std::filesystem::is_symlink(requested, ec)) {
        path = std::filesystem::weakly_canonical(requested, ec);
        if (ec) return false;
    }
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    // Replacing by rename needs only the folder to be writable; a file its owner made read-only
    // stays as it is, as an ordinary write would.
    if (exists && ::access(path.c_str(), W_OK) != 0) return false;

    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    // A short name of its own, so that a file name near the system's limit still saves.
    std::string tmpl = (folder / ".quenlo-XXXXXX").string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;

    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmpl.c_str(), path.c_str()) == 0) return true;
    ::unlink(tmpl.c_str());
    return false;
}

std::optional<std::filesystem::path> privateTemporaryFolder() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) return std::nullopt;
    const std::filesystem::path folder = base / ("quenlo-" + std::to_string(::geteuid()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & 0077) != 0)
        return std::nullopt;
    return folder;
}

namespace testing {
void failNextWrites(int count) {
    g_failingWrites = count;
}
}  // namespace testing

}  // namespace quenlo::file_io
