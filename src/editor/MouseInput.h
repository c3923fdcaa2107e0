#pragma once
// The mouse in the edit control as logic: presses in the margins and the text, selecting by
// characters, words, rows or blocks with the view scrolling along, dragging the selection to
// move or copy it, the fold tooltip and the cursor each place shows. The window layer passes
// points in client pixels with the buttons and keys the message carried, runs the timers the
// logic asks for (kTrackTimer, kScrollTimer) and shows the cursor CursorAt names.
#include <cstdint>
#include <string_view>

#include "editor/HitTest.h"
#include "editor/Selection.h"

class EditorCore;

struct MouseKeys {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool left = false;  // the left button is down
    // The flags of the mouse notifications (MK_ values).
    int32_t Flags() const { return (left ? 0x01 : 0) | (shift ? 0x04 : 0) | (ctrl ? 0x08 : 0); }
};

enum class MouseCursor { kArrow, kIBeam, kRowSelect, kDragMove, kDragCopy, kNo };

class MouseInput {
public:
    static constexpr uint32_t kTrackTimer = 100;  // the selection follows the mouse
    static constexpr uint32_t kTrackMs = 50;
    static constexpr uint32_t kScrollTimer = 110;  // the view scrolls while selecting outside it
    static constexpr uint32_t kScrollMs = 120;

    explicit MouseInput(EditorCore& core) : core_(core) {}
    MouseInput(const MouseInput&) = delete;
    MouseInput& operator=(const MouseInput&) = delete;

    // With it on, a press on the selection is told to the parent (-941), which drags it itself.
    void SetDragNotify(bool on) { dragNotify_ = on; }
    bool GetDragNotify() const { return dragNotify_; }
    // The system's drag distance: a drag starts once the mouse went further from the press.
    void SetDragDistance(int pixels) { dragDistance_ = pixels; }
    // The system's double-click time: a press that soon after a double click selects the row.
    void SetDoubleClickTime(uint32_t ms) { doubleClickMs_ = ms; }

    void LeftDown(int x, int y, const MouseKeys& keys);
    void LeftUp(int x, int y, const MouseKeys& keys);
    // `inside`: the point lies in the window.
    void Move(int x, int y, const MouseKeys& keys, bool inside);
    void DoubleClick(int x, int y, const MouseKeys& keys);
    void RightDown(int x, int y, const MouseKeys& keys);
    void RightUp(int x, int y, const MouseKeys& keys);
    // The timers, with the mouse where it is now.
    void OnTrackTimer(int x, int y, const MouseKeys& keys);
    void OnScrollTimer(int x, int y, const MouseKeys& keys);
    // The capture went elsewhere, or Escape: selecting and dragging end, the timers stop.
    void Cancel();

    // A right drag dropped where it may: the window shows the drop menu and answers with Drop.
    bool WantsDropMenu() const { return dragging_ && rightDrag_ && dropValid_; }
    // Drops the dragged selection at the drop point; nothing without a drag under way.
    bool Drop(bool copy);
    void EndDrag();
    // Keys do nothing else while the mouse selects or drags.
    bool IsBusy() const { return selecting_ || dragging_; }
    // A left drag of the selection is under way (the window hands it to the system's drag and
    // drop once the mouse leaves it).
    bool IsDraggingSelection() const { return dragging_ && !rightDrag_; }

    // A drag from outside the window: another program's text, or our own selection coming back
    // after it left. The caret shows the drop point as in a drag inside, and each call answers
    // whether the text may land there: not in read-only text (the parent is asked on entering),
    // not inside the selection being dragged. Leaving puts the caret back where it was.
    bool OutsideDragEnter(int x, int y);
    bool OutsideDragOver(int x, int y);
    void OutsideDragLeave();
    // Another program's text dropped at the point: inserted there in place of nothing (the
    // selection is let go), as one step, and selected; no text is no drop. Our own drag ends with
    // Drop instead.
    bool OutsideDrop(int x, int y, std::wstring_view text, bool block);

    MouseCursor CursorAt(int x, int y, bool ctrl, bool inside);

private:
    HitResult Hit(int x, int y, bool block) const;
    // Moves the selection's end to the point: by characters, whole words or whole rows.
    void Track(int x, int y);
    void StopSelecting();
    void UpdateTooltip(int x, int y, const HitResult& hit);
    void Notify(int code, int x, int y, const MouseKeys& keys);
    // The caret shows where a drag would drop, at the point when it lies in the window.
    void ShowDropPoint(const HitResult& hit, bool inside);

    EditorCore& core_;
    bool dragNotify_ = false;
    int dragDistance_ = 4;
    uint32_t doubleClickMs_ = 500;
    uint32_t doubleClickAt_ = 0;  // the tick of the last double click; 0: none to follow
    bool selecting_ = false;
    bool wordMode_ = false;
    int rowAnchor_ = 0;  // the row a press in the line numbers began on; 0: not selecting rows
    // In word mode, the word the selection grows from (row and positions only).
    CQELPenwrightSelection::Point wordStart_, wordEnd_;
    bool leftDragPending_ = false;
    bool rightDrag_ = false;
    bool dragging_ = false;
    int pressX_ = 0, pressY_ = 0;
    int dropRow_ = 0, dropCol_ = 0;
    bool dropValid_ = false;
    // A drag from outside over the window: whether its text may land, and where the caret was.
    bool outsideDrag_ = false;
    bool outsideEditable_ = false;
    CQELPenwrightSelection::Point outsideCaret_;
    bool scrolling_ = false;  // kScrollTimer runs
    bool tooltipShown_ = false;
    int hoverX_ = -1, hoverY_ = -1;
};
