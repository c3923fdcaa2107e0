#include "editor/win32/ModuleResources.h"

#include "platform/win32/Module.h"
#include "resources/ResourceIds.h"

namespace pw::win32 {

ImageList LoadMarginGlyphs() {
    Bitmap bitmap(static_cast<HBITMAP>(LoadImageW(ThisModule(), MAKEINTRESOURCEW(PW_IDB_MARGIN_GLYPHS),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.Get(), sizeof info, &info) || info.bmWidth < kGlyphWidth)
        return {};
    ImageList list(
        ImageList_Create(kGlyphWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, info.bmWidth / kGlyphWidth, 0));
    if (!list || ImageList_AddMasked(list.Get(), bitmap.Get(), RGB(0, 255, 0)) < 0)
        return {};
    return list;
}

HCURSOR LoadModuleCursor(int id) {
    return LoadCursorW(ThisModule(), MAKEINTRESOURCEW(id));
}

}  // namespace pw::win32
