#include "lexer/LexClass.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "lexer/LexClassDef.h"
#include "lexer/LexFileClass.h"
#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"
#include "platform/CodePage.h"

namespace {

using Strings = std::vector<std::wstring>;
using ClassPtr = pw::RefPtr<LexClass>;

// An attribute as the reader hands it over: "txt:colorFG" gives the parts txt and colorFG.
LexAttrDef Attr(std::wstring_view name, Strings values) {
    LexAttrDef attr;
    for (size_t start = 0;;) {
        size_t colon = name.find(L':', start);
        attr.nameParts.emplace_back(name.substr(start, colon - start));
        if (colon == std::wstring_view::npos)
            break;
        start = colon + 1;
    }
    attr.values = std::move(values);
    return attr;
}

ClassPtr Make(std::wstring name, std::initializer_list<LexAttrDef> attrs = {}) {
    ClassPtr cls = pw::MakeRef<LexClass>();
    cls->SetName(std::move(name));
    for (const LexAttrDef& attr : attrs)
        EXPECT_EQ(cls->ApplyAttribute(attr), 1) << pw::Narrow(attr.FullName());
    return cls;
}

// The groups of a list as text: strings as they are, class names in brackets, sets as "@id" or
// "@!id" when negated; groups separated by "|".
std::wstring Describe(const LexValueList& list) {
    std::wstring out;
    for (const pw::RefPtr<LexValue>& group : list) {
        if (&group != &list.front())
            out += L"|";
        const bool names = group->GetKind() == LexValue::kClassNames;
        if (group->GetKind() == LexValue::kCharSet) {
            out += group->GetCharSet().IsNegated() ? L"@!" : L"@";
            out += std::to_wstring(group->GetCharSet().GetId());
            continue;
        }
        for (size_t i = 0; i < group->GetStrings().size(); ++i)
            out += (i ? L"," : L"") + (names ? L"[" + group->GetStrings()[i] + L"]" : group->GetStrings()[i]);
    }
    return out;
}

int32_t Number(const LexClass& cls, std::wstring_view key) {
    pw::RefPtr<LexValue> value = cls.GetProperty(key, false);
    EXPECT_EQ(value->GetKind(), LexValue::kNumber) << pw::Narrow(key);
    return value->GetNumber();
}

Strings StringsOf(const LexClass& cls, std::wstring_view key) {
    pw::RefPtr<LexValue> value = cls.GetProperty(key, false);
    EXPECT_EQ(value->GetKind(), LexValue::kStrings) << pw::Narrow(key);
    return value->GetStrings();
}

// A class whose destruction is counted.
class CountedClass : public LexClass {
public:
    explicit CountedClass(int& destroyed) : destroyed_(destroyed) {}

protected:
    ~CountedClass() override { ++destroyed_; }

private:
    int& destroyed_;
};

}  // namespace

TEST(LexClass, ConditionListsGroupTheirValues) {
    ClassPtr cls =
        Make(L"c", {Attr(L"start:tag", {L"'/*'", L"'//'", L"@digit:not", L"'#'", L"word", L"'x'"}),
                    Attr(L"Start:Tag", {L"@alpha", L"'if'"}),
                    Attr(L"previous:class", {L"'quoted'", L"Comment", L"String", L"@alpha", L"Block"}),
                    Attr(L"end:separators", {L"'\\'", L"@eol", L"@specs"})});
    // Strings run into one group until a set, an ignored value or the line's end; a second line
    // adds its groups after those of the first.
    EXPECT_EQ(Describe(cls->GetConditionList(LexClass::kStartTag)), L"/*,//|@!2|#|x|@1|if");
    // Quoted text and sets are no class names.
    EXPECT_EQ(Describe(cls->GetConditionList(LexClass::kPreviousClass)), L"[Comment],[String]|[Block]");
    EXPECT_EQ(Describe(cls->GetConditionList(LexClass::kEndSeparators)), L"\\|@5|@4");
    // The lists come back through GetValue under their keys, in any case.
    pw::RefPtr<LexValue> value = cls->GetValue(L"START:tag");
    ASSERT_EQ(value->GetKind(), LexValue::kList);
    EXPECT_EQ(Describe(value->GetList()), Describe(cls->GetConditionList(LexClass::kStartTag)));
    EXPECT_EQ(value->GetList().front(), cls->GetConditionList(LexClass::kStartTag).front());  // shared groups
    EXPECT_EQ(cls->GetValue(L"token:tag")->GetKind(), LexValue::kList);
    EXPECT_TRUE(cls->GetValue(L"token:tag")->GetList().empty());
    value = cls->GetValue(L"Name");
    EXPECT_EQ(value->GetKind(), LexValue::kClassNames);
    EXPECT_EQ(value->GetStrings(), Strings{L"c"});
    EXPECT_EQ(cls->GetValue(L"txt:colorFG")->GetKind(), LexValue::kEmpty);

    // "''" is the empty tag; a lone quote and a lone "@" are neither text nor set.
    EXPECT_EQ(Describe(LexClass::BuildValueGroups({L"skip", L"tag"}, {L"''", L"'", L"@", L"'a'"})), L"|a");
    EXPECT_TRUE(LexClass::BuildValueGroups({L"start", L"other"}, {L"'a'", L"@alpha", L"Name"}).empty());
    EXPECT_TRUE(LexClass::BuildValueGroups({}, {L"'a'"}).empty());
}

