#include "editor/win32/DropSource.h"

#include <new>

namespace pw::win32 {

ComPtr<IDropSource> DropSource::Make() {
    return ComPtr<IDropSource>::Adopt(new (std::nothrow) DropSource);
}

HRESULT DropSource::QueryContinueDrag(BOOL escape, DWORD keys) {
    if (escape)
        return DRAGDROP_S_CANCEL;
    return keys & MK_LBUTTON ? S_OK : DRAGDROP_S_DROP;
}

HRESULT DropSource::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

}  // namespace pw::win32
