// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_window.h"

#include "buffered_paint.h"
#include "resources.h"
#include "text.h"
#include "win32_runtime.h"

#include <dwmapi.h>
#include <map>
#include <oleacc.h>
#include <windowsx.h>

namespace pelindra::win32 {
namespace {

// Newer than the Windows the program is built for; sent only where Windows has them.
constexpr UINT kDpiChanged = 0x02E0;
constexpr DWORD kLiveRegionChanged = 0x8019;
// A screen reader's press of element wParam, run once the reader's call has returned.
constexpr UINT kPress = WM_APP;

constexpr wchar_t kPressAction[] = L"按下";

bool isText(layout::ControlType type)
{
    return type != layout::ControlType::PictureBox && type != layout::ControlType::GroupBox &&
           type != layout::ControlType::Timer;
}

long roleOf(const WindowState& window, const ControlState& control)
{
    switch (control.layout->type) {
    case layout::ControlType::PictureBox:
        return ROLE_SYSTEM_GRAPHIC;
    case layout::ControlType::GroupBox:
        return ROLE_SYSTEM_GROUPING;
    default:
        if (window.clickable(control))
            return ROLE_SYSTEM_PUSHBUTTON;
        // The role screen readers watch for news: each new caption is told as a change of its name.
        return control.layout->live ? ROLE_SYSTEM_STATUSBAR : ROLE_SYSTEM_STATICTEXT;
    }
}

void drawPicture(HDC dc, Pictures& pictures, const layout::Control& control, const RECT& at,
                 const Scale& scale)
{
    const auto resource = assetResource(control.picture);
    if (!resource || resource->kind != AssetResource::Kind::Data)
        return;
    SIZE size{at.right - at.left, at.bottom - at.top};
    if (control.fit == layout::Fit::Natural) {
        const Picture* natural = pictures.get(resource->id, {});
        if (natural == nullptr)
            return;
        size = {scale(static_cast<int>(natural->size().cx)), scale(static_cast<int>(natural->size().cy))};
    }
    // Decoded at the size it is shown at on this monitor, so that it stays sharp.
    const Picture* picture = pictures.get(resource->id, size);
    const HDC source = picture == nullptr ? nullptr : CreateCompatibleDC(dc);
    if (source == nullptr)
        return;
    const HGDIOBJ previous = SelectObject(source, picture->bitmap());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, at.left, at.top, size.cx, size.cy, source, 0, 0, size.cx, size.cy, blend);
    SelectObject(source, previous);
    DeleteDC(source);
}

} // namespace

void FormWindow::registerClass(HMODULE module)
{
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    // No CS_DBLCLKS: a second click in quick succession is a click of its own.
    type.style = CS_HREDRAW | CS_VREDRAW;
    type.lpfnWndProc = procedure;
    type.hInstance = module;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kClass;
    RegisterClassExW(&type);
}

FormWindow::FormWindow(Win32Runtime& runtime, const WindowState& state, HWND owner)
    : runtime_(runtime), definition_(*state.definition), id_(state.id), modal_(state.modal)
{
    const auto& form = state.form();
    // A fixed size: no thick frame and no maximise box; only a window that blocks nothing minimises.
    const DWORD style = modal_ ? WS_POPUP | WS_CAPTION | WS_SYSMENU
                               : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    scale_.dpi =
        dpiOfMonitor(MonitorFromPoint({layout::kWindowLeft, layout::kWindowTop}, MONITOR_DEFAULTTOPRIMARY));
    window_ = CreateWindowExW(modal_ ? WS_EX_DLGMODALFRAME : 0, kClass, toUtf16(state.caption).c_str(), style,
                              scale_(layout::kWindowLeft), scale_(layout::kWindowTop), scale_(form.width),
                              scale_(form.height), owner, nullptr, runtime.module(), this);
    if (window_ == nullptr)
        return;
    place();
    setIcons();
    accessible_ = std::make_unique<AccessibleWindow>(window_, static_cast<AccessibleSource&>(*this));
}

FormWindow::~FormWindow()
{
    close();
}

const WindowState* FormWindow::state() const
{
    return gone_ ? nullptr : runtime_.model().window(id_);
}

int FormWindow::elementOf(const ControlState& control) const
{
    const auto* s = state();
    return s == nullptr ? CHILDID_SELF : static_cast<int>(&control - s->controls.data()) + 1;
}

