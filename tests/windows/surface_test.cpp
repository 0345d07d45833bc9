// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Win32 surface in this process, over the program's own windows and a store in memory: where the
// windows stand, what reaches the model, the timers, what is drawn and what a screen reader reads.
// Last, the program file itself. Needs a display (wine-run --xvfb); PELINDRA_EXPECTED_DPI names the scale
// the run's prefix is set to.

#include "rules/game_state.h"
#include "rules/names.h"
#include "runtime/headless/memory_store.h"
#include "runtime/win32/dpi.h"
#include "runtime/win32/pictures.h"
#include "runtime/win32/resource_ids.h"
#include "runtime/win32/win32_runtime.h"
#include "screens/program.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <oleacc.h>
#include <string>
#include <vector>

namespace pelindra::win32 {
namespace {

using names::kAboutWindow;
using names::kGameWindow;
using names::kMenuWindow;

constexpr ULONGLONG kPatience = 30'000; // ms; a passing run waits a fraction of it

std::string text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
           "x" + std::to_string(r.bottom - r.top);
}

// What a screen reader reads of an element.
struct Read
{
    std::wstring name, description, action;
    long role = 0, state = 0;
};

std::wstring taken(BSTR text)
{
    std::wstring out = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

// Every element under object, by its path ("[3,2]": the second child of the third).
void readInto(IAccessible* object, const std::string& path, std::map<std::string, Read>& out)
{
    VARIANT self{};
    self.vt = VT_I4; // CHILDID_SELF
    BSTR name = nullptr, description = nullptr, action = nullptr;
    VARIANT role{}, state{};
    object->get_accName(self, &name);
    object->get_accDescription(self, &description);
    object->get_accDefaultAction(self, &action);
    object->get_accRole(self, &role);
    object->get_accState(self, &state);
    out[path + "]"] = {taken(name), taken(description), taken(action), role.lVal, state.lVal};
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    long obtained = 0;
    if (count > 0)
        AccessibleChildren(object, 0, count, children.data(), &obtained);
    for (long i = 0; i < obtained; ++i) {
        auto& child = children[static_cast<std::size_t>(i)];
        IAccessible* element = nullptr;
        if (child.vt == VT_DISPATCH && SUCCEEDED(child.pdispVal->QueryInterface(
                                           __uuidof(IAccessible), reinterpret_cast<void**>(&element)))) {
            readInto(element, path + (path.size() > 1 ? "," : "") + std::to_string(i + 1), out);
            element->Release();
        }
        VariantClear(&child);
    }
}

IAccessible* rootOf(HWND window)
{
    IAccessible* root = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&root));
    return root;
}

std::map<std::string, Read> readTree(HWND window)
{
    std::map<std::string, Read> tree;
    IAccessible* root = rootOf(window);
    readInto(root, "[", tree);
    root->Release();
    return tree;
}

class Surface : public testing::Test
{
protected:
    static void SetUpTestSuite() { enableDpiAwareness(); }
    void SetUp() override
    {
        runtime_ = std::make_unique<Win32Runtime>(store_);
        startProgram(*runtime_, state_);
    }

