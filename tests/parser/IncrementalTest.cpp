// After any edit, a reparse from the restart block gives exactly the blocks that a parse of the
// whole new text gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "parser/ParseTesting.h"

namespace {

const Rows kCppSample = {
    L"// Sample: a little of everything the C++ schema knows.",
    L"#include <vector>",
    L"#define TWICE(x) \\",
    L"    ((x) * 2)",
    L"",
    L"/* A block comment",
    L"   over rows { with braces } and \"quotes\" */",
    L"namespace demo {",
    L"",
    L"struct Point {",
    L"    int x = 0, y = 0;",
    L"    const char* name = \"point \\\"p\\\"\";",
    L"    char c = '\\'';",
    L"};",
    L"",
    L"int Sum(const std::vector<int>& v) {",
    L"    int total = 0;  // running",
    L"    for (int i : v) {",
    L"        if (i > 10'000) { total += i * 0x1F; }",
    L"        else { total -= TWICE(i); /* odd */ }",
    L"    }",
    L"    auto raw = R\"(raw \" text)\";",
    L"    return total;",
    L"}",
    L"",
    L"}  // namespace demo",
};

// The fragments that change most about blocks, and plain text.
const std::vector<std::wstring> kFragments = {L"/*",   L"*/",   L"\"",   L"'",   L"{", L"}",
                                              L"\r\n", L"//",   L"#",    L"\\",  L"x", L" ",
                                              L"1",    L"int ", L"R\"(", L")\"", L"\n"};

struct Edit {
    bool insert;
    LineCol a, b;  // 1-based columns as the buffer counts them
    std::wstring text;
};

std::string Describe(const Edit& e) {
    std::ostringstream out;
    out << (e.insert ? "insert \"" + pw::Narrow(e.text) + "\" at " : "delete ") << e.a.row << ":" << e.a.col;
    if (!e.insert)
        out << " to " << e.b.row << ":" << e.b.col;
    return out.str();
}

Edit RandomEdit(std::mt19937& rng, const CQELPenwrightBufferManager& buffer) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Edit e;
    const int rows = std::max(buffer.GetRowCount(), 1);
    e.a.row = pick(1, rows);
    e.a.col = pick(1, buffer.GetLineTextLength(e.a.row) + 1);
    e.insert = pick(0, 2) != 0 || buffer.GetRowCount() < 3;
    if (e.insert) {
        e.text = kFragments[pick(0, static_cast<int>(kFragments.size()) - 1)];
        return e;
    }
    // Within the row, or across to a later row.
    e.b.row = std::min(rows, e.a.row + (pick(0, 3) == 0 ? pick(1, 2) : 0));
    const int length = buffer.GetLineTextLength(e.b.row);
    e.b.col = e.b.row == e.a.row ? std::min(length + 1, e.a.col + pick(1, 4)) : pick(1, length + 1);
    return e;
}

LineCol ParserPos(LineCol p) {
    return {p.row, std::max(p.col - 1, 0)};
}

// Applies the edit to the buffer and lets the schema follow it as the parser does: positions
// first, then a reparse of the edited range.
int32_t ApplyAndReparse(TextSchema& schema, CQELPenwrightBufferManager& buffer, const Edit& e) {
    LineCol s = ParserPos(e.a), end;
    if (e.insert) {
        LineCol final = e.a;
        buffer.InsertText(e.text, e.a.row, e.a.col, false, &final);
        end = ParserPos(final);
    } else {
        if (!buffer.DeleteText(e.a.row, e.a.col, e.b.row, e.b.col, false))
            return TextSchema::kDone;
        end = ParserPos(e.b);
    }
    schema.GetChain().UpdatePositions(s, end, e.insert ? BlockChain::kInserted : BlockChain::kDeleted);
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(&buffer);
    return schema.Run(ClassSet::kCompleteParseTree, it.get(), s, end, false);
}

std::string Fresh(TextSchema& reference, CQELPenwrightBufferManager& buffer) {
    reference.ReleaseAllBlocks();
    FullParse(reference, buffer);
    return DumpExact(reference);
}

