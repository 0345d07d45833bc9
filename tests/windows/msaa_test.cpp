// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// msaa_client against msaa_fixture, both started from here as the end-to-end tests start the program:
// the client must read a custom IAccessible across processes and act on it, and the fixture's buffered
// paint must put its picture on the screen as it was decoded. Needs a display (wine-run --xvfb).

#include "runtime/win32/pictures.h"
#include "runtime/win32/resource_ids.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleacc.h>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace pelindra::win32 {
namespace {

constexpr ULONGLONG kPatience = 30'000; // ms; a passing run waits a fraction of it
const std::wstring kTitle = L"msaa fixture " + std::to_wstring(GetCurrentProcessId());

std::wstring besideThisProgram(const std::wstring& name)
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

template <class Condition> bool waitFor(Condition condition)
{
    for (const ULONGLONG end = GetTickCount64() + kPatience; GetTickCount64() < end; Sleep(20))
        if (condition())
            return true;
    return condition();
}

struct Ran
{
    DWORD status = 1;
    std::vector<std::string> lines;
};

Ran runClient(const std::wstring& arguments)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    CreatePipe(&reader, &writer, &inherit, 0);
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writer;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + besideThisProgram(L"msaa_client.exe") + L"\" " + arguments;
    Ran ran;
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &start, &process);
    CloseHandle(writer);
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (started && ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    CloseHandle(reader);
    if (!started)
        return ran;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &ran.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        ran.lines.push_back(line);
    return ran;
}

std::wstring titleOf(HWND window)
{
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    return title;
}

class Msaa : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        STARTUPINFOW start{};
        start.cb = sizeof start;
        std::wstring command = L"\"" + besideThisProgram(L"msaa_fixture.exe") + L"\" \"" + kTitle + L"\"";
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &start, &fixture));
        ASSERT_TRUE(waitFor([] { return (window = FindWindowW(nullptr, kTitle.c_str())) != nullptr; }));
    }
    static void TearDownTestSuite()
    {
        PostMessageW(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(fixture.hProcess, static_cast<DWORD>(kPatience));
        CloseHandle(fixture.hProcess);
        CloseHandle(fixture.hThread);
    }

    // The client's line for the object at path, such as "[3,1]".
    static std::string lineAt(const Ran& ran, const std::string& path)
    {
        for (const auto& line : ran.lines)
            if (line.find("\"path\":" + path + ",") != std::string::npos)
                return line;
        return "no object at " + path;
    }
    static std::string screenLocation(RECT area)
    {
        POINT corner{area.left, area.top};
        ClientToScreen(window, &corner);
        return "\"location\":[" + std::to_string(corner.x) + "," + std::to_string(corner.y) + "," +
               std::to_string(area.right - area.left) + "," + std::to_string(area.bottom - area.top) + "]";
    }

    static inline PROCESS_INFORMATION fixture{};
    static inline HWND window = nullptr;
};

TEST_F(Msaa, TheClientReadsEveryObjectWithItsNameRoleActionAndScreenPlace)
{
    const Ran ran = runClient(L"--title \"" + kTitle + L"\"");
    EXPECT_EQ(ran.status, 0u);
    EXPECT_EQ(ran.lines.size(), 5u);
    struct Case
    {
        std::string path, name;
        int role;
        RECT area;
        std::string action;
    };
    for (const auto& c : {Case{"[]", "测试窗口", ROLE_SYSTEM_CLIENT, {0, 0, 380, 260}, ""},
                          Case{"[1]", "最佳记录：12", ROLE_SYSTEM_STATICTEXT, {0, 170, 300, 200}, ""},
                          Case{"[2]", "开始游戏", ROLE_SYSTEM_PUSHBUTTON, {200, 20, 320, 60}, "按"},
                          Case{"[3,1]", "返回", ROLE_SYSTEM_PUSHBUTTON, {210, 100, 290, 140}, "按"}}) {
        const std::string line = lineAt(ran, c.path);
        for (const std::string& wanted :
             {"\"name\":\"" + c.name + "\"", "\"role\":" + std::to_string(c.role) + ",",
              screenLocation(c.area), "\"action\":\"" + c.action + "\""})
            EXPECT_NE(line.find(wanted), std::string::npos) << wanted << " in " << line;
    }
}

TEST_F(Msaa, TheClientDoesTheDefaultActionAtAPathAndSaysWhenThereIsNone)
{
    EXPECT_EQ(runClient(L"--title \"" + kTitle + L"\" --do 3.1").status, 0u);
    EXPECT_TRUE(waitFor([] { return titleOf(window) == kTitle + L": 返回"; })) << titleOf(window).size();
    SetWindowTextW(window, kTitle.c_str());
    for (const wchar_t* refused : {L"1", L"9", L"3.2"})
        EXPECT_EQ(runClient(L"--title \"" + kTitle + L"\" --do " + refused).status, 1u) << refused;
    EXPECT_EQ(runClient(L"--title \"no such window\"").status, 1u);
}

TEST_F(Msaa, APointFindsTheDeepestElementUnderIt)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const auto& [x, y, name] :
         {std::tuple{250, 120, L"返回"}, std::tuple{340, 120, L"面板"}, std::tuple{10, 240, L"测试窗口"}}) {
        POINT point{x, y};
        ClientToScreen(window, &point);
        IAccessible* found = nullptr;
        VARIANT child;
        VariantInit(&child);
        BSTR text = nullptr;
        ASSERT_EQ(AccessibleObjectFromPoint(point, &found, &child), S_OK) << x << "," << y;
        found->get_accName(child, &text);
        EXPECT_EQ(std::wstring(text ? text : L""), name) << x << "," << y;
        SysFreeString(text);
        VariantClear(&child);
        found->Release();
    }
    CoUninitialize();
}

TEST_F(Msaa, TheBufferedPaintPutsThePictureOnTheScreenAsDecoded)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        Pictures pictures(GetModuleHandleW(nullptr));
        const Picture* block = pictures.get(PELINDRA_RES_BLOCK, {});
        ASSERT_TRUE(block);
        const SIZE size = block->size();
        POINT corner{0, 0};
        ClientToScreen(window, &corner);
        // The screen's pixels at the client area's corner, in the same layout.
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HDC memory = CreateCompatibleDC(nullptr);
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        const auto pixels = static_cast<const std::uint32_t*>(bits);
        const auto matches = [&] {
            const HDC screen = GetDC(nullptr);
            BitBlt(memory, 0, 0, size.cx, size.cy, screen, corner.x, corner.y, SRCCOPY);
            ReleaseDC(nullptr, screen);
            GdiFlush();
            for (std::size_t i = 0; i < block->pixels().size(); ++i)
                if ((pixels[i] & 0xffffff) != (block->pixels()[i] & 0xffffff))
                    return false;
            return true;
        };
        EXPECT_TRUE(waitFor(matches));
        SelectObject(memory, previous);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
    CoUninitialize();
}

} // namespace
} // namespace pelindra::win32