TEST(LexClass, EmptyFlagsOfGroupsAndClass) {
    ClassPtr cls = Make(L"c");
    for (int g = 0; g < LexClass::kGroupCount; ++g)
        EXPECT_TRUE(cls->IsGroupEmpty(LexClass::ConditionGroup(g)));
    EXPECT_TRUE(cls->IsEmpty());

    // Values that are all ignored still mark their group as written, but give no entries.
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"end:tag", {L"unquoted"})), 1);
    EXPECT_FALSE(cls->IsGroupEmpty(LexClass::kEnd));
    EXPECT_TRUE(cls->IsEmpty());
    EXPECT_TRUE(cls->GetConditionList(LexClass::kEndTag).empty());
    // The key of the active tags is taken, but its values are none of the kinds a list holds.
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"_Active_Tags", {L"'a'", L"@alpha", L"Name"})), 1);
    EXPECT_TRUE(cls->GetActiveTags().empty());
    EXPECT_EQ(cls->GetValue(L"_active_tags")->GetKind(), LexValue::kList);
    EXPECT_EQ(cls->GetProperty(L"_active_tags", false)->GetKind(), LexValue::kEmpty);
    EXPECT_TRUE(cls->IsEmpty());

    cls->ApplyAttribute(Attr(L"token:end:separators", {L"@eol"}));
    EXPECT_FALSE(cls->IsGroupEmpty(LexClass::kToken));
    EXPECT_FALSE(cls->IsEmpty());
    for (auto g : {LexClass::kPrevious, LexClass::kStart, LexClass::kSkip}) EXPECT_TRUE(cls->IsGroupEmpty(g));

    // A copy reckons its flags from the lists it received: the group written without entries is
    // empty again there.
    ClassPtr copy = cls->Clone();
    EXPECT_TRUE(copy->IsGroupEmpty(LexClass::kEnd));
    EXPECT_FALSE(copy->IsGroupEmpty(LexClass::kToken));
    EXPECT_FALSE(copy->IsEmpty());
    copy->CopyFrom(*Make(L"other"));
    EXPECT_TRUE(copy->IsEmpty());
    EXPECT_TRUE(copy->IsGroupEmpty(LexClass::kToken));
}

TEST(LexClass, PropertiesAreTypedFromTheirValues) {
    ClassPtr cls =
        Make(L"c", {Attr(L"CollapsedText", {L"'{...}'"}), Attr(L"DisplayName", {L"'Block'", L"'Comment'"}),
                    Attr(L"RecurrenceDepth", {L"0x10"}), Attr(L"ParseOnScreen", {L"010"}),
                    Attr(L"Junk", {L"abc"}), Attr(L"End:Class:Parent", {L"'this'"}),
                    Attr(L"end:class:PARENT", {L"This"}), Attr(L"txt:colorFG", {L"0xFF0000"}),
                    Attr(L"TXT:ColorFg", {L"0x00FF80"}), Attr(L"txt:colorBKx", {L"0x010203"}),
                    Attr(L"txt:Bold", {L"0x010203"}), Attr(L"Quote", {L"'"})});
    EXPECT_EQ(StringsOf(*cls, L"collapsedtext"), Strings{L"{...}"});
    EXPECT_EQ(StringsOf(*cls, L"DISPLAYNAME"), (Strings{L"'Block'", L"'Comment'"}));  // quotes kept
    EXPECT_EQ(Number(*cls, L"RecurrenceDepth"), 16);
    EXPECT_EQ(Number(*cls, L"ParseOnScreen"), 8);
    EXPECT_EQ(Number(*cls, L"Junk"), 0);
    EXPECT_EQ(StringsOf(*cls, L"End:Class:Parent"), Strings{L"This"});  // the later line wins, as written
    // Colours change from 0xRRGGBB to 0x00BBGGRR, for every key that begins with "txt:color".
    EXPECT_EQ(Number(*cls, L"txt:colorfg"), 0x80FF00);
    EXPECT_EQ(Number(*cls, L"txt:colorBKx"), 0x030201);
    EXPECT_EQ(Number(*cls, L"txt:Bold"), 0x010203);
    EXPECT_EQ(Number(*cls, L"Quote"), 0);  // a lone quote is no quoted text

    EXPECT_EQ(cls->GetProperty(L"absent", true)->GetKind(), LexValue::kEmpty);
    EXPECT_EQ(cls->GetNumber(L"absent", false, 42), 42);
    EXPECT_EQ(cls->GetNumber(L"CollapsedText", false, 42), 42);
    EXPECT_TRUE(cls->GetFlag(L"CollapsedText", false, true));
    cls->SetProperty(L"Flag", LexValue::MakeNumber(-1));
    EXPECT_FALSE(cls->GetFlag(L"flag", false, false));
    EXPECT_TRUE(cls->GetFlag(L"flag", false, true));
    cls->SetProperty(L"Flag", LexValue::MakeNumber(2));
    EXPECT_TRUE(cls->GetFlag(L"flag", false, false));
    cls->SetProperty(L"Flag", nullptr);
    EXPECT_EQ(Number(*cls, L"flag"), 2);

    // An attribute without any value has nothing to store; one without a name is no attribute.
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"Empty", {})), 0);
    EXPECT_EQ(cls->GetProperty(L"empty", false)->GetKind(), LexValue::kEmpty);
    EXPECT_EQ(cls->ApplyAttribute(LexAttrDef{}), 0);
}

