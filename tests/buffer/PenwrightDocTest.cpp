#include "buffer/PenwrightDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "buffer/BufferTesting.h"
#include "platform/Profile.h"
#include "platform/TempFolder.h"

namespace {

using Cause = pw::FileException::Cause;

// Installs a memory profile as the application's for the test's lifetime.
class DocTest : public testing::Test {
protected:
    DocTest() : previous_(pw::SetAppProfile(&profile_)) {}
    ~DocTest() override { pw::SetAppProfile(previous_); }

    // Collects the hints of the document's view updates in hints_.
    void WatchViews(CQELPenwrightDoc& doc) {
        doc.AddView([this](int hint) { hints_.push_back(hint); });
    }

    pw::MemoryProfile profile_;
    pw::Profile* previous_;
    std::vector<int> hints_;
    pwtest::TempFolder temp_;
};

size_t EntriesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST_F(DocTest, AutoReloadComesFromAndGoesToTheProfile) {
    EXPECT_EQ(CQELPenwrightDoc().GetAutoReload(), 0);
    profile_.WriteInt(L"Settings", L"AutoReload", 1);
    CQELPenwrightDoc doc;
    EXPECT_EQ(doc.GetAutoReload(), 1);

    EXPECT_TRUE(doc.SetAutoReload(0, false));
    EXPECT_EQ(profile_.ReadInt(L"Settings", L"AutoReload"), 1u);
    EXPECT_TRUE(doc.SetAutoReload(2, true));
    EXPECT_EQ(profile_.ReadInt(L"Settings", L"AutoReload"), 2u);

    profile_.failWrites = true;
    EXPECT_FALSE(doc.SetAutoReload(3, true));
    EXPECT_EQ(doc.GetAutoReload(), 3) << "kept though it could not be saved";
    pw::SetAppProfile(nullptr);
    EXPECT_FALSE(doc.SetAutoReload(4, true));
    EXPECT_EQ(CQELPenwrightDoc().GetAutoReload(), 0);
}

TEST_F(DocTest, NewDocumentIsOneEmptyUnmodifiedRow) {
    CQELPenwrightDoc doc;
    std::wstring path = temp_.Write("a.txt", "text");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.GetDataManager()->InsertText(L"x", 1, 1, true);
    WatchViews(doc);

    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(RowsOf(*doc.GetDataManager()), (Rows{L""}));
    EXPECT_FALSE(doc.GetDataManager()->IsModified());
    EXPECT_FALSE(doc.GetDataManager()->GetUndoManager().CanUndo());
    EXPECT_FALSE(doc.GetFileInfo());
    EXPECT_EQ(doc.GetPathName(), L"");
    EXPECT_EQ(hints_, (std::vector<int>{CQELPenwrightDoc::kHintWholeText}));
}

TEST_F(DocTest, OpenReadsTheFileAndItsEntry) {
    CQELPenwrightDoc doc;
    // Saved once before: the file just opened still counts as unmodified.
    doc.GetDataManager()->InsertText(L"old", 1, 1, true);
    ASSERT_TRUE(doc.OnSaveDocument(temp_.Path("old.txt")));
    WatchViews(doc);

    std::wstring path = temp_.Write("code.cpp", "int a;\nint b;\n");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(RowsOf(*doc.GetDataManager()), (Rows{L"int a;", L"int b;", L""}));
    EXPECT_EQ(doc.GetDataManager()->GetFileExt(), L".cpp");
    EXPECT_FALSE(doc.GetDataManager()->IsModified());
    EXPECT_EQ(doc.GetPathName(), path);
    ASSERT_TRUE(doc.GetFileInfo());
    EXPECT_EQ(doc.GetFileInfo()->size, 14u);
    EXPECT_EQ(hints_, (std::vector<int>{CQELPenwrightDoc::kHintWholeText}));
    EXPECT_FALSE(doc.GetLastFileError());
}

TEST_F(DocTest, FailedOpenKeepsTheTextAndTellsWhy) {
    CQELPenwrightDoc doc;
    std::wstring path = temp_.Write("a.txt", "mine");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    WatchViews(doc);

    std::wstring missing = temp_.Path("missing.txt");
    EXPECT_FALSE(doc.OnOpenDocument(missing));
    ASSERT_TRUE(doc.GetLastFileError());
    EXPECT_EQ(doc.GetLastFileError()->GetCause(), Cause::FileNotFound);
    EXPECT_EQ(doc.GetLastFileError()->GetPath(), missing);
    EXPECT_EQ(RowsOf(*doc.GetDataManager()), (Rows{L"mine"}));
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_TRUE(hints_.empty());

    EXPECT_FALSE(doc.OnOpenDocument(pwtest::ApiPath(temp_.Folder())));
    EXPECT_EQ(doc.GetLastFileError()->GetCause(), Cause::AccessDenied);
}

TEST_F(DocTest, SaveReplacesTheFileAndMarksTheTextSaved) {
    CQELPenwrightDoc doc;
    std::wstring path = temp_.Write("a.txt", "one\r\ntwo");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.GetDataManager()->InsertText(L"1", 2, 4, true);
    ASSERT_TRUE(doc.GetDataManager()->IsModified());
    WatchViews(doc);

    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(temp_.Read("a.txt"), "one\r\ntwo1");
    EXPECT_FALSE(doc.GetDataManager()->IsModified());
    ASSERT_TRUE(doc.GetFileInfo());
    EXPECT_EQ(doc.GetFileInfo()->size, 9u);
    EXPECT_EQ(hints_, (std::vector<int>{CQELPenwrightDoc::kHintWholeText}));
    EXPECT_EQ(EntriesIn(temp_.Folder()), 1u) << "no temporary file is left behind";

    // Save as: a new name and, with it, a new extension.
    std::wstring other = temp_.Path("b.js");
    EXPECT_TRUE(doc.OnSaveDocument(other));
    EXPECT_EQ(doc.GetPathName(), other);
    EXPECT_EQ(doc.GetDataManager()->GetFileExt(), L".js");
    EXPECT_EQ(temp_.Read("b.js"), "one\r\ntwo1");
}

TEST_F(DocTest, FailedSaveLeavesTheOldFileAndTheTextUnsaved) {
    CQELPenwrightDoc doc;
    std::wstring path = temp_.Write("a.txt", "old file");
    ASSERT_TRUE(doc.OnOpenDocument(path));
    auto info = doc.GetFileInfo();
    // A lone surrogate: no 8-bit code page has bytes for it.
    doc.GetDataManager()->InsertText(L"\xD83D", 1, 1, true);
    WatchViews(doc);

    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_TRUE(doc.GetLastFileError());
    EXPECT_EQ(doc.GetLastFileError()->GetCause(), Cause::Encoding);
    EXPECT_EQ(temp_.Read("a.txt"), "old file");
    EXPECT_EQ(EntriesIn(temp_.Folder()), 1u);
    EXPECT_TRUE(doc.GetDataManager()->IsModified());
    EXPECT_EQ(doc.GetFileInfo()->lastWriteTime, info->lastWriteTime);
    EXPECT_TRUE(hints_.empty());

    // As UTF-16 the same text can be saved.
    doc.GetDataManager()->SetUnicode(true);
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_FALSE(doc.GetLastFileError());
    EXPECT_EQ(temp_.Read("a.txt"), std::string("\xFF\xFE\x3D\xD8o\0l\0d\0 \0f\0i\0l\0e\0", 20));

    EXPECT_FALSE(doc.OnSaveDocument(temp_.Path("no/folder/a.txt")));
    EXPECT_EQ(doc.GetLastFileError()->GetCause(), Cause::FileNotFound);
    EXPECT_EQ(doc.GetPathName(), path);
}

TEST_F(DocTest, CloseEmptiesTheBufferButKeepsIt) {
    CQELPenwrightDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(temp_.Write("a.txt", "text")));
    pw::RefPtr<CQELPenwrightBufferManager> buffer = doc.GetDataManager();
    WatchViews(doc);
    doc.OnCloseDocument();
    EXPECT_EQ(doc.GetDataManager(), buffer.get());
    EXPECT_EQ(buffer->GetRowCount(), 0);
    doc.UpdateAllViews(5);
    EXPECT_TRUE(hints_.empty()) << "the views closed with the document";
}

