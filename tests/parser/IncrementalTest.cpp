// After any edit, a reparse from the restart block gives exactly the blocks that a parse of the
// whole new text gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <sstream>

#include "parser/ParseTesting.h"
#include "platform/IniFile.h"

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

using Fragments = std::vector<std::wstring>;

struct Edit {
    int kind;      // a BlockChain edit kind
    LineCol a, b;  // 1-based columns as the buffer counts them; b only for a deletion
    std::wstring text;
};

std::string Describe(const Edit& e) {
    std::ostringstream out;
    const char* verb = e.kind == BlockChain::kInserted  ? "insert"
                       : e.kind == BlockChain::kDeleted ? "delete"
                                                        : "overwrite";
    out << verb << " ";
    if (e.kind != BlockChain::kDeleted)
        out << "\"" << pw::Narrow(e.text) << "\" at ";
    out << e.a.row << ":" << e.a.col;
    if (e.kind == BlockChain::kDeleted)
        out << " to " << e.b.row << ":" << e.b.col;
    return out.str();
}

Edit RandomEdit(std::mt19937& rng, const CQELPenwrightBufferManager& buffer, const Fragments& fragments) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Edit e{BlockChain::kInserted, {}, {}, {}};
    const int rows = std::max(buffer.GetRowCount(), 1);
    e.a.row = pick(1, rows);
    const int length = buffer.GetLineTextLength(e.a.row);
    e.a.col = pick(1, length + 1);
    const int kind = pick(0, 5);
    if (kind < 3 || buffer.GetRowCount() < 3) {
        e.text = fragments[pick(0, static_cast<int>(fragments.size()) - 1)];
        return e;
    }
    if (kind < 5) {
        // Within the row, or across to a later row.
        e.kind = BlockChain::kDeleted;
        e.b.row = std::min(rows, e.a.row + (pick(0, 3) == 0 ? pick(1, 2) : 0));
        const int endLength = buffer.GetLineTextLength(e.b.row);
        e.b.col = e.b.row == e.a.row ? std::min(endLength + 1, e.a.col + pick(1, 4)) : pick(1, endLength + 1);
        return e;
    }
    // Written over characters of the row, as typing in overwrite mode does.
    e.kind = BlockChain::kReplaced;
    e.text = fragments[pick(0, static_cast<int>(fragments.size()) - 1)];
    e.text =
        e.text.substr(0, std::min(e.text.find_first_of(L"\r\n"), static_cast<size_t>(length + 1 - e.a.col)));
    if (e.text.empty())
        e.kind = BlockChain::kInserted;
    return e;
}

LineCol ParserPos(LineCol p) {
    return {p.row, std::max(p.col - 1, 0)};
}

// Applies the edit to the buffer and lets the schema follow it as the parser does: positions
// first, then a reparse of the edited range as it is in the new text.
int32_t ApplyAndReparse(TextSchema& schema, CQELPenwrightBufferManager& buffer, const Edit& e) {
    const LineCol s = ParserPos(e.a);
    LineCol end = s;
    if (e.kind == BlockChain::kDeleted) {
        if (!buffer.DeleteText(e.a.row, e.a.col, e.b.row, e.b.col, false))
            return TextSchema::kDone;
        schema.GetChain().UpdatePositions(s, ParserPos(e.b), e.kind);
    } else {
        buffer.SetOverwriteFlag(e.kind == BlockChain::kReplaced);
        LineCol final = e.a;
        buffer.InsertText(e.text, e.a.row, e.a.col, false, &final);
        buffer.SetOverwriteFlag(false);
        end = ParserPos(final);
        schema.GetChain().UpdatePositions(s, end, e.kind);
    }
    return schema.Run(ClassSet::kCompleteParseTree, ParserIterator(schema, buffer).get(), s, end, false);
}

std::string Fresh(TextSchema& reference, CQELPenwrightBufferManager& buffer) {
    reference.ReleaseAllBlocks();
    FullParse(reference, buffer);
    return DumpExact(reference);
}

// Random edits one after another; after each the incremental result must equal a fresh one.
void CheckRandomEdits(const SchemaPtr& schema, const Rows& rows, const std::wstring& ext,
                      const Fragments& fragments, unsigned seed, int edits) {
    SchemaPtr reference = schema->Clone();
    ASSERT_TRUE(reference);
    Buffer buffer = BufferWith(rows, ext);
    FullParse(*schema, *buffer);
    ASSERT_EQ(DumpExact(*schema), Fresh(*reference, *buffer));
    std::mt19937 rng(seed);
    std::vector<std::string> history;
    std::string blocksBefore = DumpExact(*schema);
    for (int i = 0; i < edits; ++i) {
        const Edit edit = RandomEdit(rng, *buffer, fragments);
        history.push_back(Describe(edit));
        const std::string textBefore = pw::Narrow(FlatText(*buffer));
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
            FAIL() << pw::Narrow(schema->GetName()) << " seed " << seed << " edit " << i << ", last edits:\n"
                   << last << "text before:\n"
                   << textBefore << "\nblocks before:\n"
                   << blocksBefore << "text:\n"
                   << text << "incremental:\n"
                   << actual << "full:\n"
                   << expected;
        }
        blocksBefore = actual;
    }
}