TEST(LexClass, RelationRules) {
    ClassPtr cls = Make(L"c", {Attr(L"parent", {L"A", L"B"})});
    EXPECT_EQ(cls->GetParentRule().mode, LexClass::kParentNamed);
    EXPECT_EQ(cls->GetParentRule().names, (Strings{L"A", L"B"}));
    EXPECT_EQ(cls->GetChildrenRule().mode, LexClass::kChildrenAny);

    EXPECT_EQ(cls->ApplyAttribute(Attr(L"Parent:Dyn", {L"C"})), 1);
    EXPECT_EQ(cls->GetParentRule().mode, LexClass::kParentDynamic);
    EXPECT_EQ(cls->GetParentRule().names, (Strings{L"A", L"B", L"C"}));
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"PARENT:file", {L"<*.c>"})), 1);
    EXPECT_EQ(cls->GetParentRule().mode, LexClass::kParentFile);
    // An unknown kind of parent is rejected and changes nothing, nor lands among the properties.
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"parent:other", {L"D"})), 0);
    EXPECT_EQ(cls->GetParentRule().mode, LexClass::kParentFile);
    EXPECT_EQ(cls->GetParentRule().names.size(), 4u);
    EXPECT_EQ(cls->GetProperty(L"parent:other", false)->GetKind(), LexValue::kEmpty);

    EXPECT_EQ(cls->ApplyAttribute(Attr(L"children", {L"X", L"Y"})), 1);
    EXPECT_EQ(cls->GetChildrenRule().mode, LexClass::kChildrenListed);
    EXPECT_EQ(cls->GetChildrenRule().names, (Strings{L"X", L"Y"}));
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"Children", {L" 0 "})), 1);
    EXPECT_EQ(cls->GetChildrenRule().mode, LexClass::kChildrenNone);
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"children", {L"00"})), 1);
    EXPECT_EQ(cls->GetChildrenRule().mode, LexClass::kChildrenListed);
    EXPECT_EQ(cls->ApplyAttribute(Attr(L"children", {})), 1);
    EXPECT_EQ(cls->GetChildrenRule().mode, LexClass::kChildrenNone);
}

