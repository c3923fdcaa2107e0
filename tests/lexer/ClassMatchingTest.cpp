// Classes compiled from schema text, run over a small buffer through a recording parse context.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "buffer/BufferTesting.h"
#include "buffer/TextIterator.h"
#include "lexer/LexClass.h"
#include "lexer/LexFileClass.h"
#include "lexer/LexParseContext.h"
#include "lexer/LexValue.h"
#include "lexer/SchemaReader.h"
#include "platform/CodePage.h"

namespace {

using ClassPtr = pw::RefPtr<LexClass>;
using Iterator = pw::RefPtr<TextIterator>;

struct FakeBlock {
    LexClass* cls;
    LineCol start;
    int startExtent;
    LineCol end;
    int endExtent;
    TextBlock* parent;
};

// Keeps the blocks a class creates, in creation order; the newest one is the most recent block.
class FakeContext : public LexParseContext {
public:
    TextBlock* CreateBlock(LexClass& cls, LineCol start, int startExtent) override {
        if (refuse)
            return nullptr;
        blocks.push_back({&cls, start, startExtent, {}, 0, parentOfNew});
        newest = Handle(blocks.back());
        return newest;
    }
    void SetBlockEnd(TextBlock& block, LineCol end, int endExtent) override {
        Get(block).end = end;
        Get(block).endExtent = endExtent;
    }
    LexClass* GetBlockClass(const TextBlock& block) const override { return Get(block).cls; }
    LineCol GetBlockStart(const TextBlock& block) const override { return Get(block).start; }
    int GetBlockStartExtent(const TextBlock& block) const override { return Get(block).startExtent; }
    LineCol GetBlockEnd(const TextBlock& block) const override { return Get(block).end; }
    int GetBlockEndExtent(const TextBlock& block) const override { return Get(block).endExtent; }
    TextBlock* GetBlockParent(const TextBlock& block) const override { return Get(block).parent; }
    TextBlock* GetNewestBlock() const override { return newest; }
    int RunChildren(LexClass& cls, TextIterator& it, TextBlock& parent) override {
        return children ? children(cls, it, parent) : 0;
    }

    static FakeBlock& Get(const TextBlock& block) {
        return *reinterpret_cast<FakeBlock*>(const_cast<TextBlock*>(&block));
    }
    static TextBlock* Handle(FakeBlock& block) { return reinterpret_cast<TextBlock*>(&block); }

    // "name start+extent..end+extent" per block, separated by blanks; rows and columns as r:c.
    std::string Describe() const {
        std::string out;
        auto at = [](LineCol p) { return std::to_string(p.row) + ":" + std::to_string(p.col); };
        for (const FakeBlock& b : blocks) {
            out += (out.empty() ? "" : " ") + pw::Narrow(b.cls->GetName()) + " " + at(b.start) + "+" +
                   std::to_string(b.startExtent) + ".." + at(b.end) + "+" + std::to_string(b.endExtent);
        }
        return out;
    }

