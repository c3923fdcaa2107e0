#pragma once
// Windows only: movable global memory blocks as the clipboard and drag and drop pass them, owned
// and locked by scope, and text read from one that another program filled.
#include <windows.h>
// After windows.h, which it needs.
#include <objidl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "editor/win32/Gdi.h"

namespace pw::win32 {

struct FreeGlobal {
    void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};
using Global = UniqueHandle<HGLOBAL, FreeGlobal>;

// A block's memory while it is locked; `Data` is null when the lock failed.
class Locked {
public:
    explicit Locked(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() {
        if (data_)
            GlobalUnlock(memory_);
    }
    void* Data() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

// A movable block of `bytes` that `fill` writes (false: it failed), or none when memory fails.
template <class Fill>
Global MakeBlock(size_t bytes, Fill fill) {
    Global block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block)
        return {};
    Locked memory(block.Get());
    if (!memory.Data() || !fill(memory.Data()))
        return {};
    return block;
}

// A data object's format as we pass it: content in global memory.
inline FORMATETC InMemory(UINT format) {
    return {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The text, zero-terminated.
Global UnicodeBlock(std::wstring_view text);
// One byte holding 1: the column-block marker's block.
Global MarkerBlock();
// The UTF-16 text of a block up to its first NUL or its end: another program's block need not end
// in NUL nor hold whole units. Nothing when it cannot be locked.
std::optional<std::wstring> ReadUnicode(HGLOBAL memory);

}  // namespace pw::win32
