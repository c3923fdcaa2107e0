#include "editor/win32/ModuleResources.h"

#include "platform/win32/Module.h"
#include "resources/ResourceIds.h"

namespace pw::win32 {

namespace {

// Images `width` pixels wide and as high as bitmap `id`, 24-bit colour, masked where it is `mask`.
ImageList LoadMaskedImages(int id, int width, COLORREF mask) {
    Bitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(ThisModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.Get(), sizeof info, &info) || info.bmWidth < width)
        return {};
    ImageList list(ImageList_Create(width, info.bmHeight, ILC_COLOR24 | ILC_MASK, info.bmWidth / width, 0));
    if (!list || ImageList_AddMasked(list.Get(), bitmap.Get(), mask) < 0)
        return {};
    return list;
}

}  // namespace

ImageList LoadMarginGlyphs() {
    return LoadMaskedImages(PW_IDB_MARGIN_GLYPHS, kGlyphWidth, RGB(0, 255, 0));
}

ImageList LoadCompletionIcons() {
    return LoadMaskedImages(PW_IDB_COMPLETION_ICONS, kCompletionIconWidth, RGB(255, 255, 255));
}

HCURSOR LoadModuleCursor(int id) {
    return LoadCursorW(ThisModule(), MAKEINTRESOURCEW(id));
}

}  // namespace pw::win32