    std::deque<FakeBlock> blocks;
    TextBlock* newest = nullptr;
    TextBlock* parentOfNew = nullptr;
    bool refuse = false;
    std::function<int(LexClass&, TextIterator&, TextBlock&)> children;
};

// The classes of schema text, each with its attributes applied in order and its indexes built.
std::vector<ClassPtr> Compile(const std::wstring& schema) {
    SchemaReader reader;
    reader.ParseText(schema);
    std::vector<ClassPtr> classes;
    for (const LexClassDef& def : reader.GetDefinitions()) {
        ClassPtr cls = pw::MakeRef<LexClass>();
        cls->SetName(def.name);
        for (const LexAttrDef& attr : def.attributes)
            EXPECT_EQ(cls->ApplyAttribute(attr), 1) << pw::Narrow(attr.FullName());
        cls->BuildIndexes();
        cls->BuildActiveTags();
        classes.push_back(cls);
    }
    return classes;
}

// One class named `name` from attribute lines.
ClassPtr One(const std::wstring& name, const std::wstring& attributes) {
    std::vector<ClassPtr> classes =
        Compile(L"lexClass:\n\tname = " + name + L"\n" + attributes + L"//:lexClass\n");
    EXPECT_EQ(classes.size(), 1u);
    return classes.empty() ? pw::MakeRef<LexClass>() : classes.front();
}

// A parse of one class at the top: the class is offered every position, and the position moves
// on by one wherever the class consumed nothing.
struct Scan {
    Scan(LexClass& cls, const Rows& rows, int backOffset = 0)
        : buffer(MakeBuffer(rows)), it(pw::MakeRef<TextIterator>(buffer.get(), backOffset)) {
        Drive(cls);
    }
    void Drive(LexClass& cls) {
        TextBlock* open = nullptr;
        for (int step = 0; !it->IsEOF(); ++step) {
            ASSERT_LT(step, 4'000'000) << "no progress";
            const int flags = cls.Run(it.get(), &ctx, open);
            if (flags & kRunEnded)
                open = nullptr;
            if (!(flags & kRunConsumed))
                it->Advance(1, 0);
        }
    }
    Buffer buffer;
    Iterator it;
    FakeContext ctx;
};

// The flags of one run of `cls` with no block open at `at`, and the position afterwards.
struct Step {
    Step(LexClass& cls, FakeContext& ctx, TextIterator& it, LineCol at) {
        EXPECT_TRUE(it.SeekTo(at));
        flags = cls.Run(&it, &ctx, open);
        after = it.GetPosition();
    }
    TextBlock* open = nullptr;
    int flags;
    LineCol after;
};

TEST(ClassMatching, StartTagsTryTheLongerTagFirstInEitherOrder) {
    for (const wchar_t* tags : {L"'/', '//'", L"'//', '/'"}) {
        ClassPtr op = One(L"op", L"\tstart:tag = " + std::wstring(tags) + L"\n");
        Buffer buffer = MakeBuffer({L"a//b/c"});
        Iterator it = pw::MakeRef<TextIterator>(buffer.get());
        FakeContext ctx;
        EXPECT_EQ(Step(*op, ctx, *it, {1, 0}).flags, 0);
        Step two(*op, ctx, *it, {1, 1});
        EXPECT_EQ(two.flags, kRunStarted | kRunConsumed);
        EXPECT_EQ(two.after, (LineCol{1, 3}));
        EXPECT_EQ(two.open, ctx.newest);
        EXPECT_EQ(Step(*op, ctx, *it, {1, 2}).after, (LineCol{1, 3}));
        EXPECT_EQ(Step(*op, ctx, *it, {1, 4}).after, (LineCol{1, 5}));
        EXPECT_EQ(ctx.Describe(), "op 1:1+2..0:0+0 op 1:2+1..0:0+0 op 1:4+1..0:0+0");
    }
}

TEST(ClassMatching, TokensAreTheLongestTagAndEndOnTheirLastCharacter) {
    ClassPtr kw = One(L"kw", L"\ttoken:tag = 'in', 'int'\n");
    Scan scan(*kw, {L"int inx", L"in"});
    EXPECT_EQ(scan.ctx.Describe(), "kw 1:0+3..1:2+2 kw 1:4+2..1:5+1 kw 2:0+2..2:1+1");
}

TEST(ClassMatching, TokenSeparatorsKeepKeywordsOutOfLongerWords) {
    ClassPtr kw = One(L"kw",
                      L"\ttoken:tag = 'if'\n"
                      L"\ttoken:start:separators = @specs, @eol, ' '\n"
                      L"\ttoken:end:separators = @specs, @eol, ' '\n");
    Scan scan(*kw, {L"if xif ifx (if) if", L"if"});
    EXPECT_EQ(scan.ctx.Describe(), "kw 1:0+2..1:1+1 kw 1:12+2..1:13+1 kw 1:16+2..1:17+1 kw 2:0+2..2:1+1");
}

TEST(ClassMatching, EndSeparatorsEndANumberWithoutConsumingTheSeparator) {
    ClassPtr number = One(L"number", L"\tstart:tag = @digit\n\tend:separators = @digit:not\n");
    Scan scan(*number, {L"x 123+4"});
    EXPECT_EQ(scan.ctx.Describe(), "number 1:2+1..1:4+0 number 1:6+1..1:6+0");

    Buffer buffer = MakeBuffer({L"12+"});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;
    Step start(*number, ctx, *it, {1, 0});
    ASSERT_EQ(start.flags, kRunStarted | kRunConsumed);
    EXPECT_EQ(number->Run(it.get(), &ctx, start.open), 0);
    it->Advance(1, 0);
    EXPECT_EQ(number->Run(it.get(), &ctx, start.open), kRunEnded | kRunConsumed);
    EXPECT_EQ(it->GetPosition(), (LineCol{1, 2}));
    EXPECT_EQ(ctx.Describe(), "number 1:0+1..1:1+0");
}

TEST(ClassMatching, ANulIsTextThatNoTagOrSetNames) {
    // A negated set takes it, so a number ends there; a string runs on past it.
    ClassPtr number = One(L"number", L"\tstart:tag = @digit\n\tend:separators = @digit:not\n");
    Scan numbers(*number, {std::wstring(L"x 1\0"
                                        L"23",
                                        6)});
    EXPECT_EQ(numbers.ctx.Describe(), "number 1:2+1..1:2+0 number 1:4+1..1:5+0");
    ClassPtr string = One(L"string", L"\tstart:tag = '\"'\n\tend:tag = '\"'\n");
    Scan strings(*string, {std::wstring(L"x \"a\0b\" \"\0\"", 11)});
    EXPECT_EQ(strings.ctx.Describe(), "string 1:2+1..1:6+0 string 1:8+1..1:10+0");
}

TEST(ClassMatching, SkipTagsKeepAStringOpenOverEscapedQuotes) {
    const std::wstring quoted = L"\tstart:tag = '\"'\n\tend:tag = '\"'\n";
    const Rows rows = {L"s = \"a\\\"b\" + \"c\""};
    ClassPtr plainString = One(L"string", quoted);
    Scan plain(*plainString, rows);
    EXPECT_EQ(plain.ctx.Describe(), "string 1:4+1..1:7+0 string 1:9+1..1:13+0 string 1:15+1..0:0+0");
    ClassPtr skippingString = One(L"string", quoted + L"\tskip:tag = '\\\\\"'\n");
    Scan skipping(*skippingString, rows);
    EXPECT_EQ(skipping.ctx.Describe(), "string 1:4+1..1:9+0 string 1:13+1..1:15+0");
    // An end tag of two characters: the end is its last character, one after where it began.
    ClassPtr commentClass = One(L"comment", L"\tstart:tag = '/*'\n\tend:tag = '*/'\n");
    Scan comment(*commentClass, {L"a /* b", L"c */ d"});
    EXPECT_EQ(comment.ctx.Describe(), "comment 1:2+2..2:3+1");
}

TEST(ClassMatching, PreviousTagsLookBackOverAnyNumberOfSeparators) {
    ClassPtr value = One(L"value",
                         L"\tprevious:tag = '='\n\tprevious:tag:separators = ' '\n"
                         L"\tstart:tag = @alpha\n\tend:separators = @alpha:not\n");
    for (int blanks = 0; blanks < 6; ++blanks) {
        Scan scan(*value, {L"a =" + std::wstring(blanks, L' ') + L"b", L"c=d", L"e f"});
        const std::string col = std::to_string(3 + blanks);
        EXPECT_EQ(scan.ctx.Describe(), "value 1:" + col + "+1..1:" + col + "+0 value 2:2+1..2:2+0") << blanks;
    }
    // Looking back stops at the iterator's back window rather than reading past it.
    const Rows far = {L"=" + std::wstring(40, L' ') + L"x"};
    EXPECT_EQ(Scan(*value, far, 20).ctx.blocks.size(), 0u);
    EXPECT_EQ(Scan(*value, far, 100).ctx.blocks.size(), 1u);
}

TEST(ClassMatching, CaseRulesFollowTheCaseSensitiveFlag) {
    const std::wstring tags = L"\ttoken:tag = 'Select'\n\ttoken:end:separators = ' ', @eol\n";
    const Rows rows = {L"select SELECT Select sElEcT"};
    ClassPtr foldedClass = One(L"kw", L"\tCaseSensitive = 0\n" + tags);
    Scan folded(*foldedClass, rows);
    EXPECT_EQ(folded.ctx.Describe(), "kw 1:0+6..1:5+5 kw 1:7+6..1:12+5 kw 1:14+6..1:19+5 kw 1:21+6..1:26+5");
    ClassPtr exactClass = One(L"kw", L"\tCaseSensitive = 1\n" + tags);
    Scan exact(*exactClass, rows);
    EXPECT_EQ(exact.ctx.Describe(), "kw 1:14+6..1:19+5");
    // A negated set in a token list makes every other character a token of its own.
    ClassPtr punct = One(L"punct", L"\ttoken:tag = 'if', @alpha:not\n");
    Buffer buffer = MakeBuffer({L"if(x)"});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;
    EXPECT_EQ(Step(*punct, ctx, *it, {1, 0}).after, (LineCol{1, 2}));
    EXPECT_EQ(Step(*punct, ctx, *it, {1, 2}).flags, kRunStarted | kRunEnded | kRunConsumed);
    EXPECT_EQ(Step(*punct, ctx, *it, {1, 3}).flags, 0);
    EXPECT_EQ(ctx.Describe(), "punct 1:0+2..1:1+1 punct 1:2+1..1:2+0");
    // Character sets compare exact characters whatever the class's case rule: "@alpha" is ASCII.
    ClassPtr word =
        One(L"word", L"\tCaseSensitive = 0\n\tstart:tag = @alpha\n\tend:separators = @alpha:not\n");
    EXPECT_EQ(Scan(*word, {L"\x00C9t\x00E9"}).ctx.Describe(), "word 1:1+1..1:1+0");
    // At the line end the stream adds after the last row, a token never ends before it starts.
    Buffer last = MakeBuffer({L"if"});
    Iterator atEnd = pw::MakeRef<TextIterator>(last.get());
    FakeContext endCtx;
    ASSERT_TRUE(atEnd->SeekTo({2, 0}));
    TextBlock* open = nullptr;
    ASSERT_EQ(punct->Run(atEnd.get(), &endCtx, open), kRunStarted | kRunEnded | kRunConsumed);
    EXPECT_GE(FakeContext::Get(*open).end, FakeContext::Get(*open).start);
    EXPECT_GE(FakeContext::Get(*open).endExtent, 0);
}

TEST(ClassMatching, AClassWithoutListsOpensAtTheFirstPositionAndNeverEndsByItself) {
    ClassPtr any = One(L"any", L"");
    ASSERT_TRUE(any->IsEmpty());
    Buffer buffer = MakeBuffer({L"abc"});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;
    Step step(*any, ctx, *it, {1, 2});
    EXPECT_EQ(step.flags, kRunStarted | kRunConsumed);
    EXPECT_EQ(step.after, (LineCol{1, 2}));
    EXPECT_EQ(any->Run(it.get(), &ctx, step.open), 0);
    EXPECT_EQ(ctx.Describe(), "any 1:2+0..0:0+0");

    // Start and end values that were all rejected leave conditions that can never hold.
    ClassPtr rejected = One(L"rejected", L"\tstart:tag = unquoted\n\tend:tag = unquoted\n");
    ASSERT_FALSE(rejected->IsGroupEmpty(LexClass::kStart));
    ASSERT_TRUE(rejected->GetConditionList(LexClass::kStartTag).empty());
    EXPECT_EQ(Step(*rejected, ctx, *it, {1, 0}).flags, 0);
    EXPECT_EQ(rejected->Run(it.get(), &ctx, step.open), 0);
}

TEST(ClassMatching, StartAndEndByTheClassOfTheMostRecentBlock) {
    std::vector<ClassPtr> classes = Compile(
        L"lexClass:\n\tname = outer\n//:lexClass\n"
        L"lexClass:\n\tname = mark\n//:lexClass\n"
        L"lexClass:\n\tname = follower\n\tstart:class = mark, outer\n\tend:class = mark\n"
        L"\tEnd:Class:Parent = this\n//:lexClass\n");
    ASSERT_EQ(classes.size(), 3u);
    LexClass& outer = *classes[0];
    LexClass& mark = *classes[1];
    LexClass& follower = *classes[2];
    ASSERT_TRUE(outer.AddChild(classes[2], false));
    Buffer buffer = MakeBuffer({L"0123456789"});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;

    // No recent block, or one of another class: no start.
    EXPECT_EQ(Step(follower, ctx, *it, {1, 5}).flags, 0);
    ctx.CreateBlock(follower, {1, 0}, 1);
    EXPECT_EQ(Step(follower, ctx, *it, {1, 5}).flags, 0);
    // The new block begins where the one found began; from a block not of the parent class 0x020 says so.
    ctx.CreateBlock(mark, {1, 2}, 3);
    EXPECT_EQ(Step(follower, ctx, *it, {1, 5}).flags, kRunStarted | kRunOutsideParent);
    ctx.CreateBlock(outer, {1, 1}, 2);
    Step inside(follower, ctx, *it, {1, 5});
    EXPECT_EQ(inside.flags, kRunStarted);
    EXPECT_EQ(inside.after, (LineCol{1, 5}));
    FakeBlock& open = FakeContext::Get(*inside.open);
    EXPECT_EQ(open.start, (LineCol{1, 1}));
    EXPECT_EQ(open.startExtent, 2);

    // Ending takes the end of a recent block of the end class that starts inside the open block
    // and, with End:Class:Parent, is its child.
    TextBlock* before = ctx.CreateBlock(mark, {1, 0}, 1);
    ctx.SetBlockEnd(*before, {1, 9}, 1);
    EXPECT_EQ(follower.Run(it.get(), &ctx, inside.open), 0);
    ctx.CreateBlock(mark, {1, 3}, 1);
    EXPECT_EQ(follower.Run(it.get(), &ctx, inside.open), 0);
    ctx.parentOfNew = inside.open;
    TextBlock* child = ctx.CreateBlock(mark, {1, 3}, 1);
    ctx.SetBlockEnd(*child, {1, 7}, 2);
    EXPECT_EQ(follower.Run(it.get(), &ctx, inside.open), kRunEnded | kRunConsumed);
    EXPECT_EQ(open.end, (LineCol{1, 7}));
    EXPECT_EQ(open.endExtent, 2);
    outer.Clear();
}

TEST(ClassMatching, BlocksThatCannotBeCreatedAndMissingArguments) {
    Buffer buffer = MakeBuffer({L"/x y"});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;
    ctx.refuse = true;
    ClassPtr any = One(L"any", L"");
    EXPECT_EQ(Step(*any, ctx, *it, {1, 0}).flags, 0x111);
    // After a start tag the position stays; after a token it has moved past the token.
    Step start(*One(L"op", L"\tstart:tag = '/'\n"), ctx, *it, {1, 0});
    EXPECT_EQ(start.flags, kRunStarted | kRunFailed);
    EXPECT_EQ(start.after, (LineCol{1, 0}));
    Step token(*One(L"kw", L"\ttoken:tag = 'x'\n"), ctx, *it, {1, 1});
    EXPECT_EQ(token.flags, 0x113);
    EXPECT_EQ(token.after, (LineCol{1, 2}));
    EXPECT_EQ(token.open, nullptr);
    EXPECT_TRUE(ctx.blocks.empty());

    TextBlock* open = nullptr;
    EXPECT_EQ(any->Run(nullptr, &ctx, open), 0x110);
    EXPECT_EQ(any->Run(it.get(), nullptr, open), 0x110);
    pw::RefPtr<LexFileClass> file = pw::MakeRef<LexFileClass>();
    EXPECT_EQ(file->Run(it.get(), nullptr, open), 0x110);
}

TEST(ClassMatching, ChildrenRunInsideTheOpenBlock) {
    ClassPtr statement = One(L"statement", L"\tend:tag = ';'\n");
    ASSERT_TRUE(statement->AddChild(One(L"word", L"\tstart:tag = @alpha\n"), false));
    Buffer buffer = MakeBuffer({L"ab;"});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;
    TextBlock* open = ctx.CreateBlock(*statement, {1, 0}, 0);
    int raised = 0;
    ctx.children = [&](LexClass& cls, TextIterator& at, TextBlock& parent) {
        EXPECT_EQ(&cls, statement.get());
        EXPECT_EQ(&parent, open);
        at.Advance(2, 0);
        return kRunStarted | kRunEnded | kRunConsumed | raised;
    };
    // The children's own start and end flags stay theirs; the block ends after them.
    EXPECT_EQ(statement->Run(it.get(), &ctx, open), kRunEnded | kRunConsumed);
    EXPECT_EQ(FakeContext::Get(*open).end, (LineCol{1, 2}));
    // A stop raised while the children ran is passed on before the block may end.
    raised = kRunStopped;
    it->SeekStart();
    FakeContext::Get(*open).end = {};
    EXPECT_EQ(statement->Run(it.get(), &ctx, open), kRunConsumed | kRunStopped);
    EXPECT_EQ(FakeContext::Get(*open).end, (LineCol{}));
    statement->Clear();
}

TEST(ClassMatching, FileClassesOpenForTheirExtensionsAndEndWithTheText) {
    std::vector<ClassPtr> compiled =
        Compile(L"lexClass:\n\tname = c\n\tparent:file = <*.c|*.h>\n//:lexClass\n");
    ASSERT_EQ(compiled.size(), 1u);
    pw::RefPtr<LexFileClass> file = pw::MakeRef<LexFileClass>();
    file->CopyFrom(*compiled[0]);
    Buffer buffer = MakeBuffer({L"int x;", L"y"});
    FakeContext ctx;
    buffer->SetFileExt(L".txt");
    EXPECT_EQ(Step(*file, ctx, *pw::MakeRef<TextIterator>(buffer.get()), {1, 0}).flags, 0);
    buffer->SetFileExt(L".H");
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    Step start(*file, ctx, *it, {1, 0});
    ASSERT_EQ(start.flags, kRunStarted | kRunConsumed);
    // Without children nothing happens inside; at the end of the text the block ends there.
    EXPECT_EQ(file->Run(it.get(), &ctx, start.open), 0);
    ASSERT_TRUE(file->AddChild(One(L"word", L"\tstart:tag = @alpha\n"), false));
    int step = 4;
    ctx.children = [&step](LexClass&, TextIterator& at, TextBlock&) {
        at.Advance(step, 0);
        return kRunStarted | kRunConsumed;
    };
    EXPECT_EQ(file->Run(it.get(), &ctx, start.open), kRunConsumed);
    step = 100;
    EXPECT_EQ(file->Run(it.get(), &ctx, start.open), kRunConsumed | kRunEnded);
    EXPECT_TRUE(it->IsEOF());
    EXPECT_EQ(ctx.Describe(), "c 1:0+0..3:0+0");
    EXPECT_EQ(file->Run(it.get(), &ctx, start.open), kRunEnded | kRunConsumed);
    file->Clear();
}

TEST(ClassMatching, TagListsAreOrderedLongestFirstThenSets) {
    ClassPtr exact =
        One(L"exact", L"\tCaseSensitive = 1\n\tstart:tag = 'a', @digit, 'abc'\n\tstart:tag = 'B', 'ab'\n");
    const LexValueList& tags = exact->GetConditionList(LexClass::kStartTag);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0]->GetStrings(), (std::vector<std::wstring>{L"abc", L"ab", L"a", L"B"}));
    EXPECT_EQ(tags[1]->GetKind(), LexValue::kCharSet);
    ClassPtr folded = One(L"folded", L"\tstart:tag = 'a', 'AB', 'B'\n");
    EXPECT_EQ(folded->GetConditionList(LexClass::kStartTag)[0]->GetStrings(),
              (std::vector<std::wstring>{L"B", L"AB", L"a"}));
}

