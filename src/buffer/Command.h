#pragma once
// One recorded change of the text, applied again by Execute (redo) and reverted by UnExecute
// (undo). Both answer EditAction flags so that the editor knows how much to refresh, and the
// range they touched.
#include <string>

#include "buffer/LineCol.h"

class CaretTarget;

// What a step did, as Execute and UnExecute answer it.
namespace EditAction {
inline constexpr int EditInsert = 0x100;
inline constexpr int EditDelete = 0x200;
inline constexpr int EditReplace = 0x300;
inline constexpr int EditRowsAdded = 0x001;    // with insert and replace across rows
inline constexpr int EditRowsRemoved = 0x002;  // with delete and replace across rows
inline constexpr int EditRowChanged = 0x004;   // whenever the range is not empty
}  // namespace EditAction

class CQELPenwrightCommand {
public:
    CQELPenwrightCommand();
    CQELPenwrightCommand(const CQELPenwrightCommand&) = delete;
    CQELPenwrightCommand& operator=(const CQELPenwrightCommand&) = delete;
    virtual ~CQELPenwrightCommand() = default;

    // Out start and end receive the range touched; `caret` may be null.
    virtual int Execute(LineCol& start, LineCol& end, CaretTarget* caret) = 0;
    virtual int UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) = 0;
    virtual std::wstring GetCommandText() const { return commandText; }
    virtual void SetCommandText(const std::wstring& text) { commandText = text; }

protected:
    std::wstring commandText;
};
