#pragma once
// Columns and pixels of the text area: tab expansion, the x of every character of a row as far
// as it can be seen, and the font metrics that rows and scrolling are counted in. The window
// system measures text through TextMeasurer, so the arithmetic here runs without a screen.
//
// Positions are 64-bit: a row of a million tabs at the largest tab size spans 2^28 columns and
// many more pixels. Only the characters that start left of the visible right edge are measured,
// so such a row costs what its visible part costs, and tabs are never expanded into text to
// measure: their cells are blanks of the space width.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/PixelRect.h"

class TextMeasurer {
public:
    struct FontMetrics {
        int height = 0;
        int averageCharWidth = 0;
        int spaceWidth = 0;
    };
    virtual FontMetrics Metrics() const = 0;
    // ends[i] := the width of text[0..i] drawn in one piece (GetTextExtentExPoint's partial
    // extents); `ends` has text.size() entries afterwards.
    virtual void Extents(std::wstring_view text, std::vector<int>& ends) const = 0;

protected:
    ~TextMeasurer() = default;
};

// Where the laid-out characters of one row start: display cell (0-based) and x (pixels from the
// text's left edge, before scrolling). Entry n is the end of the n-th laid-out character.
class RowLayout {
public:
    static constexpr wchar_t kTabMark = 0x00BB;    // first cell of a tab when white space shows
    static constexpr wchar_t kSpaceMark = 0x00B7;  // a space when white space shows

    // Characters laid out: the whole row, or those that start left of the visible edge.
    int LaidOut() const { return static_cast<int>(x_.size()) - 1; }
    bool IsComplete() const { return complete_; }
    int64_t XOfChar(int index) const;     // index 0..LaidOut(); clamped
    int64_t CellOfChar(int index) const;  // likewise
    // The x of a display cell; cells past the laid-out text are blanks of the space width.
    int64_t XOfCell(int64_t cell) const;
    // The display cell whose left half holds x (x before the text: cell 0); past the laid-out
    // text, blanks of the space width.
    int64_t CellAtX(int64_t x) const;
    // The laid-out character whose span holds x (0 before the text, LaidOut() past it): where
    // drawing a scrolled row may begin.
    int CharAt(int64_t x) const;
    // The display text of characters [first, last) of `text` as drawn: tabs expanded, and with
    // `showWhiteSpace` the marks above. Characters past LaidOut() are left out.
    std::wstring DisplayText(std::wstring_view text, int first, int last, bool showWhiteSpace) const;

private:
    friend class CQELPenwrightTextLayout;
    std::vector<int64_t> cell_{0};
    std::vector<int64_t> x_{0};
    int spaceWidth_ = 1;
    bool complete_ = true;
};

class CQELPenwrightTextLayout {
public:
    int GetTabSize() const { return tabSize_; }
    void SetTabSize(int size) { tabSize_ = size < 1 ? 1 : size; }
    const PixelRect& GetTextRect() const { return textRect_; }
    void SetTextRect(const PixelRect& rect) { textRect_ = rect; }
    int64_t GetHorzOffset() const { return horzOffset_; }
    void SetHorzOffset(int64_t offset) { horzOffset_ = offset < 0 ? 0 : offset; }

    // Takes the text font's metrics and keeps `measurer` (not owned) for laying out rows.
    void SetFont(const TextMeasurer* measurer);
    int GetRowHeight() const { return metrics_.height < 1 ? 1 : metrics_.height; }
    int GetCharWidth() const { return metrics_.averageCharWidth < 1 ? 1 : metrics_.averageCharWidth; }
    int RowsPerPage() const { return textRect_.Height() / GetRowHeight(); }

    // Lays the row out up to the right edge of the text area at the current offset. Without a
    // measurer every character is one average character width wide.
    RowLayout LayoutRow(std::wstring_view text);
    // The whole row, every character one average character width wide and nothing measured:
    // for printing, which takes only the cells and measures in its own fonts.
    RowLayout LayoutCells(std::wstring_view text);
    // The widest row seen so far, as far as it was laid out (for the horizontal scroll range).
    int64_t GetWidestRow() const { return widestRow_; }

private:
    // The characters that start left of `edge`, measured by `measurer` when there is one.
    RowLayout LayOut(std::wstring_view text, int64_t edge, const TextMeasurer* measurer);

    const TextMeasurer* measurer_ = nullptr;
    TextMeasurer::FontMetrics metrics_;
    int tabSize_ = 4;
    PixelRect textRect_;
    int64_t horzOffset_ = 0;
    int64_t widestRow_ = 0;
    std::vector<int> ends_;  // reused between rows
};
