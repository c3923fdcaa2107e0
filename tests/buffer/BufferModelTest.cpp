// Random edit sequences checked against a plain model: the rows as a vector of strings, edited
// through one flat string in which every line end is '\n'.
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

#include "buffer/BufferManager.h"
#include "buffer/BufferTesting.h"

namespace {

// Display column at which each character starts, and the row's end column last, found by
// expanding the tabs into blanks.
std::vector<int> CellStarts(std::wstring_view row, int tabSize) {
    std::vector<int> starts;
    std::wstring shown;
    for (wchar_t c : row) {
        starts.push_back(static_cast<int>(shown.size()) + 1);
        if (c != L'\t') {
            shown += c;
            continue;
        }
        do shown += L' ';
        while (shown.size() % tabSize);
    }
    starts.push_back(static_cast<int>(shown.size()) + 1);
    return starts;
}

int BruteDisplayCol(std::wstring_view row, int index, int tabSize) {
    std::vector<int> starts = CellStarts(row, tabSize);
    int length = static_cast<int>(row.size());
    return index <= length ? starts[std::max(index, 0)] : starts.back() + index - length;
}

int BruteCharIndex(std::wstring_view row, int col, int tabSize) {
    std::vector<int> starts = CellStarts(row, tabSize);
    for (size_t k = 0; k < starts.size(); ++k)
        if (starts[k] >= col)
            return static_cast<int>(k);
    return static_cast<int>(row.size()) + col - starts.back();
}

struct Model {
    Rows rows;
    int tabSize = 4;
    bool overwrite = false;

    std::wstring Flat() const {
        std::wstring flat;
        for (size_t i = 0; i < rows.size(); ++i) flat += (i ? L"\n" : L"") + rows[i];
        return flat;
    }
    void SetFlat(const std::wstring& flat) {
        rows.clear();
        size_t start = 0;
        for (size_t end; (end = flat.find(L'\n', start)) != std::wstring::npos; start = end + 1)
            rows.push_back(flat.substr(start, end - start));
        rows.push_back(flat.substr(start));
    }
    size_t Offset(int row, int index) const {
        size_t offset = static_cast<size_t>(index);
        for (int r = 1; r < row; ++r) offset += rows[r - 1].size() + 1;
        return offset;
    }
    LineCol PositionOf(const std::wstring& flat, size_t offset) const {
        LineCol p{1, 1};
        for (size_t i = 0; i < offset; ++i) flat[i] == L'\n' ? (++p.row, p.col = 1) : ++p.col;
        return p;
    }
    void MakeRow(int row) {
        if (static_cast<int>(rows.size()) < row)
            rows.resize(static_cast<size_t>(row));
    }
    void Pad(int row, int index) {
        std::wstring& s = rows[row - 1];
        if (static_cast<int>(s.size()) < index)
            s.resize(static_cast<size_t>(index), L' ');
    }

    // Every CR, LF, CR LF and LF CR becomes one '\n'.
    static std::wstring Normalize(std::wstring_view text) {
        std::wstring out;
        for (size_t i = 0; i < text.size(); ++i) {
            wchar_t c = text[i], next = i + 1 < text.size() ? text[i + 1] : L'x';
            if (c != L'\r' && c != L'\n') {
                out += c;
                continue;
            }
            out += L'\n';
            if ((c == L'\r' && next == L'\n') || (c == L'\n' && next == L'\r'))
                ++i;
        }
        return out;
    }

    LineCol Insert(std::wstring_view text, int row, int col) {
        col = std::max(col, 1);
        MakeRow(row);
        if (text.empty())
            return {row, col};
        std::wstring insert = Normalize(text);
        int rest = static_cast<int>(rows[row - 1].size()) - (col - 1);
        Pad(row, col - 1);
        std::wstring flat = Flat();
        size_t at = Offset(row, col - 1);
        flat.insert(at, insert);
        if (overwrite && rest > 0)
            flat.erase(at + insert.size(),
                       std::min<size_t>(rest, insert.find(L'\n') == std::wstring::npos ? insert.size()
                                                                                       : insert.find(L'\n')));
        SetFlat(flat);
        return PositionOf(flat, at + insert.size());
    }

