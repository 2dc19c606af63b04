#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/file_io.h"
#include "skin/attach_skin.h"
#include "skin_test_support.h"

namespace fs = std::filesystem;
using quenlo::dynamic_library::executableFolder;
using quenlo::dynamic_library::Library;
using quenlo::dynamic_library::privateFolder;
using quenlo::dynamic_library::searchFolders;
using quenlo::skin::testing::TempFolder;

namespace {

// Sets an environment variable for one scope, or removes it when given nothing.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(LibraryFolders, ExecutableFolderComesFirst) {
    EXPECT_TRUE(fs::is_regular_file(executableFolder() / program_invocation_short_name))
        << executableFolder();
    const auto folders = searchFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), executableFolder());
}

TEST(LibraryFolders, PrivateFolderFollowsTheUsersDataFolder) {
    const struct {
        std::optional<std::string> dataHome, home;
        std::string expected;
    } cases[] = {
        {"/data/u", "/home/u", "/data/u/quenlo"},
        {std::nullopt, "/home/u", "/home/u/.local/share/quenlo"},
        {"", "/home/u", "/home/u/.local/share/quenlo"},
        {"relative/data", "/home/u", "/home/u/.local/share/quenlo"},
        {std::nullopt, std::nullopt, ""},
        {std::nullopt, "relative", ""},
    };
    for (const auto& c : cases) {
        ScopedEnv data("XDG_DATA_HOME", c.dataHome);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(privateFolder().native(), c.expected) << c.dataHome.value_or("(unset)");
        const auto folders = searchFolders();
        EXPECT_EQ(folders.size(), c.expected.empty() ? 1u : 2u);
        if (!c.expected.empty()) {
            EXPECT_EQ(folders.back().native(), c.expected);
        }
    }
}

class LoadByName : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"with", "without"})
            fs::create_directories(folder_.path() / name);
        ASSERT_TRUE(
            quenlo::file_io::writeFileAtomically(with_ / "lib.so", quenlo::skin::carriedLibrary().bytes));
        const auto noEntry = quenlo::file_io::readFile(QUENLO_NO_ENTRY_LIBRARY);
        ASSERT_TRUE(noEntry.has_value());
        ASSERT_TRUE(quenlo::file_io::writeFileAtomically(without_ / "lib.so", *noEntry));
    }
    TempFolder folder_;
    fs::path with_ = folder_.path() / "with";
    fs::path without_ = folder_.path() / "without";
};

TEST_F(LoadByName, TheFirstFolderHoldingTheNameWins) {
    Library first = Library::load("lib.so", {folder_.path() / "missing", with_, without_});
    ASSERT_TRUE(first.isLoaded()) << first.error();
    EXPECT_EQ(first.path(), with_ / "lib.so");
    EXPECT_NE(first.symbol("SkinH_AttachEx"), nullptr);

    Library other = Library::load("lib.so", {without_, with_});
    ASSERT_TRUE(other.isLoaded()) << other.error();
    EXPECT_EQ(other.path(), without_ / "lib.so");
    EXPECT_EQ(other.symbol("SkinH_AttachEx"), nullptr);
    EXPECT_NE(other.error().find("SkinH_AttachEx"), std::string::npos) << other.error();
    EXPECT_NE(other.function<int(const char*)>("SkinH_Attach"), nullptr);
}

TEST_F(LoadByName, NeverLooksOutsideTheFolders) {
    // The C library is on every system path; by bare name it is still not found here.
    Library libc = Library::load("libc.so.6", {with_});
    EXPECT_FALSE(libc.isLoaded());
    EXPECT_NE(libc.error().find("libc.so.6"), std::string::npos) << libc.error();
    EXPECT_EQ(libc.symbol("printf"), nullptr);
}

TEST_F(LoadByName, PathWithSeparatorIsLoadedAsItIs) {
    Library direct = Library::load((without_ / "lib.so").string(), {with_});
    ASSERT_TRUE(direct.isLoaded()) << direct.error();
    EXPECT_EQ(direct.symbol("SkinH_AttachEx"), nullptr);

    ASSERT_TRUE(quenlo::file_io::writeFileAtomically(with_ / "broken.so", "not a library"));
    Library broken = Library::load("broken.so", {with_});
    EXPECT_FALSE(broken.isLoaded());
    EXPECT_FALSE(broken.error().empty());
}

}  // namespace
