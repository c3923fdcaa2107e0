#include "buffer/BufferManager.h"

#include <gtest/gtest.h>
#include <climits>
#include <string>
#include <vector>

#include "buffer/BufferTesting.h"
#include "notify/NotificationSink.h"
#include "platform/Profile.h"

TEST(BufferInsert, SplitsTheRowAtLineEnds) {
    Buffer b = MakeBuffer({L"xyzw"});
    LineCol end;
    EXPECT_TRUE(b->InsertText(L"a\r\nb", 1, 3, false, &end));
    EXPECT_EQ(RowsOf(*b), (Rows{L"xya", L"bzw"}));
    EXPECT_EQ(end, (LineCol{2, 2}));

    b = MakeBuffer({L"xy"});
    EXPECT_TRUE(b->InsertText(L"a\n", 1, 1, false, &end));
    EXPECT_EQ(RowsOf(*b), (Rows{L"a", L"xy"}));
    EXPECT_EQ(end, (LineCol{2, 1}));

    b = MakeBuffer({L"xy"});
    EXPECT_TRUE(b->InsertText(L"1\r2\n\r3\n4", 1, 2, false, &end));  // lone CR splits too
    EXPECT_EQ(RowsOf(*b), (Rows{L"x1", L"2", L"3", L"4y"}));
    EXPECT_EQ(end, (LineCol{4, 2}));
}

TEST(BufferInsert, EmptyTextCreatesTheRowAndKeepsThePosition) {
    Buffer b = MakeBuffer({});
    LineCol end;
    EXPECT_TRUE(b->InsertText(L"", 1, 1, false, &end));
    EXPECT_EQ(RowsOf(*b), (Rows{L""}));
    EXPECT_EQ(end, (LineCol{1, 1}));
    b = MakeBuffer({L"xyz"});
    EXPECT_TRUE(b->InsertText(L"", 1, 2, false, &end));
    EXPECT_EQ(RowsOf(*b), (Rows{L"xyz"}));
    EXPECT_EQ(end, (LineCol{1, 2}));
}

TEST(BufferInsert, OverwriteReplacesWithTheFirstLineOnly) {
    Buffer b = MakeBuffer({L"abcd"});
    b->SetOverwriteFlag(true);
    LineCol end;
    b->InsertText(L"XY", 1, 2, false, &end);
    EXPECT_EQ(RowsOf(*b), (Rows{L"aXYd"}));
    EXPECT_EQ(end, (LineCol{1, 4}));
    b->InsertText(L"Z", 1, 5, false, &end);  // at the end nothing is overwritten
    EXPECT_EQ(RowsOf(*b), (Rows{L"aXYdZ"}));
    b->InsertText(L"1\n2", 1, 2, false, &end);
    EXPECT_EQ(RowsOf(*b), (Rows{L"a1", L"2YdZ"}));
    b->InsertText(L"long text", 2, 3, false, &end);  // longer than the rest of the row
    EXPECT_EQ(RowsOf(*b), (Rows{L"a1", L"2Ylong text"}));
    EXPECT_TRUE(b->GetOverwriteFlag());
}

TEST(BufferInsertBlock, PutsEachLineAtTheSameDisplayColumn) {
    Buffer b = MakeBuffer({L"abcdef", L"\tx", L"a"});  // tab size 4: "\tx" is x at column 5
    LineCol end;
    EXPECT_TRUE(b->InsertTextBlock(L"12\r\n34\r\n56\r\n\r\n78", 1, 5, false, &end));
    EXPECT_EQ(RowsOf(*b), (Rows{L"abcd12ef", L"\t34x", L"a   56", L"    ", L"    78"}));
    EXPECT_EQ(end, (LineCol{5, 7}));

    b = MakeBuffer({L"abc", L"\tx"});
    EXPECT_TRUE(b->InsertTextBlock(L"1\n2", 1, 3, false, &end));  // column 3 falls inside the tab
    EXPECT_EQ(RowsOf(*b), (Rows{L"ab1c", L"\t2x"}));
    EXPECT_EQ(end, (LineCol{2, 3}));
    EXPECT_TRUE(b->InsertTextBlock(L"", 1, 1, false, &end));
    EXPECT_EQ(end, (LineCol{1, 1}));
}

