// Ids of the bitmaps and cursors, shared by the resource script and the code that loads them
// (so plain #defines, which the resource compiler understands).
#pragma once

#define PW_IDB_MARGIN_GLYPHS 9700     // selection margin: bookmark, bookmark on the caret row, breakpoint
#define PW_IDB_COMPLETION_ICONS 9701  // the completion list's words
#define PW_IDC_ROW_SELECT 9702        // over the line numbers and the node column
#define PW_IDC_DRAG_COPY 9703         // dragging text with Ctrl down
#define PW_IDC_DRAG_MOVE 9704         // dragging text

// The find dialog's templates and their controls.
#define PW_IDD_FIND_REPLACE 9708  // "Find & Replace"
#define PW_IDD_FIND 9709          // "Find"
#define PW_IDC_REPLACE_TEXT 100
#define PW_IDC_FIND_TEXT 101
#define PW_IDC_SEARCH_DOWN 102
#define PW_IDC_SEARCH_UP 103
#define PW_IDC_MATCH_CASE 104
#define PW_IDC_WHOLE_WORD 105
#define PW_IDC_FIND_NEXT 106
#define PW_IDC_REPLACE 107
#define PW_IDC_REPLACE_ALL 108
#define PW_IDC_REGEX 109         // beyond the classic dialog: regular expressions,
#define PW_IDC_IN_SELECTION 110  // replacing within the selection
#define PW_IDC_COUNT 111         // and counting the matches

// The print job's progress box: the document, the printer, its port or file, the page.
#define PW_IDD_PRINT_PROGRESS 9710
#define PW_IDC_PRINT_DOCUMENT 120
#define PW_IDC_PRINT_DEVICE 121
#define PW_IDC_PRINT_PORT 122
#define PW_IDC_PRINT_PAGE 123

// The options dialog's pages.
#define PW_IDD_OPTIONS_EDITOR 9705  // "Editor"
#define PW_IDD_OPTIONS_FONT 9706    // "Editor Font"
#define PW_IDD_OPTIONS_COLORS 9707  // "Syntax Color"

// The "Editor Font" page's controls.
#define PW_IDC_FONT_FACE 101
#define PW_IDC_FONT_STYLE 103
#define PW_IDC_FONT_SIZE 105
#define PW_IDC_FONT_SCRIPT 115

// The four colour pickers, each with its "..." button after it, and the two samples, on the
// "Editor Font" and the "Syntax Color" pages alike.
#define PW_IDC_TEXT_COLOR 106
#define PW_IDC_TEXT_PICK 107
#define PW_IDC_BACK_COLOR 108
#define PW_IDC_BACK_PICK 109
#define PW_IDC_SEL_TEXT_COLOR 110
#define PW_IDC_SEL_TEXT_PICK 111
#define PW_IDC_SEL_BACK_COLOR 112
#define PW_IDC_SEL_BACK_PICK 113
#define PW_IDC_SAMPLE 118           // "AaBbCc" in the normal colours
#define PW_IDC_SELECTED_SAMPLE 119  // "XxYyZz" in the selected ones

// The "Syntax Color" page's controls besides the colour pickers and samples.
#define PW_IDC_COLORS_FILE_TYPES 201
#define PW_IDC_COLORS_ATTRIBUTES 203
#define PW_IDC_COLORS_BOLD 204
#define PW_IDC_COLORS_ITALIC 205
#define PW_IDC_COLORS_UNDERLINE 117
#define PW_IDC_COLORS_THEME 206       // beyond the classic page: the configuration's current theme,
#define PW_IDC_COLORS_THEME_NOTE 207  // what it shows over the schema's values,
#define PW_IDC_COLORS_RESET 208       // and a class back to the defaults
#define PW_IDC_COLORS_OPEN_SCHEMA 209  // the file types' pop-up menu item
// The options sheet's "Editor" page.
#define PW_IDC_EDITOR_VSCROLLBAR 100
#define PW_IDC_EDITOR_HSCROLLBAR 101
#define PW_IDC_EDITOR_LINE_NUMBERS 102
#define PW_IDC_EDITOR_SEL_MARGIN 103
#define PW_IDC_EDITOR_AUTO_INDENT 104
#define PW_IDC_EDITOR_SYNTAX_COLOR 105
#define PW_IDC_EDITOR_KEEP_TABS 106
#define PW_IDC_EDITOR_INSERT_SPACES 107
#define PW_IDC_EDITOR_TAB_SIZE 108
#define PW_IDC_EDITOR_THIN_CARET 110
#define PW_IDC_EDITOR_THICK_CARET 111
#define PW_IDC_EDITOR_AUTO_RELOAD 112
#define PW_IDC_EDITOR_VIRTUAL_SPACE 113
