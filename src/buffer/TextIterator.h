#pragma once
// The buffer's rows as one continuous UTF-16 stream for the parser: row 1, its line end, row 2,
// ..., the last row, its line end and one more CR LF. Only a window around the position is held:
// rows are loaded as readers ask for them, and passed text is dropped except for the look-back
// that readers may still need.
//
// Positions are (row, column) with 1-based rows and 0-based columns into the row followed by its
// line end. The final CR LF belongs to no row: positions on it and at the end are (last row + 1, 0).
//
// The parser asks for text and steps on at nearly every character, so the class is final (calls
// through it are not dispatched) and the steps inside loaded text of one row are inline.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/LineCol.h"
#include "platform/Event.h"
#include "platform/RefCounted.h"

class TextIterator final : public pw::RefCounted {
public:
    static constexpr int kMinBackWindow = 20;
    // A back offset comes from a schema file: one larger than this is taken as this.
    static constexpr int kMaxBackWindow = 1 << 16;
    static constexpr size_t kCompactThreshold = 512;  // characters of passed text before compacting
    // Readers stop at the NUL after the loaded text; a NUL of the text itself is handed out as
    // this noncharacter, which no tag or character set names, so that class matching reads past
    // it as past any other character.
    static constexpr wchar_t kNulStandIn = 0xFFFF;

    // The loaded text around the position, the view offset aside: `at` points at the position,
    // `ahead` characters follow it up to the NUL after the loaded text, and the window holds
    // `behind` characters before it (at least B once the text has them; at the start of the text
    // the CR and zeros that stand before row 1).
    struct Span {
        const wchar_t* at;
        size_t ahead;
        size_t behind;
    };

    // `backOffset` is the parser's "MaxBackParseOffset" for the buffer's schema; the parser that
    // knows it does not exist yet, so its creator passes it. A null buffer reads as empty text.
    // The file extension is the buffer's at creation unless given: an iterator made for a worker
    // thread is given the one its parse was asked for, since the buffer's may change meanwhile.
    explicit TextIterator(CQELPenwrightBufferManager* buffer, int backOffset = 0,
                          std::optional<std::wstring> ext = std::nullopt);

    virtual std::wstring GetLineEnd() const;
    virtual void SeekStart();
    // Moves to `target`; false when it lies beyond the text or `stop` was set during the seek.
    virtual bool SeekTo(LineCol target, const pw::Event* stop = nullptr);
    // The text at the position (moved by the view offset), NUL-terminated after the loaded text
    // (its own NULs read as kNulStandIn); at least `minChars` characters follow when the text
    // has them. Valid until the next call
    // that moves the position or loads text.
    virtual const wchar_t* GetTextPtr(int minChars) {
        if (minChars > 0 && static_cast<size_t>(minChars) > available)
            Load(static_cast<size_t>(minChars));
        return Pointer();
    }
    // GetTextPtr's text with what lies around it; `minChars` as there.
    Span GetSpan(int minChars) {
        if (minChars > 0 && static_cast<size_t>(minChars) > available)
            Load(static_cast<size_t>(minChars));
        return {window.data() + posOffset, available, posOffset};
    }
    // Moves `n` characters forward (no further than the text goes) with at least `ahead`
    // characters loaded after the new position when the text has them; null when no text is left.
    virtual const wchar_t* Advance(int n, int ahead) {
        // A step that stays inside the loaded text and its row needs no loading and no row change.
        if (n >= 0 && ahead >= 0 && available > static_cast<size_t>(n) + static_cast<size_t>(ahead) &&
            n < KnownLength(pos.row) - pos.col) {
            posOffset += static_cast<size_t>(n);
            available -= static_cast<size_t>(n);
            pos.col += n;
            return Pointer();
        }
        return AdvanceAcross(n, ahead);
    }
    // Moves one character back; null at the start of the text.
    virtual const wchar_t* PrevChar();
    virtual bool IsEOF() const { return eof; }
    virtual LineCol GetPosition() const { return pos; }
    // (last row, its length, with its line end when asked); (0, 0) for empty text.
    virtual LineCol GetEndPosition(bool withLineEnd) const;
    // One stream character back; at (1, 0) the position stays.
    virtual void StepBack(LineCol& p) const;
    // `n` stream characters forward through the rows loaded so far; stops at a row not loaded yet.
    virtual void StepForward(LineCol& p, int n) const;
    virtual int GetRowLength(int row, bool withLineEnd) const;  // 0 outside the rows
    virtual int GetRowLengthBytes(int row, bool withLineEnd) const;
    // Pointers answered afterwards address the character k places from the position, held inside
    // the window and the loaded text; 0 removes the offset.
    virtual void SetViewOffset(int k) { viewOffset = k; }
    virtual std::wstring GetFileExt() const { return fileExt; }
    virtual int GetMaxBackOffset() const { return backWindow; }

protected:
    ~TextIterator() override = default;

private:
    int RowCount() const { return buffer ? buffer->GetRowCount() : 0; }
    // The stream length of a loaded row, or -1.
    int KnownLength(int row) const {
        return row >= firstRow && row < nextRow ? rowLengths[static_cast<size_t>(row - firstRow)] : -1;
    }
    int StreamLength(int row) const;  // the row with its line end, known or from the buffer
    // Advance for steps that load text, change rows or reach the end.
    const wchar_t* AdvanceAcross(int n, int ahead);
    // Loads rows until `minChars` characters follow the position or no row is left.
    void Load(size_t minChars);
    void Append(std::wstring_view text);
    void Compact();
    const wchar_t* Pointer() const {
        const wchar_t* at = window.data() + posOffset;
        return viewOffset == 0 ? at : at + ClampedViewOffset();
    }
    ptrdiff_t ClampedViewOffset() const;

    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    int backWindow;
    std::wstring fileExt;
    std::vector<wchar_t> window;  // the loaded text and a NUL
    size_t posOffset = 0;         // where the character at `pos` lies in the window
    size_t available = 0;         // loaded characters from the position on
    size_t textStart = 0;         // where the loaded rows begin; before it only the filler
    bool textFromTop = true;      // whether the window's text begins at (1, 0)
    int viewOffset = 0;
    int nextRow = 1;
    // Rows load one after another from one start row, so their lengths form an array.
    int firstRow = 1;
    std::vector<int> rowLengths;  // stream length of rows firstRow, firstRow + 1, ...
    LineCol pos{1, 0};
    bool eof = false;
};
