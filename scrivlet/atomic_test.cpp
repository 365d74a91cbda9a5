#include "scrivlet/atomic.hpp"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "scrivlet/test_support.hpp"

namespace quarn::scrivlet {
namespace {

using testing::exists_no_follow;
using testing::permission_bits;
using testing::read_bytes;
using testing::TempDir;
using testing::write_bytes;

[[nodiscard]] std::filesystem::path temp_of(const std::filesystem::path& path) {
    std::filesystem::path temp = path;
    temp += ".new";
    return temp;
}

TEST(WriteAtomic, ReplacesContentAndLeavesNoTemporary) {
    TempDir dir;
    const auto file = dir / "notes.txt";
    write_bytes(file, "old content that is longer");
    ASSERT_TRUE(write_atomic(file, "new"));
    EXPECT_EQ(read_bytes(file), "new");
    EXPECT_FALSE(exists_no_follow(temp_of(file)));
}

struct ModeCase {
    std::string_view name;
    mode_t umask;
    std::optional<mode_t> existing;  // nothing: a first save
    mode_t expected;
};

constexpr ModeCase mode_cases[] = {
    {"NewFileUnderUmask022", 022, std::nullopt, 0644},
    {"NewFileUnderUmask077", 077, std::nullopt, 0600},
    {"KeepsPrivateFile", 022, 0600, 0600},
    {"KeepsExecutableBits", 077, 0755, 0755},
    {"KeepsReadOnlyFile", 022, 0444, 0444},
};

TEST(WriteAtomic, PermissionBits) {
    for (const ModeCase& c : mode_cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        testing::UmaskGuard mask(c.umask);
        const auto file = dir / "f";
        if (c.existing) {
            write_bytes(file, "old");
            std::filesystem::permissions(file, std::filesystem::perms(*c.existing));
        }
        ASSERT_TRUE(write_atomic(file, "new"));
        EXPECT_EQ(read_bytes(file), "new");
        EXPECT_EQ(permission_bits(file), c.expected);
    }
}

TEST(WriteAtomic, SymbolicLinkBecomesRegularFileWithTargetBits) {
    TempDir dir;
    const auto target = dir / "target";
    const auto link = dir / "link";
    write_bytes(target, "target content");
    std::filesystem::permissions(target, std::filesystem::perms(0640));
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(write_atomic(link, "new"));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(read_bytes(link), "new");
    EXPECT_EQ(permission_bits(link), 0640u);
    EXPECT_EQ(read_bytes(target), "target content");
}

TEST(WriteAtomic, LeftoverTemporaryIsReplaced) {
    TempDir dir;
    const auto file = dir / "f";
    write_bytes(file, "old");
    write_bytes(temp_of(file), "leftover from a crash, longer than the new text");
    ASSERT_TRUE(write_atomic(file, "new"));
    EXPECT_EQ(read_bytes(file), "new");
    EXPECT_FALSE(exists_no_follow(temp_of(file)));
}

// Someone who can write the directory plants "<file>.new" -> a file of the user's: the save
// must not write through the link.
TEST(WriteAtomic, NeverWritesThroughPlantedLink) {
    TempDir dir;
    const auto file = dir / "f";
    const auto victim = dir / "victim";
    write_bytes(file, "old");
    write_bytes(victim, "precious");
    std::filesystem::create_symlink(victim, temp_of(file));
    ASSERT_TRUE(write_atomic(file, "new"));
    EXPECT_EQ(read_bytes(victim), "precious");
    EXPECT_EQ(read_bytes(file), "new");
    EXPECT_FALSE(std::filesystem::is_symlink(file));
}

struct FailureCase {
    std::string_view name;
    std::string_view target;  // relative to the test directory
    int error;
};

// Each set-up below leaves "dir/full" a regular file with "old" and "dir/tree" a directory
// holding "inside".
constexpr FailureCase failure_cases[] = {
    {"ParentIsRegularFile", "full/x", ENOTDIR},
    {"ParentMissing", "missing/x", ENOENT},
    {"TargetIsDirectory", "tree", EISDIR},  // the rename is what fails
};

TEST(WriteAtomic, FailureLeavesEverythingAsItWas) {
    for (const FailureCase& c : failure_cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_bytes(dir / "full", "old");
        std::filesystem::create_directory(dir / "tree");
        write_bytes(dir / "tree" / "inside", "kept");
        const auto target = dir / c.target;
        auto written = write_atomic(target, "new");
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error(), std::error_code(c.error, std::system_category()));
        EXPECT_FALSE(exists_no_follow(temp_of(target)));
        EXPECT_EQ(read_bytes(dir / "full"), "old");
        EXPECT_EQ(read_bytes(dir / "tree" / "inside"), "kept");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  2);
    }
}

// Read-only and full file systems need a mount. Root in a private mount namespace can make
// small tmpfs instances that vanish with the process; elsewhere these tests skip.
class MountedWriteAtomic : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root to mount a tmpfs";
        }
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            GTEST_SKIP() << "cannot make a private mount namespace: " << std::strerror(errno);
        }
        if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0) {
            GTEST_SKIP() << "cannot mount tmpfs: " << std::strerror(errno);
        }
        mounted = true;
    }
    void TearDown() override {
        if (mounted) {
            (void)::umount2(dir.path().c_str(), MNT_DETACH);  // the namespace dies with us anyway
        }
    }

    TempDir dir;
    bool mounted = false;
};

TEST_F(MountedWriteAtomic, ReadOnlyDirectoryFailsAndKeepsFile) {
    const auto file = dir / "f";
    write_bytes(file, "old");
    ASSERT_EQ(::mount(nullptr, dir.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
    auto written = write_atomic(file, "new");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), std::error_code(EROFS, std::system_category()));
    EXPECT_EQ(read_bytes(file), "old");
    EXPECT_FALSE(exists_no_follow(temp_of(file)));
}

TEST_F(MountedWriteAtomic, FullDiskFailsAndKeepsFile) {
    const auto file = dir / "f";
    write_bytes(file, "old");
    auto written = write_atomic(file, std::string(1 << 20, 'x'));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), std::error_code(ENOSPC, std::system_category()));
    EXPECT_EQ(read_bytes(file), "old");
    EXPECT_FALSE(exists_no_follow(temp_of(file)));
}

TEST(WriteFailure, ZeroWriteHasItsText) {
    EXPECT_EQ(std::error_code(WriteFailure::ZeroWrite).message(), "failed to write whole buffer");
}

struct ReadCase {
    std::string_view name;
    std::string_view path;
    int error;  // 0: reads "content"
};

constexpr ReadCase read_cases[] = {
    {"WholeFile", "f", 0},
    {"Missing", "missing", ENOENT},
    {"Directory", "tree", EISDIR},
};

TEST(ReadFile, ReadsWholeFileOrReportsWhy) {
    TempDir dir;
    write_bytes(dir / "f", "content");
    std::filesystem::create_directory(dir / "tree");
    for (const ReadCase& c : read_cases) {
        SCOPED_TRACE(c.name);
        auto bytes = read_file(dir / c.path);
        if (c.error == 0) {
            EXPECT_EQ(bytes, "content");
        } else {
            ASSERT_FALSE(bytes);
            EXPECT_EQ(bytes.error(), std::error_code(c.error, std::system_category()));
        }
    }
}

TEST(ReadFile, ReadsPastOneBuffer) {
    TempDir dir;
    std::string big(200'003, 'a');
    big.back() = 'z';
    write_bytes(dir / "big", big);
    EXPECT_EQ(read_file(dir / "big"), big);
}

}  // namespace
}  // namespace quarn::scrivlet