TEST_F(DocTest, DataManagerIsHeldByReference) {
    CQELPenwrightDoc doc;
    Buffer first = MakeBuffer({L"first"});
    Buffer second = MakeBuffer({L"second"});
    doc.SetDataManager(first.get());
    EXPECT_EQ(first->RefCount(), 2);
    doc.SetDataManager(second.get());
    EXPECT_EQ(first->RefCount(), 1);
    EXPECT_EQ(second->RefCount(), 2);
    EXPECT_TRUE(doc.OnSaveDocument(temp_.Path("s.txt")));
    EXPECT_EQ(temp_.Read("s.txt"), "second");

    doc.SetDataManager(nullptr);
    EXPECT_EQ(second->RefCount(), 1);
    EXPECT_FALSE(doc.OnNewDocument());
    EXPECT_FALSE(doc.OnOpenDocument(temp_.Path("s.txt")));
    EXPECT_FALSE(doc.OnSaveDocument(temp_.Path("s.txt")));
    doc.OnCloseDocument();
}

TEST_F(DocTest, ViewsComeAndGo) {
    CQELPenwrightDoc doc;
    std::vector<int> seen;
    int first = doc.AddView([&](int hint) { seen.push_back(hint); });
    int second = doc.AddView([&](int hint) { seen.push_back(-hint); });
    doc.UpdateAllViews(3);
    doc.RemoveView(first);
    doc.UpdateAllViews(4);
    doc.RemoveView(second);
    doc.UpdateAllViews(5);
    EXPECT_EQ(seen, (std::vector<int>{3, -3, -4}));
}

TEST_F(DocTest, UpdateFileInfoFollowsTheFile) {
    CQELPenwrightDoc doc;
    EXPECT_TRUE(doc.UpdateFileInfo(temp_.Write("a.txt", "12345")));
    EXPECT_EQ(doc.GetFileInfo()->size, 5u);
    EXPECT_FALSE(doc.UpdateFileInfo(temp_.Path("gone.txt")));
    EXPECT_FALSE(doc.GetFileInfo());
}

}  // namespace
