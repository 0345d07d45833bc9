// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A writer that saves record after record is killed at random moments, hundreds of times. Whenever it
// dies, data.dat has to be a whole file that the writer could have left: an earlier record or the new
// one, never a torn mixture and never a new Score beside an old Time, with every byte of the other
// sections untouched. A run is reproduced by
// its seed: PELINDRA_CRASH_SEED=<seed> runtime_core_tests --gtest_filter='CrashWhileWriting.*'

#include "runtime/profile_text.h"
#include "temp_dir.h"
#include "write_item.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace pelindra::settings {
namespace {

using fixtures::readBytes;
using fixtures::TempDir;
using fixtures::writeBytes;
namespace fs = std::filesystem;

constexpr int kKills = 250;

// Other sections around the record, in GBK, with comments and odd bytes that must survive every save.
const std::string kHead =
    "; \xB1\xA3\xC1\xF4\xCE\xC4\xBC\xFE\r\n[\xC9\xE8\xD6\xC3]\r\n\xC3\xFB\xD7\xD6=\xD5\xC5\xC8\xFD\r\n"
    "\xFF\xFE\x80=\x81\r\n\r\n";
const std::string kTail = "\r\n# \xD7\xA2\xCA\xCD\r\n[Tail]\r\nX=\x80\x81\xFE\r\n";

std::string version(long score, long time)
{
    return kHead + "[Mybest]\r\nScore=" + std::to_string(score) + "\r\nTime=" + std::to_string(time) + kTail;
}

long itemOf(const std::string& contents, std::string_view item)
{
    const auto text = profile::read(contents, "Mybest", item);
    return text ? std::strtol(text->c_str(), nullptr, 10) : -1;
}

// Saves as the game saves a record: Score k, then Time k, in one replacement, for ever higher k.
[[noreturn]] void saveForever(const std::string& path)
{
    for (;;) {
        const auto result = update(path, [](const ConfigSnapshot& now) {
            const auto k = std::to_string(std::strtol(now.item("Mybest", "Score").c_str(), nullptr, 10) + 1);
            return std::vector<ConfigItem>{{"Mybest", "Score", k}, {"Mybest", "Time", k}};
        });
        if (result.outcome != UpdateResult::Outcome::Written)
            std::_Exit(2);
    }
}

TEST(CrashWhileWriting, AKilledWriterLeavesAWholeEarlierOrNewFileAndAtMostItsStagedCopy)
{
    const char* given = std::getenv("PELINDRA_CRASH_SEED");
    const std::uint64_t seed = given != nullptr ? std::strtoull(given, nullptr, 0) : std::random_device{}();
    std::printf("crash while writing: seed %llu (reproduce with PELINDRA_CRASH_SEED=%llu)\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    std::mt19937_64 rng(seed);

    TempDir dir;
    const auto path = dir.file("data.dat");
    writeBytes(path, version(0, 0));
    // A save costs what the disk takes to flush it, from microseconds on a RAM disk to tens of
    // milliseconds on a busy one. Kills are spread from 1 µs to ten saves, over orders of magnitude,
    // so that they land before, inside and between saves on any disk.
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(writeItem(path, "Mybest", "Score", "0"));
    const double saveMicros =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - started).count() / 4;
    writeBytes(path, version(0, 0));
    std::uniform_real_distribution<double> logDelay(0.0, std::log10(std::max(10000.0, 10 * saveMicros)));
    long score = 0;
    int strays = 0;
    for (int kill = 0; kill < kKills && !::testing::Test::HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill) + " (seed " + std::to_string(seed) + ")");
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0)
            saveForever(path);
        ::usleep(static_cast<useconds_t>(std::pow(10.0, logDelay(rng))));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer gave up: " << status;

        const auto contents = readBytes(path);
        const long nextScore = itemOf(contents, "Score");
        const long nextTime = itemOf(contents, "Time");
        ASSERT_EQ(nextTime, nextScore) << "a Score of one save beside the Time of another";
        ASSERT_EQ(contents, version(nextScore, nextTime)) << "only the two values may ever change";
        ASSERT_GE(nextScore, score) << "the record went back";
        score = nextScore;

        // A kill between naming the staged copy and renaming it over data.dat leaves that copy behind:
        // a whole file, never a torn one. Anything else left over would be a leak.
        int left = 0;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const auto name = entry.path().filename().string();
            if (name == "data.dat")
                continue;
            ASSERT_TRUE(name.starts_with("data.dat.tmp-" + std::to_string(writer) + "-")) << name;
            const auto staged = readBytes(entry.path().string());
            const long stagedScore = itemOf(staged, "Score");
            EXPECT_EQ(staged, version(stagedScore, itemOf(staged, "Time"))) << name;
            ++left;
            fs::remove(entry.path());
        }
        EXPECT_LE(left, 1) << "one writer stages one copy at a time";
        strays += left;
    }
    std::printf("crash while writing: %d kills survived; the writer got to record %ld; %d staged copies were "
                "left behind\n",
                kKills, score, strays);
    EXPECT_GT(score, kKills / 10) << "the writer hardly ever got to save: the kills prove little";
    EXPECT_LE(strays, kKills / 10) << "staged copies pile up beyond the odd kill mid-rename";
}

} // namespace
} // namespace pelindra::settings
