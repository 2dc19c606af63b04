#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;
using quenlo::file_io::readFile;
using quenlo::file_io::writeFileAtomically;

namespace {

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quenlo_file_io_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::size_t entries() const {
        return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
    }
    fs::path dir_;
};

TEST_F(FileIo, WritesExactBytesAndReplacesOldContent) {
    const fs::path file = dir_ / "\xE9\x80\x9A\xE8\xAE\xAF.vcf";
    ASSERT_TRUE(writeFileAtomically(file, std::string("old content that is longer")));
    const std::string bytes("A\r\n\0\xD6\xD0", 6);
    ASSERT_TRUE(writeFileAtomically(file, bytes));
    EXPECT_EQ(readFile(file).value(), bytes);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileIo, FailedWriteLeavesOldFileAndNoTemporary) {
    const fs::path file = dir_ / "keep.vcf";
    ASSERT_TRUE(writeFileAtomically(file, "precious"));
    quenlo::file_io::testing::failNextWrites(1);
    EXPECT_FALSE(writeFileAtomically(file, "new"));
    EXPECT_EQ(readFile(file).value(), "precious");

    if (::geteuid() != 0) {  // root writes into read-only folders anyway
        fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(writeFileAtomically(file, "new"));
        EXPECT_EQ(readFile(file).value(), "precious");
    }
    EXPECT_FALSE(writeFileAtomically(dir_ / "missing" / "x.vcf", "new"));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(FileIo, LinkIsFollowedAndLongNamesSave) {
    const fs::path real = dir_ / "real.vcf";
    ASSERT_TRUE(writeFileAtomically(real, "old"));
    fs::create_symlink(real, dir_ / "link.vcf");
    ASSERT_TRUE(writeFileAtomically(dir_ / "link.vcf", "new"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.vcf"));
    EXPECT_EQ(readFile(real).value(), "new");

    // 250 bytes: a legal name that leaves no room for a temporary name built from it.
    const fs::path longName = dir_ / (std::string(246, 'n') + ".vcf");
    ASSERT_TRUE(writeFileAtomically(longName, "x"));
    EXPECT_EQ(readFile(longName).value(), "x");
}

TEST_F(FileIo, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    const fs::path file = dir_ / "locked.vcf";
    ASSERT_TRUE(writeFileAtomically(file, "precious"));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_FALSE(writeFileAtomically(file, "new"));
    EXPECT_EQ(readFile(file).value(), "precious");
}

TEST_F(FileIo, ReadOfMissingFileOrFolderGivesNothing) {
    EXPECT_FALSE(readFile(dir_ / "absent").has_value());
    EXPECT_FALSE(readFile(dir_).has_value());
}

TEST_F(FileIo, PrivateTemporaryFolderIsTheUsersAlone) {
    ::setenv("TMPDIR", dir_.c_str(), 1);
    const auto folder = quenlo::file_io::privateTemporaryFolder();
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->parent_path(), dir_);
    EXPECT_EQ(fs::status(*folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(quenlo::file_io::privateTemporaryFolder(), folder);  // found again

    // One made open to others, or a link planted in its place, is not taken.
    fs::permissions(*folder, fs::perms::all);
    EXPECT_FALSE(quenlo::file_io::privateTemporaryFolder().has_value());
    fs::remove(*folder);
    fs::create_directory_symlink(dir_, *folder);
    EXPECT_FALSE(quenlo::file_io::privateTemporaryFolder().has_value());
    ::unsetenv("TMPDIR");
}

}  // namespace
