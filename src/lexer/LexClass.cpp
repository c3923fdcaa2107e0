#include "lexer/LexClass.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <utility>

#include "lexer/LexClassDef.h"
#include "lexer/LexText.h"

namespace {

struct ConditionKey {
    std::wstring_view key;
    LexClass::Condition condition;
    LexClass::ConditionGroup group;
};

constexpr ConditionKey kConditionKeys[] = {
    {L"previous:class", LexClass::kPreviousClass, LexClass::kPrevious},
    {L"previous:tag", LexClass::kPreviousTag, LexClass::kPrevious},
    {L"previous:tag:separators", LexClass::kPreviousTagSeparators, LexClass::kPrevious},
    {L"start:class", LexClass::kStartClass, LexClass::kStart},
    {L"start:tag", LexClass::kStartTag, LexClass::kStart},
    {L"end:class", LexClass::kEndClass, LexClass::kEnd},
    {L"end:tag", LexClass::kEndTag, LexClass::kEnd},
    {L"end:separators", LexClass::kEndSeparators, LexClass::kEnd},
    {L"token:tag", LexClass::kTokenTag, LexClass::kToken},
    {L"token:start:separators", LexClass::kTokenStartSeparators, LexClass::kToken},
    {L"token:end:separators", LexClass::kTokenEndSeparators, LexClass::kToken},
    {L"skip:tag", LexClass::kSkipTag, LexClass::kSkip},
};
static_assert(std::size(kConditionKeys) == LexClass::kConditionCount);

constexpr std::wstring_view kActiveTagsKey = L"_active_tags";

const ConditionKey* FindConditionKey(std::wstring_view key) {
    for (const ConditionKey& entry : kConditionKeys)
        if (EqualNoCase(entry.key, key))
            return &entry;
    return nullptr;
}

bool ContainsNoCase(const std::vector<std::wstring>& names, std::wstring_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::wstring& n) { return EqualNoCase(n, name); });
}

}  // namespace

LexClass::~LexClass() = default;

int LexClass::ApplyAttribute(const LexAttrDef& attr) {
    if (attr.nameParts.empty())
        return 0;
    for (auto stage :
         {&LexClass::ApplyRelationAttr, &LexClass::ApplyConditionAttr, &LexClass::ApplyPropertyAttr}) {
        Stage result = (this->*stage)(attr);
        if (result != Stage::kPassed)
            return result == Stage::kTaken ? 1 : 0;
    }
    return 0;
}

LexClass::Stage LexClass::ApplyRelationAttr(const LexAttrDef& attr) {
    const std::vector<std::wstring>& parts = attr.nameParts;
    if (EqualNoCase(parts[0], L"parent")) {
        if (parts.size() == 1) {
            parentRule_.mode = kParentNamed;
        } else if (EqualNoCase(parts[1], L"file")) {
            parentRule_.mode = kParentFile;
        } else if (EqualNoCase(parts[1], L"dyn")) {
            parentRule_.mode = kParentDynamic;
        } else {
            return Stage::kRejected;
        }
        parentRule_.names.insert(parentRule_.names.end(), attr.values.begin(), attr.values.end());
        return Stage::kTaken;
    }
    if (EqualNoCase(parts[0], L"children")) {
        if (!attr.values.empty() && Trim(attr.values[0]) != L"0") {
            childrenRule_.mode = kChildrenListed;
            childrenRule_.names.insert(childrenRule_.names.end(), attr.values.begin(), attr.values.end());
        } else {
            childrenRule_.mode = kChildrenNone;
        }
        return Stage::kTaken;
    }
    return Stage::kPassed;
}

LexClass::Stage LexClass::ApplyConditionAttr(const LexAttrDef& attr) {
    std::wstring key = attr.FullName();
    // The active tags are computed from the tag lists; values written for them make no groups
    // (their key's last part is neither "tag" nor "class"), but the key is no property either.
    if (EqualNoCase(key, kActiveTagsKey))
        return Stage::kTaken;
    const ConditionKey* entry = FindConditionKey(key);
    if (!entry)
        return Stage::kPassed;
    LexValueList groups = BuildValueGroups(attr.nameParts, attr.values);
    LexValueList& list = conditions_[entry->condition];
    list.insert(list.end(), groups.begin(), groups.end());
    filtersCaseSensitive_ = kNotComputed;
    groupEmpty_[entry->group] = false;
    if (!groups.empty())
        empty_ = false;
    return Stage::kTaken;
}

