// The control's type library as hosts and scripts read it from the DLL: its identifiers are
// those the registration writes, and every member of the control and its events answers to the
// dispatch id hosts and scripts were built against.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "activex/Identifiers.h"

namespace {

GUID Guid(const wchar_t* text) {
    GUID guid{};
    CLSIDFromString(text, &guid);
    return guid;
}

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LoadTypeLibEx(L"" PW_CONTROL_DLL, REGKIND_NONE, &library), S_OK); }
    void TearDown() override { library->Release(); }

    // The names' dispatch ids in the named dispinterface; -1 for a name it lacks.
    std::vector<DISPID> Ids(const wchar_t* interfaceName, const std::vector<const wchar_t*>& names) {
        ITypeInfo* info = nullptr;
        MEMBERID unused = 0;
        USHORT found = 1;
        std::wstring name = interfaceName;
        EXPECT_EQ(library->FindName(name.data(), 0, &info, &unused, &found), S_OK);
        std::vector<DISPID> ids;
        for (const wchar_t* member : names) {
            DISPID id = -1;
            auto* text = const_cast<LPOLESTR>(member);
            if (!info || FAILED(info->GetIDsOfNames(&text, 1, &id)))
                id = -1;
            ids.push_back(id);
        }
        if (info)
            info->Release();
        return ids;
    }

    ITypeLib* library = nullptr;
};

TEST_F(TypeLibrary, IdentifiersAreThoseRegistered) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, Guid(ControlIds::kLibraryId)));
    EXPECT_EQ(attributes->wMajorVerNum, ControlIds::kLibraryMajor);
    EXPECT_EQ(attributes->wMinorVerNum, ControlIds::kLibraryMinor);
    library->ReleaseTLibAttr(attributes);
    for (const wchar_t* id : {ControlIds::kControlClassId, ControlIds::kSettingsClassId}) {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(library->GetTypeInfoOfGuid(Guid(id), &info), S_OK) << id;
        if (info)
            info->Release();
    }
}

TEST_F(TypeLibrary, MembersAnswerToTheirDispatchIds) {
    const std::vector<std::pair<const wchar_t*, DISPID>> control = {
        {L"hWnd", -515},
        {L"Enabled", -514},
        {L"Font", -512},
        {L"AboutBox", -552},
        {L"BorderStyle", 1},
        {L"DataManager", 2},
        {L"ConfigFile", 3},
        {L"Text", 4},
        {L"TopRow", 5},
        {L"EnableSyntaxColorization", 9},
        {L"ShowLineNumbers", 10},
        {L"ShowSelectionMargin", 11},
        {L"ShowScrollBarVert", 12},
        {L"ShowScrollBarHorz", 13},
        {L"EnableVirtualSpace", 14},
        {L"EnableAutoIndent", 15},
        {L"ShowWhiteSpace", 16},
        {L"ReadOnly", 17},
        {L"Modified", 18},
        {L"TabSize", 19},
        {L"ShowOptionsDialog", 20},
        {L"OpenFile", 50},
        {L"SaveFile", 51},
        {L"SaveFileAs", 52},
        {L"AddRemoveBookmark", 53},
        {L"AddRemoveBreakPoint", 54},
        {L"PrevBookmark", 55},
        {L"NextBookmark", 56},
        {L"RefreshColors", 57},
        {L"RedrawControl", 58},
        {L"CurrRow", 60},
        {L"CurrCol", 61},
        {L"CurrRowPos", 62},
        {L"CurrPos", 63},
        {L"Selection", 64},
        {L"SetRowBkColor", 65},
        {L"SetRowColor", 66},
        {L"ShowFindReplaceDialog", 67},
        {L"HideFindReplaceDialog", 68},
        {L"FindReplaceDialogVisible", 69},
        {L"PrintOptions", 70},
        {L"PrintPreviewOptions", 71},
        {L"PrintText", 72},
        {L"PrintText2", 73},
        {L"PrintPreview", 74},
        {L"CanCut", 120},
        {L"CanCopy", 121},
        {L"CanPaste", 122},
        {L"CanUndo", 123},
        {L"CanRedo", 124},
        {L"Cut", 125},
        {L"Copy", 126},
        {L"Paste", 127},
        {L"Undo", 128},
        {L"Redo", 129},
        {L"RowsCount", 201},
        {L"RowTextLength", 202},
        {L"TextLength", 203},
        {L"RowText", 204},
        {L"InsertRow", 205},
        {L"RemoveRow", 206},
        {L"SelectAll", 210},
        {L"ClearUndoBuffer", 211},
        {L"IndentSelection", 212},
        {L"UnindentSelection", 213},
    };
    const std::vector<std::pair<const wchar_t*, DISPID>> events = {
        {L"DblClick", -601},   {L"MouseDown", -605}, {L"MouseMove", -606},
        {L"MouseUp", -607},    {L"KeyDown", -602},   {L"KeyUp", -604},
        {L"CurPosChanged", 1}, {L"Change", 2},       {L"SelChange", 3},
    };
    const std::vector<std::pair<const wchar_t*, DISPID>> position = {
        {L"Row", 1}, {L"Col", 2}, {L"StrPos", 3}, {L"SetPos", 10}, {L"SetPosStr", 11}};
    const std::vector<std::pair<const wchar_t*, DISPID>> selection = {
        {L"Text", 1},         {L"BlockSelectionMode", 2}, {L"Start", 10}, {L"End", 11},
        {L"NormalStart", 12}, {L"NormalEnd", 13},         {L"Reset", 14}};
    const std::vector<std::pair<const wchar_t*, DISPID>> data = {{L"FileExt", 1}};
    for (const auto& [interfaceName, members] :
         {std::pair(L"_DPenwright", control), std::pair(L"_DPenwrightEvents", events),
          std::pair(L"PenwrightTextPosition", position), std::pair(L"PenwrightTextSelection", selection),
          std::pair(L"PenwrightDataManager", data)}) {
        std::vector<const wchar_t*> names;
        std::vector<DISPID> expected;
        for (const auto& [name, id] : members) {
            names.push_back(name);
            expected.push_back(id);
        }
        EXPECT_EQ(Ids(interfaceName, names), expected) << testing::PrintToString(std::wstring(interfaceName));
    }
}

}  // namespace
