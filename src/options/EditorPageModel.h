#pragma once
// The options sheet's "Editor" page apart from its window: the values it shows, read from the
// edit control and its document, and written back to them on Apply in the order the control
// expects (the scroll bars first, since they change the client area the rest lays out in).
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "editor/EditorOptions.h"

namespace pw::options {

// What the page edits: the control and, in a host built around documents, its document. Every
// setter persists the value and answers false when that write failed (the value is in effect
// either way).
class EditorPageTarget {
public:
    virtual ~EditorPageTarget() = default;

    virtual bool HasWindow() const = 0;
    virtual bool GetOption(EditorOptions::Option option) const = 0;
    virtual bool SetOption(EditorOptions::Option option, bool value) = 0;
    virtual int GetTabSize() const = 0;
    virtual bool SetTabSize(int size) = 0;
    virtual void Repaint() = 0;

    virtual bool HasDocument() const = 0;
    virtual bool GetAutoReload() const = 0;
    virtual bool SetAutoReload(bool on) = 0;
    virtual void UpdateAllViews(int hint) = 0;
};

class EditorPageModel {
public:
    // The hint the document's views receive after the options changed.
    static constexpr int kHintOptions = 2;
    static constexpr int kMinTabSize = 1;
    static constexpr int kMaxTabSize = 64;

    enum class Applied {
        kNothing,  // not modified
        kRefused,  // the tab size is not one the page accepts; nothing was set
        kUnsaved,  // in effect, but at least one value could not be persisted
        kSaved,
    };

    // Digits only, 1 to 64; none otherwise.
    static std::optional<int> ParseTabSize(std::wstring_view text);

    // The target's values, not modified.
    explicit EditorPageModel(const EditorPageTarget& target);

    bool HasDocument() const { return hasDocument_; }
    bool IsModified() const { return modified_; }

    // The setters mark the model modified, whether the value differs or not: the page counts
    // every change of a control.
    bool GetOption(EditorOptions::Option option) const { return options_[option]; }
    void SetOption(EditorOptions::Option option, bool value);
    const std::wstring& GetTabSizeText() const { return tabSize_; }
    void SetTabSizeText(std::wstring text);
    bool GetAutoReload() const { return autoReload_; }
    void SetAutoReload(bool on);

    // Writes the values to `target` when modified; then the model is no longer modified unless
    // the tab size was refused.
    Applied Apply(EditorPageTarget& target);

private:
    std::array<bool, EditorOptions::kCount> options_{};
    std::wstring tabSize_;
    bool autoReload_ = false;
    bool hasDocument_ = false;
    bool modified_ = false;
};

}  // namespace pw::options
