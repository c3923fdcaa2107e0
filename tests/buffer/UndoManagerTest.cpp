#include "buffer/UndoManager.h"

#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "buffer/BatchCommand.h"
#include "buffer/BufferCommands.h"
#include "buffer/BufferTesting.h"
#include "buffer/CaretTarget.h"

namespace {

// A command that only writes down what is done with it.
class Probe : public CQELPenwrightCommand {
public:
    Probe(std::wstring name, std::wstring& log) : name_(std::move(name)), log_(log) {}
    int Execute(LineCol&, LineCol&, CaretTarget*) override {
        log_ += L"+" + name_;
        return EditAction::EditInsert;
    }
    int UnExecute(LineCol&, LineCol&, CaretTarget*) override {
        log_ += L"-" + name_;
        return EditAction::EditDelete;
    }

private:
    std::wstring name_;
    std::wstring& log_;
};

struct CaretLog : CaretTarget {
    void SetCaretPos(const LineCol& pos) override { last = pos; }
    LineCol last;
};

Probe* AddProbe(UndoManager& undo, const wchar_t* name, std::wstring& log) {
    auto probe = std::make_unique<Probe>(name, log);
    Probe* p = probe.get();
    undo.AddCommand(std::move(probe));
    return p;
}

class UndoSteps : public ::testing::Test {
protected:
    std::wstring Undo() {
        undo().Undo(start_, end_, nullptr);
        return FlatText(*buffer_);
    }
    std::wstring Redo() {
        undo().Redo(start_, end_, nullptr);
        return FlatText(*buffer_);
    }
    UndoManager& undo() { return buffer_->GetUndoManager(); }

