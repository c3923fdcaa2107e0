#pragma once
// A window for the editor's logic that paints nothing and answers nothing: for tests that look
// at the logic's results rather than at what it asks of the window (but for the repaint timer
// and a clipboard); a measurer of a fixed-pitch font; and an edit control's logic over a text.
#include <gtest/gtest.h>
#include <algorithm>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/BufferManager.h"
#include "editor/EditorCore.h"
#include "editor/EditorWindow.h"
#include "editor/MouseInput.h"
#include "platform/Time.h"

class QuietWindow : public EditorWindow {
public:
    PixelRect GetClientRect() const override { return client; }
    const TextMeasurer* GetTextMeasurer() const override { return nullptr; }
    void Invalidate() override { invalidated.push_back(client); }
    void InvalidateArea(const PixelRect& area) override { invalidated.push_back(area); }
    void UpdateNow() override {}
    void SetRepaintTimer(uint32_t periodMs) override { timer = periodMs; }
    void KillRepaintTimer() override { timer = 0; }
    void SetScrollBar(bool, const ScrollBar&) override {}
    void ShowScrollBars(bool, bool) override {}
    void RedrawCaret() override {}
    intptr_t NotifyParent(int, std::span<const int32_t>) override { return 0; }
    uint32_t TickCount() override { return pw::TickCount(); }
    bool PutClipboard(std::wstring_view text, bool block) override {
        if (!clipboardOpens)
            return false;
        clipboard = ClipboardText{std::wstring(text), block};
        return true;
    }
    std::optional<ClipboardText> GetClipboard() override { return clipboardOpens ? clipboard : std::nullopt; }
    void SetTimer(uint32_t id, uint32_t) override { timers.insert(id); }
    void KillTimer(uint32_t id) override { timers.erase(id); }
    void CaptureMouse(bool on) override { captured = on; }
    void TakeFocus() override {}
    void ShowTooltip(std::wstring_view text, int, int) override { tooltip = text; }
    void HideTooltip() override { tooltip.clear(); }

    PixelRect client{0, 0, 800, 320};  // twenty rows of the default row height
    uint32_t timer = 0;                // the repaint timer's period; 0 when it is not running
    std::optional<ClipboardText> clipboard;
    bool clipboardOpens = true;          // false: another program holds the clipboard
    std::vector<PixelRect> invalidated;  // what was to be repainted, all of it as the client area
    std::set<uint32_t> timers;           // the mouse's running timers
    bool captured = false;
    std::wstring tooltip;  // empty when hidden
};

// Rows 16 pixels high, every character 8 pixels wide.
class MonospaceMeasurer : public TextMeasurer {
public:
    FontMetrics Metrics() const override { return {16, 8, 8}; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ends.clear();
        for (size_t i = 1; i <= text.size(); ++i) ends.push_back(static_cast<int>(i) * 8);
    }
};

// An edit control's logic over a text given as rows joined by '\n', in a window of 16-pixel
// rows and 8-pixel characters whose text area holds five rows.
class MeasuredWindow : public QuietWindow, public MonospaceMeasurer {
public:
    MeasuredWindow() { client = {0, 0, 640, 80}; }
    const TextMeasurer* GetTextMeasurer() const override { return this; }
    intptr_t NotifyParent(int code, std::span<const int32_t> values) override {
        notes.push_back({code});
        notes.back().insert(notes.back().end(), values.begin(), values.end());
        return code == EditNotify::kReadOnly ? readOnly : 0;
    }
    std::vector<std::vector<int32_t>> notes;  // each: the code, then its values
    intptr_t readOnly = 0;                    // the parent's answer to the read-only question
};

inline pw::RefPtr<CQELPenwrightBufferManager> BufferOf(std::wstring_view text) {
    auto buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    if (!text.empty())
        buffer->InsertText(text, 1, 1, false);
    return buffer;
}

struct Editing {
    explicit Editing(std::wstring_view text) : buffer(BufferOf(text)), core(window, buffer, nullptr) {}
    EditCaret& Caret() { return core.GetCaret(); }

    MeasuredWindow window;
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    EditorCore core;
};

