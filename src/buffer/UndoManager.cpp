#include "buffer/UndoManager.h"

#include <algorithm>
#include <utility>

#include "buffer/BatchCommand.h"
#include "platform/StringTable.h"

CQELPenwrightBatchCommand* UndoManager::LastBatch() const {
    return commands.empty() ? nullptr
                            : dynamic_cast<CQELPenwrightBatchCommand*>(commands.back().command.get());
}

void UndoManager::AddCommand(std::unique_ptr<CQELPenwrightCommand> command) {
    if (!command)
        return;
    DropRedoPart();
    if (groupMode) {
        CQELPenwrightBatchCommand* batch = LastBatch();
        if (!batch) {
            auto fresh = std::make_unique<CQELPenwrightBatchCommand>();
            batch = fresh.get();
            commands.push_back({std::move(fresh), 0});
        }
        batch->Add(std::move(command));
        // The step now does more: the text at a save before this is not the text after it.
        commands.back().id = ++lastId;
    } else {
        commands.push_back({std::move(command), ++lastId});
    }
    current = static_cast<ptrdiff_t>(commands.size()) - 1;
}

int UndoManager::Undo(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (current == kNone)
        return 0;
    int flags = commands[current].command->UnExecute(start, end, caret);
    --current;
    return flags;
}

int UndoManager::Redo(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!CanRedo())
        return 0;
    ++current;
    return commands[current].command->Execute(start, end, caret);
}

void UndoManager::Clear() {
    commands.clear();
    current = kNone;
}

void UndoManager::Forget() {
    const bool modified = IsModified();
    Clear();
    modified ? MarkUnsaved() : MarkSaved();
}

void UndoManager::SetGroupMode(bool on) {
    if (on == groupMode)
        return;
    groupMode = on;
    if (on) {
        DropRedoPart();
        commands.push_back({std::make_unique<CQELPenwrightBatchCommand>(), ++lastId});
        current = static_cast<ptrdiff_t>(commands.size()) - 1;
        return;
    }
    CQELPenwrightBatchCommand* batch = LastBatch();
    if (!batch || !batch->IsEmpty())
        return;
    commands.pop_back();
    // Only a position that pointed at the removed batch moves; one that an undo had already
    // moved further back stays, or the next undo would revert a change that is not there.
    current = std::min(current, static_cast<ptrdiff_t>(commands.size()) - 1);
}

void UndoManager::MergeLastCommand() {
    if (current == kNone || current == 0)
        return;
    Entry& previous = commands[current - 1];
    auto* batch = dynamic_cast<CQELPenwrightBatchCommand*>(previous.command.get());
    if (!batch) {
        auto wrapper = std::make_unique<CQELPenwrightBatchCommand>();
        wrapper->Add(std::move(previous.command));
        batch = wrapper.get();
        previous.command = std::move(wrapper);
    }
    batch->Add(std::move(commands[current].command));
    // The batch now ends where the merged command ended; the state after the previous command
    // alone has no position any more.
    uint64_t mergedId = commands[current].id;
    previous.id = ++lastId;
    if (saved == mergedId)
        saved = previous.id;
    commands.erase(commands.begin() + current);
    --current;
}

void UndoManager::NameLastCommand(unsigned id) {
    if (current != kNone)
        commands[current].command->SetCommandText(pw::LoadString(id));
}
