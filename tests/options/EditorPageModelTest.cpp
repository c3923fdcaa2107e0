// The editor page's values against a recording control and document: what Apply writes, in
// which order, and what it refuses.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "options/EditorPageModel.h"

namespace {

using pw::options::EditorPageModel;
using Applied = EditorPageModel::Applied;

class Recorder : public pw::options::EditorPageTarget {
public:
    bool window = true;
    bool document = false;
    bool autoReload = false;
    int tabSize = 4;
    std::array<bool, EditorOptions::kCount> options{};
    // The calls whose persisting fails, by the name they are recorded under.
    std::set<std::string> failing;
    std::vector<std::string> calls;

    bool HasWindow() const override { return window; }
    bool GetOption(EditorOptions::Option option) const override { return options[option]; }
    bool SetOption(EditorOptions::Option option, bool value) override {
        options[option] = value;
        return Record(Narrow(EditorOptions::Key(option)) + "=" + (value ? "1" : "0"));
    }
    int GetTabSize() const override { return tabSize; }
    bool SetTabSize(int size) override {
        tabSize = size;
        return Record("TabSize=" + std::to_string(size));
    }
    void Repaint() override { Record("Repaint"); }
    bool HasDocument() const override { return document; }
    bool GetAutoReload() const override { return autoReload; }
    bool SetAutoReload(bool on) override {
        autoReload = on;
        return Record(std::string("AutoReload=") + (on ? "1" : "0"));
    }
    void UpdateAllViews(int hint) override { Record("Views " + std::to_string(hint)); }

private:
    static std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }
    bool Record(std::string call) {
        calls.push_back(call);
        return !failing.contains(call.substr(0, call.find('=')));
    }
};

TEST(EditorPageModel, TabSizeAcceptsOneToSixtyFourInDigitsOnly) {
    struct Case {
        const wchar_t* text;
        std::optional<int> size;
    };
    const Case cases[] = {
        {L"0", std::nullopt},
        {L"1", 1},
        {L"64", 64},
        {L"65", std::nullopt},
        {L"", std::nullopt},
        {L"abc", std::nullopt},
        {L" 8", std::nullopt},
        {L"-1", std::nullopt},
        {L"08", 8},
        {L"8 ", std::nullopt},
        {L"064", 64},
        {L"99999999999999999999", std::nullopt},
        {L"\x0668", std::nullopt},  // an Arabic-Indic eight is no digit here
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditorPageModel::ParseTabSize(c.text), c.size)
            << testing::PrintToString(std::wstring(c.text));
}

TEST(EditorPageModel, ReadsTheTargetAndAppliesNothingUntilModified) {
    Recorder target;
    target.options[EditorOptions::kLineNumbers] = true;
    target.tabSize = 7;
    target.document = true;
    target.autoReload = true;
    EditorPageModel model(target);
    EXPECT_TRUE(model.GetOption(EditorOptions::kLineNumbers));
    EXPECT_FALSE(model.GetOption(EditorOptions::kSelMargin));
    EXPECT_EQ(model.GetTabSizeText(), L"7");
    EXPECT_TRUE(model.GetAutoReload());
    EXPECT_FALSE(model.IsModified());
    EXPECT_EQ(model.Apply(target), Applied::kNothing);
    EXPECT_TRUE(target.calls.empty());
}

TEST(EditorPageModel, AppliesScrollBarsFirstAndTabsLastThenRepaintsAndTellsTheViews) {
    Recorder target;
    target.document = true;
    EditorPageModel model(target);
    model.SetOption(EditorOptions::kSelMargin, true);
    model.SetTabSizeText(L"8");
    model.SetAutoReload(true);
    EXPECT_EQ(model.Apply(target), Applied::kSaved);
    const std::vector<std::string> expected = {
        "AutoReload=1",   "HScrollBar=0",  "VScrollBar=0",   "SyntaxColor=0", "AutoIndent=0",
        "SelMargin=1",    "LineNumbers=0", "VirtualSpace=0", "WideCaret=0",   "TabSize=8",
        "TabWithSpace=0", "Repaint",       "Views 2"};
    EXPECT_EQ(target.calls, expected);
    EXPECT_FALSE(model.IsModified());
    target.calls.clear();
    EXPECT_EQ(model.Apply(target), Applied::kNothing);
    EXPECT_TRUE(target.calls.empty());
}

TEST(EditorPageModel, WithoutAWindowOrADocumentOnlyWhatExistsIsTouched) {
    struct Case {
        bool window, document;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {false, false, {}},
        {false, true, {"AutoReload=0", "Views 2"}},
    };
    for (const Case& c : cases) {
        Recorder target;
        target.window = c.window;
        target.document = c.document;
        EditorPageModel model(target);
        model.SetOption(EditorOptions::kWideCaret, true);
        EXPECT_EQ(model.Apply(target), Applied::kSaved);
        EXPECT_EQ(target.calls, c.calls) << c.window << c.document;
        EXPECT_FALSE(target.options[EditorOptions::kWideCaret]);
    }
    // Without a document the page never reads the flag, nor offers it.
    Recorder target;
    target.autoReload = true;
    EXPECT_FALSE(EditorPageModel(target).GetAutoReload());
}

TEST(EditorPageModel, ARefusedTabSizeSetsNothingAndStaysModified) {
    for (const wchar_t* text : {L"0", L"65", L"", L"x"}) {
        Recorder target;
        target.document = true;
        EditorPageModel model(target);
        model.SetOption(EditorOptions::kLineNumbers, true);
        model.SetTabSizeText(text);
        EXPECT_EQ(model.Apply(target), Applied::kRefused);
        EXPECT_TRUE(target.calls.empty());
        EXPECT_TRUE(model.IsModified());
    }
}

TEST(EditorPageModel, AFailedWriteIsReportedAndTheRestStillApplied) {
    for (const char* failing : {"AutoReload", "HScrollBar", "TabSize", "TabWithSpace"}) {
        Recorder target;
        target.document = true;
        target.failing = {failing};
        EditorPageModel model(target);
        model.SetOption(EditorOptions::kTabWithSpace, true);
        EXPECT_EQ(model.Apply(target), Applied::kUnsaved) << failing;
        EXPECT_EQ(target.calls.size(), 13u) << failing;
        EXPECT_TRUE(target.options[EditorOptions::kTabWithSpace]) << failing;
    }
}

}  // namespace
