// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A window for msaa_client to read, painted with the Win32 pieces: the block picture at its own size in
// the corner and a Chinese label below it, through a buffered paint. Its client area answers MSAA with
// a tree of its own:
//   [] client "测试窗口" > [1] static text "最佳记录：12"
//                        > [2] push button "开始游戏"
//                        > [3] grouping "面板" > [1] push button "返回" (a simple element of [3])
// Doing a button's default action appends ": " and its name to the window title.
//
//   msaa_fixture TITLE

#include "runtime/win32/buffered_paint.h"
#include "runtime/win32/dpi.h"
#include "runtime/win32/fonts.h"
#include "runtime/win32/pictures.h"
#include "runtime/win32/resource_ids.h"

#include <oleacc.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using namespace pelindra::win32;

// One accessible object; a child marked simple is answered for by its parent, with its number.
class Node final : public IAccessible
{
public:
    Node(HWND window, std::wstring name, long role, RECT area, bool simple = false)
        : window_(window), name_(std::move(name)), role_(role), area_(area), simple_(simple)
    {}
    void add(Node* child) { children_.push_back(child); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; } // the window owns every node

    // IDispatch: not for scripting.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return *parent = nullptr, S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        return *count = static_cast<long>(children_.size()), S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        *out = nullptr;
        const Node* node = target(child);
        if (!node || node == this)
            return E_INVALIDARG;
        if (node->simple_)
            return S_FALSE;
        *out = const_cast<Node*>(node);
        (*out)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        const Node* node = target(child);
        return node ? (*name = SysAllocString(node->name_.c_str()), S_OK) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override
    {
        return *value = nullptr, S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override
    {
        return *text = nullptr, S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        const Node* node = target(child);
        if (!node)
            return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = node->role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const Node* node = target(child);
        if (!node)
            return E_INVALIDARG;
        state->vt = VT_I4;
        state->lVal = node->role_ == ROLE_SYSTEM_PUSHBUTTON ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_READONLY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return *help = nullptr, S_FALSE; }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR*, VARIANT, long*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override
    {
        return *keys = nullptr, S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return focus->vt = VT_EMPTY, S_FALSE; }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return selection->vt = VT_EMPTY, S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        const Node* node = target(child);
        if (!node || node->role_ != ROLE_SYSTEM_PUSHBUTTON)
            return *action = nullptr, node ? S_FALSE : E_INVALIDARG;
        return *action = SysAllocString(L"按"), S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override
    {
        const Node* node = target(child);
        if (!node)
            return E_INVALIDARG;
        POINT corner{node->area_.left, node->area_.top};
        ClientToScreen(window_, &corner);
        *x = corner.x;
        *y = corner.y;
        *width = node->area_.right - node->area_.left;
        *height = node->area_.bottom - node->area_.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        const Node* node = target(child);
        if (!node || node->role_ != ROLE_SYSTEM_PUSHBUTTON)
            return node ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
        std::wstring title(256, L'\0');
        title.resize(static_cast<std::size_t>(GetWindowTextW(window_, title.data(), 256)));
        SetWindowTextW(window_, (title + L": " + node->name_).c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    const Node* target(const VARIANT& child) const
    {
        if (child.vt != VT_I4)
            return nullptr;
        if (child.lVal == CHILDID_SELF)
            return this;
        return child.lVal >= 1 && child.lVal <= static_cast<long>(children_.size())
                   ? children_[child.lVal - 1]
                   : nullptr;
    }

    HWND window_;
    std::wstring name_;
    long role_;
    RECT area_;
    bool simple_;
    std::vector<Node*> children_;
    ULONG references_ = 1;
};

struct Window
{
    Fonts fonts{GetModuleHandleW(nullptr)};
    Pictures pictures{GetModuleHandleW(nullptr)};
    std::vector<std::unique_ptr<Node>> nodes;
};

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_GETOBJECT:
        if (state && static_cast<long>(lParam) == static_cast<long>(OBJID_CLIENT))
            return LresultFromObject(__uuidof(IAccessible), wParam, state->nodes.front().get());
        break;
    case WM_PAINT: {
        if (!state)
            break;
        BufferedPaint paint(window);
        RECT client;
        GetClientRect(window, &client);
        FillRect(paint.dc(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (const Picture* block = state->pictures.get(PELINDRA_RES_BLOCK, {})) {
            const HDC source = CreateCompatibleDC(paint.dc());
            const HGDIOBJ previous = SelectObject(source, block->bitmap());
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(paint.dc(), 0, 0, block->size().cx, block->size().cy, source, 0, 0, block->size().cx,
                       block->size().cy, blend);
            SelectObject(source, previous);
            DeleteDC(source);
        }
        const UniqueFont font = state->fonts.create({.families = {kFamily}, .pixels = 20});
        const HGDIOBJ previous = SelectObject(paint.dc(), font.get());
        RECT label{0, 170, 300, 200};
        DrawTextW(paint.dc(), L"最佳记录：12", -1, &label, DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(paint.dc(), previous);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    enableDpiAwareness();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const wchar_t* title = __argc > 1 ? __wargv[1] : L"msaa_fixture";
    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = L"PelindraMsaaFixture";
    RegisterClassW(&type);
    const HWND window = CreateWindowExW(0, type.lpszClassName, title, WS_OVERLAPPEDWINDOW, 40, 40, 400, 300,
                                        nullptr, nullptr, instance, nullptr);
    Window state;
    auto& nodes = state.nodes;
    nodes.push_back(std::make_unique<Node>(window, L"测试窗口", ROLE_SYSTEM_CLIENT, RECT{0, 0, 380, 260}));
    nodes.push_back(
        std::make_unique<Node>(window, L"最佳记录：12", ROLE_SYSTEM_STATICTEXT, RECT{0, 170, 300, 200}));
    nodes.push_back(
        std::make_unique<Node>(window, L"开始游戏", ROLE_SYSTEM_PUSHBUTTON, RECT{200, 20, 320, 60}));
    nodes.push_back(std::make_unique<Node>(window, L"面板", ROLE_SYSTEM_GROUPING, RECT{200, 80, 360, 160}));
    nodes.push_back(
        std::make_unique<Node>(window, L"返回", ROLE_SYSTEM_PUSHBUTTON, RECT{210, 100, 290, 140}, true));
    for (int child = 1; child <= 3; ++child)
        nodes[0]->add(nodes[child].get());
    nodes[3]->add(nodes[4].get());
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    ShowWindow(window, SW_SHOW);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The client may still hold our nodes; Windows disconnects it from them here.
    CoUninitialize();
    return 0;
}
