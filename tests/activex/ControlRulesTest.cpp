// The control's small rules, each a table: border styles, where keys go before the host's dialog
// manager, the errors file failures become, and colours as automation passes them.
#include <gtest/gtest.h>

#include "activex/AutomationError.h"
#include "activex/BorderStyle.h"
#include "activex/KeyRouting.h"
#include "activex/OleColor.h"

namespace {

TEST(BorderStyle, EachValueSetsItsFrameAndOthersLeaveItAlone) {
    EXPECT_EQ(BorderFrameOf(0), BorderFrame{});
    EXPECT_EQ(BorderFrameOf(1), (BorderFrame{true, false, false}));
    EXPECT_EQ(BorderFrameOf(2), (BorderFrame{false, true, false}));
    EXPECT_EQ(BorderFrameOf(3), (BorderFrame{false, false, true}));
    EXPECT_EQ(BorderFrameOf(4), BorderFrameOf(3));
    for (int32_t value : {5, -1, INT32_MIN, INT32_MAX}) EXPECT_FALSE(BorderFrameOf(value)) << value;
}

TEST(KeyRouting, EditingKeysReachTheEditor) {
    constexpr uint32_t kKeyDown = 0x100, kKeyUp = 0x101, kChar = 0x102;
    struct Case {
        uint32_t message, key;
        bool editorFocused;
        KeyRoute route;
    } const cases[] = {
        {kKeyDown, 0x08, false, KeyRoute::kFocusKeyDown},  // Backspace
        {kKeyDown, 0x21, false, KeyRoute::kFocusKeyDown},  // Page Up
        {kKeyDown, 0x22, true, KeyRoute::kFocusKeyDown},   // Page Down
        {kKeyDown, 0x25, false, KeyRoute::kFocusKeyDown},  // Left
        {kKeyDown, 0x28, false, KeyRoute::kFocusKeyDown},  // Down
        {kKeyDown, 0x2D, false, KeyRoute::kFocusKeyDown},  // Insert
        {kKeyDown, 0x2E, false, KeyRoute::kFocusKeyDown},  // Delete
        {kKeyDown, 0x09, true, KeyRoute::kEditorChar},     // Tab in the editor
        {kKeyDown, 0x0D, true, KeyRoute::kEditorChar},     // Enter
        {kKeyDown, 0x1B, true, KeyRoute::kEditorChar},     // Escape
        {kKeyDown, 0x09, false, KeyRoute::kDefault},       // Tab elsewhere: the dialog's
        {kKeyDown, 0x24, false, KeyRoute::kDefault},       // Home
        {kKeyDown, 0x29, false, KeyRoute::kDefault},       // past the arrows
        {kKeyDown, 'A', true, KeyRoute::kDefault},        {kKeyUp, 0x08, true, KeyRoute::kDefault},
        {kChar, 0x0D, true, KeyRoute::kDefault},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RouteKey(c.message, c.key, c.editorFocused), c.route) << c.message << " " << c.key;
}

TEST(AutomationError, FileFailuresBecomeControlErrors) {
    using Cause = pw::FileException::Cause;
    struct Case {
        Cause cause;
        uint32_t code;
    } const cases[] = {
        {Cause::FileNotFound, 0x800A0035},     {Cause::BadPath, 0x800A004C},
        {Cause::AccessDenied, 0x800A0046},     {Cause::DiskFull, 0x800A003D},
        {Cause::SharingViolation, 0x800A004B}, {Cause::Encoding, 0x800A0141},
        {Cause::HardIO, 0x800A0039},           {Cause::Generic, 0x800A0039},
        {Cause::TooManyOpenFiles, 0x800A0043},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<uint32_t>(FileError(pw::FileException(c.cause, L"x")).code), c.code);
    EXPECT_EQ(FileError(pw::FileException(Cause::FileNotFound, L"C:\\a.txt")).description,
              L"file not found: C:\\a.txt");
    EXPECT_EQ(FileError(pw::FileException(Cause::DiskFull, L"")).description, L"disk full");
}

// Row colours: RGB values as they are, system colours by index, the two markers untouched,
// anything else refused.
TEST(OleColor, RowColoursTranslateSystemColoursOnly) {
    const SystemColorSource system = [](int index) -> std::optional<int32_t> {
        return index <= 30 ? std::optional(0x010101 * index) : std::nullopt;
    };
    struct Case {
        uint32_t argument;
        std::optional<int32_t> color;
    } const cases[] = {
        {0x00123456, 0x123456},     {0x02123456, 0x123456},      // RGB, palette-relative RGB
        {0x80000005, 0x050505},     {0x8000001E, 0x1E1E1E},      // system colours 5 and 30
        {0xFFFFFFFF, -1},           {0x1FFFFFFF, 0x1FFFFFFF},    // the markers
        {0x8000001F, std::nullopt}, {0x80010005, std::nullopt},  // no such system colour
        {0x01000003, std::nullopt}, {0x7F000000, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowColorArgument(c.argument, system), c.color) << std::hex << c.argument;
    EXPECT_EQ(TranslateOleColor(0xFFFFFFFF, system), std::nullopt);  // a marker only for rows
}

}  // namespace
