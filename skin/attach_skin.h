#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Dresses the process's windows in the carried skin: writes the skin library and the skin file
// to disk, loads the library by its bare file name and calls its entry point SkinH_AttachEx.
namespace quenlo::skin {

// A file the program carries, with the name it is written under: code page 936 text that begins
// with a backslash.
struct CarriedFile {
    std::string_view storedName;
    std::string_view bytes;
};
const CarriedFile& carriedLibrary();   // "\jedata.dll"
const CarriedFile& carriedSkinFile();  // "\皮肤.she"

// Writes both files into the executable's folder, or into the user's private folder when that one
// cannot be written, then attaches the skin. Every failure leaves the plain look and puts one line
// on standard error; nothing is shown to the user.
void attachSkin();

enum class AttachOutcome {
    attached,
    notWritten,    // no folder could take both files
    shadowed,      // another file of the library's name would be loaded in place of ours
    notLoaded,     // the library file does not load
    noEntryPoint,  // the library lacks SkinH_AttachEx
    rejected,      // SkinH_AttachEx returned a failure code
};

struct AttachReport {
    AttachOutcome outcome = AttachOutcome::notWritten;
    std::filesystem::path folder;  // where both files were written
    int code = 0;                  // what SkinH_AttachEx returned
    std::string message;           // the line put on standard error; empty when attached
};

// The steps of attachSkin with the folders and files given: the files go into the first folder of
// `folders` that takes both, and the library is then looked for in `folders` in order.
AttachReport attachSkin(const std::vector<std::filesystem::path>& folders, const CarriedFile& library,
                        const CarriedFile& skinFile);

// The path a stored name is written to: the folder, without a trailing separator, followed
// directly by the stored name, whose backslash becomes the native separator.
std::filesystem::path writtenPath(const std::filesystem::path& folder, std::string_view storedName);

}  // namespace quenlo::skin
