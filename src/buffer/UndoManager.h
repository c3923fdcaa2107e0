#pragma once
// The list of recorded commands of one buffer, the position of the last executed one, and the
// position at the last save.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "buffer/Command.h"

class CQELPenwrightBatchCommand;

class UndoManager {
public:
    // Records a change that has already been made; in group mode it joins the open batch.
    // Everything that could have been redone is dropped.
    void AddCommand(std::unique_ptr<CQELPenwrightCommand> command);
    // Flags of the reverted or re-applied step; 0, with start and end untouched, when there is
    // none. `caret` may be null.
    int Undo(LineCol& start, LineCol& end, CaretTarget* caret);
    int Redo(LineCol& start, LineCol& end, CaretTarget* caret);
    bool CanUndo() const { return current != kNone; }
    bool CanRedo() const { return current + 1 < static_cast<ptrdiff_t>(commands.size()); }
    // Drops every command; neither the saved mark nor the group mode changes.
    void Clear();
    // Drops every command, the text staying modified or unmodified as it was.
    void Forget();
    void MarkSaved() { saved = IdAt(current); }
    // The text counts as changed since the last save until it is saved again (no step matches).
    void MarkUnsaved() { saved = kNeverSaved; }
    bool IsModified() const { return IdAt(current) != saved; }
    // On: the following commands form one step, until switched off.
    void SetGroupMode(bool on);
    bool IsGroupMode() const { return groupMode; }
    // Makes the last executed command part of the step before it.
    void MergeLastCommand();
    // Names the last executed step with the string table's text of `id`.
    void NameLastCommand(unsigned id);

private:
    static constexpr ptrdiff_t kNone = -1;
    static constexpr uint64_t kNeverSaved = UINT64_MAX;  // an id no step reaches

    // A step's identity for the saved mark: a new one whenever the step's content changes, so
    // that a mark set before the change no longer matches it. 0 stands for no step.
    struct Entry {
        std::unique_ptr<CQELPenwrightCommand> command;
        uint64_t id;
    };

    uint64_t IdAt(ptrdiff_t position) const { return position == kNone ? 0 : commands[position].id; }
    void DropRedoPart() { commands.resize(static_cast<size_t>(current + 1)); }
    // The batch at the end of the list, or null.
    CQELPenwrightBatchCommand* LastBatch() const;

    std::vector<Entry> commands;  // oldest first
    ptrdiff_t current = kNone;    // the last executed command
    uint64_t saved = 0;           // the id at current when last saved
    uint64_t lastId = 0;
    bool groupMode = false;
};
