#include "parser/BlockChain.h"

#include <gtest/gtest.h>

#include <thread>

#include "parser/BlockChainTesting.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"

namespace {

constexpr LineCol kResume{0x7FFFFFFF, 0};

// A chain built by hand and handed to a BlockChain as its head.
struct Fixture {
    ChainBuilder built;
    BlockChain chain;
    pw::RefPtr<LexClass> cls = MakeClass(L"block");

    TextBlock* Add(LineCol start, LineCol end, TextBlock* parent = nullptr, int32_t startExtent = 1,
                   int32_t endExtent = 1) {
        TextBlock* b = built.Add(cls, start, end, parent, startExtent, endExtent);
        if (b == built.Head())
            chain.SetHeadBlock(b);
        return b;
    }
};

// A block whose destruction is counted.
struct CountedBlock : TextBlock {
    explicit CountedBlock(int& count) : count_(count) {}
    ~CountedBlock() override { ++count_; }
    int& count_;
};

TEST(BlockChain, EmptyChainAnswersNone) {
    BlockChain chain;
    EXPECT_FALSE(chain.HeadBlock());
    EXPECT_FALSE(chain.RestartBlock({1, 0}));
    EXPECT_FALSE(chain.RestartBlock(kResume));
    EXPECT_FALSE(chain.LastParsedBlock());
    EXPECT_FALSE(chain.NewestBlock());
    EXPECT_FALSE(chain.TakeEndedBlock(0));
    EXPECT_EQ(chain.UpdatePositions({1, 0}, {1, 5}, BlockChain::kInserted), 0);
    chain.ReleaseAll();
    EXPECT_TRUE(chain.CreateBlock()->IsDetached());
}

TEST(BlockChain, RestartBlockLookups) {
    Fixture f;
    TextBlock* a = f.Add({2, 0}, {9, 0});
    TextBlock* b = f.Add({3, 4}, {3, 9}, a);
    TextBlock* c1 = f.Add({5, 0}, {8, 0}, a);
    TextBlock* c2 = f.Add({5, 0}, {7, 0}, c1);
    f.Add({5, 0}, {5, 3}, c2);
    TextBlock* last = f.Add({12, 1}, {12, 4});

    EXPECT_EQ(f.chain.RestartBlock({1, 0}).get(), a);  // before every block: the head
    EXPECT_EQ(f.chain.RestartBlock({2, 0}).get(), a);
    EXPECT_EQ(f.chain.RestartBlock({3, 4}).get(), b);
    EXPECT_EQ(f.chain.RestartBlock({4, 99}).get(), b);
    EXPECT_EQ(f.chain.RestartBlock({5, 0}).get(), c1);  // the first of three sharing a start
    EXPECT_EQ(f.chain.RestartBlock({11, 0}).get(), c1);
    EXPECT_EQ(f.chain.RestartBlock(kResume).get(), last);
}

TEST(BlockChain, LastParsedMarkMovesForwardUnlessForced) {
    Fixture f;
    TextBlock* a = f.Add({1, 0}, {2, 0});
    TextBlock* b = f.Add({3, 0}, {4, 0});
    TextBlock* c = f.Add({5, 0}, {6, 0});
    f.chain.SetLastParsedBlock(b, false);
    f.chain.SetLastParsedBlock(a, false);
    EXPECT_EQ(f.chain.LastParsedBlock().get(), b);
    f.chain.SetLastParsedBlock(c, false);
    EXPECT_EQ(f.chain.LastParsedBlock().get(), c);
    f.chain.SetLastParsedBlock(a, true);
    EXPECT_EQ(f.chain.LastParsedBlock().get(), a);

    // While a parse builds, its newest block counts when it lies further on.
    f.chain.SetNewestBlock(b);
    EXPECT_EQ(f.chain.LastParsedBlock().get(), b);
    f.chain.SetLastParsedBlock(c, false);
    EXPECT_EQ(f.chain.LastParsedBlock().get(), c);
    f.chain.SetNewestBlock(nullptr);

    // A mark on a block that has been closed is no mark: it neither answers nor holds back.
    c->Close();
    EXPECT_FALSE(f.chain.LastParsedBlock());
    f.chain.SetLastParsedBlock(a, false);
    EXPECT_EQ(f.chain.LastParsedBlock().get(), a);
}

TEST(BlockChain, EndedBlocksAreHandedOverByKey) {
    Fixture f;
    TextBlock* a = f.Add({1, 0}, {2, 0});
    TextBlock* b = f.Add({3, 0}, {4, 0});
    uintptr_t ka = f.chain.HandOverEndedBlock(a);
    uintptr_t kb = f.chain.HandOverEndedBlock(b);
    EXPECT_NE(ka, 0u);
    EXPECT_NE(ka, kb);
    EXPECT_EQ(f.chain.TakeEndedBlock(0).get(), b);
    EXPECT_EQ(f.chain.TakeEndedBlock(ka).get(), a);
    EXPECT_FALSE(f.chain.TakeEndedBlock(ka));  // taken once
    f.chain.ClearEndedBlocks();
    EXPECT_FALSE(f.chain.TakeEndedBlock(kb));
    EXPECT_EQ(f.chain.TakeEndedBlock(0).get(), b);  // the last ended block outlives the table
    EXPECT_EQ(f.chain.HandOverEndedBlock(nullptr), 0u);
}

TEST(BlockChain, ReleaseAllFreesEveryBlock) {
    int destroyed = 0;
    constexpr int kBlocks = 20000;
    {
        BlockChain chain;
        ChainBuilder built;
        auto cls = MakeClass(L"brace");
        // Deeply nested and then side by side, with every mark and the hand-over table in use.
        TextBlock* parent = nullptr;
        for (int32_t i = 0; i < kBlocks; ++i) {
            bool nested = i < kBlocks / 2;
            parent = built.Append(pw::MakeRef<CountedBlock>(destroyed), cls, {i + 1, 0}, {},
                                  nested ? parent : nullptr, 1, 0);
        }
        chain.SetHeadBlock(built.Head());
        chain.SetNewestBlock(built.Blocks()[5]);
        chain.SetLastParsedBlock(built.Blocks()[7], true);
        chain.HandOverEndedBlock(built.Blocks()[9]);
        chain.HandOverEndedBlock(built.Blocks()[11]);
        // Only the chain holds them from here on.
        built.Forget();
        EXPECT_EQ(destroyed, 0);
        chain.ReleaseAll();
        EXPECT_EQ(destroyed, kBlocks);
        EXPECT_FALSE(chain.HeadBlock());
        EXPECT_FALSE(chain.LastParsedBlock());
        EXPECT_FALSE(chain.TakeEndedBlock(0));
    }
    EXPECT_EQ(destroyed, kBlocks);
}

TEST(BlockChain, ChainDestructionReleasesItsBlocks) {
    int destroyed = 0;
    {
        BlockChain chain;
        pw::RefPtr<TextBlock> a = pw::MakeRef<CountedBlock>(destroyed);
        pw::RefPtr<TextBlock> b = pw::MakeRef<CountedBlock>(destroyed);
        a->nextBlock = b;
        b->prevBlock = a;
        b->parent = a;
        a->lastChild = b;
        chain.SetHeadBlock(a);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(BlockChain, InheritEndsFromParentsAlongTheRange) {
    Fixture f;
    TextBlock* a = f.Add({1, 0}, {9, 0});
    TextBlock* b = f.Add({2, 0}, {}, a);
    TextBlock* c = f.Add({3, 0}, {}, b);  // takes b's end once b has taken a's
    TextBlock* d = f.Add({4, 0}, {}, c);
    TextBlock* top = f.Add({10, 0}, {});  // no parent: stays open
    f.chain.InheritEnds(a, c);
    EXPECT_EQ(b->endPos, (LineCol{9, 0}));
    EXPECT_EQ(c->endPos, (LineCol{9, 0}));
    EXPECT_TRUE(d->IsOpen());  // after `until`
    f.chain.InheritEnds(d, nullptr);
    EXPECT_EQ(d->endPos, (LineCol{9, 0}));
    EXPECT_TRUE(top->IsOpen());
}

TEST(BlockChain, RepairParentsAfterAReparse) {
    Fixture f;
    TextBlock* file = f.Add({1, 0}, {20, 0});
    TextBlock* fn = f.Add({2, 0}, {3, 0}, file);
    TextBlock* newest = f.Add({4, 0}, {4, 5}, file);
    TextBlock* inner = f.Add({6, 0}, {6, 4}, file);    // enclosed by `file` only
    TextBlock* loose = f.Add({21, 0}, {22, 0}, file);  // outside every block now
    TextBlock* kept = f.Add({23, 0}, {23, 1}, loose);  // parent alive: untouched
    TextBlock* top = f.Add({24, 0}, {24, 1});

    pw::RefPtr<TextBlock> oldParent = pw::MakeRef<TextBlock>();  // detached: closed by the reparse
    inner->parent = oldParent;
    loose->parent = oldParent;
    f.chain.SetNewestBlock(newest);

    const LineCol all{0x7FFFFFFF, 0};
    f.chain.RepairParents(f.chain.HeadBlock().get(), all);  // a reparse from the head repairs nothing
    EXPECT_EQ(inner->parent, oldParent);
    // Blocks after the bound are not looked at: the reparse knows no orphan lies there.
    f.chain.RepairParents(fn, {20, 0});
    EXPECT_EQ(inner->parent.get(), file);
    EXPECT_EQ(loose->parent, oldParent);
    f.chain.RepairParents(fn, all);
    EXPECT_FALSE(loose->parent);
    EXPECT_EQ(kept->parent.get(), loose);
    EXPECT_FALSE(top->parent);
    f.chain.SetNewestBlock(nullptr);

    // A block that gets a new parent after that parent's last child becomes its last child,
    // so that later walks over the parent's children find it.
    file->lastChild = newest;
    inner->parent = oldParent;
    f.chain.SetNewestBlock(newest);
    f.chain.RepairParents(fn, all);
    EXPECT_EQ(file->lastChild.get(), inner);
    EXPECT_EQ(file->PrevChild(inner), newest);
    f.chain.SetNewestBlock(nullptr);
}

TEST(BlockChain, LineBreakInsideStartTokenEmptiesTheBlock) {
    Fixture f;
    TextBlock* comment = f.Add({2, 4}, {5, 1}, nullptr, 2, 1);
    TextBlock* later = f.Add({7, 0}, {7, 3});
    int32_t r = f.chain.UpdatePositions({2, 5}, {3, 0}, BlockChain::kInserted);
    EXPECT_EQ(r, BlockChain::kUpdateBlocksReset | BlockChain::kUpdateRestartChanged);
    EXPECT_EQ(comment->startPos, (LineCol{2, 4}));
    EXPECT_EQ(comment->endPos, (LineCol{2, 3}));
    EXPECT_EQ(later->startPos, (LineCol{8, 0}));
    EXPECT_EQ(later->endPos, (LineCol{8, 3}));
}

TEST(BlockChain, BlockEmptiedAtColumnZeroStaysEmpty) {
    Fixture f;
    TextBlock* str = f.Add({2, 0}, {2, 8});
    EXPECT_EQ(f.chain.UpdatePositions({2, 0}, {2, 1}, BlockChain::kDeleted) & BlockChain::kUpdateBlocksReset,
              BlockChain::kUpdateBlocksReset);
    EXPECT_EQ(str->endPos, (LineCol{2, -1}));
    // Typing further along the row must not turn its end (one before column 0) into a real one.
    f.chain.UpdatePositions({2, 5}, {2, 7}, BlockChain::kInserted);
    EXPECT_EQ(str->endPos, (LineCol{2, -1}));
}

TEST(BlockChain, TypingInABodyShiftsOnlyThatRow) {
    Fixture f;
    TextBlock* outer = f.Add({1, 0}, {9, 0});
    TextBlock* str = f.Add({3, 2}, {3, 10}, outer);
    TextBlock* sameRow = f.Add({3, 12}, {3, 14}, outer);
    TextBlock* nextRow = f.Add({4, 0}, {4, 2}, outer);
    // Out of order on purpose: it would move if the walk went on past the first block that
    // lies entirely on other rows.
    TextBlock* beyond = f.Add({3, 20}, {3, 22}, outer);
    EXPECT_EQ(f.chain.UpdatePositions({3, 5}, {3, 8}, BlockChain::kInserted),
              BlockChain::kUpdateRestartChanged);  // its end moved
    EXPECT_EQ(outer->endPos, (LineCol{9, 0}));
    EXPECT_EQ(str->startPos, (LineCol{3, 2}));
    EXPECT_EQ(str->endPos, (LineCol{3, 13}));
    EXPECT_EQ(sameRow->startPos, (LineCol{3, 15}));
    EXPECT_EQ(sameRow->endPos, (LineCol{3, 17}));
    EXPECT_EQ(nextRow->startPos, (LineCol{4, 0}));
    EXPECT_EQ(beyond->startPos, (LineCol{3, 20}));
}

TEST(BlockChain, DeletingTheEndTokenReopensTheBlock) {
    Fixture f;
    TextBlock* comment = f.Add({1, 0}, {3, 1}, nullptr, 2, 1);
    TextBlock* after = f.Add({3, 4}, {3, 6});
    int32_t r = f.chain.UpdatePositions({2, 3}, {3, 2}, BlockChain::kDeleted);
    EXPECT_EQ(r, BlockChain::kUpdateBlocksReset | BlockChain::kUpdateRestartChanged);
    EXPECT_TRUE(comment->IsOpen());
    EXPECT_EQ(after->startPos, (LineCol{2, 5}));
    EXPECT_EQ(after->endPos, (LineCol{2, 7}));
}

TEST(BlockChain, OpenBlocksKeepNoEnd) {
    Fixture f;
    TextBlock* open = f.Add({1, 0}, {});
    TextBlock* inner = f.Add({2, 0}, {}, open);
    EXPECT_EQ(f.chain.UpdatePositions({1, 3}, {4, 0}, BlockChain::kInserted), 0);
    EXPECT_TRUE(open->IsOpen());
    EXPECT_TRUE(inner->IsOpen());
    EXPECT_EQ(inner->startPos, (LineCol{5, 0}));
}

TEST(BlockChain, UpdateTreatsADetachedParentAsAbsent) {
    Fixture f;
    TextBlock* a = f.Add({2, 0}, {2, 9});
    pw::RefPtr<TextBlock> gone = pw::MakeRef<TextBlock>();  // closed by an earlier reparse
    gone->startPos = {1, 0};
    gone->endPos = {2, 20};
    a->parent = gone;
    EXPECT_EQ(f.chain.UpdatePositions({2, 4}, {2, 6}, BlockChain::kInserted),
              BlockChain::kUpdateRestartChanged);
    EXPECT_EQ(a->endPos, (LineCol{2, 11}));
    EXPECT_EQ(gone->endPos, (LineCol{2, 20}));
}

TEST(BlockChain, RowsBeyondTheReachOfThirtyTwoBitPositions) {
    // Past row 524,287 row << 12 no longer fits 32 bits: edits around the rows where it would
    // change sign or wrap, and at the last row there is.
    for (int32_t base : {524285, 1048574, 3 * 1048576 - 3, 0x7FFFFFF9}) {
        SCOPED_TRACE(base);
        Fixture f;
        TextBlock* before = f.Add({base, 0}, {base + 1, 3});
        TextBlock* around = f.Add({base + 2, 0}, {base + 6, 0});
        TextBlock* after = f.Add({base + 4, 2}, {base + 4, 5}, around);
        int32_t r = f.chain.UpdatePositions({base + 3, 1}, {base + 3, 4}, BlockChain::kDeleted);
        EXPECT_EQ(r, BlockChain::kUpdateRestartChanged);
        EXPECT_EQ(before->endPos, (LineCol{base + 1, 3}));
        EXPECT_EQ(around->endPos, (LineCol{base + 6, 0}));
        EXPECT_EQ(after->startPos, (LineCol{base + 4, 2}));
        r = f.chain.UpdatePositions({base + 3, 1}, {base + 4, 0}, BlockChain::kDeleted);
        EXPECT_EQ(r, BlockChain::kUpdateRestartChanged);
        EXPECT_EQ(before->endPos, (LineCol{base + 1, 3}));
        EXPECT_EQ(around->endPos, (LineCol{base + 5, 0}));
        EXPECT_EQ(after->startPos, (LineCol{base + 3, 3}));
        EXPECT_EQ(after->endPos, (LineCol{base + 3, 6}));
    }
}

TEST(BlockChain, NonsenseEditsChangeNothing) {
    Fixture f;
    TextBlock* a = f.Add({2, 2}, {4, 0});
    // Characters written over lie on one row.
    for (auto [s, e, kind] :
         {std::tuple{LineCol{3, 0}, LineCol{2, 0}, 1}, std::tuple{LineCol{0, 0}, LineCol{2, 0}, 2},
          std::tuple{LineCol{1, -1}, LineCol{2, 0}, 1}, std::tuple{LineCol{1, 0}, LineCol{2, 0}, 4},
          std::tuple{LineCol{1, 0}, LineCol{2, 0}, 3}}) {
        EXPECT_EQ(f.chain.UpdatePositions(s, e, kind), 0);
        EXPECT_EQ(a->startPos, (LineCol{2, 2}));
        EXPECT_EQ(a->endPos, (LineCol{4, 0}));
    }
}

TEST(BlockChain, UpdateGivesUpWhenTheDataLockStaysTaken) {
    Fixture f;
    TextBlock* a = f.Add({2, 0}, {2, 5});
    pw::Event locked(pw::Event::Reset::Manual), release(pw::Event::Reset::Manual);
    std::thread parse([&] {
        pw::ScopedLock<pw::TimedMutex> lock(f.chain.DataLock());
        locked.Set();
        release.Wait();
    });
    locked.Wait();
    EXPECT_EQ(f.chain.UpdatePositions({1, 0}, {1, 3}, BlockChain::kInserted, 10),
              BlockChain::kUpdateNotLocked);
    EXPECT_EQ(a->startPos, (LineCol{2, 0}));
    release.Set();
    parse.join();
    EXPECT_EQ(f.chain.UpdatePositions({1, 0}, {2, 0}, BlockChain::kInserted, 10), 0);
    EXPECT_EQ(a->startPos, (LineCol{3, 0}));
}

}  // namespace
