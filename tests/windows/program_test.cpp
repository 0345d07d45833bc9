// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program file as a player starts it, from a folder of its own: its menu comes up, and the end of
// the Windows session ends it with exit code 0.

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

constexpr DWORD kPatience = 30'000; // ms; a passing run waits a fraction of it

TEST(Program, StartsFromItsOwnFolderAndEndsWithTheSessionWithCodeZero)
{
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"pelindra-program-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring program = folder + L"\\Pelindra.exe";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(PELINDRA_PROGRAM_FILE, program.c_str(), FALSE));
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION started{};
    std::wstring command = L"\"" + program + L"\"";
    ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &start, &started));

    // The windows tests run one at a time: these are the program's.
    HWND menu = nullptr;
    for (const ULONGLONG end = GetTickCount64() + kPatience; GetTickCount64() < end && !IsWindowVisible(menu);
         Sleep(20))
        menu = FindWindowW(L"PelindraWindow", L"Pelindra  鼠游板");
    const HWND helper = FindWindowW(L"PelindraHelper", nullptr);
    ASSERT_TRUE(IsWindowVisible(menu));

    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        SendMessageTimeoutW(helper, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kPatience, &answer));
    EXPECT_EQ(WaitForSingleObject(started.hProcess, kPatience), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(started.hProcess, &code);
    EXPECT_EQ(code, 0u);

    if (WaitForSingleObject(started.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(started.hProcess, 1);
        WaitForSingleObject(started.hProcess, kPatience);
    }
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    DeleteFileW(program.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
