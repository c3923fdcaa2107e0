// Copy and paste through Wine's clipboard: a hidden window of ours copies and pastes, a second
// hidden window stands in for another program that reads what we placed or places text of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "editor/win32/Clipboard.h"

namespace {

namespace Clip = pw::win32::Clipboard;

using HiddenWindow = std::unique_ptr<HWND__, decltype(&DestroyWindow)>;

HiddenWindow MakeHidden() {
    return {CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            &DestroyWindow};
}

// The whole memory block of one format as `reader` finds it, or nothing.
std::optional<std::string> Raw(HWND reader, UINT format) {
    if (!OpenClipboard(reader))
        return std::nullopt;
    std::optional<std::string> bytes;
    if (HANDLE memory = GetClipboardData(format)) {
        bytes.emplace(GlobalSize(memory), '\0');
        if (const void* data = bytes->empty() ? nullptr : GlobalLock(memory)) {
            bytes->assign(static_cast<const char*>(data), bytes->size());
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return bytes;
}

// What another program leaves: exactly these bytes as Unicode text, however they end.
void PlaceUnicode(HWND writer, const std::string& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    ASSERT_NE(memory, nullptr);
    bytes.copy(static_cast<char*>(GlobalLock(memory)), bytes.size());
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(writer));
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory);
    CloseClipboard();
}

struct PutCase {
    const wchar_t* text;
    bool block;
    unsigned codePage;
    const char* ansi;  // CF_TEXT as it must be
};

const PutCase kPutCases[] = {
    {L"", false, 0, ""},
    {L"one\r\ntwo\r\n\r\nthree", false, 1252, "one\r\ntwo\r\n\r\nthree"},
    {L"ab\r\ncd\r\nef", true, 1252, "ab\r\ncd\r\nef"},
    {L"caf\u00e9 \u4e2d \U0001F600", false, 1252, "caf\xe9 ? ??"},
    {L"caf\u00e9 \u4e2d \U0001F600", true, 65001, "caf\xc3\xa9 \xe4\xb8\xad \xf0\x9f\x98\x80"},
    {L"\u00e9\u0410", false, 1251, "?\xc0"},
};

TEST(Clipboard, PutPlacesEveryFormAndGetGivesTheTextBack) {
    HiddenWindow owner = MakeHidden(), other = MakeHidden();
    for (const PutCase& c : kPutCases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", block " << c.block);
        ASSERT_TRUE(Clip::Put(owner.get(), c.text, c.block, c.codePage));
        std::optional<Clip::Content> got = Clip::Get(owner.get());
        ASSERT_TRUE(got);
        EXPECT_EQ(got->text, c.text);
        EXPECT_EQ(got->block, c.block);

        // Another window finds each form zero-terminated, and the column marker only on a block.
        std::optional<std::string> unicode = Raw(other.get(), CF_UNICODETEXT);
        ASSERT_TRUE(unicode);
        std::wstring_view units(c.text, wcslen(c.text) + 1);
        EXPECT_EQ(unicode->substr(0, units.size() * 2),
                  std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
        std::optional<std::string> ansi = Raw(other.get(), CF_TEXT);
        ASSERT_TRUE(ansi);
        EXPECT_EQ(ansi->substr(0, strlen(c.ansi) + 1), std::string(c.ansi) + '\0');
        EXPECT_EQ(Raw(other.get(), RegisterClipboardFormatW(L"MSDEVColumnSelect")),
                  c.block ? std::optional<std::string>("\1") : std::nullopt);
    }
}

TEST(Clipboard, AnUnknownCodePageConvertsAsTheAnsiOne) {
    HiddenWindow owner = MakeHidden(), other = MakeHidden();
    const wchar_t* text = L"caf\u00e9 \u4e2d \u00a3 \U0001F600";
    ASSERT_TRUE(Clip::Put(owner.get(), text, false, 0));
    std::optional<std::string> ansi = Raw(other.get(), CF_TEXT);
    ASSERT_TRUE(Clip::Put(owner.get(), text, false, 12345));
    EXPECT_EQ(Raw(other.get(), CF_TEXT), ansi);
}

// Long text goes to the 8-bit forms in pieces: wherever a piece ends, no pair of surrogates breaks.
TEST(Clipboard, LongTextConvertsWholeAtEveryAlignment) {
    HiddenWindow owner = MakeHidden(), other = MakeHidden();
    for (size_t shift = 0; shift < 3; ++shift) {
        std::wstring text(shift, L'x');
        std::string utf8(shift, 'x');
        for (int i = 0; i < 400000; ++i) {
            text += L"a\U0001F600";
            utf8 += "a\xf0\x9f\x98\x80";
        }
        ASSERT_TRUE(Clip::Put(owner.get(), text, false, 65001));
        std::optional<std::string> ansi = Raw(other.get(), CF_TEXT);
        EXPECT_TRUE(ansi && ansi->substr(0, utf8.size() + 1) == utf8 + '\0') << shift;
        std::optional<Clip::Content> got = Clip::Get(owner.get());
        EXPECT_TRUE(got && got->text == text) << shift;
    }
}

struct ForeignCase {
    std::string bytes;  // the block another program placed
    std::wstring text;  // what a paste takes from it
};

// Wine ends every Unicode block it hands out with a NUL, keeping its size, and drops a block of no
// bytes, so neither reaches Get here; these read the same on Windows, where blocks arrive as placed.
const ForeignCase kForeignCases[] = {
    {std::string("a\0b\0\0\0", 6), L"ab"},
    {std::string("a\0b\0\0\0c", 7), L"ab"},    // an odd byte count
    {std::string("a\0\0\0b\0\0\0", 8), L"a"},  // the text ends at the first NUL
    {std::string("x", 1), L""},                // half a unit
};

TEST(Clipboard, GetReadsAnotherProgramsTextNoFurtherThanItsBlock) {
    HiddenWindow owner = MakeHidden(), other = MakeHidden();
    for (const ForeignCase& c : kForeignCases) {
        SCOPED_TRACE(testing::Message() << "block of " << c.bytes.size() << " bytes");
        PlaceUnicode(other.get(), c.bytes);
        // The block arrives with the size it was placed with, or the case would not show what it claims.
        std::optional<std::string> placed = Raw(owner.get(), CF_UNICODETEXT);
        ASSERT_TRUE(placed && placed->size() == c.bytes.size());
        std::optional<Clip::Content> got = Clip::Get(owner.get());
        ASSERT_TRUE(got);
        EXPECT_EQ(got->text, c.text);
        EXPECT_FALSE(got->block);
    }
}

struct FailCase {
    bool held;
    size_t length;  // of a text that is never read: its size alone must stop the copy
};

const FailCase kFailCases[] = {
    {true, 5},
    {false, SIZE_MAX / sizeof(wchar_t) + 2},  // with its NUL, 4 bytes once its size wraps
    {false, SIZE_MAX / 4},                    // no memory holds it
};

TEST(Clipboard, AFailedPutLeavesWhatTheClipboardHad) {
    HiddenWindow owner = MakeHidden(), other = MakeHidden();
    const wchar_t* before = L"kept\r\n\U0001F600";
    for (const FailCase& c : kFailCases) {
        SCOPED_TRACE(testing::Message() << "held " << c.held << ", length " << c.length);
        ASSERT_TRUE(Clip::Put(owner.get(), before, true, 1252));
        std::optional<std::string> ansi = Raw(other.get(), CF_TEXT);
        // A busy program: another thread holds the clipboard open with a window of its own.
        std::promise<void> opened, release;
        std::thread holder([&] {
            HiddenWindow window = MakeHidden();
            bool open = c.held && OpenClipboard(window.get());
            opened.set_value();
            release.get_future().wait();
            if (open)
                CloseClipboard();
        });
        opened.get_future().wait();
        EXPECT_EQ(Clip::Get(owner.get()).has_value(), !c.held);
        EXPECT_FALSE(Clip::Put(owner.get(), std::wstring_view(L"after", c.length), false, 1252));
        release.set_value();
        holder.join();

        std::optional<Clip::Content> got = Clip::Get(owner.get());
        ASSERT_TRUE(got);
        EXPECT_EQ(got->text, before);
        EXPECT_TRUE(got->block);
        EXPECT_EQ(Raw(other.get(), CF_TEXT), ansi);
    }
}

TEST(Clipboard, GetFindsNothingWithoutUnicodeText) {
    HiddenWindow owner = MakeHidden();
    ASSERT_TRUE(OpenClipboard(owner.get()));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(Clip::Get(owner.get()));
}

}  // namespace
