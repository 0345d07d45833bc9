// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "temp_dir.h"
#include "write_item.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pelindra::settings {
namespace {

using pelindra::fixtures::asNobody;
using pelindra::fixtures::readBytes;
using pelindra::fixtures::TempDir;
using pelindra::fixtures::writeBytes;
namespace fs = std::filesystem;

std::size_t entriesIn(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

bool usable(const std::string& path)
{
    return check(path).verdict == FileCheck::Verdict::Usable;
}

UpdateDecision writeRecord(std::string score, std::string time)
{
    return [score, time](const ConfigSnapshot&) {
        return std::vector<ConfigItem>{{"Mybest", "Score", score}, {"Mybest", "Time", time}};
    };
}

constexpr uid_t kNobody = 65534;

TEST(SettingsFile, CreatesAMissingFileWithItsSection)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    auto store = storeIn({}, {});
    EXPECT_FALSE(read(path).snapshot.exists);
    EXPECT_FALSE(store.exists(path));
    EXPECT_TRUE(writeItem(path, "Mybest", "Time", "0"));
    EXPECT_TRUE(store.exists(path));
    EXPECT_TRUE(writeItem(path, "Mybest", "Score", "0"));
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nTime=0\r\nScore=0\r\n");
    EXPECT_EQ(readItem(path, "MYBEST", "score"), "0");
}

TEST(SettingsFile, RewritesLeaveNoTemporaryFilesBehind)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(writeItem(path, "Mybest", "Score", std::to_string(i)));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    EXPECT_EQ(readItem(path, "Mybest", "Score"), "19");
}

TEST(SettingsFile, ClearsAwayCopiesThatKilledWritersLeftButNotThoseOfLiveOnes)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    const pid_t child = ::fork();
    if (child == 0)
        std::_Exit(0);
    ::waitpid(child, nullptr, 0);
    const auto dead = dir.file("data.dat.tmp-" + std::to_string(child) + "-0");
    const auto alive = dir.file("data.dat.tmp-" + std::to_string(::getppid()) + "-0");
    const auto other = dir.file("other.dat.tmp-" + std::to_string(child) + "-0");
    for (const auto& stray : {dead, alive, other})
        writeBytes(stray, "[Mybest]\r\nScore=1\r\n");
    ASSERT_TRUE(writeItem(path, "Mybest", "Score", "2"));
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(alive));
    EXPECT_TRUE(fs::exists(other));
}

TEST(SettingsFile, KeepsForeignBytesOfOtherSectionsAndTheFilesMode)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    const std::string gbk = "[\xC9\xE8\xD6\xC3]\r\n\xC3\xFB=\xD5\xC5\r\n";
    writeBytes(path, gbk + "[Mybest]\r\nScore=1\r\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeItem(path, "Mybest", "Score", "2"));
    EXPECT_EQ(readBytes(path), gbk + "[Mybest]\r\nScore=2\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SettingsFile, NeverReplacesWhatItCannotRead)
{
    TempDir dir;
    const auto asDirectory = dir.file("data.dat");
    fs::create_directory(asDirectory);
    EXPECT_FALSE(read(asDirectory).ok) << "a directory is not a missing file";
    EXPECT_EQ(readItem(asDirectory, "Mybest", "Score"), "");
    EXPECT_FALSE(usable(asDirectory));
    EXPECT_FALSE(writeItem(asDirectory, "Mybest", "Score", "1"));
    EXPECT_TRUE(fs::is_directory(asDirectory));

    const auto fifo = dir.file("fifo.dat");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readItem(fifo, "Mybest", "Score"), "") << "a FIFO must not block the reader";
    EXPECT_FALSE(writeItem(fifo, "Mybest", "Score", "1"));
}

TEST(SettingsFile, LeavesAnUnreadableFileAloneForAnUnprivilegedUser)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Secret]\r\nA=1\r\n[Mybest]\r\nScore=5\r\n");
    ::chmod(path.c_str(), 0600);
    EXPECT_TRUE(asNobody([&] {
        return readItem(path, "Mybest", "Score").empty() && !usable(path) &&
               !writeItem(path, "Mybest", "Score", "9");
    }));
    EXPECT_EQ(readBytes(path), "[Secret]\r\nA=1\r\n[Mybest]\r\nScore=5\r\n");
}

TEST(SettingsFile, ReportsADirectoryThatTakesNoFilesAsUnwritable)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Mybest]\r\nScore=5\r\n");
    ::chmod(path.c_str(), 0644);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    EXPECT_TRUE(asNobody([&] {
        return readItem(path, "Mybest", "Score") == "5" && !usable(path) &&
               !writeItem(path, "Mybest", "Score", "9");
    }));
    EXPECT_TRUE(usable(path)) << "the owner can still write there";
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=5\r\n");

    // A file its user may not write stays as it is, even where the directory would take its replacement.
    fs::permissions(dir.path(), fs::perms::all);
    EXPECT_TRUE(asNobody([&] {
        const auto theirs = dir.file("read-only.dat");
        writeBytes(theirs, "[Mybest]\r\nScore=5\r\n");
        ::chmod(theirs.c_str(), 0444);
        return readItem(theirs, "Mybest", "Score") == "5" && !usable(theirs) &&
               !writeItem(theirs, "Mybest", "Score", "9") && readBytes(theirs) == "[Mybest]\r\nScore=5\r\n";
    }));
}

