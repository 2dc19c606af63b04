#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Loads a shared library at run time and finds its entry points by name, so the program has no
// load-time dependency on it: it starts whether or not the library file exists yet.
namespace quenlo::dynamic_library {

// The folder that holds the running executable.
std::filesystem::path executableFolder();

// A folder private to the user, for files the program writes when its own folder is read-only:
// $XDG_DATA_HOME/quenlo, else ~/.local/share/quenlo. Empty when neither variable is set.
std::filesystem::path privateFolder();

// Where a library named without a path is looked for, in this order: the executable's folder
// first, as on the platform the program came from, then the private folder.
std::vector<std::filesystem::path> searchFolders();

// The first folder of `folders` that holds a file named `fileName`; empty when none does.
std::filesystem::path findInFolders(const std::string& fileName,
                                    const std::vector<std::filesystem::path>& folders);

class Library {
  public:
    // A bare file name is looked for in `folders` only, never in the system's library path, so a
    // file of that name elsewhere on the machine is never picked up. A name holding a separator is
    // loaded from exactly that path.
    static Library load(const std::string& name,
                        const std::vector<std::filesystem::path>& folders = searchFolders());

    Library(Library&& other) noexcept;
    Library& operator=(Library&& other) noexcept;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library();

    bool isLoaded() const { return handle_ != nullptr; }
    // The file that was loaded, or the one that was tried.
    const std::filesystem::path& path() const { return path_; }
    // Why loading or the last lookup failed, in the loader's words.
    const std::string& error() const { return error_; }

    // The address of the entry point `name`, or nullptr when the library lacks it.
    void* symbol(const char* name);
    template <typename Function>
    Function* function(const char* name) {
        return reinterpret_cast<Function*>(symbol(name));
    }

    // Leaves the library loaded until the process ends. Needed once its code is in use beyond the
    // call, such as objects it handed to the application; unloading would pull that code away.
    void keepLoaded();

  private:
    Library() = default;
    void* handle_ = nullptr;
    bool kept_ = false;
    std::filesystem::path path_;
    std::string error_;
};

}  // namespace quenlo::dynamic_library
