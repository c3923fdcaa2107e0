#pragma once
// The parser of one buffer: its clone of the current schema, the per-file options, the worker
// thread that reparses edited ranges once typing pauses, and the relay that passes the schema's
// events on to the edit controls.
//
// Everything public is called on the editing thread. The worker reads the buffer's rows only
// while it holds the queue mutex; an edit first takes that mutex (stopping a running parse through
// the schema's stop event) and the worker starts no parse between CancelParse and the report of
// the change, so it never reads rows while they change.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/BufferParser.h"
#include "notify/NotificationConnectionMT.h"
#include "notify/NotificationSink.h"
#include "parser/ParserOptions.h"
#include "parser/RangeQueue.h"
#include "parser/TextSchema.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/RefCounted.h"
#include "platform/Thread.h"
#include "platform/TimedMutex.h"

class TextIterator;

class LexParser : public BufferParser, private CQELNotificationSink {
public:
    // The tags a class recognises as tokens, and what may stand before and after them.
    struct TokenList {
        std::vector<std::wstring> tags;
        std::vector<std::wstring> startSeparators;
        std::vector<std::wstring> endSeparators;
    };

    // Why the whole text is parsed; each has its own option for going to the worker.
    enum class WholeParse { kTextLoaded, kConfigChanged };

    // Relayed events are posted to the receiver's thread and handled at once when raised there:
    // the worker must never wait for the editing thread, which may be waiting for the worker.
    static constexpr uint32_t kEventFlags = 0xA0000000;

    LexParser();

    // Stops the worker and drops the current schema with its blocks; with a schema, builds its
    // trees when needed and parses from now on with a clone of it. False when the trees or the
    // clone cannot be made, and then there is no current schema.
    bool SetTextSchema(TextSchema* schema);
    const pw::RefPtr<TextSchema>& GetCurrentSchema() const { return schema_; }
    // Events 1 (parse started), 2 (blocks ended: wParam and lParam are the first and last rows
    // they cover) and 3 (parse finished: wParam is the result), raised with kEventFlags. A parse
    // ends blocks by the hundred thousand in a large text: the first block's rows go out at once,
    // the rest merged, at most every kEndedRowsIntervalMs, and what is pending goes out before
    // the next other event.
    static constexpr uint32_t kEndedRowsIntervalMs = 50;
    CQELNotificationConnection* GetConnection() const { return events_.get(); }

    // The options for a file name (a bare extension will do) from the current schema's file
    // class, cached per name; the defaults when no class claims the name.
    pw::RefPtr<ParserOptions> GetOptions(std::wstring_view fileName);

    // A whole parse of the buffer's text at once on this thread, as after loading it.
    int32_t ParseAll(CQELPenwrightBufferManager& buffer, bool report);
    // A whole parse after the text was loaded or the scheme or theme reloaded: queued for the
    // worker or done at once, as the options for the buffer's file say.
    void ParseWholeText(CQELPenwrightBufferManager& buffer, WholeParse why);
    // Queues a range of `buffer` for the worker and wakes it; `immediate` skips the wait for a
    // pause in typing. Start (1, 0) without end asks for the whole text and drops what was
    // queued; neither start nor end resumes after the last block.
    void RequestParse(CQELPenwrightBufferManager& buffer, std::optional<LineCol> start,
                      std::optional<LineCol> end, bool immediate);
    // True once nothing is queued and no parse runs; false when `timeoutMs` ran out first.
    bool WaitUntilParsed(uint32_t timeoutMs);

    // Stops a running parse and returns once it has let go of the text; the worker starts no
    // other parse until the change is reported (TextChanged) or a parse is requested.
    void CancelParse() override;
    // Moves the blocks and the queued ranges with the edit, then queues the edited range for the
    // worker or reparses it at once without events, as the options for the buffer's file say.
    void TextChanged(LineCol start, LineCol end, int action, CQELPenwrightBufferManager& buffer) override;
    // Ends the worker (waiting as long as its parse takes to notice) and drops what was queued.
    void StopWorker();
    bool IsWorkerRunning() const;

    pw::ThreadPriority GetWorkerPriority() const;
    void SetWorkerPriority(pw::ThreadPriority priority);

    // One entry per class of the current schema with token tags, appended to `lists`, which is
    // emptied first unless `append` is set.
    void GetTokenLists(std::vector<TokenList>& lists, bool append) const;

protected:
    ~LexParser() override;

private:
    // The queue mutex, taken for a scope; a parse running in the worker is asked to stop first.
    class QueueLock {
    public:
        explicit QueueLock(LexParser& parser);
        ~QueueLock() { mutex_.Unlock(); }
        QueueLock(const QueueLock&) = delete;
        QueueLock& operator=(const QueueLock&) = delete;

    private:
        pw::TimedMutex& mutex_;
    };

    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) override;
    // An iterator over the buffer that looks back as far as its language asks.
    pw::RefPtr<TextIterator> IteratorFor(CQELPenwrightBufferManager& buffer, const std::wstring& fileName);
    void DropSchema();
    // Under the queue mutex: a worker for the queued ranges; false when none could be started.
    bool EnsureWorker();
    void Enqueue(const EditRange& range);

    // The worker (LexParserThread.cpp): waits for work, then for a pause in typing, parses.
    enum class Wake { kWork, kExit, kIdle };
    void WorkerMain();
    Wake WaitForWork();
    // Parses queued ranges, the last first, until the queue is empty or a parse stops.
    void ParseQueued();

    // Sends the rows of the blocks ended since the last send, if any.
    void SendEndedRows();

    pw::RefPtr<TextSchema> schema_;  // replaced only while no worker runs
    pw::RefPtr<CQELNotificationConnectionMT> events_;

    // The ended blocks' rows not yet sent. Only the parse that runs touches them, and parses take
    // turns under the schema's parse lock.
    int32_t endedFirst_ = 0;  // 0: none pending
    int32_t endedLast_ = 0;
    uint32_t endedSentAt_ = 0;

    pw::CriticalSection optionsLock_;  // guards the options cache, which both threads use
    std::unordered_map<std::wstring, pw::RefPtr<ParserOptions>> options_;

    pw::Event work_{pw::Event::Reset::Auto};
    pw::Event parseNow_{pw::Event::Reset::Auto};
    pw::Event exit_{pw::Event::Reset::Auto};
    pw::Event drained_{pw::Event::Reset::Manual, true};  // set while nothing is queued or parsing

    // The queue mutex guards the fields after it; the worker holds it while it parses.
    pw::TimedMutex queueMutex_;
    RangeQueue queue_;
    CQELPenwrightBufferManager* textSource_ = nullptr;  // set by each request; the buffer owns us
    std::wstring fileName_;                             // the text source's, as of the request
    bool editing_ = false;                              // between CancelParse and the report of the change
    bool workerAlive_ = false;                          // a worker runs and has not decided to end

    // Used on the editing thread only.
    pw::Thread worker_;
    pw::ThreadPriority priority_ = pw::ThreadPriority::Normal;
};
