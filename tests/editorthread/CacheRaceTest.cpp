// The row block cache beside a real parser worker: the screen is planned again and again while
// edits race background reparses, and once the worker has drained, what the cache gives is what
// a cold cache gives. Run under ThreadSanitizer with the other `threads` tests.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "PumpUntil.h"
#include "editor/EditorTesting.h"
#include "editor/ScreenPlanner.h"
#include "parser/ParseTesting.h"

namespace {

Rows Program(int copies) {
    Rows rows;
    for (int i = 0; i < copies; ++i)
        for (const wchar_t* row : {L"int f(int a) {", L"    /* a comment", L"       over two rows */",
                                   L"    const char* s = \"str\";", L"    if (a) { return 2; }", L"}", L""})
            rows.push_back(row);
    return rows;
}

std::vector<std::vector<PaintPiece>> Pieces(ScreenPlanner& planner) {
    PaintRequest request;
    request.colors.text = {0x010101, kColorNotSet};
    request.colors.back = {0x020202, kColorNotSet};
    request.screenRows = 20;
    std::vector<std::vector<PaintPiece>> pieces;
    for (PlannedRow& row : planner.Plan(request)) pieces.push_back(std::move(row.pieces));
    return pieces;
}

TEST(EditorCacheRace, CachedBlocksMatchAColdCacheOnceParsed) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    schema->FileClass(L".cpp")->SetProperty(L"global:EditReparceTimeout_ms", LexValue::MakeNumber(1));
    Buffer buffer = BufferWith(Program(300), L".cpp");
    QuietWindow window;
    EditorCore core(window, buffer, nullptr);
    ASSERT_TRUE(core.GetParser().SetTextSchema(schema.get()));
    ScreenPlanner planner(core);
    auto settle = [&] {
        ASSERT_TRUE(PumpUntil([&] { return core.IsParseSettled(); }));
        pw::PumpMessages(0);
    };
    auto everyPage = [&](auto&& visit) {
        for (int top = 1; top <= buffer->GetRowCount(); top += 20) {
            core.SetTopRow(top);
            visit(top);
        }
    };
    core.Refresh();  // the first parse goes to the worker
    settle();
    everyPage([&](int) { Pieces(planner); });  // a warm cache over the whole text

    std::mt19937 random(3);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const std::wstring fragments[] = {L"/*", L"*/", L"\"", L"{", L"}", L"\r\n", L"x"};
    for (int step = 0; step < 40; ++step) {
        const int row = pick(1, buffer->GetRowCount());
        const int rowsBefore = buffer->GetRowCount();
        const uint64_t changes = buffer->GetChangeCount();
        buffer->CancelParse();
        LineCol end;
        ASSERT_TRUE(buffer->InsertText(fragments[pick(0, 6)], row, 1, false, &end));
        buffer->ParserTextChanged({row, 1}, end, BlockChain::kInserted);
        core.AfterEdit(row, end.row, end.row > row ? 1 : 4, rowsBefore, false, changes);
        // The screen at and below the edit, painted before the worker has reparsed it or while
        // it does: its blocks are stale until the worker's progress drops them.
        for (int top : {row - pick(0, 10), row + pick(20, 200)}) {
            core.SetTopRow(top);
            Pieces(planner);
        }
        pw::PumpMessages(0);
    }
    settle();
    everyPage([&](int) { Pieces(planner); });
    everyPage([&](int top) {
        const auto cached = Pieces(planner);
        core.GetCache().Clear();
        EXPECT_EQ(cached, Pieces(planner)) << "top row " << top;
    });
}

}  // namespace
