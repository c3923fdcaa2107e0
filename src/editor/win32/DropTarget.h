#pragma once
// Windows only: a window's IDropTarget, a thin adapter that hands the system's drag and drop calls
// to the window (a DropHandler) in screen points, and what a drag's data object offers: text,
// with whether it is a column block, or files.
#include <windows.h>
// After windows.h, which it needs.
#include <oleidl.h>

#include <optional>

#include "editor/win32/Clipboard.h"
#include "editor/win32/ComObject.h"
#include "editor/win32/ComPtr.h"

namespace pw::win32 {

// What a window does with data dragged over it. `keys` are the drag's MK_ flags, `allowed` the
// effects the source allows; each call but DragLeave answers the effect (DROPEFFECT_NONE: refused).
class DropHandler {
public:
    virtual DWORD OnDragEnter(IDataObject& data, DWORD keys, POINT screen, DWORD allowed) = 0;
    virtual DWORD OnDragOver(DWORD keys, POINT screen, DWORD allowed) = 0;
    virtual void OnDragLeave() = 0;
    virtual DWORD OnDrop(IDataObject& data, DWORD keys, POINT screen, DWORD allowed) = 0;

protected:
    ~DropHandler() = default;
};

class DropTarget final : public ComObject<IDropTarget> {
public:
    // The object with the caller's reference; empty when memory fails.
    static ComPtr<DropTarget> Make(DropHandler& handler);
    // The window goes: the system may still hold the object, whose calls then refuse everything.
    void Detach() { handler_ = nullptr; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
    explicit DropTarget(DropHandler& handler) : handler_(&handler) {}

    DropHandler* handler_;
};

// A storage medium a data object handed out, released when it goes.
class Medium {
public:
    Medium() = default;
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    ~Medium() { ReleaseStgMedium(&medium_); }
    STGMEDIUM* Out() { return &medium_; }
    // The medium's global memory, or null when it holds none.
    HGLOBAL Memory() const { return medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

private:
    STGMEDIUM medium_{TYMED_NULL, {}, nullptr};
};

// Whether the data object offers `format` in global memory.
bool Offers(IDataObject& data, UINT format);
// Gets `format` in global memory into `medium`; false when the data object has none.
bool GetMemory(IDataObject& data, UINT format, Medium& medium);
// The data object's CF_UNICODETEXT up to its first NUL or the end of its memory, and whether the
// column marker holds a non-empty block; nothing when it has no such text.
std::optional<Clipboard::Content> TextOf(IDataObject& data);

}  // namespace pw::win32
