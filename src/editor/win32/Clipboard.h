#pragma once
// Windows only: the edit control's copy and paste through the system clipboard, stream and column
// text alike. What the user had on the clipboard survives any failure: every block is made before
// the clipboard is opened and emptied.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace pw::win32::Clipboard {

// The registered format "MSDEVColumnSelect", whose presence marks text as a column block; 0 when it
// cannot be registered.
UINT ColumnFormat();

// Places `text` as CF_UNICODETEXT (zero-terminated), as CF_TEXT converted to `codePage` (0: the
// system's ANSI code page; one the system does not know falls back to it) and as CF_OEMTEXT (the
// OEM code page), and for a column block also a one-byte block holding 1 under the registered
// format "MSDEVColumnSelect" (other editors recognise a column copy by it). The 8-bit forms are
// lossy: what their code page cannot hold becomes its default character. False when the
// clipboard cannot be opened or memory fails.
bool Put(HWND owner, std::wstring_view text, bool block, unsigned codePage);

struct Content {
    std::wstring text;
    bool block = false;
};
// The clipboard's CF_UNICODETEXT up to its first NUL or the end of its memory block, and whether
// "MSDEVColumnSelect" holds a non-empty block; nothing when it cannot be opened or holds no
// Unicode text.
std::optional<Content> Get(HWND owner);

}  // namespace pw::win32::Clipboard
