#include "parser/LexParser.h"

#include <algorithm>
#include <utility>

#include "buffer/TextIterator.h"
#include "lexer/LexValue.h"
#include "platform/Time.h"

namespace {

using Lock = pw::ScopedLock<pw::TimedMutex>;

std::vector<std::wstring> Strings(const LexValueList& list) {
    std::vector<std::wstring> strings;
    for (const pw::RefPtr<LexValue>& group : list) {
        if (group->GetKind() != LexValue::kStrings)
            continue;
        for (const std::wstring& s : group->GetStrings())
            if (!s.empty())
                strings.push_back(s);
    }
    return strings;
}

}  // namespace

LexParser::LexParser() : events_(pw::MakeRef<CQELNotificationConnectionMT>()) {}

LexParser::~LexParser() {
    DropSchema();
}

void LexParser::DropSchema() {
    StopWorker();
    UnadviseAll();
    if (schema_)
        schema_->ReleaseAllBlocks();
    schema_.reset();
    pw::ScopedLock<pw::CriticalSection> lock(optionsLock_);
    options_.clear();
}

bool LexParser::SetTextSchema(TextSchema* schema) {
    DropSchema();
    if (!schema || !schema->EnsureTrees())
        return false;
    pw::RefPtr<TextSchema> clone = schema->Clone();
    if (!clone)
        return false;
    // File classes read their extensions on first use; that happens here, before a worker
    // reads them too.
    clone->FileClass(L"");
    schema_ = std::move(clone);
    for (uint32_t code :
         {TextSchema::kParseStarted, TextSchema::kBlockEndedEvent, TextSchema::kParseFinished})
        Advise(schema_->GetEventSource(), code);
    return true;
}

pw::RefPtr<ParserOptions> LexParser::GetOptions(std::wstring_view fileName) {
    pw::ScopedLock<pw::CriticalSection> lock(optionsLock_);
    if (!schema_) {
        options_.clear();
        return ParserOptions::Read(nullptr);
    }
    std::wstring name(fileName);
    auto found = options_.find(name);
    if (found != options_.end())
        return found->second;
    pw::RefPtr<LexClass> fileClass = schema_->FileClass(name);
    pw::RefPtr<ParserOptions> options = ParserOptions::Read(fileClass.get());
    if (fileClass)
        options_.emplace(std::move(name), options);
    return options;
}

pw::RefPtr<TextIterator> LexParser::IteratorFor(CQELPenwrightBufferManager& buffer,
                                                const std::wstring& fileName) {
    return pw::MakeRef<TextIterator>(&buffer, GetOptions(fileName)->backParseOffset, fileName);
}

int32_t LexParser::ParseAll(CQELPenwrightBufferManager& buffer, bool report) {
    if (!schema_)
        return TextSchema::kFailed;
    QueueLock lock(*this);
    // This parse covers whatever was queued.
    queue_.Clear();
    editing_ = false;
    drained_.Set();
    schema_->ReleaseAllBlocks();
    pw::RefPtr<TextIterator> it = IteratorFor(buffer, buffer.GetFileExt());
    return schema_->RunWithEvents(ClassSet::kCompleteParseTree, it.get(), EditRange::kTextStart, std::nullopt,
                                  report);
}

void LexParser::ParseWholeText(CQELPenwrightBufferManager& buffer, WholeParse why) {
    pw::RefPtr<ParserOptions> options = GetOptions(buffer.GetFileExt());
    if (why == WholeParse::kTextLoaded ? options->firstParseInThread : options->configChangedReparseInThread)
        RequestParse(buffer, EditRange::kTextStart, std::nullopt, false);
    else
        ParseAll(buffer, true);
}

void LexParser::TextChanged(LineCol start, LineCol end, int action, CQELPenwrightBufferManager& buffer) {
    if (!schema_)
        return;
    // The blocks and the queued ranges move while no parse runs.
    QueueLock lock(*this);
    queue_.Shift(start, end, action);
    // When the blocks cannot be moved (the data lock stayed taken), a reparse from the edit
    // would start from blocks in the wrong places: the whole text is parsed again instead.
    const bool moved =
        !(schema_->GetChain().UpdatePositions(start, end, action) & BlockChain::kUpdateNotLocked);
    // The edited range in the text as it is now: a deletion left nothing but its start.
    const LineCol edited = action == kDeleted ? start : end;
    if (GetOptions(buffer.GetFileExt())->editReparseInThread) {
        if (moved)
            RequestParse(buffer, start, edited, false);
        else
            RequestParse(buffer, EditRange::kTextStart, std::nullopt, false);
        return;
    }
    if (!moved) {
        ParseAll(buffer, false);
        return;
    }
    editing_ = false;
    pw::RefPtr<TextIterator> it = IteratorFor(buffer, buffer.GetFileExt());
    schema_->RunWithEvents(ClassSet::kCompleteParseTree, it.get(), start, edited, false);
}

void LexParser::GetTokenLists(std::vector<TokenList>& lists, bool append) const {
    if (!append)
        lists.clear();
    if (!schema_)
        return;
    for (const pw::RefPtr<LexClass>& cls : schema_->GetClassSet().GetTemplates()) {
        std::vector<std::wstring> tags = Strings(cls->GetConditionList(LexClass::kTokenTag));
        if (tags.empty())
            continue;
        lists.push_back({std::move(tags), Strings(cls->GetConditionList(LexClass::kTokenStartSeparators)),
                         Strings(cls->GetConditionList(LexClass::kTokenEndSeparators))});
    }
}

void LexParser::OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t) {
    if (code != TextSchema::kBlockEndedEvent) {
        SendEndedRows();
        if (code == TextSchema::kParseStarted)  // the first ended block goes out at once
            endedSentAt_ = pw::TickCount() - kEndedRowsIntervalMs;
        events_->SendEvent(code, wParam, lParam, kEventFlags);
        return;
    }
    // The receiver may handle the event long after a later parse has released the block, so it
    // gets the block's rows rather than the block.
    pw::RefPtr<TextBlock> block = schema_ ? schema_->TakeEndedBlock(wParam) : nullptr;
    if (!block)
        return;
    LineCol first, last;
    {
        Lock data(schema_->DataLock());
        first = block->startPos;
        last = block->endPos.IsValid() ? block->endPos : block->startPos;
    }
    endedFirst_ = endedFirst_ == 0 ? first.row : std::min(endedFirst_, first.row);
    endedLast_ = std::max(endedLast_, last.row);
    if (pw::TickCount() - endedSentAt_ >= kEndedRowsIntervalMs)
        SendEndedRows();
}

void LexParser::SendEndedRows() {
    if (endedFirst_ == 0)
        return;
    const int32_t first = std::exchange(endedFirst_, 0);
    const int32_t last = std::exchange(endedLast_, 0);
    endedSentAt_ = pw::TickCount();
    events_->SendEvent(TextSchema::kBlockEndedEvent, static_cast<uintptr_t>(first), last, kEventFlags);
}
