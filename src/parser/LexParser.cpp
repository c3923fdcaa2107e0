#include "parser/LexParser.h"

#include "buffer/TextIterator.h"
#include "lexer/LexValue.h"

namespace {

constexpr int kDefaultBackOffset = 100;

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
    UnadviseAll();
    DropSchema();
}

void LexParser::DropSchema() {
    if (!schema_)
        return;
    CancelParse();
    schema_->ReleaseAllBlocks();
    UnadviseAll();
    schema_.reset();
}

bool LexParser::SetTextSchema(TextSchema* schema) {
    DropSchema();
    if (!schema || !schema->EnsureTrees())
        return false;
    schema_ = schema->Clone();
    if (!schema_)
        return false;
    for (uint32_t code :
         {TextSchema::kParseStarted, TextSchema::kBlockEndedEvent, TextSchema::kParseFinished})
        Advise(schema_->GetEventSource(), code);
    return true;
}

pw::RefPtr<TextIterator> LexParser::IteratorFor(CQELPenwrightBufferManager& buffer) const {
    pw::RefPtr<LexClass> fileClass = schema_->FileClass(buffer.GetFileExt());
    const int backOffset = fileClass
                               ? fileClass->GetNumber(L"global:MaxBackParseOffset", false, kDefaultBackOffset)
                               : kDefaultBackOffset;
    return pw::MakeRef<TextIterator>(&buffer, backOffset);
}

int32_t LexParser::ParseAll(CQELPenwrightBufferManager& buffer, bool report) {
    if (!schema_)
        return TextSchema::kFailed;
    schema_->ReleaseAllBlocks();
    pw::RefPtr<TextIterator> it = IteratorFor(buffer);
    return schema_->RunWithEvents(ClassSet::kCompleteParseTree, it.get(), LineCol{1, 0}, std::nullopt,
                                  report);
}

void LexParser::CancelParse() {
    if (!schema_)
        return;
    // A parse running on another thread holds the parse lock: ask it to stop and wait until it
    // has let go. On this thread no parse can be running while we are here.
    pw::TimedMutex& parseLock = schema_->ParseLock();
    if (parseLock.TryLock()) {
        parseLock.Unlock();
        return;
    }
    schema_->StopEvent().Set();
    parseLock.Lock();
    schema_->StopEvent().Reset();
    parseLock.Unlock();
}

void LexParser::TextChanged(LineCol start, LineCol end, int action, CQELPenwrightBufferManager& buffer) {
    if (!schema_)
        return;
    // When the blocks cannot be moved (the data lock stayed taken), a reparse from the edit
    // would start from blocks in the wrong places: the whole text is parsed again instead.
    if (schema_->GetChain().UpdatePositions(start, end, action) & BlockChain::kUpdateNotLocked) {
        ParseAll(buffer, false);
        return;
    }
    pw::RefPtr<TextIterator> it = IteratorFor(buffer);
    schema_->RunWithEvents(ClassSet::kCompleteParseTree, it.get(), start, end, false);
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

void LexParser::OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) {
    if (code != TextSchema::kBlockEndedEvent) {
        events_->SendEvent(code, wParam, lParam, flags);
        return;
    }
    // The block stays alive through our reference while the receivers look at it.
    if (pw::RefPtr<TextBlock> block = schema_ ? schema_->TakeEndedBlock(wParam) : nullptr)
        events_->SendEvent(code, reinterpret_cast<uintptr_t>(block.get()), lParam, flags);
}
