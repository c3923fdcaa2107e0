#include "editor/win32/DibSection.h"

namespace pw::win32 {

DibSection::DibSection(int width, int height) : width_(width), height_(height), dc_(nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !dc_)
        return;
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_.Get());
}

DibSection::~DibSection() {
    if (old_)
        SelectObject(dc_, old_);
}

const uint32_t* DibSection::Pixels() const {
    GdiFlush();
    return bits_;
}

COLORREF DibSection::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    uint32_t bgr = Pixels()[static_cast<size_t>(y) * width_ + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

namespace {

void PrintTree(HWND hwnd, HDC dc, POINT origin) {
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        // The style, not IsWindowVisible: a window that is not on screen can be drawn too.
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        PrintTree(child, dc, POINT{origin.x + rect.left, origin.y + rect.top});
    }
}

}  // namespace

bool CaptureClient(HWND hwnd, DibSection& into) {
    if (!into || !IsWindow(hwnd))
        return false;
    PrintTree(hwnd, into.Dc(), POINT{0, 0});
    SetViewportOrgEx(into.Dc(), 0, 0, nullptr);
    return true;
}

}  // namespace pw::win32
