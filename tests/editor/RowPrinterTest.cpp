// Rows on paper through a surface that records what it is asked, in a fixed-width font (8 pixels,
// 10 in bold, rows 16 high): wrapping at break characters or anywhere, clipping, measuring only,
// rows that do not fit, narrow pages, the fold's marker, and the rows loop over hidden rows.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "editor/EditorTesting.h"
#include "editor/Folds.h"
#include "editor/RowPrinter.h"
#include "parser/ParseTesting.h"

namespace {

class PaperSurface : public PrintSurface {
public:
    FontMetrics Metrics() const override { return {16, 8, 8}; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ends.clear();
        for (size_t i = 0; i < text.size(); ++i) ends.push_back(static_cast<int>(i + 1) * (bold_ ? 10 : 8));
    }
    void SelectFont(int weight, int, int) override { bold_ = weight == 700; }
    void DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect&) override {
        Record(L"text " + At(x, y) + L" " + std::wstring(text));
        colors.push_back(color);
    }
    void DrawLine(const Line& line) override { lines.push_back(line); }
    void DrawMarker(const PixelRect& box, std::wstring_view text) override {
        Record(L"marker " + At(box.left, box.top) + L"-" + At(box.right, box.bottom) + L" " +
               std::wstring(text));
    }
    void FillBackground(const PixelRect& r) override {
        Record(L"fill " + At(r.left, r.top) + L"-" + At(r.right, r.bottom));
    }

    static std::wstring At(int x, int y) { return std::to_wstring(x) + L"," + std::to_wstring(y); }
    void Record(std::wstring op) { ops.push_back(std::move(op)); }
    std::vector<std::wstring> ops;
    std::vector<PrintSurface::Line> lines;
    std::vector<int32_t> colors;

private:
    bool bold_ = false;
};

PlannedRow RowOf(const std::wstring& text, int cut = -1, std::wstring collapsed = {}) {
    PlannedRow row;
    row.text = text;
    row.layout = CQELPenwrightTextLayout().LayoutCells(text);
    const auto end = static_cast<int32_t>(cut < 0 ? text.size() : cut);
    if (end > 0)
        row.pieces.push_back({0, end, false, 0x111111, 0xFFFFFF});
    row.cut = cut;
    row.collapsedText = std::move(collapsed);
    return row;
}

TEST(RowPrinter, WrapsClipsMeasuresAndGivesUp) {
    const std::wstring words = L"one two three four five";
    struct Case {
        const char* name;
        PlannedRow row;
        PixelRect rect;
        int flags;
        bool clipAtBottom;
        int height;
        std::vector<std::wstring> ops;
    };
    const Case cases[] = {
        {"fits", RowOf(words), {0, 0, 400, 160}, 0, false, 16, {L"text 0,0 " + words}},
        {"hard cuts",
         RowOf(words),
         {0, 0, 100, 160},
         0,
         false,
         48,
         {L"text 0,0 one two th", L"text 24,16 ree fou", L"text 24,32 r five"}},
        {"break characters",
         RowOf(words),
         {0, 0, 100, 160},
         PrintFlag::kWrapAtBreaks,
         false,
         64,
         {L"text 0,0 one two ", L"text 24,16 three ", L"text 24,32 four ", L"text 24,48 five"}},
        {"no break character",
         RowOf(L"a(b)cdefghijklm"),
         {0, 0, 100, 160},
         PrintFlag::kWrapAtBreaks,
         false,
         48,
         {L"text 0,0 a(b)", L"text 24,16 cdefghi", L"text 24,32 jklm"}},
        {"never wrap",
         RowOf(words),
         {0, 0, 100, 160},
         PrintFlag::kNeverWrap,
         false,
         16,
         {L"text 0,0 one two th"}},
        {"measure only", RowOf(words), {0, 0, 100, 160}, PrintFlag::kMeasureOnly, false, 48, {}},
        {"does not fit",
         RowOf(words),
         {0, 10, 100, 42},
         0,
         false,
         RowPrinter::kDoesNotFit,
         {L"text 0,10 one two th", L"text 24,26 ree fou", L"fill 0,10-100,42"}},
        {"whole page",
         RowOf(words),
         {0, 10, 100, 42},
         0,
         true,
         32,
         {L"text 0,10 one two th", L"text 24,26 ree fou"}},
        {"narrower than a character",
         RowOf(L"abc"),
         {0, 0, 5, 160},
         0,
         false,
         48,
         {L"text 0,0 a", L"text 24,16 b", L"text 24,32 c"}},
        {"empty", RowOf(L""), {0, 0, 100, 160}, 0, false, 16, {}},
        {"tabs", RowOf(L"a\tb"), {0, 0, 100, 160}, 0, false, 16, {L"text 0,0 a   b"}},
        {"fold marker",
         RowOf(L"int f() { return 1; }", 8, L"{...}"),
         {0, 0, 400, 160},
         0,
         false,
         16,
         {L"text 0,0 int f() ", L"marker 64,0-107,15 {...}"}},
        {"fold marker wraps",
         RowOf(L"int f() { return 1; }", 8, L"{...}"),
         {0, 0, 100, 160},
         0,
         false,
         32,
         {L"text 0,0 int f() ", L"marker 24,16-67,31 {...}"}},
    };
    for (const Case& c : cases) {
        PaperSurface paper;
        EXPECT_EQ(RowPrinter(paper, c.flags, false).Print(c.row, c.rect, c.clipAtBottom), c.height) << c.name;
        EXPECT_EQ(paper.ops, c.ops) << c.name;
        if (c.flags & PrintFlag::kMeasureOnly) {
            EXPECT_TRUE(paper.lines.empty()) << c.name;
        }
    }
    PlannedRow past;
    past.pastText = true;
    PaperSurface paper;
    EXPECT_EQ(RowPrinter(paper, 0, false).Print(past, {0, 0, 100, 160}, false), 0);
}

