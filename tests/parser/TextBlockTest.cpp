#include "parser/TextBlock.h"

#include <gtest/gtest.h>

#include <vector>

#include "parser/BlockChainTesting.h"

namespace {

struct EndedRecorder : BlockEndedSink {
    std::vector<TextBlock*> ended;
    void BlockEnded(TextBlock& block) override { ended.push_back(&block); }
};

TEST(TextBlock, CloseDetachesAndReleasesEveryLink) {
    auto cls = MakeClass(L"brace");
    ChainBuilder chain;
    TextBlock* outer = chain.Add(cls, {1, 0}, {5, 0});
    TextBlock* inner = chain.Add(cls, {2, 0}, {3, 0}, outer);
    chain.Add(cls, {4, 0}, {4, 3}, outer);
    EXPECT_FALSE(inner->IsDetached());
    long classRefs = cls->RefCount();
    inner->Close();
    EXPECT_TRUE(inner->IsDetached());
    EXPECT_EQ(cls->RefCount(), classRefs - 1);
    // Positions stay: a holder of a detached block can still say where it was.
    EXPECT_EQ(inner->startPos, (LineCol{2, 0}));
    // Its neighbours still point at it until they are closed too; nothing else changed.
    EXPECT_EQ(outer->nextBlock.get(), inner);
    EXPECT_FALSE(outer->IsDetached());
}

TEST(TextBlock, SameClassComparesNamesIgnoringCase) {
    ChainBuilder chain;
    TextBlock* a = chain.Add(MakeClass(L"Comment"), {1, 0}, {1, 5});
    TextBlock* b = chain.Add(MakeClass(L"COMMENT"), {2, 0}, {2, 5});
    TextBlock* c = chain.Add(MakeClass(L"string"), {3, 0}, {3, 5});
    pw::RefPtr<TextBlock> none = pw::MakeRef<TextBlock>();
    EXPECT_TRUE(a->IsSameClass(*b));
    EXPECT_FALSE(a->IsSameClass(*c));
    EXPECT_FALSE(a->IsSameClass(*none));
    EXPECT_FALSE(none->IsSameClass(*none));
}

TEST(TextBlock, EnclosesOnlyEndedRangesWithin) {
    auto cls = MakeClass(L"x");
    ChainBuilder chain;
    TextBlock* outer = chain.Add(cls, {1, 0}, {9, 0});
    TextBlock* inner = chain.Add(cls, {1, 0}, {9, 0}, outer);
    TextBlock* open = chain.Add(cls, {2, 0}, {}, inner);
    TextBlock* after = chain.Add(cls, {8, 5}, {9, 1});
    EXPECT_TRUE(outer->Encloses(inner));  // equal ranges enclose each other
    EXPECT_TRUE(inner->Encloses(outer));
    EXPECT_FALSE(outer->Encloses(open));
    EXPECT_FALSE(open->Encloses(open));
    EXPECT_FALSE(outer->Encloses(after));
    EXPECT_FALSE(outer->Encloses(nullptr));
}

TEST(TextBlock, OpenBlockCoversEveryLaterRow) {
    ChainBuilder chain;
    TextBlock* ended = chain.Add(MakeClass(L"x"), {3, 4}, {5, 0});
    TextBlock* open = chain.Add(MakeClass(L"x"), {7, 0}, {});
    EXPECT_FALSE(ended->CoversRow(2));
    EXPECT_TRUE(ended->CoversRow(3));
    EXPECT_TRUE(ended->CoversRow(5));
    EXPECT_FALSE(ended->CoversRow(6));
    EXPECT_FALSE(open->CoversRow(6));
    EXPECT_TRUE(open->CoversRow(7));
    EXPECT_TRUE(open->CoversRow(0x7FFFFFFF));
}

TEST(TextBlock, PrevChildSkipsGrandchildrenAndStopsAtTheParent) {
    auto cls = MakeClass(L"x");
    ChainBuilder chain;
    TextBlock* before = chain.Add(cls, {1, 0}, {1, 2});
    TextBlock* p = chain.Add(cls, {2, 0}, {9, 0});
    TextBlock* c1 = chain.Add(cls, {3, 0}, {5, 0}, p);
    TextBlock* g1 = chain.Add(cls, {4, 0}, {4, 2}, c1);
    TextBlock* c2 = chain.Add(cls, {6, 0}, {6, 2}, p);
    before->parent = p;  // a block before the parent never counts as its child
    EXPECT_EQ(p->PrevChild(c2), c1);
    EXPECT_EQ(p->PrevChild(g1), c1);
    EXPECT_EQ(p->PrevChild(c1), nullptr);
    EXPECT_EQ(c1->PrevChild(g1), nullptr);
    EXPECT_EQ(p->PrevChild(nullptr), nullptr);
    before->parent.reset();
}

TEST(TextBlock, CloseOpenChildrenEndsOpenDescendantsOnly) {
    auto cls = MakeClass(L"x");
    ChainBuilder chain;
    TextBlock* p = chain.Add(cls, {1, 0}, {9, 3}, nullptr, 1, 2);
    TextBlock* a = chain.Add(cls, {2, 0}, {}, p);
    TextBlock* a1 = chain.Add(cls, {3, 0}, {3, 4}, a);
    TextBlock* a2 = chain.Add(cls, {4, 0}, {}, a);
    TextBlock* b = chain.Add(cls, {5, 0}, {6, 0}, p);
    TextBlock* b1 = chain.Add(cls, {5, 2}, {}, b);  // inside an ended child: left alone
    TextBlock* c = chain.Add(cls, {7, 0}, {}, p);

    EndedRecorder sink;
    EXPECT_EQ(p->CloseOpenChildren(&sink, 7), 3);
    // Last child first, each followed by its own descendants.
    EXPECT_EQ(sink.ended, (std::vector<TextBlock*>{c, a, a2}));
    for (TextBlock* closed : {a, a2, c}) {
        EXPECT_EQ(closed->endPos, (LineCol{9, 3}));
        EXPECT_EQ(closed->endTokenExtent, 2);
        EXPECT_EQ(closed->implicitEnd, 7);
    }
    EXPECT_EQ(a1->endPos, (LineCol{3, 4}));
    EXPECT_EQ(a1->implicitEnd, 0);
    EXPECT_EQ(b->endPos, (LineCol{6, 0}));
    EXPECT_TRUE(b1->IsOpen());

    // Everything is ended now: a second call changes nothing, and needs no sink.
    EXPECT_EQ(p->CloseOpenChildren(nullptr, 9), 0);
    EXPECT_EQ(a->implicitEnd, 7);
}

TEST(TextBlock, CloseOpenChildrenOfTenThousandNestedBlocks) {
    auto cls = MakeClass(L"brace");
    ChainBuilder chain;
    TextBlock* top = chain.Add(cls, {1, 0}, {20001, 0});
    TextBlock* parent = top;
    for (int32_t i = 1; i <= 10000; ++i) parent = chain.Add(cls, {i + 1, 0}, {}, parent);
    EndedRecorder sink;
    EXPECT_EQ(top->CloseOpenChildren(&sink, 1), 10000);
    ASSERT_EQ(sink.ended.size(), 10000u);
    EXPECT_EQ(sink.ended.front(), chain.Blocks()[1].get());
    EXPECT_EQ(sink.ended.back(), parent);
    EXPECT_EQ(parent->endPos, (LineCol{20001, 0}));
}

TEST(TextBlock, TraceTexts) {
    ChainBuilder chain;
    TextBlock* comment = chain.Add(MakeClass(L"comment"), {3, 5}, {4, 2});
    EXPECT_EQ(DescribeBlock(comment), L"(3,5 - 4,2) - comment");
    pw::RefPtr<TextBlock> bare = pw::MakeRef<TextBlock>();
    bare->startPos = {1, 0};
    EXPECT_EQ(DescribeBlock(bare.get()), L"(1,0 - 0,0) - (no class: detached)");
    bare->parent = comment;
    EXPECT_EQ(DescribeBlock(bare.get()), L"(1,0 - 0,0) - (no class)");
    bare->parent.reset();
    EXPECT_EQ(DescribeBlock(nullptr), L"(no block)");

    EXPECT_EQ(DescribeRange(LineCol{1, 0}, std::nullopt), L"All:(1,0 - NULL)");
    EXPECT_EQ(DescribeRange(std::nullopt, std::nullopt), L"Rest(NULL - NULL)");
    EXPECT_EQ(DescribeRange(LineCol{2, 7}, std::nullopt), L"Part:(2,7 - NULL)");
    EXPECT_EQ(DescribeRange(LineCol{1, 0}, LineCol{3, 1}), L"Part:(1,0 - 3,1)");
    EXPECT_EQ(DescribeRange(std::nullopt, LineCol{12, 0}), L"Part:(NULL - 12,0)");
}

}  // namespace
