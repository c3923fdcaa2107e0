#include "print/win32/PrintPreview.h"

#include <algorithm>
#include <cmath>

#include "editor/win32/ScrollBar.h"
#include "platform/StringTable.h"

namespace pw::win32 {

namespace {

constexpr unsigned kCaptions[PrintPreview::kButtons] = {9775, 9776, 9777, 9779, 9780, 9781, 9782};
constexpr unsigned kOnePageCaption = 9778;
constexpr unsigned kPageTitle = 9773;
constexpr unsigned kPagesTitle = 9774;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kLine = 20;  // pixels a scroll arrow moves
constexpr double kZoomFactor = 1.5;

const WindowClass& PreviewClass() {
    static const WindowClass windowClass(PrintPreview::kClassName, CS_HREDRAW | CS_VREDRAW,
                                         LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// The sheet in printer pixels, and where the printable area starts on it; a device that is no
// printer (a screen in tests) is all printable.
SIZE Paper(HDC printer) {
    const SIZE physical{GetDeviceCaps(printer, PHYSICALWIDTH), GetDeviceCaps(printer, PHYSICALHEIGHT)};
    if (physical.cx > 0 && physical.cy > 0)
        return physical;
    return {GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES)};
}

POINT PrintableOffset(HDC printer) {
    if (GetDeviceCaps(printer, PHYSICALWIDTH) <= 0)
        return {};
    return {GetDeviceCaps(printer, PHYSICALOFFSETX), GetDeviceCaps(printer, PHYSICALOFFSETY)};
}

int Scaled(int pixels, double scale) {
    return static_cast<int>(std::lround(pixels * scale));
}

}  // namespace

PrintPreview::PrintPreview(DeviceContext printer, std::unique_ptr<PrintDocument> document, std::wstring title,
                           std::function<void()> print)
    : printer_(std::move(printer)),
      document_(std::move(document)),
      title_(std::move(title)),
      print_(std::move(print)) {}

PrintPreview::~PrintPreview() {
    if (Handle())
        DestroyWindow(Handle());  // while the document and the printer are still here
}

bool PrintPreview::Open(HWND owner) {
    if (Handle() || !printer_ || !document_)
        return false;
    RECT rect{100, 100, 900, 700};
    if (owner && IsWindowVisible(owner))
        GetWindowRect(owner, &rect);
    if (!Create(PreviewClass(), owner, WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN, 0,
                rect))
        return false;
    owner_ = owner;
    ownerWasEnabled_ = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled_)
        EnableWindow(owner, FALSE);
    Show(1, false, 0);
    ShowWindow(Handle(), SW_SHOW);
    return true;
}

int PrintPreview::PagesShown() {
    return two_ && document_->PageExists(page_ + 1) ? 2 : 1;
}

std::wstring PrintPreview::Title() {
    const std::wstring first = std::to_wstring(page_);
    if (PagesShown() == 2)
        return pw::LoadString(kPagesTitle, {title_, first, std::to_wstring(page_ + 1)});
    return pw::LoadString(kPageTitle, {title_, first});
}

RECT PrintPreview::PageArea() const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    client.top = std::min(client.top + kBarHeight, client.bottom);
    return client;
}

PrintPreview::Layout PrintPreview::Place() {
    Layout layout;
    const RECT area = PageArea();
    const SIZE paper = Paper(printer_.Get());
    const int pages = PagesShown();
    if (paper.cx <= 0 || paper.cy <= 0)
        return layout;
    const double fitWidth = static_cast<double>(area.right - area.left - (pages + 1) * kGap) /
                            (static_cast<double>(paper.cx) * pages);
    const double fitHeight = static_cast<double>(area.bottom - area.top - 2 * kGap) / paper.cy;
    layout.scale = std::max(std::min(fitWidth, fitHeight), 0.01) * std::pow(kZoomFactor, zoom_);
    const int width = std::max(Scaled(paper.cx, layout.scale), 1);
    const int height = std::max(Scaled(paper.cy, layout.scale), 1);
    layout.content = {pages * width + (pages + 1) * kGap, height + 2 * kGap};
    // Centred while they fit, scrolled when they do not.
    const int left =
        area.left + std::max<int>((area.right - area.left - layout.content.cx) / 2, 0) - scroll_.x;
    const int top = area.top + std::max<int>((area.bottom - area.top - layout.content.cy) / 2, 0) - scroll_.y;
    for (int i = 0; i < pages; ++i) {
        const int x = left + kGap + i * (width + kGap);
        layout.paper[static_cast<size_t>(i)] = {x, top + kGap, x + width, top + kGap + height};
    }
    return layout;
}

