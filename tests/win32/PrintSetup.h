#pragma once
// The printing tests' stage: a host window with the edit control and its print view, texts of
// numbered rows, and a way to act while a job runs (a job lets the thread's messages through
// between pages).
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ControlSetup.h"
#include "print/win32/PenwrightView.h"

class PrintSetup : public ::testing::Test {
protected:
    void SetUp() override {
        static const pw::win32::WindowClass hostClass(L"PwPrintTestHost", 0, LoadCursorW(nullptr, IDC_ARROW));
        ASSERT_TRUE(host.Create(hostClass, nullptr, WS_OVERLAPPEDWINDOW, 0, RECT{0, 0, 500, 300}));
        ASSERT_TRUE(CreateTestControl(ctrl, host.Handle(), buffer));
        view.SetMessageSink([this](const std::wstring& text) { told.push_back(text); });
        view.SetTitle(L"doc.cpp");
    }

    // `count` rows "row 1", "row 2", ...
    void NumberedRows(int count) {
        std::wstring text;
        for (int row = 1; row <= count; ++row)
            text += L"row " + std::to_wstring(row) + (row < count ? L"\r\n" : L"");
        ASSERT_TRUE(SetControlText(ctrl, text.c_str()));
    }

    // Runs `action` when the thread's messages are next let through: inside a job, between pages.
    void WhenPumped(std::function<void()> action) {
        pending_ = std::move(action);
        SetTimer(host.Handle(), 1, 0, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
            KillTimer(hwnd, id);
            auto* self = reinterpret_cast<PrintSetup*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (self && self->pending_)
                std::exchange(self->pending_, nullptr)();
        });
        SetWindowLongPtrW(host.Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    pw::win32::Window host;
    CQELPenwrightCtrl ctrl;
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    CQELPenwrightView view{ctrl};
    std::vector<std::wstring> told;

private:
    std::function<void()> pending_;
};
