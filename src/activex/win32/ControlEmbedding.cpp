// The control as an OLE object: its client site, in-place activation in the host's window,
// focus and keys through the host's message loop, drawing into any device context, the class
// information, the event connection point and script safety.
#include "activex/KeyRouting.h"
#include "activex/win32/ControlObject.h"
#include "editor/win32/FindReplaceDlg.h"

using pw::win32::ComPtr;
using pw::win32::Guarded;

namespace {

const wchar_t* const kObjectName = L"Penwright";

}  // namespace

// Client site and verbs

HRESULT CPenwrightCtrl::SetClientSite(IOleClientSite* site) {
    site_ = ComPtr<IOleClientSite>(site);
    if (site)
        ReadAmbients();
    return S_OK;
}

HRESULT CPenwrightCtrl::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    *site = site_.Get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

void CPenwrightCtrl::ReadAmbients() {
    // Hosts without ambient properties (many) leave the control in user mode.
    ComPtr<IDispatch> ambients;
    if (!site_ || FAILED(site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ambients.Out()))))
        return;
    VARIANT value;
    VariantInit(&value);
    DISPPARAMS none{};
    if (SUCCEEDED(ambients->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                   DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)) &&
        value.vt == VT_BOOL)
        userMode_ = value.boolVal != VARIANT_FALSE;
    VariantClear(&value);
}

HRESULT CPenwrightCtrl::Close(DWORD) {
    InPlaceDeactivate();
    if (adviseHolder_)
        adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT CPenwrightCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT CPenwrightCtrl::GetClipboardData(DWORD, IDataObject** data) {
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT CPenwrightCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    if (site && !site_)
        SetClientSite(site);
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return ActivateInPlace(true);
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace(false);
        case OLEIVERB_HIDE:
            UIDeactivate();
            ShowWindow(window_.Handle(), SW_HIDE);
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT CPenwrightCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
    return OleRegEnumVerbs(__uuidof(Penwright), verbs);
}

HRESULT CPenwrightCtrl::GetUserClassID(CLSID* classId) {
    return GetClassID(classId);
}

HRESULT CPenwrightCtrl::GetUserType(DWORD form, LPOLESTR* type) {
    return OleRegGetUserType(__uuidof(Penwright), form, type);
}

HRESULT CPenwrightCtrl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    extent_ = *size;
    return S_OK;
}

HRESULT CPenwrightCtrl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    *size = extent_;
    return S_OK;
}

HRESULT CPenwrightCtrl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(adviseHolder_.Out())))
        return E_OUTOFMEMORY;
    return adviseHolder_->Advise(sink, connection);
}

HRESULT CPenwrightCtrl::Unadvise(DWORD connection) {
    return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT CPenwrightCtrl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advise) : S_OK;
}

HRESULT CPenwrightCtrl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

// In place

HRESULT CPenwrightCtrl::ActivateInPlace(bool uiActivate) {
    if (!site_)
        return E_UNEXPECTED;
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSite> site;
        if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(site.Out()))))
            return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        site->OnInPlaceActivate();
        HWND parent = nullptr;
        RECT position{}, clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        if (FAILED(site->GetWindow(&parent)) ||
            FAILED(site->GetWindowContext(frame_.Out(), uiWindow_.Out(), &position, &clip, &frameInfo))) {
            site->OnInPlaceDeactivate();
            return E_FAIL;
        }
        inPlaceSite_ = site;
        inPlaceActive_ = true;
        window_.PlaceIn(parent, position);
    }
    ShowWindow(window_.Handle(), SW_SHOW);
    if (uiActivate && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_)
            frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), kObjectName);
        if (uiWindow_)
            uiWindow_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), kObjectName);
        if (frame_)
            frame_->SetBorderSpace(nullptr);
        if (!window_.Contains(GetFocus()))
            SetFocus(Editor().Handle());
    }
    return S_OK;
}

HRESULT CPenwrightCtrl::UIDeactivate() {
    if (!uiActive_)
        return S_OK;
    uiActive_ = false;
    if (uiWindow_)
        uiWindow_->SetActiveObject(nullptr, nullptr);
    if (frame_)
        frame_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_)
        inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT CPenwrightCtrl::InPlaceDeactivate() {
    if (!inPlaceActive_)
        return S_OK;
    UIDeactivate();
    inPlaceActive_ = false;
    window_.PlaceIn(nullptr, {});
    const ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    frame_.Reset();
    uiWindow_.Reset();
    site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT CPenwrightCtrl::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = window_.Handle();
    return inPlaceActive_ ? S_OK : E_FAIL;
}

