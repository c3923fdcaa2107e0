// Ids of the bitmaps and cursors, shared by the resource script and the code that loads them
// (so plain #defines, which the resource compiler understands).
#pragma once

#define PW_IDB_MARGIN_GLYPHS 9700     // selection margin: bookmark, bookmark on the caret row, breakpoint
#define PW_IDB_COMPLETION_ICONS 9701  // the completion list's words
#define PW_IDC_ROW_SELECT 9702        // over the line numbers and the node column
#define PW_IDC_DRAG_COPY 9703         // dragging text with Ctrl down
#define PW_IDC_DRAG_MOVE 9704         // dragging text
