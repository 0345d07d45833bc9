// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_storage.h"

#include "stored_bytes.h"

namespace pelindra::web {

using emscripten::val;

namespace {

// Project pages under one user's site share an origin, and so one localStorage: the program's name
// keeps ours apart from theirs. A slash, because no file name holds one, and the key reads like the
// path the warnings give.
std::string keyOf(std::string_view path)
{
    return "pelindra/" + std::string(slashed::fileNameOf(path));
}

} // namespace

LocalStorage::LocalStorage() : SettingsStore("localStorage"), page_(val::module_property("pelindraStorage"))
{}

std::string LocalStorage::join(std::string_view directory, std::string_view name)
{
    return slashed::join(directory, name);
}

// Earlier pages kept the record under its bare file name. It moves to our key the first time it is
// read, and the old key goes only once the new one holds it; until a write succeeds it is read from
// where it is.
val LocalStorage::storedText(std::string_view path)
{
    const auto key = keyOf(path);
    auto answer = page_.call<val>("get", key);
    if (!answer["ok"].as<bool>() || !answer["text"].isNull())
        return answer;
    const std::string oldKey(slashed::fileNameOf(path));
    auto old = page_.call<val>("get", oldKey);
    if (!old["ok"].as<bool>() || old["text"].isNull())
        return answer;
    if (page_.call<std::string>("set", key, old["text"]).empty())
        page_.call<void>("remove", oldKey);
    return old;
}

ConfigRead LocalStorage::read(std::string_view path)
{
    const auto answer = storedText(path);
    if (!answer["ok"].as<bool>())
        return {false, {}, answer["reason"].as<std::string>()};
    const auto text = answer["text"];
    if (text.isNull())
        return {true, {}, {}};
    return {true, {true, bytesOfStored(text.as<std::u16string>())}, {}};
}

UpdateResult LocalStorage::update(std::string_view path, const UpdateDecision& decide,
                                  std::chrono::milliseconds)
{
    const auto stored = read(path);
    if (!stored.ok)
        return {UpdateResult::Outcome::Failed, stored.reason};
    const auto bytes = decideContents(stored.snapshot, decide);
    if (!bytes)
        return {UpdateResult::Outcome::Kept, {}};
    auto failure = page_.call<std::string>("set", keyOf(path), storedFormOf(*bytes));
    if (!failure.empty())
        return {UpdateResult::Outcome::Failed, std::move(failure)};
    return {UpdateResult::Outcome::Written, {}};
}

} // namespace pelindra::web
