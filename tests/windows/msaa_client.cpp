// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reads windows the way a screen reader does, through MSAA, for tests that drive the Windows program
// from outside, under Wine as on Windows.
//
//   msaa_client (--title TEXT | --hwnd NUMBER | --pid NUMBER | --class NAME) [--wait SECONDS]
//               [--do PATH | --list | --child IDS | --focus] [--fields NAMES]
//   msaa_client --serve
//
// Prints one JSON line for every accessible object of each window's client area, depth first:
//   {"hwnd":"0x1a2","pid":32,"path":[2,1],"name":"返回","role":43,"role_text":"push button",
//    "state":1048576,"states":["focusable"],"location":[x,y,width,height],"action":"按","description":""}
// path is the object's place below the window: the n-th child (from 1) of the one before; [] is the
// client area itself. location is in screen pixels. With --do it runs the default action of the object
// at PATH (such as 2.1) in the first window instead, and prints {"done":[2,1]}. --wait keeps looking
// for the window that long. The exit status is 0 on success, 1 when the window or object is not there
// or refuses, 2 for a wrong command line. --pid and --class take every visible window of that process or
// window class; --list prints the client areas alone; --child prints the objects of these child ids of
// the client area (such as 3,5,8) that are there, as a screen reader reads the object an event names;
// --focus the object that has the keyboard. child is 0 for an object read as a whole. --fields reads only
// the properties it names, such as name,state (of name, role, state, location, action, description).
// pid is the Windows process id, which is not Wine's Unix one.
//
// --serve answers one such command line per line of its input, its arguments separated by tabs, each
// answer followed by {"end":STATUS}: a look costs a few milliseconds then, where starting a program
// under Wine costs most of a second.

#include <cstdio>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <oleacc.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

struct Options
{
    std::wstring title;
    std::wstring windowClass;
    HWND window = nullptr;
    DWORD process = 0;
    double waitSeconds = 0;
    std::vector<long> action; // empty: print the tree
    bool act = false;
    bool list = false;
    std::vector<long> children; // --child: these children of the client area alone
    bool focus = false;
    std::wstring fields; // --fields: these properties alone
};

std::string utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::string quoted(const std::wstring& text)
{
    std::string out = "\"";
    for (const char c : utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string pathText(const std::vector<long>& path)
{
    std::string out = "[";
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i)
            out += ',';
        out += std::to_string(path[i]);
    }
    return out + "]";
}

std::wstring taken(BSTR text)
{
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

// An accessible object: a full one (child CHILDID_SELF) or a simple element of its parent.
struct Node
{
    IAccessible* object = nullptr; // owned
    long child = CHILDID_SELF;

    VARIANT id() const
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = child;
        return v;
    }
};

void release(Node& node)
{
    if (node.object)
        node.object->Release();
    node.object = nullptr;
}

std::vector<Node> childrenOf(const Node& node)
{
    std::vector<Node> children;
    long count = 0;
    if (node.child != CHILDID_SELF || FAILED(node.object->get_accChildCount(&count)) || count <= 0)
        return children;
    std::vector<VARIANT> found(static_cast<std::size_t>(count));
    long obtained = 0;
    if (FAILED(AccessibleChildren(node.object, 0, count, found.data(), &obtained)))
        return children;
    for (long i = 0; i < obtained; ++i) {
        VARIANT& v = found[static_cast<std::size_t>(i)];
        IAccessible* object = nullptr;
        if (v.vt == VT_DISPATCH && v.pdispVal &&
            SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object))))
            children.push_back({object, CHILDID_SELF});
        else if (v.vt == VT_I4) {
            node.object->AddRef();
            children.push_back({node.object, v.lVal});
        } else {
            children.push_back({nullptr, CHILDID_SELF}); // keeps the numbering of the others
        }
        VariantClear(&v);
    }
    return children;
}

