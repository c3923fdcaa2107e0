#pragma once
// Windows only: a page's header or footer on a device context. Its parts are measured in the
// band's font, the band's width shared among them, and the rectangle's edge moved past the block
// (with 3 units to spare) so that the text area begins below a header or ends above a footer.
#include <windows.h>

#include "print/HeaderFooter.h"

namespace pw::win32 {

// The system's icon-title font, the header's and footer's default.
LOGFONTW DefaultBandFont();

// Measures `band` in `font` (a screen font, sized for `dc`) within `area`'s width and, unless `measureOnly`,
// draws it there with a transparent background. A header moves `area`'s bottom up to its block, a footer
// `area`'s top down to it. The block's height: 0 for an empty band, which moves nothing.
int DrawBand(HDC dc, const CQELPrintPageHeaderFooter& band, const LOGFONTW& font, RECT& area,
             bool measureOnly);

}  // namespace pw::win32
