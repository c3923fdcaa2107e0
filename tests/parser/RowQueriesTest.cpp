// Row queries against plain models built from the block chain: the runs of a row paint each
// column with the class of the innermost block there, foldable blocks are those the classes
// allow, and an on-screen parse of rows gives what a whole parse gives there.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "parser/ParseTesting.h"

namespace {

// Defaults unlike any class's, so that a run that lost its class shows.
LexTextAttributes Defaults() {
    LexTextAttributes a;
    a.text = {0x111111, kColorNotSet};
    a.background = {0x222222, 0x333333};
    a.weight = 400;
    return a;
}

// The model: per column, the last block of the chain (the innermost) whose range holds it.
std::vector<const TextBlock*> InnermostPerColumn(const TextBlock* head, int row, int length) {
    std::vector<const TextBlock*> owner(length, nullptr);
    for (const TextBlock* b = head; b; b = b->nextBlock.get())
        for (int col = 0; col < length; ++col)
            if (b->startPos <= LineCol{row, col} && (b->IsOpen() || LineCol{row, col} <= b->endPos))
                owner[col] = b;
    return owner;
}

LexTextAttributes Expected(const TextBlock* b) {
    LexTextAttributes want = Defaults();
    if (!b)
        return want;
    LexTextAttributes cls;
    b->lexClass->GetTextAttributes(cls);
    for (auto [to, from] : {std::pair{&want.text, cls.text}, std::pair{&want.background, cls.background},
                            std::pair{&want.selectedText, cls.selectedText},
                            std::pair{&want.selectedBackground, cls.selectedBackground}}) {
        to->standard = from.standard != kColorNotSet ? from.standard : to->standard;
        to->custom = from.custom != kColorNotSet ? from.custom : to->custom;
    }
    for (auto [to, from] : {std::pair{&want.weight, cls.weight}, std::pair{&want.italic, cls.italic},
                            std::pair{&want.underline, cls.underline}})
        *to = from != LexTextAttributes::kNotSet ? from : *to;
    return want;
}

// Runs must tile the row in order; each column gets the model's attributes.
void ExpectRunsMatchModel(const std::vector<RowRun>& runs, const std::vector<const TextBlock*>& owner,
                          const std::string& where) {
    int next = 0;
    for (const RowRun& run : runs) {
        ASSERT_EQ(run.start, next) << where;
        ASSERT_LT(run.start, run.end) << where;
        for (int col = run.start; col < run.end; ++col)
            ASSERT_EQ(run.attributes, Expected(owner[col])) << where << " col " << col;
        next = run.end;
    }
    EXPECT_EQ(next, static_cast<int>(owner.size())) << where;
}

TEST(RowRuns, CoverEveryRowWithTheInnermostBlockOfEachColumn) {
    std::mt19937 random(7);
    for (const LanguageSample& sample : kLanguageSamples) {
        Buffer buffer = BufferWith(SampleRows(sample), sample.ext);
        SchemaPtr schema = ShippedSchema(sample.schema);
        ASSERT_EQ(FullParse(*schema, *buffer), TextSchema::kDone) << sample.folder;
        const TextBlock* head = schema->GetChain().HeadBlock().get();
        // Top to bottom with a cursor, as painting goes, then rows in random order with the
        // same cursor, which must not lead a walk past blocks it needs.
        std::vector<int> order(buffer->GetRowCount());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i) + 1;
        std::vector<int> shuffled = order;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        order.insert(order.end(), shuffled.begin(), shuffled.end());
        pw::RefPtr<TextBlock> cursor;
        std::vector<RowRun> runs;
        for (int row : order) {
            const int length = buffer->GetLineTextLength(row);
            const std::string where = std::string(sample.folder) + " row " + std::to_string(row);
            ASSERT_TRUE(schema->GetRowRuns(*buffer, row, 0, 0, Defaults(), nullptr, &cursor, runs)) << where;
            ExpectRunsMatchModel(runs, InnermostPerColumn(head, row, length), where);
            EXPECT_EQ(runs.empty(), length == 0) << where;
        }
    }
}

