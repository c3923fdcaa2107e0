#pragma once
// What registering the control writes under the classes root: for each class its CLSID key
// (the server's path, apartment threading, ProgID, type library and version; the control also
// marks itself a control with its misc status and its two component categories, safe for
// scripts and for initialising from stored data) and its ProgID key pointing back. Unregistering
// deletes the classes' and ProgIDs' keys with everything below them; the categories, shared with
// other controls, stay.
#include <string>
#include <vector>

struct RegistryValue {
    std::wstring key;   // below the classes root
    std::wstring name;  // empty: the key's default value
    std::wstring data;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

std::vector<RegistryValue> ServerRegistryValues(const std::wstring& serverPath);
// A key unregistering deletes, with its subkeys. The 32- and the 64-bit servers have class keys
// of their own but share the ProgIDs: a ProgID stays while `keptWhile`, its class's key, is still
// there for the other one.
struct RegistryKey {
    std::wstring key;
    std::wstring keptWhile;  // empty: always deleted
};
std::vector<RegistryKey> ServerRegistryKeys();
