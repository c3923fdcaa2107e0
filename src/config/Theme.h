#pragma once
// A colour theme: an ini file whose sections are named after lex classes and whose keys name
// text attributes. A theme takes every section and key it lacks from its parent, the theme
// that its section "main" names under "parentschema"; the chain ends where it would return to
// a theme already passed, so themes that name each other (or themselves) end the lookup.
//
// A theme finds its parent in the collection it was loaded into. Lookups read that collection:
// make them through the configuration manager, which locks it, while files may be reloaded.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexText.h"
#include "parser/TextSchema.h"
#include "platform/RefCounted.h"

class ThemeCollection;

class Theme : public pw::RefCounted, public TextSchema::ThemeSections {
public:
    using Section = std::map<std::wstring, std::wstring>;  // lower-cased key to value

    Theme(std::wstring name, std::wstring path, pw::RefPtr<ThemeCollection> collection);

    const std::wstring& GetName() const { return name_; }
    const std::wstring& GetPath() const { return path_; }

    // Replaces the sections with those of the file; a missing or unreadable file leaves none.
    void Load();
    // The section named `name` (case ignored) of this theme, or with `inherit` of the nearest
    // parent that has it; "main" is never inherited. Null when none has it.
    const Section* FindSection(std::wstring_view name, bool inherit) const;
    // The value of `key` in section `section`, the key taken from the parents' sections of the
    // same name when this theme's lacks it and `inherit` is set; empty when absent.
    std::wstring GetValue(std::wstring_view section, std::wstring_view key, bool inherit) const;
    // The name of the parent theme as written ("main", "parentschema"); empty when none.
    std::wstring GetParentName() const;

    // TextSchema::ThemeSections: the inherited section of the class.
    const Section* FindClassSection(const std::wstring& className) const override {
        return FindSection(className, true);
    }

protected:
    ~Theme() override = default;

private:
    // This theme, then its parent, the parent's parent..., each theme once.
    std::vector<const Theme*> Lineage() const;

    std::wstring name_;
    std::wstring path_;
    pw::RefPtr<ThemeCollection> collection_;
    std::map<std::wstring, Section> sections_;  // by lower-cased section name
};

// The loaded themes by name (case ignored), their names in load order, and the theme name of
// every theme file path named in the configuration, also of files that do not exist yet.
class ThemeCollection : public pw::RefCounted {
public:
    pw::RefPtr<Theme> Find(std::wstring_view name) const;
    // The loaded theme read from `path` (case ignored), or null.
    pw::RefPtr<Theme> FindByPath(std::wstring_view path) const;
    // Enters the theme under its name, replacing a theme of that name.
    void Add(pw::RefPtr<Theme> theme);
    void Remove(std::wstring_view name);
    const std::vector<std::wstring>& Names() const { return names_; }

    void MapPath(std::wstring_view path, const std::wstring& name) { pathNames_[FoldCase(path)] = name; }
    // The theme name that the configuration gives the file, or empty.
    std::wstring NameForPath(std::wstring_view path) const;
    // Empties everything; themes still held elsewhere find no parents any more.
    void Clear();

protected:
    ~ThemeCollection() override = default;

private:
    std::map<std::wstring, pw::RefPtr<Theme>> themes_;  // by lower-cased name
    std::vector<std::wstring> names_;
    std::map<std::wstring, std::wstring> pathNames_;  // lower-cased path to theme name
};