TEST(RowRuns, RowsOutsideTheTextOrWithoutBlocksGiveTheirDefaults) {
    Buffer buffer = BufferWith({L"int a; /* x */", L"", L"b"}, L".cpp");
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    std::vector<RowRun> runs{{0, 1, {}}};
    for (int row : {0, -3, 2, 4})
        EXPECT_TRUE(schema->GetRowRuns(*buffer, row, 0, 0, Defaults(), nullptr, nullptr, runs) &&
                    runs.empty());
    // No parse yet: one default run over the row.
    EXPECT_TRUE(schema->GetRowRuns(*buffer, 1, 0, 0, Defaults(), nullptr, nullptr, runs));
    EXPECT_EQ(runs, (std::vector<RowRun>{{0, 14, Defaults()}}));
    // A block ending at column 13 gives a run that ends at 14; columns past the last asked for
    // are painted all the same, so the runs still cover the row.
    ASSERT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    EXPECT_TRUE(schema->GetRowRuns(*buffer, 1, 0, 3, Defaults(), nullptr, nullptr, runs));
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.back().end, 14);
    EXPECT_TRUE(schema->GetRowRuns(*buffer, 1, -5, 200, Defaults(), nullptr, nullptr, runs));
    EXPECT_EQ(runs.back().start, 7);
}

TEST(CollapsibleBlocks, BracesAndBlockCommentsOfTheCppSample) {
    Buffer buffer = BufferWith(SampleRows(kLanguageSamples[0]), L".cpp");
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    ASSERT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    auto describe = [](const std::vector<CollapsibleBlock>& blocks) {
        std::string out;
        for (const CollapsibleBlock& b : blocks)
            out += std::to_string(b.start.row) + "," + std::to_string(b.start.col) + "-" +
                   std::to_string(b.end.row) + "," + std::to_string(b.end.col) + " " +
                   pw::Narrow(b.collapsedText) + ";";
        return out;
    };
    std::vector<CollapsibleBlock> blocks;
    ASSERT_TRUE(schema->GetCollapsibleBlocks(5, blocks, nullptr));
    EXPECT_EQ(describe(blocks), "4,0-5,35 /*...*/;");
    // The function body, the loop and the if-else chain; "{ ... }" parts on one row do not fold.
    ASSERT_TRUE(schema->GetCollapsibleBlocks(11, blocks, nullptr));
    EXPECT_EQ(describe(blocks), "6,40-18,0 {...};9,40-16,4 {...};10,37-12,8 {...};");
    ASSERT_TRUE(schema->GetCollapsibleBlocks(19, blocks, nullptr));
    EXPECT_EQ(describe(blocks), "");
    // Every row at once, and row after row with a cursor, give the same blocks.
    ASSERT_TRUE(schema->GetCollapsibleBlocks(-1, blocks, nullptr));
    EXPECT_EQ(blocks.size(), 6u) << describe(blocks);
    pw::RefPtr<TextBlock> cursor;
    for (int row = 1; row <= buffer->GetRowCount(); ++row) {
        std::vector<CollapsibleBlock> fresh, followed;
        ASSERT_TRUE(schema->GetCollapsibleBlocks(row, fresh, nullptr));
        ASSERT_TRUE(schema->GetCollapsibleBlocks(row, followed, &cursor));
        EXPECT_EQ(describe(followed), describe(fresh)) << "row " << row;
    }
    EXPECT_TRUE(cursor);
}

TEST(CollapsibleBlocks, DefaultTextOpenBlocksAndBlocksOnOneRow) {
    SchemaPtr schema = SchemaFromText(
        L"lexClass:\n name = top\n parent:file = <*.t>\n"
        L"lexClass:\n name = fold\n parent = top, fold, always\n start:tag = '('\n end:tag = ')'\n "
        L"Collapsable = 1\n"
        L"lexClass:\n name = always\n parent = top\n start:tag = '['\n end:tag = ']'\n Collapsable = 2\n");
    Buffer buffer = BufferWith({L"( )", L"[ (", L"x"}, L".t");
    ASSERT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    std::vector<CollapsibleBlock> blocks;
    ASSERT_TRUE(schema->GetCollapsibleBlocks(1, blocks, nullptr));
    EXPECT_TRUE(blocks.empty()) << "a block that ends on its own row does not fold";
    ASSERT_TRUE(schema->GetCollapsibleBlocks(2, blocks, nullptr));
    // Both blocks are closed by the text's end; only the class with Collapsable 2 folds such a block.
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].collapsedText, L"[..]");
    EXPECT_EQ(blocks[0].start, (LineCol{2, 0}));
}

