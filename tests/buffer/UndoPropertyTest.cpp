// Random edit sequences with undo, redo and saves, checked against a plain model of the undo
// list: the text after every step, the position in the list and the step at the last save.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/BufferTesting.h"

namespace {

// Applies each change the buffer reports to a copy of its rows: after every report the copy must
// be the buffer's text again, or the parser would hear of a change other than the one made.
class ReplayingParser : public BufferParser {
public:
    void Follow(const CQELPenwrightBufferManager& buffer) { rows_ = RowsOf(buffer); }
    void CancelParse() override {}
    void TextChanged(LineCol s, LineCol e, int action, CQELPenwrightBufferManager& buffer) override {
        if (::testing::Test::HasFailure())
            return;  // the copy no longer follows the text
        const Rows now = RowsOf(buffer);
        // A change recorded in another state of the text may name columns past the end of a
        // row, as an empty insertion there or a deletion up to there does; they stand for its end.
        auto at = [](const std::wstring& row, int col) {
            return std::min(static_cast<size_t>(col), row.size());
        };
        std::wstring& first = rows_[s.row - 1];
        const size_t from = at(first, s.col);
        if (action == kInserted) {
            // The new text, as the buffer holds it now, goes in at s.
            const std::wstring tail = first.substr(from);
            first.resize(from);
            first += now[s.row - 1].substr(
                from, s.row == e.row ? at(now[s.row - 1], e.col) - from : std::wstring::npos);
            for (int r = s.row + 1; r <= e.row; ++r)
                rows_.insert(rows_.begin() + r - 1,
                             now[r - 1].substr(0, r == e.row ? at(now[r - 1], e.col) : std::wstring::npos));
            rows_[e.row - 1] += tail;
        } else if (action == kDeleted) {
            const std::wstring tail = rows_[e.row - 1].substr(at(rows_[e.row - 1], e.col));
            first.resize(from);
            first += tail;
            rows_.erase(rows_.begin() + s.row, rows_.begin() + e.row);
        } else {
            ASSERT_EQ(action, kReplaced);
            ASSERT_EQ(s.row, e.row);
            const size_t count = at(first, e.col) - from;
            first.replace(from, count, now[s.row - 1].substr(from, count));
        }
        EXPECT_EQ(rows_, now) << "change " << action << " " << s.row << "," << s.col << " - " << e.row << ","
                              << e.col;
    }

private:
    Rows rows_;
};

// The text after each step, oldest first; a step's id changes whenever the step grows, as the
// text at a save no longer matches it then.
struct History {
    std::vector<std::wstring> texts;
    std::vector<uint64_t> ids{0};
    size_t at = 0;
    uint64_t saved = 0;
    uint64_t lastId = 0;

    void DropRedoPart() {
        texts.resize(at + 1);
        ids.resize(at + 1);
    }
    void Push(std::wstring text) {
        DropRedoPart();
        texts.push_back(std::move(text));
        ids.push_back(++lastId);
        ++at;
    }
    void Grow(std::wstring text) {
        texts[at] = std::move(text);
        ids[at] = ++lastId;
    }
    bool Modified() const { return ids[at] != saved; }
};

class UndoProperty : public ::testing::Test {
protected:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    std::wstring RandomText() {
        static const wchar_t letters[] = L"ab \t";
        std::wstring text;
        int length = Chance(10) ? Pick(120, 140) : Pick(0, 6);
        for (int i = 0; i < length; ++i) {
            int kind = Pick(0, 19);
            text += kind < 16 ? letters[kind % 4] : kind == 19 ? L'\0' : kind % 2 ? L'\r' : L'\n';
        }
        return text;
    }
    int Rows() { return buffer_->GetRowCount(); }
    int AnyRow() { return Pick(1, Rows() + 2); }
    int AnyCol(int row) { return Pick(-1, buffer_->GetLineTextLength(row) + 3); }

    // The same edit on a buffer that records nothing gives the same rows.
    template <class F>
    bool Edit(F edit) {
        plain_->SetOverwriteFlag(buffer_->GetOverwriteFlag());
        bool changed = edit(*buffer_, true);
        EXPECT_EQ(edit(*plain_, false), changed);
        EXPECT_EQ(RowsOf(*buffer_), RowsOf(*plain_));
        return changed;
    }
    // Other operations than typing end the typing group first.
    void EndGroup() {
        undo().SetGroupMode(false);
        groupOpen_ = false;
    }
    // Types one character at `at` as the edit control does; answers where it leaves the caret.
    LineCol TypeChar(wchar_t c, LineCol at) {
        bool grouped = !buffer_->GetOverwriteFlag() && !BreaksTypingGroup(c);
        LineCol next;
        Edit([&](CQELPenwrightBufferManager& b, bool canUndo) {
            if (canUndo)
                next = Type(b, std::wstring_view(&c, 1), at);
            else
                b.InsertText(std::wstring_view(&c, 1), at.row, at.col, false);
            return true;
        });
        if (grouped && groupOpen_)
            model_.Grow(FlatText(*buffer_));
        else
            model_.Push(FlatText(*buffer_));
        groupOpen_ = grouped;
        return next;
    }
    void Step();
    UndoManager& undo() { return buffer_->GetUndoManager(); }