// Random edits one after another; after each the incremental result must equal a fresh one.
void CheckRandomEdits(const std::wstring& schemaFile, const Rows& rows, const std::wstring& ext,
                      unsigned seed, int edits) {
    SchemaPtr schema = ShippedSchema(schemaFile);
    SchemaPtr reference = schema->Clone();
    ASSERT_TRUE(reference);
    Buffer buffer = BufferWith(rows, ext);
    FullParse(*schema, *buffer);
    ASSERT_EQ(DumpExact(*schema), Fresh(*reference, *buffer));
    std::mt19937 rng(seed);
    std::vector<std::string> history;
    for (int i = 0; i < edits; ++i) {
        const Edit edit = RandomEdit(rng, *buffer);
        history.push_back(Describe(edit));
        const std::string textBefore = pw::Narrow(FlatText(*buffer));
        const std::string blocksBefore = DumpExact(*schema);
        EXPECT_EQ(ApplyAndReparse(*schema, *buffer, edit) & ~TextSchema::kBlockEnded, TextSchema::kDone);
        const std::string expected = Fresh(*reference, *buffer);
        const std::string actual = DumpExact(*schema);
        if (actual != expected) {
            std::string text;
            for (int r = 1; r <= buffer->GetRowCount(); ++r)
                text += pw::Narrow(buffer->GetLineText(r)) + "\n";
            std::string last;
            for (size_t k = history.size() > 5 ? history.size() - 5 : 0; k < history.size(); ++k)
                last += history[k] + "\n";
            FAIL() << "seed " << seed << " edit " << i << ", last edits:\n"
                   << last << "text before:\n"
                   << textBefore << "\nblocks before:\n"
                   << blocksBefore << "text:\n"
                   << text << "incremental:\n"
                   << actual << "full:\n"
                   << expected;
        }
    }
}

// Each seed starts again from the sample, so that the text stays close to real source.
TEST(Incremental, RandomEditsOnCppReparseLikeAFullParse) {
    for (unsigned seed = 1; seed <= 12; ++seed) CheckRandomEdits(L"cpp.pws", kCppSample, L".cpp", seed, 300);
}

TEST(Incremental, RandomEditsOnHtmlAndPythonReparseLikeAFullParse) {
    const Rows html = {
        L"<!DOCTYPE html>",
        L"<html><head><title>T &amp; t</title>",
        L"<style>p { color: red; } /* c */</style>",
        L"<script>var s = \"<b>\"; // x",
        L"if (a < b) { f('q'); }</script></head>",
        L"<body class=\"main\" id='b'>",
        L"<!-- a comment -->",
        L"<p>One<p>Two <a href=\"x.html\">link</a>",
        L"<ul><li>i<li>j</ul>",
        L"</body></html>",
    };
    const Rows python = {
        L"# A comment",
        L"import os",
        L"",
        L"def f(x, y=2):",
        L"    \"\"\"Doc string",
        L"    over rows.\"\"\"",
        L"    s = 'a' + \"b\" + r'\\d' # trailing",
        L"    return [x * 1.5e3 for _ in range(10)]",
        L"",
        L"class C(object):",
        L"    pass",
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        CheckRandomEdits(L"html.pws", html, L".html", seed, 250);
        CheckRandomEdits(L"python.pws", python, L".py", seed, 250);
    }
}

TEST(Incremental, TypingInALongCommentKeepsTheBlocksAfterIt) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    Buffer buffer = BufferWith(kCppSample, L".cpp");
    FullParse(*schema, *buffer);
    std::vector<const TextBlock*> before;
    for (pw::RefPtr<TextBlock> b = schema->GetChain().HeadBlock(); b; b = b->nextBlock)
        before.push_back(b.get());
    // Inside "over rows { with braces }" of the block comment on row 7.
    EXPECT_EQ(ApplyAndReparse(*schema, *buffer, {true, {7, 5}, {}, L"xyz"}), TextSchema::kDone);
    std::vector<const TextBlock*> after;
    for (pw::RefPtr<TextBlock> b = schema->GetChain().HeadBlock(); b; b = b->nextBlock)
        after.push_back(b.get());
    ASSERT_EQ(after.size(), before.size());
    // The comment was made again; from the first block after it on, the old blocks are kept.
    size_t comment = 0;
    while (comment < after.size() && after[comment]->lexClass->GetName() != L"comment_block") ++comment;
    ASSERT_LT(comment + 1, after.size());
    EXPECT_EQ(after[comment]->endPos, (LineCol{7, 46}));
    EXPECT_EQ(std::vector<const TextBlock*>(after.begin() + comment + 1, after.end()),
              std::vector<const TextBlock*>(before.begin() + comment + 1, before.end()));
}

}  // namespace
