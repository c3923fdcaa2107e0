#include "editor/FindDialogModel.h"

#include <algorithm>

#include "editor/CharClass.h"
#include "editor/EditorCore.h"
#include "editor/EditorOptions.h"
#include "editor/TextEditor.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"

namespace {

const std::wstring kSection(EditorOptions::kSection);

std::wstring CountKey(const std::wstring& name) {
    return name + L"HistoryCount";
}

std::wstring EntryKey(const std::wstring& name, size_t index) {
    return name + L"History_" + std::to_wstring(index);
}

void LoadHistory(pw::Profile& profile, const std::wstring& name, std::vector<std::wstring>& history) {
    // The profile may have been edited by hand: a count that does not fit reads as the limit.
    const int count =
        std::clamp(profile.GetInt(kSection, CountKey(name), 0), 0, FindDialogModel::kHistoryLimit);
    for (int i = 0; i < count; ++i)
        FindDialogModel::Remember(history,
                                  profile.GetString(kSection, EntryKey(name, static_cast<size_t>(i)), L""));
}

bool SaveHistory(pw::Profile& profile, const std::wstring& name, const std::vector<std::wstring>& history) {
    bool saved = profile.WriteInt(kSection, CountKey(name), static_cast<uint32_t>(history.size()));
    for (size_t i = 0; i < history.size(); ++i)
        saved = profile.WriteString(kSection, EntryKey(name, i), history[i]) && saved;
    return saved;
}

// Either the search finds a match or the user hears that it came to the end.
bool FindOrTell(EditorCore& core, std::wstring_view text, const SearchOptions& options,
                FindMessages& messages, int startRow = -1, int startPos = -1) {
    if (core.GetEditor().Find(text, options, true, startRow, startPos))
        return true;
    messages.Inform(pw::LoadString(FindText::kFinished));
    return false;
}

}  // namespace

void FindDialogModel::Load(pw::Profile* profile) {
    if (!profile)
        return;
    options.wholeWord = profile->GetInt(kSection, L"MatchWholeWord", options.wholeWord) != 0;
    options.matchCase = profile->GetInt(kSection, L"MatchCase", options.matchCase) != 0;
    options.down = profile->GetInt(kSection, L"SearchDirection", options.down) != 0;
    options.regex = profile->GetInt(kSection, L"RegularExpression", options.regex) != 0;
    LoadHistory(*profile, L"Find", findHistory);
    LoadHistory(*profile, L"Replace", replaceHistory);
}

bool FindDialogModel::Save(pw::Profile* profile) const {
    if (!profile)
        return false;
    bool saved = profile->WriteInt(kSection, L"MatchWholeWord", options.wholeWord);
    saved = profile->WriteInt(kSection, L"MatchCase", options.matchCase) && saved;
    saved = profile->WriteInt(kSection, L"RegularExpression", options.regex) && saved;
    saved = profile->WriteInt(kSection, L"SearchDirection", options.down) && saved;
    saved = SaveHistory(*profile, L"Find", findHistory) && saved;
    return SaveHistory(*profile, L"Replace", replaceHistory) && saved;
}

bool FindDialogModel::FindNext(EditorCore* core, FindMessages& messages, std::optional<bool> down) {
    if (!core || findText.empty())
        return false;
    Remember(findHistory, findText);
    SearchOptions search = options;
    search.down = down.value_or(options.down);
    return FindOrTell(*core, findText, search, messages);
}

bool FindDialogModel::Replace(EditorCore* core, FindMessages& messages) {
    if (!core || findText.empty())
        return false;
    Remember(replaceHistory, replaceText);
    const EditCaret& caret = core->GetCaret();
    const CQELPenwrightSelection& selection = caret.GetSelection();
    // Only what a search could have selected is replaced: text of one row, and all of a match
    // found where it starts.
    const CQELPenwrightSelection::Range range = selection.Normalized();
    SearchOptions down = options;
    down.down = true;
    const TextSearch search(findText, down);
    const std::optional<SearchHit> hit =
        selection.IsEmpty() || selection.IsBlock() || range.first.row != range.last.row
            ? std::nullopt
            : search.Find(core->GetBuffer(), range.first.row, range.first.pos);
    if (!hit || hit->row != range.first.row || hit->col != range.first.pos ||
        hit->col + hit->length != range.last.pos)
        return FindOrTell(*core, findText, options, messages);
    const CQELPenwrightSelection::Point before = range.first;
    if (!core->GetEditor().ReplaceSelection(search.Replacement(core->GetBuffer(), *hit, replaceText)))
        return false;  // read-only: the match stays selected
    // Going up, the search goes on before the replacement, which it must not search again.
    return options.down ? FindOrTell(*core, findText, options, messages)
                        : FindOrTell(*core, findText, options, messages, before.row, before.pos);
}

int FindDialogModel::ReplaceAll(EditorCore* core, FindMessages& messages) {
    if (!core)
        return 0;
    Remember(replaceHistory, replaceText);
    const int count = core->GetEditor().ReplaceAll(findText, replaceText, options.wholeWord,
                                                   options.matchCase, options.regex, inSelection);
    core->GetWindow().Invalidate();
    messages.Inform(CountMessage(count));
    return count;
}

int FindDialogModel::Count(EditorCore* core, FindMessages& messages) {
    if (!core || findText.empty())
        return 0;
    std::wstring error;
    const int count = core->GetEditor().CountMatches(findText, options, inSelection, &error);
    messages.Inform(error.empty() ? CountMessage(count, FindText::kMatchCount) : error);
    return count;
}

std::wstring FindDialogModel::CountMessage(int count, unsigned textId) {
    return pw::LoadString(textId, {std::to_wstring(count)});
}

bool FindDialogModel::Remember(std::vector<std::wstring>& history, const std::wstring& entry) {
    if (entry.empty() || std::find(history.begin(), history.end(), entry) != history.end())
        return false;
    if (history.size() >= static_cast<size_t>(kHistoryLimit))
        history.erase(history.begin(), history.end() - (kHistoryLimit - 1));
    history.push_back(entry);
    return true;
}

std::wstring FindDialogModel::InitialText(const EditorCore& core) {
    const EditCaret& caret = core.GetCaret();
    if (!caret.GetSelection().IsEmpty()) {
        const std::wstring selected = caret.GetSelectedText();
        return selected.substr(0, selected.find_first_of(L"\r\n"));
    }
    const std::wstring row = core.GetBuffer().GetLineText(caret.GetRow());
    // On the word, or just after it.
    for (const int at : {caret.GetPosition() - 1, caret.GetPosition() - 2}) {
        const CharClass::Range word = CharClass::WordAt(row, at);
        if (!word.IsEmpty() && CharClass::Of(row[static_cast<size_t>(word.start)]) == CharClass::Kind::kWord)
            return row.substr(static_cast<size_t>(word.start), static_cast<size_t>(word.end - word.start));
    }
    return {};
}
