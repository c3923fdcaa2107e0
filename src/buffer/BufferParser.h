#pragma once
// The buffer's side of its parser. The parser lives in a later layer that depends on the buffer,
// so the buffer knows it only through this interface; whoever makes the parser gives it to the
// buffer.
#include "buffer/LineCol.h"
#include "platform/RefCounted.h"

class CQELPenwrightBufferManager;

class BufferParser : public pw::RefCounted {
public:
    // A parse running on another thread stops; returns once it has.
    virtual void CancelParse() = 0;
    // Text from `start` to `end` (parser positions: 0-based columns) was inserted (action 1) or
    // deleted (action 2) in `buffer`.
    virtual void TextChanged(LineCol start, LineCol end, int action, CQELPenwrightBufferManager& buffer) = 0;

protected:
    ~BufferParser() override = default;
};