TEST(ClassMatching, ActiveTagsGatherTheChildrenAndCutCycles) {
    std::vector<ClassPtr> classes = Compile(
        L"lexClass:\n\tname = a\n\tstart:tag = 'a<'\n\tend:tag = '>a'\n//:lexClass\n"
        L"lexClass:\n\tname = b\n//:lexClass\n"
        L"lexClass:\n\tname = c\n\tprevious:tag = 'p'\n\ttoken:tag = 'C'\n\tskip:tag = "
        L"'\\\\'\n//:lexClass\n");
    ASSERT_EQ(classes.size(), 3u);
    ClassPtr a = classes[0], b = classes[1], c = classes[2];
    // a contains c, and c contains a: a cycle the parent links do not show.
    ASSERT_TRUE(a->AddChild(c, false));
    ASSERT_TRUE(b->AddChild(c, true));
    ASSERT_TRUE(c->AddChild(a, false));
    ASSERT_TRUE(a->BuildActiveTags());
    auto strings = [](const LexClass& cls) {
        std::wstring out;
        for (const pw::RefPtr<LexValue>& group : cls.GetActiveTags())
            for (const std::wstring& s : group->GetStrings()) out += s + L" ";
        return out;
    };
    // c, met again below itself through a, adds its own start side: its previous tag and token.
    EXPECT_EQ(strings(*c), L"p C a< \\ ");
    EXPECT_EQ(c->GetActiveStartCount(), 3u);
    EXPECT_EQ(strings(*a), L"a< p C a< >a ");
    EXPECT_EQ(a->GetActiveStartCount(), 4u);
    // The index holds them lower-cased, for the parser's scan.
    EXPECT_EQ(a->GetActiveTagIndex().Find(L"c<", TagTrie::Mode::kShortest), 1u);
    EXPECT_EQ(a->GetActiveTagIndex().Find(L">A", TagTrie::Mode::kShortest), 2u);
    EXPECT_EQ(a->GetActiveTagIndex().Find(L"x", TagTrie::Mode::kShortest), 0u);
    b->Clear();
    a->Clear();
}

