// Replace all tells the parser of one stretch instead of every replacement: once the worker has
// reparsed it, the blocks are those of a fresh parse of the new text.
#include <gtest/gtest.h>

#include "PumpUntil.h"
#include "editor/EditorTesting.h"
#include "editor/TextEditor.h"
#include "parser/ParseSetup.h"
#include "parser/ParseTesting.h"

namespace {

struct Replacement {
    const wchar_t* find;
    const wchar_t* replace;
};

TEST(ReplaceAllParse, TheReparsedBlocksAreAFreshParses) {
    Rows rows;
    for (int i = 0; i < 40; ++i)
        for (const wchar_t* row :
             {L"int f(int a) { /* one */ if (a) return 1; /* two", L"   rows */ const char* s = \"a*/b\";",
              L"    if (a) { return 2; } // if", L"}"})
            rows.push_back(row);
    // Blocks after the last matches on the last row, which move by what the row gained.
    rows.push_back(L"x if a if /* a if */ s = \"a\"; /* */");
    // Each turns comments, strings or keywords into something else, on many rows at once.
    const Replacement replacements[] = {
        {L"/*", L"//"}, {L"if", L"while"}, {L"\"", L"'"}, {L"*/", L""}, {L"a", L"/*"}};
    for (const Replacement& r : replacements) {
        SchemaPtr schema = ShippedSchema(L"cpp.pws");
        schema->FileClass(L".cpp")->SetProperty(L"global:EditReparceTimeout_ms", LexValue::MakeNumber(1));
        Buffer buffer = BufferWith(rows, L".cpp");
        QuietWindow window;
        EditorCore core(window, buffer, nullptr);
        ASSERT_TRUE(core.GetParser().SetTextSchema(schema.get()));
        core.Refresh();
        ASSERT_TRUE(PumpUntil([&] { return core.IsParseSettled(); }));
        ASSERT_GT(core.GetEditor().ReplaceAll(r.find, r.replace, false, true), 1)
            << testing::PrintToString(r.find);
        ASSERT_TRUE(PumpUntil([&] { return core.IsParseSettled(); }));
        pw::PumpMessages(0);
        SchemaPtr reference = ShippedSchema(L"cpp.pws");
        FullParse(*reference, *buffer);
        EXPECT_EQ(DumpExact(*core.GetParser().GetCurrentSchema()), DumpExact(*reference))
            << testing::PrintToString(r.find);
    }
}

}  // namespace
