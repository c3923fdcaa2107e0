// Parses of whole texts: a tiny language from schema text, and the shipped C++ schema.
#include "parser/TextSchema.h"

#include <gtest/gtest.h>

#include <vector>

#include "notify/NotificationSink.h"
#include "parser/ParseTesting.h"

namespace {

std::wstring Class(std::wstring_view name, std::initializer_list<std::wstring_view> lines) {
    std::wstring text = L"lexClass:\n\tname = " + std::wstring(name) + L"\n";
    for (std::wstring_view line : lines) text += L"\t" + std::wstring(line) + L"\n";
    return text + L"//:lexClass\n";
}

const std::wstring kTiny =
    Class(L"top", {L"parent:file = <*.t>"}) +
    Class(L"comment", {L"parent = top, block", L"start:tag = '/*'", L"end:tag = '*/'"}) +
    Class(L"block", {L"parent = top, block", L"start:tag = '{'", L"end:tag = '}'"}) +
    Class(L"line", {L"parent = top", L"start:tag = '#'", L"end:separators = @eol"}) +
    Class(L"word", {L"parent = top, block", L"token:tag = 'if', 'else'",
                    L"token:start:separators = ' ', '{', @eol", L"token:end:separators = ' ', '}', @eol"});

TEST(TextSchema, TinyLanguageNestsBlocksAsWritten) {
    SchemaPtr schema = SchemaFromText(kTiny);
    Buffer buffer = BufferWith({L"if {a /* x */ {else}}", L"#def", L"/* open", L"{ }"}, L".t");
    EXPECT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    EXPECT_EQ(DumpBlocks(*schema),
              "(1,0 - 5,0) - top\n"
              "  (1,0 - 1,1) - word\n"
              "  (1,3 - 1,20) - block\n"
              "    (1,6 - 1,12) - comment\n"
              "    (1,14 - 1,19) - block\n"
              "      (1,15 - 1,18) - word\n"
              "  (2,0 - 2,3) - line\n"
              "  (3,0 - 5,0) - comment\n");
    // The unterminated comment took the rest: no block inside it.
}

TEST(TextSchema, WrongExtensionOrEmptyTextGivesNoBlocks) {
    SchemaPtr schema = SchemaFromText(kTiny);
    Buffer other = BufferWith({L"{ /* */ }"}, L".x");
    EXPECT_EQ(FullParse(*schema, *other), TextSchema::kDone);
    EXPECT_EQ(DumpBlocks(*schema), "");
    Buffer empty = BufferWith({}, L".t");
    EXPECT_EQ(FullParse(*schema, *empty), TextSchema::kDone);
    EXPECT_EQ(DumpBlocks(*schema), "");
    EXPECT_EQ(schema->Run(1, nullptr, std::nullopt, std::nullopt, false), TextSchema::kFailed);
}

TEST(TextSchema, ShippedCppSchemaFindsCommentsStringsAndKeywords) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    Buffer buffer =
        BufferWith({L"#include <x>", L"int main() { // go", L"  return \"a\\\"b\" /* c */;", L"}"}, L".cpp");
    EXPECT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    EXPECT_EQ(DumpBlocks(*schema),
              "(1,0 - 5,0) - cpp\n"
              "  (1,0 - 1,11) - preprocessor\n"
              "  (2,0 - 2,2) - keyword\n"
              "  (2,11 - 4,0) - block\n"
              "    (2,13 - 2,17) - comment\n"
              "    (3,2 - 3,7) - keyword\n"
              "    (3,9 - 3,14) - string\n"
              "    (3,16 - 3,22) - comment_block\n");
}

// Records the events of a reported run, taking each ended block as the edit control does.
class Recorder : public CQELNotificationSink {
public:
    explicit Recorder(TextSchema& schema) : schema_(schema) {
        for (uint32_t code : {1u, 2u, 3u}) Advise(schema.GetEventSource(), code);
    }
    ~Recorder() override { UnadviseAll(); }
    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t, uint32_t) override {
        if (code == TextSchema::kBlockEndedEvent) {
            pw::RefPtr<TextBlock> block = schema_.TakeEndedBlock(wParam);
            log.push_back("2:" + (block ? pw::Narrow(block->lexClass->GetName()) : std::string("gone")));
        } else {
            log.push_back(std::to_string(code) + ":" + std::to_string(wParam));
        }
    }
    std::vector<std::string> log;

private:
    TextSchema& schema_;
};

TEST(TextSchema, ReportedRunSendsStartEveryEndedBlockAndFinish) {
    SchemaPtr schema = SchemaFromText(kTiny);
    Buffer buffer = BufferWith({L"{ /* */ }"}, L".t");
    Recorder recorder(*schema);
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(buffer.get());
    EXPECT_EQ(schema->RunWithEvents(1, it.get(), LineCol{1, 0}, std::nullopt, true), TextSchema::kDone);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"1:0", "2:comment", "2:block", "2:top", "3:512"}));
    // Taken blocks are gone from the table; a run without report sends nothing.
    EXPECT_FALSE(schema->TakeEndedBlock(reinterpret_cast<uintptr_t>(schema->GetChain().HeadBlock().get())));
    recorder.log.clear();
    pw::RefPtr<TextIterator> again = pw::MakeRef<TextIterator>(buffer.get());
    schema->RunWithEvents(1, again.get(), LineCol{1, 0}, std::nullopt, false);
    EXPECT_TRUE(recorder.log.empty());
}

