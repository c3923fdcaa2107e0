#pragma once
// The completion list's logic: the words it offers (the schema's keywords and the words written
// around the caret), the word before the caret that it completes, its filtering, what it does
// with keys and characters while open, and the arithmetic of its rows and of its place on the
// screen. The Windows list only paints and moves; the control makes the edit it asks for.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/PixelRect.h"
#include "editor/RowColumns.h"
#include "parser/LexParser.h"

class CQELPenwrightBufferManager;
class CompletionModel;
class EditorCore;

namespace Completion {

inline constexpr int kWidth = 160;      // pixels
inline constexpr int kMaxHeight = 160;  // rows reaching this height scroll instead
inline constexpr int kLeftShift = 21;   // left of the caret, so that the text, not the icon, lines up
inline constexpr int kTextLeft = 19;    // a row's text area starts right of its icon
// The document's words come from this many rows around the caret and this many characters at
// most, so that opening the list costs the same in any text.
inline constexpr int kScanRows = 2000;
inline constexpr int kScanChars = 1 << 18;

// Each text once, empty ones dropped, sorted without regard to case (ties in code-unit order, so
// that the order never depends on what came first).
std::vector<std::wstring> Sorted(std::vector<std::wstring> words);

// The schema's part: every token tag of every class, and every character of their separators.
struct Vocabulary {
    std::vector<std::wstring> words;
    std::wstring delimiters;
};
Vocabulary FromTokenLists(const std::vector<LexParser::TokenList>& lists);

// Whether `c` can be part of a completed word: a word character to CharClass that no separator
// of the schema uses. A blank or punctuation ends the word even where the schema says nothing.
bool IsWordChar(wchar_t c, std::wstring_view delimiters);

// Adds the words written in the rows around `row` (see kScanRows, kScanChars): at least two
// characters, not starting with a digit, and not the word the caret at string position `pos`
// stands in or just after, which is what is being typed.
void AddDocumentWords(const CQELPenwrightBufferManager& buffer, int row, int pos,
                      std::wstring_view delimiters, std::vector<std::wstring>& words);

// The word before the caret at string position `pos` of a row: its text and its display columns,
// from `startCol` up to the caret's `endCol`.
struct Word {
    std::wstring text;
    int startCol = 1;
    int endCol = 1;
};
Word WordBefore(const RowColumns::Row& row, int pos, std::wstring_view delimiters);

// The height of a row of the list for a font whose letter "A" is `letterHeight` high.
int ItemHeight(int letterHeight);
// The rows shown of `count` items: all, or as many as fit in kMaxHeight once they would reach it;
// at least one when there is any.
int VisibleRows(int count, int itemHeight);
// Where a list `height` pixels high goes for a caret whose row's bottom is at screen point (x, y)
// and whose row is `rowHeight` high: below the row, or above it when there is no room below;
// inside `screen`, no higher than it.
PixelRect Place(int x, int y, int rowHeight, int height, const PixelRect& screen);

// Ctrl+Space: the schema's words and the document's given to `model`, which opens on the word
// before the caret. False when nothing matches it (the list stays closed).
bool OpenAtCaret(EditorCore& core, CompletionModel& model);
// The chosen item in place of the word on the caret's row, as one step, and the model closed.
// False when nothing was inserted: no item chosen, the caret no longer at the word's end, or the
// text read-only.
bool InsertChosen(EditorCore& core, CompletionModel& model);

}  // namespace Completion

// The list's state: its items, the filtered ones and the selection among them, the rows shown,
// and the word it replaces, as (display) columns of the caret's row.
class CompletionModel {
public:
    enum class Key { kUp, kDown, kPageUp, kPageDown, kHome, kEnd, kInsert, kClose, kBackspace, kOther };
    // What the list asks for: nothing, to close (it is closed), or to put the chosen item in
    // place of the word (Completion::InsertChosen, which closes it).
    enum class Outcome { kStay, kClose, kInsert };
    struct Reaction {
        Outcome outcome = Outcome::kStay;
        bool toEditor = true;  // the character goes on into the text
        friend bool operator==(const Reaction&, const Reaction&) = default;
    };

    // Replaces the items (sorted, see Completion::Sorted) and what ends a word.
    void SetItems(std::vector<std::wstring> items, std::wstring delimiters);
    const std::vector<std::wstring>& Items() const { return items_; }
    std::wstring_view Delimiters() const { return delimiters_; }

    // Opens on the word before the caret: the first match selected and shown. False, and closed,
    // when no item starts with the word.
    bool Open(const Completion::Word& word);
    void Close();
    bool IsOpen() const { return open_; }

    // Keys with their repeat count, and typed characters, while open.
    Outcome OnKey(Key key, int repeat = 1);
    Reaction OnChar(wchar_t c);

    // The rows: their height (from the list's font), how many show, which is first.
    void SetItemHeight(int height);
    int GetItemHeight() const { return itemHeight_; }
    int VisibleRows() const { return visible_; }
    bool Scrolls() const { return visible_ < Count(); }
    int FirstVisible() const { return first_; }
    // The first row shown, kept where a whole page of rows still follows it.
    void ScrollTo(int first);
    // The filtered row under client y, or -1.
    int RowAt(int y) const;

    int Count() const { return static_cast<int>(filtered_.size()); }
    const std::wstring& ItemAt(int index) const {
        return items_[static_cast<size_t>(filtered_[static_cast<size_t>(index)])];
    }
    const std::wstring& GetFilter() const { return filter_; }
    int Selected() const { return selected_; }
    bool Highlighted() const { return highlight_; }
    // A click: the row selected and shown, highlighted with `highlight`.
    void Select(int index, bool highlight);
    // The item that goes in place of columns WordStart() to WordEnd() of the caret's row: the
    // selected one while it is highlighted.
    std::optional<std::wstring> Chosen() const;
    int WordStart() const { return wordStart_; }
    int WordEnd() const { return wordEnd_; }

private:
    // The items starting with the filter; the first of them selected and shown.
    void Filter();
    void Layout();
    void MakeVisible(int index);
    // No match: a list opened on a word closes, one opened on nothing stays, without highlight.
    Outcome NoMatch();

    std::vector<std::wstring> items_;
    std::wstring delimiters_;
    std::vector<int> filtered_;  // indices into items_
    std::wstring filter_;
    bool open_ = false;
    bool filterGiven_ = false;
    bool highlight_ = false;
    int selected_ = -1;
    int first_ = 0;
    int visible_ = 0;
    int itemHeight_ = 1;
    int wordStart_ = 1;
    int wordEnd_ = 1;
};