TEST(BufferDelete, InDisplayColumns) {
    Buffer b = MakeBuffer({L"\tab", L"c\td"});
    EXPECT_TRUE(b->DeleteText(1, 6, 2, 3, false, true));  // display columns: after 'a'; inside the tab
    EXPECT_EQ(RowsOf(*b), (Rows{L"\tad"}));
}

TEST(BufferDelete, RangeReachingPastTheLastRow) {
    Buffer b = MakeBuffer({L"abc", L"def"});
    EXPECT_TRUE(b->DeleteText(1, 2, 9, 1, false));
    EXPECT_EQ(RowsOf(*b), (Rows{L"a"}));
    EXPECT_TRUE(b->DeleteText(1, 1, INT_MAX, 1, false));
    EXPECT_EQ(RowsOf(*b), (Rows{L""}));
    EXPECT_FALSE(b->DeleteText(1, 1, 3, 1, false));  // nothing left to delete
    EXPECT_FALSE(b->DeleteText(2, 1, 3, 1, false));
    EXPECT_FALSE(b->DeleteText(0, 1, 1, 1, false));
}

TEST(BufferRemoveRows, ClipsAtTheLastRow) {
    Buffer b = MakeBuffer({L"1", L"2", L"3", L"4"});
    EXPECT_TRUE(b->RemoveRows(2, false, 2));
    EXPECT_EQ(RowsOf(*b), (Rows{L"1", L"4"}));
    EXPECT_FALSE(b->RemoveRows(0, false, 1));
    EXPECT_TRUE(b->RemoveRows(2, false, INT_MAX));
    EXPECT_EQ(RowsOf(*b), (Rows{L"1"}));
    EXPECT_TRUE(b->RemoveRows(1, false));
    EXPECT_EQ(b->GetRowCount(), 0);
}

TEST(BufferGetText, StreamRanges) {
    Buffer b = MakeBuffer({L"ab\tc", L"def", L"ghi"});
    EXPECT_EQ(TextOf(*b, 1, 2, 1, 2), L"");
    EXPECT_EQ(TextOf(*b, 1, 2, 1, 5), L"b\t");  // display column 5 is the start of 'c'
    EXPECT_EQ(TextOf(*b, 1, 6, 1, 2), L"b\tc");
    EXPECT_EQ(TextOf(*b, 3, 2, 1, 5), L"c\r\ndef\r\ng");  // reversed ends
    EXPECT_EQ(TextOf(*b, 2, 1, 4, 1), L"def\r\nghi");     // no line end after the last row
    EXPECT_EQ(TextOf(*b, 2, 2, INT_MAX, 1), L"ef\r\nghi");
    b->SetCrlfStyle(CrlfStyle::Lf);
    EXPECT_EQ(TextOf(*b, 2, 1, 3, 9), L"def\nghi");
    pw::MemFile file;
    EXPECT_TRUE(b->GetText(2, 1, 3, 9, file, false, true));
    EXPECT_EQ(file.Text(), L"def\r\nghi");
    file.Clear();
    EXPECT_FALSE(b->GetText(0, 1, 1, 1, file, false, false));
    EXPECT_FALSE(b->GetText(4, 1, 9, 1, file, false, false));
    EXPECT_FALSE(MakeBuffer({})->GetText(1, 1, 1, 1, file, false, false));
    EXPECT_EQ(file.Size(), 0u);
}

