// Position updates against a plain model: random nested blocks over random rows, a few random
// inserts, deletes and replacements, and for every block the place it must have afterwards.
// Blocks whose tokens an edit touched are emptied or reopened and from then on only follow the
// text, blocks before an edit stay, and every other position after an edit moves with the text.
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
            // Now and then a start that takes no text, as a language's outermost block has.
            int32_t a = Rand(rng, Rand(rng, 0, 5) == 0 ? 0 : 1, std::min({3, rowLeft(first), last - first}));
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

// One edit of the text, in the positions of the text before it.
struct TextEdit {
    int kind;
    LineCol s, e;
    LineCol x() const { return kind == BlockChain::kInserted ? s : e; }
    // Where a position at or after the edit limit lies in the new text.
    LineCol Moved(LineCol p) const {
        if (kind == BlockChain::kReplaced)
            return p;
        if (kind == BlockChain::kInserted)
            return p.row == s.row ? LineCol{e.row, p.col - s.col + e.col}
                                  : LineCol{p.row + e.row - s.row, p.col};
        return p.row == e.row ? LineCol{s.row, p.col - e.col + s.col}
                              : LineCol{p.row - (e.row - s.row), p.col};
    }
    // The row lengths of the text after the edit; rows it inserts get random lengths.
    void Apply(std::vector<int32_t>& rows, std::mt19937& rng) const {
        if (kind == BlockChain::kReplaced)
            return;
        // What followed the edit on its last row in the old text.
        const int32_t tail =
            kind == BlockChain::kInserted ? rows[s.row - 1] - s.col : rows[e.row - 1] - e.col;
        if (kind == BlockChain::kInserted) {
            rows[s.row - 1] = s.row == e.row ? e.col + tail : s.col + Rand(rng, 0, 3);
            for (int32_t r = s.row + 1; r < e.row; ++r) rows.insert(rows.begin() + r - 1, Rand(rng, 0, 9));
            if (e.row > s.row)
                rows.insert(rows.begin() + e.row - 1, e.col + tail);
        } else {
            rows[s.row - 1] = s.col + tail;
            rows.erase(rows.begin() + s.row, rows.begin() + e.row);
        }
    }
};

std::vector<LineCol> Positions(const std::vector<int32_t>& rows) {
    std::vector<LineCol> positions;
    for (int32_t r = 1; r <= static_cast<int32_t>(rows.size()); ++r)
        for (int32_t c = 0; c <= rows[r - 1]; ++c) positions.push_back({r, c});
    return positions;
}

TextEdit RandomEdit(std::mt19937& rng, const std::vector<int32_t>& rows) {
    const std::vector<LineCol> positions = Positions(rows);
    const int n = static_cast<int>(positions.size());
    TextEdit edit{Rand(rng, BlockChain::kInserted, BlockChain::kReplaced), {}, {}};
    if (edit.kind == BlockChain::kInserted || n < 2) {
        edit.kind = BlockChain::kInserted;
        edit.s = positions[Rand(rng, 0, n - 1)];
        edit.e = Rand(rng, 0, 1) ? LineCol{edit.s.row, edit.s.col + Rand(rng, 1, 5)}
                                 : LineCol{edit.s.row + Rand(rng, 1, 3), Rand(rng, 0, 6)};
        return edit;
    }
    const int i = Rand(rng, 0, n - 2);
    edit.s = positions[i];
    edit.e = positions[Rand(rng, i + 1, n - 1)];
    // What is written over stays on its row.
    if (edit.kind == BlockChain::kReplaced)
        edit.e = {edit.s.row,
                  std::min(edit.e.row == edit.s.row ? edit.e.col : rows[edit.s.row - 1], edit.s.col + 3)};
    return edit;
}

// What a block must be after the edits: where it starts and ends (invalid while open), and
// whether an edit emptied it. An emptied block only follows the text from then on.
struct Expected {
    LineCol start, end;
    int32_t startExtent, endExtent;
    bool emptied = false;
};

// Applies `edit` to the model of one block; answers whether the update reports it reset.
bool Follow(Expected& b, const TextEdit& edit) {
    const LineCol s = edit.s, e = edit.e, x = edit.x();
    const bool deleted = edit.kind == BlockChain::kDeleted;
    if (b.emptied) {
        // Within deleted text a block begins where that text was.
        if (deleted && s < b.start && b.start < e) {
            b.start = s;
            return true;
        }
        if (b.start >= x)
            b.start = edit.Moved(b.start);
        return false;
    }
    if (b.start < x && s < LineCol{b.start.row, b.start.col + b.startExtent}) {
        b.emptied = true;
        if (deleted && b.start > s)
            b.start = s;
        return true;
    }
    const bool open = !b.end.IsValid();
    const LineCol endTokenStart{b.end.row, b.end.col - b.endExtent};
    if (!open && endTokenStart < x && s <= b.end) {
        b.end = {};
        return true;
    }
    // At an insertion point a start that takes no text stays before the new text.
    if (b.start > x || (b.start == x && (edit.kind != BlockChain::kInserted || b.startExtent > 0)))
        b.start = edit.Moved(b.start);
    if (!open && endTokenStart >= x)
        b.end = edit.Moved(b.end);
    return false;
}

// Random nested blocks over random rows, then one to four random inserts, deletes and
// replacements made one after another, as they come before a reparse.
TEST(BlockChainProperty, PositionUpdatesFollowTheText) {
    int checked = 0;
    for (uint32_t seed = 1; seed <= 4000; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        Scenario sc;
        Build(sc, rng);
        if (sc.built.Blocks().empty())
            continue;
        std::vector<Expected> model;
        for (const Original& o : sc.original) model.push_back({o.start, o.end, o.startExtent, o.endExtent});

        for (int edits = Rand(rng, 1, 4); edits > 0; --edits) {
            const TextEdit edit = RandomEdit(rng, sc.rowLengths);
            SCOPED_TRACE(::testing::Message() << "edit " << edit.kind << " " << edit.s.row << ","
                                              << edit.s.col << " - " << edit.e.row << "," << edit.e.col);
            bool anyReset = false;
            for (Expected& b : model) anyReset |= Follow(b, edit);
            const int32_t result = sc.chain.UpdatePositions(edit.s, edit.e, edit.kind);
            EXPECT_EQ((result & BlockChain::kUpdateBlocksReset) != 0, anyReset);
            edit.Apply(sc.rowLengths, rng);
        }

        const TextBlock* prev = nullptr;
        for (size_t i = 0; i < model.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "block " << i);
            const Expected& m = model[i];
            const TextBlock& b = *sc.built.Blocks()[i];
            EXPECT_EQ(b.startPos, m.start);
            if (m.emptied)
                EXPECT_EQ(b.endPos, (LineCol{m.start.row, m.start.col - 1}));
            else if (!m.end.IsValid())
                EXPECT_TRUE(b.IsOpen());
            else
                EXPECT_EQ(b.endPos, m.end);
            // The chain stays in text order, so that the next lookup and reparse find their way.
            if (prev) {
                EXPECT_LE(prev->startPos, b.startPos);
            }
            prev = &b;
        }
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