LexClass::Stage LexClass::ApplyPropertyAttr(const LexAttrDef& attr) {
    const std::vector<std::wstring>& values = attr.values;
    if (values.empty())
        return Stage::kRejected;  // nothing to store
    std::wstring key = attr.FullName();
    pw::RefPtr<LexValue> value;
    std::wstring text;
    if (values.size() > 1) {
        value = LexValue::MakeStrings(values);
    } else if (ParseQuoted(values[0], text)) {
        value = LexValue::MakeStrings({std::move(text)});
    } else if (EqualNoCase(key, L"end:class:parent")) {
        value = LexValue::MakeStrings(values);
    } else {
        int32_t number = LexValue::ParseNumber(values[0]);
        value = LexValue::MakeNumber(StartsWithNoCase(key, L"txt:color") ? SwapRedBlue(number) : number);
    }
    SetProperty(key, std::move(value));
    return Stage::kTaken;
}

LexValueList LexClass::BuildValueGroups(const std::vector<std::wstring>& nameParts,
                                        const std::vector<std::wstring>& values) {
    std::wstring_view last = nameParts.empty() ? std::wstring_view() : std::wstring_view(nameParts.back());
    bool tags = EqualNoCase(last, L"tag") || EqualNoCase(last, L"separators");
    bool classes = EqualNoCase(last, L"class");

    LexValueList groups;
    std::vector<std::wstring> run;  // the strings or names of the group being collected
    int runKind = LexValue::kEmpty;
    auto closeRun = [&] {
        if (runKind == LexValue::kStrings)
            groups.push_back(LexValue::MakeStrings(std::move(run)));
        if (runKind == LexValue::kClassNames)
            groups.push_back(LexValue::MakeClassNames(std::move(run)));
        run.clear();
        runKind = LexValue::kEmpty;
    };
    auto addToRun = [&](int kind, std::wstring text) {
        if (runKind != kind)
            closeRun();
        runKind = kind;
        run.push_back(std::move(text));
    };

    for (const std::wstring& value : values) {
        std::wstring text;
        LexCharSet set;
        if (ParseQuoted(value, text)) {
            if (tags) {
                addToRun(LexValue::kStrings, std::move(text));
                continue;
            }
        } else if (ParseCharSetRef(value, set)) {
            if (tags) {
                closeRun();
                groups.push_back(LexValue::MakeCharSet(set));
                continue;
            }
        } else if (classes) {
            addToRun(LexValue::kClassNames, std::wstring(Trim(value)));
            continue;
        }
        closeRun();  // an ignored value ends the group before it
    }
    closeRun();
    return groups;
}

bool LexClass::ParseQuoted(std::wstring_view value, std::wstring& text) {
    value = Trim(value);
    if (value.size() < 2 || value.front() != L'\'' || value.back() != L'\'')
        return false;
    text = value.substr(1, value.size() - 2);
    return true;
}

bool LexClass::ParseCharSetRef(std::wstring_view value, LexCharSet& set) {
    value = Trim(value);
    if (value.size() < 2 || value.front() != L'@')
        return false;
    set = LexCharSet::Parse(value);
    return true;
}

pw::RefPtr<LexValue> LexClass::GetValue(std::wstring_view key) const {
    if (EqualNoCase(key, L"name"))
        return LexValue::MakeClassNames({name_});
    if (const ConditionKey* entry = FindConditionKey(key))
        return LexValue::MakeList(conditions_[entry->condition]);
    if (EqualNoCase(key, kActiveTagsKey))
        return LexValue::MakeList(activeTags_);
    return LexValue::MakeEmpty();
}

pw::RefPtr<LexValue> LexClass::GetProperty(std::wstring_view key, bool searchAncestors) const {
    std::wstring folded = FoldCase(key);
    for (const LexClass* cls = this; cls; cls = searchAncestors ? cls->parent_.get() : nullptr) {
        auto found = cls->properties_.find(folded);
        if (found != cls->properties_.end())
            return found->second;
    }
    return LexValue::MakeEmpty();
}

bool LexClass::GetFlag(std::wstring_view key, bool searchAncestors, bool def) const {
    pw::RefPtr<LexValue> value = GetProperty(key, searchAncestors);
    if (value->GetKind() != LexValue::kNumber || value->GetNumber() == -1)
        return def;
    return value->GetNumber() != 0;
}