TEST(SettingsFile, WritesThroughAnOwnLinkInTheTargetsDirectoryKeepingItsGroupAndMode)
{
    TempDir dir;
    fs::create_directory(dir.file("elsewhere"));
    const auto real = dir.file("elsewhere/real.dat");
    writeBytes(real, "[Mybest]\r\nScore=1\r\n");
    ::chmod(real.c_str(), 0640);
    // Only root can hand a file to a group it is not in; anyone else checks the mode alone.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 0, kNobody), 0);
    }
    const auto link = dir.file("data.dat");
    fs::create_symlink(real, link);
    ASSERT_TRUE(usable(link));
    ASSERT_TRUE(writeItem(link, "Mybest", "Score", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(real), "[Mybest]\r\nScore=2\r\n");
    EXPECT_EQ(readItem(link, "Mybest", "Score"), "2");
    struct stat st
    {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    if (root) {
        EXPECT_EQ(st.st_gid, kNobody);
    }
    EXPECT_EQ(entriesIn(dir.file("elsewhere")), 1u) << "the new copy was made beside the target";
}

// Links that this user does not own, whole and to the end, are neither read nor written through.
TEST(SettingsFile, RefusesLinksThatAreNotTheUsersOwnAndLeavesTheirTargetsAlone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making files of another user needs root";
    TempDir dir;
    const std::string before = "[Mybest]\r\nScore=9\r\n";
    const auto theirs = dir.file("theirs.dat");
    writeBytes(theirs, before);
    ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNobody), 0);
    const auto mine = dir.file("mine.dat");
    writeBytes(mine, before);

    const auto toTheirs = dir.file("to-theirs.dat"); // my link, their file
    fs::create_symlink(theirs, toTheirs);
    const auto planted = dir.file("planted.dat"); // their link, my file
    fs::create_symlink(mine, planted);
    ASSERT_EQ(::lchown(planted.c_str(), kNobody, kNobody), 0);
    const auto dangling = dir.file("dangling.dat");
    fs::create_symlink(dir.file("nowhere/at/all"), dangling);

    for (const auto& link : {toTheirs, planted, dangling}) {
        SCOPED_TRACE(link);
        const auto verdict = check(link);
        EXPECT_EQ(verdict.verdict, FileCheck::Verdict::Refused);
        EXPECT_FALSE(verdict.reason.empty());
        EXPECT_EQ(readItem(link, "Mybest", "Score"), "");
        const auto result = update(link, writeRecord("1", "1"));
        EXPECT_EQ(result.outcome, UpdateResult::Outcome::Failed);
        EXPECT_EQ(result.reason, verdict.reason);
        EXPECT_TRUE(fs::is_symlink(link));
    }
    EXPECT_EQ(readBytes(theirs), before);
    EXPECT_EQ(readBytes(mine), before);
    EXPECT_FALSE(fs::exists(dir.file("nowhere")));
}

TEST(SettingsFile, AnUpdateWritesAllItsItemsInOrderInOneReplacement)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Other]\r\nA=1\r\n");
    const auto result = update(path, [](const ConfigSnapshot& now) {
        EXPECT_TRUE(now.exists);
        EXPECT_EQ(now.item("other", "a"), "1");
        return std::vector<ConfigItem>{{"Mybest", "Score", "3"}, {"Mybest", "Time", "4"}};
    });
    EXPECT_EQ(result.outcome, UpdateResult::Outcome::Written);
    EXPECT_EQ(readBytes(path), "[Other]\r\nA=1\r\n[Mybest]\r\nScore=3\r\nTime=4\r\n");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SettingsFile, AnUpdateThatDecidesOnNothingLeavesTheFileAsItWas)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Mybest]\r\nScore=50\r\n");
    struct stat before
    {};
    ::stat(path.c_str(), &before);
    bool sawMissing = true;
    const auto result = update(path, [&](const ConfigSnapshot& now) {
        sawMissing = !now.exists;
        return std::vector<ConfigItem>{};
    });
    EXPECT_EQ(result.outcome, UpdateResult::Outcome::Kept);
    EXPECT_FALSE(sawMissing);
    struct stat after
    {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not even rewritten with the same bytes";

    const auto missing = dir.file("missing.dat");
    EXPECT_EQ(update(missing,
                     [&](const ConfigSnapshot& now) {
                         sawMissing = !now.exists;
                         return std::vector<ConfigItem>{};
                     })
                  .outcome,
              UpdateResult::Outcome::Kept);
    EXPECT_TRUE(sawMissing);
    EXPECT_FALSE(fs::exists(missing));
}

