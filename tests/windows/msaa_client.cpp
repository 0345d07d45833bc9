// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Reads windows the way a screen reader does, through MSAA, for tests that drive the Windows program
// from outside, under Wine as on Windows.
//
//   msaa_client (--title TEXT | --hwnd NUMBER | --pid NUMBER) [--wait SECONDS] [--do PATH]
//
// Prints one JSON line for every accessible object of each window's client area, depth first:
//   {"hwnd":"0x1a2","path":[2,1],"name":"返回","role":43,"role_text":"push button","state":1048576,
//    "states":["focusable"],"location":[x,y,width,height],"action":"按","description":""}
// path is the object's place below the window: the n-th child (from 1) of the one before; [] is the
// client area itself. location is in screen pixels. With --do it runs the default action of the object
// at PATH (such as 2.1) in the first window instead, and prints {"done":[2,1]}. --wait keeps looking
// for the window that long. The exit status is 0 on success, 1 when the window or object is not there
// or refuses, 2 for a wrong command line.

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
    HWND window = nullptr;
    DWORD process = 0;
    double waitSeconds = 0;
    std::vector<long> action; // empty: print the tree
    bool act = false;
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

void print(HWND window, const Node& node, const std::vector<long>& path)
{
    const VARIANT id = node.id();
    BSTR name = nullptr;
    BSTR action = nullptr;
    BSTR description = nullptr;
    VARIANT role;
    VARIANT state;
    VariantInit(&role);
    VariantInit(&state);
    long x = 0, y = 0, width = 0, height = 0;
    node.object->get_accName(id, &name);
    node.object->get_accDefaultAction(id, &action);
    node.object->get_accDescription(id, &description);
    node.object->get_accRole(id, &role);
    node.object->get_accState(id, &state);
    node.object->accLocation(&x, &y, &width, &height, id);
    const long roleNumber = role.vt == VT_I4 ? role.lVal : 0;
    const long stateBits = state.vt == VT_I4 ? state.lVal : 0;
    wchar_t roleText[128] = L"";
    GetRoleTextW(static_cast<DWORD>(roleNumber), roleText, 128);
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
        if (stateBits & bit) {
            if (!states.empty())
                states += ',';
            states.append("\"").append(text).append("\"");
        }
    std::printf("{\"hwnd\":\"0x%llx\",\"path\":%s,\"name\":%s,\"role\":%ld,\"role_text\":%s,\"state\":%ld,"
                "\"states\":[%s],\"location\":[%ld,%ld,%ld,%ld],\"action\":%s,\"description\":%s}\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), pathText(path).c_str(),
                quoted(taken(name)).c_str(), roleNumber, quoted(roleText).c_str(), stateBits, states.c_str(),
                x, y, width, height, quoted(taken(action)).c_str(), quoted(taken(description)).c_str());
    VariantClear(&role);
    VariantClear(&state);
}

void walk(HWND window, const Node& node, std::vector<long>& path)
{
    print(window, node, path);
    auto children = childrenOf(node);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].object) {
            path.push_back(static_cast<long>(i + 1));
            walk(window, children[i], path);
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
            DWORD process;
            std::vector<HWND>* found;
        } search{options.process, &found};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == s.process && IsWindowVisible(window))
                    s.found->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
    }
    return found;
}

bool parse(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring flag = argv[i];
        const wchar_t* value = argv[i + 1];
        if (flag == L"--title") {
            options.title = value;
        } else if (flag == L"--hwnd") {
            options.window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(value, nullptr, 0)));
        } else if (flag == L"--pid") {
            options.process = static_cast<DWORD>(std::wcstoul(value, nullptr, 0));
        } else if (flag == L"--wait") {
            options.waitSeconds = std::wcstod(value, nullptr);
        } else if (flag == L"--do") {
            options.act = true;
            for (const wchar_t* p = value; *p;) {
                wchar_t* end = nullptr;
                options.action.push_back(std::wcstol(p, &end, 10));
                if (end == p)
                    return false;
                p = *end == L'.' ? end + 1 : end;
            }
        } else {
            return false;
        }
    }
    const int targets = !options.title.empty() + (options.window != nullptr) + (options.process != 0);
    return argc % 2 == 1 && targets == 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs("usage: msaa_client (--title TEXT | --hwnd NUMBER | --pid NUMBER) [--wait SECONDS] "
                   "[--do PATH]\n",
                   stderr);
        return 2;
    }
    // UTF-8 bytes and bare line feeds, whatever the console's code page.
    _setmode(_fileno(stdout), _O_BINARY);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

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
        std::vector<long> path;
        walk(window, root, path);
        release(root);
    }
    std::fflush(stdout);
    CoUninitialize();
    return status;
}
