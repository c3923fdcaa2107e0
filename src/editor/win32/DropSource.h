#pragma once
// Windows only: the edit control's side of a drag it hands to the system: Escape cancels, letting
// go of the left button drops, and the system shows its own cursors.
#include <windows.h>
// After windows.h, which it needs.
#include <oleidl.h>

#include "editor/win32/ComObject.h"
#include "editor/win32/ComPtr.h"

namespace pw::win32 {

class DropSource final : public ComObject<IDropSource> {
public:
    // The object with the caller's reference; empty when memory fails.
    static ComPtr<IDropSource> Make();

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    DropSource() = default;
};

}  // namespace pw::win32