// Prints the object's line with the properties that fields names (all when it names none), each read
// with one call. False, printing nothing, when every call fails: there is no such object.
bool print(HWND window, const Node& node, const std::vector<long>& path, const std::wstring& fields)
{
    const auto wanted = [&](const wchar_t* field) {
        return fields.empty() ||
               (L"," + fields + L",").find(L"," + std::wstring(field) + L",") != std::wstring::npos;
    };
    const VARIANT id = node.id();
    int answered = 0;
    const auto asked = [&](HRESULT result) { answered += SUCCEEDED(result); };
    std::string out;
    if (wanted(L"name")) {
        BSTR name = nullptr;
        asked(node.object->get_accName(id, &name));
        out += ",\"name\":" + quoted(taken(name));
    }
    if (wanted(L"role")) {
        VARIANT role;
        VariantInit(&role);
        asked(node.object->get_accRole(id, &role));
        const long number = role.vt == VT_I4 ? role.lVal : 0;
        wchar_t text[128] = L"";
        GetRoleTextW(static_cast<DWORD>(number), text, 128);
        out += ",\"role\":" + std::to_string(number) + ",\"role_text\":" + quoted(text);
        VariantClear(&role);
    }
    if (wanted(L"state")) {
        VARIANT state;
        VariantInit(&state);
        asked(node.object->get_accState(id, &state));
        const long bits = state.vt == VT_I4 ? state.lVal : 0;
        static const std::pair<long, const char*> kStates[] = {
            {STATE_SYSTEM_UNAVAILABLE, "unavailable"}, {STATE_SYSTEM_SELECTED, "selected"},
            {STATE_SYSTEM_FOCUSED, "focused"},         {STATE_SYSTEM_PRESSED, "pressed"},
            {STATE_SYSTEM_CHECKED, "checked"},         {STATE_SYSTEM_READONLY, "readonly"},
            {STATE_SYSTEM_INVISIBLE, "invisible"},     {STATE_SYSTEM_OFFSCREEN, "offscreen"},
            {STATE_SYSTEM_FOCUSABLE, "focusable"},     {STATE_SYSTEM_LINKED, "linked"},
            {STATE_SYSTEM_DEFAULT, "default"},
        };
        std::string states;
        for (const auto& [bit, text] : kStates)
            if (bits & bit)
                states.append(states.empty() ? "\"" : ",\"").append(text).append("\"");
        out += ",\"state\":" + std::to_string(bits) + ",\"states\":[" + states + "]";
        VariantClear(&state);
    }
    if (wanted(L"location")) {
        long x = 0, y = 0, width = 0, height = 0;
        asked(node.object->accLocation(&x, &y, &width, &height, id));
        out += ",\"location\":[" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) +
               "," + std::to_string(height) + "]";
    }
    if (wanted(L"action")) {
        BSTR action = nullptr;
        asked(node.object->get_accDefaultAction(id, &action));
        out += ",\"action\":" + quoted(taken(action));
    }
    if (wanted(L"description")) {
        BSTR description = nullptr;
        asked(node.object->get_accDescription(id, &description));
        out += ",\"description\":" + quoted(taken(description));
    }
    if (answered == 0)
        return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::printf("{\"hwnd\":\"0x%llx\",\"pid\":%lu,\"child\":%ld,\"path\":%s%s}\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), process, node.child,
                pathText(path).c_str(), out.c_str());
    return true;
}

void walk(HWND window, const Node& node, std::vector<long>& path, const Options& options)
{
    print(window, node, path, options.fields);
    auto children = options.list ? std::vector<Node>{} : childrenOf(node);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].object) {
            path.push_back(static_cast<long>(i + 1));
            walk(window, children[i], path, options);
            path.pop_back();
        }
        release(children[i]);
    }
}

bool act(const Node& root, const std::vector<long>& path)
{
    Node node = root;
    node.object->AddRef();
    for (const long step : path) {
        auto children = childrenOf(node);
        release(node);
        if (step < 1 || step > static_cast<long>(children.size()))
            return false;
        std::swap(node, children[static_cast<std::size_t>(step - 1)]);
        for (auto& child : children)
            release(child);
        if (!node.object)
            return false;
    }
    const HRESULT done = node.object->accDoDefaultAction(node.id());
    release(node);
    return SUCCEEDED(done);
}

std::vector<HWND> windowsOf(const Options& options)
{
    std::vector<HWND> found;
    if (options.window) {
        if (IsWindow(options.window))
            found.push_back(options.window);
    } else if (!options.title.empty()) {
        if (const HWND window = FindWindowW(nullptr, options.title.c_str()))
            found.push_back(window);
    } else {
        struct Search
        {
            const Options* options;
            std::vector<HWND>* found;
        } search{&options, &found};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                wchar_t name[256] = L"";
                GetClassNameW(window, name, 256);
                const bool wanted =
                    s.options->process ? process == s.options->process : s.options->windowClass == name;
                if (wanted && IsWindowVisible(window))
                    s.found->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
    }
    return found;
}

// "2.1" or "3,5,8" into its numbers.
bool numbers(const wchar_t* text, wchar_t separator, std::vector<long>& out)
{
    for (const wchar_t* p = text; *p;) {
        wchar_t* end = nullptr;
        out.push_back(std::wcstol(p, &end, 10));
        if (end == p)
            return false;
        p = *end == separator ? end + 1 : end;
    }
    return true;
}

