#include "platform/FileSystem.h"
#include "platform/ModulePath.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/TempFolder.h"

namespace {

using pwtest::TempFolder;

// FILETIME units for a moment of the system clock, independently of the code under test.
int64_t FileTimeOf(std::chrono::system_clock::time_point when) {
    auto sinceUnix = std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
    return (static_cast<int64_t>(sinceUnix) + 11644473600) * 10000000;
}

TEST(FolderOf, KeepsTheFolderWithItsLastSeparator) {
    EXPECT_EQ(pw::FolderOf(L"C:\\ocx\\Penwright.dll"), L"C:\\ocx\\");
    EXPECT_EQ(pw::FolderOf(L"/usr/lib/penwright.so"), L"/usr/lib/");
    EXPECT_EQ(pw::FolderOf(L"a/b\\c.ini"), L"a/b\\");
    EXPECT_EQ(pw::FolderOf(L"dir\\"), L"dir\\");
    EXPECT_EQ(pw::FolderOf(L"Penwright.ini"), L"");
    EXPECT_EQ(pw::FolderOf(L""), L"");
}

TEST(FileInfo, DescribesAFileAFolderAndNothing) {
    TempFolder temp;
    auto file = temp.Write("data.bin", std::string(1234, 'x'));
    auto info = pw::GetFileInfo(file);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->isFolder);
    EXPECT_EQ(info->size, 1234u);
    // Just written, so its time lies near now; a wrong epoch or unit would be off by centuries.
    auto now = std::chrono::system_clock::now();
    EXPECT_GT(info->lastWriteTime, FileTimeOf(now - std::chrono::hours(24)));
    EXPECT_LT(info->lastWriteTime, FileTimeOf(now + std::chrono::hours(24)));
    EXPECT_TRUE(pw::FileExists(file));
    EXPECT_FALSE(pw::IsFolder(file));

    auto folder = pw::GetFileInfo(pwtest::ApiPath(temp.Folder()));
    ASSERT_TRUE(folder);
    EXPECT_TRUE(folder->isFolder);
    EXPECT_EQ(folder->size, 0u);
    EXPECT_TRUE(pw::IsFolder(pwtest::ApiPath(temp.Folder())));

    auto missing = temp.Path("missing.txt");
    EXPECT_FALSE(pw::GetFileInfo(missing));
    EXPECT_FALSE(pw::FileExists(missing));
    EXPECT_FALSE(pw::IsFolder(missing));
    EXPECT_FALSE(pw::GetFileInfo(L""));
}

TEST(FileInfo, SeesTheNewSizeAfterAChange) {
    TempFolder temp;
    auto file = temp.Write("grow.txt", "abc");
    auto before = pw::GetFileInfo(file);
    temp.Write("grow.txt", "abcdef");
    auto after = pw::GetFileInfo(file);
    ASSERT_TRUE(before && after);
    EXPECT_EQ(before->size, 3u);
    EXPECT_EQ(after->size, 6u);
    EXPECT_GE(after->lastWriteTime, before->lastWriteTime);
}

TEST(FileSystem, BackslashSeparatesFoldersEverywhere) {
    TempFolder temp;
    std::filesystem::create_directory(temp.Native("sub"));
    temp.Write("sub/inner.txt", "hello");
    auto path = pwtest::ApiPath(temp.Folder()) + L"\\sub\\inner.txt";
    auto info = pw::GetFileInfo(path);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->size, 5u);
    EXPECT_EQ(pw::ReadFileBytes(path), "hello");
}

// A NUL would cut the path short at the system call and so act on another file.
TEST(FileSystem, RefusesPathsWithANul) {
    TempFolder temp;
    auto file = temp.Write("victim", "keep");
    std::wstring withNul = file + std::wstring(1, L'\0') + L".tmp";
    EXPECT_FALSE(pw::IsPathUsable(withNul));
    EXPECT_FALSE(pw::IsPathUsable(L""));
    EXPECT_TRUE(pw::IsPathUsable(file));
    EXPECT_FALSE(pw::GetFileInfo(withNul));
    EXPECT_FALSE(pw::DeleteFilePath(withNul));
    EXPECT_FALSE(pw::WriteFileAtomic(withNul, "lost"));
    EXPECT_FALSE(pw::ReplaceFileAtomic(temp.Write("other", "x"), withNul));
    EXPECT_TRUE(pw::FullPath(withNul).empty());
    EXPECT_EQ(temp.Read("victim"), "keep");
}

TEST(FullPath, TakesRelativePathsFromTheCurrentFolder) {
    TempFolder temp;
    EXPECT_EQ(pw::ReadFileBytes(pw::FullPath(temp.Write("f.txt", "x"))), "x");
    std::wstring full = pw::FullPath(L"no-such-file.txt");
    EXPECT_TRUE(full.ends_with(L"no-such-file.txt"));
    EXPECT_NE(full, L"no-such-file.txt");
    EXPECT_TRUE(pw::IsFolder(pw::FolderOf(full)));
}