// The active index passes over a child's tags where the character before cannot let the child
// start: a token after a non-separator, a start tag after what its "previous:tag" does not hold.
// Looking back past separators, or at a class, allows any character; so do the class's own end tags.
TEST(ClassMatching, ActiveTagsBeginOnlyWhereTheirClassCanStart) {
    std::vector<ClassPtr> classes = Compile(
        L"lexClass:\n\tname = top\n\tend:tag = 'if'\n//:lexClass\n"
        L"lexClass:\n\tname = word\n\ttoken:tag = 'if', 'in'\n\ttoken:start:separators = ' ', @eol\n"
        L"\tprevious:tag = ' ', 'x('\n//:lexClass\n"
        L"lexClass:\n\tname = number\n\tstart:tag = @digit\n\tprevious:tag = '='\n//:lexClass\n"
        L"lexClass:\n\tname = spaced\n\tstart:tag = '#'\n\tprevious:tag = '='\n"
        L"\tprevious:tag:separators = ' '\n//:lexClass\n");
    ASSERT_EQ(classes.size(), 4u);
    for (size_t i = 1; i < classes.size(); ++i) ASSERT_TRUE(classes[0]->AddChild(classes[i], false));
    ASSERT_TRUE(classes[0]->BuildActiveTags());
    const TagTrie& index = classes[0]->GetActiveTagIndex();
    struct Case {
        const wchar_t* text;
        wchar_t before;
        size_t found;
    } cases[] = {
        {L"in ", L' ', 2},  {L"in ", L'(', 0},     // the token needs both: a separator that "previous" holds
        {L"in ", L'\n', 0}, {L"in ", L'a', 0},     // "\n" is a separator but no previous tag ends in it
        {L"if", L'a', 2},                          // the top class's own end tag
        {L"7", L'=', 1},    {L"7", L'a', 0},       // the number after "=" only
        {L"#", L'a', 1},                           // separators in between: anything may precede
        {L"7", L'\0', 1},   {L"in", L'\x416', 2},  // not known, or not ASCII: not ruled out
    };
    for (const Case& c : cases)
        EXPECT_EQ(index.Find(c.text, TagTrie::Mode::kShortest, c.before), c.found)
            << std::wstring(c.text) << " after " << static_cast<int>(c.before);
    for (const ClassPtr& cls : classes) cls->Clear();
}

