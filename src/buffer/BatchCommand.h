#pragma once
// Several commands undone and redone as one step: a typing group, a rectangular paste, a
// deletion merged with the insertion that replaced it.
#include <memory>
#include <vector>

#include "buffer/Command.h"

class CQELPenwrightBatchCommand : public CQELPenwrightCommand {
public:
    CQELPenwrightBatchCommand();

    // Runs the members oldest first; start and end fold the members' ranges.
    int Execute(LineCol& start, LineCol& end, CaretTarget* caret) override;
    // Runs the members newest first.
    int UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) override;

    // Adds the newest member.
    void Add(std::unique_ptr<CQELPenwrightCommand> command);
    bool IsEmpty() const { return commands.empty(); }

private:
    // Oldest first: groups grow at the back, one member per typed character.
    std::vector<std::unique_ptr<CQELPenwrightCommand>> commands;
};