HRESULT CPenwrightCtrl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position)
        return E_POINTER;
    // The extent hosts pass before activation is not to be trusted; this rectangle is.
    SetWindowPos(window_.Handle(), nullptr, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

void CPenwrightCtrl::OnMouseActivate() {
    if (userMode_ && !uiActive_)
        ActivateInPlace(true);
}

void CPenwrightCtrl::TellFocus(bool inside) {
    if (inside && userMode_ && !uiActive_ && inPlaceActive_)
        ActivateInPlace(true);
    ComPtr<IOleControlSite> control;
    if (site_ &&
        SUCCEEDED(site_->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(control.Out()))))
        control->OnFocus(inside);
}

HRESULT CPenwrightCtrl::TranslateAccelerator(LPMSG message) {
    if (!message)
        return E_POINTER;
    const HWND focus = GetFocus();
    // The find dialog over this control takes its own keys (Tab, Enter, Escape) through the
    // host's loop, which knows nothing of it.
    const CQELPenwrightFindReplaceDlg& dialog = CQELPenwrightFindReplaceDlg::ForThread();
    if (focus && dialog.Handle() && dialog.Target() == &Editor() &&
        (focus == dialog.Handle() || IsChild(dialog.Handle(), focus))) {
        MSG copy = *message;
        return CQELPenwrightFindReplaceDlg::PreTranslate(copy) ? S_OK : S_FALSE;
    }
    // Only what is typed into the editor is ours to route.
    if (!focus || !window_.Contains(focus) || message->message != WM_KEYDOWN)
        return S_FALSE;
    switch (RouteKey(message->message, static_cast<uint32_t>(message->wParam), focus == Editor().Handle())) {
        case KeyRoute::kFocusKeyDown:
            SendMessageW(focus, WM_KEYDOWN, message->wParam, message->lParam);
            return S_OK;
        case KeyRoute::kEditorChar:
            // The host hears the key go down before it becomes a character, and may cancel it.
            lastKeyCancelled_ = false;
            SendMessageW(focus, WM_KEYDOWN, message->wParam, message->lParam);
            if (!lastKeyCancelled_)  // Tab, Enter and Escape are their own characters
                SendMessageW(focus, WM_CHAR, message->wParam, message->lParam);
            return S_OK;
        case KeyRoute::kDefault:
            break;
    }
    return S_FALSE;
}

// Control

HRESULT CPenwrightCtrl::GetControlInfo(CONTROLINFO* info) {
    if (!info)
        return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT CPenwrightCtrl::OnAmbientPropertyChange(DISPID id) {
    if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN)
        ReadAmbients();
    return S_OK;
}

HRESULT CPenwrightCtrl::FreezeEvents(BOOL freeze) {
    events_.Freeze(freeze != FALSE);
    return S_OK;
}

// Drawing

HRESULT CPenwrightCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                             LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    return Guarded([&] {
        const RECT area{bounds->left, bounds->top, bounds->right, bounds->bottom};
        const int saved = SaveDC(dc);
        Editor().DrawRows(pw::win32::DCHandle(dc), area);
        RestoreDC(dc, saved);
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = ComPtr<IAdviseSink>(sink);
    return S_OK;
}

HRESULT CPenwrightCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects)
        *aspects = viewAspects_;
    if (flags)
        *flags = viewFlags_;
    if (sink) {
        *sink = viewSink_.Get();
        if (*sink)
            (*sink)->AddRef();
    }
    return S_OK;
}

HRESULT CPenwrightCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// Class information and events

HRESULT CPenwrightCtrl::GetClassInfo(ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = pw::win32::ControlTypeInfo(__uuidof(Penwright));
    if (!*info)
        return TYPE_E_CANTLOADLIBRARY;
    (*info)->AddRef();
    return S_OK;
}

HRESULT CPenwrightCtrl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = __uuidof(_DPenwrightEvents);
    return S_OK;
}

HRESULT CPenwrightCtrl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT CPenwrightCtrl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, __uuidof(_DPenwrightEvents)))
        return CONNECT_E_NOCONNECTION;
    events_.AddRef();
    *point = &events_;
    return S_OK;
}

// Safety: once asked to be safe for untrusted callers, the members that reach files and
// devices refuse (CheckTrusted).

HRESULT CPenwrightCtrl::GetInterfaceSafetyOptions(REFIID, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled)
        return E_POINTER;
    *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    *enabled = untrustedCaller_ ? INTERFACESAFE_FOR_UNTRUSTED_CALLER : 0;
    return S_OK;
}

HRESULT CPenwrightCtrl::SetInterfaceSafetyOptions(REFIID, DWORD mask, DWORD enabled) {
    if (mask & ~(INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA))
        return E_FAIL;
    if (mask & INTERFACESAFE_FOR_UNTRUSTED_CALLER)
        untrustedCaller_ = (enabled & INTERFACESAFE_FOR_UNTRUSTED_CALLER) != 0;
    return S_OK;
}
