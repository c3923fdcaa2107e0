#pragma once
// The edit control without its window: options, layout, top row and scroll bars, the caret and
// selection, the link to the buffer and its parser, the repaint throttle and the row block cache. The Win32
// control owns one and forwards its messages here; whatever it needs of the window goes through EditorWindow.
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "buffer/BufferManager.h"
#include "editor/EditCaret.h"
#include "editor/EditorOptions.h"
#include "editor/EditorWindow.h"
#include "editor/Margins.h"
#include "editor/MouseInput.h"
#include "editor/RepaintThrottle.h"
#include "editor/RowBlockCache.h"
#include "editor/RowColors.h"
#include "editor/ScreenRowMap.h"
#include "editor/Scrolling.h"
#include "editor/TextEditor.h"
#include "editor/TextLayout.h"
#include "notify/NotificationSinkMT.h"
#include "parser/LexParser.h"
#include "platform/RefCounted.h"

namespace pw {
class Profile;
}

class EditorCore {
public:
    // Shares `buffer`, giving it a parser when it has none, and subscribes to its events and
    // its parser's. The options come from `profile` (may be null: the defaults).
    EditorCore(EditorWindow& window, pw::RefPtr<CQELPenwrightBufferManager> buffer, pw::Profile* profile);
    ~EditorCore();
    EditorCore(const EditorCore&) = delete;
    EditorCore& operator=(const EditorCore&) = delete;

    EditorWindow& GetWindow() const { return window_; }
    CQELPenwrightBufferManager& GetBuffer() const { return *buffer_; }
    LexParser& GetParser() const { return *parser_; }

    bool GetOption(EditorOptions::Option option) const { return options_.Get(option); }
    // Applies the value and what follows from it (layout, caret, scroll bars, colouring). False
    // only when `persist` was asked for and the profile could not be written.
    bool SetOption(EditorOptions::Option option, bool value, bool persist);
    bool IsNodeColumnShown() const { return nodeColumn_; }

    TextEditor& GetEditor() { return editor_; }
    MouseInput& GetMouse() { return mouse_; }
    EditCaret& GetCaret() { return caret_; }
    const EditCaret& GetCaret() const { return caret_; }

    CQELPenwrightTextLayout& GetTextLayout() { return layout_; }
    const EditRects& GetRects() const { return rects_; }
    // Margins from the row count and the font; when the text's left edge moved, the rectangles,
    // scroll bars, caret and window follow.
    void RecalcLayout();
    // The client area or the font changed.
    void OnSize();

    int GetTopRow() const { return topRow_; }
    void SetTopRow(int row);  // kept within the text
    int RowsPerPage() const { return layout_.RowsPerPage(); }
    // The folds as they stand: build one per paint or per question, never keep it across edits.
    ScreenRowMap RowMap() const;
    void UpdateScrollBars();
    void OnVScroll(Scrolling::Action action, int track);
    void OnHScroll(Scrolling::Action action, int64_t track);
    // Scrolls by `rows` visible rows and `columns` character widths (auto-scroll) and tells the
    // parent what moved: 1 rows, 2 columns, 3 both; nothing when neither moved.
    void ScrollBy(int rows, int columns);

    // The caret at (row, display column): a row tall, 2 pixels wide, or a character wide in
    // overwrite mode with the wide caret. None without the focus, on a hidden row, or where it
    // would not lie wholly inside the text area.
    std::optional<PixelRect> CaretRect(int row, int displayCol, bool overwrite, bool focus);

    // Repaints the screen rows that show document rows first..last, the margins included.
    void InvalidateRows(int first, int last);
    // The last row an edit within rows changed, with the parse state where the next row began
    // before it (none when no parse of it was at hand): the next paint asks whether the rows
    // below parse differently now (a comment opened) and paints them too. Taken once.
    struct EditedRows {
        int row = 0;
        std::optional<std::vector<const LexClass*>> before;
    };
    EditedRows TakeEdited() { return std::exchange(edited_, {}); }
    // A paint showed folds on rows first..last before the parse settled: the end of the parse
    // repaints them.
    void PaintedUnsettled(int first, int last);

    void OnRepaintTimer();
    // A paint went without parse results (the data lock was taken): the repaint timer paints
    // again after a throttle period.
    void RepaintLater() { window_.SetRepaintTimer(throttle_.ThrottleMs()); }
    void PaintTook(uint32_t ms) { throttle_.PaintTook(ms); }

    // This control changed the text from `firstRow` to `lastRow` (the flags of the rows-changed
    // notification), the row count going from `rowsBefore` to what it is now and the buffer's
    // change count from `changesBefore`. The line marks move by the net change of the row count:
    // an edit that removed and inserted rows moves them by the difference. `firstRowMoves`: a
    // line break typed at the start of the first row takes its marks down with it.
    void AfterEdit(int firstRow, int lastRow, int flags, int rowsBefore, bool firstRowMoves,
                   uint64_t changesBefore);

    // Parses the whole text again (or drops the folds without syntax colouring) and repaints.
    void Refresh();

    RowColorMaps& GetRowColors() { return rowColors_; }
    const RowColorMaps& GetRowColors() const { return rowColors_; }
    // The cache, checked against lost events and unseen edits first.
    RowBlockCache& GetCache();
    // Whether a row query may take "no blocks" for an answer: a complete parse has finished
    // since the schema was last (re)loaded and nothing is queued or running.
    bool IsParseSettled() const;

private:
    void OnParserEvent(uint32_t code, uintptr_t wParam, intptr_t lParam);
    void OnBufferEvent(uint32_t code);
    void Subscribe();

    EditorWindow& window_;
    pw::RefPtr<CQELPenwrightBufferManager> buffer_;
    pw::RefPtr<LexParser> parser_;
    pw::Profile* profile_;
    EditorOptions options_;
    bool nodeColumn_ = true;
    CQELPenwrightTextLayout layout_;
    EditMargins margins_;
    EditRects rects_;
    int topRow_ = 1;
    int64_t horzExtent_ = 0;
    RepaintThrottle throttle_;
    RowBlockCache cache_;
    RowColorMaps rowColors_;
    bool parsedSinceReload_ = false;
    EditedRows edited_;
    int unsettledFirst_ = 0, unsettledLast_ = 0;  // rows painted before the parse settled; 0: none
    CQELNotificationSinkMT sink_;
    EditCaret caret_{*this};
    TextEditor editor_{*this};
    MouseInput mouse_{*this};
};
