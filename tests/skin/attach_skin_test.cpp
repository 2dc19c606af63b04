#include "skin/attach_skin.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QStyle>
#include <cstdio>
#include <fstream>
#include <memory>

#include "needed_libraries.h"
#include "platform/file_io.h"
#include "skin/attach_codes.h"
#include "skin_test_support.h"

namespace fs = std::filesystem;
using quenlo::file_io::readFile;
using quenlo::skin::AttachCode;
using quenlo::skin::AttachOutcome;
using quenlo::skin::attachSkin;
using quenlo::skin::CarriedFile;
using quenlo::skin::carriedLibrary;
using quenlo::skin::carriedSkinFile;
using quenlo::skin::writtenPath;
using quenlo::skin::testing::differingPixels;
using quenlo::skin::testing::grabImage;
using quenlo::skin::testing::TempFolder;

namespace {

::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new quenlo::skin::testing::ApplicationEnvironment);

const char kSkinName[] = "\xE7\x9A\xAE\xE8\x82\xA4.she";  // 皮肤.she in UTF-8

std::string noEntryLibraryBytes() {
    auto bytes = readFile(QUENLO_NO_ENTRY_LIBRARY);
    EXPECT_TRUE(bytes.has_value()) << QUENLO_NO_ENTRY_LIBRARY;
    return bytes.value_or("");
}

// A small window with the kinds of controls the skin paints, and a picture of its plain look.
// Every failure must leave that picture exactly as it was.
class PlainLook : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.resize(240, 140);
        auto* box = new QGroupBox("Group", &window_);
        box->setGeometry(10, 10, 220, 80);
        auto* button = new QPushButton("Button", box);
        button->setGeometry(10, 30, 100, 24);
        plain_ = grabImage(window_);
        style_ = QApplication::style();
    }
    void expectPlainLook() {
        EXPECT_EQ(QApplication::style(), style_);
        EXPECT_EQ(differingPixels(plain_, grabImage(window_)), 0);
    }
    // Runs attachSkin and checks it puts exactly one line on standard error.
    quenlo::skin::AttachReport attach(const std::vector<fs::path>& folders, const CarriedFile& library,
                                      const CarriedFile& skin) {
        ::testing::internal::CaptureStderr();
        auto report = attachSkin(folders, library, skin);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, report.message + "\n");
        EXPECT_EQ(err.rfind("quenlo: skin not attached: ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        return report;
    }

    TempFolder folder_;
    QWidget window_;
    QImage plain_;
    QStyle* style_ = nullptr;
};

TEST(SkinPaths, OneSeparatorBetweenFolderAndStoredName) {
    EXPECT_EQ(carriedLibrary().storedName, "\\jedata.dll");
    EXPECT_EQ(carriedSkinFile().storedName, "\\\xC6\xA4\xB7\xF4.she");
    const struct {
        const char* folder;
        std::string library;
        std::string skin;
    } cases[] = {
        {"/opt/quenlo", "/opt/quenlo/jedata.dll", std::string("/opt/quenlo/") + kSkinName},
        {"/opt/quenlo/", "/opt/quenlo/jedata.dll", std::string("/opt/quenlo/") + kSkinName},
        {"/opt/quenlo//", "/opt/quenlo/jedata.dll", std::string("/opt/quenlo/") + kSkinName},
        {"/", "/jedata.dll", std::string("/") + kSkinName},
        {"relative/dir", "relative/dir/jedata.dll", std::string("relative/dir/") + kSkinName},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(writtenPath(c.folder, carriedLibrary().storedName).native(), c.library) << c.folder;
        EXPECT_EQ(writtenPath(c.folder, carriedSkinFile().storedName).native(), c.skin) << c.folder;
    }
    // A code page 936 character whose second byte is a backslash (0x5C) is not split.
    EXPECT_EQ(writtenPath("/f", "\\\xD5\x5C.txt").native(), "/f/\xE8\xAA\xA0.txt");
}

TEST(SkinCarrying, CarriesTheBuiltLibraryAndASkinFile) {
    const std::string_view library = carriedLibrary().bytes;
    ASSERT_GT(library.size(), 4u);
    EXPECT_EQ(library.substr(0, 4),
              "\x7F"
              "ELF");
    EXPECT_EQ(carriedSkinFile().bytes.substr(0, 4), ".SHE");
}

