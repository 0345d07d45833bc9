// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/linux/paths.h"
#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace pelindra::paths {
namespace {

using fixtures::TempDir;
using fixtures::writeBytes;
namespace fs = std::filesystem;

// Sets an environment variable for the length of a test.
class Environment
{
public:
    Environment(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~Environment()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Paths, TheUsersDataDirectoryFollowsTheXdgRulesAsBytes)
{
    const std::string gb18030 = "/tmp/\xCA\xFD\xBE\xDD/"; // "数据" in GB18030, with a trailing slash
    {
        Environment data("XDG_DATA_HOME", gb18030);
        EXPECT_EQ(userDataDirectory("Pelindra"), "/tmp/\xCA\xFD\xBE\xDD/Pelindra");
    }
    Environment home("HOME", "/home/\xB2\xE2\xCA\xD4");
    for (const std::optional<std::string>& ignored :
         {std::optional<std::string>{"relative/data"}, std::optional<std::string>{""},
          std::optional<std::string>{}}) {
        Environment data("XDG_DATA_HOME", ignored);
        EXPECT_EQ(userDataDirectory("Pelindra"), "/home/\xB2\xE2\xCA\xD4/.local/share/Pelindra");
    }
}

TEST(Paths, MakesMissingDirectoriesPrivateAndKnowsWhenAFileIsInTheWay)
{
    TempDir dir;
    const auto deep = dir.file("a/b/\xCA\xFD\xBE\xDD");
    ASSERT_TRUE(makeDirectories(deep));
    ASSERT_TRUE(fs::is_directory(deep));
    struct stat st
    {};
    ::stat(dir.file("a").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(makeDirectories(deep)) << "already there";

    writeBytes(dir.file("file"), "x");
    EXPECT_FALSE(makeDirectories(dir.file("file/below")));
    EXPECT_FALSE(makeDirectories(dir.file("file")));
}

TEST(Paths, TheProgramDirectoryHoldsTheRunningProgram)
{
    const auto directory = programDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.front(), '/');
    EXPECT_NE(directory.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(directory) / "linux_tests"));
}

} // namespace
} // namespace pelindra::paths