void FormWindow::place()
{
    const auto& form = *definition_.layout;
    scale_.dpi = dpiOfWindow(window_);
    RECT wanted{scale_(layout::kWindowLeft), scale_(layout::kWindowTop), 0, 0};
    wanted.right = wanted.left + scale_(form.width);
    wanted.bottom = wanted.top + scale_(form.height);
    // Windows 10 draws part of the frame invisibly; the frame the player sees is what has the layout's
    // size. It can be measured only once the window is shown.
    RECT outer{};
    GetWindowRect(window_, &outer);
    RECT seen = outer;
    if (!IsWindowVisible(window_) ||
        FAILED(DwmGetWindowAttribute(window_, DWMWA_EXTENDED_FRAME_BOUNDS, &seen, sizeof seen)))
        seen = outer;
    wanted.left -= seen.left - outer.left;
    wanted.top -= seen.top - outer.top;
    wanted.right += outer.right - seen.right;
    wanted.bottom += outer.bottom - seen.bottom;
    SetWindowPos(window_, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                 wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::setIcons()
{
    const auto resource = assetResource(definition_.layout->icon);
    if (!resource || resource->kind != AssetResource::Kind::Icon)
        return;
    const auto load = [&](int width, int height) {
        return UniqueIcon(static_cast<HICON>(LoadImageW(runtime_.module(), MAKEINTRESOURCEW(resource->id),
                                                        IMAGE_ICON, systemMetric(width, scale_.dpi),
                                                        systemMetric(height, scale_.dpi), LR_DEFAULTCOLOR)));
    };
    // The icons in use go only once the window has the new ones.
    auto big = load(SM_CXICON, SM_CYICON);
    auto small = load(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void FormWindow::draw(const WindowState& state, const ControlState* control, Property property)
{
    if (control == nullptr) {
        if (property == Property::Visible)
            return show(state.visible);
        SetWindowTextW(window_, toUtf16(state.caption).c_str());
        return notify(EVENT_OBJECT_NAMECHANGE, nullptr);
    }
    if (control->layout->type == layout::ControlType::Timer) {
        // Setting a timer that runs again starts its period afresh.
        const auto timer = static_cast<UINT_PTR>(elementOf(*control));
        if (control->interval > 0)
            SetTimer(window_, timer, static_cast<UINT>(control->interval), nullptr);
        else
            KillTimer(window_, timer);
        return;
    }
    redraw();
    switch (property) {
    case Property::Caption:
        notify(EVENT_OBJECT_NAMECHANGE, control);
        if (state.clickable(*control))
            notify(EVENT_OBJECT_DESCRIPTIONCHANGE, control);
        if (control->layout->live)
            notify(kLiveRegionChanged, control);
        break;
    case Property::Visible:
        notify(control->visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, control);
        break;
    case Property::Top:
        notify(EVENT_OBJECT_LOCATIONCHANGE, control);
        break;
    default:
        break;
    }
}

void FormWindow::show(bool shown)
{
    ShowWindow(window_, shown ? SW_SHOW : SW_HIDE);
    if (shown && !placed_) {
        placed_ = true;
        place();
    }
}

void FormWindow::enable(bool enabled)
{
    if (!IsWindowEnabled(window_) != !enabled)
        EnableWindow(window_, enabled);
}

void FormWindow::showKeyboard(const ControlState* control, bool activate)
{
    if (activate && IsWindowVisible(window_)) {
        if (IsIconic(window_))
            ShowWindow(window_, SW_RESTORE);
        SetForegroundWindow(window_);
        SetActiveWindow(window_);
    }
    redraw();
    if (control != nullptr && active_)
        notify(EVENT_OBJECT_FOCUS, control);
}

void FormWindow::close()
{
    if (gone_ || window_ == nullptr)
        return;
    gone_ = true;
    pressing_ = false;
    accessible_.reset();
    // What Windows still sends while it takes the window and its timers down goes past this object.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void FormWindow::notify(DWORD event, const ControlState* control) const
{
    if (accessible_ != nullptr)
        accessible_->notify(event, control == nullptr ? CHILDID_SELF : elementOf(*control));
}

LRESULT CALLBACK FormWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->handle(message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto& model = runtime_.model();
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
            tracking_ = TrackMouseEvent(&track);
        }
        pointer(PointerAction::Move, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        runtime_.model().used(Input::Pointer);
        pressing_ = true;
        SetCapture(window_);
        pointer(PointerAction::Press, lParam);
        return 0;
    case WM_LBUTTONUP:
        if (std::exchange(pressing_, false))
            ReleaseCapture();
        pointer(PointerAction::Release, lParam);
        if (!gone_) {
            // Released outside: the leave that the capture held back.
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
            tracking_ = TrackMouseEvent(&track);
        }
        return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        runtime_.model().used(Input::Pointer);
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (!pressing_)
            pointer(PointerAction::Leave, 0);
        return 0;
    case WM_CAPTURECHANGED:
        // Taken away while the button was down: no click can come of that press any more.
        if (std::exchange(pressing_, false))
            pointer(PointerAction::Leave, 0);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT)
            break;
        SetCursor(LoadCursorW(nullptr, cursor_ == Cursor::Hand ? IDC_HAND : IDC_ARROW));
        return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        runtime_.model().used(Input::Keys);
        if (message == WM_KEYDOWN && key(wParam, lParam))
            return 0;
        break;
    case WM_ACTIVATE:
        active_ = LOWORD(wParam) != WA_INACTIVE;
        redraw();
        if (const auto* s = state(); s != nullptr && active_)
            if (const auto* c = s->control(s->keyboard))
                notify(EVENT_OBJECT_FOCUS, c);
        break;
    case WM_CLOSE:
        // The window goes only the way the model says: through its Closed handler, or by being closed.
        model.requestClose(id_);
        return 0;
    case WM_TIMER:
        if (const auto* s = state(); s != nullptr && wParam >= 1 && wParam <= s->controls.size())
            model.tick(id_, s->controls[wParam - 1].layout->name);
        return 0;
    case kPress:
        if (const auto* s = state(); s != nullptr && wParam >= 1 && wParam <= s->controls.size())
            model.click(id_, s->controls[wParam - 1].layout->name);
        return 0;
    case WM_GETOBJECT:
        if (accessible_ != nullptr)
            if (const auto answer = accessible_->answer(wParam, lParam))
                return *answer;
        break;
    case kDpiChanged: {
        scale_.dpi = LOWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        setIcons();
        redraw();
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void FormWindow::pointer(PointerAction action, LPARAM at)
{
    const Point point{scale_.back(GET_X_LPARAM(at)), scale_.back(GET_Y_LPARAM(at))};
    const Cursor cursor = runtime_.model().pointer(id_, action, point);
    // The click may have closed this very window.
    if (gone_)
        return;
    cursor_ = cursor;
    if (action != PointerAction::Leave)
        SetCursor(LoadCursorW(nullptr, cursor == Cursor::Hand ? IDC_HAND : IDC_ARROW));
}

bool FormWindow::key(WPARAM key, LPARAM flags)
{
    static const std::map<WPARAM, Key> keys{
        {VK_LEFT, Key::Left},       {VK_RIGHT, Key::Right},    {VK_UP, Key::Up},        {VK_DOWN, Key::Down},
        {VK_RETURN, Key::Activate}, {VK_SPACE, Key::Activate}, {VK_ESCAPE, Key::Escape}};
    Key pressed = GetKeyState(VK_SHIFT) < 0 ? Key::Previous : Key::Next;
    if (key != VK_TAB) {
        const auto found = keys.find(key);
        if (found == keys.end())
            return false;
        pressed = found->second;
    }
    // Held down, the key repeats; a press is one click however long it is held.
    if (pressed == Key::Activate && (flags & (1L << 30)))
        return true;
    runtime_.model().key(id_, pressed);
    return true;
}

void FormWindow::paint()
{
    BufferedPaint paint(window_);
    const HDC dc = paint.dc();
    const HBRUSH background = CreateSolidBrush(colourOf(look::kWindowBackground));
    FillRect(dc, &paint.area(), background);
    DeleteObject(background);
    RECT client{};
    GetClientRect(window_, &client);
    if (const auto* s = state())
        paintWithin(dc, *s, {}, client, paint.area());
}

void FormWindow::paintWithin(HDC dc, const WindowState& state, std::string_view container, const RECT& clip,
                             const RECT& dirty)
{
    // A container's controls lie above it and inside it; of the rest, the model says which lies on top.
    for (const auto* c : runtime_.model().stackingOrder(state)) {
        if (c->layout->parent != container || !c->visible)
            continue;
        const RECT at = scale_.rect(placeOf(state, *c));
        RECT inside{};
        RECT touched{};
        if (!IntersectRect(&inside, &at, &clip) || !IntersectRect(&touched, &inside, &dirty))
            continue;
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
        paintControl(dc, state, *c, at);
        RestoreDC(dc, saved);
        paintWithin(dc, state, c->layout->name, inside, dirty);
    }
}

void FormWindow::paintControl(HDC dc, const WindowState& state, const ControlState& control, const RECT& at)
{
    const auto& layout = *control.layout;
    auto box = look::textBox(layout);
    auto colour = colourOf(control.colour);
    switch (layout.type) {
    case layout::ControlType::PictureBox:
        return drawPicture(dc, runtime_.pictures(), layout, at, scale_);
    case layout::ControlType::GroupBox:
        return drawPanel(dc, at, scale_);
    case layout::ControlType::Label:
        return drawLettering(dc, box, control.caption, colour, at, scale_, runtime_.fonts());
    case layout::ControlType::LinkBox:
    case layout::ControlType::LinkText: {
        const auto looks = look::linkLook(layout.type, control.hovered, control.pressed);
        drawLinkBack(dc, looks, at, scale_);
        box.font.underline = box.font.underline || looks.underline;
        colour = colourOf(looks.text);
        break;
    }
    default:
        break;
    }
    SelectObject(dc, runtime_.fonts().get(box.font, scale_(box.font.pixels)));
    drawCaption(dc, box, control.caption, colour, at, scale_);
    if (active_ && runtime_.model().keyboardShown() && state.keyboard == layout.name)
        drawFocusRing(dc, look::focusRing(layout.type), at, scale_);
}

std::optional<AccessibleElement> FormWindow::element(int id) const
{
    const auto* s = state();
    if (s == nullptr || id < 0 || id > static_cast<int>(s->controls.size()))
        return std::nullopt;
    const auto& model = runtime_.model();
    AccessibleElement e;
    const long blocked = model.blocked(*s) ? STATE_SYSTEM_UNAVAILABLE : 0;
    if (id == 0) {
        e.name = toUtf16(s->caption);
        e.role = modal_ ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_CLIENT;
        e.state = blocked | (s->visible ? 0 : STATE_SYSTEM_INVISIBLE);
        GetClientRect(window_, &e.area);
        return e;
    }
    const auto& c = s->controls[static_cast<std::size_t>(id - 1)];
    if (c.layout->type == layout::ControlType::Timer)
        return std::nullopt;
    const bool clickable = s->clickable(c);
    e.role = roleOf(*s, c);
    e.area = scale_.rect(placeOf(*s, c));
    if (isText(c.layout->type)) {
        e.name = toUtf16(c.caption);
        // An empty box shows nothing, and says so besides.
        if (const auto spoken = spokenName(*s, c); spoken != c.caption)
            e.description = toUtf16(spoken);
    }
    e.state = blocked | (model.shown(*s, c) ? 0 : STATE_SYSTEM_INVISIBLE);
    if (clickable) {
        e.action = kPressAction;
        e.state |= STATE_SYSTEM_FOCUSABLE | (c.hovered ? STATE_SYSTEM_HOTTRACKED : 0) |
                   (c.pressed ? STATE_SYSTEM_PRESSED : 0) |
                   (active_ && s->keyboard == c.layout->name ? STATE_SYSTEM_FOCUSED : 0);
    } else {
        e.state |= STATE_SYSTEM_READONLY;
    }
    return e;
}

std::vector<int> FormWindow::children(int id) const
{
    std::vector<int> found;
    const auto* s = state();
    if (s == nullptr || id < 0 || id > static_cast<int>(s->controls.size()))
        return found;
    const std::string_view container = id == 0 ? std::string_view{} : s->controls[id - 1].layout->name;
    for (const auto* c : readingOrder(*s))
        if (c->layout->parent == container)
            found.push_back(elementOf(*c));
    return found;
}

int FormWindow::parent(int id) const
{
    const auto* s = state();
    if (s == nullptr || id < 1 || id > static_cast<int>(s->controls.size()))
        return CHILDID_SELF;
    const auto* container = s->control(s->controls[static_cast<std::size_t>(id - 1)].layout->parent);
    return container == nullptr ? CHILDID_SELF : elementOf(*container);
}

bool FormWindow::act(int id)
{
    const auto e = element(id);
    // Whether the control may be pressed now is the model's to say, when the press comes.
    return e && !e->action.empty() && PostMessageW(window_, kPress, static_cast<WPARAM>(id), 0);
}

} // namespace pelindra::win32
