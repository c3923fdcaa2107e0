#include "DemoWindow.h"

#include <olectl.h>

namespace {

constexpr int kStatusHeight = 22;
constexpr UINT kOptionsCommand = 1;

const pw::win32::WindowClass& FrameClass() {
    static const pw::win32::WindowClass windowClass(L"PenwrightDemo", CS_HREDRAW | CS_VREDRAW,
                                                    LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

template <class I>
pw::win32::ComPtr<I> As(IUnknown* object, REFIID iid) {
    pw::win32::ComPtr<I> result;
    if (object)
        object->QueryInterface(iid, reinterpret_cast<void**>(result.Out()));
    return result;
}

}  // namespace

pw::win32::ComPtr<IPenwright> NewControl(const std::wstring& path) {
    const HMODULE module = LoadLibraryW(path.c_str());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = module ? reinterpret_cast<GetClassObject>(
                            reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                      : nullptr;
    pw::win32::ComPtr<IClassFactory> factory;
    pw::win32::ComPtr<IPenwright> control;
    if (get &&
        SUCCEEDED(get(__uuidof(Penwright), IID_IClassFactory, reinterpret_cast<void**>(factory.Out()))))
        factory->CreateInstance(nullptr, __uuidof(IPenwright), reinterpret_cast<void**>(control.Out()));
    return control;
}

// The control's events as the demo hears them.
class DemoEvents final : public IDispatch {
public:
    explicit DemoEvents(DemoWindow& window) : window_(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, __uuidof(_DPenwrightEvents))) {
            *out = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Owned by the window, which lets the connection go before it goes.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id == 1 || id == 2)  // CurPosChanged, Change
            window_.UpdateStatus();
        else if (id == DISPID_KEYDOWN && params && params->cArgs == 2 &&
                 params->rgvarg[1].vt == (VT_I2 | VT_BYREF) && params->rgvarg[0].vt == VT_I2)
            KeyDown(*params->rgvarg[1].piVal, params->rgvarg[0].iVal);
        return S_OK;
    }

private:
    // Ctrl+F finds, Ctrl+H replaces (F3 the control handles itself); Ctrl+P prints and
    // Ctrl+Shift+P previews. The keys taken are kept from the control.
    void KeyDown(short& code, short shift) {
        const bool ctrl = shift & 2, alt = shift & 4, withShift = shift & 1;
        IPenwright* control = window_.Control();
        if (!ctrl || alt || !control)
            return;
        if (code == 'F' || code == 'H')
            control->ShowFindReplaceDialog(code == 'H' ? VARIANT_TRUE : VARIANT_FALSE);
        else if (code == 'P' && withShift)
            control->PrintPreview(VARIANT_FALSE);
        else if (code == 'P')
            control->PrintText2(VARIANT_TRUE);
        else
            return;
        code = 0;
    }

    DemoWindow& window_;
};

DemoWindow::DemoWindow() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font_.Reset(CreateFontIndirectW(&metrics.lfStatusFont));
}

DemoWindow::~DemoWindow() {
    // Here, not in the base's destructor: closing the control needs this class's OnDestroy, and
    // the site must outlive the control's use of it.
    if (Handle())
        DestroyWindow(Handle());
}

bool DemoWindow::Create(const std::wstring& title, const std::wstring& name, SIZE client,
                        pw::win32::ComPtr<IPenwright> control) {
    name_ = name;
    control_ = std::move(control);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT rect{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&rect, style, TRUE, 0);
    OffsetRect(&rect, 40 - rect.left, 40 - rect.top);
    return control_ && Window::Create(FrameClass(), nullptr, style, 0, rect, 0, title.c_str());
}

