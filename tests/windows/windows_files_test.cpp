// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/win32/text.h"
#include "runtime/win32/windows_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <windows.h>

namespace pelindra::win32 {
namespace {

namespace fs = std::filesystem;
using Outcome = UpdateResult::Outcome;

// A fresh folder of the test's own under the prefix's temporary folder.
struct Folder
{
    Folder() { fs::remove_all(root), fs::create_directories(root); }
    ~Folder() { fs::remove_all(root); }
    std::string file(const std::string& name) const { return toUtf8((root / toUtf16(name)).wstring()); }
    long entries() const { return std::distance(fs::directory_iterator(root), {}); }
    fs::path root = fs::temp_directory_path() / ("pelindra-store-" + std::to_string(GetCurrentProcessId()));
};

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(fs::path(toUtf16(path)), std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(fs::path(toUtf16(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

UpdateDecision setting(std::vector<ConfigItem> items)
{
    return [items](const ConfigSnapshot&) { return items; };
}

const std::vector<ConfigItem> kRecord{{"Mybest", "Score", "7"}, {"Mybest", "Time", "9"}};

// store_writer (see there) as another process; by default the one beside this test.
PROCESS_INFORMATION startWriter(const std::string& arguments,
                                const std::string& program = programDirectory() + "\\store_writer.exe")
{
    auto line = toUtf16("store_writer " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessW(toUtf16(program).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &process);
    return process;
}

DWORD endOf(const PROCESS_INFORMATION& process)
{
    DWORD code = 99;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
    return code;
}

TEST(WindowsStore, EveryByteOfAHostileFileSurvivesASaveAndOnlyTheRecordChanges)
{
    Folder dir;
    const auto path = dir.file("data.dat");
    auto store = storeIn({}, {});
    for (const auto& entry : fs::directory_iterator(PELINDRA_HOSTILE_DIR)) {
        SCOPED_TRACE(entry.path().filename().string());
        const auto stored = readBytes(toUtf8(entry.path().wstring()));
        writeBytes(path, stored);
        // Read plainly while the update holds its lock, which keeps out other copies and no reader.
        const auto readUnderLock = [&](const ConfigSnapshot&) {
            return readBytes(path) == stored ? kRecord : std::vector<ConfigItem>{};
        };
        EXPECT_EQ(store.update(path, readUnderLock, kLockWait).outcome, Outcome::Written);
        EXPECT_EQ(readBytes(path), applyConfigItems(stored, kRecord));
    }
}

TEST(WindowsStore, NeverReplacesWhatItCannotReadOrOpenForWriting)
{
    Folder dir;
    fs::create_directory(toUtf16(dir.file("folder.dat")));
    writeBytes(dir.file("held.dat"), "[Mybest]\r\nScore=5\r\n");
    const HANDLE reader = CreateFileW(toUtf16(dir.file("held.dat")).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    auto store = storeIn({}, {});
    for (const auto& [name, reason] : {std::pair{"folder.dat", "it cannot be read: "},
                                       {"held.dat", "it cannot be opened for writing: "}}) {
        SCOPED_TRACE(name);
        const auto path = dir.file(name);
        const auto before = readBytes(path);
        const auto check = store.check(path);
        EXPECT_EQ(check.verdict, FileCheck::Verdict::Unwritable);
        EXPECT_TRUE(check.reason.starts_with(reason)) << check.reason;
        EXPECT_FALSE(check.reason.ends_with(".") || check.reason.ends_with("\n")) << check.reason;
        EXPECT_EQ(store.update(path, setting(kRecord), kLockWait).outcome, Outcome::Failed);
        EXPECT_EQ(readBytes(path), before);
    }
    CloseHandle(reader);
}

// A program folder that takes no files (here one whose parent is a file, the one kind of unwritable
// folder that Wine enforces for an administrator) leaves the record to the user's folder, made then, its
// path longer than MAX_PATH.
TEST(WindowsStore, TheUsersFolderIsMadeForTheRecordWhenTheProgramsTakesNoFilesChineseNamesAndAll)
{
    Folder dir;
    writeBytes(dir.file("游戏"), "");
    auto store =
        storeIn(dir.file("游戏\\程序"), dir.file("用户数据\\漫游\\" + std::string(200, 'x') + "\\Pelindra"));
    EXPECT_EQ(store.check(store.join(store.programDirectory(), "data.dat")).verdict,
              FileCheck::Verdict::Unwritable);
    const auto own = store.join(store.userDataDirectory(), "data.dat");
    EXPECT_EQ(store.update(own, setting(kRecord), kLockWait).outcome, Outcome::Written);
    EXPECT_EQ(readBytes(own), applyConfigItems("", kRecord));
    // The program's own store finds its folder by GetModuleFileNameW.
    const auto program = dir.file("用户数据\\漫游\\store_writer.exe");
    fs::copy_file(toUtf16(programDirectory() + "\\store_writer.exe"), toUtf16(program));
    EXPECT_EQ(endOf(startWriter("1", program)), 0U);
    EXPECT_EQ(readBytes(dir.file("用户数据\\漫游\\data.dat")), "[Mybest]\r\nScore=1\r\nTime=1\r\n");
}

// Each must count on what the other wrote, never on what the file held before.
TEST(WindowsStore, TwoCopiesCountingAtOnceTakeTurns)
{
    Folder dir;
    const auto path = dir.file("data.dat");
    const auto first = startWriter("100 \"" + path + "\"");
    const auto second = startWriter("100 \"" + path + "\"");
    EXPECT_EQ(endOf(first) + endOf(second), 0U);
    EXPECT_EQ(readBytes(path), "[Mybest]\r\nScore=200\r\nTime=200\r\n");
    EXPECT_EQ(dir.entries(), 1);
}

// A writer that saves for ever is killed at random moments. Each time, data.dat must be a whole file it
// could have left, the GBK bytes around the record untouched; a file that it had moved aside inside its
// replacement is put back by the next copy, and its temporary files are swept away.
TEST(WindowsStore, AKilledWriterLeavesAWholeEarlierOrNewFileAndItsTemporariesAreSweptLater)
{
    constexpr int kKills = 60;
    const auto version = [](const std::string& k) {
        return applyConfigItems("[\xC9\xE8\xD6\xC3]\r\n\xC3\xFB=\xD5\xC5\r\n\xFF\xFE\x80=\x81\r\n",
                                {{"Mybest", "Score", k}, {"Mybest", "Time", k}});
    };
    Folder dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, version("0"));
    auto store = storeIn({}, {});
    const auto score = [&] {
        return std::strtol(store.read(path).snapshot.item("Mybest", "Score").c_str(), nullptr, 10);
    };
    long last = 0;
    for (int kill = 0; kill < kKills && !HasFailure(); ++kill) {
        const auto writer = startWriter("0 \"" + path + "\"");
        while (score() == last)
            ASSERT_EQ(WaitForSingleObject(writer.hProcess, 0), WAIT_TIMEOUT) << "the writer gave up";
        Sleep(std::random_device{}() % 16);
        TerminateProcess(writer.hProcess, 9);
        ASSERT_EQ(endOf(writer), 9U);
        ASSERT_EQ(store.update(path, setting({}), kLockWait).outcome, Outcome::Kept);
        ASSERT_EQ(readBytes(path), version(std::to_string(score())));
        ASSERT_GE(score(), last) << "the record went back";
        last = score();
    }
    // A kill between ReplaceFileW's two renames, beside an older file that an earlier killed writer had
    // moved aside and not yet removed; their writers' ids are none that Windows gives. A look at the file
    // puts the newer one back, and so does an update.
    const auto older = dir.file("data.dat.old-4294967295-1-0");
    writeBytes(older, version("0"));
    fs::last_write_time(toUtf16(older), fs::last_write_time(toUtf16(older)) - std::chrono::hours(1));
    fs::rename(toUtf16(path), toUtf16(dir.file("data.dat.old-4294967295-2-0")));
    EXPECT_EQ(score(), last);
    fs::rename(toUtf16(path), toUtf16(dir.file("data.dat.old-4294967295-3-0")));
    EXPECT_EQ(store.update(path, setting({{"Mybest", "Time", "0"}}), kLockWait).outcome, Outcome::Written);
    EXPECT_EQ(score(), last);
    EXPECT_EQ(dir.entries(), 1);
}

} // namespace
} // namespace pelindra::win32
