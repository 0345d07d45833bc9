// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_store.h"

#include "paths.h"
#include "settings_file.h"

#include <utility>

namespace pelindra::settings {

FileStore FileStore::ofThisProgram(std::string_view application)
{
    return FileStore(paths::programDirectory(), paths::userDataDirectory(application));
}

FileStore::FileStore(std::string programDirectory, std::string userDataDirectory)
    : programDirectory_(std::move(programDirectory)), userDataDirectory_(std::move(userDataDirectory))
{}

std::string FileStore::programDirectory()
{
    return programDirectory_;
}

std::string FileStore::userDataDirectory()
{
    return userDataDirectory_;
}

bool FileStore::exists(std::string_view path)
{
    return settings::exists(std::string(path));
}

FileCheck FileStore::check(std::string_view path)
{
    return settings::check(std::string(path));
}

ConfigRead FileStore::read(std::string_view path)
{
    return settings::read(std::string(path));
}

UpdateResult FileStore::update(std::string_view path, const UpdateDecision& decide,
                               std::chrono::milliseconds lockWait)
{
    if (const auto slash = path.rfind('/'); !userDataDirectory_.empty() && slash != std::string_view::npos &&
                                            path.substr(0, slash) == userDataDirectory_)
        paths::makeDirectories(userDataDirectory_);
    return settings::update(std::string(path), decide, lockWait);
}

} // namespace pelindra::settings
