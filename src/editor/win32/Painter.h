#pragma once
// Windows only: the edit control's painter. It owns the fonts, colours, glyphs and cursors and
// draws each part of a planned frame (margin, line number, node, text, fold markers). A host may
// give the control a painter of its own that draws some parts differently.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <tuple>
#include <vector>

#include "editor/LogFontRecord.h"
#include "editor/PainterColors.h"
#include "editor/ScreenPlanner.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/GdiMeasurer.h"
#include "editor/win32/ModuleResources.h"
#include "platform/RefCounted.h"

// What a frame is drawn into and with: the control's rectangles and scrolling, and which parts
// show.
struct FrameGeometry {
    EditRects rects;
    int rowHeight = 1;
    int64_t horzOffset = 0;
    bool selMargin = true;
    bool lineNumbers = true;
    bool nodeColumn = true;
    bool whiteSpace = false;
    bool active = true;
    int caretRow = 1;
    PainterColors colors;  // the frame's, the top class's put in

    int firstScreenRow = 1;  // the screen row of the first planned row
    int RowTop(size_t planned) const {
        return rects.text.top + (firstScreenRow - 1 + static_cast<int>(planned)) * rowHeight;
    }
};

// `base` with a class's weight, italic and underline where they are not LexTextAttributes::kNotSet.
LOGFONTW RunLogFont(const LOGFONTW& base, int weight, int italic, int underline);
// A fold's marker: `text` in the selected font and the button-shadow colour on `back` inside
// `box`, which is framed one pixel taller.
void DrawFoldMarker(const pw::win32::DCHandle& dc, const RECT& box, std::wstring_view text, COLORREF back);

class CQELPenwrightPainter : public pw::RefCounted {
public:
    enum class CursorKind { kIBeam, kArrow, kNo, kRowSelect, kDragCopy, kDragMove };

    // System colours as defaults with the profile's overrides, the profile's font, the glyphs.
    CQELPenwrightPainter();
    CQELPenwrightPainter(const CQELPenwrightPainter&) = delete;
    CQELPenwrightPainter& operator=(const CQELPenwrightPainter&) = delete;

    virtual bool LoadGlyphs();
    // The colour overrides and the font from the application profile.
    virtual void LoadSettings();
    // The text font with a class's weight, italic and underline (kNotSet keeps the font's own).
    virtual HFONT MakeRunFont(int weight, int italic, int underline);

    // The frame: each planned row's margin, number, node and text on its band, then the fold
    // markers. `hostMargin` is asked first for each selection margin: true when the host drew it.
    void DrawFrame(const pw::win32::DCHandle& dc, const std::vector<PlannedRow>& rows,
                   const FrameGeometry& frame,
                   const std::function<bool(const RECT& margin, int row)>& hostMargin);

    virtual void DrawSelMargin(const pw::win32::DCHandle& dc, const RECT& area, const PlannedRow& row,
                               bool caretRow);
    virtual void DrawGlyphs(const pw::win32::DCHandle& dc, const RECT& area, const PlannedRow& row,
                            bool caretRow);
    virtual void DrawLineNumber(const pw::win32::DCHandle& dc, const RECT& area, const PlannedRow& row);
    virtual void DrawSeparator(const pw::win32::DCHandle& dc, const RECT& area);
    virtual void FillBackground(const pw::win32::DCHandle& dc, const RECT& area, COLORREF colour);
    // The node of a row with its flags (NodeFlag), the box filled with `back`.
    virtual void DrawNode(const pw::win32::DCHandle& dc, const RECT& area, int flags, COLORREF back);
    virtual void DrawRowText(const pw::win32::DCHandle& dc, const RECT& band, const PlannedRow& row,
                             const FrameGeometry& frame);
    // The markers of the folded blocks the rows show.
    virtual void FinishPaint(const pw::win32::DCHandle& dc, const std::vector<PlannedRow>& rows,
                             const FrameGeometry& frame);

    // The fonts from `font` (the default font when null); with `persist` the font is written to
    // the profile. False only when that write failed: the font applies either way.
    bool SetFont(const LOGFONTW* font, bool persist);
    HFONT GetTextFont() const { return textFont_.Get(); }
    const LOGFONTW& GetLogFont() const { return logFont_; }
    const TextMeasurer* GetMeasurer() const { return measurer_.get(); }

    PainterColors& Colors() { return colors_; }
    // Sets an override (kColorNotSet removes it); false only when persisting was asked and failed.
    bool SetColor(PainterColors::Slot slot, int32_t colour, bool persist);

    HIMAGELIST GetGlyphs() const { return glyphs_.Get(); }
    HCURSOR GetCursor(CursorKind kind) const;

protected:
    ~CQELPenwrightPainter() override = default;

private:
    PainterColors colors_;
    LOGFONTW logFont_{};
    pw::win32::Font textFont_;
    std::unique_ptr<pw::win32::GdiMeasurer> measurer_;
    std::map<std::tuple<int, int, int>, pw::win32::Font> runFonts_;
    pw::win32::Pen shadowPen_;
    pw::win32::Brush halftone_;  // the selection margin's pattern, made once
    pw::win32::ImageList glyphs_;
};
