// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The update protocol against a file system in memory that a case breaks on purpose. Each update saves
// a record of 2 unless the file already holds one at least as high, as the game does.

#include "case_names.h"
#include "runtime/headless/memory_store.h"
#include "runtime/profile_text.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace pelindra {
namespace {

using headless::MemoryStore;
using Outcome = UpdateResult::Outcome;

constexpr std::string_view kFile = "/opt/pelindra/data.dat";
const std::string kOne = "[Mybest]\r\nScore=1\r\n";
const std::string kFive = "[Mybest]\r\nScore=5\r\n";
constexpr std::chrono::milliseconds kWait{30};

using World = std::function<void(MemoryStore&)>;

struct ProtocolCase
{
    std::string name;
    std::optional<std::string> before;            // data.dat; none: there is no file yet
    World world;                                  // what else stands in the way
    std::optional<std::string> madeWhileDeciding; // another copy's first file, made meanwhile
    Outcome outcome;
    std::string reason;
    std::string after; // the Score the file holds afterwards, "-" for no file
    std::string seen;  // the Score each decision was shown, one after the other
};

std::string scoreIn(const std::optional<std::string>& file)
{
    return file ? profile::read(*file, "Mybest", "Score").value_or("") : "-";
}

World failing(MemoryStore::Files MemoryStore::*knob, std::string reason)
{
    return [knob, reason](MemoryStore& s) { (s.*knob)[std::string(kFile)] = reason; };
}

// Replaces the file each time the update holds the lock, the first time only when once.
World replacedUnderTheLock(bool once)
{
    return [once](MemoryStore& s) {
        s.beforeUpdate = [&s, once, rounds = 0](std::string_view file) mutable {
            if (!once || rounds == 0)
                s.files[std::string(file)] = kFive + "; round " + std::to_string(++rounds) + "\r\n";
        };
    };
}

class Protocol : public ::testing::TestWithParam<ProtocolCase>
{};

TEST_P(Protocol, UpdatesOnlyTheFileItLockedAndSaysWhyNot)
{
    const auto& c = GetParam();
    MemoryStore store;
    const std::string path(kFile);
    if (c.before)
        store.files[path] = *c.before;
    if (c.world)
        c.world(store);
    std::string seen;
    const auto result = store.update(
        path,
        [&](const ConfigSnapshot& now) {
            if (seen.empty() && c.madeWhileDeciding)
                store.files[path] = *c.madeWhileDeciding;
            seen += scoreIn(now.exists ? std::optional(now.contents) : std::nullopt);
            if (now.exists && std::atoi(now.item("Mybest", "Score").c_str()) >= 2)
                return std::vector<ConfigItem>{};
            return std::vector<ConfigItem>{{"Mybest", "Score", "2"}};
        },
        kWait);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(seen, c.seen);
    const auto it = store.files.find(path);
    EXPECT_EQ(scoreIn(it == store.files.end() ? std::nullopt : std::optional(it->second)), c.after);
}

constexpr auto kFailed = Outcome::Failed;
const std::optional<std::string> kNoFile;
const World kNoWorld;

INSTANTIATE_TEST_SUITE_P(
    Updates, Protocol,
    ::testing::Values(
        ProtocolCase{"ALowerRecordIsReplaced", kOne, kNoWorld, kNoFile, Outcome::Written, "", "2", "1"},
        ProtocolCase{"AFirstFileIsMade", kNoFile, kNoWorld, kNoFile, Outcome::Written, "", "2", "-"},
        ProtocolCase{"NothingDecidedLeavesTheFileAlone", kFive, kNoWorld, kNoFile, Outcome::Kept, "", "5",
                     "5"},
        ProtocolCase{"ALockHeldPastTheWaitFailsBeforeAnythingIsDecided", kOne,
                     failing(&MemoryStore::lockedFiles, ""), kNoFile, kFailed,
                     "another program held it locked for more than 30 ms", "1", ""},
        ProtocolCase{"AFileReplacedJustBeforeTheLockWasHadIsDecidedOnAgainFromTheNewOne", kOne,
                     replacedUnderTheLock(true), kNoFile, Outcome::Kept, "", "5", "5"},
        ProtocolCase{"AFileReplacedEveryTimeFailsOnceTheWaitIsOver", kOne, replacedUnderTheLock(false),
                     kNoFile, kFailed, "other programs kept replacing it for more than 30 ms", "5", ""},
        ProtocolCase{"AFirstFileMadeByAnotherCopyMeanwhileIsDecidedOnAgain", kNoFile, kNoWorld, kFive,
                     Outcome::Kept, "", "5", "-5"},
        ProtocolCase{"ARefusedLinkIsNeitherReadNorWritten", kOne,
                     failing(&MemoryStore::refusedFiles, "it is a link to nothing"), kNoFile, kFailed,
                     "it is a link to nothing", "1", ""},
        ProtocolCase{"ADirectoryIsNeverReplaced", kNoFile,
                     [](MemoryStore& s) { s.directories.insert(std::string(kFile)); }, kNoFile, kFailed,
                     "it cannot be opened for writing: Is a directory", "-", ""},
        ProtocolCase{"AFailedReplacementKeepsTheOldFileAndSaysWhy", kOne,
                     failing(&MemoryStore::failingFiles, "No space left on device"), kNoFile, kFailed,
                     "No space left on device", "1", "1"},
        ProtocolCase{"AFirstFileThatCannotBeMadeSaysWhy", kNoFile,
                     [](MemoryStore& s) { s.unwritableDirectories.insert("/opt/pelindra"); }, kNoFile,
                     kFailed, "Permission denied", "-", "-"}),
    fixtures::ByCaseName{});

} // namespace
} // namespace pelindra
