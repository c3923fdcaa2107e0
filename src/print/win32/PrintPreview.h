#pragma once
// Windows only: the print preview, a top-level window showing the pages one or two at a time as
// the printer prints them (each page drawn once into a metafile on the printer's terms), with
// buttons to print, turn pages, show one or two pages, zoom in and out, and close. Its owner is
// disabled while it is open, so that the pages shown stay those of the text.
#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "editor/win32/BackBuffer.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/Window.h"
#include "print/win32/PrintDocument.h"

namespace pw::win32 {

class PrintPreview : public Window {
public:
    static constexpr const wchar_t* kClassName = L"VantrellPWPrintPreview";
    enum Button { kPrint, kNext, kPrevious, kOneTwo, kZoomIn, kZoomOut, kClose, kButtons };
    static constexpr UINT kFirstButtonId = 100;  // a button's id is this plus its Button
    static constexpr int kZoomSteps = 4;         // past fitting the window, each half as large again
    static constexpr int kBarHeight = 32;
    static constexpr int kGap = 10;  // around and between the pages

    // `document` is laid out on `printer`; both are kept while the window lives. `print` is what
    // the print button does once the window is closed.
    PrintPreview(DeviceContext printer, std::unique_ptr<PrintDocument> document, std::wstring title,
                 std::function<void()> print);
    ~PrintPreview() override;

    bool Open(HWND owner);

    int FirstPage() const { return page_; }
    // 2 when two pages are asked for and the second exists.
    int PagesShown();
    int Zoom() const { return zoom_; }
    // "%s [Page %d]" or "%s [Pages %d - %d]".
    std::wstring Title();
    HWND GetButton(Button button) const { return buttons_[button]; }
    // Where the page's printable area lies in the client area now (empty when not shown).
    RECT PageImageRect(int page);

protected:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }
    void OnScroll(int bar, UINT code, int thumb) override;
    void OnMouseWheel(int delta, UINT keys, POINT screen) override;
    void OnKey(UINT message, UINT key, LPARAM flags) override;
    void OnCommand(UINT id, UINT code, HWND control) override;

private:
    struct Layout {
        double scale = 0;             // client pixels per printer pixel
        SIZE content{};               // everything shown, gaps included
        std::array<RECT, 2> paper{};  // each page's sheet in the client area
    };
    Layout Place();
    // The printable area of the index-th sheet shown.
    RECT ImageRect(const Layout& layout, int index) const;
    // The page drawn into a metafile the first time it is shown.
    HENHMETAFILE PageImage(int page);
    // Shows from `page` on, one or two pages, at `zoom`; the title, buttons and scroll bars follow.
    void Show(int page, bool two, int zoom);
    void Scroll(int bar, int position);
    RECT PageArea() const;

    DeviceContext printer_;
    std::unique_ptr<PrintDocument> document_;
    std::wstring title_;
    std::function<void()> print_;
    std::map<int, EnhMetaFile> images_;
    std::array<HWND, kButtons> buttons_{};
    HWND owner_ = nullptr;
    bool ownerWasEnabled_ = false;
    BackBuffer backBuffer_;
    int page_ = 1;
    bool two_ = false;
    int zoom_ = 0;
    POINT scroll_{};
};

}  // namespace pw::win32
