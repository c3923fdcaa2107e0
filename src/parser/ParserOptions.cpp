#include "parser/ParserOptions.h"

#include <algorithm>

#include "lexer/LexClass.h"

namespace {

// Longest finite wait: a larger life time in a schema file is no reason to wait forever.
constexpr int64_t kMaxWaitMs = 0x7FFFFFFF;

uint32_t ClampMs(int64_t ms) {
    return static_cast<uint32_t>(std::clamp<int64_t>(ms, 0, kMaxWaitMs));
}

}  // namespace

pw::RefPtr<ParserOptions> ParserOptions::Read(const LexClass* fileClass) {
    pw::RefPtr<ParserOptions> options = pw::MakeRef<ParserOptions>();
    if (!fileClass)
        return options;
    ParserOptions& o = *options;
    auto number = [&](const wchar_t* key, int32_t def) { return fileClass->GetNumber(key, false, def); };
    o.firstParseInThread = number(L"global:FirstParseInSeparateThread", 1) != 0;
    o.editReparseInThread = number(L"global:EditReparceInSeparateThread", 1) != 0;
    o.configChangedReparseInThread = number(L"global:ConfigChangedReparceInSeparateThread", 1) != 0;
    o.backParseOffset = number(L"global:MaxBackParseOffset", o.backParseOffset);
    o.editReparseDelayMs = ClampMs(number(L"global:EditReparceTimeout_ms", 500));
    o.onScreenCacheLifeTimeSec = number(L"global:OnScreenSchCacheLifeTime_sec", o.onScreenCacheLifeTimeSec);
    // 0 and -1 both mean that the worker stays; so does any other negative number.
    const int32_t idleSec = number(L"global:ParserThreadIdleLifeTime_sec", 60);
    o.idleLifeTimeMs = idleSec <= 0 ? pw::kInfinite : ClampMs(int64_t{idleSec} * 1000);
    return options;
}