TEST(BufferGetText, BlockPadsAndEndsEveryRow) {
    Buffer b = MakeBuffer({L"abcdef", L"ab", L"", L"abcd"});
    EXPECT_EQ(TextOf(*b, 1, 2, 4, 5, true), L"bcd\r\nb  \r\n   \r\nbcd\r\n");
    EXPECT_EQ(TextOf(*b, 4, 5, 1, 2, true), L"bcd\r\nb  \r\n   \r\nbcd\r\n");
    EXPECT_EQ(TextOf(*b, 3, 1, 9, 2, true), L" \r\na\r\n");  // rows past the last are not there
    pw::MemFile file;
    EXPECT_FALSE(b->GetText(1, 1, 2, INT_MAX, file, true, false));  // no gigabytes of blanks
    EXPECT_EQ(file.Size(), 0u);
}

TEST(BufferColumns, TabsAndVirtualSpace) {
    Buffer b = MakeBuffer({L"\tab"});
    EXPECT_EQ(b->CharIndexToDisplayCol(1, 1), 5);
    EXPECT_EQ(b->CharIndexToDisplayCol(1, 5), 9);  // past the end, one column each
    EXPECT_EQ(b->CharIndexToDisplayCol(1, -3), 1);
    EXPECT_EQ(b->DisplayColToCharIndex(1, 3), 1);  // inside the tab
    EXPECT_EQ(b->DisplayColToCharIndex(1, 7), 3);
    EXPECT_EQ(b->DisplayColToCharIndex(1, 9), 5);
    EXPECT_EQ(b->DisplayColToCharIndex(1, INT_MIN), 0);
    EXPECT_EQ(b->DisplayColToCharIndex(9, 4), 3);  // a missing row is all virtual space
    EXPECT_EQ(b->DisplayColToCharIndex(1, INT_MAX), INT_MAX - 4);
    EXPECT_EQ(b->CharIndexToDisplayCol(1, INT_MAX), INT_MAX);  // clamped, not wrapped

    EXPECT_EQ(b->RangeGrowthSize(1, 1), 1024u);
    EXPECT_EQ(b->RangeGrowthSize(INT_MIN, INT_MAX), 1024u);  // a range spans no more rows than there are
    b = MakeBuffer(Rows(200));
    EXPECT_EQ(b->RangeGrowthSize(100, 1), 3u * 1024);  // 99 rows * 30 bytes = 2970
}

class BufferProfile : public ::testing::Test {
protected:
    void SetUp() override { previous_ = pw::SetAppProfile(&profile_); }
    void TearDown() override { pw::SetAppProfile(previous_); }
    pw::MemoryProfile profile_;
    pw::Profile* previous_ = nullptr;
};

TEST_F(BufferProfile, TabSizeComesFromAndGoesToTheProfile) {
    EXPECT_EQ(MakeBuffer({})->GetTabSize(), 4);
    profile_.WriteInt(L"Settings", L"TabSize", 8);
    Buffer b = MakeBuffer({L"\tx"});
    EXPECT_EQ(b->GetTabSize(), 8);
    EXPECT_EQ(b->CharIndexToDisplayCol(1, 1), 9);

    EXPECT_TRUE(b->SetTabSize(3, true));
    EXPECT_EQ(profile_.GetInt(L"Settings", L"TabSize", 0), 3);
    EXPECT_TRUE(b->SetTabSize(2, false));
    EXPECT_EQ(profile_.GetInt(L"Settings", L"TabSize", 0), 3);
    profile_.failWrites = true;
    EXPECT_FALSE(b->SetTabSize(6, true));
    EXPECT_EQ(b->GetTabSize(), 6);  // kept although it could not be saved

    for (int bad : {0, -4, CQELPenwrightBufferManager::kMaxTabSize + 1}) {
        EXPECT_FALSE(b->SetTabSize(bad, false));
        EXPECT_EQ(b->GetTabSize(), 6);
    }
    profile_.failWrites = false;
    profile_.WriteInt(L"Settings", L"TabSize", 0);  // would divide by zero
    EXPECT_EQ(MakeBuffer({})->GetTabSize(), 4);
}