RECT PrintPreview::PageImageRect(int page) {
    const int index = page - page_;
    if (index < 0 || index >= PagesShown())
        return {};
    return ImageRect(Place(), index);
}

RECT PrintPreview::ImageRect(const Layout& layout, int index) const {
    const RECT& paper = layout.paper[static_cast<size_t>(index)];
    const POINT offset = PrintableOffset(printer_.Get());
    const int left = paper.left + Scaled(offset.x, layout.scale);
    const int top = paper.top + Scaled(offset.y, layout.scale);
    return {left, top, left + Scaled(GetDeviceCaps(printer_.Get(), HORZRES), layout.scale),
            top + Scaled(GetDeviceCaps(printer_.Get(), VERTRES), layout.scale)};
}

HENHMETAFILE PrintPreview::PageImage(int page) {
    if (auto it = images_.find(page); it != images_.end())
        return it->second.Get();
    HDC printer = printer_.Get();
    // The frame in hundredths of a millimetre: the printable area.
    const RECT frame{0, 0, MulDiv(GetDeviceCaps(printer, HORZRES), 2540, GetDeviceCaps(printer, LOGPIXELSX)),
                     MulDiv(GetDeviceCaps(printer, VERTRES), 2540, GetDeviceCaps(printer, LOGPIXELSY))};
    HDC recorder = CreateEnhMetaFileW(printer, nullptr, &frame, nullptr);
    if (!recorder)
        return nullptr;
    document_->PrintPage(recorder, page);
    return images_.emplace(page, EnhMetaFile(CloseEnhMetaFile(recorder))).first->second.Get();
}