// "|" is the caret, "[" the selection's anchor (the caret is its other end).
inline void Place(Editing& e, std::wstring text) {
    const size_t anchor = text.find(L'[');
    auto pointOf = [&](size_t at) {
        const std::wstring_view before = std::wstring_view(text).substr(0, at);
        const int row = static_cast<int>(std::count(before.begin(), before.end(), L'\n')) + 1;
        const size_t rowStart = before.rfind(L'\n');
        const int pos = static_cast<int>(at - (rowStart == std::wstring_view::npos ? 0 : rowStart + 1)) + 1;
        return LineCol{row, pos};
    };
    LineCol anchorAt;
    if (anchor != std::wstring::npos) {
        text.erase(anchor, 1);
        anchorAt = pointOf(anchor);
    }
    const size_t caret = text.find(L'|');
    const LineCol caretAt = pointOf(caret);
    text.erase(caret, 1);
    e.buffer->InsertText(text, 1, 1, false);
    EditCaret& c = e.Caret();
    if (anchorAt.IsValid()) {
        c.MoveToPosition(anchorAt.row, anchorAt.col);
        const auto start = c.Here();
        c.MoveToPosition(caretAt.row, caretAt.col);
        c.GetSelection().Set(start, c.Here(), false);
    } else {
        c.MoveToPosition(caretAt.row, caretAt.col);
    }
}

// The text with "|" at the caret and "[" at a stream selection's anchor; "~" for each position
// of virtual space before the caret, "@n" when the caret's display column is not where its
// position puts it (a pending indentation).
inline std::wstring Render(Editing& e) {
    const EditCaret& c = e.Caret();
    const CQELPenwrightSelection& s = c.GetSelection();
    std::wstring out;
    for (int row = 1; row <= e.buffer->GetRowCount(); ++row) {
        std::wstring line = e.buffer->GetLineText(row);
        if (row == c.GetRow()) {
            const RowColumns::Row shown{line, e.buffer->GetTabSize(), true};
            if (RowColumns::ColumnOf(shown, c.GetPosition()) != c.GetColumn())
                line += L"@" + std::to_wstring(c.GetColumn());
            line.resize(std::max(line.size(), static_cast<size_t>(c.GetPosition() - 1)), L'~');
            line.insert(static_cast<size_t>(c.GetPosition() - 1), L"|");
        }
        if (!s.IsEmpty() && row == s.GetStart().row) {
            size_t at = static_cast<size_t>(s.GetStart().pos - 1);
            if (row == c.GetRow() && s.GetStart().pos > c.GetPosition())
                ++at;
            line.insert(std::min(at, line.size()), L"[");
        }
        out += (row > 1 ? L"\n" : L"") + line;
    }
    return out;
}

// The client point in the middle of the left half of (row, display column) on the first page.
inline std::pair<int, int> PointOf(Editing& e, int row, int col) {
    const PixelRect& text = e.core.GetRects().text;
    return {text.left + (col - 1) * 8 + 2, text.top + (row - 1) * 16 + 8};
}

// Gestures: "d r,c" left press, "m r,c" move, "t r,c" the tracking timer with the mouse there,
// "u r,c" release, "2 r,c" double click, "n r" a press in the line numbers (the mouse stays in
// them until released); prefixed by ^ (Ctrl), + (Shift) or # (Alt), down for that gesture.
inline void Mouse(Editing& e, const std::string& gestures) {
    MouseInput& mouse = e.core.GetMouse();
    std::istringstream words(gestures);
    bool inNumbers = false;
    for (std::string word, where; words >> word >> where;) {
        MouseKeys keys;
        const size_t at = word.find_first_not_of("^+#");
        for (char c : word.substr(0, at)) {
            keys.ctrl |= c == '^';
            keys.shift |= c == '+';
            keys.alt |= c == '#';
        }
        const char action = word[at];
        int row = 0, col = 1;
        std::sscanf(where.c_str(), "%d,%d", &row, &col);
        auto [x, y] = PointOf(e, row, col);
        inNumbers = action == 'n' || (inNumbers && action != 'u');
        if (inNumbers)
            x = e.core.GetRects().lineNumbers.left + 2;
        keys.left = action != 'u';
        switch (action) {
            case 'd':
            case 'n':
                mouse.LeftDown(x, y, keys);
                break;
            case 'm':
                mouse.Move(x, y, keys, true);
                break;
            case 't':
                mouse.OnTrackTimer(x, y, keys);
                break;
            case 'u':
                mouse.LeftUp(x, y, keys);
                break;
            case '2':
                mouse.DoubleClick(x, y, keys);
                break;
            default:
                ADD_FAILURE() << "unknown gesture " << word;
        }
    }
}
