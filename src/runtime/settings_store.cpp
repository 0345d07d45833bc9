// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_store.h"

namespace pelindra {

std::string Runtime::GetProgramDirectory()
{
    return Store().programDirectory();
}

std::string Runtime::GetUserDataDirectory()
{
    return Store().userDataDirectory();
}

bool Runtime::FileExists(std::string_view path)
{
    return Store().exists(path);
}

FileCheck Runtime::CheckConfigFile(std::string_view path)
{
    return Store().check(path);
}

ConfigRead Runtime::ReadConfigFile(std::string_view file)
{
    return Store().read(file);
}

UpdateResult Runtime::UpdateConfigItems(std::string_view file, const UpdateDecision& decide,
                                        std::chrono::milliseconds lockWait)
{
    return Store().update(file, decide, lockWait);
}

} // namespace pelindra
