#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <system_error>
#include <utility>

namespace quenlo::dynamic_library {
namespace fs = std::filesystem;

fs::path executableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

fs::path privateFolder() {
    // Relative values are to be ignored by the XDG rules; they would point into whatever the
    // current folder happens to be.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && fs::path(data).is_absolute())
        return fs::path(data) / "quenlo";
    if (const char* home = std::getenv("HOME"); home && fs::path(home).is_absolute())
        return fs::path(home) / ".local" / "share" / "quenlo";
    return {};
}

std::vector<fs::path> searchFolders() {
    std::vector<fs::path> folders;
    for (fs::path folder : {executableFolder(), privateFolder()})
        if (!folder.empty()) folders.push_back(std::move(folder));
    return folders;
}

fs::path findInFolders(const std::string& fileName, const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        std::error_code ec;
        fs::path candidate = folder / fileName;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

Library Library::load(const std::string& name, const std::vector<fs::path>& folders) {
    Library library;
    if (name.find('/') != std::string::npos) {
        library.path_ = name;
    } else {
        library.path_ = findInFolders(name, folders);
        if (library.path_.empty()) {
            library.error_ = name + ": no such file in the library folders";
            return library;
        }
    }
    // dlopen searches the system's folders for a name without a slash; the path handed over always
    // has one, so only the file found above can be loaded.
    std::string file = library.path_.is_absolute() ? library.path_.string() : "./" + library.path_.string();
    dlerror();
    library.handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library.handle_) {
        const char* why = dlerror();
        library.error_ = why ? why : "cannot be loaded";
    }
    return library;
}

Library::Library(Library&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      kept_(other.kept_),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

Library& Library::operator=(Library&& other) noexcept {
    if (this != &other) {
        if (handle_ && !kept_) dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        kept_ = other.kept_;
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

Library::~Library() {
    if (handle_ && !kept_) dlclose(handle_);
}

void* Library::symbol(const char* name) {
    if (!handle_) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name);
    if (!address) {
        const char* why = dlerror();
        error_ = why ? why : std::string(name) + ": no such entry point";
    }
    return address;
}

void Library::keepLoaded() {
    kept_ = true;
}

}  // namespace quenlo::dynamic_library