    // Handles this thread's messages until the condition holds; false when it never does.
    template <class Condition> bool pumpUntil(Condition condition)
    {
        for (const ULONGLONG end = GetTickCount64() + kPatience; GetTickCount64() < end;) {
            if (condition())
                return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            drain();
        }
        return condition();
    }
    // Everything that is waiting now, posted work included.
    void drain()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            timerMessages_[{message.hwnd, message.wParam}] += message.message == WM_TIMER;
            if (message.message != WM_QUIT)
                DispatchMessageW(&message);
        }
    }
    HWND window(std::string_view name) const { return runtime_->handle(name); }
    const WindowState& model(std::string_view name) const { return *runtime_->model().window(name); }
    // Where the control stands in its window's client area, in the screen's pixels.
    RECT placeOf(std::string_view window, std::string_view control) const
    {
        const auto& state = model(window);
        return Scale{dpiOfWindow(this->window(window))}.rect(
            pelindra::placeOf(state, *state.control(control)));
    }
    void click(std::string_view window, std::string_view control)
    {
        const RECT r = placeOf(window, control);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        const HWND w = this->window(window);
        SendMessageW(w, WM_MOUSEMOVE, 0, at);
        SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(w, WM_LBUTTONUP, 0, at);
    }
    long elementOf(std::string_view window, std::string_view control) const
    {
        const auto& state = model(window);
        return static_cast<long>(state.control(control) - state.controls.data()) + 1;
    }
    // A screen reader's press of the control's default action.
    void press(std::string_view window, std::string_view control) const
    {
        IAccessible* root = rootOf(this->window(window));
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = elementOf(window, control);
        EXPECT_EQ(root->accDoDefaultAction(child), S_OK);
        root->Release();
    }
    bool visible(std::string_view window) const { return IsWindowVisible(this->window(window)) != FALSE; }

    headless::MemoryStore store_;
    GameState state_;
    std::unique_ptr<Win32Runtime> runtime_;
    std::map<std::pair<HWND, WPARAM>, int> timerMessages_; // by window and timer
};

TEST_F(Surface, EachWindowHasItsLayoutsOuterSizeAtTheScreensScaleWithTheClientInsideTheRealFrame)
{
    click(kMenuWindow, "超级链接框2");
    ASSERT_TRUE(pumpUntil([&] { return window(kAboutWindow) != nullptr; }));
    struct Case
    {
        std::string_view name;
        int width, height;
        bool modal;
    };
    for (const auto& c : {Case{kMenuWindow, 445, 399, false}, Case{kGameWindow, 463, 460, false},
                          Case{kAboutWindow, 380, 250, true}}) {
        const HWND w = window(c.name);
        const UINT dpi = dpiOfWindow(w);
        const char* expected = std::getenv("PELINDRA_EXPECTED_DPI");
        EXPECT_EQ(dpi, expected != nullptr ? std::stoul(expected) : kDefaultDpi) << c.name;
        RECT outer{}, client{};
        GetWindowRect(w, &outer);
        GetClientRect(w, &client);
        const int at = scaled(50, dpi);
        EXPECT_EQ(text(outer), text({at, at, at + scaled(c.width, dpi), at + scaled(c.height, dpi)}))
            << c.name;
        const auto style = static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE));
        RECT framed =
            windowRectForClient(client, style, static_cast<DWORD>(GetWindowLongW(w, GWL_EXSTYLE)), dpi);
        OffsetRect(&framed, outer.left - framed.left, outer.top - framed.top);
        EXPECT_EQ(text(framed), text(outer)) << c.name;
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u) << c.name;
        EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, !c.modal) << c.name;
        EXPECT_EQ(GetWindow(w, GW_OWNER), c.modal ? window(kMenuWindow) : nullptr) << c.name;
    }
}

