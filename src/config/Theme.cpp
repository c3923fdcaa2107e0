#include "config/Theme.h"

#include <algorithm>
#include <utility>

#include "platform/IniFile.h"

namespace {

constexpr wchar_t kMainSection[] = L"main";
constexpr wchar_t kParentKey[] = L"parentschema";

}  // namespace

Theme::Theme(std::wstring name, std::wstring path, pw::RefPtr<ThemeCollection> collection)
    : name_(std::move(name)), path_(std::move(path)), collection_(std::move(collection)) {}

void Theme::Load() {
    sections_.clear();
    for (const std::wstring& name : pw::IniSectionNames(path_)) {
        Section& section = sections_[FoldCase(name)];
        section.clear();  // a later section of the same name replaces the earlier one
        for (pw::IniEntry& entry : pw::IniSection(path_, name))
            section[FoldCase(entry.name)] = std::move(entry.value);
    }
}

std::vector<const Theme*> Theme::Lineage() const {
    std::vector<const Theme*> chain{this};
    for (;;) {
        pw::RefPtr<Theme> parent;
        const std::wstring parentName = chain.back()->GetParentName();
        if (collection_ && !parentName.empty())
            parent = collection_->Find(parentName);
        // A theme already passed, the starting one included, ends the chain: themes may name
        // each other or themselves.
        if (!parent || std::find(chain.begin(), chain.end(), parent.get()) != chain.end())
            return chain;
        chain.push_back(parent.get());  // the collection keeps it alive while we look
    }
}

const Theme::Section* Theme::FindSection(std::wstring_view name, bool inherit) const {
    const std::wstring key = FoldCase(name);
    if (!inherit || key == kMainSection) {
        auto it = sections_.find(key);
        return it == sections_.end() ? nullptr : &it->second;
    }
    for (const Theme* theme : Lineage()) {
        auto it = theme->sections_.find(key);
        if (it != theme->sections_.end())
            return &it->second;
    }
    return nullptr;
}

std::wstring Theme::GetValue(std::wstring_view section, std::wstring_view key, bool inherit) const {
    const std::wstring sectionKey = FoldCase(section);
    const std::wstring valueKey = FoldCase(key);
    const bool inherits = inherit && sectionKey != kMainSection;
    std::vector<const Theme*> themes = inherits ? Lineage() : std::vector<const Theme*>{this};
    for (const Theme* theme : themes) {
        auto found = theme->sections_.find(sectionKey);
        if (found == theme->sections_.end())
            continue;
        auto value = found->second.find(valueKey);
        if (value != found->second.end())
            return value->second;
    }
    return {};
}

std::wstring Theme::GetParentName() const {
    return GetValue(kMainSection, kParentKey, false);
}

pw::RefPtr<Theme> ThemeCollection::Find(std::wstring_view name) const {
    auto it = themes_.find(FoldCase(name));
    return it == themes_.end() ? pw::RefPtr<Theme>() : it->second;
}

pw::RefPtr<Theme> ThemeCollection::FindByPath(std::wstring_view path) const {
    for (const auto& [key, theme] : themes_)
        if (EqualNoCase(theme->GetPath(), path))
            return theme;
    return {};
}

void ThemeCollection::Add(pw::RefPtr<Theme> theme) {
    Remove(theme->GetName());
    names_.push_back(theme->GetName());
    std::wstring key = FoldCase(theme->GetName());
    themes_[key] = std::move(theme);
}

void ThemeCollection::Remove(std::wstring_view name) {
    themes_.erase(FoldCase(name));
    std::erase_if(names_, [&](const std::wstring& n) { return EqualNoCase(n, name); });
}

std::wstring ThemeCollection::NameForPath(std::wstring_view path) const {
    auto it = pathNames_.find(FoldCase(path));
    return it == pathNames_.end() ? std::wstring() : it->second;
}

void ThemeCollection::Clear() {
    themes_.clear();
    names_.clear();
    pathNames_.clear();
}