TEST(TextSchema, CloneSharesNoClassesAndFileClassFollowsTheExtension) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    SchemaPtr clone = schema->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->GetName(), schema->GetName());
    ASSERT_FALSE(clone->GetClassSet().GetTree(0).empty());
    EXPECT_NE(clone->GetClassSet().GetTree(0)[0], schema->GetClassSet().GetTree(0)[0]);
    EXPECT_EQ(DumpBlocks(*clone), "");
    ASSERT_TRUE(clone->FileClass(L"dir.d/main.CPP"));
    EXPECT_EQ(clone->FileClass(L"x.hpp")->GetName(), L"cpp");
    EXPECT_FALSE(clone->FileClass(L"notes.txt"));
    EXPECT_FALSE(clone->FileClass(L""));

    // A setting given through a block of the clone changes the clone's class only.
    Buffer buffer = BufferWith({L"/* c */"}, L".cpp");
    ASSERT_EQ(FullParse(*clone, *buffer), TextSchema::kDone);
    pw::RefPtr<TextBlock> comment = clone->GetChain().HeadBlock()->nextBlock;
    ASSERT_TRUE(comment && comment->lexClass);
    ASSERT_EQ(comment->lexClass->GetName(), L"comment_block");
    EXPECT_TRUE(clone->SetBlockClassProperty(*comment, L"txt:Bold", LexValue::MakeNumber(1)));
    EXPECT_EQ(comment->lexClass->GetProperty(L"txt:Bold", false)->GetNumber(), 1);
    pw::RefPtr<LexClass> original = schema->GetClassSet().FindTemplate(L"comment_block");
    ASSERT_TRUE(original);
    pw::RefPtr<LexValue> bold = original->GetProperty(L"txt:Bold", false);
    EXPECT_TRUE(!bold || bold->GetNumber() != 1);
    EXPECT_FALSE(clone->SetBlockClassProperty(TextBlock(), L"txt:Bold", LexValue::MakeNumber(1)));
}

}  // namespace

namespace {

// Texts that push the parse to its limits end in a consistent chain: every block inside its
// parent, the chain in order, and the top block covering the whole text.
void ExpectConsistent(TextSchema& schema) {
    const TextBlock* prev = nullptr;
    int blocks = 0;
    for (pw::RefPtr<TextBlock> b = schema.GetChain().HeadBlock(); b; b = b->nextBlock, ++blocks) {
        ASSERT_EQ(b->prevBlock.get(), prev);
        ASSERT_FALSE(b->IsOpen());
        if (prev) {
            ASSERT_LE(prev->startPos, b->startPos);
        }
        if (b->parent) {
            ASSERT_TRUE(b->parent->Encloses(b.get()));
        }
        prev = b.get();
    }
    EXPECT_GT(blocks, 0);
}

TEST(TextSchemaLimits, TenThousandNestedBracesStopNestingAtTheDepthLimit) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    Buffer buffer = BufferWith({std::wstring(10000, L'{') + L" int " + std::wstring(10000, L'}')}, L".cpp");
    EXPECT_EQ(FullParse(*schema, *buffer), TextSchema::kDone);
    ExpectConsistent(*schema);
    int deepest = 0;
    for (pw::RefPtr<TextBlock> b = schema->GetChain().HeadBlock(); b; b = b->nextBlock)
        deepest = std::max(deepest, Depth(b.get()));
    EXPECT_EQ(deepest, TextSchema::kMaxBlockDepth - 1);
    // An edit deep inside reparses from there and still agrees with a whole parse.
    buffer->InsertText(L"/*", 1, 10001, false);
    schema->GetChain().UpdatePositions({1, 10000}, {1, 10002}, BlockChain::kInserted);
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(buffer.get());
    EXPECT_EQ(schema->Run(1, it.get(), LineCol{1, 10000}, LineCol{1, 10002}, false) & TextSchema::kEndMask,
              TextSchema::kDone);
    SchemaPtr reference = schema->Clone();
    FullParse(*reference, *buffer);
    EXPECT_EQ(DumpExact(*schema), DumpExact(*reference));
}

TEST(TextSchemaLimits, OneMegabyteRowAndAnOpenCommentOverManyRows) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    std::wstring row;
    for (int i = 0; row.size() < (1u << 20); ++i) row += L"x = \"s\" + 1; /* c */ ";
    Buffer wide = BufferWith({row}, L".cpp");
    EXPECT_EQ(FullParse(*schema, *wide), TextSchema::kDone);
    ExpectConsistent(*schema);

    Rows rows(100000, L"int a = 0; // not code");
    rows.front() = L"/* never closed";
    Buffer tall = BufferWith(rows, L".cpp");
    EXPECT_EQ(FullParse(*schema, *tall), TextSchema::kDone);
    EXPECT_EQ(DumpBlocks(*schema), "(1,0 - 100001,0) - cpp\n  (1,0 - 100001,0) - comment_block\n");
}

}  // namespace
