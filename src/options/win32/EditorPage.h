#pragma once
// Windows only: the options sheet's "Editor" page over the control (and the host's document):
// scroll bars, margins, indentation, tabs, the overwrite caret and reloading changed files.
#include <windows.h>

#include <optional>

#include "options/EditorPageModel.h"
#include "options/win32/OptionsPage.h"

namespace pw::options {

// The model's target: the host's control and document, each value persisted when set.
class HostEditorTarget : public EditorPageTarget {
public:
    explicit HostEditorTarget(const OptionsHost& host) : host_(host) {}

    bool HasWindow() const override;
    bool GetOption(EditorOptions::Option option) const override;
    bool SetOption(EditorOptions::Option option, bool value) override;
    int GetTabSize() const override;
    bool SetTabSize(int size) override;
    void Repaint() override;
    bool HasDocument() const override { return host_.document != nullptr; }
    bool GetAutoReload() const override;
    bool SetAutoReload(bool on) override;
    void UpdateAllViews(int hint) override;

private:
    const OptionsHost& host_;
};

class EditorPage : public OptionsPage {
public:
    explicit EditorPage(const OptionsHost& host);

protected:
    void OnInit() override;
    void OnCommand(int id, UINT code, HWND control) override;
    bool OnKillActive() override;
    bool OnApply() override;

private:
    // The controls into the model.
    void Collect();
    // False, after telling the user and focusing the edit, when the tab size is refused.
    bool CheckTabSize();

    HostEditorTarget target_;
    EditorPageModel model_;
    // The controls are being filled: their notifications are no change of the user's.
    bool filling_ = false;
};

}  // namespace pw::options