    std::mt19937 rng_{20240617};
    Buffer buffer_ = MakeBuffer({L"one", L"\ttwo", L""});
    pw::RefPtr<ReplayingParser> parser_ = [this] {
        auto parser = pw::MakeRef<ReplayingParser>();
        buffer_->SetParser(parser);
        return parser;
    }();
    Buffer plain_ = MakeBuffer({L"one", L"\ttwo", L""});
    History model_{{FlatText(*buffer_)}};
    bool groupOpen_ = false;
    LineCol caret_{1, 1};
};

void UndoProperty::Step() {
    int op = Pick(0, 99);
    LineCol start, end;
    if (op < 30) {  // a few keys typed, mostly where the last typing stopped
        if (Chance(20) || caret_.row > Rows() + 2)
            caret_ = {AnyRow(), std::max(1, AnyCol(caret_.row))};
        for (int n = Pick(1, 6); n > 0; --n) caret_ = TypeChar(L"abcdefgh ;(\t\r"[Pick(0, 12)], caret_);
    } else if (op < 34) {  // a key typed over a selection: one step with the deletion
        EndGroup();
        int row = Pick(1, std::max(Rows(), 1)), col = AnyCol(row), col2 = AnyCol(row);
        bool deleted =
            Edit([&](auto& b, bool canUndo) { return b.DeleteText(row, col, row, col2, canUndo); });
        wchar_t c = L"xy("[Pick(0, 2)];
        bool grouped = !buffer_->GetOverwriteFlag() && !BreaksTypingGroup(c);
        LineCol at{row, std::max(1, std::min(col, col2))};
        Edit([&](auto& b, bool canUndo) {
            if (canUndo)
                b.GetUndoManager().SetGroupMode(grouped);
            return b.InsertText(std::wstring_view(&c, 1), at.row, at.col, canUndo, &caret_);
        });
        if (deleted) {
            undo().MergeLastCommand();
            undo().NameLastCommand(9718);
        }
        model_.Push(FlatText(*buffer_));
        groupOpen_ = grouped;
    } else if (op < 46) {  // a paste, in either mode
        EndGroup();
        if (Chance(30))
            buffer_->SetOverwriteFlag(!buffer_->GetOverwriteFlag());
        std::wstring text = RandomText();
        int row = Pick(0, Rows() + 2), col = AnyCol(row);
        if (Edit([&](auto& b, bool canUndo) { return b.InsertText(text, row, col, canUndo); }))
            model_.Push(FlatText(*buffer_));
    } else if (op < 54) {
        EndGroup();
        std::wstring text = RandomText();
        int row = AnyRow(), col = AnyCol(row);
        Edit([&](auto& b, bool canUndo) { return b.InsertTextBlock(text, row, col, canUndo); });
        model_.DropRedoPart();  // opening the group dropped it even when nothing is inserted
        if (!text.empty())
            model_.Push(FlatText(*buffer_));
    } else if (op < 68) {
        EndGroup();
        int row = Pick(1, Rows() + 1), row2 = row + Pick(-1, 2);
        int col = AnyCol(row), col2 = AnyCol(row2);
        bool display = Chance(30);
        if (Edit([&](auto& b, bool canUndo) { return b.DeleteText(row, col, row2, col2, canUndo, display); }))
            model_.Push(FlatText(*buffer_));
    } else if (op < 73 || Rows() > 40) {
        EndGroup();
        int row = Pick(1, Rows() + 1), count = Rows() > 40 ? 30 : Pick(1, 3);
        if (Edit([&](auto& b, bool canUndo) { return b.RemoveRows(row, canUndo, count); }))
            model_.Push(FlatText(*buffer_));
    } else if (op < 86) {
        EndGroup();
        parser_->Follow(*buffer_);
        for (int n = Pick(1, 4); n > 0; --n) {
            undo().Undo(start, end, nullptr);
            model_.at -= model_.at > 0;
        }
        plain_ = MakeBuffer(RowsOf(*buffer_));
    } else if (op < 95) {
        EndGroup();
        parser_->Follow(*buffer_);
        for (int n = Pick(1, 4); n > 0; --n) {
            undo().Redo(start, end, nullptr);
            model_.at += model_.at + 1 < model_.texts.size();
        }
        plain_ = MakeBuffer(RowsOf(*buffer_));
    } else if (op < 98) {
        undo().MarkSaved();  // also inside an open typing group
        model_.saved = model_.ids[model_.at];
    } else {
        // Steps hold character positions and their own line ends: changing the tab size or the
        // line-end style between recording and replaying must not matter.
        buffer_->SetTabSize(Pick(1, 8), false);
        buffer_->SetCrlfStyle(Pick(0, 2));
    }
    plain_->SetTabSize(buffer_->GetTabSize(), false);
    plain_->SetCrlfStyle(buffer_->GetCrlfStyle());
}

TEST_F(UndoProperty, RandomEditsUndoAndRedoAgainstThePlainModel) {
    for (int step = 0; step < 5000; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        Step();
        ASSERT_EQ(FlatText(*buffer_), model_.texts[model_.at]);
        ASSERT_EQ(undo().CanUndo(), model_.at > 0);
        ASSERT_EQ(undo().CanRedo(), model_.at + 1 < model_.texts.size());
        ASSERT_EQ(buffer_->IsModified(), model_.Modified());
    }
    EndGroup();
    parser_->Follow(*buffer_);
    LineCol start, end;
    while (undo().CanUndo()) undo().Undo(start, end, nullptr);
    EXPECT_EQ(FlatText(*buffer_), L"one\n\ttwo\n");
    while (undo().CanRedo()) undo().Redo(start, end, nullptr);
    EXPECT_EQ(FlatText(*buffer_), model_.texts.back());
}

}  // namespace