TEST(LexClass, TextAttributesAndCachedFlagsComeFromAncestors) {
    ClassPtr top = Make(L"top", {Attr(L"CaseSensitive", {L"1"}), Attr(L"Collapsable", {L"2"}),
                                 Attr(L"txt:colorFG", {L"0x102030"}), Attr(L"txt:Bold", {L"1"}),
                                 Attr(L"txt:Italic", {L"1"}), Attr(L"txt:colorSelBK", {L"'text'"})});
    ClassPtr mid = Make(L"mid", {Attr(L"txt:colorBK", {L"0xFFFFFF"}), Attr(L"txt:Italic", {L"0"})});
    ClassPtr leaf = Make(L"leaf", {Attr(L"CaseSensitive", {L"0"}), Attr(L"RestartRunLoop", {L"0"}),
                                   Attr(L"End:Class:Parent", {L"'x'", L"THIS"})});
    ASSERT_TRUE(top->AddChild(mid, false));
    ASSERT_TRUE(mid->AddChild(leaf, true));

    EXPECT_TRUE(top->IsCaseSensitive());
    EXPECT_TRUE(mid->IsCaseSensitive());
    EXPECT_FALSE(leaf->IsCaseSensitive());
    EXPECT_EQ(top->IsCollapsable(), 2);
    EXPECT_EQ(mid->IsCollapsable(), 0);  // not inherited
    EXPECT_TRUE(mid->IsRestartRunLoop());
    EXPECT_FALSE(leaf->IsRestartRunLoop());
    EXPECT_TRUE(leaf->IsEndClassParentThis());
    EXPECT_FALSE(mid->IsEndClassParentThis());

    // A record that arrives with standard colours keeps the pairs the class does not set.
    LexTextAttributes attrs;
    attrs.selectedText = {5, kColorNotSet};
    attrs.selectedBackground = {6, kColorNotSet};
    attrs.weight = 400;
    leaf->GetTextAttributes(attrs);
    EXPECT_EQ(attrs.text, (LexColorPair{kColorNotSet, 0x302010}));
    EXPECT_EQ(attrs.background, (LexColorPair{kColorNotSet, 0xFFFFFF}));
    EXPECT_EQ(attrs.selectedText, (LexColorPair{5, kColorNotSet}));
    EXPECT_EQ(attrs.selectedBackground, (LexColorPair{6, kColorNotSet}));  // strings are no colour
    EXPECT_EQ(attrs.weight, LexTextAttributes::kBold);
    EXPECT_EQ(attrs.italic, LexTextAttributes::kNotSet);  // the nearest "txt:Italic" is 0
    EXPECT_EQ(attrs.underline, LexTextAttributes::kNotSet);

    // Cached answers follow SetProperty on the class itself.
    leaf->SetProperty(L"casesensitive", LexValue::MakeNumber(3));
    leaf->SetProperty(L"RESTARTRUNLOOP", LexValue::MakeNumber(-1));
    leaf->SetProperty(L"txt:bold", LexValue::MakeNumber(0));
    leaf->SetProperty(L"End:Class:Parent", LexValue::MakeStrings({L"that"}));
    EXPECT_TRUE(leaf->IsCaseSensitive());
    EXPECT_TRUE(leaf->IsRestartRunLoop());
    EXPECT_FALSE(leaf->IsEndClassParentThis());
    LexTextAttributes fresh;
    leaf->GetTextAttributes(fresh);
    EXPECT_EQ(fresh.weight, LexTextAttributes::kNotSet);  // 0 reads as not set
    EXPECT_EQ(fresh.text.custom, 0x302010);
    // A change higher up reaches a class once its cache is reset.
    top->SetProperty(L"txt:colorFG", LexValue::MakeNumber(0x0000FF));
    leaf->ResetCache();
    leaf->GetTextAttributes(fresh);
    EXPECT_EQ(fresh.text.custom, 0x0000FF);

    EXPECT_EQ(leaf->FindAncestor(L"TOP"), top);
    EXPECT_EQ(leaf->FindAncestor(L"mid"), mid);
    EXPECT_FALSE(leaf->FindAncestor(L"leaf"));  // ancestors only
    EXPECT_FALSE(top->FindAncestor(L"top"));
    top->Clear();
}

// Random property edits against a map keyed by the lower-cased key: keys in mixed case,
// prefixes of several lengths, copies between two classes.
TEST(LexClass, PropertyEditsFollowAModel) {
    const Strings keys = {L"txt:colorFG",   L"TXT:colorBK", L"txt:Bold", L"txtX",
                          L"CaseSensitive", L"tx",          L"global:a"};
    const Strings prefixes = {L"", L"txt:", L"TXT:COLOR", L"t", L"global:", L"nothing"};
    std::mt19937 rng(5);
    ClassPtr classes[2] = {Make(L"a"), Make(L"b")};
    std::map<std::wstring, int32_t> models[2];
    auto lower = [](std::wstring_view s) { return FoldCase(s); };
    for (int step = 0; step < 5000; ++step) {
        int which = rng() % 2;
        LexClass& cls = *classes[which];
        auto& model = models[which];
        std::wstring key = keys[rng() % keys.size()];
        if (rng() % 2)
            key = lower(key);
        std::wstring prefix = prefixes[rng() % prefixes.size()];
        switch (rng() % 4) {
            case 0:
            case 1: {
                int32_t n = static_cast<int32_t>(rng() % 1000);
                cls.SetProperty(key, LexValue::MakeNumber(n));
                model[lower(key)] = n;
                break;
            }
            case 2:
                cls.RemoveProperties(prefix);
                std::erase_if(model, [&](const auto& e) { return e.first.starts_with(lower(prefix)); });
                break;
            default:
                cls.CopyProperties(*classes[1 - which], prefix);
                std::erase_if(model, [&](const auto& e) { return e.first.starts_with(lower(prefix)); });
                for (const auto& [k, v] : models[1 - which])
                    if (k.starts_with(lower(prefix)))
                        model[k] = v;
                break;
        }
        for (const std::wstring& k : keys) {
            auto found = model.find(lower(k));
            ASSERT_EQ(cls.GetNumber(k, false, -5), found == model.end() ? -5 : found->second)
                << step << " " << pw::Narrow(k);
        }
    }
}