    LineCol InsertBlock(std::wstring_view text, int row, int col) {
        col = std::max(col, 1);
        int target =
            BruteDisplayCol(row <= static_cast<int>(rows.size()) ? rows[row - 1] : L"", col - 1, tabSize);
        std::wstring all = Normalize(text);
        std::vector<std::wstring> lines;
        Model split;
        split.SetFlat(all);
        lines = split.rows;
        if (lines.back().empty())
            lines.pop_back();
        LineCol end{row, col};
        for (size_t k = 0; k < lines.size(); ++k) {
            int r = row + static_cast<int>(k);
            MakeRow(r);
            int index = BruteCharIndex(rows[r - 1], target, tabSize);
            Pad(r, index);
            rows[r - 1].insert(static_cast<size_t>(index), lines[k]);
            end = {r, index + static_cast<int>(lines[k].size()) + 1};
        }
        return end;
    }

    bool Delete(int row1, int col1, int row2, int col2) {
        if (row2 < row1)
            std::swap(row1, row2), std::swap(col1, col2);
        int count = static_cast<int>(rows.size());
        if (row1 < 1 || row1 > count)
            return false;
        auto clip = [&](int r, int c) { return std::min<size_t>(std::max(c, 1) - 1, rows[r - 1].size()); };
        std::wstring flat = Flat();
        size_t from = Offset(row1, clip(row1, col1));
        size_t to = row2 > count ? flat.size() : Offset(row2, clip(row2, col2));
        if (from > to)
            std::swap(from, to);
        if (from == to)
            return false;
        flat.erase(from, to - from);
        SetFlat(flat);
        return true;
    }

    bool RemoveRows(int row, int count) {
        if (row < 1 || count < 1 || row > static_cast<int>(rows.size()))
            return false;
        rows.erase(rows.begin() + (row - 1), rows.begin() + std::min<size_t>(row - 1 + count, rows.size()));
        return true;
    }
};

class BufferModel : public ::testing::Test {
protected:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    // Mostly short texts; some cross the reader's 128-character chunk edge.
    std::wstring RandomText(bool lineEnds) {
        static const wchar_t letters[] = L"ab \t";
        std::wstring text;
        int length = Chance(15) ? Pick(120, 140) : Pick(0, 8);
        for (int i = 0; i < length; ++i) {
            int kind = Pick(0, 19);
            if (!lineEnds || kind < 15)
                text += letters[kind % 4];
            else
                text += kind == 19 ? L'\0' : kind % 2 ? L'\r' : L'\n';
        }
        return text;
    }
    int AnyRow() { return Pick(0, model_.rows.size() + 2) ? Pick(1, model_.rows.size() + 2) : Pick(-2, 0); }
    int AnyCol(int row) {
        int length =
            row >= 1 && row <= static_cast<int>(model_.rows.size()) ? model_.rows[row - 1].size() : 0;
        return Pick(-1, length + 3);
    }

