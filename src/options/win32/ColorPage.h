#pragma once
// Windows only: the options sheet's "Syntax Color" page: the colours and font styles of each
// language's lex classes, edited in copies of the schema files' definitions. Apply writes the
// recorded edits into each file as it is then (ConfigManager::EditSchemaFile), which reloads the
// schemes at once; a file that cannot be written keeps its edits and the page stays modified.
// The attribute list shows each class in its colours and styles as edited, a sample of the
// language's look before it is applied. Beyond the schema files, the page chooses the configuration's current
// theme and says where the theme shows a class in colours other than the schema's.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "config/ConfigManager.h"
#include "editor/win32/Gdi.h"
#include "options/ClassColors.h"
#include "options/win32/ColorPickers.h"
#include "options/win32/OptionsPage.h"

namespace pw::options {

class FontPage;

class ColorPage : public OptionsPage {
public:
    // The samples take the font page's font as it is when the page is shown.
    ColorPage(const OptionsHost& host, const FontPage& fontPage);

protected:
    void OnInit() override;
    void OnCommand(int id, UINT code, HWND control) override;
    bool OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    struct FileType {
        ConfigManager::Entry scheme;
        ClassColorsEditor* editor;  // null when the scheme's file was never read
    };

    ConfigManager* Config() const;
    void FillFileTypes();
    void FillThemes();
    // The attribute list of the selected file type, its first line selected.
    void ShowFileType();
    // The pickers, the style boxes and the samples from the selected class.
    void ShowClass();
    void ShowThemeNote();
    void MakeSampleFont();
    ClassColorsEditor* Editor() const;
    int SelectedClass() const;
    void Changed();
    // A line of the attribute list: the class's name in the class's own colours and styles.
    void DrawClass(const DRAWITEMSTRUCT& item) const;
    void OnFileTypeMenu(POINT screen);
    // The selected file type's schema file opened by the host, the sheet closed.
    void OpenSchemaFile();

    const FontPage& fontPage_;
    // Lower-cased schema file path to the page's copy of its definitions and the edits.
    std::map<std::wstring, ClassColorsEditor> files_;
    std::vector<FileType> fileTypes_;
    std::vector<std::wstring> themes_;  // the picker's items; the first is "no theme"
    size_t appliedTheme_ = 0;           // the item in force: the current theme when it is loaded, else none
    ColorPickers pickers_;
    pw::win32::Font sampleFont_;
};

}  // namespace pw::options