TEST(LexClass, ThemeColoursLaidOverAClass) {
    ClassPtr schema = Make(L"c", {Attr(L"txt:colorFG", {L"0x0000FF"}), Attr(L"txt:colorBK", {L"0x00FF00"}),
                                  Attr(L"Collapsable", {L"1"})});
    ClassPtr theme = Make(
        L"c", {Attr(L"TXT:colorFG", {L"0xFF0000"}), Attr(L"txt:Bold", {L"1"}), Attr(L"Collapsable", {L"0"})});
    LexTextAttributes before;
    schema->GetTextAttributes(before);
    schema->CopyProperties(*theme, L"Txt:");
    LexTextAttributes after;
    schema->GetTextAttributes(after);
    EXPECT_EQ(after.text.custom, 0x0000FF);            // the theme's red, stored as COLORREF
    EXPECT_EQ(after.background.custom, kColorNotSet);  // the schema's own "txt:" keys are replaced
    EXPECT_EQ(after.weight, LexTextAttributes::kBold);
    EXPECT_EQ(schema->IsCollapsable(), 1);  // other keys stay
    EXPECT_NE(before, after);
    // Copying a class's properties onto itself keeps them.
    schema->CopyProperties(*schema, L"txt:");
    EXPECT_EQ(schema->GetNumber(L"txt:bold", false, 0), 1);
}

TEST(LexClass, CopiesAndClonesAreIndependent) {
    ClassPtr top = Make(L"top", {Attr(L"parent:file", {L"<*.c|*.h>"})});
    ClassPtr cls = Make(L"Comment", {Attr(L"parent", {L"top"}), Attr(L"children", {L"X"}),
                                     Attr(L"start:tag", {L"'/*'"}), Attr(L"txt:colorFG", {L"0x010203"})});
    ASSERT_TRUE(top->AddChild(cls, false));
    ASSERT_TRUE(cls->AddChild(cls, false));
    ClassPtr child = Make(L"X");
    ASSERT_TRUE(cls->AddChild(child, true));
    LexTextAttributes attrs;
    cls->GetTextAttributes(attrs);

    ClassPtr copy = cls->Clone();
    EXPECT_EQ(copy->GetName(), L"Comment");
    EXPECT_EQ(copy->GetParent(), top);
    EXPECT_EQ(copy->GetParentRule().names, Strings{L"top"});
    EXPECT_EQ(copy->GetChildrenRule().mode, LexClass::kChildrenListed);
    EXPECT_EQ(Describe(copy->GetConditionList(LexClass::kStartTag)), L"/*");
    EXPECT_EQ(copy->GetNumber(L"txt:colorFG", false, 0), 0x030201);
    EXPECT_TRUE(copy->GetChildren().empty() && copy->GetDynamicChildren().empty() &&
                copy->GetSelfChildren().empty());
    EXPECT_EQ(top->GetChildren().size(), 1u);  // a copy is not linked into its parent's lists

    // Changes on either side stay on that side.
    cls->ApplyAttribute(Attr(L"start:tag", {L"'//'"}));
    cls->SetProperty(L"txt:colorFG", LexValue::MakeNumber(1));
    cls->ApplyAttribute(Attr(L"parent", {L"more"}));
    copy->SetName(L"Other");
    copy->RemoveProperties();
    EXPECT_EQ(Describe(copy->GetConditionList(LexClass::kStartTag)), L"/*");
    EXPECT_EQ(Describe(cls->GetConditionList(LexClass::kStartTag)), L"/*|//");
    EXPECT_EQ(copy->GetParentRule().names, Strings{L"top"});
    EXPECT_EQ(cls->GetName(), L"Comment");
    EXPECT_EQ(cls->GetNumber(L"txt:colorFG", false, 0), 1);
    LexTextAttributes copied;
    copy->GetTextAttributes(copied);
    EXPECT_EQ(copied.text.custom, kColorNotSet);

    // The variant survives cloning, and a file class made from an ordinary one knows its
    // extensions.
    ClassPtr file = pw::MakeRef<LexFileClass>();
    file->CopyFrom(*top);
    ClassPtr fileClone = file->Clone();
    ASSERT_NE(dynamic_cast<LexFileClass*>(fileClone.get()), nullptr);
    EXPECT_EQ(dynamic_cast<LexFileClass&>(*fileClone).GetExtensions(), (Strings{L".c", L".h"}));
    EXPECT_EQ(dynamic_cast<LexFileClass*>(top->Clone().get()), nullptr);

    // A class that copies a descendant of its own does not take that class's parent: its
    // parent chain would come back to itself.
    ClassPtr grand = Make(L"grand");
    ASSERT_TRUE(child->AddChild(grand, false));
    child->CopyFrom(*grand);
    EXPECT_FALSE(child->GetParent());
    cls->CopyFrom(*cls);  // copying itself changes nothing
    EXPECT_EQ(cls->GetName(), L"Comment");
    top->Clear();
    child->Clear();
}

