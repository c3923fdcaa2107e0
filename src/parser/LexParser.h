#pragma once
// The parser of one buffer: its clone of the current schema, the reparse after each edit, and
// the relay that passes the schema's events on to the edit controls, with the ended block
// itself in place of its key.
//
// The reparse after an edit runs at once on the editing thread; the worker thread that takes
// it over arrives with the parse scheduling.
#include <string>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/BufferParser.h"
#include "notify/NotificationConnectionMT.h"
#include "notify/NotificationSink.h"
#include "parser/TextSchema.h"
#include "platform/RefCounted.h"

class LexParser : public BufferParser, private CQELNotificationSink {
public:
    // The tags a class recognises as tokens, and what may stand before and after them.
    struct TokenList {
        std::vector<std::wstring> tags;
        std::vector<std::wstring> startSeparators;
        std::vector<std::wstring> endSeparators;
    };

    LexParser();

    // Drops the current schema with its blocks; with a schema, builds its trees when needed and
    // parses from now on with a clone of it. False when the trees or the clone cannot be made,
    // and then there is no current schema.
    bool SetTextSchema(TextSchema* schema);
    const pw::RefPtr<TextSchema>& GetCurrentSchema() const { return schema_; }
    // Events 1 (parse started), 2 (block ended: wParam is the TextBlock, alive while the event
    // is delivered) and 3 (parse finished: wParam is the result).
    CQELNotificationConnection* GetConnection() const { return events_.get(); }

    // A whole parse of the buffer's text, as after loading it.
    int32_t ParseAll(CQELPenwrightBufferManager& buffer, bool report);

    void CancelParse() override;
    // Moves the blocks with the edit, then reparses the edited range without events.
    void TextChanged(LineCol start, LineCol end, int action, CQELPenwrightBufferManager& buffer) override;

    // One entry per class of the current schema with token tags, appended to `lists`, which is
    // emptied first unless `append` is set.
    void GetTokenLists(std::vector<TokenList>& lists, bool append) const;

protected:
    ~LexParser() override;

private:
    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) override;
    // An iterator over the buffer that looks back as far as the buffer's language asks.
    pw::RefPtr<TextIterator> IteratorFor(CQELPenwrightBufferManager& buffer) const;
    void DropSchema();

    pw::RefPtr<TextSchema> schema_;
    pw::RefPtr<CQELNotificationConnectionMT> events_;
};
