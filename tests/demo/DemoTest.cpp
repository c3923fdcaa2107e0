// The demo host's pieces under Wine: the PNG writer and the window hosting the control.
#include <windows.h>

#include <gtest/gtest.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "DemoWindow.h"
#include "PngFile.h"
#include "editor/win32/DibSection.h"
#include "win32/OptionsSheetCanceller.h"

namespace {

using pw::win32::DibSection;

class Com : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

// Decodes a PNG file with the imaging component into 32-bit BGRA pixels.
std::vector<uint32_t> ReadPng(const std::wstring& path, UINT& width, UINT& height) {
    std::vector<uint32_t> pixels;
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    GUID container{};
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetContainerFormat(&container)) && container == GUID_ContainerFormatPng &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                        0, WICBitmapPaletteTypeCustom))) {
        pixels.resize(static_cast<size_t>(width) * height);
        if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size() * 4),
                                         reinterpret_cast<BYTE*>(pixels.data()))))
            pixels.clear();
    }
    for (IUnknown* p : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(frame),
                        static_cast<IUnknown*>(decoder), static_cast<IUnknown*>(factory)})
        if (p)
            p->Release();
    return pixels;
}

std::wstring TempPng(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

TEST_F(Com, APngFileHoldsTheSectionsPixels) {
    // Odd width: 24-bit rows are padded to four bytes, a mistake there shears the picture.
    DibSection image(7, 5);
    ASSERT_TRUE(image);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) SetPixel(image.Dc(), x, y, RGB(x * 30, y * 50, (x + y) * 10));
    const std::wstring path = TempPng(L"pw-demo-test.png");
    ASSERT_EQ(WritePng(image, path), S_OK);
    UINT width = 0, height = 0;
    std::vector<uint32_t> pixels = ReadPng(path, width, height);
    ASSERT_EQ(width, 7u);
    ASSERT_EQ(height, 5u);
    ASSERT_EQ(pixels.size(), 35u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint32_t bgra = pixels[y * 7 + x];
            const COLORREF read = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
            EXPECT_EQ(read, image.Pixel(x, y)) << x << "," << y;
        }
    DeleteFileW(path.c_str());

    EXPECT_TRUE(FAILED(WritePng(image, L"Z:\\no such folder\\x.png")));
}

TEST_F(Com, TheWindowHostsTheControlAboveItsStatusLine) {
    pw::win32::ComPtr<IPenwright> control = NewControl(L"" PW_CONTROL_DLL);
    ASSERT_TRUE(control);
    DemoWindow window;
    ASSERT_TRUE(window.Create(L"demo test", L"test.txt", SIZE{300, 200}, control));
    BSTR text = SysAllocString(L"first\r\n\r\n\tx");
    ASSERT_EQ(control->put_Text(text), S_OK);
    SysFreeString(text);
    const HWND view = window.ControlWindow();
    EXPECT_EQ(GetParent(view), window.Handle());
    RECT client;
    GetWindowRect(view, &client);
    EXPECT_EQ(client.right - client.left, 300);
    EXPECT_EQ(client.bottom - client.top, 200 - 22);  // the status line below

    DibSection image(300, 200);
    ASSERT_TRUE(pw::win32::CaptureClient(window.Handle(), image));
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    // Ink right of the margins in a band of rows: the three rows are at the top, none below.
    auto ink = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 60; x < 280; ++x) count += image.Pixel(x, y) != back;
        return count;
    };
    EXPECT_GT(ink(0, 12), 20);             // "first"
    EXPECT_EQ(ink(70, 140), 0);            // above the scroll bar
    EXPECT_NE(image.Pixel(5, 199), back);  // the status line

    // The host hears the keys: Ctrl+F opens the find dialog and goes no further.
    BYTE state[256] = {}, saved[256];
    GetKeyboardState(saved);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(GetWindow(view, GW_CHILD), WM_KEYDOWN, 'F', 1);
    SetKeyboardState(saved);
    long visible = 0;
    ASSERT_EQ(control->get_FindReplaceDialogVisible(&visible), S_OK);
    EXPECT_EQ(visible, 1);
    control->HideFindReplaceDialog();

    // The menu bar's one command opens the control's options sheet over the window.
    const HMENU tools = GetSubMenu(GetMenu(window.Handle()), 0);
    ASSERT_NE(tools, nullptr);
    pw::test::OptionsSheetCanceller canceller;
    SendMessageW(window.Handle(), WM_COMMAND, GetMenuItemID(tools, 0), 0);
    ASSERT_NE(canceller.Cancelled(), nullptr);
    EXPECT_EQ(canceller.Owner(), window.Handle());
}

}  // namespace