TEST(LexClass, ChildLinksAndClearFreeTheTree) {
    int destroyed = 0;
    auto counted = [&](std::wstring name) {
        ClassPtr cls = pw::MakeRef<CountedClass>(destroyed);
        cls->SetName(std::move(name));
        cls->SetProperty(L"txt:colorFG", LexValue::MakeNumber(1));
        return cls;
    };
    // A random tree with dynamic children and self entries, each child holding its parent.
    std::mt19937 rng(11);
    ClassPtr root = counted(L"root");
    std::vector<ClassPtr> all = {root};
    for (int i = 1; i < 300; ++i) {
        ClassPtr cls = counted(L"c" + std::to_wstring(i));
        ClassPtr parent = all[rng() % all.size()];
        bool dynamic = rng() % 3 == 0;
        ASSERT_TRUE(parent->AddChild(cls, dynamic));
        EXPECT_EQ(cls->GetParent(), parent);
        EXPECT_EQ((dynamic ? parent->GetDynamicChildren() : parent->GetChildren()).back(), cls);
        if (rng() % 4 == 0) {
            ASSERT_TRUE(cls->AddChild(cls, false));
            EXPECT_FALSE(cls->AddChild(cls, true));  // once only
            EXPECT_EQ(cls->GetSelfChildren().size(), 1u);
            EXPECT_FALSE(cls->GetParent() == cls);
        }
        all.push_back(cls);
    }
    // An ancestor cannot become a child: the parent chains stay finite.
    ClassPtr deepest = all.back();
    EXPECT_FALSE(deepest->AddChild(root, false));
    EXPECT_FALSE(deepest->AddChild(deepest->GetParent(), true));
    EXPECT_FALSE(root->AddChild(nullptr, false));
    EXPECT_FALSE(root->GetParent());

    all.clear();
    deepest.reset();
    EXPECT_EQ(destroyed, 0);  // children and parents hold one another
    root->Clear();
    EXPECT_EQ(destroyed, 299);  // the root is still ours
    EXPECT_TRUE(root->GetChildren().empty() && root->GetDynamicChildren().empty());
    EXPECT_EQ(root->GetProperty(L"txt:colorFG", false)->GetKind(), LexValue::kEmpty);
    EXPECT_EQ(root->GetName(), L"root");
    root.reset();
    EXPECT_EQ(destroyed, 300);

    // A class that contains itself is freed once cleared; a child cleared alone lets go of its
    // parent but stays in the parent's list until the parent is cleared.
    ClassPtr parent = counted(L"p");
    ClassPtr child = counted(L"c");
    ASSERT_TRUE(parent->AddChild(child, false));
    ASSERT_TRUE(parent->AddChild(parent, false));
    child->Clear();
    EXPECT_FALSE(child->GetParent());
    child.reset();
    EXPECT_EQ(destroyed, 300);
    parent->Clear();
    EXPECT_EQ(destroyed, 301);
    parent.reset();
    EXPECT_EQ(destroyed, 302);
}

TEST(LexFileClass, ExtensionsFromTheParentFileRule) {
    auto file = [](Strings values) {
        pw::RefPtr<LexFileClass> cls = pw::MakeRef<LexFileClass>();
        cls->SetName(L"C");
        cls->ApplyAttribute(Attr(L"parent:file", std::move(values)));
        return cls;
    };
    pw::RefPtr<LexFileClass> cls = file({L"<*.c|*.H| *.cpp |>"});
    EXPECT_EQ(cls->GetExtensions(), (Strings{L".c", L".H", L".cpp", L""}));
    EXPECT_TRUE(cls->HasExtension(L".h"));
    EXPECT_TRUE(cls->HasExtension(L".CPP"));
    EXPECT_FALSE(cls->HasExtension(L".cp"));
    for (auto [key, answer] :
         {std::pair{L"IsExt=.c", 1}, {L"isext=.C", 1}, {L"ISEXT=.cxx", 0}, {L"IsExt=c", 0}}) {
        pw::RefPtr<LexValue> value = cls->GetValue(key);
        ASSERT_EQ(value->GetKind(), LexValue::kNumber) << pw::Narrow(key);
        EXPECT_EQ(value->GetNumber(), answer) << pw::Narrow(key);
    }
    EXPECT_EQ(cls->GetValue(L"IsExt")->GetKind(), LexValue::kEmpty);
    EXPECT_EQ(cls->GetValue(L"name")->GetStrings(), Strings{L"C"});

    // Without angle brackets, or with only the first value counted, there are no extensions.
    EXPECT_TRUE(file({L"*.c|*.h"})->GetExtensions().empty());
    EXPECT_TRUE(file({L"<*.c"})->GetExtensions().empty());
    EXPECT_TRUE(file({L"<"})->GetExtensions().empty());
    EXPECT_EQ(file({L"<*.c>", L"<*.h>"})->GetExtensions(), Strings{L".c"});
    EXPECT_EQ(file({L"<>"})->GetExtensions(), Strings{L""});

    // The parsed list is kept until refreshed.
    pw::RefPtr<LexFileClass> changing = file({L"<*.a>"});
    EXPECT_TRUE(changing->HasExtension(L".a"));
    changing->CopyFrom(*file({L"<*.b>"}));
    EXPECT_TRUE(changing->HasExtension(L".b"));
    pw::RefPtr<LexFileClass> late = pw::MakeRef<LexFileClass>();
    EXPECT_TRUE(late->GetExtensions().empty());
    late->ApplyAttribute(Attr(L"parent:file", {L"<*.z>"}));
    late->RefreshExtensions();
    EXPECT_TRUE(late->HasExtension(L".z"));
}

