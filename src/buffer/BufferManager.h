#pragma once
// The whole text of one document as rows, the conversions between character positions and
// display columns, and the edits made on it. A passive store: it tells nobody about an edit;
// whoever edits reports the change to the parser and repaints.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "buffer/BufferConfig.h"
#include "buffer/BufferParser.h"
#include "buffer/CrlfStyle.h"
#include "buffer/LineCol.h"
#include "buffer/LineMarksManager.h"
#include "buffer/RowArray.h"
#include "buffer/UndoManager.h"
#include "notify/NotificationConnection.h"
#include "notify/NotificationSinkMT.h"
#include "platform/MemFile.h"
#include "platform/RefCounted.h"

namespace pw {
class Archive;
}

class CQELPenwrightBufferManager;

// Overwrite mode set as an edit needs it (replays, pastes, drops never depend on the user's
// mode), back as it was at the end of the scope.
class OverwriteScope {
public:
    OverwriteScope(CQELPenwrightBufferManager& buffer, bool on);
    ~OverwriteScope();
    OverwriteScope(const OverwriteScope&) = delete;
    OverwriteScope& operator=(const OverwriteScope&) = delete;

private:
    CQELPenwrightBufferManager& buffer_;
    bool saved_;
};

class CQELPenwrightBufferManager : public pw::RefCounted {
public:
    // Larger tab sizes are refused: display columns of long rows would leave the int range and
    // the editor lays out one cell per column.
    static constexpr int kMaxTabSize = 256;

    CQELPenwrightBufferManager();

    // The edit controls that share this buffer subscribe here.
    CQELNotificationConnection* GetConnection() const { return connection.get(); }

    int GetRowCount() const { return rows.GetRowCount(); }
    // The row's text, followed by the line end of `style` (None = the buffer's own) when asked.
    // A missing row gives an empty string, without line end.
    std::wstring GetLineText(int row, bool withLineEnd = false, int style = CrlfStyle::None) const;
    int GetLineTextLength(int row, bool withLineEnd = false, int style = CrlfStyle::None) const;
    // The row's text without its line end, good until the next edit: for readers that copy it at
    // once, as the parser's iterator does row after row. Empty for a missing row.
    std::wstring_view GetLineView(int row) const { return rows.GetAt(row); }
    // Grows with every change of the rows, whoever made it.
    uint64_t GetChangeCount() const { return rows.GetChangeCount(); }

    // Inserts text at a character position (1-based), splitting it into rows at its line ends;
    // in overwrite mode the first line replaces as many characters as it has. `final` receives
    // the position just after the inserted text. False only for a row below 1 or a position so
    // far past the text that the filler would exceed RowArray::kMaxPadding.
    bool InsertText(std::wstring_view text, int row, int col, bool canUndo, LineCol* final = nullptr);
    // Rectangular paste: each line of the text goes into the next row at the display column of
    // (row, col), padding short rows with blanks.
    bool InsertTextBlock(std::wstring_view text, int row, int col, bool canUndo, LineCol* final = nullptr);
    // Deletes from (row1, col1) up to (row2, col2): character positions, or display columns with
    // `displayColumns`. A reversed range is put in order. Answers whether the text changed.
    bool DeleteText(int row1, int col1, int row2, int col2, bool canUndo, bool displayColumns = false);
    // Removes `count` whole rows from `row` on, clipped at the last row.
    bool RemoveRows(int row, bool canUndo, int count = 1);
    // Writes the UTF-16 text of a range given in display columns to the file, without a
    // terminator. A range reaching past the last row ends at the end of the text. False, with
    // nothing written, when the range starts outside the rows or a block is wider than
    // RowArray::kMaxPadding columns.
    bool GetText(int row1, int col1, int row2, int col2, pw::MemFile& file, bool block = false,
                 bool forceCrLf = false) const;

