#pragma once
// Windows only: owners of GDI objects and device contexts, released when they go out of scope.
#include <windows.h>

namespace pw::win32 {

// Owns one handle and closes it with `Closer`; movable, not copyable.
template <class H, class Closer>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    H Release() {
        H handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void Reset(H handle = nullptr) {
        if (handle_)
            Closer{}(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using Bitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using Brush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using Font = UniqueHandle<HFONT, DeleteGdiObject>;
using Pen = UniqueHandle<HPEN, DeleteGdiObject>;

// A device context made with CreateDC (a printer's) or CreateEnhMetaFile's, deleted at the end.
struct DeleteDeviceContext {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using DeviceContext = UniqueHandle<HDC, DeleteDeviceContext>;
struct DeletePicture {
    void operator()(HENHMETAFILE file) const { ::DeleteEnhMetaFile(file); }
};
using EnhMetaFile = UniqueHandle<HENHMETAFILE, DeletePicture>;

// A brush of alternating pixels, as a checkerboard: a monochrome pattern, so it paints in the
// context's text colour and background colour.
Brush MakeHalftoneBrush();

// A font made for the screen, sized for `dc` so that it keeps its size in points there: a
// printer's page, a metafile, a bitmap.
LOGFONTW FontForDevice(const LOGFONTW& screenFont, HDC dc);

// Selects an object into a device context and puts the old one back when it ends, so that the
// object can be deleted afterwards (GDI does not delete an object that is selected).
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A device context that someone else owns: the one given with WM_PRINTCLIENT or WM_ERASEBKGND,
// a printer's. The owning forms below derive from it, so drawing code takes this one.
class DCHandle {
public:
    explicit DCHandle(HDC dc = nullptr) : dc_(dc) {}
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }
    // ExtTextOut with an opaque empty text: the cheapest solid fill, without a brush.
    void FillSolid(const RECT& rect, COLORREF colour) const;

protected:
    HDC dc_;
};

// The client area's context from GetDC, released at the end.
class WindowDC : public DCHandle {
public:
    explicit WindowDC(HWND hwnd) : DCHandle(GetDC(hwnd)), hwnd_(hwnd) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }

private:
    HWND hwnd_;
};

// BeginPaint and EndPaint around a WM_PAINT handler.
class PaintDC : public DCHandle {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(hwnd_, &paint_); }
    const RECT& Dirty() const { return paint_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
};

// A memory context of its own (CreateCompatibleDC), deleted at the end.
class MemoryDC : public DCHandle {
public:
    explicit MemoryDC(HDC compatibleWith) : DCHandle(CreateCompatibleDC(compatibleWith)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC() {
        if (dc_)
            DeleteDC(dc_);
    }
};

}  // namespace pw::win32
