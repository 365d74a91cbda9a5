#include "scrivlet/backups.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

#include "scrivlet/test_support.hpp"

namespace quarn::scrivlet {
namespace {

using testing::fake_environment;

struct RootCase {
    std::string_view name;
    std::map<std::string, std::string> variables;
    std::optional<std::filesystem::path> account_home;
    std::string_view expected;
};

const RootCase root_cases[] = {
    {"AbsoluteXdgWins", {{"XDG_CACHE_HOME", "/x/cache"}, {"HOME", "/h"}}, "/pw", "/x/cache"},
    {"RelativeXdgFallsToHome", {{"XDG_CACHE_HOME", "rel/cache"}, {"HOME", "/h"}}, {}, "/h/.cache"},
    {"EmptyXdgFallsToHome", {{"XDG_CACHE_HOME", ""}, {"HOME", "/h"}}, {}, "/h/.cache"},
    {"EmptyHomeUsesPasswordDatabase", {{"HOME", ""}}, "/pw", "/pw/.cache"},
    {"NoHomeAnywhereUsesTmpdir", {{"TMPDIR", "/scratch"}}, {}, "/scratch"},
    {"NothingAtAllUsesSlashTmp", {{"TMPDIR", ""}}, {}, "/tmp"},
};

TEST(CacheRoot, FollowsFallbacks) {
    for (const RootCase& c : root_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cache_root(fake_environment(c.variables, c.account_home)).native(), c.expected);
    }
}

TEST(Fnv1a64, MatchesPublishedVectors) {
    EXPECT_EQ(fnv1a_64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(fnv1a_64("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(fnv1a_64("foobar"), 0x85944171f73967e8ULL);
}

struct BackupPathCase {
    std::string_view name, path;
    unsigned n;
    std::string_view expected;
};

constexpr BackupPathCase backup_path_cases[] = {
    {"Plain", "/home/u/notes.txt", 1, "/c/scrivlet/696aa40a9865e2b5/notes.txt.1"},
    {"DotComponent", "/home/./u/notes.txt", 1, "/c/scrivlet/696aa40a9865e2b5/notes.txt.1"},
    {"NameThenDotDot", "/home/x/../u/notes.txt", 2, "/c/scrivlet/696aa40a9865e2b5/notes.txt.2"},
    {"DoubledSlash", "/home//u/notes.txt", 1, "/c/scrivlet/696aa40a9865e2b5/notes.txt.1"},
    {"NoFinalComponent", "/", 3, "/c/scrivlet/af63a24c860189fe/3"},
};

TEST(BackupPath, HashesNormalisedAbsolutePath) {
    const Environment environment = fake_environment({{"XDG_CACHE_HOME", "/c"}});
    for (const BackupPathCase& c : backup_path_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(backup_path(c.path, c.n, environment).native(), c.expected);
    }
}

TEST(BackupPath, RelativeAndAbsoluteShareDirectory) {
    const Environment environment = fake_environment({{"XDG_CACHE_HOME", "/c"}});
    EXPECT_EQ(backup_path("notes.txt", 1, environment),
              backup_path(std::filesystem::current_path() / "notes.txt", 1, environment));
}

TEST(BackupPath, InvalidNameIsReplaced) {
    const Environment environment = fake_environment({{"XDG_CACHE_HOME", "/c"}});
    EXPECT_EQ(backup_path("/d/b\xFF", 2, environment).filename().native(), "b\xEF\xBF\xBD.2");
}

class RotateBackups : public ::testing::Test {
protected:
    testing::TempDir dir;
    Environment environment = fake_environment({{"XDG_CACHE_HOME", dir / "cache"}});
    std::filesystem::path file = dir / "notes.txt";
};

TEST_F(RotateBackups, CopiesFileWithItsBitsAndReplacesGenerationOne) {
    testing::write_bytes(file, "first");
    std::filesystem::permissions(file, std::filesystem::perms(0640));
    rotate_backups(file, 1, environment);
    const std::filesystem::path one = backup_path(file, 1, environment);
    EXPECT_EQ(testing::read_bytes(one), "first");
    EXPECT_EQ(testing::permission_bits(one), 0640u);

    testing::write_bytes(file, "second");
    rotate_backups(file, 1, environment);
    EXPECT_EQ(testing::read_bytes(one), "second");
    EXPECT_FALSE(testing::exists_no_follow(backup_path(file, 2, environment)));
}

TEST_F(RotateBackups, ShiftsOlderGenerations) {
    testing::write_bytes(file, "first");
    rotate_backups(file, 3, environment);
    testing::write_bytes(file, "second");
    rotate_backups(file, 3, environment);
    EXPECT_EQ(testing::read_bytes(backup_path(file, 1, environment)), "second");
    EXPECT_EQ(testing::read_bytes(backup_path(file, 2, environment)), "first");
    EXPECT_FALSE(testing::exists_no_follow(backup_path(file, 3, environment)));
}

TEST_F(RotateBackups, NothingForNewFileOrZeroCount) {
    rotate_backups(file, 1, environment);
    EXPECT_FALSE(testing::exists_no_follow(dir / "cache"));
    testing::write_bytes(file, "x");
    rotate_backups(file, 0, environment);
    EXPECT_FALSE(testing::exists_no_follow(dir / "cache"));
}

TEST_F(RotateBackups, UnusableCacheIsSilent) {
    testing::write_bytes(dir / "cache", "a file where a directory should be");
    testing::write_bytes(file, "x");
    rotate_backups(file, 2, environment);
    EXPECT_EQ(testing::read_bytes(dir / "cache"), "a file where a directory should be");
    EXPECT_EQ(testing::read_bytes(file), "x");
}

}  // namespace
}  // namespace quarn::scrivlet
