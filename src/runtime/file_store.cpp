// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_store.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace pelindra {
namespace {

using Status = FileOps::Status;
using Outcome = UpdateResult::Outcome;

std::string because(std::string_view what, const FileOps::Result& result)
{
    return std::string(what) + ": " + result.fault;
}

UpdateResult failed(std::string reason)
{
    return {Outcome::Failed, std::move(reason)};
}

// The whole file at target; nothing, with why, when it cannot be read.
FileOps::Result readWhole(FileOps& files, const std::string& target, std::string& contents)
{
    auto opened = files.open(target, FileOps::Access::Read);
    if (!opened.file)
        return opened.result;
    return opened.file->readAll(contents);
}

} // namespace

FileStore::FileStore(std::unique_ptr<FileOps> files, std::string programDirectory,
                     std::string userDataDirectory)
    : SettingsStore(std::move(programDirectory), std::move(userDataDirectory)), files_(std::move(files))
{}

std::string FileStore::join(std::string_view directory, std::string_view name)
{
    return files_->join(directory, name);
}

FileCheck FileStore::check(std::string_view path)
{
    using Verdict = FileCheck::Verdict;
    const auto where = files_->resolve(path);
    if (where.refusal)
        return {Verdict::Refused, *where.refusal};
    if (files_->exists(where.target)) {
        std::string contents;
        if (const auto reading = readWhole(*files_, where.target, contents); reading.status != Status::Done)
            return {Verdict::Unwritable, because("it cannot be read", reading)};
        if (const auto opened = files_->open(where.target, FileOps::Access::ReadWrite); !opened.file)
            return {Verdict::Unwritable, because("it cannot be opened for writing", opened.result)};
    }
    if (const auto probe = files_->probe(where.target); probe.status != Status::Done)
        return {Verdict::Unwritable, probe.fault};
    return {};
}

ConfigRead FileStore::read(std::string_view path)
{
    const auto where = files_->resolve(path);
    if (where.refusal)
        return {false, {}, *where.refusal};
    if (!files_->exists(where.target))
        return {true, {}, {}};
    std::string contents;
    if (const auto reading = readWhole(*files_, where.target, contents); reading.status != Status::Done)
        return {false, {}, because("it cannot be read", reading)};
    return {true, {true, std::move(contents)}, {}};
}

UpdateResult FileStore::update(std::string_view path, const UpdateDecision& decide,
                               std::chrono::milliseconds lockWait)
{
    if (const auto own = userDataDirectory(); !own.empty() && files_->directoryOf(path) == own)
        files_->makeDirectories(own);
    const auto where = files_->resolve(path);
    if (where.refusal)
        return failed(*where.refusal);
    const auto deadline = Clock::now() + lockWait;
    for (;;) {
        if (auto result = attempt(where.target, decide, deadline, lockWait))
            return std::move(*result);
        if (Clock::now() >= deadline)
            return failed("other programs kept replacing it for more than " +
                          std::to_string(lockWait.count()) + " ms");
    }
}

// One round of the protocol on target. Nothing means that another copy replaced or made the file
// meanwhile, and the update starts again on the file that is there now.
std::optional<UpdateResult> FileStore::attempt(const std::string& target, const UpdateDecision& decide,
                                               Clock::time_point deadline, std::chrono::milliseconds wait)
{
    const auto opened = files_->open(target, FileOps::Access::ReadWrite);
    if (opened.result.status == Status::Missing)
        return create(target, decide);
    if (!opened.file)
        return failed(because("it cannot be opened for writing", opened.result));
    auto& file = *opened.file;
    for (auto lock = file.tryLock(); lock.status != Status::Done && lock.status != Status::NoLocks;
         lock = file.tryLock()) {
        if (lock.status != Status::Busy)
            return failed(because("it could not be locked", lock));
        const auto now = Clock::now();
        if (now >= deadline)
            return failed("another program held it locked for more than " + std::to_string(wait.count()) +
                          " ms");
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(10), deadline - now));
    }
    if (!file.isAt(target))
        return std::nullopt;
    ConfigSnapshot now{true, {}};
    if (const auto reading = file.readAll(now.contents); reading.status != Status::Done)
        return failed(because("it cannot be read", reading));
    const auto contents = decideContents(now, decide);
    if (!contents)
        return UpdateResult{Outcome::Kept, {}};
    if (const auto replaced = file.replace(*contents); replaced.status != Status::Done)
        return failed(replaced.fault);
    return UpdateResult{Outcome::Written, {}};
}

// The first file at target. Nothing means that another copy made one first.
std::optional<UpdateResult> FileStore::create(const std::string& target, const UpdateDecision& decide)
{
    const auto contents = decideContents(ConfigSnapshot{}, decide);
    if (!contents)
        return UpdateResult{Outcome::Kept, {}};
    const auto created = files_->createExclusively(target, *contents);
    if (created.status == Status::Exists)
        return std::nullopt;
    if (created.status != Status::Done)
        return failed(created.fault);
    return UpdateResult{Outcome::Written, {}};
}

} // namespace pelindra
