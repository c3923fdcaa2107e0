#pragma once
// A window for the editor's logic that paints nothing and answers nothing: for tests that look
// at the logic's results rather than at what it asks of the window (but for the repaint timer);
// a measurer of a fixed-pitch font, and a window measuring with it that keeps what it tells.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "editor/EditorWindow.h"
#include "platform/Time.h"

class QuietWindow : public EditorWindow {
public:
    PixelRect GetClientRect() const override { return client; }
    const TextMeasurer* GetTextMeasurer() const override { return nullptr; }
    void Invalidate() override {}
    void UpdateNow() override {}
    void SetRepaintTimer(uint32_t periodMs) override { timer = periodMs; }
    void KillRepaintTimer() override { timer = 0; }
    void SetScrollBar(bool, const ScrollBar&) override {}
    void ShowScrollBars(bool, bool) override {}
    void RedrawCaret() override {}
    intptr_t NotifyParent(int, std::span<const int32_t>) override { return 0; }
    uint32_t TickCount() override { return pw::TickCount(); }

    PixelRect client{0, 0, 800, 320};  // twenty rows of the default row height
    uint32_t timer = 0;                // the repaint timer's period; 0 when it is not running
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

// 16-pixel rows and 8-pixel characters in a text area of five rows; the parent's notifications
// are kept.
class MeasuredWindow : public QuietWindow, public MonospaceMeasurer {
public:
    MeasuredWindow() { client = {0, 0, 640, 80}; }
    const TextMeasurer* GetTextMeasurer() const override { return this; }
    intptr_t NotifyParent(int code, std::span<const int32_t> values) override {
        notes.push_back({code});
        notes.back().insert(notes.back().end(), values.begin(), values.end());
        return 0;
    }
    std::vector<std::vector<int32_t>> notes;  // each: the code, then its values
};