bool parse(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; i += 2) {
        if (argv[i] == std::wstring(L"--list") || argv[i] == std::wstring(L"--focus")) {
            (argv[i] == std::wstring(L"--list") ? options.list : options.focus) = true;
            --i;
            continue;
        }
        if (i + 1 == argc)
            return false;
        const std::wstring flag = argv[i];
        const wchar_t* value = argv[i + 1];
        if (flag == L"--title") {
            options.title = value;
        } else if (flag == L"--hwnd") {
            options.window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(value, nullptr, 0)));
        } else if (flag == L"--class") {
            options.windowClass = value;
        } else if (flag == L"--pid") {
            options.process = static_cast<DWORD>(std::wcstoul(value, nullptr, 0));
        } else if (flag == L"--wait") {
            options.waitSeconds = std::wcstod(value, nullptr);
        } else if (flag == L"--do") {
            options.act = true;
            if (!numbers(value, L'.', options.action))
                return false;
        } else if (flag == L"--fields") {
            options.fields = value;
        } else if (flag == L"--child") {
            if (!numbers(value, L',', options.children))
                return false;
        } else {
            return false;
        }
    }
    const int targets = !options.title.empty() + (options.window != nullptr) + (options.process != 0) +
                        !options.windowClass.empty();
    return targets == 1 && options.act + options.list + options.focus + !options.children.empty() <= 1;
}

// The object that has the keyboard, as accFocus names it: a child id or an object of its own.
bool printFocus(HWND window, const Node& root, const Options& options)
{
    VARIANT focus;
    VariantInit(&focus);
    if (root.object->get_accFocus(&focus) != S_OK)
        return false;
    bool printed = false;
    IAccessible* object = nullptr;
    if (focus.vt == VT_I4) {
        printed = print(window, Node{root.object, focus.lVal}, {}, options.fields);
    } else if (focus.vt == VT_DISPATCH && focus.pdispVal &&
               SUCCEEDED(focus.pdispVal->QueryInterface(__uuidof(IAccessible),
                                                        reinterpret_cast<void**>(&object)))) {
        printed = print(window, Node{object, CHILDID_SELF}, {}, options.fields);
        object->Release();
    }
    VariantClear(&focus);
    return printed;
}

// One command line's work; its exit status.
int run(int argc, wchar_t** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(
            "usage: msaa_client (--title TEXT | --hwnd NUMBER | --pid NUMBER | --class NAME) "
            "[--wait SECONDS] [--do PATH | --list | --child IDS | --focus] [--fields NAMES], or msaa_client "
            "--serve\n",
            stderr);
        return 2;
    }
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(options.waitSeconds * 1000);
    std::vector<HWND> windows = windowsOf(options);
    while (windows.empty() && GetTickCount64() < deadline) {
        Sleep(50);
        windows = windowsOf(options);
    }
    int status = windows.empty() ? 1 : 0;
    for (const HWND window : windows) {
        Node root;
        // __uuidof, not IID_IAccessible: linked statically, that name is an import thunk, not the GUID.
        if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&root.object)))) {
            status = 1;
            continue;
        }
        if (options.act) {
            const bool done = act(root, options.action);
            if (done)
                std::printf("{\"done\":%s}\n", pathText(options.action).c_str());
            status = done ? 0 : 1;
            release(root);
            break;
        }
        // A screen reader told of a change to one of them by an event asks for it by its child id.
        for (const long child : options.children)
            print(window, Node{root.object, child}, {}, options.fields);
        if (options.focus)
            status = printFocus(window, root, options) ? status : 1;
        std::vector<long> path;
        if (options.children.empty() && !options.focus)
            walk(window, root, path, options);
        release(root);
    }
    return status;
}

int serve()
{
    _setmode(_fileno(stdin), _O_BINARY);
    for (std::string line;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF)
            return 0;
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        const int size =
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), text.data(), size);
        line.clear();
        std::vector<std::wstring> arguments{L"msaa_client"};
        for (std::size_t at = 0, tab = 0; tab != std::wstring::npos; at = tab + 1) {
            tab = text.find(L'\t', at);
            arguments.push_back(text.substr(at, tab - at));
        }
        std::vector<wchar_t*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        std::printf("{\"end\":%d}\n", run(static_cast<int>(argv.size()), argv.data()));
        std::fflush(stdout);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // UTF-8 bytes and bare line feeds, whatever the console's code page.
    _setmode(_fileno(stdout), _O_BINARY);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int status = argc == 2 && argv[1] == std::wstring(L"--serve") ? serve() : run(argc, argv);
    std::fflush(stdout);
    CoUninitialize();
    return status;
}
