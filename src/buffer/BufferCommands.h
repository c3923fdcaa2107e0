#pragma once
// The commands that the buffer manager records for its own edits. Each replays through the
// buffer manager's operations with recording off, tells the parser about the change and puts
// the caret where the edit leaves it.
#include <string>
#include <string_view>

#include "buffer/Command.h"

class CQELPenwrightBufferManager;

class CQELPenwrightBufferCommand : public CQELPenwrightCommand {
protected:
    // `from` and `to` are character positions; `to` is where InsertText left the caret.
    CQELPenwrightBufferCommand(CQELPenwrightBufferManager* bufferManager, std::wstring text, LineCol from,
                               LineCol to);

    // The primitive actions: each asks the parser to let go of the rows first and reports the
    // change afterwards. Overwrite writes `s`, which holds no line end, over as many characters
    // of the row.
    void Insert(std::wstring_view s, LineCol at);
    void Overwrite(std::wstring_view s, LineCol at);
    void Erase(LineCol a, LineCol b);
    // Out range, caret and the flags of `kind` for the range from..to.
    int Finish(int kind, LineCol caretPos, LineCol& start, LineCol& end, CaretTarget* caret) const;

    CQELPenwrightBufferManager* bufferManager;  // the owner of the undo list that holds us
    std::wstring text;
    LineCol from;
    LineCol to;
};

class CQELPenwrightInsertStringCommand : public CQELPenwrightBufferCommand {
public:
    CQELPenwrightInsertStringCommand(CQELPenwrightBufferManager* bufferManager, std::wstring text,
                                     LineCol from, LineCol to);
    int Execute(LineCol& start, LineCol& end, CaretTarget* caret) override;
    int UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) override;
};

class CQELPenwrightDeleteStringCommand : public CQELPenwrightBufferCommand {
public:
    CQELPenwrightDeleteStringCommand(CQELPenwrightBufferManager* bufferManager, std::wstring text,
                                     LineCol from, LineCol to);
    int Execute(LineCol& start, LineCol& end, CaretTarget* caret) override;
    int UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) override;
};

// Text typed or pasted in overwrite mode over `replacedText`, which lay in from's row. The text
// may be longer than what it replaced, and hold further lines.
class CQELPenwrightReplaceStringCommand : public CQELPenwrightBufferCommand {
public:
    CQELPenwrightReplaceStringCommand(CQELPenwrightBufferManager* bufferManager, std::wstring text,
                                      std::wstring replacedText, LineCol from, LineCol to);
    int Execute(LineCol& start, LineCol& end, CaretTarget* caret) override;
    int UnExecute(LineCol& start, LineCol& end, CaretTarget* caret) override;

private:
    // Where the replaced characters ended; the text beyond them was inserted there.
    LineCol ReplacedEnd() const;

    std::wstring replacedText;
};
