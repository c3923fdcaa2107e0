#pragma once
// The buffer's side of its parser. The parser lives in a later layer that depends on the buffer,
// so the buffer knows it only through this interface; whoever makes the parser gives it to the
// buffer.
#include "buffer/LineCol.h"
#include "platform/RefCounted.h"

class CQELPenwrightBufferManager;

class BufferParser : public pw::RefCounted {
public:
    // What one change did to the text between its two positions.
    enum Change : int {
        kInserted = 1,  // the text from start to end is new
        kDeleted = 2,   // the text from start to end is gone
        // The characters from start to end, on one row, were written over by as many others:
        // nothing after them moved. Overwriting past a row's end, or with a line end, inserts.
        kReplaced = 3,
    };

    // A parse running on another thread stops; returns once it has.
    virtual void CancelParse() = 0;
    // The text of `buffer` changed from `start` to `end` (parser positions: 0-based columns) as
    // `action`, a Change, says.
    virtual void TextChanged(LineCol start, LineCol end, int action, CQELPenwrightBufferManager& buffer) = 0;

protected:
    ~BufferParser() override = default;
};