// A parent's start table leaves out a child only where the child cannot start: each child run at
// each ASCII character that starts it has its bit, and a token class has none where no token
// begins.
TEST(ClassMatching, StartTablesKeepEveryClassThatCanStart) {
    std::vector<ClassPtr> classes = Compile(
        L"lexClass:\n\tname = top\n//:lexClass\n"
        L"lexClass:\n\tname = word\n\ttoken:tag = 'If', 'do'\n\ttoken:tag = @digit\n//:lexClass\n"
        L"lexClass:\n\tname = other\n\ttoken:tag = @specs:not\n//:lexClass\n"
        L"lexClass:\n\tname = hash\n\tstart:tag = '#'\n\tend:separators = @eol\n//:lexClass\n"
        L"lexClass:\n\tname = after\n\tprevious:tag = '='\n//:lexClass\n");
    ASSERT_EQ(classes.size(), 5u);
    ClassPtr top = classes[0];
    for (size_t i = 1; i < classes.size(); ++i) ASSERT_TRUE(top->AddChild(classes[i], false));
    top->BuildIndexes();
    for (wchar_t ch = 1; ch < 0x80; ++ch) {
        const uint64_t candidates = top->StartCandidates(0, ch);
        for (size_t i = 1; i < classes.size(); ++i) {
            Buffer buffer = MakeBuffer({std::wstring(L"=") + ch + L"f "});
            Iterator it = pw::MakeRef<TextIterator>(buffer.get());
            FakeContext ctx;
            if (Step(*classes[i], ctx, *it, {1, 1}).flags & kRunStarted) {
                EXPECT_TRUE(candidates >> (i - 1) & 1)
                    << pw::Narrow(classes[i]->GetName()) << " at " << int(ch);
            }
        }
    }
    EXPECT_EQ(top->StartCandidates(0, L'i') & 1, 1u);  // "If" in either case
    EXPECT_EQ(top->StartCandidates(0, L'x') & 1, 0u);
    EXPECT_EQ(top->StartCandidates(0, L'x') & 2, 2u);  // anything but the specials
    EXPECT_EQ(top->StartCandidates(0, L'x') & 8, 8u);  // no start group: anywhere
    top->Clear();
}

