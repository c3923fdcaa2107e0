#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "FileExceptionTesting.h"
#include "platform/DiskFile.h"
#include "platform/FileException.h"
#include "platform/MemFile.h"
#include "platform/TempFolder.h"

namespace {

using Cause = pw::FileException::Cause;
using pwtest::CauseOf;
using Mode = pw::DiskFile::Mode;

std::string RandomBytes(std::mt19937& random, size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

size_t EntriesIn(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Reads and seeks in any order must see exactly the file's bytes, across the read-ahead's edges
// and with reads larger than it.
TEST(DiskFile, RandomReadsAndSeeksMatchTheFile) {
    pwtest::TempFolder temp;
    std::mt19937 random(7);
    std::string content = RandomBytes(random, 300 * 1024 + 17);
    pw::DiskFile file(temp.Write("data.bin", content), Mode::Read);
    EXPECT_EQ(file.Length(), content.size());
    EXPECT_EQ(file.PathName(), temp.Path("data.bin"));

    uint64_t position = 0;
    std::string buffer;
    for (int step = 0; step < 2000; ++step) {
        if (random() % 3 == 0) {
            position = random() % (content.size() + 100);
            file.Seek(position);
        }
        size_t want = random() % 4 == 0 ? random() % 200000 : random() % 300;
        buffer.assign(want, '\0');
        size_t got = file.Read(buffer.data(), want);
        size_t expected = position >= content.size() ? 0 : std::min(want, content.size() - position);
        ASSERT_EQ(got, expected) << "step " << step;
        ASSERT_EQ(buffer.substr(0, got), content.substr(std::min<size_t>(position, content.size()), got));
        position += got;
        ASSERT_EQ(file.Position(), position);
    }
}

TEST(DiskFile, ReplacementTakesThePlaceOfTheFileOnlyAtCommit) {
    pwtest::TempFolder temp;
    std::wstring path = temp.Write("doc.txt", "old text");
    std::mt19937 random(3);
    std::string content = RandomBytes(random, 100000);
    {
        pw::DiskFile file(path, Mode::Replace);
        EXPECT_EQ(file.PathName(), path);
        file.Write(content.data(), 60000);
        file.Write(content.data() + 60000, content.size() - 60000);
        EXPECT_EQ(file.Length(), content.size());
        EXPECT_EQ(temp.Read("doc.txt"), "old text");
        file.Commit();
    }
    EXPECT_EQ(temp.Read("doc.txt"), content);
    EXPECT_EQ(EntriesIn(temp.Folder()), 1u);

    {
        pw::DiskFile file(temp.Path("new.txt"), Mode::Replace);  // nothing to replace yet
        file.Write("abc", 3);
        file.Commit();
    }
    EXPECT_EQ(temp.Read("new.txt"), "abc");
}

TEST(DiskFile, ReplacementGivenUpLeavesTheFileAndNoTrace) {
    pwtest::TempFolder temp;
    std::wstring path = temp.Write("doc.txt", "old text");
    {
        pw::DiskFile file(path, Mode::Replace);
        file.Write("new", 3);
    }
    EXPECT_EQ(temp.Read("doc.txt"), "old text");
    EXPECT_EQ(EntriesIn(temp.Folder()), 1u);

    // The target turned into a folder while the replacement was written: the move fails, the
    // folder stays, and the replacement goes.
    std::wstring folder = temp.Path("gone.txt");
    {
        pw::DiskFile file(folder, Mode::Replace);
        file.Write("new", 3);
        std::filesystem::create_directory(temp.Native("gone.txt"));
        std::ofstream(temp.Native("gone.txt") / "inside") << "x";
        EXPECT_THROW(file.Commit(), pw::FileException);
    }
    EXPECT_TRUE(std::filesystem::is_directory(temp.Native("gone.txt")));
    EXPECT_EQ(EntriesIn(temp.Folder()), 2u);
}

TEST(DiskFile, ReplacementKeepsThePermissionsOfTheFile) {
    pwtest::TempFolder temp;
    temp.Write("doc.txt", "old");
    namespace fs = std::filesystem;
    fs::permissions(temp.Native("doc.txt"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::perms before = fs::status(temp.Native("doc.txt")).permissions();
    pw::DiskFile file(temp.Path("doc.txt"), Mode::Replace);
    file.Write("new", 3);
    file.Commit();
    EXPECT_EQ(fs::status(temp.Native("doc.txt")).permissions(), before);
}

TEST(DiskFile, FailuresNameTheirCauseAndPath) {
    pwtest::TempFolder temp;
    std::wstring missing = temp.Path("missing.txt");
    try {
        pw::DiskFile file(missing, Mode::Read);
        ADD_FAILURE() << "opened a missing file";
    } catch (const pw::FileException& e) {
        EXPECT_EQ(e.GetCause(), Cause::FileNotFound);
        EXPECT_EQ(e.GetPath(), missing);
        EXPECT_STREQ(e.what(), "file not found");
    }
    EXPECT_EQ(CauseOf([&] { pw::DiskFile(temp.Path("no/such/folder/x.txt"), Mode::Replace); }),
              Cause::FileNotFound);
    EXPECT_EQ(CauseOf([&] { pw::DiskFile(pwtest::ApiPath(temp.Folder()), Mode::Read); }),
              Cause::AccessDenied);
    EXPECT_EQ(CauseOf([&] { pw::DiskFile(pwtest::ApiPath(temp.Folder()), Mode::Replace); }),
              Cause::AccessDenied);
    EXPECT_EQ(CauseOf([&] { pw::DiskFile(L"", Mode::Read); }), Cause::BadPath);
    EXPECT_EQ(CauseOf([&] { pw::DiskFile(temp.Path("a") + std::wstring(1, L'\0') + L"b", Mode::Replace); }),
              Cause::BadPath);

    // Each mode goes one way only.
    pw::DiskFile reader(temp.Write("doc.txt", "text"), Mode::Read);
    EXPECT_EQ(CauseOf([&] { reader.Write("x", 1); }), Cause::AccessDenied);
    EXPECT_EQ(CauseOf([&] { reader.Commit(); }), Cause::AccessDenied);
    pw::DiskFile writer(temp.Path("out.txt"), Mode::Replace);
    char c;
    EXPECT_EQ(CauseOf([&] { writer.Read(&c, 1); }), Cause::AccessDenied);
    writer.Commit();
    EXPECT_EQ(CauseOf([&] { writer.Write("x", 1); }), Cause::AccessDenied);
}

// Whatever the sizes of the writes, the stream holds a prefix of what was written, less than
// one buffer behind, and all of it after Flush.
TEST(Archive, BuffersWritesAndFlushesThemInOrder) {
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        pw::MemFile file;
        pw::Archive archive(file, pw::Archive::Mode::Store);
        std::string written;
        for (int step = 0; step < 200; ++step) {
            size_t n = random() % 8 == 0 ? random() % 10000 : random() % 100;
            std::string bytes = RandomBytes(random, n);
            archive.Write(bytes.data(), bytes.size());
            written += bytes;
            std::string stored(reinterpret_cast<const char*>(file.Data()), file.Size());
            ASSERT_TRUE(written.starts_with(stored));
            ASSERT_LT(written.size() - stored.size(), pw::Archive::kBufferSize);
        }
        archive.Flush();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.Data()), file.Size()), written);
    }
}

TEST(Archive, DirectionAndFile) {
    pw::MemFile file;
    {
        pw::Archive archive(file, pw::Archive::Mode::Store);
        EXPECT_TRUE(archive.IsStoring());
        EXPECT_FALSE(archive.IsLoading());
        EXPECT_EQ(&archive.GetFile(), &file);
        archive.Write("abc", 3);
    }
    EXPECT_EQ(file.Size(), 0u) << "an archive given up on writes nothing more";

    pw::Archive loading(file, pw::Archive::Mode::Load);
    EXPECT_TRUE(loading.IsLoading());
    EXPECT_EQ(CauseOf([&] { loading.Write("x", 1); }), Cause::AccessDenied);
}

TEST(Archive, StoresThroughToADiskFile) {
    pwtest::TempFolder temp;
    pw::DiskFile file(temp.Path("out.bin"), Mode::Replace);
    pw::Archive archive(file, pw::Archive::Mode::Store);
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        std::string piece = std::to_string(i) + ",";
        archive.Write(piece.data(), piece.size());
        expected += piece;
    }
    archive.Flush();
    file.Commit();
    EXPECT_EQ(temp.Read("out.bin"), expected);
}

}  // namespace