    std::mt19937 rng_{20240611};
    Buffer buffer_ = MakeBuffer({});
    Model model_;
};

TEST_F(BufferModel, RandomEditsMatchThePlainModel) {
    for (int step = 0; step < 6000; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        int op = Pick(0, 99);
        int row = AnyRow(), col = AnyCol(row);
        if (op < 40) {
            std::wstring text = RandomText(true);
            if (Chance(20))
                buffer_->SetOverwriteFlag(model_.overwrite = !model_.overwrite);
            LineCol got{-1, -1};
            bool ok = buffer_->InsertText(text, row, col, false, &got);
            ASSERT_EQ(ok, row >= 1);
            if (ok) {
                ASSERT_EQ(got, model_.Insert(text, row, col));
            }
        } else if (op < 55) {
            std::wstring text = RandomText(Chance(70));
            LineCol got{-1, -1};
            bool ok = buffer_->InsertTextBlock(text, row, col, false, &got);
            ASSERT_EQ(ok, row >= 1);
            if (ok) {
                ASSERT_EQ(got, model_.InsertBlock(text, row, col));
            }
        } else if (op < 85) {
            int row2 = row + Pick(-1, 3), col2 = AnyCol(row2);
            ASSERT_EQ(buffer_->DeleteText(row, col, row2, col2, false), model_.Delete(row, col, row2, col2));
        } else if (op < 95) {
            int count = Pick(-1, 3);
            ASSERT_EQ(buffer_->RemoveRows(row, false, count), model_.RemoveRows(row, count));
        } else {
            model_.tabSize = Pick(1, 8);
            ASSERT_TRUE(buffer_->SetTabSize(model_.tabSize, false));
        }
        ASSERT_EQ(RowsOf(*buffer_), model_.rows);
        if (model_.rows.size() > 40) {
            buffer_->RemoveRows(1, false, 30);
            model_.RemoveRows(1, 30);
        }
    }
}

TEST_F(BufferModel, DeletingARangeAndInsertingItsTextRestoresTheRows) {
    for (int step = 0; step < 2000; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        if (model_.rows.size() < 3 || (Chance(10) && model_.rows.size() < 40)) {
            std::wstring text = RandomText(true);
            model_.Insert(text, 1, 1);
            buffer_->InsertText(text, 1, 1, false);
        }
        int count = static_cast<int>(model_.rows.size());
        int row1 = Pick(1, count), row2 = Pick(row1, count + 1);
        int i1 = Pick(0, model_.rows[row1 - 1].size());
        int i2 = row2 > count ? 0 : Pick(row1 == row2 ? i1 : 0, model_.rows[row2 - 1].size());
        int col1 = BruteDisplayCol(model_.rows[row1 - 1], i1, model_.tabSize);
        int col2 = row2 > count ? 1 : BruteDisplayCol(model_.rows[row2 - 1], i2, model_.tabSize);

        pw::MemFile file(buffer_->RangeGrowthSize(row1, row2));
        ASSERT_TRUE(buffer_->GetText(row1, col1, row2, col2, file, false, true));
        std::wstring flat = model_.Flat();
        size_t from = model_.Offset(row1, i1), to = row2 > count ? flat.size() : model_.Offset(row2, i2);
        std::wstring expected = flat.substr(from, to - from);
        for (size_t at = 0; (at = expected.find(L'\n', at)) != std::wstring::npos; at += 2)
            expected.insert(at, L"\r");
        ASSERT_EQ(file.Text(), expected);

        buffer_->DeleteText(row1, i1 + 1, row2, i2 + 1, false);
        LineCol end;
        ASSERT_TRUE(buffer_->InsertText(file.Text(), row1, i1 + 1, false, &end));
        ASSERT_EQ(RowsOf(*buffer_), model_.rows);
        ASSERT_EQ(end, model_.PositionOf(flat, to));
    }
}

TEST_F(BufferModel, ColumnConversionsMatchTabExpansion) {
    for (int step = 0; step < 3000; ++step) {
        std::wstring row = RandomText(false);
        int tabSize = Pick(1, 9);
        buffer_->RemoveAll();
        buffer_->InsertText(row, 1, 1, false);
        buffer_->SetTabSize(tabSize, false);
        int index = Pick(-2, row.size() + 4), col = Pick(-2, BruteDisplayCol(row, row.size(), tabSize) + 4);
        ASSERT_EQ(buffer_->CharIndexToDisplayCol(1, index), BruteDisplayCol(row, index, tabSize)) << index;
        ASSERT_EQ(buffer_->DisplayColToCharIndex(1, col), BruteCharIndex(row, col, tabSize)) << col;
    }
}

}  // namespace