bool DemoWindow::OnCreate(const CREATESTRUCTW&) {
    // The window destroys its menu with itself.
    const HMENU tools = CreatePopupMenu();
    const HMENU bar = CreateMenu();
    AppendMenuW(tools, MF_STRING, kOptionsCommand, L"&Options...");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), L"&Tools");
    SetMenu(Handle(), bar);
    site_ = std::make_unique<ControlSite>(Handle());
    const auto object = As<IOleObject>(control_.Get(), IID_IOleObject);
    if (!object || FAILED(site_->Embed(object.Get(), ControlRect())))
        return false;
    events_ = std::make_unique<DemoEvents>(*this);
    if (const auto points = As<IConnectionPointContainer>(control_.Get(), IID_IConnectionPointContainer)) {
        pw::win32::ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(points->FindConnectionPoint(__uuidof(_DPenwrightEvents), point.Out())))
            point->Advise(events_.get(), &cookie_);
    }
    UpdateStatus();
    return true;
}

void DemoWindow::OnDestroy() {
    if (const auto points = As<IConnectionPointContainer>(control_.Get(), IID_IConnectionPointContainer)) {
        pw::win32::ComPtr<IConnectionPoint> point;
        if (cookie_ && SUCCEEDED(points->FindConnectionPoint(__uuidof(_DPenwrightEvents), point.Out())))
            point->Unadvise(cookie_);
    }
    if (const auto object = As<IOleObject>(control_.Get(), IID_IOleObject)) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    PostQuitMessage(0);
}

void DemoWindow::OnCommand(UINT id, UINT code, HWND control) {
    if (id == kOptionsCommand && !control && control_)
        control_->ShowOptionsDialog();
    else
        Window::OnCommand(id, code, control);
}

HWND DemoWindow::ControlWindow() const {
    long window = 0;
    return control_ && SUCCEEDED(control_->get_hWnd(&window))
               ? reinterpret_cast<HWND>(static_cast<LONG_PTR>(window))
               : nullptr;
}

bool DemoWindow::PreTranslate(MSG& msg) {
    return site_ && site_->activeObject && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
           site_->activeObject->TranslateAccelerator(&msg) == S_OK;
}

void DemoWindow::UpdateStatus() {
    long rows = 0, row = 0, col = 0;
    if (control_) {
        control_->get_RowsCount(&rows);
        control_->get_CurrRow(&row);
        control_->get_CurrCol(&col);
    }
    status_ = name_ + L": " + std::to_wstring(rows) + L" rows, line " + std::to_wstring(row) + L", column " +
              std::to_wstring(col);
    const RECT rect = StatusRect();
    InvalidateRect(Handle(), &rect, FALSE);
}

void DemoWindow::OnSize(UINT, int, int) {
    if (site_)
        site_->Place(As<IOleInPlaceObject>(control_.Get(), IID_IOleInPlaceObject).Get(), ControlRect());
}

RECT DemoWindow::ControlRect() const {
    RECT rect;
    GetClientRect(Handle(), &rect);
    rect.bottom = rect.bottom > kStatusHeight ? rect.bottom - kStatusHeight : 0;
    return rect;
}

RECT DemoWindow::StatusRect() const {
    RECT rect;
    GetClientRect(Handle(), &rect);
    rect.top = rect.bottom > kStatusHeight ? rect.bottom - kStatusHeight : 0;
    return rect;
}

void DemoWindow::DrawStatus(const pw::win32::DCHandle& dc) const {
    RECT rect = StatusRect();
    dc.FillSolid(rect, GetSysColor(COLOR_BTNFACE));
    RECT line{rect.left, rect.top, rect.right, rect.top + 1};
    dc.FillSolid(line, GetSysColor(COLOR_BTNSHADOW));
    pw::win32::SelectScope select(
        dc, font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    rect.left += 6;
    DrawTextW(dc, status_.c_str(), static_cast<int>(status_.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void DemoWindow::OnPaint() {
    pw::win32::PaintDC dc(Handle());
    DrawStatus(dc);
}

void DemoWindow::OnPrintClient(HDC dc, UINT) {
    DrawStatus(pw::win32::DCHandle(dc));
}
