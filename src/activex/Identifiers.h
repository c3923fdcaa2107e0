#pragma once
// The control's names in the system: the type library, the two classes and their ProgIDs. The
// type library source (win32/Penwright.idl) carries the same identifiers; a Windows test reads
// them back from the built library.
namespace ControlIds {

inline constexpr const wchar_t* kLibraryId = L"{6AD2A8A2-4221-4E46-9F17-6BC9D446770F}";
inline constexpr unsigned kLibraryMajor = 11;
inline constexpr unsigned kLibraryMinor = 2;
inline constexpr const wchar_t* kVersion = L"11.2.2";  // the control's own, as Version reports it

inline constexpr const wchar_t* kControlClassId = L"{6DDE12DC-C771-4125-A426-756334C961A2}";
inline constexpr const wchar_t* kControlProgId = L"Vantrell.Penwright.11.2.2";
// What hosts that do not care for the version ask for: it leads to the current one.
inline constexpr const wchar_t* kControlCurrentProgId = L"Vantrell.Penwright";
inline constexpr const wchar_t* kControlName = L"Penwright";

inline constexpr const wchar_t* kSettingsClassId = L"{38E9BF40-F693-4A20-8FF5-D3CF7CF25950}";
inline constexpr const wchar_t* kSettingsProgId = L"Vantrell.PenwrightGlobalSettings.11.2.2";
inline constexpr const wchar_t* kSettingsCurrentProgId = L"Vantrell.PenwrightGlobalSettings";
inline constexpr const wchar_t* kSettingsName = L"Penwright Global Settings";

}  // namespace ControlIds