int32_t LexClass::GetNumber(std::wstring_view key, bool searchAncestors, int32_t def) const {
    pw::RefPtr<LexValue> value = GetProperty(key, searchAncestors);
    return value->GetKind() == LexValue::kNumber ? value->GetNumber() : def;
}

void LexClass::SetProperty(std::wstring_view key, pw::RefPtr<LexValue> value) {
    if (!value)
        return;
    ResetCache();
    properties_[FoldCase(key)] = std::move(value);
}

void LexClass::RemoveProperties(std::wstring_view prefix) {
    ResetCache();
    std::erase_if(properties_, [&](const auto& entry) { return StartsWithNoCase(entry.first, prefix); });
}

void LexClass::CopyProperties(const LexClass& other, std::wstring_view prefix) {
    if (&other == this)
        return;  // removing first would lose what is to be copied
    RemoveProperties(prefix);
    for (const auto& [key, value] : other.properties_)
        if (StartsWithNoCase(key, prefix))
            properties_[key] = value;
}

bool LexClass::IsCaseSensitive() const {
    if (caseSensitive_ == kNotComputed)
        caseSensitive_ = GetNumber(L"CaseSensitive", true, 0) > 0;
    return caseSensitive_ != 0;
}

int LexClass::IsCollapsable() const {
    if (collapsable_ == kNotComputed)
        collapsable_ = GetNumber(L"Collapsable", false, 0);
    return collapsable_;
}

bool LexClass::IsRestartRunLoop() const {
    if (restartRunLoop_ == kNotComputed)
        restartRunLoop_ = GetFlag(L"RestartRunLoop", false, true);
    return restartRunLoop_ != 0;
}

bool LexClass::IsEndClassParentThis() const {
    if (endClassParentThis_ == kNotComputed) {
        pw::RefPtr<LexValue> value = GetProperty(L"End:Class:Parent", false);
        endClassParentThis_ =
            value->GetKind() == LexValue::kStrings && ContainsNoCase(value->GetStrings(), L"this");
    }
    return endClassParentThis_ != 0;
}

void LexClass::GetTextAttributes(LexTextAttributes& attrs) const {
    if (!textAttributesComputed_) {
        auto number = [this](std::wstring_view key, int32_t def) { return GetNumber(key, true, def); };
        LexTextAttributes computed;
        computed.text.custom = number(L"txt:colorFG", kColorNotSet);
        computed.background.custom = number(L"txt:colorBK", kColorNotSet);
        computed.selectedText.custom = number(L"txt:colorSelFG", kColorNotSet);
        computed.selectedBackground.custom = number(L"txt:colorSelBK", kColorNotSet);
        // A flag written as 0 reads the same as no flag at all.
        auto flag = [&](std::wstring_view key, int on) {
            return number(key, 0) != 0 ? on : LexTextAttributes::kNotSet;
        };
        computed.weight = flag(L"txt:Bold", LexTextAttributes::kBold);
        computed.italic = flag(L"txt:Italic", 1);
        computed.underline = flag(L"txt:Underline", 1);
        textAttributes_ = computed;
        textAttributesComputed_ = true;
    }
    for (auto pair : {&LexTextAttributes::text, &LexTextAttributes::background,
                      &LexTextAttributes::selectedText, &LexTextAttributes::selectedBackground})
        if ((textAttributes_.*pair).IsSet())
            attrs.*pair = textAttributes_.*pair;
    attrs.weight = textAttributes_.weight;
    attrs.italic = textAttributes_.italic;
    attrs.underline = textAttributes_.underline;
}

void LexClass::ResetCache() {
    caseSensitive_ = collapsable_ = restartRunLoop_ = endClassParentThis_ = kNotComputed;
    textAttributesComputed_ = false;
}

bool LexClass::AddChild(const pw::RefPtr<LexClass>& child, bool dynamic) {
    if (!child)
        return false;
    if (child.get() == this) {
        if (!selfChildren_.empty())
            return false;
        selfChildren_.push_back(child);
        return true;
    }
    if (HasAncestor(child.get()))
        return false;
    child->parent_ = pw::RefPtr<LexClass>(this);
    (dynamic ? dynamicChildren_ : children_).push_back(child);
    return true;
}

bool LexClass::HasAncestor(const LexClass* cls) const {
    for (const LexClass* a = parent_.get(); a; a = a->parent_.get())
        if (a == cls)
            return true;
    return false;
}

