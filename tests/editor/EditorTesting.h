#pragma once
// A window for the editor's logic that paints nothing and answers nothing: for tests that look
// at the logic's results rather than at what it asks of the window (but for the repaint timer
// and a clipboard); a measurer of a fixed-pitch font; and an edit control's logic over a text.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/BufferManager.h"
#include "editor/EditorCore.h"
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
    bool PutClipboard(std::wstring_view text, bool block) override {
        if (!clipboardOpens)
            return false;
        clipboard = ClipboardText{std::wstring(text), block};
        return true;
    }
    std::optional<ClipboardText> GetClipboard() override { return clipboardOpens ? clipboard : std::nullopt; }

    PixelRect client{0, 0, 800, 320};  // twenty rows of the default row height
    uint32_t timer = 0;                // the repaint timer's period; 0 when it is not running
    std::optional<ClipboardText> clipboard;
    bool clipboardOpens = true;  // false: another program holds the clipboard
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