// Whole-parse classes per column of rows first..last, against the on-screen parse's.
void ExpectOnScreenMatchesWholeParse(const LanguageSample& sample, int rowsParsedBefore, int first,
                                     int last) {
    const Rows rows = SampleRows(sample);
    Buffer whole = BufferWith(rows, sample.ext);
    SchemaPtr wholeSchema = ShippedSchema(sample.schema);
    ASSERT_EQ(FullParse(*wholeSchema, *whole), TextSchema::kDone);

    // The schema parsed only the rows before `rowsParsedBefore`; the rest came later.
    Buffer buffer = BufferWith(Rows(rows.begin(), rows.begin() + rowsParsedBefore), sample.ext);
    SchemaPtr schema = ShippedSchema(sample.schema);
    if (rowsParsedBefore > 0) {
        ASSERT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    }
    buffer = BufferWith(rows, sample.ext);

    OnScreenContext context;
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(buffer.get());
    ASSERT_TRUE(schema->OnScreenParse(it.get(), first, last, context));
    EXPECT_EQ(schema->GetChain().HeadBlock() ? schema->GetChain().HeadBlock()->endPos.row : 0,
              rowsParsedBefore > 0 ? rowsParsedBefore + 1 : 0)
        << "the schema's chain is left as it was";
    for (int row = first; row <= last; ++row) {
        const int length = buffer->GetLineTextLength(row);
        std::vector<const TextBlock*> want =
            InnermostPerColumn(wholeSchema->GetChain().HeadBlock().get(), row, length);
        std::vector<const TextBlock*> got = InnermostPerColumn(context.GetHeadBlock().get(), row, length);
        for (int col = 0; col < length; ++col)
            ASSERT_EQ(got[col] ? pw::Narrow(got[col]->lexClass->GetName()) : "-",
                      want[col] ? pw::Narrow(want[col]->lexClass->GetName()) : "-")
                << sample.folder << " " << row << "," << col;
        // Painting from the context's head gives the whole parse's colours.
        std::vector<RowRun> runs;
        ASSERT_TRUE(
            schema->GetRowRuns(*buffer, row, 0, 0, Defaults(), context.GetHeadBlock().get(), nullptr, runs));
        ExpectRunsMatchModel(runs, want, std::string(sample.folder) + " row " + std::to_string(row));
    }
}

TEST(OnScreenParse, RowsPastTheParsedPartGetTheClassesOfAWholeParse) {
    // C++: the parse reached row 3; the screen shows the function from its comment on.
    ExpectOnScreenMatchesWholeParse(kLanguageSamples[0], 3, 4, 18);
    // Nothing parsed at all: the screen at the top of the text.
    ExpectOnScreenMatchesWholeParse(kLanguageSamples[0], 0, 1, 12);
    // Python from its first row after the parsed part.
    const Rows python = SampleRows(kLanguageSamples[1]);
    ExpectOnScreenMatchesWholeParse(kLanguageSamples[1], 1, 2, static_cast<int>(python.size()));
}

TEST(OnScreenParse, AScreenStartingOnAnyRowOfAParsedTextMatchesTheWholeParse) {
    // The start is looked up from the block before the screen, nested however deep.
    for (const LanguageSample& sample : {kLanguageSamples[0], kLanguageSamples[1]}) {
        const int rows = static_cast<int>(SampleRows(sample).size());
        for (int first = 1; first <= rows; ++first)
            ExpectOnScreenMatchesWholeParse(sample, rows, first, std::min(first + 3, rows));
    }
}

TEST(OnScreenParse, BadRowsAndNoIteratorAreRefused) {
    Buffer buffer = BufferWith({L"int a;"}, L".cpp");
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(buffer.get());
    OnScreenContext context;
    EXPECT_FALSE(schema->OnScreenParse(nullptr, 1, 1, context));
    EXPECT_FALSE(schema->OnScreenParse(it.get(), 0, 1, context));
    EXPECT_FALSE(schema->OnScreenParse(it.get(), 1, -1, context));
    // Rows past the text: there is nothing to parse there.
    EXPECT_FALSE(schema->OnScreenParse(it.get(), 50, 60, context));
}

TEST(RowQueries, GiveTheirDefaultAnswersWhileAnotherThreadHoldsTheDataLock) {
    Buffer buffer = BufferWith(SampleRows(kLanguageSamples[0]), L".cpp");
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    ASSERT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    std::vector<CollapsibleBlock> blocks{{}};
    HoldingTheDataLock(*schema, [&] {
        std::vector<RowRun> runs;
        EXPECT_FALSE(schema->GetRowRuns(*buffer, 6, 0, 0, Defaults(), nullptr, nullptr, runs));
        EXPECT_EQ(runs, (std::vector<RowRun>{{0, buffer->GetLineTextLength(6), Defaults()}}));
        EXPECT_FALSE(schema->GetCollapsibleBlocks(11, blocks, nullptr));
        EXPECT_TRUE(blocks.empty());
        OnScreenContext context;
        pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(buffer.get());
        EXPECT_FALSE(schema->OnScreenParse(it.get(), 4, 10, context));
    });
    EXPECT_TRUE(schema->GetCollapsibleBlocks(11, blocks, nullptr));
    EXPECT_EQ(blocks.size(), 3u);
}

}  // namespace