TEST_F(Surface, ClicksKeysAndScreenReaderPressesReachTheModelWhereItLetsThem)
{
    enum class Input
    {
        Click,
        Key,
        Held, // a key that repeats while held down
        Press,
    };
    struct Step
    {
        std::string_view window;
        Input input;
        std::string_view control;
        WPARAM key;
        std::function<bool()> then;
    };
    const auto panel = [&] { return model(kMenuWindow).control("分组框2")->visible; };
    const auto onInstructions = [&] { return model(kMenuWindow).keyboard == "超级链接框3"; };
    const auto enabled = [&](std::string_view name) { return IsWindowEnabled(window(name)) != FALSE; };
    for (const auto& step : {
             Step{kMenuWindow, Input::Click, "超级链接框3", 0, panel},
             Step{kMenuWindow, Input::Click, "超级链接框4", 0, [&] { return !panel(); }},
             Step{kMenuWindow, Input::Key, {}, VK_TAB, onInstructions},
             Step{kMenuWindow, Input::Held, {}, VK_RETURN, [&] { return !panel(); }},
             Step{kMenuWindow, Input::Key, {}, VK_SPACE, panel},
             // A modal window takes the input of every other window until it goes.
             Step{kMenuWindow, Input::Click, "超级链接框2", 0,
                  [&] { return window(kAboutWindow) && !enabled(kMenuWindow) && !enabled(kGameWindow); }},
             Step{kMenuWindow, Input::Press, "超级链接框1", 0, [&] { return !visible(kGameWindow); }},
             Step{kAboutWindow,
                  Input::Key,
                  {},
                  VK_ESCAPE,
                  [&] { return !window(kAboutWindow) && enabled(kMenuWindow) && enabled(kGameWindow); }},
             Step{kMenuWindow, Input::Press, "超级链接框1", 0,
                  [&] { return visible(kGameWindow) && !visible(kMenuWindow); }},
             Step{kGameWindow, Input::Click, "超级链接框2", 0,
                  [&] { return visible(kMenuWindow) && !visible(kGameWindow); }},
         }) {
        if (step.input == Input::Click)
            click(step.window, step.control);
        else if (step.input == Input::Press)
            press(step.window, step.control);
        else
            SendMessageW(window(step.window), WM_KEYDOWN, step.key,
                         step.input == Input::Held ? 1 | (1L << 30) : 1);
        drain();
        EXPECT_TRUE(pumpUntil(step.then)) << step.window << " " << step.control << " " << step.key;
    }
}