// A line's wrap mark stands 3 pixels after its text: h = 12 and m = 6 for rows 16 high.
TEST(RowPrinter, WrapMarksFollowTheText) {
    PaperSurface paper;
    RowPrinter(paper, 0, false).Print(RowOf(L"one two three four five"), {0, 0, 100, 160}, false);
    const std::vector<PrintSurface::Line> expected = {{83, 6, 83, 12, 1},  {83, 12, 88, 12, 1},
                                                      {84, 11, 89, 6, 2},  {83, 22, 83, 28, 1},
                                                      {83, 28, 88, 28, 1}, {84, 27, 89, 22, 2}};
    EXPECT_EQ(paper.lines, expected);
}

// Runs go on where the last ended, each in its own font and colour.
TEST(RowPrinter, RunsContinueOnTheLine) {
    PlannedRow row = RowOf(L"ab cd ef");
    row.pieces = {{0, 3, false, 1, 0}, {3, 6, false, 2, 0, 700}, {6, 8, false, 3, 0}};
    PaperSurface paper;
    EXPECT_EQ(RowPrinter(paper, 0, false).Print(row, {0, 0, 400, 160}, false), 16);
    EXPECT_EQ(paper.ops, (std::vector<std::wstring>{L"text 0,0 ab ", L"text 24,0 cd ", L"text 54,0 ef"}));
    EXPECT_EQ(paper.colors, (std::vector<int32_t>{1, 2, 3}));
}

// Whatever the width: every character is printed once and in order, and each line holds what
// fits in the width less the reserve, or a single character (a surrogate pair) when nothing does.
TEST(RowPrinter, EveryLineMakesProgress) {
    const std::wstring texts[] = {L"int main() { return a+b; } // the end, really!",
                                  L"x\xD83D\xDE00y\xD83D\xDE00z",
                                  std::wstring(300, L'w') + L" \\ " + std::wstring(300, L'.')};
    for (const std::wstring& text : texts)
        for (int flags : {0, PrintFlag::kWrapAtBreaks})
            for (int width = 1; width < 120; width += 7) {
                PaperSurface paper;
                const int height =
                    RowPrinter(paper, flags, false).Print(RowOf(text), {0, 0, width, 1 << 20}, false);
                std::wstring printed;
                for (const std::wstring& op : paper.ops) {
                    const std::wstring line = op.substr(op.find(L' ', 5) + 1);
                    const int x = std::stoi(op.substr(5));
                    EXPECT_TRUE(x + 8 * static_cast<int>(line.size()) <= width - RowPrinter::kReserve ||
                                line.size() == 1 || line == text.substr(printed.size(), 2));
                    printed += line;
                }
                EXPECT_EQ(printed, text) << width;
                EXPECT_EQ(height, 16 * static_cast<int>(paper.ops.size())) << width;
            }
}

