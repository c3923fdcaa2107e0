#include "buffer/TextIterator.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "buffer/CrlfStyle.h"

namespace {

// A CR stands before row 1 so that looking back from the start of the text sees a line end.
constexpr size_t kLeadCr = 5;
constexpr size_t kTextOffset = kLeadCr + 1;
constexpr size_t kMinWindow = 250;
constexpr size_t kSeekAhead = 512;
// After a seek or compaction there are at least B characters behind the position; walking back
// reloads them once fewer than this are left.
constexpr size_t kReseekMargin = 5;

}  // namespace

TextIterator::TextIterator(CQELPenwrightBufferManager* buffer, int backOffset,
                           std::optional<std::wstring> ext)
    : buffer(buffer),
      backWindow(std::clamp(backOffset, kMinBackWindow, kMaxBackWindow)),
      fileExt(ext      ? std::move(*ext)
              : buffer ? buffer->GetFileExt()
                       : std::wstring()) {
    SeekStart();
}

std::wstring TextIterator::GetLineEnd() const {
    return std::wstring(buffer ? buffer->GetLineEndText() : LineEndText(CrlfStyle::CrLf));
}

void TextIterator::SeekStart() {
    pos = {1, 0};
    nextRow = firstRow = 1;
    rowLengths.clear();
    rowLengths.reserve(static_cast<size_t>(std::max(RowCount() / 10, 500)));
    available = 0;
    viewOffset = 0;
    window.assign(std::max(kMinWindow, kTextOffset + static_cast<size_t>(backWindow) + 1), L'\0');
    window[kLeadCr] = L'\r';
    posOffset = textStart = kTextOffset;
    textFromTop = true;
    eof = RowCount() == 0;
}

bool TextIterator::SeekTo(LineCol target, const pw::Event* stop) {
    SeekStart();
    if (eof || target.row < 1 || target.col < 0 || target.row > RowCount() + 1)
        return false;
    // A column past its row is no position; walking towards it would load the rest of the text.
    if (target.col > 0 && target.col >= StreamLength(target.row))
        return false;

    // Start enough whole rows back that B characters lie before the target.
    int r = target.row;
    int64_t before = target.col;
    while (r > 1 && before < backWindow) before += StreamLength(--r);
    nextRow = firstRow = r;
    textFromTop = r == 1;
    Load(kSeekAhead);
    pos = {r, 0};

    while (pos < target && !eof) {
        int step;
        if (pos.row < target.row) {
            int length = KnownLength(pos.row);
            step = length > pos.col ? length - pos.col : 1;
        } else {
            step = target.col - pos.col;
            if (step < 1)
                break;
        }
        Advance(step, static_cast<int>(kSeekAhead));
        if (stop && stop->IsSet())
            return false;
    }
    return pos == target;
}

const wchar_t* TextIterator::AdvanceAcross(int n, int ahead) {
    size_t step = static_cast<size_t>(std::max(n, 0));
    Load(step + static_cast<size_t>(std::max(ahead, 0)));
    if (available == 0) {
        eof = true;
        return nullptr;
    }
    step = std::min(step, available);
    Compact();
    posOffset += step;
    available -= step;
    Load(1);  // with no look-ahead asked, the next row may not be loaded yet
    eof = available == 0;
    // Also when the step reaches the end, so that the end position does not depend on the steps
    // taken to get there.
    StepForward(pos, static_cast<int>(step));
    return Pointer();
}

const wchar_t* TextIterator::PrevChar() {
    const LineCol start{1, 0};
    if (!(pos > start))
        return nullptr;
    if (posOffset - textStart <= kReseekMargin && !textFromTop) {
        int k = viewOffset;
        SeekTo(pos);
        viewOffset = k;
    }
    if (posOffset == textStart)
        return nullptr;
    --posOffset;
    ++available;
    eof = false;
    // The final CR LF belongs to no row: positions on it stay at (last row + 1, 0).
    bool onFinalCrLf = nextRow > RowCount() && available <= LineEndText(CrlfStyle::CrLf).size();
    if (!onFinalCrLf)
        StepBack(pos);
    return Pointer();
}

LineCol TextIterator::GetEndPosition(bool withLineEnd) const {
    int last = RowCount();
    return {last, GetRowLength(last, withLineEnd)};
}

void TextIterator::StepBack(LineCol& p) const {
    if (p.col > 0) {
        --p.col;
        return;
    }
    if (p.row <= 1)
        return;
    --p.row;
    p.col = std::max(StreamLength(p.row), 1) - 1;
}

void TextIterator::StepForward(LineCol& p, int n) const {
    while (n > 0) {
        int length = KnownLength(p.row);
        if (length < 0)
            return;
        int rest = std::max(length - p.col, 0);
        if (n < rest) {
            p.col += n;
            return;
        }
        n -= rest;
        ++p.row;
        p.col = 0;
    }
}

int TextIterator::GetRowLength(int row, bool withLineEnd) const {
    return buffer ? buffer->GetLineTextLength(row, withLineEnd) : 0;
}

int TextIterator::GetRowLengthBytes(int row, bool withLineEnd) const {
    return static_cast<int>(std::min<int64_t>(int64_t{2} * GetRowLength(row, withLineEnd), INT_MAX));
}

int TextIterator::StreamLength(int row) const {
    int length = KnownLength(row);
    return length >= 0 ? length : GetRowLength(row, true);
}

void TextIterator::Load(size_t minChars) {
    const int rows = RowCount();
    while (available < minChars && nextRow <= rows) {
        // Straight from the row into the window: no copy of each row on the way.
        const std::wstring_view text = buffer->GetLineView(nextRow);
        const std::wstring_view lineEnd = buffer->GetLineEndText();
        rowLengths.push_back(static_cast<int>(text.size() + lineEnd.size()));
        Append(text);
        Append(lineEnd);
        if (nextRow == rows)
            Append(LineEndText(CrlfStyle::CrLf));
        ++nextRow;
    }
}

void TextIterator::Append(std::wstring_view text) {
    size_t end = posOffset + available;
    size_t need = end + text.size() + 1;  // and the NUL after the text
    if (need > window.size())
        window.resize(std::max(need + kCompactThreshold, window.size() + window.size() / 2), L'\0');
    std::replace_copy(text.begin(), text.end(), window.begin() + static_cast<ptrdiff_t>(end), L'\0',
                      kNulStandIn);
    available += text.size();
    window[end + text.size()] = L'\0';
}

void TextIterator::Compact() {
    const size_t keep = static_cast<size_t>(backWindow);
    if (posOffset <= keep)
        return;
    // Dropping more than is moved keeps the cost per character constant, even when a long row
    // or a large back window lies in the window.
    size_t drop = posOffset - keep;
    if (drop <= std::max({kCompactThreshold, keep, available}))
        return;
    auto first = window.begin() + static_cast<ptrdiff_t>(drop);
    auto last = window.begin() + static_cast<ptrdiff_t>(posOffset + available);
    std::copy(first, last, window.begin());
    posOffset -= drop;
    window[posOffset + available] = L'\0';  // readers stop there, whatever lies after it
    textFromTop = textFromTop && drop <= textStart;
    textStart = textStart > drop ? textStart - drop : 0;
}

ptrdiff_t TextIterator::ClampedViewOffset() const {
    return std::clamp<ptrdiff_t>(viewOffset, -static_cast<ptrdiff_t>(posOffset),
                                 static_cast<ptrdiff_t>(available));
}
