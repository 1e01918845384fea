#include "platform/accessible_object.h"

#include <oleacc.h>

#include "platform/system_library.h"
#include "platform/text.h"

// The object is a small hand-written COM object: IAccessible (over
// IDispatch, whose type information it does not offer) that answers the role
// and name of the window's client area itself and passes every other
// question, and every question about a child, to the system's standard
// object for that area. It holds the name as a copy, so a screen reader may
// keep it after the window has gone; the standard object then answers that
// the window is gone.

namespace vigilo {
namespace {

struct OleAcc {
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, IUnknown*) = nullptr;
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
    BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
    HRESULT(WINAPI* coInitializeEx)(void*, DWORD) = nullptr;

    bool Loaded() const { return lresultFromObject && createStdAccessibleObject && sysAllocStringLen && coInitializeEx; }
};

// Loaded at the first request and kept for the process's life: objects
// handed out may be released by a screen reader at any later time.
const OleAcc& Api() {
    static const OleAcc api = [] {
        OleAcc found;
        const HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        FindExport(oleacc, "LresultFromObject", found.lresultFromObject);
        FindExport(oleacc, "CreateStdAccessibleObject", found.createStdAccessibleObject);
        FindExport(LoadSystemLibrary(L"oleaut32.dll"), "SysAllocStringLen", found.sysAllocStringLen);
        FindExport(LoadSystemLibrary(L"ole32.dll"), "CoInitializeEx", found.coInitializeEx);
        return found;
    }();
    return api;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

class ClientObject final : public IAccessible {
public:
    ClientObject(IAccessible* standard, LONG role, std::wstring name)
        : standard_(standard), role_(role), name_(std::move(name)) {}
    ClientObject(const ClientObject&) = delete;
    ClientObject& operator=(const ClientObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
            IsEqualIID(iid, __uuidof(IAccessible))) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: no type information; clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible: the client area's own role and name; the rest from the standard object.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = Api().sysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ClientObject() { standard_->Release(); }

    LONG references_ = 1;
    IAccessible* standard_;  // a reference of ours
    LONG role_;
    std::wstring name_;
};

}  // namespace

std::optional<LRESULT> AnswerClientObject(HWND window, WPARAM wp, LPARAM lp, LONG role, const std::string& name) {
    // lParam carries the object id as a DWORD, sign-extended or not.
    if (static_cast<DWORD>(lp) != static_cast<DWORD>(OBJID_CLIENT)) return std::nullopt;
    const OleAcc& api = Api();
    if (!api.Loaded()) return std::nullopt;
    // The object is marshalled into the asking process through COM: this
    // thread (the windows' own, which handles its messages) joins a
    // single-threaded apartment once. Already in one, or in the
    // multithreaded one, is as good.
    static const bool comJoined [[maybe_unused]] = SUCCEEDED(api.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    IAccessible* standard = nullptr;
    if (FAILED(api.createStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&standard))) ||
        !standard)
        return std::nullopt;
    auto* object = new ClientObject(standard, role, Utf16(name));
    const LRESULT result = api.lresultFromObject(__uuidof(IAccessible), wp, object);
    object->Release();  // the answer holds its own reference
    return result;
}

void AnnounceAlert(HWND window) { NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, CHILDID_SELF); }

}  // namespace vigilo