pw::RefPtr<LexClass> LexClass::FindAncestor(std::wstring_view name) const {
    for (LexClass* a = parent_.get(); a; a = a->parent_.get())
        if (EqualNoCase(a->name_, name))
            return pw::RefPtr<LexClass>(a);
    return {};
}

void LexClass::Clear() {
    // A walk with a list of pending classes rather than recursion: deep trees cannot exhaust the
    // stack, and a class met twice has nothing left to clear the second time.
    std::vector<pw::RefPtr<LexClass>> pending;
    ClearOwn(pending);
    while (!pending.empty()) {
        pw::RefPtr<LexClass> cls = std::move(pending.back());
        pending.pop_back();
        cls->ClearOwn(pending);
    }
}

void LexClass::ClearOwn(std::vector<pw::RefPtr<LexClass>>& pending) {
    // The parent goes last: it may hold the last reference to this class.
    TakeChildLists(pending);
    for (LexValueList& list : conditions_) list.clear();
    ClearIndexes();
    properties_.clear();
    ResetCache();
    parent_.reset();
}

void LexClass::TakeChildLists(std::vector<pw::RefPtr<LexClass>>& out) {
    for (auto* list : {&children_, &dynamicChildren_, &selfChildren_}) {
        std::move(list->begin(), list->end(), std::back_inserter(out));
        list->clear();
    }
}

void LexClass::CopyFrom(const LexClass& other) {
    if (&other == this)
        return;
    // What this class lets go of is released on return: the self entry or the old parent may
    // hold the last reference to this class.
    std::vector<pw::RefPtr<LexClass>> released;
    TakeChildLists(released);
    released.push_back(parent_);
    parentRule_ = other.parentRule_;
    childrenRule_ = other.childrenRule_;
    // Taking the parent of a descendant of this class would close the parent chain into a loop.
    parent_ = other.parent_ && other.parent_.get() != this && !other.parent_->HasAncestor(this)
                  ? other.parent_
                  : nullptr;
    name_ = other.name_;
    conditions_ = other.conditions_;
    empty_ = true;
    groupEmpty_.fill(true);
    for (const ConditionKey& entry : kConditionKeys) {
        if (conditions_[entry.condition].empty())
            continue;
        groupEmpty_[entry.group] = false;
        empty_ = false;
    }
    properties_ = other.properties_;
    ResetCache();
    ClearIndexes();
}

pw::RefPtr<LexClass> LexClass::Clone() const {
    pw::RefPtr<LexClass> copy = pw::MakeRef<LexClass>();
    copy->CopyFrom(*this);
    return copy;
}

bool IsChildClass(const LexClass& child, const LexClass& parent) {
    LexClass::Rule children = parent.GetChildrenRule();
    if (children.mode == LexClass::kChildrenNone)
        return false;
    LexClass::Rule parents = child.GetParentRule();
    if (parents.mode != LexClass::kParentNamed || !ContainsNoCase(parents.names, parent.GetName()))
        return false;
    return children.mode != LexClass::kChildrenListed || ContainsNoCase(children.names, child.GetName());
}

bool IsTopLevelClass(const LexClass& cls) {
    return cls.GetParentRule().mode == LexClass::kParentFile;
}

int MayAppearDynamically(std::wstring_view name, const LexClass& cls,
                         std::span<const pw::RefPtr<LexClass>> classes) {
    LexClass::Rule rule = cls.GetParentRule();
    if (rule.mode != LexClass::kParentDynamic)
        return -1;
    // Breadth first over parent names; a name is followed once, so cycles end.
    std::deque<std::wstring> queue(rule.names.begin(), rule.names.end());
    std::vector<std::wstring> seen;
    while (!queue.empty()) {
        std::wstring parent = std::move(queue.front());
        queue.pop_front();
        if (EqualNoCase(parent, name))
            return 1;
        if (ContainsNoCase(seen, parent))
            continue;
        seen.push_back(parent);
        const LexClass* via = FindClassByName(classes, parent);
        if (!via)
            continue;
        LexClass::Rule viaRule = via->GetParentRule();
        if (viaRule.mode == LexClass::kParentDynamic)
            queue.insert(queue.end(), viaRule.names.begin(), viaRule.names.end());
    }
    return 0;
}

LexClass* FindClassByName(std::span<const pw::RefPtr<LexClass>> classes, std::wstring_view name) {
    for (const pw::RefPtr<LexClass>& cls : classes)
        if (cls && EqualNoCase(cls->GetName(), name))
            return cls.get();
    return nullptr;
}