// The second copy must decide on what the first one wrote, not on what the file held before it.
TEST(SettingsFile, TwoCopiesUpdatingAtOnceTakeTurns)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Mybest]\r\nScore=0\r\n");
    int inside[2];
    ASSERT_EQ(::pipe(inside), 0);
    const pid_t first = ::fork();
    if (first == 0) {
        const auto result = update(path, [&](const ConfigSnapshot&) {
            const char byte = 1;
            if (::write(inside[1], &byte, 1) != 1)
                std::_Exit(2);
            ::usleep(300 * 1000);
            return std::vector<ConfigItem>{{"Mybest", "Score", "2"}};
        });
        std::_Exit(result.outcome == UpdateResult::Outcome::Written ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(::read(inside[0], &byte, 1), 1);
    std::string seen;
    update(path, [&](const ConfigSnapshot& now) {
        seen = now.item("Mybest", "Score");
        return std::vector<ConfigItem>{};
    });
    int status = 0;
    ::waitpid(first, &status, 0);
    ::close(inside[0]);
    ::close(inside[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(seen, "2");
}

// Open file description locks conflict within one process too, as between two.
TEST(SettingsFile, AnUpdateGivesUpOnALockHeldTooLongAndSaysSo)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Mybest]\r\nScore=0\r\n");
    const int held = ::open(path.c_str(), O_RDWR);
    ASSERT_EQ(tryOfdLock(held), 0);
    const auto result = update(path, writeRecord("1", "1"), std::chrono::milliseconds(50));
    ::close(held);
    EXPECT_EQ(result.outcome, UpdateResult::Outcome::Failed);
    EXPECT_NE(result.reason.find("locked"), std::string::npos) << result.reason;
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=0\r\n");
}

TEST(SettingsFile, ALockOnAFileThatWasReplacedMeanwhileIsTakenAgainOnTheNewOne)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, "[Mybest]\r\nScore=1\r\n");
    int locks = 0;
    // Another copy saves while this one waits for the lock on the file it opened.
    const TryLock replacedFirst = [&](int fd) {
        if (locks++ == 0) {
            writeBytes(dir.file("theirs"), "[Mybest]\r\nScore=7\r\n");
            fs::rename(dir.file("theirs"), path);
        }
        return tryOfdLock(fd);
    };
    std::string seen;
    const auto result = update(
        path,
        [&](const ConfigSnapshot& now) {
            seen = now.item("Mybest", "Score");
            return std::vector<ConfigItem>{{"Mybest", "Time", "3"}};
        },
        kLockWait, replacedFirst);
    EXPECT_EQ(result.outcome, UpdateResult::Outcome::Written);
    EXPECT_EQ(locks, 2);
    EXPECT_EQ(seen, "7");
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=7\r\nTime=3\r\n");
}

// NFS locks byte ranges, and only through a descriptor open for writing, as a directory never is; NFS
// without a lock manager gives none at all, and a save there must still go through.
TEST(SettingsFile, AnUpdateLocksAsNfsAllowsAndGoesAheadWhereNoLockCanBeHad)
{
    const TryLock nfs = [](int fd) {
        if ((::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
            errno = EBADF;
            return -1;
        }
        return tryOfdLock(fd);
    };
    const TryLock noLockManager = [](int) {
        errno = ENOLCK;
        return -1;
    };
    for (const auto& lock : {nfs, noLockManager}) {
        TempDir dir;
        const auto path = dir.file("data.dat");
        writeBytes(path, "[Mybest]\r\nScore=1\r\n");
        EXPECT_EQ(update(path, writeRecord("2", "5"), kLockWait, lock).outcome,
                  UpdateResult::Outcome::Written);
        EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=2\r\nTime=5\r\n");
    }
}

TEST(SettingsFile, AFirstFileThatAnotherCopyMadeMeanwhileIsDecidedOnAgainAndKept)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    std::vector<std::string> seen;
    const auto result = update(path, [&](const ConfigSnapshot& now) {
        seen.push_back(now.exists ? now.item("Mybest", "Score") : "<none>");
        if (now.exists)
            return std::vector<ConfigItem>{};
        writeBytes(path, "[Mybest]\r\nScore=9\r\n");
        return std::vector<ConfigItem>{{"Mybest", "Score", "1"}};
    });
    EXPECT_EQ(result.outcome, UpdateResult::Outcome::Kept);
    EXPECT_EQ(seen, (std::vector<std::string>{"<none>", "9"}));
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=9\r\n");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SettingsFile, AWriteThatRunsOutOfRoomFailsWithItsReasonAndKeepsTheOldFile)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    const std::string old = "[Mybest]\r\nScore=1\r\nTime=2\r\n";
    writeBytes(path, old);
    const pid_t child = ::fork();
    if (child == 0) {
        // A limit on file sizes stands in for a full disk: the write stops short with an error.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = update(path, writeRecord("12345", "15"));
        std::_Exit(result.outcome == UpdateResult::Outcome::Failed && !result.reason.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SettingsFile, TreatsAnOversizedFileAsUnreadable)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Mybest]\r\nScore=5\r\n";
    }
    fs::resize_file(path, kMaxFileBytes + 1);
    EXPECT_EQ(readItem(path, "Mybest", "Score"), "");
    EXPECT_FALSE(writeItem(path, "Mybest", "Score", "1"));
    EXPECT_EQ(fs::file_size(path), kMaxFileBytes + 1);
}

} // namespace
} // namespace pelindra::settings
