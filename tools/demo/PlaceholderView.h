#pragma once
// A PLACEHOLDER for the edit control in the demo: a child window that draws the file's rows in
// one plain font and colour, with tabs expanded. It is not the editor (no colours, caret,
// scrolling or editing); the demo puts the edit control in its place once that exists.
#include <windows.h>

#include <string>
#include <vector>

#include "editor/win32/BackBuffer.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/Window.h"

class PlaceholderView : public pw::win32::Window {
public:
    PlaceholderView();
    bool Create(HWND parent, const RECT& rect, UINT id);
    void SetRows(std::vector<std::wstring> rows, int tabSize);
    int RowHeight() const;

protected:
    void OnPaint() override;
    void OnPrintClient(HDC dc, UINT flags) override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }  // the paint covers the window
    void OnSize(UINT, int, int) override { frame_.Reset(); }

private:
    void Draw(const pw::win32::DCHandle& dc) const;

    std::vector<std::wstring> rows_;
    int tabSize_ = 4;
    pw::win32::Font font_;
    pw::win32::BackBuffer frame_;
};
