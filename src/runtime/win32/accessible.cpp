// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessible.h"

#include <algorithm>
#include <oleacc.h>

namespace pelindra::win32 {
namespace {

// An element's object. Its children are listed through IEnumVARIANT, as objects: a client that asks
// for them by child id would take 1, 2, ... to mean the first, second, ... of them, where we mean
// element numbers.
class Object final : public IAccessible, public IEnumVARIANT
{
public:
    Object(std::shared_ptr<AccessibleWindow::Connection> connection, int id)
        : connection_(std::move(connection)), id_(id)
    {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IEnumVARIANT))
            *out = static_cast<IEnumVARIANT*>(this);
        else
            *out = nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: nobody scripts these objects.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
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
        *parent = nullptr;
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        if (id_ == CHILDID_SELF) // the window's frame, which Windows describes itself
            return AccessibleObjectFromWindow(connection_->window, static_cast<DWORD>(OBJID_WINDOW),
                                              __uuidof(IDispatch), reinterpret_cast<void**>(parent));
        return handOut(connection_->source->parent(id_), parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        *count = 0;
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        *count = static_cast<long>(connection_->source->children(id_).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        *out = nullptr;
        const int id = target(child);
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        if (id == CHILDID_SELF || !connection_->source->element(id))
            return E_INVALIDARG;
        return handOut(id, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return text(child, name, [](const AccessibleElement& e) { return e.name; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return text(child, value, [](const AccessibleElement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return text(child, description, [](const AccessibleElement& e) { return e.description; });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return number(child, role, [](const AccessibleElement& e) { return e.role; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return number(child, state, [](const AccessibleElement& e) { return e.state; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return text(child, help, [](const AccessibleElement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return text(child, keys, [](const AccessibleElement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        VariantInit(focus);
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        const int found = focused(id_);
        if (found < 0)
            return S_FALSE;
        return answer(found, focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        VariantInit(selection);
        return connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return text(child, action, [](const AccessibleElement& e) { return e.action; });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override
    {
        *x = *y = *width = *height = 0;
        std::optional<AccessibleElement> element;
        if (const HRESULT found = lookUp(child, element); found != S_OK)
            return found;
        POINT corner{element->area.left, element->area.top};
        ClientToScreen(connection_->window, &corner);
        *x = corner.x;
        *y = corner.y;
        *width = element->area.right - element->area.left;
        *height = element->area.bottom - element->area.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override
    {
        VariantInit(end);
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override
    {
        VariantInit(hit);
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        POINT point{x, y};
        ScreenToClient(connection_->window, &point);
        const auto inside = [&](int id) {
            const auto element = connection_->source->element(id);
            return element && !(element->state & STATE_SYSTEM_INVISIBLE) && PtInRect(&element->area, point);
        };
        if (!inside(id_))
            return S_FALSE;
        // The deepest element under the point; of overlapping siblings, the last in reading order.
        int found = id_;
        for (bool deeper = true; deeper;) {
            deeper = false;
            const auto children = connection_->source->children(found);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                if (inside(*it)) {
                    found = *it;
                    deeper = true;
                    break;
                }
        }
        return answer(found, hit);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        std::optional<AccessibleElement> element;
        if (const HRESULT found = lookUp(child, element); found != S_OK)
            return found;
        return connection_->source->act(target(child)) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // IEnumVARIANT, over the children as they are at each call.
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override
    {
        if (fetched)
            *fetched = 0;
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        const auto children = connection_->source->children(id_);
        ULONG given = 0;
        for (; given < wanted && next_ < children.size(); ++given, ++next_) {
            VariantInit(&out[given]);
            out[given].vt = VT_DISPATCH;
            handOut(children[next_], &out[given].pdispVal);
        }
        if (fetched)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        const std::size_t total = connection_->source->children(id_).size();
        next_ = std::min<std::size_t>(total, next_ + count);
        return next_ < total || count == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override
    {
        auto* copy = new Object(connection_, id_);
        copy->next_ = next_;
        *out = copy;
        return S_OK;
    }

private:
    bool connected() const { return connection_->source != nullptr; }

    // The element a call is about: this object's own, or, asked with a child id, that element.
    int target(const VARIANT& child) const
    {
        if (child.vt != VT_I4 || child.lVal == CHILDID_SELF)
            return id_;
        return static_cast<int>(child.lVal);
    }

    HRESULT lookUp(const VARIANT& child, std::optional<AccessibleElement>& element) const
    {
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        element = connection_->source->element(target(child));
        return element ? S_OK : E_INVALIDARG;
    }

    template <class Field> HRESULT text(const VARIANT& child, BSTR* out, Field field) const
    {
        *out = nullptr;
        std::optional<AccessibleElement> element;
        if (const HRESULT found = lookUp(child, element); found != S_OK)
            return found;
        const std::wstring value = field(*element);
        if (value.empty())
            return S_FALSE;
        *out = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    template <class Field> HRESULT number(const VARIANT& child, VARIANT* out, Field field) const
    {
        VariantInit(out);
        std::optional<AccessibleElement> element;
        if (const HRESULT found = lookUp(child, element); found != S_OK)
            return found;
        out->vt = VT_I4;
        out->lVal = field(*element);
        return S_OK;
    }

    // The element at or below id that has the keyboard, or -1.
    int focused(int id) const
    {
        const auto element = connection_->source->element(id);
        if (element && (element->state & STATE_SYSTEM_FOCUSED))
            return id;
        for (const int child : connection_->source->children(id))
            if (const int found = focused(child); found >= 0)
                return found;
        return -1;
    }

    // This object as itself, or another of the window's as an object of its own.
    HRESULT answer(int found, VARIANT* out)
    {
        if (found == id_) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        }
        out->vt = VT_DISPATCH;
        return handOut(found, &out->pdispVal);
    }
    HRESULT handOut(int id, IDispatch** out) const
    {
        *out = new Object(connection_, id);
        return S_OK;
    }

    std::shared_ptr<AccessibleWindow::Connection> connection_;
    int id_;
    std::size_t next_ = 0; // the enumeration's place
    ULONG references_ = 1;
};

} // namespace

AccessibleWindow::AccessibleWindow(HWND window, AccessibleSource& source)
    : connection_(std::make_shared<Connection>(Connection{window, &source}))
{}

AccessibleWindow::~AccessibleWindow()
{
    connection_->source = nullptr;
}

std::optional<LRESULT> AccessibleWindow::answer(WPARAM wParam, LPARAM lParam)
{
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT))
        return std::nullopt;
    auto* root = new Object(connection_, CHILDID_SELF);
    // LresultFromObject takes a reference of its own; ours goes.
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(root));
    root->Release();
    return result;
}

void AccessibleWindow::notify(DWORD event, int id) const
{
    NotifyWinEvent(event, connection_->window, OBJID_CLIENT, id);
}

} // namespace pelindra::win32
