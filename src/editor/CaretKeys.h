#pragma once
// The caret movement keys as logic: what Left, Right, Up, Down, Home, End, Page Up and Page Down
// do with Ctrl, Shift and Alt+Shift, on the rows that show (folded rows are walked past). The
// window layer reads the keyboard and calls Press; everything after that is here.
#include "editor/Selection.h"

class EditorCore;

enum class CaretKey { kLeft, kRight, kUp, kDown, kHome, kEnd, kPageUp, kPageDown };

struct KeyModifiers {
    bool ctrl = false;
    bool shift = false;  // the selection's end follows the caret
    bool alt = false;    // with Shift: a block selection
};

namespace CaretKeys {

// Moves the caret (and the view with Page Up/Down and Ctrl+Up/Down) and updates the selection.
// When anything moved, the caret is shown (ensure visible, caret-moved notification) and the
// parent told of the scroll (-939 with 3). Answers whether anything moved.
bool Press(EditorCore& core, CaretKey key, KeyModifiers modifiers);

// Where Ctrl+Right (`forward`) or Ctrl+Left would take the caret: what Ctrl+Delete and
// Ctrl+Backspace delete up to.
CQELPenwrightSelection::Point WordBoundary(EditorCore& core, bool forward);

}  // namespace CaretKeys
