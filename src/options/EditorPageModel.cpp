#include "options/EditorPageModel.h"

#include <algorithm>
#include <utility>

namespace pw::options {

std::optional<int> EditorPageModel::ParseTabSize(std::wstring_view text) {
    if (text.empty())
        return std::nullopt;
    int size = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        // Held just past the largest size, so that no length of digits overflows.
        size = std::min(size * 10 + (c - L'0'), kMaxTabSize + 1);
    }
    if (size < kMinTabSize || size > kMaxTabSize)
        return std::nullopt;
    return size;
}

EditorPageModel::EditorPageModel(const EditorPageTarget& target)
    : tabSize_(std::to_wstring(target.GetTabSize())), hasDocument_(target.HasDocument()) {
    for (int option = 0; option < EditorOptions::kCount; ++option)
        options_[option] = target.GetOption(static_cast<EditorOptions::Option>(option));
    autoReload_ = hasDocument_ && target.GetAutoReload();
}

void EditorPageModel::SetOption(EditorOptions::Option option, bool value) {
    options_[option] = value;
    modified_ = true;
}

void EditorPageModel::SetTabSizeText(std::wstring text) {
    tabSize_ = std::move(text);
    modified_ = true;
}

void EditorPageModel::SetAutoReload(bool on) {
    autoReload_ = on;
    modified_ = true;
}

EditorPageModel::Applied EditorPageModel::Apply(EditorPageTarget& target) {
    if (!modified_)
        return Applied::kNothing;
    const std::optional<int> tabSize = ParseTabSize(tabSize_);
    if (!tabSize)
        return Applied::kRefused;
    bool saved = true;
    if (hasDocument_)
        saved &= target.SetAutoReload(autoReload_);
    if (target.HasWindow()) {
        // The scroll bars first: they change the client area that the rest lays out in.
        for (const EditorOptions::Option option :
             {EditorOptions::kHScrollBar, EditorOptions::kVScrollBar, EditorOptions::kSyntaxColor,
              EditorOptions::kAutoIndent, EditorOptions::kSelMargin, EditorOptions::kLineNumbers,
              EditorOptions::kVirtualSpace, EditorOptions::kWideCaret})
            saved &= target.SetOption(option, options_[option]);
        saved &= target.SetTabSize(*tabSize);
        saved &= target.SetOption(EditorOptions::kTabWithSpace, options_[EditorOptions::kTabWithSpace]);
        target.Repaint();
    }
    if (hasDocument_)
        target.UpdateAllViews(kHintOptions);
    modified_ = false;
    return saved ? Applied::kSaved : Applied::kUnsaved;
}

}  // namespace pw::options
