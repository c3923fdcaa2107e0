#include "parser/ClassSet.h"

#include <algorithm>

#include "lexer/LexFileClass.h"
#include "lexer/LexText.h"
#include "lexer/LexValue.h"

namespace {

constexpr std::wstring_view kClassIdKey = L"ClassID";

bool ContainsName(const std::vector<std::wstring>& names, std::wstring_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::wstring& n) { return EqualNoCase(n, name); });
}

bool IsParsedOnScreenOnly(const LexClass& cls) {
    return cls.GetNumber(L"ParseOnScreen", false, 0) != 0;
}

// A candidate of `parent` that bears its name is the parent itself, nesting in itself.
void AddCandidate(ClassSet::Candidates& candidates, const pw::RefPtr<LexClass>& tmpl,
                  const LexClass* parent) {
    if (parent && EqualNoCase(tmpl->GetName(), parent->GetName()))
        candidates.self = true;
    else
        candidates.classes.push_back(tmpl);
}

pw::RefPtr<LexClass> CopyOf(const LexClass& source, bool fileClass) {
    pw::RefPtr<LexClass> copy = ClassSet::CreateClass(fileClass);
    copy->CopyFrom(source);
    return copy;
}

}  // namespace

ClassSet::~ClassSet() {
    ClearTrees();
}

void ClassSet::AddTemplate(pw::RefPtr<LexClass> cls) {
    if (cls)
        templates_.push_back(std::move(cls));
}

pw::RefPtr<LexClass> ClassSet::FindTemplate(std::wstring_view name) const {
    return FindClassByName(templates_, name);
}

pw::RefPtr<LexClass> ClassSet::CreateClass(bool fileClass) {
    if (fileClass)
        return pw::MakeRef<LexFileClass>();
    return pw::MakeRef<LexClass>();
}

const ClassSet::ClassList& ClassSet::GetTree(int kind) const {
    static const ClassList kNoClasses;
    switch (kind) {
        case kFullTree:
            return fullTree_;
        case kCompleteParseTree:
            return completeParseTree_;
        default:
            return kNoClasses;
    }
}

void ClassSet::Clear() {
    ClearTrees();
    templates_.clear();
}

void ClassSet::ClearTrees() {
    // Instances hold their parents and, through the self list, themselves: only Clear frees them.
    for (ClassList* tree : {&fullTree_, &completeParseTree_}) {
        for (const pw::RefPtr<LexClass>& top : *tree) top->Clear();
        tree->clear();
    }
}

bool ClassSet::BuildTrees() {
    ClearTrees();
    int32_t counter = 1;
    std::vector<std::wstring> namePath;
    bool built = true;
    for (const pw::RefPtr<LexClass>& tmpl : GetChildren(nullptr).classes) {
        pw::RefPtr<LexClass> top = CopyOf(*tmpl, true);
        top->SetProperty(kClassIdKey, LexValue::MakeNumber(counter++));
        fullTree_.push_back(top);
        built = BuildChildren(0, *top, namePath, counter, 0) && BuildChildren(1, *top, namePath, counter, 0);
        if (!built)
            break;
    }
    if (!built || !BuildCompleteParseTree()) {
        ClearTrees();
        return false;
    }
    // A tag too long for an index leaves the rest of the trees fit to run.
    const bool prepared = PrepareTree(kCompleteParseTree);
    return PrepareTree(kFullTree) && prepared;
}

bool ClassSet::BuildChildren(int kind, LexClass& parent, std::vector<std::wstring>& namePath,
                             int32_t& counter, int depth) {
    Candidates candidates = kind == 0 ? GetChildren(&parent) : GetDynamicChildren(parent);
    for (const pw::RefPtr<LexClass>& tmpl : candidates.classes) {
        if (depth == 0)
            namePath.clear();
        const auto occurrences = std::count_if(namePath.begin(), namePath.end(), [&](const std::wstring& n) {
            return EqualNoCase(n, tmpl->GetName());
        });
        if (occurrences >= tmpl->GetNumber(L"RecurrenceDepth", false, 1) || depth >= kMaxNesting)
            continue;
        if (counter > kMaxInstances)
            return false;
        pw::RefPtr<LexClass> instance = CopyOf(*tmpl, false);
        instance->SetProperty(kClassIdKey, LexValue::MakeNumber(counter++));
        if (!parent.AddChild(instance, kind == 1))
            return false;
        namePath.push_back(tmpl->GetName());
        bool built = BuildChildren(kind, *instance, namePath, counter, depth + 1) &&
                     BuildChildren(1 - kind, *instance, namePath, counter, depth + 1);
        namePath.pop_back();
        if (!built)
            return false;
    }
    if (candidates.self)
        parent.AddChild(pw::RefPtr<LexClass>(&parent), false);  // refused when already there
    return true;
}

