#pragma once
// Windows only: the control's images and cursors, from the module that holds the control.
#include <windows.h>

#include <commctrl.h>

#include "editor/win32/Gdi.h"

namespace pw::win32 {

struct DestroyImageList {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using ImageList = UniqueHandle<HIMAGELIST, DestroyImageList>;

// The selection margin's glyphs: 20-pixel images as high as the bitmap, 24-bit colour with a
// mask where the bitmap is pure green. Image 0 the bookmark, 1 the bookmark on the caret's row,
// 2 the breakpoint. Null when the resource is missing.
ImageList LoadMarginGlyphs();
constexpr int kGlyphWidth = 20;

// The completion list's icons: 16-pixel images masked where the bitmap is white. Null when the
// resource is missing.
ImageList LoadCompletionIcons();
constexpr int kCompletionIconWidth = 16;

// A cursor of the module (PW_IDC_ROW_SELECT, PW_IDC_DRAG_COPY, PW_IDC_DRAG_MOVE). Cursors from
// resources are shared by the system and never destroyed.
HCURSOR LoadModuleCursor(int id);

}  // namespace pw::win32
