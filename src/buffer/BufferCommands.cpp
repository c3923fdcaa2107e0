#include "buffer/BufferCommands.h"

#include <algorithm>
#include <utility>

#include "buffer/BufferManager.h"
#include "buffer/CaretTarget.h"
#include "platform/StringTable.h"

namespace {

constexpr unsigned kMultipleOperationsText = 9715;
constexpr unsigned kDeleteText = 9716;
constexpr unsigned kInsertText = 9717;

}  // namespace

CQELPenwrightBufferCommand::CQELPenwrightBufferCommand(CQELPenwrightBufferManager* bufferManager,
                                                       std::wstring text, LineCol from, LineCol to)
    : bufferManager(bufferManager), text(std::move(text)), from(from), to(to) {}

void CQELPenwrightBufferCommand::Insert(std::wstring_view s, LineCol at) {
    const OverwriteScope mode(*bufferManager, false);
    bufferManager->CancelParse();
    LineCol final = at;
    bufferManager->InsertText(s, at.row, at.col, false, &final);
    bufferManager->ParserTextChanged(at, final, BufferParser::kInserted);
}

void CQELPenwrightBufferCommand::Overwrite(std::wstring_view s, LineCol at) {
    const OverwriteScope mode(*bufferManager, true);
    bufferManager->CancelParse();
    bufferManager->InsertText(s, at.row, at.col, false);
    const LineCol end{at.row, at.col + static_cast<int>(s.size())};
    bufferManager->ParserTextChanged(at, end, BufferParser::kReplaced);
}

void CQELPenwrightBufferCommand::Erase(LineCol a, LineCol b) {
    bufferManager->CancelParse();
    bufferManager->DeleteText(a.row, a.col, b.row, b.col, false, false);
    bufferManager->ParserTextChanged(a, b, BufferParser::kDeleted);
}

int CQELPenwrightBufferCommand::Finish(int kind, LineCol caretPos, LineCol& start, LineCol& end,
                                       CaretTarget* caret) const {
    start = std::min(from, to);
    end = std::max(from, to);
    if (caret)
        caret->SetCaretPos(caretPos);
    int rowsFlags = 0;
    if (kind != EditAction::EditDelete)
        rowsFlags |= EditAction::EditRowsAdded;
    if (kind != EditAction::EditInsert)
        rowsFlags |= EditAction::EditRowsRemoved;
    return kind | (from.row != to.row ? rowsFlags : 0) | (from != to ? EditAction::EditRowChanged : 0);
}

CQELPenwrightInsertStringCommand::CQELPenwrightInsertStringCommand(CQELPenwrightBufferManager* bufferManager,
                                                                   std::wstring text, LineCol from,
                                                                   LineCol to)
    : CQELPenwrightBufferCommand(bufferManager, std::move(text), from, to) {
    commandText = pw::LoadString(kInsertText) + this->text;
}

int CQELPenwrightInsertStringCommand::Execute(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!bufferManager)
        return 0;
    Insert(text, from);
    return Finish(EditAction::EditInsert, to, start, end, caret);
}

int CQELPenwrightInsertStringCommand::UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!bufferManager)
        return 0;
    Erase(from, to);
    return Finish(EditAction::EditDelete, from, start, end, caret);
}

CQELPenwrightDeleteStringCommand::CQELPenwrightDeleteStringCommand(CQELPenwrightBufferManager* bufferManager,
                                                                   std::wstring text, LineCol from,
                                                                   LineCol to)
    : CQELPenwrightBufferCommand(bufferManager, std::move(text), from, to) {
    commandText = pw::LoadString(kDeleteText) + this->text;
}

int CQELPenwrightDeleteStringCommand::Execute(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!bufferManager)
        return 0;
    Erase(from, to);
    return Finish(EditAction::EditDelete, from, start, end, caret);
}

int CQELPenwrightDeleteStringCommand::UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!bufferManager)
        return 0;
    Insert(text, from);
    return Finish(EditAction::EditInsert, to, start, end, caret);
}

CQELPenwrightReplaceStringCommand::CQELPenwrightReplaceStringCommand(
    CQELPenwrightBufferManager* bufferManager, std::wstring text, std::wstring replacedText, LineCol from,
    LineCol to)
    : CQELPenwrightBufferCommand(bufferManager, std::move(text), from, to),
      replacedText(std::move(replacedText)) {
    commandText = pw::LoadString(kMultipleOperationsText) + this->text;
}

LineCol CQELPenwrightReplaceStringCommand::ReplacedEnd() const {
    return {from.row, from.col + static_cast<int>(replacedText.size())};
}

int CQELPenwrightReplaceStringCommand::Execute(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!bufferManager)
        return 0;
    // The replaced characters are written over again, and what the text had beyond them is
    // inserted after them: the parser hears of each change as what it is.
    Overwrite(std::wstring_view(text).substr(0, replacedText.size()), from);
    if (text.size() > replacedText.size())
        Insert(std::wstring_view(text).substr(replacedText.size()), ReplacedEnd());
    return Finish(EditAction::EditReplace, from, start, end, caret);
}

int CQELPenwrightReplaceStringCommand::UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) {
    if (!bufferManager)
        return 0;
    // Overwriting back would leave the characters that the text had beyond the replaced ones,
    // and its further lines: those are taken out before the replaced characters are put back.
    if (to != ReplacedEnd())
        Erase(ReplacedEnd(), to);
    Overwrite(replacedText, from);
    return Finish(EditAction::EditReplace, from, start, end, caret);
}