TEST_F(Surface, TheSessionsEndRunsTheProgramsEndingAndEndsItOnlyWhenTheSessionReallyEnds)
{
    int endings = 0;
    runtime_->RegisterEnding([&] { ++endings; });
    const HWND helper = FindWindowW(L"PelindraHelper", nullptr);
    EXPECT_EQ(SendMessageW(helper, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(helper, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(endings, 1);
    EXPECT_FALSE(runtime_->model().exiting());
    SendMessageW(helper, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(endings, 2);
    EXPECT_TRUE(runtime_->model().exiting());
}

TEST_F(Surface, TimersRunOnlyWhileTheModelRunsThemAndRestartWhenSetAgain)
{
    static constexpr layout::Control kTimers[] = {{.name = "a", .type = layout::ControlType::Timer},
                                                  {.name = "b", .type = layout::ControlType::Timer}};
    static constexpr layout::Window kLayout{
        .name = "TimerWindow", .width = 200, .height = 100, .controls = kTimers};
    int ticks[2] = {0, 0};
    runtime_->DefineWindow(
        {&kLayout, {{"a", Event::Tick, [&] { ++ticks[0]; }}, {"b", Event::Tick, [&] { ++ticks[1]; }}}});
    runtime_->LoadWindow("TimerWindow", false, {});
    const auto set = [&](std::string_view timer, int interval) {
        runtime_->SetProperty("TimerWindow", timer, Property::Interval, interval);
    };
    set("a", 10);
    EXPECT_TRUE(pumpUntil([&] { return ticks[0] >= 3; }));
    // Windows stops sending the timer's messages, which the model would refuse anyway.
    set("a", 0);
    const int stopped = ticks[0];
    const auto a = std::pair{window("TimerWindow"), static_cast<WPARAM>(elementOf("TimerWindow", "a"))};
    const int sent = timerMessages_[a];
    set("b", 10);
    EXPECT_TRUE(pumpUntil([&] { return ticks[1] >= 5; }));
    EXPECT_EQ(timerMessages_[a], sent);
    set("a", 100'000);
    set("a", 10);
    EXPECT_TRUE(pumpUntil([&] { return ticks[0] > stopped; }));
}

TEST_F(Surface, AScreenReaderReadsEachControlAsItIs)
{
    click(kMenuWindow, "超级链接框1");
    ASSERT_TRUE(pumpUntil([&] { return visible(kGameWindow); }));
    const auto game = readTree(window(kGameWindow));
    struct Case
    {
        std::string path;
        std::wstring name, description;
        long role;
        long state; // of kStates
        std::wstring action;
    };
    constexpr long kStates = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY;
    constexpr long kFixed = STATE_SYSTEM_READONLY;
    for (const auto& c : {
             Case{"[]", L"Pelindra", L"", ROLE_SYSTEM_CLIENT, 0, L""},
             Case{"[1]", L"", L"", ROLE_SYSTEM_GRAPHIC, kFixed, L""},
             Case{"[1,1]", L"时间：", L"", ROLE_SYSTEM_STATICTEXT, kFixed, L""},
             Case{"[10]", L"", L"", ROLE_SYSTEM_GROUPING, kFixed, L""},
             Case{"[10,1]", L"", L"空", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"按下"},
             Case{"[13]", L"中！", L"", ROLE_SYSTEM_STATICTEXT, kFixed | STATE_SYSTEM_INVISIBLE, L""},
             Case{"[20]", L"没有这个数字", L"", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, L"按下"},
             Case{"[24]", L"0 ", L"", ROLE_SYSTEM_STATUSBAR, kFixed, L""},
         }) {
        ASSERT_TRUE(game.contains(c.path)) << c.path;
        const Read& r = game.at(c.path);
        EXPECT_EQ(r.name, c.name) << c.path;
        EXPECT_EQ(r.description, c.description) << c.path;
        EXPECT_EQ(r.role, c.role) << c.path;
        EXPECT_EQ(r.state & kStates, c.state) << c.path;
        EXPECT_EQ(r.action, c.action) << c.path;
    }

    // A point finds the deepest control under it, as a screen reader following the pointer asks.
    RECT claim = placeOf(kGameWindow, "超级链接框3");
    MapWindowPoints(window(kGameWindow), nullptr, reinterpret_cast<POINT*>(&claim), 2);
    IAccessible* under = nullptr;
    VARIANT child{};
    ASSERT_EQ(AccessibleObjectFromPoint({(claim.left + claim.right) / 2, (claim.top + claim.bottom) / 2},
                                        &under, &child),
              S_OK);
    BSTR name = nullptr;
    under->get_accName(child, &name);
    EXPECT_EQ(std::wstring(name ? name : L""), L"没有这个数字");
    SysFreeString(name);
    under->Release();

    // The prompt tells of each new digit.
    static std::vector<LONG> named;
    named.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND, LONG, LONG child, DWORD, DWORD) { named.push_back(child); },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    click(kGameWindow, "超级链接框1");
    const long prompt = elementOf(kGameWindow, "透明标签15");
    EXPECT_TRUE(pumpUntil([&] { return std::find(named.begin(), named.end(), prompt) != named.end(); }));
    UnhookWinEvent(hook);
}

// The program file as a player starts it, from a folder of its own: its menu comes up with its record
// file beside it, and the end of the Windows session ends it with exit code 0.
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
    ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &start, &started));

    // The windows tests run one at a time: these are the program's.
    HWND menu = nullptr;
    for (const ULONGLONG end = GetTickCount64() + kPatience; GetTickCount64() < end && !IsWindowVisible(menu);
         Sleep(20))
        menu = FindWindowW(L"PelindraWindow", L"Pelindra  鼠游板");
    const HWND helper = FindWindowW(L"PelindraHelper", nullptr);
    ASSERT_TRUE(IsWindowVisible(menu));
    const std::wstring record = folder + L"\\data.dat";
    EXPECT_NE(GetFileAttributesW(record.c_str()), INVALID_FILE_ATTRIBUTES);

    SendMessageTimeoutW(helper, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                        static_cast<UINT>(kPatience), nullptr);
    const bool ended = WaitForSingleObject(started.hProcess, static_cast<DWORD>(kPatience)) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(started.hProcess, 1);
    DWORD code = 1;
    EXPECT_TRUE(ended && GetExitCodeProcess(started.hProcess, &code) && code == 0) << code;
    WaitForSingleObject(started.hProcess, static_cast<DWORD>(kPatience));
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    DeleteFileW(program.c_str());
    DeleteFileW(record.c_str());
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

} // namespace
} // namespace pelindra::win32