TEST(BufferSettings, SavingTabSizeWithoutProfileFails) {
    pw::Profile* previous = pw::SetAppProfile(nullptr);
    Buffer b = MakeBuffer({});
    EXPECT_FALSE(b->SetTabSize(5, true));
    EXPECT_EQ(b->GetTabSize(), 5);
    pw::SetAppProfile(previous);
}

TEST(BufferSettings, LineEndStyles) {
    Buffer b = MakeBuffer({L"ab"});
    EXPECT_EQ(b->GetLineEndText(), L"\r\n");
    b->SetCrlfStyle(CrlfStyle::LfCr);
    b->SetCrlfStyle(3);
    b->SetCrlfStyle(-1);
    EXPECT_EQ(b->GetCrlfStyle(), CrlfStyle::LfCr);
    EXPECT_EQ(b->GetLineEndText(7), L"\n\r");
    EXPECT_EQ(b->GetLineEndText(CrlfStyle::Lf), L"\n");
    EXPECT_EQ(b->GetLineText(1, true), L"ab\n\r");
    EXPECT_EQ(b->GetLineText(1, true, CrlfStyle::Lf), L"ab\n");
    EXPECT_EQ(b->GetLineText(1, true, 9), L"ab\r\n");
    EXPECT_EQ(b->GetLineTextLength(1, true), 4);
    EXPECT_EQ(b->GetLineTextLength(1, false), 2);
    EXPECT_EQ(b->GetLineText(2, true), L"");
    EXPECT_EQ(b->GetLineTextLength(0, true), 0);

    EXPECT_TRUE(b->IsLineEndAt(L"x\n\ry", 1, false));
    EXPECT_TRUE(b->IsLineEndAt(L"x\n\ry", 2, true));
    EXPECT_FALSE(b->IsLineEndAt(L"x\n\ry", 1, true));
    EXPECT_FALSE(b->IsLineEndAt(L"x\n", 1, false));  // cut off by the end of the text
    EXPECT_FALSE(b->IsLineEndAt(L"\r", 0, true));
    EXPECT_FALSE(b->IsLineEndAt(L"x\n\r", 99, false));
    EXPECT_FALSE(b->IsLineEndAt(L"x\n\r", SIZE_MAX, true));
}

TEST(BufferSettings, FileExtensionIgnoresCase) {
    Buffer b = MakeBuffer({});
    b->SetFileExt(L".cpp");
    b->SetFileExt(L".CPP");
    EXPECT_EQ(b->GetFileExt(), L".cpp");
    b->SetFileExt(L".h");
    EXPECT_EQ(b->GetFileExt(), L".h");
    EXPECT_EQ(b->GetCodePage(), 0);
}

TEST(BufferBadInput, RowsAndColumnsOutOfRange) {
    Buffer b = MakeBuffer({L"ab"});
    EXPECT_FALSE(b->InsertText(L"x", 0, 1, false));
    EXPECT_FALSE(b->InsertText(L"x", -5, 1, false));
    EXPECT_FALSE(b->InsertText(L"x", INT_MAX, 1, false));
    EXPECT_FALSE(b->InsertText(L"x", 1, INT_MAX, false));
    EXPECT_FALSE(b->InsertTextBlock(L"x", INT_MAX, 1, false));
    EXPECT_FALSE(b->InsertTextBlock(L"x", 1, INT_MAX, false));
    EXPECT_FALSE(b->InsertTextBlock(L"x", 0, 1, false));
    EXPECT_EQ(RowsOf(*b), (Rows{L"ab"}));
    LineCol end;
    EXPECT_TRUE(b->InsertText(L"x", 1, INT_MIN, false, &end));  // before the first column: at the start
    EXPECT_EQ(RowsOf(*b), (Rows{L"xab"}));
    EXPECT_EQ(end, (LineCol{1, 2}));
    EXPECT_EQ(b->GetLineText(INT_MIN), L"");
    EXPECT_EQ(b->GetLineTextLength(INT_MAX), 0);
}

