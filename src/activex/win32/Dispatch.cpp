#include "activex/win32/Dispatch.h"

#include <cstring>
#include <map>

#include "platform/win32/Module.h"

namespace pw::win32 {

namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof a) < 0; }
};

}  // namespace

ITypeInfo* ControlTypeInfo(REFGUID interfaceId) {
    // Kept for the life of the process, never released: at exit the system's automation library
    // may already be gone.
    static ITypeLib* const library = [] {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(pw::ThisModule(), path, MAX_PATH);
        ITypeLib* loaded = nullptr;
        return SUCCEEDED(LoadTypeLibEx(path, REGKIND_NONE, &loaded)) ? loaded : nullptr;
    }();
    static std::map<GUID, ITypeInfo*, GuidLess> infos;
    if (!library)
        return nullptr;
    ITypeInfo*& info = infos[interfaceId];
    if (!info && FAILED(library->GetTypeInfoOfGuid(interfaceId, &info)))
        info = nullptr;
    return info;
}

HRESULT ReturnString(std::wstring_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace pw::win32
