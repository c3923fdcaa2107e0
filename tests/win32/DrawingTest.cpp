// Device contexts, the off-screen frame and pixels read back from DIB sections, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "PumpUntil.h"
#include "editor/win32/BackBuffer.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/Window.h"

namespace {

using namespace pw::win32;

constexpr COLORREF kBack = RGB(250, 240, 200);
constexpr COLORREF kInk = RGB(20, 40, 160);

const WindowClass& TestClass() {
    static const WindowClass windowClass(L"PwDrawingTest", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// Paints through a back buffer: the background, and a 10 x 10 square of ink at (ink, ink).
class Canvas : public Window {
public:
    int paints = 0;
    int ink = 20;
    BackBuffer buffer;

protected:
    void Draw(const DCHandle& dc) {
        RECT client;
        GetClientRect(Handle(), &client);
        dc.FillSolid(client, kBack);
        dc.FillSolid(RECT{ink, ink, ink + 10, ink + 10}, kInk);
    }
    void OnPaint() override {
        PaintDC dc(Handle());
        RECT client;
        GetClientRect(Handle(), &client);
        buffer.Paint(dc, client, dc.Dirty(), [this](const DCHandle& memory, const RECT&) { Draw(memory); });
        ++paints;
    }
    void OnPrintClient(HDC dc, UINT) override { Draw(DCHandle(dc)); }
    void OnSize(UINT, int, int) override { buffer.Reset(); }
    LRESULT OnEraseBackground(HDC) override { return TRUE; }  // the paint covers everything
};

TEST(Drawing, AMemoryContextDrawsIntoADibSectionThatReadsBackAsPixels) {
    DibSection section(40, 30);
    ASSERT_TRUE(section);
    section.Dc().FillSolid(RECT{0, 0, 40, 30}, kBack);
    {
        Brush brush(CreateSolidBrush(kInk));
        SelectScope select(section.Dc(), brush.Get());
        PatBlt(section.Dc(), 5, 6, 3, 2, PATCOPY);
    }  // the brush is put back out of the context before it is deleted
    struct Case {
        int x, y;
        COLORREF colour;
    };
    const Case cases[] = {{0, 0, kBack}, {5, 6, kInk},  {7, 7, kInk},
                          {8, 6, kBack}, {5, 8, kBack}, {39, 29, kBack}};
    for (const Case& c : cases) EXPECT_EQ(section.Pixel(c.x, c.y), c.colour) << c.x << "," << c.y;
    EXPECT_EQ(section.Pixel(40, 0), CLR_INVALID);
    EXPECT_EQ(section.Pixel(0, -1), CLR_INVALID);
}

TEST(Drawing, TheHalftoneBrushAlternatesTheTextAndBackgroundColours) {
    DibSection section(16, 4);
    Brush halftone = MakeHalftoneBrush();
    ASSERT_TRUE(halftone);
    SetTextColor(section.Dc(), kInk);
    SetBkColor(section.Dc(), kBack);
    const RECT all{0, 0, 16, 4};
    FillRect(section.Dc(), &all, halftone.Get());
    int ink = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
            const COLORREF pixel = section.Pixel(x, y);
            ASSERT_TRUE(pixel == kInk || pixel == kBack) << x << "," << y;
            // Every neighbour across and down has the other colour.
            if (x > 0) {
                EXPECT_NE(pixel, section.Pixel(x - 1, y)) << x << "," << y;
            }
            if (y > 0) {
                EXPECT_NE(pixel, section.Pixel(x, y - 1)) << x << "," << y;
            }
            ink += pixel == kInk;
        }
    EXPECT_EQ(ink, 32);
}

TEST(Drawing, TheBackBufferReachesTheWindowAndFollowsItsSize) {
    Canvas canvas;
    ASSERT_TRUE(canvas.Create(TestClass(), nullptr, WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 100, 60}));
    UpdateWindow(canvas.Handle());
    ASSERT_TRUE(PumpUntil([&] { return canvas.paints > 0; }));

    auto screen = [&](int x, int y) {
        // From the window's own context: the copy of the back buffer is what it shows.
        WindowDC dc(canvas.Handle());
        DibSection section(1, 1);
        BitBlt(section.Dc(), 0, 0, 1, 1, dc, x, y, SRCCOPY);
        return section.Pixel(0, 0);
    };
    EXPECT_EQ(screen(25, 25), kInk);
    EXPECT_EQ(screen(5, 5), kBack);
    EXPECT_EQ(screen(99, 59), kBack);

    // Larger: the old, smaller bitmap would leave the new part unpainted.
    SetWindowPos(canvas.Handle(), nullptr, 0, 0, 200, 120, SWP_NOMOVE | SWP_NOZORDER);
    int before = canvas.paints;
    InvalidateRect(canvas.Handle(), nullptr, FALSE);
    UpdateWindow(canvas.Handle());
    ASSERT_TRUE(PumpUntil([&] { return canvas.paints > before; }));
    EXPECT_EQ(screen(199, 119), kBack);
    EXPECT_EQ(screen(25, 25), kInk);

    // A paint of part of the window changes only that part.
    canvas.ink = 60;
    before = canvas.paints;
    const RECT part{55, 55, 75, 75};
    InvalidateRect(canvas.Handle(), &part, FALSE);
    UpdateWindow(canvas.Handle());
    ASSERT_TRUE(PumpUntil([&] { return canvas.paints > before; }));
    EXPECT_EQ(screen(65, 65), kInk);
    EXPECT_EQ(screen(25, 25), kInk);  // outside the part: as it was
    canvas.ink = 20;

    // And the window draws into any context it is given, through the same code.
    DibSection captured(200, 120);
    ASSERT_TRUE(CaptureClient(canvas.Handle(), captured));
    EXPECT_EQ(captured.Pixel(25, 25), kInk);
    EXPECT_EQ(captured.Pixel(150, 100), kBack);
}

TEST(Drawing, ACaptureHoldsTheChildrenAtTheirPlaces) {
    Canvas parent;
    // Not on screen: the capture draws through the windows' own code, which needs no display.
    ASSERT_TRUE(parent.Create(TestClass(), nullptr, WS_POPUP, 0, RECT{0, 0, 120, 80}));
    Canvas child;
    ASSERT_TRUE(
        child.Create(TestClass(), parent.Handle(), WS_CHILD | WS_VISIBLE, 0, RECT{50, 30, 90, 70}, 1));
    DibSection captured(120, 80);
    ASSERT_TRUE(CaptureClient(parent.Handle(), captured));
    EXPECT_EQ(captured.Pixel(25, 25), kInk);            // the parent's square
    EXPECT_EQ(captured.Pixel(50 + 25, 30 + 25), kInk);  // the child's, moved by the child's place
    EXPECT_EQ(captured.Pixel(50 + 5, 30 + 5), kBack);
    ShowWindow(child.Handle(), SW_HIDE);
    DibSection without(120, 80);
    ASSERT_TRUE(CaptureClient(parent.Handle(), without));
    EXPECT_EQ(without.Pixel(50 + 25, 30 + 25), kBack);
}

}  // namespace
