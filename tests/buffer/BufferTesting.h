#pragma once
// Helpers shared by the buffer tests.
#include <string>
#include <string_view>
#include <vector>

#include "buffer/BufferManager.h"
#include "platform/MemFile.h"
#include "platform/RefCounted.h"

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;
using Rows = std::vector<std::wstring>;

inline Rows RowsOf(const CQELPenwrightBufferManager& buffer) {
    Rows rows;
    for (int r = 1; r <= buffer.GetRowCount(); ++r) rows.push_back(buffer.GetLineText(r));
    return rows;
}

// A buffer holding exactly these rows (none for an empty list).
inline Buffer MakeBuffer(const Rows& rows) {
    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    if (rows.empty())
        return buffer;
    std::wstring text;
    for (size_t i = 0; i < rows.size(); ++i) text += (i ? L"\r\n" : L"") + rows[i];
    buffer->InsertText(text, 1, 1, false);
    return buffer;
}

inline std::wstring TextOf(const CQELPenwrightBufferManager& buffer, int row1, int col1, int row2, int col2,
                           bool block = false) {
    pw::MemFile file(buffer.RangeGrowthSize(row1, row2));
    buffer.GetText(row1, col1, row2, col2, file, block);
    return file.Text();
}

// The whole text with '\n' between rows: an empty buffer and one empty row are the same text.
inline std::wstring FlatText(const CQELPenwrightBufferManager& buffer) {
    std::wstring flat;
    for (int r = 1; r <= buffer.GetRowCount(); ++r) flat += (r > 1 ? L"\n" : L"") + buffer.GetLineText(r);
    return flat;
}

// The characters that end a typing group: each forms an undo step of its own.
inline bool BreaksTypingGroup(wchar_t c) {
    return std::wstring_view(L" [{()}];.,\t\r\n\"").find(c) != std::wstring_view::npos;
}

// Types the characters one at a time from `at` the way the edit control does, so that the
// characters between group-breaking ones form one undo step. Answers the caret's last position.
inline LineCol Type(CQELPenwrightBufferManager& buffer, std::wstring_view chars, LineCol at) {
    for (wchar_t c : chars) {
        buffer.GetUndoManager().SetGroupMode(!buffer.GetOverwriteFlag() && !BreaksTypingGroup(c));
        buffer.InsertText(std::wstring_view(&c, 1), at.row, at.col, true, &at);
    }
    return at;
}
