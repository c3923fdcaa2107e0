// The parser's worker: the queue of edited ranges, waking the worker, the wait for a pause in
// typing, the parse of the queued ranges, and the worker's end.
#include <algorithm>

#include "buffer/TextIterator.h"
#include "parser/LexParser.h"

namespace {

using Lock = pw::ScopedLock<pw::TimedMutex>;

constexpr int kStopRounds = 10;
constexpr uint32_t kStopWaitMs = 20000;

// Positions before the first row come from callers with no position to give: no position.
std::optional<LineCol> Position(std::optional<LineCol> p) {
    if (!p || p->row < 1)
        return std::nullopt;
    return LineCol{p->row, std::max(p->col, 0)};
}

}  // namespace

LexParser::QueueLock::QueueLock(LexParser& parser) : mutex_(parser.queueMutex_) {
    if (mutex_.TryLock())
        return;
    // The worker holds it, most likely for a parse: a new edit must not wait for a long parse.
    TextSchema* schema = parser.schema_.get();
    if (schema)
        schema->StopEvent().Set();
    mutex_.Lock();
    // The parse it was meant for has ended; the next one must not stop at once.
    if (schema)
        schema->StopEvent().Reset();
}

void LexParser::Enqueue(const EditRange& range) {
    queue_.Add(range);
    drained_.Reset();
}

bool LexParser::EnsureWorker() {
    if (workerAlive_)
        return true;
    // A worker that decided to end has let go of everything and is leaving.
    worker_.Join(pw::kInfinite);
    workerAlive_ = worker_.Start([this] { WorkerMain(); }, priority_);
    return workerAlive_;
}

void LexParser::RequestParse(CQELPenwrightBufferManager& buffer, std::optional<LineCol> start,
                             std::optional<LineCol> end, bool immediate) {
    if (!schema_)
        return;
    QueueLock lock(*this);
    textSource_ = &buffer;
    fileName_ = buffer.GetFileExt();
    editing_ = false;
    Enqueue({Position(start), Position(end)});
    if (!EnsureWorker())
        return;  // the range stays queued for the next request
    if (immediate)
        parseNow_.Set();
    work_.Set();
}

bool LexParser::WaitUntilParsed(uint32_t timeoutMs) {
    return drained_.Wait(timeoutMs);
}

void LexParser::CancelParse() {
    QueueLock lock(*this);
    editing_ = true;
}

void LexParser::StopWorker() {
    {
        QueueLock lock(*this);
        editing_ = false;
    }
    if (worker_.IsRunning()) {
        // A parse tests the stop event every few characters, so the first wait is ample. The
        // thread cannot be killed: it would leave the schema's locks held and its memory in use.
        bool ended = false;
        for (int round = 0; !ended; ++round) {
            work_.Reset();
            exit_.Set();
            if (schema_)
                schema_->StopEvent().Set();
            ended = worker_.Join(round < kStopRounds ? kStopWaitMs : pw::kInfinite);
        }
    }
    worker_.Join(pw::kInfinite);  // a worker that ended by itself: gone already
    Lock lock(queueMutex_);
    workerAlive_ = false;
    exit_.Reset();
    parseNow_.Reset();
    queue_.Clear();
    drained_.Set();
    if (schema_)
        schema_->StopEvent().Reset();
}

bool LexParser::IsWorkerRunning() const {
    return worker_.IsRunning();
}

pw::ThreadPriority LexParser::GetWorkerPriority() const {
    return worker_.IsRunning() ? worker_.GetPriority() : priority_;
}

void LexParser::SetWorkerPriority(pw::ThreadPriority priority) {
    priority_ = priority;
    if (worker_.IsRunning() && worker_.GetPriority() != priority)
        worker_.SetPriority(priority);
}

void LexParser::WorkerMain() {
    while (WaitForWork() == Wake::kWork) ParseQueued();
}

LexParser::Wake LexParser::WaitForWork() {
    pw::RefPtr<ParserOptions> options;
    {
        Lock lock(queueMutex_);
        options = GetOptions(fileName_);
    }
    for (;;) {
        const int woken = pw::Event::WaitMultiple({&exit_, &work_}, false, options->idleLifeTimeMs);
        if (woken == 0)
            return Wake::kExit;
        if (woken == pw::kWaitTimeout) {
            Lock lock(queueMutex_);
            if (queue_.Empty()) {
                // From here a request starts a new worker.
                workerAlive_ = false;
                return Wake::kIdle;
            }
            // Ranges left by a parse that was stopped and never asked for again.
            if (editing_)
                continue;
            return Wake::kWork;
        }
        if (parseNow_.Wait(0))
            return Wake::kWork;
        // Each new edit restarts the wait for a pause in typing.
        for (;;) {
            const int event =
                pw::Event::WaitMultiple({&exit_, &parseNow_, &work_}, false, options->editReparseDelayMs);
            if (event == 0)
                return Wake::kExit;
            if (event != 2)
                return Wake::kWork;
        }
    }
}

void LexParser::ParseQueued() {
    Lock lock(queueMutex_);
    TextSchema& schema = *schema_;
    // Set between the wake-up and here only by StopWorker, which ends the worker next.
    if (schema.StopEvent().IsSet()) {
        schema.StopEvent().Reset();
        return;
    }
    if (editing_ || !textSource_)
        return;
    pw::RefPtr<TextIterator> it = IteratorFor(*textSource_, fileName_);
    while (!queue_.Empty()) {
        const EditRange range = queue_.Last();
        int32_t result =
            schema.RunWithEvents(ClassSet::kCompleteParseTree, it.get(), range.start, range.end, true);
        if (result & TextSchema::kFailed) {
            // The blocks could not guide a reparse: the whole text from scratch, reported like
            // any other parse so that the edit control repaints.
            schema.ReleaseAllBlocks();
            it = IteratorFor(*textSource_, fileName_);
            queue_.Clear();
            result = schema.RunWithEvents(ClassSet::kCompleteParseTree, it.get(), EditRange::kTextStart,
                                          std::nullopt, true);
        }
        // A stopped run keeps the blocks it made and none of the old ones after them, so the text
        // from where it stopped is parsed again, whatever else is queued.
        if ((result & TextSchema::kStopped) && !(result & TextSchema::kDone))
            queue_.Add({});
        const bool stopped = schema.StopEvent().IsSet();
        schema.StopEvent().Reset();
        if ((result & TextSchema::kDone) && !queue_.Empty())
            queue_.RemoveLast();
        if (!(result & TextSchema::kDone) || (result & (TextSchema::kFailed | TextSchema::kStopped)) ||
            stopped)
            break;
    }
    if (queue_.Empty())
        drained_.Set();
}