TEST(BufferBadInput, MegabyteRow) {
    std::wstring row(1 << 20, L'a');
    for (size_t i = 0; i < row.size(); i += 1000) row[i] = L'\t';
    Buffer b = MakeBuffer({});
    LineCol end;
    EXPECT_TRUE(b->InsertText(row, 1, 1, false, &end));
    EXPECT_EQ(end, (LineCol{1, (1 << 20) + 1}));
    EXPECT_EQ(b->GetLineText(1), row);
    int lastCol = b->CharIndexToDisplayCol(1, 1 << 20);
    EXPECT_EQ(b->DisplayColToCharIndex(1, lastCol), 1 << 20);
    EXPECT_EQ(TextOf(*b, 1, 1, 1, lastCol), row);
    EXPECT_TRUE(b->InsertText(L"\r\n", 1, 500001, false));
    EXPECT_EQ(b->GetLineText(2), row.substr(500000));
    EXPECT_TRUE(b->DeleteText(1, 500001, 2, 1, false));
    EXPECT_EQ(b->GetLineText(1), row);
}

TEST(BufferLifecycle, RemoveAllAndCloseEmptyTheBuffer) {
    Buffer b = MakeBuffer({L"a", L"b"});
    b->RemoveAll();
    EXPECT_EQ(b->GetRowCount(), 0);
    b->InsertText(L"c", 1, 1, false);
    b->Close();
    EXPECT_EQ(b->GetRowCount(), 0);
    EXPECT_EQ(b->RefCount(), 1);
}

namespace {

// A configuration that records what the buffer asks of it and answers as told.
class FakeConfig : public BufferConfig {
public:
    bool SetConfigFile(const std::wstring& path) override {
        file = path;
        return true;
    }
    std::wstring GetConfigFile() const override { return file; }
    CQELNotificationConnection* GetEventSource() const override { return events.get(); }
    void Close() override {}
    bool InstallSchema(BufferParser&, const std::wstring& ext) override {
        calls.push_back(L"install " + ext);
        return installs;
    }
    void RemoveSchema(BufferParser&) override { calls.push_back(L"remove"); }
    void RequestFullParse(BufferParser&, CQELPenwrightBufferManager&) override { calls.push_back(L"parse"); }
    SchemaChange ApplyEvent(BufferParser&, const std::wstring& ext, uint32_t code, uintptr_t,
                            intptr_t) override {
        calls.push_back(L"event " + std::to_wstring(code) + L" " + ext);
        return change;
    }

    std::wstring file;
    bool installs = true;
    SchemaChange change = SchemaChange::kUnchanged;
    std::vector<std::wstring> calls;
    pw::RefPtr<CQELNotificationConnection> events = pw::MakeRef<CQELNotificationConnection>();
};

class NullParser : public BufferParser {
public:
    void CancelParse() override {}
    void TextChanged(LineCol, LineCol, int, CQELPenwrightBufferManager&) override {}
};

class ForwardedEvents : public CQELNotificationSink {
public:
    ~ForwardedEvents() override { UnadviseAll(); }
    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t) override {
        codes.push_back(code);
        EXPECT_EQ(wParam, 7u);
        EXPECT_EQ(lParam, 9);
    }
    std::vector<uint32_t> codes;
};

struct ConfiguredBuffer {
    ConfiguredBuffer() {
        buffer->SetParser(pw::MakeRef<NullParser>());
        buffer->SetConfigManager(config);
        for (uint32_t code : {10u, 11u, 12u}) forwarded.Advise(buffer->GetConnection(), code);
    }
    std::vector<std::wstring> TakeCalls() { return std::exchange(config->calls, {}); }

