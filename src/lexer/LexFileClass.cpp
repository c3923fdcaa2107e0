#include "lexer/LexFileClass.h"

#include <algorithm>

#include "buffer/TextIterator.h"
#include "lexer/LexParseContext.h"
#include "lexer/LexText.h"

namespace {

constexpr std::wstring_view kIsExtKey = L"IsExt=";

// "<*.c|*.h>" gives ".c" and ".h"; text without the angle brackets gives nothing.
std::vector<std::wstring> ParseExtensions(std::wstring_view value) {
    std::vector<std::wstring> extensions;
    value = Trim(value);
    if (value.size() < 2 || value.front() != L'<' || value.back() != L'>')
        return extensions;
    value = value.substr(1, value.size() - 2);
    while (true) {
        size_t bar = value.find(L'|');
        std::wstring piece(value.substr(0, bar));
        std::erase(piece, L'*');
        extensions.emplace_back(Trim(piece));
        if (bar == std::wstring_view::npos)
            break;
        value.remove_prefix(bar + 1);
    }
    return extensions;
}

}  // namespace

pw::RefPtr<LexValue> LexFileClass::GetValue(std::wstring_view key) const {
    pw::RefPtr<LexValue> value = LexClass::GetValue(key);
    if (value->GetKind() == LexValue::kEmpty && StartsWithNoCase(key, kIsExtKey))
        return LexValue::MakeNumber(HasExtension(key.substr(kIsExtKey.size())) ? 1 : 0);
    return value;
}

void LexFileClass::CopyFrom(const LexClass& other) {
    LexClass::CopyFrom(other);
    RefreshExtensions();
}

pw::RefPtr<LexClass> LexFileClass::Clone() const {
    pw::RefPtr<LexClass> copy = pw::MakeRef<LexFileClass>();
    copy->CopyFrom(*this);
    return copy;
}

const std::vector<std::wstring>& LexFileClass::GetExtensions() const {
    if (!extensionsParsed_) {
        Rule rule = GetParentRule();
        extensions_ = rule.mode == kParentFile && !rule.names.empty() ? ParseExtensions(rule.names.front())
                                                                      : std::vector<std::wstring>();
        extensionsParsed_ = true;
    }
    return extensions_;
}

bool LexFileClass::HasExtension(std::wstring_view extension) const {
    const std::vector<std::wstring>& extensions = GetExtensions();
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const std::wstring& e) { return EqualNoCase(e, extension); });
}

int LexFileClass::Run(TextIterator* it, LexParseContext* ctx, TextBlock*& open, TextBlock* /*lookBackFrom*/) {
    if (!it || !ctx)
        return kRunFailed | kRunConsumed;
    if (!open)
        return HasExtension(it->GetFileExt()) ? CreateAtPosition(*it, *ctx, open) : 0;
    if (it->IsEOF()) {
        ctx->SetBlockEnd(*open, it->GetPosition(), 0);
        return kRunEnded | kRunConsumed;
    }
    if (GetChildren().empty() && GetDynamicChildren().empty())
        return 0;
    int flags = ctx->RunChildren(*this, *it, *open) & ~(kRunStarted | kRunEnded);
    if (it->IsEOF()) {
        ctx->SetBlockEnd(*open, it->GetPosition(), 0);
        flags |= kRunEnded;
    }
    return flags;
}
