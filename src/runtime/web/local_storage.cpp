// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_storage.h"

#include "stored_bytes.h"

namespace pelindra::web {

using emscripten::val;

namespace {

constexpr std::string_view kDirectory = "localStorage";

std::string keyOf(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

LocalStorage::LocalStorage() : page_(val::module_property("pelindraStorage")) {}

std::string LocalStorage::programDirectory()
{
    return std::string(kDirectory);
}

std::string LocalStorage::userDataDirectory()
{
    return {};
}

ConfigRead LocalStorage::read(std::string_view path)
{
    const auto answer = page_.call<val>("get", keyOf(path));
    if (!answer["ok"].as<bool>())
        return {false, {}, answer["reason"].as<std::string>()};
    const auto text = answer["text"];
    if (text.isNull())
        return {true, {}, {}};
    return {true, {true, bytesOfStored(text.as<std::u16string>())}, {}};
}

bool LocalStorage::exists(std::string_view path)
{
    const auto stored = read(path);
    return stored.ok && stored.snapshot.exists;
}

FileCheck LocalStorage::check(std::string_view path)
{
    const auto stored = read(path);
    if (stored.ok)
        return {};
    return {FileCheck::Verdict::Unwritable, stored.reason};
}

UpdateResult LocalStorage::update(std::string_view path, const UpdateDecision& decide,
                                  std::chrono::milliseconds)
{
    const auto stored = read(path);
    if (!stored.ok)
        return {UpdateResult::Outcome::Failed, stored.reason};
    const auto items = decide(stored.snapshot);
    if (items.empty())
        return {UpdateResult::Outcome::Kept, {}};
    const auto bytes = applyConfigItems(stored.snapshot.contents, items);
    auto failure = page_.call<std::string>("set", keyOf(path), storedFormOf(bytes));
    if (!failure.empty())
        return {UpdateResult::Outcome::Failed, std::move(failure)};
    return {UpdateResult::Outcome::Written, {}};
}

} // namespace pelindra::web
