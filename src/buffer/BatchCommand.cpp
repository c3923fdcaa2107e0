#include "buffer/BatchCommand.h"

#include <algorithm>
#include <utility>

#include "platform/StringTable.h"

namespace {

constexpr unsigned kMultipleOperationsText = 9715;

template <class It>
int RunAll(It first, It last, bool redo, LineCol& start, LineCol& end, CaretTarget* caret) {
    int flags = 0;
    start = kRangeStartUnset;
    end = kRangeEndUnset;
    for (; first != last; ++first) {
        auto& command = *first;
        // A member that does nothing leaves these alone and must not widen the range.
        LineCol s = kRangeStartUnset, e = kRangeEndUnset;
        flags |= redo ? command->Execute(s, e, caret) : command->UnExecute(s, e, caret);
        start = std::min(start, s);
        end = std::max(end, e);
    }
    return flags;
}

}  // namespace

CQELPenwrightBatchCommand::CQELPenwrightBatchCommand() {
    commandText = pw::LoadString(kMultipleOperationsText);
}

int CQELPenwrightBatchCommand::Execute(LineCol& start, LineCol& end, CaretTarget* caret) {
    return RunAll(commands.begin(), commands.end(), true, start, end, caret);
}

int CQELPenwrightBatchCommand::UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) {
    return RunAll(commands.rbegin(), commands.rend(), false, start, end, caret);
}

void CQELPenwrightBatchCommand::Add(std::unique_ptr<CQELPenwrightCommand> command) {
    commands.push_back(std::move(command));
}