    Buffer buffer = MakeBuffer({L"text"});
    pw::RefPtr<FakeConfig> config = pw::MakeRef<FakeConfig>();
    ForwardedEvents forwarded;
};

using Calls = std::vector<std::wstring>;

}  // namespace

TEST(BufferConfiguration, WithoutConfigurationThereIsNoFile) {
    Buffer b = MakeBuffer({});
    b->SetConfigManager(nullptr);
    EXPECT_EQ(b->GetConfigFile(), L"");
    EXPECT_FALSE(b->SetConfigFile(L"Penwright.ini"));
}

TEST(BufferConfiguration, ExtensionAndColouringInstallTheSchema) {
    ConfiguredBuffer f;
    EXPECT_TRUE(f.buffer->SetConfigFile(L"x.ini"));
    EXPECT_EQ(f.buffer->GetConfigFile(), L"x.ini");
    f.buffer->SetFileExt(L".cpp");
    f.buffer->SetFileExt(L".CPP");  // the same extension: nothing to do
    EXPECT_EQ(f.TakeCalls(), (Calls{L"install .cpp"}));
    f.buffer->EnableSyntaxColoring(true);  // already on
    f.buffer->EnableSyntaxColoring(false);
    f.buffer->SetFileExt(L".h");  // remembered, installed when colouring comes back
    EXPECT_EQ(f.TakeCalls(), (Calls{L"remove"}));
    f.buffer->EnableSyntaxColoring(true);
    EXPECT_EQ(f.TakeCalls(), (Calls{L"install .h", L"parse"}));
    f.config->installs = false;  // no scheme claims it: nothing to parse
    f.buffer->EnableSyntaxColoring(false);
    f.buffer->EnableSyntaxColoring(true);
    EXPECT_EQ(f.TakeCalls(), (Calls{L"remove", L"install .h"}));
}

TEST(BufferConfiguration, EventsReachTheParserAndGoOnWhenTheSchemaChanged) {
    ConfiguredBuffer f;
    f.buffer->SetFileExt(L".js");
    f.TakeCalls();
    CQELNotificationConnection& source = *f.config->GetEventSource();

    f.config->change = BufferConfig::SchemaChange::kInstalled;
    source.SendEvent(10, 7, 9);
    f.config->change = BufferConfig::SchemaChange::kRemoved;
    source.SendEvent(12, 7, 9);
    f.config->change = BufferConfig::SchemaChange::kThemed;
    source.SendEvent(11, 7, 9);
    f.config->change = BufferConfig::SchemaChange::kUnchanged;
    source.SendEvent(10, 7, 9);
    EXPECT_EQ(f.TakeCalls(),
              (Calls{L"event 10 .js", L"parse", L"event 12 .js", L"event 11 .js", L"event 10 .js"}));
    EXPECT_EQ(f.forwarded.codes, (std::vector<uint32_t>{10, 12, 11}));

    // With colouring off the events are ignored.
    f.buffer->EnableSyntaxColoring(false);
    f.TakeCalls();
    f.config->change = BufferConfig::SchemaChange::kInstalled;
    source.SendEvent(12, 7, 9);
    EXPECT_TRUE(f.TakeCalls().empty());
    EXPECT_EQ(f.forwarded.codes.size(), 3u);

    // Another configuration: the old one's events no longer arrive.
    f.buffer->EnableSyntaxColoring(true);
    auto other = pw::MakeRef<FakeConfig>();
    f.buffer->SetConfigManager(other);
    f.TakeCalls();
    source.SendEvent(12, 7, 9);
    EXPECT_TRUE(f.TakeCalls().empty());
    other->GetEventSource()->SendEvent(12, 7, 9);
    EXPECT_EQ(other->calls, (Calls{L"event 12 .js"}));
    f.buffer->Close();
    other->GetEventSource()->SendEvent(12, 7, 9);  // closed: unsubscribed
    EXPECT_EQ(other->calls.size(), 1u);
}
