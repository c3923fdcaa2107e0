// Position updates against a plain model: random nested blocks over random rows, one random
// insert or delete, and for every block the place it must have afterwards. Blocks whose tokens
// the edit touched are emptied or reopened, blocks before the edit stay, and every other
// position after the edit moves with the text.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "parser/BlockChain.h"
#include "parser/BlockChainTesting.h"

namespace {

struct Original {
    LineCol start, end;
    int32_t startExtent, endExtent;
};

struct Scenario {
    std::vector<int32_t> rowLengths;
    std::vector<LineCol> positions;  // every position of the text, in order, line ends included
    ChainBuilder built;
    BlockChain chain;
    std::vector<Original> original;
};

int Rand(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

void Build(Scenario& sc, std::mt19937& rng) {
    int rows = Rand(rng, 1, 10);
    for (int r = 1; r <= rows; ++r) {
        sc.rowLengths.push_back(Rand(rng, 0, 25));
        for (int32_t c = 0; c <= sc.rowLengths.back(); ++c) sc.positions.push_back({r, c});
    }
    auto cls = MakeClass(L"b");
    auto rowLeft = [&](int index) {
        LineCol p = sc.positions[index];
        return sc.rowLengths[p.row - 1] - p.col + 1;
    };
    // Children of `parent` between position indices lo and hi, in document order.
    std::function<void(int, int, TextBlock*, int)> fill = [&](int lo, int hi, TextBlock* parent, int depth) {
        int count = depth > 4 ? 0 : Rand(rng, 0, 3);
        if (count == 0 || hi - lo + 1 < 2 * count)
            return;
        std::vector<int> picks;
        std::vector<int> all(hi - lo + 1);
        for (int i = 0; i < static_cast<int>(all.size()); ++i) all[i] = lo + i;
        std::sample(all.begin(), all.end(), std::back_inserter(picks), 2 * count, rng);
        for (int k = 0; k < count; ++k) {
            int first = picks[2 * k], last = picks[2 * k + 1];
            LineCol start = sc.positions[first], end = sc.positions[last];
            int32_t a = Rand(rng, 1, std::min({3, rowLeft(first), last - first}));
            int32_t b = Rand(rng, 0, std::min({3, end.col, last - first - a}));
            TextBlock* block = sc.built.Add(cls, start, end, parent, a, b);
            fill(first + a, last - b - 1, block, depth + 1);
        }
    };
    fill(0, static_cast<int>(sc.positions.size()) - 1, nullptr, 0);
    if (sc.built.Blocks().empty())
        return;

    // Sometimes the text ends inside blocks: the last top block and a run of last children.
    if (Rand(rng, 0, 2) == 0) {
        TextBlock* open = nullptr;
        for (auto& b : sc.built.Blocks()) {
            if (!b->parent)
                open = b.get();
        }
        while (open) {
            open->endPos = {};
            open->endTokenExtent = 0;
            open = Rand(rng, 0, 1) ? open->lastChild.get() : nullptr;
        }
    }
    for (auto& b : sc.built.Blocks())
        sc.original.push_back({b->startPos, b->endPos, b->startTokenExtent, b->endTokenExtent});
    sc.chain.SetHeadBlock(sc.built.Head());
}

TEST(BlockChainProperty, PositionUpdatesFollowTheText) {
    int checked = 0;
    for (uint32_t seed = 1; seed <= 4000; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        Scenario sc;
        Build(sc, rng);
        if (sc.built.Blocks().empty())
            continue;

        bool insert = Rand(rng, 0, 1) == 0;
        int n = static_cast<int>(sc.positions.size());
        LineCol s, e;
        if (insert) {
            s = sc.positions[Rand(rng, 0, n - 1)];
            e = Rand(rng, 0, 1) ? LineCol{s.row, s.col + Rand(rng, 1, 5)}
                                : LineCol{s.row + Rand(rng, 1, 3), Rand(rng, 0, 6)};
        } else {
            if (n < 2)
                continue;
            int i = Rand(rng, 0, n - 2);
            s = sc.positions[i];
            e = sc.positions[Rand(rng, i + 1, n - 1)];
        }
        LineCol x = insert ? s : e;
        // Where a position at or after the edit limit lies in the new text.
        auto moved = [&](LineCol p) -> LineCol {
            if (insert)
                return p.row == s.row ? LineCol{e.row, p.col - s.col + e.col}
                                      : LineCol{p.row + e.row - s.row, p.col};
            return p.row == e.row ? LineCol{s.row, p.col - e.col + s.col}
                                  : LineCol{p.row - (e.row - s.row), p.col};
        };

        int32_t result =
            sc.chain.UpdatePositions(s, e, insert ? BlockChain::kInserted : BlockChain::kDeleted);
        bool anyTouched = false;
        for (size_t i = 0; i < sc.original.size(); ++i) {
            const Original& o = sc.original[i];
            const TextBlock& b = *sc.built.Blocks()[i];
            bool open = !o.end.IsValid();
            LineCol startTokenEnd{o.start.row, o.start.col + o.startExtent};
            LineCol endTokenStart{o.end.row, o.end.col - o.endExtent};
            bool touched =
                insert ? (o.start < s && s < startTokenEnd) || (!open && endTokenStart < s && s <= o.end)
                       : (s < startTokenEnd && o.start < e) || (!open && endTokenStart < e && s <= o.end);
            anyTouched |= touched;
            SCOPED_TRACE(::testing::Message() << "block " << i << " edit " << (insert ? "+" : "-") << " "
                                              << s.row << "," << s.col << " - " << e.row << "," << e.col);
            if (touched) {
                EXPECT_EQ(b.startPos, o.start);
                bool emptied = b.endPos == LineCol{o.start.row, o.start.col - 1};
                EXPECT_TRUE(emptied || b.IsOpen()) << b.endPos.row << "," << b.endPos.col;
                continue;
            }
            EXPECT_EQ(b.startPos, o.start >= x ? moved(o.start) : o.start);
            if (open)
                EXPECT_TRUE(b.IsOpen());
            else
                EXPECT_EQ(b.endPos, endTokenStart >= x ? moved(o.end) : o.end);
        }
        EXPECT_EQ((result & BlockChain::kUpdateBlocksReset) != 0, anyTouched);
        ++checked;
        if (HasFailure())
            break;
    }
    EXPECT_GT(checked, 2500);  // texts without blocks are skipped
}

// Restart lookups one after another, as edits come, against a plain scan of the chain; now and
// then a block leaves the chain as a reparse would replace it, possibly the one the last lookup
// found.
TEST(BlockChainProperty, RestartLookupsMatchAScanOfTheChain) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        Scenario sc;
        Build(sc, rng);
        std::vector<TextBlock*> model;
        for (auto& b : sc.built.Blocks()) model.push_back(b.get());
        for (int step = 0; step < 40 && !model.empty(); ++step) {
            if (Rand(rng, 0, 4) == 0) {
                const size_t i = static_cast<size_t>(Rand(rng, 0, static_cast<int>(model.size()) - 1));
                pw::RefPtr<TextBlock> gone = model[i];
                if (gone->prevBlock)
                    gone->prevBlock->nextBlock = gone->nextBlock;
                else
                    sc.chain.SetHeadBlock(gone->nextBlock);
                if (gone->nextBlock)
                    gone->nextBlock->prevBlock = gone->prevBlock;
                gone->Close();
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            const LineCol pos = Rand(rng, 0, 9) == 0
                                    ? LineCol{0x7FFFFFFF, 0}
                                    : sc.positions[Rand(rng, 0, static_cast<int>(sc.positions.size()) - 1)];
            // The last block starting at or before pos, back to the first sharing its start.
            size_t k = 0;
            while (k + 1 < model.size() && model[k + 1]->startPos <= pos) ++k;
            while (k > 0 && model[k - 1]->startPos == model[k]->startPos) --k;
            EXPECT_EQ(sc.chain.RestartBlock(pos).get(), model[k]) << pos.row << "," << pos.col;
        }
        if (HasFailure())
            break;
    }
}

}  // namespace
