// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows_files.h"

#include "text.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <shlobj.h>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

namespace pelindra::win32 {
namespace {

using Status = FileOps::Status;
using Result = FileOps::Result;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// From this length on a path needs the \\?\ prefix: a folder must leave room for an 8.3 name in it.
constexpr std::size_t kLongPath = MAX_PATH - 12;
// The longest path Windows knows, in UTF-16 units.
constexpr std::size_t kLongestPath = 32767;

// The locked byte: beyond kMaxFileBytes, so that no reader of a file we would ever replace reaches it,
// and below 4 GiB, for file servers that take only 32-bit lock offsets.
constexpr DWORD kLockOffset = 0xFFFFFFFE;

// A virus scanner or an indexer that opens a new file keeps it from being renamed for a moment.
constexpr std::chrono::milliseconds kBusyWait{1000};

// A reparse point whose tag cannot be read: treated as a link, since it may be one.
constexpr DWORD kUnknownLink = 0x20000000;

// The system's words for an error, in English where Windows has them, without the final full stop, so
// that they read as part of our own sentences.
std::string errorText(DWORD error)
{
    constexpr DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t* text = nullptr;
    for (const DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}}) {
        if (FormatMessageW(flags, nullptr, error, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr) != 0)
            break;
    }
    std::wstring words = text != nullptr ? text : L"";
    LocalFree(text);
    while (!words.empty() &&
           (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ' || words.back() == L'.'))
        words.pop_back();
    return words.empty() ? "error " + std::to_string(error) : toUtf8(words);
}

Result fault(DWORD error = GetLastError())
{
    return {Status::Failed, errorText(error)};
}

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~Handle()
    {
        if (*this)
            CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    // CreateFileW fails with INVALID_HANDLE_VALUE, OpenProcess with null.
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HANDLE handle_;
};

std::string joinPath(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    return path.append(name);
}

std::string directoryPart(std::string_view path)
{
    const auto cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return ".";
    // A root keeps its separator: "\" and "C:\".
    if (cut == 0 || (cut == 2 && path[1] == ':'))
        return std::string(path.substr(0, cut + 1));
    return std::string(path.substr(0, cut));
}

std::string fileNamePart(std::string_view path)
{
    return std::string(path.substr(path.find_last_of("\\/") + 1));
}

// The path as the calls take it: UTF-16, backslashes, and a long one made whole behind \\?\, where
// Windows leaves it as it is.
std::wstring native(std::string_view path)
{
    auto wide = toUtf16(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.size() < kLongPath || wide.starts_with(LR"(\\?\)") || wide.starts_with(LR"(\\.\)"))
        return wide;
    std::wstring full(kLongestPath + 1, L'\0');
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return wide;
    full.resize(length);
    return full.starts_with(LR"(\\)") ? LR"(\\?\UNC\)" + full.substr(2) : LR"(\\?\)" + full;
}

std::uint64_t startOf(HANDLE process)
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// Temporary files are named after the process that makes them, by its id and its start, which no later
// process with the same id shares: "data.dat.tmp-<id>-<start>-<n>". "tmp" is a copy on its way in, or a
// probe; "old" is a replaced file on its way out.
std::string temporaryName(std::string_view path, std::string_view kind)
{
    static const std::string self =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(startOf(GetCurrentProcess())) + "-";
    static std::atomic<unsigned> counter{0};
    return std::string(path) + "." + std::string(kind) + "-" + self + std::to_string(counter++);
}

// Whether the process that named a temporary file has ended, from the part of the name after its kind.
// One that cannot be asked may still run.
bool writerGone(std::string_view named)
{
    DWORD id = 0;
    std::uint64_t start = 0;
    const char* end = named.data() + named.size();
    const auto [dash, idError] = std::from_chars(named.data(), end, id);
    if (idError != std::errc() || dash == end || *dash != '-' ||
        std::from_chars(dash + 1, end, start).ec != std::errc())
        return false;
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    const auto started = startOf(process.get());
    DWORD code = 0;
    return started != 0 &&
           (started != start || (GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE));
}

struct Leftover
{
    std::wstring path;
    std::uint64_t written = 0;
};

// The temporary files of one kind beside target whose writers have ended, or with ended false, whose
// writers may still run.
std::vector<Leftover> leftovers(const std::string& target, std::string_view kind, bool ended = true)
{
    const auto prefix = fileNamePart(target) + "." + std::string(kind) + "-";
    std::vector<Leftover> found;
    WIN32_FIND_DATAW entry;
    const HANDLE listing =
        FindFirstFileW(native(joinPath(directoryPart(target), prefix + "*")).c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE)
        return found;
    do {
        const auto name = toUtf8(entry.cFileName);
        if (name.starts_with(prefix) && writerGone(std::string_view(name).substr(prefix.size())) == ended)
            found.push_back({native(joinPath(directoryPart(target), name)),
                             (std::uint64_t{entry.ftLastWriteTime.dwHighDateTime} << 32) |
                                 entry.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
    return found;
}

// The file that a writer killed inside its replacement had moved aside, put back where nothing stands
// now. Of several, left by writers killed one after the other, the last one written is the newest.
// True when one was.
bool restoreMovedAside(const std::string& target)
{
    auto found = leftovers(target, "old");
    const auto newest = std::ranges::max_element(found, {}, &Leftover::written);
    return newest != found.end() &&
           MoveFileExW(newest->path.c_str(), native(target).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

// For an instant nothing stands at target while another copy is inside its replacement, between moving
// the old file aside and putting the new one in. Waits for the new one, rather than take the file for
// missing and make a first one over it; true once something stands there.
bool waitForReplacement(const std::string& target)
{
    const auto wide = native(target);
    const auto there = [&wide] { return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES; };
    const auto until = std::chrono::steady_clock::now() + kBusyWait;
    while (std::chrono::steady_clock::now() < until) {
        if (there())
            return true;
        if (leftovers(target, "old", false).empty())
            return false;
        Sleep(2);
    }
    return there();
}

void sweep(const std::string& target)
{
    for (const auto kind : {"tmp", "old"}) {
        for (const auto& left : leftovers(target, kind))
            DeleteFileW(left.path.c_str());
    }
}

// ReplaceFileW has no write-through of its own: a flush of the new file has the file system commit it,
// name and all. Then what killed writers left beside it can go.
void settle(const std::string& target)
{
    if (const Handle file(CreateFileW(native(target).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        file)
        FlushFileBuffers(file.get());
    sweep(target);
}

bool writeAll(HANDLE file, std::string_view data)
{
    while (!data.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1U << 20));
        DWORD written = 0;
        if (!WriteFile(file, data.data(), chunk, &written, nullptr))
            return false;
        data.remove_prefix(written);
    }
    return true;
}

// Writes contents to a new file beside target, flushed to the disk, and names it; the error otherwise,
// with nothing left behind.
DWORD stage(const std::string& target, std::string_view contents, std::wstring& staged)
{
    staged = native(temporaryName(target, "tmp"));
    DWORD error = ERROR_SUCCESS;
    {
        const Handle file(CreateFileW(staged.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return GetLastError();
        if (!writeAll(file.get(), contents) || !FlushFileBuffers(file.get()))
            error = GetLastError();
    }
    if (error != ERROR_SUCCESS)
        DeleteFileW(staged.c_str());
    return error;
}

bool busy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Puts staged in target's place, moving the old file aside on the way. Where ReplaceFileW gives up having
// changed nothing, as on file systems that do not support it, MoveFileExW has a go; where it stops
// halfway, the new file is moved in, or else the old one back.
DWORD putInPlace(const std::wstring& target, const std::wstring& staged, const std::wstring& aside)
{
    constexpr DWORD flags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
    const auto until = std::chrono::steady_clock::now() + kBusyWait;
    for (;;) {
        if (ReplaceFileW(target.c_str(), staged.c_str(), aside.c_str(), flags, nullptr, nullptr))
            return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
                return ERROR_SUCCESS;
            const DWORD moving = GetLastError();
            MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
            return moving;
        }
        if (busy(error) && std::chrono::steady_clock::now() < until) {
            Sleep(10);
            continue;
        }
        if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return ERROR_SUCCESS;
        return error;
    }
}

DWORD reparseTag(HANDLE file)
{
    FILE_ATTRIBUTE_TAG_INFO tagged{};
    if (GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tagged, sizeof tagged))
        return (tagged.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? tagged.ReparseTag : 0;
    BY_HANDLE_FILE_INFORMATION plain{};
    return GetFileInformationByHandle(file, &plain) &&
                   (plain.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
               ? kUnknownLink
               : 0;
}

// Links stand for another name; other reparse points belong to file system filters, which keep the
// file's contents themselves.
std::optional<std::string> refusalOf(DWORD tag)
{
    if (!IsReparseTagNameSurrogate(tag))
        return std::nullopt;
    if (tag == IO_REPARSE_TAG_SYMLINK)
        return "it is a symbolic link, which this program does not follow";
    if (tag == IO_REPARSE_TAG_MOUNT_POINT)
        return "it is a junction, which this program does not follow";
    return "it is a link of another kind, which this program does not follow";
}

std::wstring finalPath(HANDLE file)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED);
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

// Whether a file just made lies in the folder itself, not in the copy of it that UAC's virtualisation
// keeps in the user's profile for a program without a manifest. Where it cannot be told, it does.
bool inFolder(HANDLE made, const std::wstring& folder)
{
    const Handle opened(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    auto there = opened ? finalPath(opened.get()) : std::wstring();
    const auto file = finalPath(made);
    if (there.empty() || file.empty())
        return true;
    while (there.ends_with(L'\\'))
        there.pop_back();
    const auto parent = file.substr(0, file.rfind(L'\\'));
    return CompareStringOrdinal(parent.c_str(), -1, there.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// An open file that holds its lock, if any, until it goes.
class WindowsFile final : public FileOps::File
{
public:
    WindowsFile(Handle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
    ~WindowsFile() override
    {
        // Windows lets go of the locks of a closed handle only when it gets round to it.
        if (locked_) {
            OVERLAPPED at = lockPlace();
            UnlockFileEx(file_.get(), 0, 1, 0, &at);
        }
    }
    WindowsFile(const WindowsFile&) = delete;
    WindowsFile& operator=(const WindowsFile&) = delete;

    Result tryLock() override
    {
        OVERLAPPED at = lockPlace();
        if (LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            locked_ = true;
            return {};
        }
        const DWORD error = GetLastError();
        if (error == ERROR_LOCK_VIOLATION)
            return {Status::Busy, {}};
        if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
            return {Status::NoLocks, {}};
        return fault(error);
    }

    bool isAt(std::string_view path) override
    {
        BY_HANDLE_FILE_INFORMATION mine{};
        if (!GetFileInformationByHandle(file_.get(), &mine))
            return true;
        // Where file indexes are not for ever (FAT), an index alone may not tell a file from the one that
        // took its place; a replaced file that we still hold is pending deletion.
        FILE_STANDARD_INFO standard{};
        if (GetFileInformationByHandleEx(file_.get(), FileStandardInfo, &standard, sizeof standard) &&
            standard.DeletePending)
            return false;
        const Handle named(CreateFileW(native(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                       OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION there{};
        return named && GetFileInformationByHandle(named.get(), &there) &&
               there.dwVolumeSerialNumber == mine.dwVolumeSerialNumber &&
               there.nFileIndexHigh == mine.nFileIndexHigh && there.nFileIndexLow == mine.nFileIndexLow;
    }

    Result readAll(std::string& contents) override
    {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file_.get(), &info))
            return fault();
        if (GetFileType(file_.get()) != FILE_TYPE_DISK ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return fault(ERROR_INVALID_PARAMETER);
        if (((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow) > kMaxFileBytes)
            return fault(ERROR_FILE_TOO_LARGE);
        if (!SetFilePointerEx(file_.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN))
            return fault();
        std::string data;
        data.reserve(info.nFileSizeLow);
        // To its end, which may have moved since.
        for (char chunk[65536];;) {
            DWORD read = 0;
            if (!ReadFile(file_.get(), chunk, sizeof chunk, &read, nullptr))
                return fault();
            if (read == 0)
                break;
            if (data.size() + read > kMaxFileBytes)
                return fault(ERROR_FILE_TOO_LARGE);
            data.append(chunk, read);
        }
        contents = std::move(data);
        return {};
    }

    Result replace(std::string_view contents) override
    {
        std::wstring staged;
        if (const DWORD error = stage(path_, contents, staged); error != ERROR_SUCCESS)
            return fault(error);
        const auto aside = native(temporaryName(path_, "old"));
        if (const DWORD error = putInPlace(native(path_), staged, aside); error != ERROR_SUCCESS) {
            DeleteFileW(staged.c_str());
            return fault(error);
        }
        // Other copies that still hold the old file keep it until they let go; its name goes now.
        DeleteFileW(aside.c_str());
        settle(path_);
        return {};
    }

private:
    static OVERLAPPED lockPlace()
    {
        OVERLAPPED at{};
        at.Offset = kLockOffset;
        return at;
    }

    Handle file_;
    std::string path_;
    bool locked_ = false;
};

// Backslashes, and forward slashes taken as the same; a name-surrogate reparse point (a symbolic link,
// a junction) refused; and a file that a killed writer left moved aside put back before it is looked
// for.
class WindowsFiles final : public FileOps
{
public:
    std::string join(std::string_view directory, std::string_view name) override
    {
        return joinPath(directory, name);
    }

    std::string directoryOf(std::string_view path) override { return directoryPart(path); }

    bool makeDirectories(std::string_view given) override
    {
        const std::string path(given);
        const auto wide = native(path);
        if (const DWORD attributes = GetFileAttributesW(wide.c_str()); attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (const auto parent = directoryPart(path); parent.size() < path.size() && parent != ".")
            makeDirectories(parent);
        CreateDirectoryW(wide.c_str(), nullptr);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    Resolved resolve(std::string_view given) override
    {
        std::string path(given);
        const Handle file(CreateFileW(native(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file)
            return {std::move(path), {}};
        auto refusal = refusalOf(reparseTag(file.get()));
        return {std::move(path), std::move(refusal)};
    }

    // A file that a writer killed inside its replacement had moved aside is there all the same.
    bool exists(std::string_view given) override
    {
        const std::string path(given);
        return GetFileAttributesW(native(path).c_str()) != INVALID_FILE_ATTRIBUTES ||
               (GetLastError() == ERROR_FILE_NOT_FOUND &&
                (restoreMovedAside(path) || waitForReplacement(path)));
    }

    Opened open(std::string_view given, Access access) override
    {
        std::string path(given);
        const auto wide = native(path);
        const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
        const auto openAs = [&](DWORD flags) {
            return Handle(
                CreateFileW(wide.c_str(), rights, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
        };
        auto file = openAs(FILE_FLAG_OPEN_REPARSE_POINT);
        if (!file) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return {nullptr, fault(error)};
            if (!restoreMovedAside(path) && !waitForReplacement(path))
                return {nullptr, {Status::Missing, errorText(error)}};
            file = openAs(FILE_FLAG_OPEN_REPARSE_POINT);
            if (!file)
                return {nullptr, fault()};
        }
        const DWORD tag = reparseTag(file.get());
        if (auto refusal = refusalOf(tag))
            return {nullptr, {Status::Failed, std::move(*refusal)}};
        // A filter's own reparse point: opened again through the filter, which gives the contents.
        if (tag != 0 && !(file = openAs(FILE_ATTRIBUTE_NORMAL)))
            return {nullptr, fault()};
        return {std::make_unique<WindowsFile>(std::move(file), std::move(path)), {}};
    }

    // Made whole under a temporary name, then moved to the path, which fails when another copy got there
    // first.
    Result createExclusively(std::string_view given, std::string_view contents) override
    {
        const std::string target(given);
        std::wstring staged;
        if (const DWORD error = stage(target, contents, staged); error != ERROR_SUCCESS)
            return fault(error);
        if (MoveFileExW(staged.c_str(), native(target).c_str(), MOVEFILE_WRITE_THROUGH)) {
            sweep(target);
            return {};
        }
        const DWORD error = GetLastError();
        DeleteFileW(staged.c_str());
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
            return {Status::Exists, {}};
        return fault(error);
    }

    Result probe(std::string_view path) override
    {
        const Handle file(CreateFileW(native(temporaryName(path, "tmp")).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
        if (!file)
            return fault();
        if (!inFolder(file.get(), native(directoryPart(path))))
            return fault(ERROR_ACCESS_DENIED);
        return {};
    }
};

} // namespace

std::string programDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        // Cut short, which Windows XP does without a word.
        if (path.size() > kLongestPath)
            return {};
        path.resize(path.size() * 2);
    }
    return directoryPart(toUtf8(path));
}

std::string userDataDirectory(std::string_view application)
{
    std::wstring base;
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known)) && known != nullptr)
        base = known;
    CoTaskMemFree(known);
    if (base.empty()) {
        base.resize(kLongestPath + 1);
        const DWORD length =
            GetEnvironmentVariableW(L"APPDATA", base.data(), static_cast<DWORD>(base.size()));
        base.resize(length < base.size() ? length : 0);
    }
    // Only a whole path: "C:\..." or "\\server\...".
    if (base.size() < 3 || (base[1] != L':' && !base.starts_with(LR"(\\)")))
        return {};
    return joinPath(toUtf8(base), application);
}

FileStore storeOfThisProgram(std::string_view application)
{
    return storeIn(programDirectory(), userDataDirectory(application));
}

FileStore storeIn(std::string programDirectory, std::string userDataDirectory)
{
    FileStore store(std::make_unique<WindowsFiles>(), std::move(programDirectory),
                    std::move(userDataDirectory));
    store.tellOfReadOnlyProgramDirectory = true;
    return store;
}

} // namespace pelindra::win32