    Buffer buffer_ = MakeBuffer({L""});
    LineCol start_, end_;
};

TEST_F(UndoSteps, TypingGroupsEndAtGroupBreakingCharacters) {
    EXPECT_FALSE(undo().CanUndo());
    EXPECT_FALSE(undo().CanRedo());
    Type(*buffer_, L"abc de", {1, 1});
    EXPECT_EQ(Undo(), L"abc ");
    EXPECT_EQ(Undo(), L"abc");
    EXPECT_EQ(Undo(), L"");
    EXPECT_FALSE(undo().CanUndo());
    start_ = end_ = {7, 7};
    EXPECT_EQ(undo().Undo(start_, end_, nullptr), 0);
    EXPECT_EQ(start_, (LineCol{7, 7}));  // nothing to undo leaves the range alone
    EXPECT_EQ(Redo(), L"abc");
    EXPECT_EQ(Redo(), L"abc ");
    EXPECT_EQ(Redo(), L"abc de");
    EXPECT_FALSE(undo().CanRedo());
    EXPECT_EQ(undo().Redo(start_, end_, nullptr), 0);
}

TEST_F(UndoSteps, AnEmptyGroupLeavesNoStep) {
    buffer_->InsertText(L"x", 1, 1, true);
    undo().MarkSaved();
    undo().SetGroupMode(true);
    undo().SetGroupMode(false);
    EXPECT_FALSE(buffer_->IsModified());
    EXPECT_EQ(Undo(), L"");
    EXPECT_FALSE(undo().CanUndo());

    // Undoing past the open group before closing it: the undone change stays undone.
    EXPECT_EQ(Redo(), L"x");
    undo().SetGroupMode(true);
    EXPECT_EQ(undo().Undo(start_, end_, nullptr), 0);  // the empty group
    EXPECT_EQ(Undo(), L"");
    undo().SetGroupMode(false);
    EXPECT_FALSE(undo().CanUndo());
    EXPECT_EQ(Undo(), L"");
    EXPECT_EQ(Redo(), L"x");
}

TEST_F(UndoSteps, TypingOverASelectionIsOneStep) {
    buffer_ = MakeBuffer({L"hello world"});
    undo().SetGroupMode(false);
    buffer_->DeleteText(1, 7, 1, 12, true);
    undo().SetGroupMode(true);
    buffer_->InsertText(L"W", 1, 7, true);
    undo().MergeLastCommand();
    Type(*buffer_, L"orld", {1, 8});  // the group is still open
    EXPECT_EQ(FlatText(*buffer_), L"hello World");
    EXPECT_EQ(Undo(), L"hello world");
    EXPECT_FALSE(undo().CanUndo());
    EXPECT_EQ(Redo(), L"hello World");
}

TEST(UndoList, BatchesRunInOrderAndMergeWrapsASingleCommand) {
    UndoManager undo;
    std::wstring log;
    LineCol start, end;
    undo.MergeLastCommand();  // nothing to merge
    undo.SetGroupMode(true);
    for (const wchar_t* name : {L"1", L"2", L"3"}) AddProbe(undo, name, log);
    undo.SetGroupMode(false);
    AddProbe(undo, L"a", log);
    undo.MergeLastCommand();
    AddProbe(undo, L"b", log);
    AddProbe(undo, L"c", log);
    undo.MergeLastCommand();
    EXPECT_EQ(undo.Undo(start, end, nullptr), EditAction::EditDelete);
    EXPECT_EQ(undo.Undo(start, end, nullptr), EditAction::EditDelete);
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(log, L"-c-b-a-3-2-1");
    log.clear();
    undo.Redo(start, end, nullptr);
    undo.Redo(start, end, nullptr);
    EXPECT_EQ(log, L"+1+2+3+a+b+c");
    EXPECT_FALSE(undo.CanRedo());
}

TEST(UndoList, NamesGoToTheLastExecutedStep) {
    UndoManager undo;
    std::wstring log;
    LineCol start, end;
    Probe* a = AddProbe(undo, L"a", log);
    Probe* b = AddProbe(undo, L"b", log);
    EXPECT_EQ(a->GetCommandText(), L"Undefined command");
    undo.NameLastCommand(9719);
    EXPECT_EQ(b->GetCommandText(), L"Paste");
    undo.Undo(start, end, nullptr);
    undo.NameLastCommand(9724);
    EXPECT_EQ(a->GetCommandText(), L"Format");
    undo.Undo(start, end, nullptr);
    undo.NameLastCommand(9718);
    EXPECT_EQ(a->GetCommandText(), L"Format");
    EXPECT_EQ(b->GetCommandText(), L"Paste");
}

TEST(UndoList, ClearKeepsGroupModeAndTheSavedMark) {
    Buffer buffer = MakeBuffer({L""});
    UndoManager& undo = buffer->GetUndoManager();
    buffer->InsertText(L"a", 1, 1, true);
    undo.Clear();
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_FALSE(buffer->IsModified());  // never saved: an empty list matches

    buffer->InsertText(L"b", 1, 1, true);
    undo.MarkSaved();
    undo.Clear();
    EXPECT_TRUE(buffer->IsModified());  // the saved step is gone
    undo.MarkSaved();
    EXPECT_FALSE(buffer->IsModified());

    undo.SetGroupMode(true);
    undo.Clear();
    buffer->InsertText(L"c", 1, 1, true);
    buffer->InsertText(L"d", 1, 1, true);
    undo.SetGroupMode(false);
    LineCol start, end;
    undo.Undo(start, end, nullptr);
    EXPECT_EQ(FlatText(*buffer), L"ba");
    EXPECT_FALSE(undo.CanUndo());

    buffer->InsertText(L"e", 1, 1, true);
    buffer->RemoveAll();
    EXPECT_FALSE(undo.CanUndo());
}

TEST_F(UndoSteps, ASaveInsideAGroupOrAMergeStillSeesLaterChanges) {
    LineCol at = Type(*buffer_, L"ab", {1, 1});
    undo().MarkSaved();
    Type(*buffer_, L"c", at);  // joins the saved group
    EXPECT_TRUE(buffer_->IsModified());
    EXPECT_EQ(Undo(), L"");
    EXPECT_TRUE(buffer_->IsModified());
    EXPECT_EQ(Redo(), L"abc");
    EXPECT_TRUE(buffer_->IsModified());

    // Saved after the merged command: the merged step ends in the saved text.
    undo().SetGroupMode(false);
    buffer_->DeleteText(1, 1, 1, 2, true);
    buffer_->InsertText(L"X", 1, 1, true);
    undo().MarkSaved();
    undo().MergeLastCommand();
    EXPECT_FALSE(buffer_->IsModified());
    EXPECT_EQ(Undo(), L"abc");
    EXPECT_TRUE(buffer_->IsModified());
    EXPECT_EQ(Redo(), L"Xbc");
    EXPECT_FALSE(buffer_->IsModified());

    // Saved between the two: no step ends in the saved text any more.
    buffer_->DeleteText(1, 1, 1, 2, true);
    undo().MarkSaved();
    buffer_->InsertText(L"Y", 1, 1, true);
    undo().MergeLastCommand();
    EXPECT_TRUE(buffer_->IsModified());
    EXPECT_EQ(Undo(), L"Xbc");
    EXPECT_TRUE(buffer_->IsModified());
}

// What undo and then redo of one recorded edit answer.
struct Answers {
    int undoFlags, redoFlags;
    LineCol start, end;
    LineCol undoCaret, redoCaret;
};

struct FlagCase {
    const char* name;
    Rows rows;
    bool overwrite;
    std::function<void(CQELPenwrightBufferManager&)> edit;
    Answers answers;
};

TEST(BufferCommands, FlagsRangesAndCaretOfEachKind) {
    const FlagCase cases[] = {
        {"insert in a row",
         {L"abcd"},
         false,
         [](auto& b) { b.InsertText(L"XY", 1, 2, true); },
         {0x204, 0x104, {1, 2}, {1, 4}, {1, 2}, {1, 4}}},
        {"insert across rows",
         {L"abcd"},
         false,
         [](auto& b) { b.InsertText(L"X\r\nY", 1, 2, true); },
         {0x206, 0x105, {1, 2}, {2, 2}, {1, 2}, {2, 2}}},
        {"empty insert",
         {L"abcd"},
         false,
         [](auto& b) { b.InsertText(L"", 1, 2, true); },
         {0x200, 0x100, {1, 2}, {1, 2}, {1, 2}, {1, 2}}},
        {"delete in a row",
         {L"abcd"},
         false,
         [](auto& b) { b.DeleteText(1, 4, 1, 2, true); },
         {0x104, 0x204, {1, 2}, {1, 4}, {1, 4}, {1, 2}}},
        {"delete across rows",
         {L"abcd", L"ef"},
         false,
         [](auto& b) { b.DeleteText(1, 3, 2, 2, true); },
         {0x105, 0x206, {1, 3}, {2, 2}, {2, 2}, {1, 3}}},
        {"replace in a row",
         {L"abcd"},
         true,
         [](auto& b) { b.InsertText(L"XY", 1, 2, true); },
         {0x304, 0x304, {1, 2}, {1, 4}, {1, 2}, {1, 2}}},
        {"replace across rows",
         {L"abcd"},
         true,
         [](auto& b) { b.InsertText(L"X\nY", 1, 2, true); },
         {0x307, 0x307, {1, 2}, {2, 2}, {1, 2}, {1, 2}}},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Answers& a = c.answers;
        Buffer b = MakeBuffer(c.rows);
        b->SetOverwriteFlag(c.overwrite);
        c.edit(*b);
        Rows after = RowsOf(*b);
        UndoManager& undo = b->GetUndoManager();
        CaretLog caret;
        LineCol start, end;
        EXPECT_EQ(undo.Undo(start, end, &caret), a.undoFlags);
        EXPECT_EQ(RowsOf(*b), c.rows);
        EXPECT_EQ(start, a.start);
        EXPECT_EQ(end, a.end);
        EXPECT_EQ(caret.last, a.undoCaret);
        EXPECT_EQ(undo.Redo(start, end, &caret), a.redoFlags);
        EXPECT_EQ(RowsOf(*b), after);
        EXPECT_EQ(start, a.start);
        EXPECT_EQ(end, a.end);
        EXPECT_EQ(caret.last, a.redoCaret);
        EXPECT_EQ(b->GetOverwriteFlag(), c.overwrite);
    }
}

TEST(BufferCommands, ABatchFoldsItsMembersRanges) {
    Buffer b = MakeBuffer({L"abcd", L"ab", L"abcdef"});
    b->InsertTextBlock(L"12\r\n345\r\n6", 1, 3, true);
    CaretLog caret;
    LineCol start, end;
    EXPECT_EQ(b->GetUndoManager().Undo(start, end, &caret), 0x204);
    EXPECT_EQ(RowsOf(*b), (Rows{L"abcd", L"ab", L"abcdef"}));
    EXPECT_EQ(start, (LineCol{1, 3}));
    EXPECT_EQ(end, (LineCol{3, 4}));
    EXPECT_EQ(caret.last, (LineCol{1, 3}));  // the first piece is undone last
    EXPECT_EQ(b->GetUndoManager().Redo(start, end, &caret), 0x104);
    EXPECT_EQ(end, (LineCol{3, 4}));
    EXPECT_EQ(caret.last, (LineCol{3, 4}));

    UndoManager undo;
    undo.SetGroupMode(true);
    EXPECT_EQ(undo.Undo(start, end, nullptr), 0);
    EXPECT_EQ(start, kRangeStartUnset);
    EXPECT_EQ(end, kRangeEndUnset);
}

TEST(BufferCommands, DisplayTextsAndAMissingBuffer) {
    CQELPenwrightInsertStringCommand insert(nullptr, L"abc", {1, 1}, {1, 4});
    CQELPenwrightDeleteStringCommand del(nullptr, L"abc", {1, 1}, {1, 4});
    CQELPenwrightReplaceStringCommand replace(nullptr, L"XY", L"bc", {1, 2}, {1, 4});
    EXPECT_EQ(insert.GetCommandText(), L"Insert: abc");
    EXPECT_EQ(del.GetCommandText(), L"Delete: abc");
    EXPECT_EQ(replace.GetCommandText(), L"Multiple operationsXY");
    EXPECT_EQ(CQELPenwrightBatchCommand().GetCommandText(), L"Multiple operations");
    insert.SetCommandText(L"Paste");
    EXPECT_EQ(insert.GetCommandText(), L"Paste");

    LineCol start{7, 7}, end{7, 7};
    for (CQELPenwrightCommand* c : std::initializer_list<CQELPenwrightCommand*>{&insert, &del, &replace}) {
        EXPECT_EQ(c->Execute(start, end, nullptr), 0);
        EXPECT_EQ(c->UnExecute(start, end, nullptr), 0);
    }
    EXPECT_EQ(start, (LineCol{7, 7}));
}

void Overwrite(CQELPenwrightBufferManager& b, std::wstring_view text, int row, int col) {
    b.SetOverwriteFlag(true);
    b.InsertText(text, row, col, true);
}

// Each edit is undone to exactly the rows before it and redone to exactly the rows after it.
struct ExactCase {
    const char* name;
    Rows rows;
    std::function<void(CQELPenwrightBufferManager&)> edit;
};

TEST(UndoExact, EveryKindOfEditComesBackExactly) {
    const ExactCase cases[] = {
        {"overwrite longer than the rest", {L"abcd"}, [](auto& b) { Overwrite(b, L"WXYZ", 1, 3); }},
        {"overwrite with lines", {L"abcd", L"e"}, [](auto& b) { Overwrite(b, L"1\r\n23\r\n4", 1, 2); }},
        {"overwrite ending in a line end", {L"abcd"}, [](auto& b) { Overwrite(b, L"12\n", 1, 2); }},
        {"overwrite at the row's end", {L"abcd"}, [](auto& b) { Overwrite(b, L"XY", 1, 5); }},
        {"overwrite past the row's end", {L"abcd"}, [](auto& b) { Overwrite(b, L"X\nY", 1, 8); }},
        {"insert past the row's end", {L"ab"}, [](auto& b) { b.InsertText(L"x", 1, 6, true); }},
        {"insert below the last row", {L"ab", L"c"}, [](auto& b) { b.InsertText(L"x", 5, 3, true); }},
        {"empty insert below the last row", {L"ab"}, [](auto& b) { b.InsertText(L"", 3, 3, true); }},
        {"block past the rows' ends",
         {L"abcdef", L"a"},
         [](auto& b) { b.InsertTextBlock(L"1\r\n2\r\n\r\n3", 1, 5, true); }},
        {"delete past the ends", {L"abc", L"def"}, [](auto& b) { b.DeleteText(1, 9, 5, 1, true); }},
        {"delete in display columns",
         {L"\tab", L"c\td"},
         [](auto& b) { b.DeleteText(1, 6, 2, 3, true, true); }},
        {"remove the last rows", {L"a", L"b", L"c"}, [](auto& b) { b.RemoveRows(2, true, 5); }},
        {"remove middle rows", {L"a", L"b", L"c"}, [](auto& b) { b.RemoveRows(1, true, 2); }},
    };
    for (const ExactCase& c : cases) {
        SCOPED_TRACE(c.name);
        Buffer b = MakeBuffer(c.rows);
        c.edit(*b);
        Rows after = RowsOf(*b);
        ASSERT_NE(after, c.rows);
        LineCol start, end;
        b->GetUndoManager().Undo(start, end, nullptr);
        EXPECT_EQ(RowsOf(*b), c.rows);
        b->GetUndoManager().Redo(start, end, nullptr);
        EXPECT_EQ(RowsOf(*b), after);
        EXPECT_FALSE(b->GetUndoManager().CanRedo());
    }
}

TEST(UndoExact, EditsThatChangeNothingRecordNothing) {
    Buffer b = MakeBuffer({L"abc"});
    EXPECT_FALSE(b->DeleteText(1, 5, 1, 9, true));
    EXPECT_FALSE(b->DeleteText(4, 1, 5, 1, true));
    EXPECT_FALSE(b->RemoveRows(2, true));
    EXPECT_FALSE(b->InsertText(L"x", 0, 1, true));
    EXPECT_FALSE(b->InsertTextBlock(L"x", 1, 1 << 30, true));
    EXPECT_TRUE(b->InsertTextBlock(L"", 1, 1, true));
    EXPECT_FALSE(b->GetUndoManager().CanUndo());
    EXPECT_FALSE(b->IsModified());
}

TEST(UndoExact, RemovingEveryRowLeavesAnEmptyText) {
    Buffer b = MakeBuffer({L"a", L"b"});
    b->RemoveRows(1, true, 2);
    LineCol start, end;
    b->GetUndoManager().Undo(start, end, nullptr);
    EXPECT_EQ(RowsOf(*b), (Rows{L"a", L"b"}));
    b->GetUndoManager().Redo(start, end, nullptr);
    EXPECT_EQ(FlatText(*b), L"");
}

}  // namespace

TEST(UndoList, ForgettingKeepsTheModifiedState) {
    // Modified or not, before and after a save: forgetting the steps never changes the answer,
    // and the next edit makes the text modified.
    for (const bool saveFirst : {false, true})
        for (const bool editAfterSave : {false, true}) {
            Buffer buffer = MakeBuffer({L""});
            UndoManager& undo = buffer->GetUndoManager();
            buffer->InsertText(L"a", 1, 1, true);
            if (saveFirst)
                undo.MarkSaved();
            if (editAfterSave)
                buffer->InsertText(L"b", 1, 1, true);
            const bool modified = buffer->IsModified();
            undo.Forget();
            EXPECT_FALSE(undo.CanUndo());
            EXPECT_EQ(buffer->IsModified(), modified) << saveFirst << editAfterSave;
            buffer->InsertText(L"c", 1, 1, true);
            EXPECT_TRUE(buffer->IsModified());
        }
}
