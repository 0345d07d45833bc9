// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The few things the settings files' protocol (file_store.h) asks of a file system, so that the protocol
// is written once and each system answers in its own calls: POSIX on Linux, Win32 on Windows, a map in
// tests. Paths are the bytes the system knows a file by; on Windows they are UTF-8 here and UTF-16
// inside the calls. A failure comes back in the system's own words ("Permission denied"), which the
// protocol passes on to the player after words of its own.
//
// A system's store is a FileStore over its FileOps, made with the program's directory (on Windows,
// GetModuleFileNameW's path without its last part) and the per-user data directory (%APPDATA%\Pelindra),
// which the store creates through makeDirectories only when a file is about to be kept there.
//
// What each operation must guarantee:
// - join, directoryOf: the system's own separators (a backslash on Windows, where a slash is taken as
//   well). directoryOf gives the path without its last part, as join would have built it.
// - makeDirectories: the directory and those above it that are missing, private to the user where the
//   system has such a thing; true when the directory is there afterwards.
// - resolve: the link rule. A path that is no link resolves to itself. A link this program may follow
//   resolves to the file it finally leads to, so that a replacement is made beside that file and the
//   link stays; any other link or junction is refused, with the reason for the player. A Windows store
//   refuses them all; a reparse point that stands for no other name (a OneDrive placeholder, a
//   deduplicated file) is the file itself.
// - exists: whether anything at all stands at the path, a directory or a broken link included; false
//   also when the system will not say.
// - open: opens what stands at the path, without following a link, without waiting on what is no
//   regular file (a FIFO, a device), and with sharing that lets other programs read, write, lock,
//   rename and replace the file meanwhile (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE on
//   Windows). Missing only when nothing stands there.
// - createExclusively: the first file at the path, whole or not at all: the contents go to a
//   temporary file beside it, which is flushed to the disk and then put in place only if nothing
//   stands there yet (a hard link, or MoveFileExW without MOVEFILE_REPLACE_EXISTING); Exists when
//   something did, and then nothing is left behind. What is in place lasts a crash of the machine.
// - probe: whether a new file can be made beside the path now; it leaves nothing behind.
// - File::tryLock: takes an exclusive lock on the open file without waiting, held until the File
//   goes, which other copies of the program see from any process, and which never stops a plain
//   read of the file by anyone (on Windows, LockFileEx on a range beyond any real size). Busy while
//   another holds it; NoLocks where the file system gives no locks at all.
// - File::isAt: whether the path names this very file now, not one that has replaced it; true when
//   this file itself cannot be looked at, so that readAll says why.
// - File::readAll: the whole of this file from its start, as bytes; it fails for anything but a
//   regular file of at most kMaxFileBytes.
// - File::replace: puts the contents in the place of this file, at the path it was opened by, in
//   one atomic step after they are flushed to the disk in a temporary file beside it (ReplaceFileW on
//   Windows): a crash at any moment leaves the old file or the new one whole. The new file keeps
//   what the old one's owner gave it, as far as this user may: its mode, owner and group on POSIX,
//   its security descriptor and attributes on Windows. On failure the old file stands as it was and
//   nothing is left behind.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pelindra {

// Larger files are left alone, read as unreadable and never rewritten.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

class FileOps
{
public:
    enum class Status : std::uint8_t
    {
        Done,
        Missing, // open: nothing stands at the path
        Exists,  // createExclusively: something stood there first; nothing was written
        Busy,    // File::tryLock: another holds the lock; it may be free later
        NoLocks, // File::tryLock: this file system gives no locks; go ahead without one
        Failed,
    };
    struct Result
    {
        Status status = Status::Done;
        std::string fault; // with Failed, why in the system's words
    };

    class File
    {
    public:
        virtual ~File() = default;
        virtual Result tryLock() = 0;
        virtual bool isAt(std::string_view path) = 0;
        virtual Result readAll(std::string& contents) = 0;
        virtual Result replace(std::string_view contents) = 0;
    };

    enum class Access : std::uint8_t
    {
        Read,
        ReadWrite
    };
    struct Opened
    {
        std::unique_ptr<File> file; // none unless Done
        Result result;
    };

    struct Resolved
    {
        std::string target;
        std::optional<std::string> refusal; // why the link is not followed
    };

    virtual ~FileOps() = default;

    virtual std::string join(std::string_view directory, std::string_view name) = 0;
    virtual std::string directoryOf(std::string_view path) = 0;
    virtual bool makeDirectories(std::string_view path) = 0;
    virtual Resolved resolve(std::string_view path) = 0;
    virtual bool exists(std::string_view path) = 0;
    virtual Opened open(std::string_view path, Access access) = 0;
    virtual Result createExclusively(std::string_view path, std::string_view contents) = 0;
    virtual Result probe(std::string_view path) = 0;
};

} // namespace pelindra
