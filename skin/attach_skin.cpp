#include "skin/attach_skin.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <system_error>

#include "platform/codepage.h"
#include "platform/dynamic_library.h"
#include "platform/file_io.h"
#include "skin/attach_codes.h"
#include "skin/carried_images.h"

namespace quenlo::skin {
namespace fs = std::filesystem;
namespace {

// Our skin files carry no password; the entry point takes one only for the shape of the call.
constexpr char kPassword[] = "";

std::string describeCode(int code) {
    static const struct {
        AttachCode code;
        const char* text;
    } texts[] = {
        {AttachCode::noApplication, "no window application is running"},
        {AttachCode::unreadableFile, "the skin file cannot be read"},
        {AttachCode::notSkinFile, "the skin file is not a skin file"},
        {AttachCode::unsupportedVersion, "the skin file is of an unknown version"},
        {AttachCode::damaged, "the skin file is damaged"},
        {AttachCode::incomplete, "the skin file lacks fields"},
        {AttachCode::failed, "the skin library failed"},
    };
    for (const auto& t : texts)
        if (static_cast<int>(t.code) == code) return t.text;
    return "the skin library answered " + std::to_string(code);
}

AttachReport failure(AttachOutcome outcome, std::string message, fs::path folder = {}, int code = 0) {
    return {outcome, std::move(folder), code, "quenlo: skin not attached: " + std::move(message)};
}

bool samePath(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

}  // namespace

const CarriedFile& carriedLibrary() {
    static const CarriedFile file{"\\jedata.dll", images::library};
    return file;
}

const CarriedFile& carriedSkinFile() {
    static const CarriedFile file{"\\\xC6\xA4\xB7\xF4.she", images::skinFile};
    return file;
}

fs::path writtenPath(const fs::path& folder, std::string_view storedName) {
    std::string base = folder.native();
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    // Into UTF-8 before the backslash is swapped: in code page 936 a backslash byte can also be
    // the second half of a Chinese character, in UTF-8 never.
    std::string name = codepage::gbkToUtf8(storedName);
    std::replace(name.begin(), name.end(), '\\', '/');
    return fs::path(base + name);
}

namespace {

AttachReport attachSkinQuietly(const std::vector<fs::path>& folders, const CarriedFile& library,
                               const CarriedFile& skinFile) {
    fs::path folder, libraryPath, skinPath;
    for (const fs::path& candidate : folders) {
        std::error_code ec;
        fs::create_directories(candidate, ec);
        fs::path lib = writtenPath(candidate, library.storedName);
        fs::path skin = writtenPath(candidate, skinFile.storedName);
        // Written every time, never kept: an old or planted file of the same name is replaced
        // before anything loads it.
        if (file_io::writeFileAtomically(lib, library.bytes) &&
            file_io::writeFileAtomically(skin, skinFile.bytes)) {
            folder = candidate;
            libraryPath = std::move(lib);
            skinPath = std::move(skin);
            break;
        }
    }
    if (folder.empty()) return failure(AttachOutcome::notWritten, "no folder can take the skin files");

    // The library is loaded by its bare name, so an earlier folder of the search may hold another
    // file of that name that cannot be replaced; that file is never loaded in place of ours, unless
    // it is ours byte for byte (left there by an earlier run that could still write the folder).
    const std::string bareName = libraryPath.filename().string();
    const fs::path found = dynamic_library::findInFolders(bareName, folders);
    if (!samePath(found, libraryPath) &&
        file_io::readFile(found) != std::optional<std::string>(library.bytes))
        return failure(AttachOutcome::shadowed, found.string() + " stands before the library just written",
                       folder);

    dynamic_library::Library loaded = dynamic_library::Library::load(bareName, folders);
    if (!loaded.isLoaded()) return failure(AttachOutcome::notLoaded, loaded.error(), folder);
    using AttachFunction = int(const char* skinPath, const char* password);
    AttachFunction* attach = loaded.function<AttachFunction>("SkinH_AttachEx");
    if (!attach)
        return failure(AttachOutcome::noEntryPoint, bareName + " has no entry point SkinH_AttachEx", folder);

    const int code = attach(skinPath.c_str(), kPassword);
    if (code != 0) return failure(AttachOutcome::rejected, describeCode(code), folder, code);
    // The application now holds a style made by the library's code.
    loaded.keepLoaded();
    return {AttachOutcome::attached, folder, 0, {}};
}

}  // namespace

AttachReport attachSkin(const std::vector<fs::path>& folders, const CarriedFile& library,
                        const CarriedFile& skinFile) {
    AttachReport report = attachSkinQuietly(folders, library, skinFile);
    if (!report.message.empty()) std::cerr << report.message << std::endl;
    return report;
}

void attachSkin() {
    attachSkin(dynamic_library::searchFolders(), carriedLibrary(), carriedSkinFile());
}

}  // namespace quenlo::skin
