#include "editor/win32/DropTarget.h"

#include <new>
#include <utility>

#include "editor/win32/GlobalMemory.h"

namespace pw::win32 {

namespace {

// Runs `call` with the handler, or refuses when there is none; anything thrown refuses too.
template <class Call>
HRESULT Answer(DropHandler* handler, DWORD* effect, Call call) {
    if (!effect)
        return E_INVALIDARG;
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    return Guarded([&] {
        if (handler)
            *effect = call(*handler, allowed);
        return S_OK;
    });
}

}  // namespace

ComPtr<DropTarget> DropTarget::Make(DropHandler& handler) {
    return ComPtr<DropTarget>::Adopt(new (std::nothrow) DropTarget(handler));
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    if (!data)
        return E_INVALIDARG;
    return Answer(handler_, effect, [&](DropHandler& handler, DWORD allowed) {
        return handler.OnDragEnter(*data, keys, {at.x, at.y}, allowed);
    });
}

HRESULT DropTarget::DragOver(DWORD keys, POINTL at, DWORD* effect) {
    return Answer(handler_, effect, [&](DropHandler& handler, DWORD allowed) {
        return handler.OnDragOver(keys, {at.x, at.y}, allowed);
    });
}

HRESULT DropTarget::DragLeave() {
    return Guarded([&] {
        if (handler_)
            handler_->OnDragLeave();
        return S_OK;
    });
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    if (!data)
        return E_INVALIDARG;
    const HRESULT result = Answer(handler_, effect, [&](DropHandler& handler, DWORD allowed) {
        return handler.OnDrop(*data, keys, {at.x, at.y}, allowed);
    });
    // A drop that failed on the way ends as a drag that left, so that the window lets go of it.
    if (FAILED(result))
        DragLeave();
    return result;
}

bool Offers(IDataObject& data, UINT format) {
    FORMATETC wanted = InMemory(format);
    return format != 0 && data.QueryGetData(&wanted) == S_OK;
}

bool GetMemory(IDataObject& data, UINT format, Medium& medium) {
    FORMATETC wanted = InMemory(format);
    return format != 0 && SUCCEEDED(data.GetData(&wanted, medium.Out())) && medium.Memory();
}

std::optional<Clipboard::Content> TextOf(IDataObject& data) {
    Medium text;
    if (!GetMemory(data, CF_UNICODETEXT, text))
        return std::nullopt;
    std::optional<std::wstring> read = ReadUnicode(text.Memory());
    if (!read)
        return std::nullopt;
    Medium marker;
    const bool block = GetMemory(data, Clipboard::ColumnFormat(), marker) && GlobalSize(marker.Memory()) > 0;
    return Clipboard::Content{std::move(*read), block};
}

}  // namespace pw::win32