bool ClassSet::BuildCompleteParseTree() {
    for (const pw::RefPtr<LexClass>& source : fullTree_) {
        if (IsParsedOnScreenOnly(*source))
            continue;
        pw::RefPtr<LexClass> top = CopyOf(*source, true);
        completeParseTree_.push_back(top);
        if (!CopySubtree(true, *top, *source, 0))
            return false;
    }
    return true;
}

bool ClassSet::CopySubtree(bool filter, LexClass& destination, const LexClass& source, int depth) {
    // Trees are built within the nesting limit; one that has outgrown it was changed by hand.
    if (depth > kMaxNesting)
        return false;
    for (bool dynamic : {false, true}) {
        for (const pw::RefPtr<LexClass>& child :
             dynamic ? source.GetDynamicChildren() : source.GetChildren()) {
            if (filter && IsParsedOnScreenOnly(*child))
                continue;
            pw::RefPtr<LexClass> copy = CopyOf(*child, false);
            if (!destination.AddChild(copy, dynamic) || !CopySubtree(filter, *copy, *child, depth + 1))
                return false;
        }
    }
    if (!source.GetSelfChildren().empty())
        destination.AddChild(pw::RefPtr<LexClass>(&destination), false);
    return true;
}

bool ClassSet::CopyTo(ClassSet& other) const {
    if (&other == this)
        return true;
    other.Clear();
    for (const pw::RefPtr<LexClass>& tmpl : templates_) other.templates_.push_back(tmpl->Clone());
    bool copied = true;
    for (int kind : {kFullTree, kCompleteParseTree}) {
        ClassList& tree = kind == kFullTree ? other.fullTree_ : other.completeParseTree_;
        for (const pw::RefPtr<LexClass>& source : GetTree(kind)) {
            tree.push_back(source->Clone());
            copied = copied && CopySubtree(false, *tree.back(), *source, 0);
        }
    }
    if (!copied) {
        other.ClearTrees();
        return false;
    }
    // Copies take the ordered lists but not the indexes and active tags, and a copy runs in a
    // parser of its own.
    const bool prepared = other.PrepareTree(kCompleteParseTree);
    return other.PrepareTree(kFullTree) && prepared;
}

ClassSet::Candidates ClassSet::GetChildren(const LexClass* cls) const {
    Candidates candidates;
    for (const pw::RefPtr<LexClass>& tmpl : templates_)
        if (cls ? IsChildClass(*tmpl, *cls) : IsTopLevelClass(*tmpl))
            AddCandidate(candidates, tmpl, cls);
    return candidates;
}

ClassSet::Candidates ClassSet::GetDynamicChildren(const LexClass& cls) const {
    Candidates candidates;
    // A class that contains no classes takes no dynamic ones either.
    if (cls.GetChildrenRule().mode == LexClass::kChildrenNone)
        return candidates;
    const std::vector<std::wstring> names = GetClassAndAncestorNames(cls);
    for (const pw::RefPtr<LexClass>& tmpl : templates_) {
        if (std::any_of(names.begin(), names.end(),
                        [&](const std::wstring& name) { return MayAppearDynamically(name, *tmpl) == 1; }))
            AddCandidate(candidates, tmpl, &cls);
    }
    return candidates;
}

std::vector<std::wstring> ClassSet::GetClassAndAncestorNames(const LexClass& cls) const {
    // Breadth first, each name once, so that parents naming each other end the walk.
    std::vector<std::wstring> names{cls.GetName()};
    for (size_t i = 0; i < names.size(); ++i) {
        const LexClass* named = i == 0 ? &cls : FindClassByName(templates_, names[i]);
        for (const std::wstring& parent : named->GetParentRule().names) {
            const LexClass* tmpl = FindClassByName(templates_, parent);
            if (tmpl && !ContainsName(names, tmpl->GetName()))
                names.push_back(tmpl->GetName());
        }
    }
    return names;
}

int ClassSet::MayAppearDynamically(std::wstring_view name, const LexClass& cls) const {
    return ::MayAppearDynamically(name, cls, templates_);
}

bool ClassSet::PrepareTree(int kind) {
    bool prepared = true;
    for (const pw::RefPtr<LexClass>& top : GetTree(kind)) prepared = BuildIndexes(*top, 0) && prepared;
    // The active tags of a class take in those of its children, which it computes on the way, so
    // one pass from each top class reaches every class once they are all ordered.
    for (const pw::RefPtr<LexClass>& top : GetTree(kind)) prepared = top->BuildActiveTags() && prepared;
    return prepared;
}

bool ClassSet::BuildIndexes(LexClass& cls, int depth) {
    // Trees are built within the nesting limit; one that has outgrown it was changed by hand.
    if (depth > kMaxNesting)
        return false;
    bool built = cls.BuildIndexes();
    for (bool dynamic : {false, true})
        for (const pw::RefPtr<LexClass>& child : dynamic ? cls.GetDynamicChildren() : cls.GetChildren())
            built = BuildIndexes(*child, depth + 1) && built;
    return built;
}