TEST(LexClass, RelationsBetweenClasses) {
    ClassPtr top = Make(L"Top", {Attr(L"parent:file", {L"<*.x>"})});
    ClassPtr block =
        Make(L"Block", {Attr(L"parent", {L"top", L"Block"}), Attr(L"children", {L"block", L"Word"})});
    ClassPtr word = Make(L"Word", {Attr(L"parent", {L"Block"})});
    ClassPtr number = Make(L"Number", {Attr(L"parent", {L"BLOCK", L"Top"})});
    ClassPtr closed = Make(L"Closed", {Attr(L"parent", {L"Top"}), Attr(L"children", {L"0"})});
    ClassPtr inner = Make(L"Inner", {Attr(L"parent", {L"Closed"})});
    ClassPtr dynamic = Make(L"Dyn", {Attr(L"parent:dyn", {L"Block"})});

    EXPECT_TRUE(IsTopLevelClass(*top));
    EXPECT_FALSE(IsTopLevelClass(*block));
    EXPECT_FALSE(IsTopLevelClass(*dynamic));

    // Any children: every class that names the parent, in any case.
    EXPECT_TRUE(IsChildClass(*block, *top));
    EXPECT_TRUE(IsChildClass(*number, *top));
    EXPECT_FALSE(IsChildClass(*word, *top));
    EXPECT_FALSE(IsChildClass(*dynamic, *block));  // dynamic classes are no ordinary children
    // Listed children: only those the parent lists; a class naming itself contains itself.
    EXPECT_TRUE(IsChildClass(*word, *block));
    EXPECT_TRUE(IsChildClass(*block, *block));
    EXPECT_FALSE(IsChildClass(*number, *block));
    // "children" 0: none at all.
    EXPECT_FALSE(IsChildClass(*inner, *closed));
    EXPECT_FALSE(IsChildClass(*top, *top));

    const std::vector<ClassPtr> all = {top, block, word, number, closed, inner, dynamic};
    EXPECT_EQ(FindClassByName(all, L"NUMBER"), number.get());
    EXPECT_EQ(FindClassByName(all, L"Nothing"), nullptr);
}

TEST(LexClass, DynamicAppearanceFollowsChainsAndEndsOnCycles) {
    // A inside Outer directly; B inside A, so inside Outer too; C and D name each other and
    // reach Outer only through A; E and F name only each other.
    std::vector<ClassPtr> all = {
        Make(L"A", {Attr(L"parent:dyn", {L"Outer"})}),
        Make(L"B", {Attr(L"parent:dyn", {L"a"})}),
        Make(L"C", {Attr(L"parent:dyn", {L"D"})}),
        Make(L"D", {Attr(L"parent:dyn", {L"C", L"Plain", L"A"})}),
        Make(L"E", {Attr(L"parent:dyn", {L"F"})}),
        Make(L"F", {Attr(L"parent:dyn", {L"E", L"e"})}),
        Make(L"Plain", {Attr(L"parent", {L"Outer"})}),
    };
    auto may = [&](std::wstring_view cls, std::wstring_view inside) {
        return MayAppearDynamically(inside, *FindClassByName(all, cls), all);
    };
    EXPECT_EQ(may(L"A", L"outer"), 1);
    EXPECT_EQ(may(L"B", L"Outer"), 1);
    EXPECT_EQ(may(L"C", L"Outer"), 1);
    EXPECT_EQ(may(L"D", L"Outer"), 1);
    EXPECT_EQ(may(L"C", L"C"), 1);  // through D
    EXPECT_EQ(may(L"E", L"Outer"), 0);
    EXPECT_EQ(may(L"F", L"Nowhere"), 0);
    EXPECT_EQ(may(L"A", L"B"), 0);
    // A named class that is not dynamic carries no chain: Plain inside Outer is no dynamic path.
    EXPECT_EQ(may(L"Plain", L"Outer"), -1);
    all.push_back(Make(L"G", {Attr(L"parent:dyn", {L"Plain"})}));
    EXPECT_EQ(may(L"G", L"Outer"), 0);
    EXPECT_EQ(may(L"G", L"plain"), 1);
}

