#pragma once
// What the find and replace dialog knows and does, apart from its window: the texts, the three
// options and the mode, the histories kept in the profile, which buttons may be pressed, and
// Find Next, Replace and Replace All over an edit control's logic. The window layer copies its
// controls into this and back; the message boxes go through FindMessages so tests answer them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/TextSearch.h"

class EditorCore;
namespace pw {
class Profile;
}

// Where the dialog's information boxes go.
class FindMessages {
public:
    virtual ~FindMessages() = default;
    virtual void Inform(std::wstring_view text) = 0;
};

// String table ids of the dialog's messages.
namespace FindText {
inline constexpr unsigned kFinished = 9750;
inline constexpr unsigned kReplacedCount = 9751;
inline constexpr unsigned kMatchCount = 9752;
}  // namespace FindText

class FindDialogModel {
public:
    // Entries a history keeps: the oldest go first.
    static constexpr int kHistoryLimit = 20;

    std::wstring findText;
    std::wstring replaceText;
    SearchOptions options;  // whole word, case, down, regular expression
    bool replaceMode = false;
    bool inSelection = false;  // Replace All and Count keep to the selection
    std::vector<std::wstring> findHistory;
    std::vector<std::wstring> replaceHistory;

    // The options from the profile (the current ones where it has none) and each history entry
    // it holds that is neither empty nor known yet appended to its history. Nothing without one.
    void Load(pw::Profile* profile);
    // The options and both histories with their counts; false when there is no profile or a
    // write failed.
    bool Save(pw::Profile* profile) const;

    bool CanFindNext() const { return !findText.empty(); }
    bool CanReplace() const { return replaceMode; }

    // The actions, nothing without a control (null: it has gone). Find Next searches with the
    // options, or in the direction given; nothing found is told as "Finished searching!".
    bool FindNext(EditorCore* core, FindMessages& messages, std::optional<bool> down = std::nullopt);
    // Replaces a selection within one row that is exactly a match (the case, whole words and an
    // expression as the options say; an expression's replacement gets the match's groups), then
    // finds the next match; any other selection is only searched past. Read-only text keeps the
    // selection on the match. True when the next match was found.
    bool Replace(EditorCore* core, FindMessages& messages);
    // Every match (in the selection with `inSelection`) replaced; the count told. The number
    // replaced.
    int ReplaceAll(EditorCore* core, FindMessages& messages);
    // The matches counted without replacing them, and told; nothing found tells why when the
    // expression is bad.
    int Count(EditorCore* core, FindMessages& messages);

    // A table text (kReplacedCount, kMatchCount) with the number put in place of its "%d".
    static std::wstring CountMessage(int count, unsigned textId = FindText::kReplacedCount);
    // Appends `entry` unless it is empty or there already; the oldest goes when it is full.
    static bool Remember(std::vector<std::wstring>& history, const std::wstring& entry);
    // What a search starts with: the first row of the selection, else the word at the caret.
    static std::wstring InitialText(const EditorCore& core);
};