    // Display column (1-based) to 0-based character index; past the row's end each column is
    // one index (virtual space), and a column inside a tab maps to the character after it.
    virtual int DisplayColToCharIndex(int row, int displayCol) const;
    // 0-based character index to the display column (1-based) at which that character starts.
    virtual int CharIndexToDisplayCol(int row, int charIndex) const;
    // Growth step in bytes for a memory file that gathers the text of rows row1..row2, whole
    // kilobytes at averageLineLength bytes per row; the span counts at most the rows there are.
    virtual size_t RangeGrowthSize(int row1, int row2) const;

    int GetTabSize() const { return tabSize; }
    // Sizes outside 1..kMaxTabSize are refused. With `save` the size is also written to the
    // application profile; false when there is none or the write fails (the size is kept).
    bool SetTabSize(int n, bool save);
    int GetCrlfStyle() const { return crlfStyle; }
    void SetCrlfStyle(int style);  // values outside 0..2 are ignored
    // The line end of a style; None or a value outside 0..2 gives the buffer's own.
    std::wstring_view GetLineEndText(int style = CrlfStyle::None) const;
    // Whether the buffer's line end stands in `text` at `pos`, or, with `atEnd`, ends at `pos`
    // (pos addresses its last character). Positions outside the text answer false.
    bool IsLineEndAt(std::wstring_view text, size_t pos, bool atEnd) const;
    void SetOverwriteFlag(bool on) { overwrite = on; }
    bool GetOverwriteFlag() const { return overwrite; }
    // Marks live with the buffer so that every edit control sharing it sees the same ones.
    CQELPenwrightLineMarksManager& GetLineMarks() { return lineMarks; }
    const CQELPenwrightLineMarksManager& GetLineMarks() const { return lineMarks; }
    // The recorded edits; the edit control undoes, redoes and groups through it.
    UndoManager& GetUndoManager() { return undoManager; }
    const UndoManager& GetUndoManager() const { return undoManager; }
    // Whether the text differs from the last save, as far as the undo list can tell.
    bool IsModified() const { return undoManager.IsModified(); }
    int GetCodePage() const { return codePage; }
    bool IsUnicode() const { return unicode; }  // the text came from, and is saved as, UTF-16
    // A text turned into UTF-16 is saved little-endian with the mark; one turned 8-bit, in the
    // code page without a mark.
    void SetUnicode(bool on);
    // How the loaded file held the text, kept so that a save writes it back the same way.
    bool IsBigEndian() const { return bigEndian; }
    bool HasSignature() const { return signature; }
    const std::wstring& GetFileExt() const { return fileExt; }
    // With syntax colouring on, the parser takes the schema that serves the new extension (none
    // when no scheme claims it). Extensions are compared without regard to case.
    void SetFileExt(const std::wstring& ext);
    // Off removes the parser's schema; on installs the schema of the extension and parses the
    // whole text again.
    void EnableSyntaxColoring(bool on);
    bool IsSyntaxColoring() const { return syntaxColoring; }

    // The process's configuration: the first buffer manager makes it (when the configuration
    // layer registered how), the last one closes it. Empty and false without one.
    std::wstring GetConfigFile() const;
    bool SetConfigFile(const std::wstring& path);
    // Takes `cm` in place of the current configuration and subscribes to its events.
    void SetConfigManager(pw::RefPtr<BufferConfig> cm);
    const pw::RefPtr<BufferConfig>& GetConfigManager() const { return configManager; }
    // The configuration's events (BufferConfig::Event), delivered on the thread that made the
    // buffer: the parser follows a reloaded scheme, theme or configuration, and when its schema
    // changed the event goes on to the buffer's own subscribers. Ignored with syntax colouring off.
    virtual void OnConfigEvent(uint32_t code, uintptr_t wParam, intptr_t lParam);

    void RemoveAll();
    void Close();