TEST(DeleteFilePath, RemovesFilesOnly) {
    TempFolder temp;
    auto file = temp.Write("gone.txt", "x");
    EXPECT_TRUE(pw::DeleteFilePath(file));
    EXPECT_FALSE(pw::FileExists(file));
    EXPECT_FALSE(pw::DeleteFilePath(file));  // already gone
    std::filesystem::create_directory(temp.Native("folder"));
    EXPECT_FALSE(pw::DeleteFilePath(temp.Path("folder")));
    EXPECT_TRUE(pw::IsFolder(temp.Path("folder")));
}

TEST(RenameFile, MovesToAFreeNameAndRefusesATakenOne) {
    TempFolder temp;
    auto from = temp.Write("from.txt", "moving");
    auto to = temp.Path("to.txt");
    ASSERT_TRUE(pw::RenameFile(from, to));
    EXPECT_FALSE(pw::FileExists(from));
    EXPECT_EQ(temp.Read("to.txt"), "moving");

    auto other = temp.Write("other.txt", "other");
    EXPECT_FALSE(pw::RenameFile(other, to));
    EXPECT_EQ(temp.Read("to.txt"), "moving");  // the existing target is untouched
    EXPECT_EQ(temp.Read("other.txt"), "other");

    EXPECT_FALSE(pw::RenameFile(temp.Path("missing.txt"), temp.Path("new.txt")));
    EXPECT_FALSE(pw::FileExists(temp.Path("new.txt")));
}

TEST(ReplaceFileAtomic, ReplacesAnExistingFileOrCreatesAMissingOne) {
    TempFolder temp;
    auto target = temp.Write("target.txt", "old content");
    auto source = temp.Write("source.tmp", "new");
    ASSERT_TRUE(pw::ReplaceFileAtomic(source, target));
    EXPECT_EQ(temp.Read("target.txt"), "new");
    EXPECT_FALSE(pw::FileExists(source));

    auto fresh = temp.Path("fresh.txt");
    ASSERT_TRUE(pw::ReplaceFileAtomic(temp.Write("fresh.tmp", "fresh"), fresh));
    EXPECT_EQ(temp.Read("fresh.txt"), "fresh");

    EXPECT_FALSE(pw::ReplaceFileAtomic(temp.Path("missing.tmp"), target));
    EXPECT_EQ(temp.Read("target.txt"), "new");
}

TEST(ReadFileBytes, ReadsEveryByteAndNothingElse) {
    TempFolder temp;
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes.push_back(static_cast<char>(i * 7));  // NULs, high bytes, > one chunk
    EXPECT_EQ(pw::ReadFileBytes(temp.Write("binary", bytes)), bytes);
    EXPECT_EQ(pw::ReadFileBytes(temp.Write("empty", "")), std::string());
    EXPECT_FALSE(pw::ReadFileBytes(temp.Path("missing")));
    EXPECT_FALSE(pw::ReadFileBytes(pwtest::ApiPath(temp.Folder())));
}

TEST(WriteFileAtomic, WritesNewAndReplacesOldLeavingNoTemporaryFile) {
    TempFolder temp;
    auto path = temp.Path("out.txt");
    ASSERT_TRUE(pw::WriteFileAtomic(path, std::string("first\0line", 10)));
    EXPECT_EQ(temp.Read("out.txt"), std::string("first\0line", 10));
    // The replacement keeps the permissions of the file it replaces.
    namespace fs = std::filesystem;
    fs::permissions(temp.Native("out.txt"), fs::perms::owner_read | fs::perms::owner_write);
    fs::perms before = fs::status(temp.Native("out.txt")).permissions();
    ASSERT_TRUE(pw::WriteFileAtomic(path, "second"));
    EXPECT_EQ(temp.Read("out.txt"), "second");
    EXPECT_EQ(fs::status(temp.Native("out.txt")).permissions(), before);
    ASSERT_TRUE(pw::WriteFileAtomic(path, ""));
    EXPECT_EQ(temp.Read("out.txt"), "");
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(temp.Folder())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(WriteFileAtomic, FailsCleanlyWhereNoFileCanBe) {
    TempFolder temp;
    EXPECT_FALSE(pw::WriteFileAtomic(temp.Path("no-such-folder/out.txt"), "x"));
    EXPECT_FALSE(std::filesystem::exists(temp.Native("no-such-folder")));
    // A folder in the way is not replaced by a file.
    std::filesystem::create_directory(temp.Native("busy"));
    temp.Write("busy/keep", "k");
    EXPECT_FALSE(pw::WriteFileAtomic(temp.Path("busy"), "x"));
    EXPECT_EQ(temp.Read("busy/keep"), "k");
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(temp.Folder())) ++files;
    EXPECT_EQ(files, 1);  // only the folder: the temporary file was removed
}

TEST(ModulePath, NamesTheFileThatHoldsOurCode) {
    auto path = pw::ModulePath();
    ASSERT_FALSE(path.empty());
    auto info = pw::GetFileInfo(path);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->isFolder);
    EXPECT_GT(info->size, 0u);
    EXPECT_TRUE(pw::IsFolder(pw::FolderOf(path)));
}

}  // namespace
