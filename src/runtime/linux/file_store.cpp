// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_store.h"

#include "paths.h"
#include "settings_file.h"

namespace pelindra::settings {

FileStore FileStore::ofThisProgram(std::string_view application)
{
    return FileStore(paths::programDirectory(), paths::userDataDirectory(application));
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
    if (!userDataDirectory_.empty() && directoryOf(path) == userDataDirectory_)
        paths::makeDirectories(userDataDirectory_);
    return settings::update(std::string(path), decide, lockWait);
}

} // namespace pelindra::settings