struct Document {
    Document()
        : buffer(BufferWith({L"int f() {", L"    /* note */ return 1;", L"}", L"int g() {", L"    return 2;",
                             L"}", L"// end"},
                            L".cpp")),
          core(window, buffer, nullptr) {
        EXPECT_TRUE(core.GetParser().SetTextSchema(ShippedSchema(L"cpp.pws").get()));
        core.GetParser().ParseAll(*buffer, true);
    }
    // Rows consumed, and what each printed line shows ("[m]" for a fold's marker); a fill
    // wipes the lines below its top.
    std::pair<int, std::map<int, std::wstring>> Print(int first, int width, int height) {
        PaperSurface paper;
        const int consumed = PrintRows(core, paper, {{}, first, {0, 0, width, height}, 0, false});
        std::map<int, std::wstring> lines;
        for (const std::wstring& op : paper.ops) {
            const size_t comma = op.find(L',');
            const size_t text = op.find(L' ', comma) + 1;
            const int y = std::stoi(op.substr(comma + 1));
            if (op.starts_with(L"fill"))
                lines.erase(lines.lower_bound(y), lines.end());
            else
                lines[y] += op.starts_with(L"marker") ? L"[m]" : op.substr(text);
        }
        return {consumed, lines};
    }
    QuietWindow window;
    Buffer buffer;
    EditorCore core;
};

TEST(PrintRows, ConsumesHiddenRowsAndStopsWhereARowNoLongerFits) {
    Document d;
    std::vector<CollapsibleBlock> blocks;
    d.core.GetParser().GetCurrentSchema()->GetCollapsibleBlocks(4, blocks, nullptr);
    ASSERT_FALSE(blocks.empty());
    Folds::Collapse(d.buffer->GetLineMarks(), blocks.front());
    struct Case {
        int first, width, height;
        int consumed;
        std::map<int, std::wstring> lines;
    };
    const Case cases[] = {
        {1, 400, 48, 3, {{0, L"int f() {"}, {16, L"    /* note */ return 1;"}, {32, L"}"}}},
        {4, 400, 48, 4, {{0, L"int g() [m]"}, {16, L"// end"}}},  // the fold's rows go with it
        {4, 400, 16, 3, {{0, L"int g() [m]"}}},                   // ... also at a page's end
        {5, 400, 48, 3, {{0, L"// end"}}},                        // a page starting inside the fold
        {1, 100, 48, 1, {{0, L"int f() {"}}},                     // row 2 needs three lines
        {2, 100, 32, 1, {{0, L"    /* not"}, {16, L"e */ re"}}},  // ... and is cut off on a page of two
        {8, 400, 48, 0, {}},
        {0, 400, 48, 0, {}},
        {1, 400, 15, 0, {}},
    };
    for (const Case& c : cases) {
        const auto [consumed, lines] = d.Print(c.first, c.width, c.height);
        EXPECT_EQ(consumed, c.consumed) << c.first << " " << c.height;
        EXPECT_EQ(lines, c.lines) << c.first << " " << c.height;
    }
}

// A megabyte in one row prints as far as a page goes, wrapped or not, in time linear in it.
TEST(PrintRows, HugeRowFillsOnePage) {
    QuietWindow window;
    EditorCore core(window, MakeBuffer({std::wstring(1 << 20, L'x'), L"next"}), nullptr);
    for (int flags : {0, PrintFlag::kWrapAtBreaks, PrintFlag::kNeverWrap}) {
        PaperSurface paper;
        EXPECT_EQ(PrintRows(core, paper, {{}, 1, {0, 0, 800, 1600}, flags, false}),
                  flags == PrintFlag::kNeverWrap ? 2 : 1)
            << flags;
        EXPECT_EQ(paper.ops.size(), flags == PrintFlag::kNeverWrap ? 2U : 100U) << flags;
    }
}

}  // namespace