void PrintPreview::Show(int page, bool two, int zoom) {
    page_ = std::max(page, 1);
    two_ = two;
    zoom_ = std::clamp(zoom, 0, kZoomSteps);
    SetWindowTextW(Handle(), Title().c_str());
    EnableWindow(buttons_[kNext], document_->PageExists(page_ + PagesShown()));
    EnableWindow(buttons_[kPrevious], page_ > 1);
    SetWindowTextW(buttons_[kOneTwo], pw::LoadString(two_ ? kOnePageCaption : kCaptions[kOneTwo]).c_str());
    EnableWindow(buttons_[kZoomIn], zoom_ < kZoomSteps);
    EnableWindow(buttons_[kZoomOut], zoom_ > 0);
    const Layout layout = Place();
    const RECT area = PageArea();
    const SIZE view{area.right - area.left, area.bottom - area.top};
    scroll_.x = std::clamp<int>(scroll_.x, 0, std::max<int>(layout.content.cx - view.cx, 0));
    scroll_.y = std::clamp<int>(scroll_.y, 0, std::max<int>(layout.content.cy - view.cy, 0));
    ScrollBar(Handle(), SB_HORZ)
        .Set(0, std::max<int>(layout.content.cx - 1, 0), static_cast<UINT>(view.cx), scroll_.x);
    ScrollBar(Handle(), SB_VERT)
        .Set(0, std::max<int>(layout.content.cy - 1, 0), static_cast<UINT>(view.cy), scroll_.y);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void PrintPreview::Scroll(int bar, int position) {
    (bar == SB_HORZ ? scroll_.x : scroll_.y) = position;
    Show(page_, two_, zoom_);  // clamps and moves the bar
}

bool PrintPreview::OnCreate(const CREATESTRUCTW&) {
    const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    for (int i = 0; i < kButtons; ++i) {
        buttons_[static_cast<size_t>(i)] = CreateWindowExW(
            0, L"BUTTON", pw::LoadString(kCaptions[i]).c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, Handle(),
            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFirstButtonId + i)), nullptr, nullptr);
        SendMessageW(buttons_[static_cast<size_t>(i)], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

void PrintPreview::OnDestroy() {
    if (ownerWasEnabled_) {
        // Before the window goes, so that the owner is the one activated next.
        EnableWindow(owner_, TRUE);
        ownerWasEnabled_ = false;
    }
}

void PrintPreview::OnSize(UINT, int, int) {
    backBuffer_.Reset();
    for (int i = 0; i < kButtons; ++i)
        MoveWindow(buttons_[static_cast<size_t>(i)], kGap / 2 + i * (kButtonWidth + kGap / 2),
                   (kBarHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight, TRUE);
    Show(page_, two_, zoom_);
}

void PrintPreview::OnPaint() {
    PaintDC target(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    backBuffer_.Paint(target, client, target.Dirty(), [&](const DCHandle& dc, const RECT&) {
        dc.FillSolid(RECT{client.left, client.top, client.right, client.top + kBarHeight},
                     GetSysColor(COLOR_BTNFACE));
        dc.FillSolid(PageArea(), GetSysColor(COLOR_APPWORKSPACE));
        const Layout layout = Place();
        for (int i = 0; i < PagesShown(); ++i) {
            const RECT& paper = layout.paper[static_cast<size_t>(i)];
            dc.FillSolid(RECT{paper.left + 3, paper.top + 3, paper.right + 3, paper.bottom + 3},
                         RGB(0, 0, 0));
            dc.FillSolid(paper, RGB(255, 255, 255));
            const RECT image = ImageRect(layout, i);
            if (HENHMETAFILE picture = PageImage(page_ + i))
                PlayEnhMetaFile(dc, picture, &image);
        }
    });
}

void PrintPreview::OnScroll(int bar, UINT code, int thumb) {
    const RECT area = PageArea();
    const int page = bar == SB_HORZ ? area.right - area.left : area.bottom - area.top;
    const int now = bar == SB_HORZ ? scroll_.x : scroll_.y;
    switch (code) {
        case SB_LINEUP:
            Scroll(bar, now - kLine);
            break;
        case SB_LINEDOWN:
            Scroll(bar, now + kLine);
            break;
        case SB_PAGEUP:
            Scroll(bar, now - page);
            break;
        case SB_PAGEDOWN:
            Scroll(bar, now + page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            Scroll(bar, thumb);
            break;
        case SB_TOP:
            Scroll(bar, 0);
            break;
        case SB_BOTTOM:
            Scroll(bar, INT_MAX / 2);
            break;
        default:
            break;
    }
}

void PrintPreview::OnMouseWheel(int delta, UINT, POINT) {
    // Scrolls while the pages are taller than the window; turns them when they fit.
    const RECT area = PageArea();
    if (Place().content.cy > area.bottom - area.top)
        Scroll(SB_VERT, scroll_.y - delta / WHEEL_DELTA * 3 * kLine);
    else if (delta != 0)
        OnCommand(kFirstButtonId + (delta < 0 ? kNext : kPrevious), BN_CLICKED, nullptr);
}

void PrintPreview::OnKey(UINT message, UINT key, LPARAM) {
    if (message != WM_KEYDOWN)
        return;
    switch (key) {
        case VK_NEXT:
            OnCommand(kFirstButtonId + kNext, BN_CLICKED, nullptr);
            break;
        case VK_PRIOR:
            OnCommand(kFirstButtonId + kPrevious, BN_CLICKED, nullptr);
            break;
        case VK_ESCAPE:
            OnCommand(kFirstButtonId + kClose, BN_CLICKED, nullptr);
            break;
        default:
            break;
    }
}

void PrintPreview::OnCommand(UINT id, UINT, HWND) {
    if (id < kFirstButtonId || id >= kFirstButtonId + kButtons)
        return;
    switch (static_cast<Button>(id - kFirstButtonId)) {
        case kPrint: {
            const std::function<void()> print = print_;
            DestroyWindow(Handle());
            if (print)
                print();
            break;
        }
        case kNext:
            if (document_->PageExists(page_ + PagesShown()))
                Show(page_ + PagesShown(), two_, zoom_);
            break;
        case kPrevious:
            Show(page_ - (two_ ? 2 : 1), two_, zoom_);
            break;
        case kOneTwo:
            Show(page_, !two_, zoom_);
            break;
        case kZoomIn:
            Show(page_, two_, zoom_ + 1);
            break;
        case kZoomOut:
            Show(page_, two_, zoom_ - 1);
            break;
        case kClose:
            DestroyWindow(Handle());
            break;
        case kButtons:
            break;
    }
}

}  // namespace pw::win32
