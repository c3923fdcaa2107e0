#pragma once
// A window for the editor's logic that paints nothing and answers nothing: for tests that look
// at the logic's results rather than at what it asks of the window (but for the repaint timer).
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