class RandomEdits : public ::testing::TestWithParam<LanguageSample> {};

// Each seed starts again from the sample, so that the text stays close to real source.
TEST_P(RandomEdits, ReparseLikeAFullParse) {
    const LanguageSample& lang = GetParam();
    Fragments fragments = lang.fragments;
    fragments.insert(fragments.end(), kCommonFragments.begin(), kCommonFragments.end());
    const Rows rows = SampleRows(lang);
    ASSERT_FALSE(rows.empty());
    for (unsigned seed = 1; seed <= 3; ++seed) {
        CheckRandomEdits(ShippedSchema(lang.schema), rows, lang.ext, fragments, seed, RandomCases(50));
        if (HasFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, RandomEdits, ::testing::ValuesIn(kLanguageSamples),
                         [](const ::testing::TestParamInfo<LanguageSample>& info) {
                             return std::string(info.param.folder);
                         });

// Every scheme of the shipped configuration is edited above.
TEST(Incremental, EveryShippedSchemeIsEdited) {
    const std::vector<pw::IniEntry> schemes =
        pw::IniSection(pw::Widen(PW_CONFIG_DIR) + L"/Penwright.ini", L"schemes");
    ASSERT_FALSE(schemes.empty());
    for (const pw::IniEntry& scheme : schemes) {
        EXPECT_TRUE(std::any_of(std::begin(kLanguageSamples), std::end(kLanguageSamples),
                                [&](const LanguageSample& lang) {
                                    return scheme.value == L"Schemas\\" + std::wstring(lang.schema);
                                }))
            << pw::Narrow(scheme.name);
    }
}

std::wstring Class(std::wstring_view name, std::initializer_list<std::wstring_view> lines) {
    std::wstring text = L"lexClass:\n\tname = " + std::wstring(name) + L"\n";
    for (std::wstring_view line : lines) text += L"\t" + std::wstring(line) + L"\n";
    return text + L"//:lexClass\n";
}

// What no shipped schema does: a block started by the class of the block before it, which then
// encloses that block; a class after whose blocks the list goes on instead of starting over;
// tags that hold a line end; and a condition that looks back over any number of blanks, further
// than any tag is long.
TEST(Incremental, RandomEditsOnRareSchemaFeaturesReparseLikeAFullParse) {
    const std::wstring schema =
        Class(L"top", {L"parent:file = <*.t>"}) +
        Class(L"block", {L"parent = top, block", L"start:tag = '{'", L"end:tag = '}'"}) +
        Class(L"comment", {L"parent = top, block", L"start:tag = '/*'", L"end:tag = '*/'"}) +
        Class(L"name", {L"parent = top, block", L"token:tag = 'foo', 'bar'",
                        L"token:start:separators = ' ', '{', ';', @eol",
                        L"token:end:separators = ' ', '(', ';', @eol", L"RestartRunLoop = 0"}) +
        Class(L"call",
              {L"parent = top, block", L"previous:tag = 'o', 'r'", L"start:class = name", L"end:tag = ';'"}) +
        Class(L"here", {L"parent = top, block", L"start:tag = '<<'", L"end:tag = '\nEND'"}) +
        Class(L"string", {L"parent = top, block, call", L"start:tag = '\"'", L"end:tag = '\"'",
                          L"skip:tag = '\\\r\n', '\\\n', '\\\"'"}) +
        Class(L"pattern",
              {L"parent = top, block, call", L"previous:tag = '='",
               L"previous:tag:separators = ' ', '\t', @eol", L"start:tag = '/'", L"end:tag = '/', @eol"}) +
        Class(L"number", {L"parent = top, block, call", L"start:tag = @digit",
                          L"end:separators = ' ', ';', @eol", L"RestartRunLoop = 0"});
    const Rows rows = {
        L"foo(1 \"a\\",
        L"b\" 22);",
        L"x =      /re/ {bar 3;} /* c",
        L"d */ <<",
        L"text {",
        L"END y = ",
        L"",
        L"   /p/; foo bar(\"s\");",
        L"{ foo { bar(=  /q/); } }",
    };
    const Fragments fragments = {L"foo",   L"bar", L"(",  L";", L"{", L"}",  L"/*", L"*/",   L"<<", L"END",
                                 L"\nEND", L"\"",  L"\\", L"=", L"/", L"  ", L"1",  L"\r\n", L"\n", L"x"};
    for (unsigned seed = 1; seed <= 6; ++seed) {
        CheckRandomEdits(SchemaFromText(schema), rows, L".t", fragments, seed, 2 * RandomCases(50));
        if (HasFailure())
            return;
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
    EXPECT_EQ(ApplyAndReparse(*schema, *buffer, {BlockChain::kInserted, {7, 5}, {}, L"xyz"}),
              TextSchema::kDone);
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