TEST(ClassMatching, LongRowsAndLongTags) {
    const std::wstring row = L"\"" + std::wstring(1 << 20, L'a') + L"\"";
    ClassPtr string = One(L"string", L"\tstart:tag = '\"'\n\tend:tag = '\"'\n\tskip:tag = @alpha\n");
    Scan scan(*string, {row});
    EXPECT_EQ(scan.ctx.Describe(), "string 1:0+1..1:" + std::to_string(row.size() - 1) + "+0");
    // A start tag longer than any window still matches forwards; looking back is bounded.
    ClassPtr head = One(L"head", L"\tstart:tag = '\"" + std::wstring(5000, L'a') + L"'\n");
    EXPECT_FALSE(head->BuildActiveTags());  // too long for the active-tag index, and said so
    Buffer buffer = MakeBuffer({row});
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    FakeContext ctx;
    EXPECT_EQ(Step(*head, ctx, *it, {1, 0}).after, (LineCol{1, 5001}));
    ClassPtr after = One(L"after", L"\tprevious:tag = '" + std::wstring(5000, L'a') + L"'\n");
    EXPECT_EQ(Step(*after, ctx, *it, {1, 6000}).flags, kRunStarted | kRunConsumed);
    EXPECT_EQ(Step(*after, ctx, *it, {1, 10}).flags, 0);
}

}  // namespace