// The way the configuration builds a language: one class per block of schema text, named from
// the block, with every attribute applied in file order.
TEST(LexClass, ClassesFromSchemaText) {
    SchemaReader reader;
    reader.ParseText(
        L"lexClass:\r\n"
        L"\tname = c_cpp\r\n"
        L"\tparent:file = <*.c|*.cpp|*.h>\r\n"
        L"\tCaseSensitive = 0\r\n"
        L"\ttxt:colorFG = 0x102030 // schema notation\r\n"
        L"//:lexClass\r\n"
        L"lexClass:\r\n"
        L"\tname = c_comment\r\n"
        L"\tparent = c_cpp\r\n"
        L"\tstart:tag = '/*'\r\n"
        L"\tend:tag = '*/'\r\n"
        L"\tCollapsable = 1\r\n"
        L"\tCollapsedText = '/*...*/'\r\n"
        L"\ttxt:colorFG = 0x00A000\r\n"
        L"//:lexClass\r\n"
        L"lexClass:\r\n"
        L"\tname = c_keyword\r\n"
        L"\tparent = c_cpp\r\n"
        L"\ttoken:tag = 'if', 'else', 'while'\r\n"
        L"\ttoken:start:separators = @specs, ' '\r\n"
        L"\ttoken:end:separators = @specs, @eol:not, ' '\r\n"
        L"\ttxt:Bold = 1\r\n"
        L"//:lexClass\r\n");
    std::vector<ClassPtr> classes;
    for (const LexClassDef& def : reader.GetDefinitions()) {
        ClassPtr cls = pw::MakeRef<LexClass>();
        cls->SetName(def.name);
        for (const LexAttrDef& attr : def.attributes) EXPECT_EQ(cls->ApplyAttribute(attr), 1);
        classes.push_back(cls);
    }
    ASSERT_EQ(classes.size(), 3u);
    const LexClass& top = *classes[0];
    const LexClass& comment = *classes[1];
    const LexClass& keyword = *classes[2];

    EXPECT_TRUE(IsTopLevelClass(top));
    EXPECT_TRUE(IsChildClass(comment, top));
    EXPECT_TRUE(IsChildClass(keyword, top));
    EXPECT_FALSE(IsChildClass(keyword, comment));
    EXPECT_FALSE(top.IsCaseSensitive());
    EXPECT_EQ(top.GetNumber(L"txt:colorFG", false, 0), 0x302010);
    EXPECT_TRUE(top.IsEmpty());

    EXPECT_EQ(Describe(comment.GetConditionList(LexClass::kStartTag)), L"/*");
    EXPECT_EQ(Describe(comment.GetConditionList(LexClass::kEndTag)), L"*/");
    EXPECT_EQ(comment.IsCollapsable(), 1);
    EXPECT_EQ(StringsOf(comment, L"CollapsedText"), Strings{L"/*...*/"});
    EXPECT_FALSE(comment.IsGroupEmpty(LexClass::kStart));
    EXPECT_TRUE(comment.IsGroupEmpty(LexClass::kToken));

    EXPECT_EQ(Describe(keyword.GetConditionList(LexClass::kTokenTag)), L"if,else,while");
    EXPECT_EQ(Describe(keyword.GetConditionList(LexClass::kTokenStartSeparators)), L"@4| ");
    EXPECT_EQ(Describe(keyword.GetConditionList(LexClass::kTokenEndSeparators)), L"@4|@!5| ");

    // Linked under a file-class copy of the top class, the children inherit its colours.
    pw::RefPtr<LexFileClass> file = pw::MakeRef<LexFileClass>();
    file->CopyFrom(top);
    EXPECT_EQ(file->GetValue(L"IsExt=.CPP")->GetNumber(), 1);
    ClassPtr keywordInstance = keyword.Clone();
    ASSERT_TRUE(file->AddChild(keywordInstance, false));
    LexTextAttributes attrs;
    keywordInstance->GetTextAttributes(attrs);
    EXPECT_EQ(attrs.text.custom, 0x302010);
    EXPECT_EQ(attrs.weight, LexTextAttributes::kBold);
    file->Clear();
}
