// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "case_names.h"
#include "game_fixture.h"
#include "rules/best_record.h"

#include <gmock/gmock.h>
#include <optional>

namespace pelindra {
namespace {

using names::kGameWindow;
using names::kRecordWindow;
using namespace names::game;
using ::testing::ElementsAre;

class BestRecord : public fixtures::GameFixture
{
protected:
    static constexpr std::string_view kOwnFile = "/home/player/.local/share/Pelindra/data.dat";

    void store(const std::string& contents) { rt.store.files[std::string(kDataFile)] = contents; }

    // A game that scores points on right boxes, then loses on a wrong box once seconds have passed.
    void playAndLose(int points, int seconds)
    {
        startGame('1', points > 0 ? "111111111" : "222222222");
        for (int i = 0; i < points; ++i) {
            scriptDeal('1', i + 1 < points ? "111111111" : "222222222");
            clickBox(1);
        }
        rt.advance(seconds * 1000);
        ASSERT_TRUE(state.gameRunning);
        clickBox(5);
        ASSERT_FALSE(state.gameRunning);
    }
};

TEST_F(BestRecord, AFirstRunWritesTimeThenScoreBothZero)
{
    launch();
    EXPECT_THAT(rt.callsStartingWith("Wrote"),
                ElementsAre("Wrote /opt/pelindra/data.dat Mybest.Time=\"0\" Mybest.Score=\"0\""));
    EXPECT_EQ(stored(), "[Mybest]\r\nTime=0\r\nScore=0\r\n");
    EXPECT_EQ(state.bestScore, "0");
    EXPECT_EQ(state.bestTime, "0");
}

TEST_F(BestRecord, AStoredRecordIsReadOnceAndShownOnlyOnceAGameStarts)
{
    store("[Mybest]\r\nScore=7\r\nTime=15\r\n");
    launch();
    EXPECT_EQ(rt.callsStartingWith("UpdateConfigItems").size(), 1u);
    EXPECT_TRUE(rt.callsStartingWith("Wrote").empty());
    EXPECT_EQ(text(kBestScoreLabel), "0");
    EXPECT_EQ(text(kBestTimeLabel), "0秒");
    rt.click(names::kMenuWindow, "超级链接框1");
    EXPECT_EQ(text(kBestScoreLabel), "0") << "showing the game window changes nothing yet";
    startGame('1', "000000000");
    EXPECT_EQ(text(kBestScoreLabel), "7");
    EXPECT_EQ(text(kBestTimeLabel), "15秒");
}

TEST_F(BestRecord, AFileWithoutTheItemsLeavesThemEmptyAndTheFirstScoringGameSetsARecord)
{
    store("[Other]\r\nA=1\r\n");
    launchIntoGame();
    EXPECT_EQ(state.bestScore, "");
    EXPECT_EQ(state.bestTime, "");
    EXPECT_EQ(text(kBestScoreLabel), "0");
    startGame('1', "000000000");
    EXPECT_EQ(text(kBestScoreLabel), "");
    EXPECT_EQ(text(kBestTimeLabel), "秒");
    rt.advance(2000);
    clickBox(1); // wrong at 0 points: no record, 0 is not above ""
    EXPECT_EQ(modalsOpened, 0);
    playAndLose(1, 3);
    EXPECT_EQ(modalsOpened, 1);
    EXPECT_EQ(stored(), "[Other]\r\nA=1\r\n[Mybest]\r\nScore=1\r\nTime=3\r\n");
}

TEST_F(BestRecord, AnEqualScoreIsNoRecordAndWritesNothing)
{
    store("[Mybest]\r\nScore=2\r\nTime=11\r\n");
    launchIntoGame();
    rt.clearCalls();
    playAndLose(2, 4);
    EXPECT_EQ(modalsOpened, 0);
    EXPECT_TRUE(rt.callsStartingWith("UpdateConfigItems").empty());
    EXPECT_EQ(stored(), "[Mybest]\r\nScore=2\r\nTime=11\r\n");
}

TEST_F(BestRecord, AHigherScoreIsSavedScoreFirstOnlyAfterTheRecordWindowClosed)
{
    store("[Mybest]\r\nScore=2\r\nTime=11\r\n");
    launchIntoGame();
    std::string whileOpen;
    onModal = [&](std::string_view window) {
        EXPECT_EQ(window, kRecordWindow);
        whileOpen = stored();
        EXPECT_EQ(text(names::record::kTimeLabel, kRecordWindow), "4秒");
        EXPECT_EQ(text(names::record::kScoreLabel, kRecordWindow), "3");
        EXPECT_FALSE(rt.isShown(kGameWindow));
        EXPECT_FALSE(rt.isShown(names::kMenuWindow));
    };
    rt.clearCalls();
    playAndLose(3, 4);
    EXPECT_EQ(whileOpen, "[Mybest]\r\nScore=2\r\nTime=11\r\n");
    EXPECT_THAT(rt.callsStartingWith("Wrote"),
                ElementsAre("Wrote /opt/pelindra/data.dat Mybest.Score=\"3\" Mybest.Time=\"4\""));
    EXPECT_EQ(stored(), "[Mybest]\r\nScore=3\r\nTime=4\r\n");
    EXPECT_TRUE(rt.isShown(kGameWindow));
    EXPECT_EQ(text(kBestScoreLabel), "3");
    EXPECT_EQ(text(kBestTimeLabel), "4秒");
}

TEST_F(BestRecord, ARecordSetByRunningOutOfTimeStoresFifteenSeconds)
{
    launchIntoGame();
    startGame('1', "111111111");
    for (int i = 0; i < 5; ++i) {
        scriptDeal('1', "111111111");
        clickBox(9);
    }
    rt.advance(15000);
    EXPECT_EQ(modalsOpened, 1);
    EXPECT_EQ(stored(), "[Mybest]\r\nTime=15\r\nScore=5\r\n");
}

TEST_F(BestRecord, ANegativeFinalScoreNeverBeatsZero)
{
    launchIntoGame();
    startGame('1', "100000000");
    claimNoDigit();
    claimNoDigit(); // negative: ends the game
    EXPECT_FALSE(state.gameRunning);
    EXPECT_EQ(modalsOpened, 0);
}

struct StoredCase
{
    std::string name;
    std::string score;
    int points;
    bool record;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << '"' << c.score << "\" against " << c.points << " points";
}

class StoredScore : public BestRecord, public ::testing::WithParamInterface<StoredCase>
{};

TEST_P(StoredScore, CountsAsWhatToIntegerMakesOfIt)
{
    store("[Mybest]\r\nScore=" + GetParam().score + "\r\nTime=1\r\n");
    launchIntoGame();
    playAndLose(GetParam().points, 1);
    EXPECT_EQ(modalsOpened, GetParam().record ? 1 : 0) << "stored \"" << GetParam().score << "\"";
}

INSTANTIATE_TEST_SUITE_P(Scores, StoredScore,
                         ::testing::Values(StoredCase{"LettersAgainstOne", "abc", 1, true},
                                           StoredCase{"LettersAgainstZero", "abc", 0, false},
                                           StoredCase{"OverflowAgainstThirty", "99999999999999999999", 30,
                                                      false},
                                           StoredCase{"MinusFiveAgainstZero", "-5", 0, true},
                                           StoredCase{"PaddedSevenAgainstSeven", " 7 ", 7, false},
                                           StoredCase{"PaddedSevenAgainstEight", " 7 ", 8, true},
                                           StoredCase{"DigitsThenLetterAgainstFour", "3x", 4, true}),
                         fixtures::ByCaseName{});

TEST_F(BestRecord, AnUnwritableProgramDirectoryKeepsTheRecordInTheUsersDataDirectory)
{
    rt.store.unwritableDirectories.insert("/opt/pelindra");
    launchIntoGame();
    const std::string own(kOwnFile);
    EXPECT_EQ(state.recordFile, own);
    EXPECT_EQ(rt.store.files.at(own), "[Mybest]\r\nTime=0\r\nScore=0\r\n");
    playAndLose(2, 3);
    EXPECT_EQ(rt.store.files.at(own), "[Mybest]\r\nTime=3\r\nScore=2\r\n");
    EXPECT_FALSE(rt.store.files.contains(kDataFile));
    EXPECT_TRUE(rt.problems.empty()) << "a system-wide install is no news";
}

TEST_F(BestRecord, AStoreThatTellsOfAReadOnlyProgramDirectorySaysOnceWhereTheRecordGoes)
{
    rt.store.unwritableDirectories.insert("/opt/pelindra");
    rt.store.tellOfReadOnlyProgramDirectory = true;
    launchIntoGame();
    playAndLose(2, 3);
    ASSERT_EQ(rt.problems.size(), 1U);
    EXPECT_THAT(rt.problems[0], testing::HasSubstr("; keeping it in " + std::string(kOwnFile) + " instead"));
}

TEST_F(BestRecord, AUsersRecordIsReadFromTheDataDirectoryOnLaterRuns)
{
    rt.store.unwritableDirectories.insert("/opt/pelindra");
    rt.store.files["/home/player/.local/share/Pelindra/data.dat"] = "[Mybest]\r\nScore=6\r\nTime=9\r\n";
    store("[Mybest]\r\nScore=1\r\nTime=1\r\n");
    launch();
    EXPECT_EQ(state.bestScore, "6");
    EXPECT_EQ(state.bestTime, "9");
}

TEST_F(BestRecord, ARecordBesideAProgramThatBecameReadOnlyStillCounts)
{
    rt.store.unwritableDirectories.insert("/opt/pelindra");
    store("[Mybest]\r\nScore=4\r\nTime=8\r\n");
    launchIntoGame();
    EXPECT_EQ(state.bestScore, "4");
    EXPECT_EQ(state.bestTime, "8");
    playAndLose(5, 2);
    EXPECT_EQ(rt.store.files.at(std::string(kOwnFile)), "[Mybest]\r\nTime=2\r\nScore=5\r\n");
    EXPECT_EQ(stored(), "[Mybest]\r\nScore=4\r\nTime=8\r\n");
}

TEST_F(BestRecord, ADataFileThatIsADirectoryMovesTheRecordToTheUsersDataDirectory)
{
    rt.store.directories.insert(std::string(kDataFile));
    launch();
    EXPECT_EQ(state.recordFile, "/home/player/.local/share/Pelindra/data.dat");
    EXPECT_EQ(state.bestScore, "0");
}

// What the file holds by the time the record window has closed: another copy of the program may have
// saved since start-up, or the player may have edited the file by hand.
struct MeanwhileCase
{
    std::string name;
    std::optional<std::string> meanwhile; // none: the file was removed
    std::string stored;                   // what the file holds afterwards
    std::string bestScore, bestTime;      // what the labels show afterwards
};

class Meanwhile : public BestRecord, public ::testing::WithParamInterface<MeanwhileCase>
{};

TEST_P(Meanwhile, ASaveReplacesOnlyALowerRecordAndTheLabelsShowWhatTheFileHolds)
{
    const auto& c = GetParam();
    store("[Mybest]\r\nScore=1\r\nTime=5\r\n");
    launchIntoGame();
    onModal = [&](std::string_view) {
        if (c.meanwhile)
            store(*c.meanwhile);
        else
            rt.store.files.erase(std::string(kDataFile));
    };
    playAndLose(3, 4);
    EXPECT_EQ(modalsOpened, 1) << "the game beat the best this copy knew";
    EXPECT_EQ(stored(), c.stored);
    EXPECT_EQ(text(kBestScoreLabel), c.bestScore);
    EXPECT_EQ(text(kBestTimeLabel), c.bestTime + "秒");
    EXPECT_EQ(state.bestScore, c.bestScore) << "the next game has to beat this";
    EXPECT_TRUE(rt.problems.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Saves, Meanwhile,
    ::testing::Values(
        MeanwhileCase{"AnotherCopySavedAHigherOne", "[Mybest]\r\nScore=5\r\nTime=9\r\n",
                      "[Mybest]\r\nScore=5\r\nTime=9\r\n", "5", "9"},
        MeanwhileCase{"AnotherCopySavedAnEqualOne", "[Mybest]\r\nScore=3\r\nTime=12\r\n",
                      "[Mybest]\r\nScore=3\r\nTime=12\r\n", "3", "12"},
        MeanwhileCase{"AHandEditWithASectionOfItsOwn", "[Mine]\r\nX=1\r\n[Mybest]\r\nScore=50\r\n",
                      "[Mine]\r\nX=1\r\n[Mybest]\r\nScore=50\r\n", "50", ""},
        MeanwhileCase{"AHandEditThatLoweredIt", "[Mybest]\r\nScore=2\r\nTime=1\r\n",
                      "[Mybest]\r\nScore=3\r\nTime=4\r\n", "3", "4"},
        MeanwhileCase{"TheFileWasRemoved", std::nullopt, "[Mybest]\r\nScore=3\r\nTime=4\r\n", "3", "4"}),
    fixtures::ByCaseName{});

TEST_F(BestRecord, ASaveThatFailsBesideTheProgramGoesToTheUsersFileAndSaysSo)
{
    store("[Mybest]\r\nScore=1\r\nTime=5\r\n");
    rt.store.failingFiles[std::string(kDataFile)] = "No space left on device";
    launchIntoGame();
    playAndLose(3, 4);
    EXPECT_THAT(rt.problems,
                ElementsAre("pelindra: could not save the best record to /opt/pelindra/data.dat: "
                            "No space left on device; saving it to " +
                            std::string(kOwnFile) + " instead"));
    EXPECT_EQ(rt.store.files.at(std::string(kOwnFile)), "[Mybest]\r\nScore=3\r\nTime=4\r\n");
    EXPECT_EQ(stored(), "[Mybest]\r\nScore=1\r\nTime=5\r\n");
    EXPECT_EQ(text(kBestScoreLabel), "3");

    rt.problems.clear();
    playAndLose(4, 2);
    EXPECT_TRUE(rt.problems.empty()) << "later records of the run go straight to the user's file";
    EXPECT_EQ(rt.store.files.at(std::string(kOwnFile)), "[Mybest]\r\nScore=4\r\nTime=2\r\n");
}

TEST_F(BestRecord, WhenTheUsersFileFailsTooASecondLineSaysSoAndTheRecordLivesOnForTheRun)
{
    rt.store.failingFiles[std::string(kDataFile)] = "Read-only file system";
    rt.store.failingFiles[std::string(kOwnFile)] = "Disk quota exceeded";
    launchIntoGame();
    playAndLose(3, 4);
    EXPECT_THAT(
        rt.problems,
        ElementsAre("pelindra: could not save the best record to /opt/pelindra/data.dat: Read-only file "
                    "system; saving it to " +
                        std::string(kOwnFile) + " instead",
                    "pelindra: could not save the best record to " + std::string(kOwnFile) +
                        " either: Disk quota exceeded; it is kept only while the program runs"));
    EXPECT_EQ(text(kBestScoreLabel), "3");
    playAndLose(3, 1);
    EXPECT_EQ(modalsOpened, 1) << "3 is the best this run knows";
}

TEST_F(BestRecord, SavesThatKeepFailingAreReportedOnceUntilOneSucceedsAgain)
{
    rt.store.userDataDir = "";
    rt.store.failingFiles[std::string(kDataFile)] = "QuotaExceededError";
    launchIntoGame();
    playAndLose(1, 1);
    playAndLose(2, 1);
    EXPECT_THAT(rt.problems,
                ElementsAre("pelindra: could not save the best record to /opt/pelindra/data.dat: "
                            "QuotaExceededError; it is kept only while the program runs"));
    EXPECT_EQ(text(kBestScoreLabel), "2") << "the run goes on with its own best";

    rt.store.failingFiles.clear();
    playAndLose(3, 1);
    EXPECT_EQ(stored(), "[Mybest]\r\nScore=3\r\nTime=1\r\n");
    rt.store.failingFiles[std::string(kDataFile)] = "QuotaExceededError";
    playAndLose(4, 1);
    EXPECT_EQ(rt.problems.size(), 2u) << "a failure after a success is news again";
}

TEST_F(BestRecord, ALaterRunFindsARecordThatOnlyTheUsersFileCouldTake)
{
    store("[Mybest]\r\nScore=1\r\nTime=1\r\n");
    rt.store.files[std::string(kOwnFile)] = "[Mybest]\r\nScore=6\r\nTime=9\r\n";
    launch();
    EXPECT_EQ(state.recordFile, kDataFile) << "the program's directory takes files again";
    EXPECT_EQ(state.bestScore, "6");
    EXPECT_EQ(state.bestTime, "9");
}

// Start-up when the locked read fails: what is there still counts, from both places, and one line says
// how it was read. Also a record that only the user's file took, beside a full disk with no data.dat.
enum class Trouble
{
    LockHeld,
    Unreadable,
    FullDisk
};

struct StartUpCase
{
    std::string name;
    std::optional<std::string> beside, own;
    Trouble trouble;
    std::string bestScore;
    std::string problem; // after "pelindra: could not read the best record from <data.dat>"; "" for none
};

class StartUp : public BestRecord, public ::testing::WithParamInterface<StartUpCase>
{};

TEST_P(StartUp, ReadsWhatIsThereWhateverTheLockDoes)
{
    const auto& c = GetParam();
    const std::string beside(kDataFile);
    if (c.beside)
        store(*c.beside);
    if (c.own)
        rt.store.files[std::string(kOwnFile)] = *c.own;
    switch (c.trouble) {
    case Trouble::Unreadable:
        rt.store.unreadableFiles[beside] = "Input/output error";
        [[fallthrough]];
    case Trouble::LockHeld:
        rt.store.lockedFiles[beside] = "another program held it locked for more than 200 ms";
        break;
    case Trouble::FullDisk:
        rt.store.failingFiles[beside] = "No space left on device";
    }
    launch();
    EXPECT_EQ(state.bestScore, c.bestScore);
    EXPECT_EQ(rt.problems, c.problem.empty() ? std::vector<std::string>{}
                                             : std::vector{"pelindra: could not read the best record from " +
                                                           beside + c.problem});
    EXPECT_THAT(rt.callsStartingWith("UpdateConfigItems"),
                ElementsAre("UpdateConfigItems " + beside + " briefly"));
}

const std::string kUnlocked = " under its lock: another program held it locked for more than 200 ms; read it "
                              "without the lock instead";

INSTANTIATE_TEST_SUITE_P(
    Reads, StartUp,
    ::testing::Values(
        StartUpCase{"ALockHeldElsewhere", "[Mybest]\r\nScore=9\r\n", {}, Trouble::LockHeld, "9", kUnlocked},
        StartUpCase{"ALockHeldElsewhereAndAHigherOwnRecord", "[Mybest]\r\nScore=1\r\n",
                    "[Mybest]\r\nScore=6\r\n", Trouble::LockHeld, "6", kUnlocked},
        StartUpCase{"AFileThatCannotBeRead", "[Mybest]\r\nScore=9\r\n", "[Mybest]\r\nScore=2\r\n",
                    Trouble::Unreadable, "2", ": Input/output error"},
        StartUpCase{
            "AFullDiskWithNoFileYet", {}, "[Mybest]\r\nScore=1\r\nTime=0\r\n", Trouble::FullDisk, "1", ""}),
    fixtures::ByCaseName{});

TEST_F(BestRecord, ARecordOnScreenIsSavedOnceWhenTheProgramIsBeingEndedAndNothingElseIs)
{
    store("[Mybest]\r\nScore=1\r\nTime=5\r\n");
    launchIntoGame();
    rt.ProgramEnding();
    std::string whileUp;
    onModal = [&](std::string_view) {
        rt.ProgramEnding();
        whileUp = stored();
    };
    playAndLose(3, 4);
    EXPECT_EQ(whileUp, "[Mybest]\r\nScore=3\r\nTime=4\r\n");
    EXPECT_THAT(rt.callsStartingWith("Wrote"),
                ElementsAre("Wrote /opt/pelindra/data.dat Mybest.Score=\"3\" Mybest.Time=\"4\""));
    rt.ProgramEnding();
    EXPECT_EQ(rt.callsStartingWith("Wrote").size(), 1u) << "the window's close saves nothing more";
}

TEST_F(BestRecord, ALinkThePlayerDoesNotOwnIsLeftAloneAndTheRecordGoesToTheUsersFile)
{
    store("[Mybest]\r\nScore=9\r\nTime=9\r\n");
    rt.store.refusedFiles[std::string(kDataFile)] = "it is a link that belongs to another user";
    launchIntoGame();
    EXPECT_THAT(
        rt.problems,
        ElementsAre("pelindra: not using /opt/pelindra/data.dat: it is a link that belongs to another "
                    "user; keeping the record in " +
                    std::string(kOwnFile) + " instead"));
    EXPECT_EQ(state.recordFile, kOwnFile);
    EXPECT_EQ(state.bestScore, "0") << "not read through the link either";
    playAndLose(2, 3);
    EXPECT_EQ(rt.store.files.at(std::string(kOwnFile)), "[Mybest]\r\nTime=3\r\nScore=2\r\n");
    EXPECT_EQ(stored(), "[Mybest]\r\nScore=9\r\nTime=9\r\n");
}

TEST_F(BestRecord, AProgramDirectoryThatCannotBeToldNeverPutsTheFileAtTheRoot)
{
    rt.store.programDir = "";
    launchIntoGame();
    EXPECT_EQ(state.recordFile, kOwnFile);
    playAndLose(1, 1);
    EXPECT_FALSE(rt.store.files.contains("/data.dat"));
    EXPECT_EQ(rt.store.files.at(std::string(kOwnFile)), "[Mybest]\r\nTime=1\r\nScore=1\r\n");
}

} // namespace
} // namespace pelindra