// The program links the carrying code; the library itself must not be among what it needs.
TEST(SkinCarrying, ExecutableDoesNotNeedTheLibrary) {
    const std::string dynamic = dynamicSection("/proc/self/exe");
    EXPECT_NE(dynamic.find("(NEEDED)"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("jedata"), std::string::npos) << dynamic;
}

TEST_F(PlainLook, RejectedSkinFileKeepsThePlainLook) {
    const struct {
        const char* what;
        std::string bytes;
        AttachCode code;
    } cases[] = {
        {"no magic", "PNG and not a skin", AttachCode::notSkinFile},
        {"empty", "", AttachCode::notSkinFile},
        {"later version", ".SHE" + std::string("\x09\x00\x00\x00", 4), AttachCode::unsupportedVersion},
        {"cut short", std::string(carriedSkinFile().bytes.substr(0, 40)), AttachCode::damaged},
    };
    for (const auto& c : cases) {
        const CarriedFile skin{carriedSkinFile().storedName, c.bytes};
        const auto report = attach({folder_.path()}, carriedLibrary(), skin);
        EXPECT_EQ(report.outcome, AttachOutcome::rejected) << c.what;
        EXPECT_EQ(report.code, static_cast<int>(c.code)) << c.what;
        EXPECT_EQ(report.folder, folder_.path());
        // Both files are on disk, whole, before the library is called.
        EXPECT_EQ(readFile(folder_.path() / "jedata.dll"), std::string(carriedLibrary().bytes)) << c.what;
        EXPECT_EQ(readFile(folder_.path() / kSkinName), c.bytes) << c.what;
        expectPlainLook();
    }
}

TEST_F(PlainLook, StaleFilesAreReplacedEveryTime) {
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(folder_.path() / "jedata.dll", noEntryLibraryBytes()));
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(folder_.path() / kSkinName, "old skin"));
    const CarriedFile skin{carriedSkinFile().storedName, "no skin"};
    const auto report = attach({folder_.path()}, carriedLibrary(), skin);
    // Had the stale library been loaded, its missing entry point would have been the answer.
    EXPECT_EQ(report.outcome, AttachOutcome::rejected);
    EXPECT_EQ(readFile(folder_.path() / "jedata.dll"), std::string(carriedLibrary().bytes));
    EXPECT_EQ(readFile(folder_.path() / kSkinName), "no skin");
    expectPlainLook();
}

TEST_F(PlainLook, LibraryWithoutEntryPointKeepsThePlainLook) {
    const std::string bytes = noEntryLibraryBytes();
    const auto report = attach({folder_.path()}, CarriedFile{"\\jedata.dll", bytes}, carriedSkinFile());
    EXPECT_EQ(report.outcome, AttachOutcome::noEntryPoint);
    EXPECT_NE(report.message.find("SkinH_AttachEx"), std::string::npos) << report.message;
    EXPECT_EQ(readFile(folder_.path() / "jedata.dll"), bytes);
    expectPlainLook();
}

TEST_F(PlainLook, FileThatIsNoLibraryKeepsThePlainLook) {
    const auto report =
        attach({folder_.path()}, CarriedFile{"\\jedata.dll", "MZ not a library"}, carriedSkinFile());
    EXPECT_EQ(report.outcome, AttachOutcome::notLoaded);
    expectPlainLook();
}

TEST_F(PlainLook, FolderThatCannotBeWrittenKeepsThePlainLook) {
    // Root writes into read-only folders, so the folder lies beneath a regular file instead.
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(folder_.path() / "file", "x"));
    const fs::path unwritable = folder_.path() / "file" / "folder";
    const auto report = attach({unwritable}, carriedLibrary(), carriedSkinFile());
    EXPECT_EQ(report.outcome, AttachOutcome::notWritten);
    EXPECT_TRUE(report.folder.empty());
    expectPlainLook();
}

TEST_F(PlainLook, FallsBackToTheNextFolder) {
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(folder_.path() / "file", "x"));
    const fs::path unwritable = folder_.path() / "file" / "folder";
    const fs::path fallback = folder_.path() / "private" / "quenlo";  // made on the way
    const CarriedFile skin{carriedSkinFile().storedName, "no skin"};
    const auto report = attach({unwritable, fallback}, carriedLibrary(), skin);
    EXPECT_EQ(report.outcome, AttachOutcome::rejected);
    EXPECT_EQ(report.folder, fallback);
    EXPECT_EQ(readFile(fallback / "jedata.dll"), std::string(carriedLibrary().bytes));
    expectPlainLook();
}

TEST_F(PlainLook, LibraryThatCannotBeReplacedIsNeverLoaded) {
    const fs::path first = folder_.path() / "first";
    const fs::path second = folder_.path() / "second";
    fs::create_directories(first);
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(first / "jedata.dll", noEntryLibraryBytes()));
    quenlo::file_io::testing::failNextWrites(1);  // the first folder refuses the new library
    const auto report = attach({first, second}, carriedLibrary(), carriedSkinFile());
    EXPECT_EQ(report.outcome, AttachOutcome::shadowed);
    EXPECT_EQ(report.folder, second);
    EXPECT_NE(report.message.find((first / "jedata.dll").string()), std::string::npos) << report.message;
    expectPlainLook();
}

TEST_F(PlainLook, OurOwnLibraryInAnEarlierFolderIsLoaded) {
    const fs::path first = folder_.path() / "first";
    const fs::path second = folder_.path() / "second";
    fs::create_directories(first);
    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(first / "jedata.dll", carriedLibrary().bytes));
    quenlo::file_io::testing::failNextWrites(1);  // the first folder refuses the new files
    // A skin file the library refuses, so the test's look stays plain: reaching the library's
    // verdict shows that the earlier copy was loaded, not refused as a stranger.
    const CarriedFile skin{carriedSkinFile().storedName, "no skin"};
    const auto report = attach({first, second}, carriedLibrary(), skin);
    EXPECT_EQ(report.outcome, AttachOutcome::rejected);
    EXPECT_EQ(report.folder, second);
    expectPlainLook();
}

}  // namespace
