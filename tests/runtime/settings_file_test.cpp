// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/settings_file.h"
#include "temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

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

TEST(SettingsFile, CreatesAMissingFileWithItsSection)
{
    TempDir dir;
    const auto path = dir.file("data.dat");
    EXPECT_FALSE(exists(path));
    EXPECT_TRUE(writeItem(path, "Mybest", "Time", "0"));
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
    EXPECT_TRUE(exists(asDirectory));
    EXPECT_EQ(readItem(asDirectory, "Mybest", "Score"), "");
    EXPECT_FALSE(canWrite(asDirectory));
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
        return readItem(path, "Mybest", "Score").empty() && !canWrite(path) &&
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
        return readItem(path, "Mybest", "Score") == "5" && !canWrite(path) &&
               !writeItem(path, "Mybest", "Score", "9");
    }));
    EXPECT_TRUE(canWrite(path)) << "the owner can still write there";
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=5\r\n");
}

TEST(SettingsFile, WritesThroughALinkToAFileAndReplacesADanglingOne)
{
    TempDir dir;
    const auto real = dir.file("real.dat");
    writeBytes(real, "[Mybest]\r\nScore=1\r\n");
    const auto link = dir.file("data.dat");
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeItem(link, "Mybest", "Score", "2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(real), "[Mybest]\r\nScore=2\r\n");

    const auto dangling = dir.file("dangling.dat");
    fs::create_symlink(dir.file("nowhere/at/all"), dangling);
    EXPECT_FALSE(exists(dangling));
    ASSERT_TRUE(writeItem(dangling, "Mybest", "Time", "0"));
    EXPECT_FALSE(fs::is_symlink(dangling));
    EXPECT_EQ(readItem(dangling, "Mybest", "Time"), "0");
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