    // Loads or stores the whole text (BufferSerialize.cpp). Loading: `unicode` 1 forces UTF-16,
    // other values let the bytes decide; storing: 1 UTF-16, 0 8-bit, -1 the buffer's flag.
    // `writeSignature`: a stored UTF-16 text begins with its byte-order mark. `codePage` (-1 =
    // keep) becomes the code page of 8-bit text first. `fileExt` selects the schema; none means
    // the extension of the stream's path. Storing stops after the row that takes the bytes
    // written past `dataSizeLimit` (0 or less: no limit). Throws pw::FileException when the
    // stream fails, the code page is unknown, or a row has characters the code page cannot
    // hold. A load that fails leaves the text as it was. A file that begins with the UTF-8 mark
    // is read as UTF-8 and saved so again, mark included, until another code page is chosen.
    // `unicode` -1 stores the text in the form it was loaded from: UTF-16 in its byte order,
    // with the odd last byte the file had; 1 means UTF-16 little-endian, the string form.
    void SerializeText(pw::Archive& archive, int unicode, bool writeSignature, int codePage,
                       std::optional<std::wstring_view> fileExt, int dataSizeLimit);
    // The framework's entry: the text in the buffer's own form, with a byte-order mark when the
    // loaded file had one; a store marks the undo list saved.
    void Serialize(pw::Archive& archive);
    // The whole text as one string (at most maxChars characters when not negative) and back;
    // setting it makes the buffer's text UTF-16, saved with its mark.
    std::wstring GetWholeText(int maxChars = -1);
    void SetWholeText(std::wstring_view text);

    // Whoever changes rows tells the parser: cancel the parse in progress before the change,
    // then the changed range (rows and columns as the buffer counts them) and what happened there (a BufferParser::Change:
    // inserted, deleted, or replaced by as many characters, as typing in overwrite mode does)
    // after it. Both go to the buffer's parser when it has one.
    void CancelParse();
    void ParserTextChanged(const LineCol& start, const LineCol& end, int action);
    // The parser is made by whoever knows the schemas; Close lets it go.
    void SetParser(pw::RefPtr<BufferParser> newParser) { parser = std::move(newParser); }
    const pw::RefPtr<BufferParser>& GetParser() const { return parser; }

protected:
    ~CQELPenwrightBufferManager() override;

private:
    std::wstring_view LineEndOrOwn(int style) const {
        return LineEndText(style == CrlfStyle::None ? crlfStyle : style);
    }
    // Where an insertion at the 0-based `index` of `row` really begins, and the filler it
    // creates there first: line ends down to a missing row and, when it `pads`, blanks up to an
    // index past the row's end. Recorded with the text, undo takes the filler out again.
    LineCol InsertStart(int row, int index, bool pads, std::wstring& filler) const;
    // Records the deletion of the 0-based range (row1, i1)..(row2, i2) as DeleteText will make it.
    void RecordDelete(int row1, int i1, int row2, int i2);
    void LoadText(pw::Archive& archive, bool forceUtf16);
    // Gives the parser the schema of `fileExt`; true when one was installed.
    bool InstallSchema();
    // `ownForm`: UTF-16 in the loaded byte order and with the loaded odd byte, else little-endian.
    void StoreText(pw::Archive& archive, bool wide, bool ownForm, bool writeSignature, int dataSizeLimit);

    static constexpr int averageLineLength = 30;  // bytes per row, for sizing range buffers
    pw::RefPtr<CQELNotificationConnection> connection;
    int tabSize = 4;
    int crlfStyle = CrlfStyle::CrLf;
    int codePage = 0;  // the system's ANSI code page
    bool unicode = false;
    bool bigEndian = false;  // UTF-16 text whose file had the high byte first
    // The file began with its byte-order mark; for 8-bit text that is the UTF-8 mark, and the
    // rows are read and saved as UTF-8 whatever the code page.
    bool signature = false;
    // The 8-bit file had bytes its code page cannot read, held in the rows as escapes (see
    // BufferSerialize.cpp); a text without them holds no escapes, only characters.
    bool rawBytes = false;
    int oddByte = -1;  // the odd last byte of a UTF-16 file, not part of any character
    bool overwrite = false;
    UndoManager undoManager;
    CQELPenwrightLineMarksManager lineMarks;
    std::wstring fileExt;
    bool syntaxColoring = true;
    pw::RefPtr<BufferConfig> configManager;
    CQELNotificationSinkMT eventSink;  // our subscriptions to the configuration manager's events
    pw::RefPtr<BufferParser> parser;
    RowArray rows;
};
