#pragma once
// The edit control as the Windows tests show it: a child of `parent` at (0, 0, 400, 200), its text
// C++ coloured by the shipped configuration, drawn in DejaVu Sans Mono without antialiasing.
#include <windows.h>

#include <gtest/gtest.h>

#include "PumpUntil.h"
#include "config/ConfigManager.h"
#include "editor/win32/PenwrightCtrl.h"

inline testing::AssertionResult CreateTestControl(CQELPenwrightCtrl& ctrl, HWND parent,
                                                  pw::RefPtr<CQELPenwrightBufferManager>& buffer) {
    ConfigManager::RegisterShared();
    buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    buffer->SetFileExt(L".cpp");
    if (!ctrl.Create(parent, true, true, buffer, 7))
        return testing::AssertionFailure() << "the control was not created";
    MoveWindow(ctrl.Handle(), 0, 0, 400, 200, FALSE);
    LOGFONTW font{};
    font.lfHeight = -13;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    font.lfQuality = NONANTIALIASED_QUALITY;
    wcscpy(font.lfFaceName, L"DejaVu Sans Mono");
    ctrl.SetFont(&font, false);
    if (!ctrl.SetConfigFile(PW_CONFIG_DIR L"/Penwright.ini"))
        return testing::AssertionFailure() << "the configuration was not found";
    return testing::AssertionSuccess();
}

// WM_SETTEXT, then the parse that follows it.
inline testing::AssertionResult SetControlText(CQELPenwrightCtrl& ctrl, const wchar_t* text) {
    SendMessageW(ctrl.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    if (!PumpUntil([&] { return ctrl.Core()->IsParseSettled(); }))
        return testing::AssertionFailure() << "the parse did not settle";
    return testing::AssertionSuccess();
}

// The middle of the left half of (row, display column) on the first page, in client pixels.
inline POINT At(const CQELPenwrightCtrl& ctrl, int row, int col) {
    EditorCore& core = *ctrl.Core();
    return {core.GetRects().text.left + (col - 1) * core.GetTextLayout().GetCharWidth() + 2,
            core.GetRects().text.top + (row - 1) * core.GetTextLayout().GetRowHeight() + 3};
}
