#include "parser/ClassSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lexer/LexClassDef.h"
#include "lexer/LexFileClass.h"
#include "lexer/LexText.h"
#include "lexer/LexValue.h"
#include "lexer/SchemaReader.h"
#include "lexer/TagTrie.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"

namespace {

using ClassPtr = pw::RefPtr<LexClass>;

// One schema block: a name and attribute lines such as "parent = top".
std::wstring Block(std::wstring_view name, std::initializer_list<std::wstring_view> lines) {
    std::wstring text = L"lexClass:\n\tname = " + std::wstring(name) + L"\n";
    for (std::wstring_view line : lines) text += L"\t" + std::wstring(line) + L"\n";
    return text + L"//:lexClass\n";
}

// The configuration's steps: one template per block, every attribute applied in file order.
void Load(ClassSet& set, const std::vector<LexClassDef>& definitions) {
    for (const LexClassDef& def : definitions) {
        ClassPtr cls = ClassSet::CreateClass(false);
        cls->SetName(def.name);
        for (const LexAttrDef& attr : def.attributes)
            EXPECT_EQ(cls->ApplyAttribute(attr), 1) << pw::Narrow(def.name + L" " + attr.FullName());
        set.AddTemplate(cls);
    }
}

void Load(ClassSet& set, const std::wstring& text) {
    SchemaReader reader;
    reader.ParseText(text);
    Load(set, reader.GetDefinitions());
}

// A tree as text: each instance as name#ClassID, its children in brackets, dynamic children
// marked "~", a class that contains itself marked "*". With `onScreen` false, the classes whose
// "ParseOnScreen" is nonzero are left out with their subtrees.
std::wstring Dump(const ClassSet::ClassList& classes, bool onScreen = true) {
    std::wstring out;
    for (const ClassPtr& cls : classes) {
        if (!onScreen && cls->GetNumber(L"ParseOnScreen", false, 0) != 0)
            continue;
        if (!out.empty())
            out += L" ";
        if (cls->GetParent() && &classes == &cls->GetParent()->GetDynamicChildren())
            out += L"~";
        out += cls->GetName() + L"#" + std::to_wstring(cls->GetNumber(L"ClassID", false, 0));
        std::wstring inner = Dump(cls->GetChildren(), onScreen);
        std::wstring dynamic = Dump(cls->GetDynamicChildren(), onScreen);
        if (!dynamic.empty())
            inner += (inner.empty() ? L"" : L" ") + dynamic;
        if (!cls->GetSelfChildren().empty())
            inner += inner.empty() ? L"*" : L" *";
        if (!inner.empty())
            out += L"(" + inner + L")";
    }
    return out;
}

std::string Tree(const ClassSet& set, int kind) {
    return pw::Narrow(Dump(set.GetTree(kind)));
}

// Every instance of a tree, depth first through direct then dynamic children.
void Walk(const ClassSet::ClassList& classes, const std::function<void(const LexClass&, int)>& visit,
          int depth = 0) {
    for (const ClassPtr& cls : classes) {
        visit(*cls, depth);
        Walk(cls->GetChildren(), visit, depth + 1);
        Walk(cls->GetDynamicChildren(), visit, depth + 1);
    }
}

// The strings of a class's active tags.
std::vector<std::wstring> ActiveTags(const LexClass& cls) {
    std::vector<std::wstring> tags;
    for (const pw::RefPtr<LexValue>& group : cls.GetActiveTags())
        tags.insert(tags.end(), group->GetStrings().begin(), group->GetStrings().end());
    return tags;
}

const std::wstring kTop = Block(L"top", {L"parent:file = <*.t>"});

TEST(ClassSet, NumbersTopClassesBeforeTheirSubtreesInDefinitionOrder) {
    ClassSet set;
    Load(set, Block(L"t1", {L"parent:file = <*.a>"}) + Block(L"t2", {L"parent:file = <*.b>"}) +
                  Block(L"c1", {L"parent = t1"}) + Block(L"c2", {L"parent = t1"}) +
                  Block(L"d1", {L"parent = t2"}) + Block(L"d2", {L"parent = t2"}));
    ASSERT_TRUE(set.BuildTrees());
    EXPECT_EQ(Tree(set, ClassSet::kFullTree), "t1#1(c1#2 c2#3) t2#4(d1#5 d2#6)");
    EXPECT_EQ(Tree(set, ClassSet::kCompleteParseTree), Tree(set, ClassSet::kFullTree));
    // Top classes are file classes that know their extensions; children are ordinary copies
    // whose parent is the instance above them, not the template.
    auto* top = dynamic_cast<LexFileClass*>(set.GetTree(0)[1].get());
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->HasExtension(L".b"));
    EXPECT_EQ(dynamic_cast<LexFileClass*>(top->GetChildren()[0].get()), nullptr);
    EXPECT_EQ(top->GetChildren()[0]->GetParent().get(), top);
    EXPECT_EQ(set.GetTemplates()[2]->GetChildren().size(), 0u);
    EXPECT_EQ(set.GetTree(2).size(), 0u);
    EXPECT_EQ(set.GetTree(-1).size(), 0u);

    // Rebuilding starts over: the same numbers, no second copy.
    ASSERT_TRUE(set.BuildTrees());
    EXPECT_EQ(Tree(set, ClassSet::kFullTree), "t1#1(c1#2 c2#3) t2#4(d1#5 d2#6)");
}

TEST(ClassSet, RecurrenceDepthLimitsClassesThatContainEachOther) {
    const std::wstring b = Block(L"b", {L"parent = top, a"});
    ClassSet once;
    Load(once, kTop + Block(L"a", {L"parent = top, b"}) + b);
    ASSERT_TRUE(once.BuildTrees());
    EXPECT_EQ(Tree(once, 0), "top#1(a#2(b#3) b#4(a#5))");

    ClassSet twice;
    Load(twice, kTop + Block(L"a", {L"parent = top, b", L"RecurrenceDepth = 2"}) + b);
    ASSERT_TRUE(twice.BuildTrees());
    EXPECT_EQ(Tree(twice, 0), "top#1(a#2(b#3(a#4)) b#5(a#6))");

    // A class that names itself nests in itself through its self list, without copies, at any
    // "RecurrenceDepth"; and a class with "children = 0" holds nothing, itself included.
    ClassSet self;
    Load(self, kTop + Block(L"block", {L"parent = top, block", L"RecurrenceDepth = 3"}) +
                   Block(L"word", {L"parent = block"}) +
                   Block(L"leaf", {L"parent = top, leaf", L"children = 0"}) +
                   Block(L"x", {L"parent = leaf"}));
    ASSERT_TRUE(self.BuildTrees());
    EXPECT_EQ(Tree(self, 0), "top#1(block#2(word#3 *) leaf#4)");
    EXPECT_EQ(self.GetTree(0)[0]->GetChildren()[0]->GetSelfChildren()[0].get(),
              self.GetTree(0)[0]->GetChildren()[0].get());

    // Listed children restrict which classes that name the parent it takes.
    ClassSet listed;
    Load(listed, kTop + Block(L"p", {L"parent = top", L"children = q"}) + Block(L"q", {L"parent = p"}) +
                     Block(L"r", {L"parent = p"}));
    ASSERT_TRUE(listed.BuildTrees());
    EXPECT_EQ(Tree(listed, 0), "top#1(p#2(q#3))");
}

TEST(ClassSet, DynamicClassesAppearInsideTheirParentAndWhatItHolds) {
    ClassSet set;
    Load(set, kTop + Block(L"block", {L"parent = top"}) + Block(L"string", {L"parent = block"}) +
                  Block(L"quiet", {L"parent = block", L"children = 0"}) +
                  Block(L"escape", {L"parent:dyn = block"}) + Block(L"inner", {L"parent:dyn = escape"}));
    ASSERT_TRUE(set.BuildTrees());
    EXPECT_EQ(Tree(set, 0),
              "top#1(block#2(string#3(~escape#4(~inner#5(*) *) ~inner#6(~escape#7(*) *)) quiet#8 "
              "~escape#9(~inner#10(*) *) ~inner#11(~escape#12(*) *)))");

    const LexClass& string = *set.FindTemplate(L"STRING");
    EXPECT_EQ(set.GetClassAndAncestorNames(string), (std::vector<std::wstring>{L"string", L"block", L"top"}));
    EXPECT_EQ(set.MayAppearDynamically(L"string", string), -1);
    EXPECT_EQ(set.MayAppearDynamically(L"block", *set.FindTemplate(L"inner")), 1);
    EXPECT_EQ(set.MayAppearDynamically(L"top", *set.FindTemplate(L"inner")), 0);
    ClassSet::Candidates none = set.GetDynamicChildren(*set.FindTemplate(L"top"));
    EXPECT_TRUE(none.classes.empty());
    EXPECT_FALSE(none.self);
}

TEST(ClassSet, ClassesParsedOnScreenOnlyAreLeftOutOfTheCompleteParseTree) {
    ClassSet set;
    Load(set, kTop + Block(L"side", {L"parent:file = <*.s>", L"ParseOnScreen = 1"}) +
                  Block(L"heavy", {L"parent = top", L"ParseOnScreen = 1"}) +
                  Block(L"part", {L"parent = heavy"}) +
                  Block(L"light", {L"parent = top, light", L"ParseOnScreen = 0"}) +
                  Block(L"under", {L"parent = side"}));
    ASSERT_TRUE(set.BuildTrees());
    EXPECT_EQ(Tree(set, ClassSet::kFullTree), "top#1(heavy#2(part#3) light#4(*)) side#5(under#6)");
    // The instances left keep their numbers, so that the two trees can be matched.
    EXPECT_EQ(Tree(set, ClassSet::kCompleteParseTree), "top#1(light#4(*))");
    EXPECT_NE(set.GetTree(1)[0].get(), set.GetTree(0)[0].get());
}

TEST(ClassSet, CopyIsIndependentOfTheOriginal) {
    ClassSet set;
    Load(set, kTop + Block(L"block", {L"parent = top, block", L"start:tag = '{'", L"end:tag = '}'"}) +
                  Block(L"word", {L"parent = block", L"ParseOnScreen = 1", L"start:tag = 'w'",
                                  L"txt:colorFG = 0x102030"}));
    ASSERT_TRUE(set.BuildTrees());
    ClassSet copy;
    Load(copy, Block(L"stale", {L"parent:file = <*.x>"}));
    ASSERT_TRUE(copy.BuildTrees());
    ASSERT_TRUE(set.CopyTo(copy));

    for (int kind : {0, 1}) EXPECT_EQ(Tree(copy, kind), Tree(set, kind));
    ASSERT_EQ(copy.GetTemplates().size(), 3u);
    EXPECT_EQ(copy.FindTemplate(L"stale"), ClassPtr());
    EXPECT_NE(dynamic_cast<LexFileClass*>(copy.GetTree(0)[0].get()), nullptr);

    const LexClass& word = *set.GetTree(0)[0]->GetChildren()[0]->GetChildren()[0];
    LexClass& copiedWord = *copy.GetTree(0)[0]->GetChildren()[0]->GetChildren()[0];
    ASSERT_EQ(copiedWord.GetName(), L"word");
    EXPECT_NE(&copiedWord, &word);
    copiedWord.SetProperty(L"txt:colorFG", LexValue::MakeNumber(7));
    copy.FindTemplate(L"word")->SetProperty(L"txt:colorFG", LexValue::MakeNumber(7));
    EXPECT_EQ(word.GetNumber(L"txt:colorFG", false, 0), 0x302010);
    EXPECT_EQ(set.FindTemplate(L"word")->GetNumber(L"txt:colorFG", false, 0), 0x302010);

    // The copy is ready to run: its classes have their active tags, the start tags below them.
    EXPECT_EQ(ActiveTags(*copy.GetTree(0)[0]), (std::vector<std::wstring>{L"{", L"w"}));
    EXPECT_EQ(ActiveTags(*copy.GetTree(1)[0]), std::vector<std::wstring>{L"{"});
    EXPECT_EQ(ActiveTags(*copy.GetTree(0)[0]->GetChildren()[0]),
              (std::vector<std::wstring>{L"{", L"w", L"}"}));

    // Clearing the copy leaves the original whole.
    copy.Clear();
    EXPECT_TRUE(copy.GetTemplates().empty());
    EXPECT_TRUE(copy.GetTree(0).empty());
    EXPECT_EQ(Tree(set, 0), "top#1(block#2(word#3 *))");
    EXPECT_TRUE(set.CopyTo(set));
    EXPECT_EQ(Tree(set, 0), "top#1(block#2(word#3 *))");
}

TEST(ClassSet, TemplateByNameIgnoresCaseAndTakesTheFirst) {
    ClassSet set;
    Load(set, kTop + Block(L"Word", {L"parent = top", L"DisplayName = 'first'"}) +
                  Block(L"word", {L"parent = top", L"DisplayName = 'second'"}));
    ClassPtr found = set.FindTemplate(L"WORD");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->GetProperty(L"DisplayName", false)->GetStrings(), std::vector<std::wstring>{L"first"});
    EXPECT_FALSE(set.FindTemplate(L"wor"));
    EXPECT_FALSE(set.FindTemplate(L""));
    set.AddTemplate(nullptr);
    EXPECT_EQ(set.GetTemplates().size(), 3u);

    EXPECT_NE(dynamic_cast<LexFileClass*>(ClassSet::CreateClass(true).get()), nullptr);
    EXPECT_EQ(dynamic_cast<LexFileClass*>(ClassSet::CreateClass(false).get()), nullptr);
}

TEST(ClassSet, ExplodingSchemasAreRefusedOrBounded) {
    // Three classes that all contain each other, each allowed a thousand times along a path:
    // the tree would never end. It is refused, and nothing half-built is left to run.
    ClassSet explode;
    Load(explode, kTop + Block(L"a", {L"parent = top, b, c", L"RecurrenceDepth = 1000"}) +
                      Block(L"b", {L"parent = top, a, c", L"RecurrenceDepth = 1000"}) +
                      Block(L"c", {L"parent = top, a, b", L"RecurrenceDepth = 1000"}));
    EXPECT_FALSE(explode.BuildTrees());
    EXPECT_TRUE(explode.GetTree(0).empty());
    EXPECT_TRUE(explode.GetTree(1).empty());

    // Two classes in a chain grow one instance per level: bounded by the nesting limit, built.
    ClassSet chain;
    Load(chain, kTop + Block(L"a", {L"parent = top, b", L"RecurrenceDepth = 100000"}) +
                    Block(L"b", {L"parent = a", L"RecurrenceDepth = 100000"}));
    ASSERT_TRUE(chain.BuildTrees());
    int deepest = 0;
    int count = 0;
    Walk(chain.GetTree(0), [&](const LexClass&, int depth) {
        deepest = std::max(deepest, depth);
        ++count;
    });
    EXPECT_EQ(deepest, ClassSet::kMaxNesting);
    EXPECT_EQ(count, ClassSet::kMaxNesting + 1);

    // A tag too long for an index is reported, yet the trees stay, the rest prepared.
    ClassSet longTag;
    Load(longTag,
         kTop + Block(L"word", {L"parent = top", L"token:tag = 'if', '" +
                                                     std::wstring(TagTrie::kMaxTagLength + 1, L'x') + L"'"}));
    EXPECT_FALSE(longTag.BuildTrees());
    ASSERT_EQ(Tree(longTag, 0), "top#1(word#2)");
    EXPECT_EQ(ActiveTags(*longTag.GetTree(0)[0]).size(), 2u);

    // A negative depth leaves the class out everywhere.
    ClassSet never;
    Load(never, kTop + Block(L"a", {L"parent = top", L"RecurrenceDepth = -1"}));
    ASSERT_TRUE(never.BuildTrees());
    EXPECT_EQ(Tree(never, 0), "top#1");
}

// Random languages: every instance holds exactly the classes that the relation rules allow at its
// place and that its path has not used up; the numbers run depth first; the complete-parse tree
// is the full tree without the classes parsed on screen; a copy is equal and shares nothing.
TEST(ClassSet, RandomLanguagesFollowTheRelationRules) {
    std::mt19937 random(20261207);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    int built = 0;
    for (int round = 0; round < 300; ++round) {
        const int count = 2 + static_cast<int>(random() % 5);
        std::vector<std::wstring> names{L"top"};
        for (int i = 0; i < count; ++i) names.push_back(L"c" + std::to_wstring(i));
        std::wstring text = kTop;
        for (int i = 1; i <= count; ++i) {
            std::wstring parents;
            for (const std::wstring& name : names)
                if (chance(35))
                    parents += (parents.empty() ? L"" : L", ") + name;
            if (parents.empty())
                parents = names[random() % names.size()];
            std::vector<std::wstring> lines{(chance(20) ? L"parent:dyn = " : L"parent = ") + parents};
            if (chance(50))
                lines.push_back(L"RecurrenceDepth = " + std::to_wstring(1 + random() % 2));
            if (chance(15))
                lines.push_back(L"ParseOnScreen = 1");
            if (chance(10))
                lines.push_back(L"children = 0");
            std::wstring block = L"lexClass:\n\tname = " + names[i] + L"\n";
            for (const std::wstring& line : lines) block += L"\t" + line + L"\n";
            text += block + L"//:lexClass\n";
        }
        SCOPED_TRACE(pw::Narrow(text));
        ClassSet set;
        Load(set, text);
        if (!set.BuildTrees()) {
            EXPECT_TRUE(set.GetTree(0).empty() && set.GetTree(1).empty());
            continue;
        }
        ++built;
        const ClassSet::ClassList& templates = set.GetTemplates();

        // The names a class may stand in for: its own and, over and over, those of its parents.
        auto standsFor = [&](const LexClass& cls) {
            std::set<std::wstring> closure{FoldCase(cls.GetName())};
            for (size_t size = 0; size != closure.size();) {
                size = closure.size();
                for (const ClassPtr& tmpl : templates)
                    if (closure.count(FoldCase(tmpl->GetName())))
                        for (const std::wstring& parent : tmpl->GetParentRule().names)
                            if (FindClassByName(templates, parent))
                                closure.insert(FoldCase(parent));
            }
            return closure;
        };
        std::function<void(const LexClass&, std::vector<std::wstring>&)> check =
            [&](const LexClass& parent, std::vector<std::wstring>& path) {
                std::set<std::wstring> within = standsFor(parent);
                bool self = false;
                for (bool dynamic : {false, true}) {
                    std::vector<std::wstring> expected;
                    for (const ClassPtr& tmpl : templates) {
                        bool child = dynamic ? parent.GetChildrenRule().mode != LexClass::kChildrenNone &&
                                                   std::any_of(within.begin(), within.end(),
                                                               [&](auto& n) {
                                                                   return MayAppearDynamically(
                                                                              n, *tmpl, templates) == 1;
                                                               })
                                             : IsChildClass(*tmpl, parent);
                        if (!child)
                            continue;
                        if (EqualNoCase(tmpl->GetName(), parent.GetName())) {
                            self = true;
                            continue;
                        }
                        if (std::count(path.begin(), path.end(), tmpl->GetName()) <
                            tmpl->GetNumber(L"RecurrenceDepth", false, 1))
                            expected.push_back(tmpl->GetName());
                    }
                    std::vector<std::wstring> actual;
                    for (const ClassPtr& child :
                         dynamic ? parent.GetDynamicChildren() : parent.GetChildren()) {
                        actual.push_back(child->GetName());
                        EXPECT_EQ(child->GetParent().get(), &parent);
                        path.push_back(child->GetName());
                        check(*child, path);
                        path.pop_back();
                    }
                    EXPECT_EQ(actual, expected) << pw::Narrow(parent.GetName());
                }
                EXPECT_EQ(!parent.GetSelfChildren().empty(), self) << pw::Narrow(parent.GetName());
            };
        std::vector<std::wstring> path;
        check(*set.GetTree(0).at(0), path);

        // Numbered as built: below a dynamic child its dynamic children come first.
        int32_t next = 1;
        std::set<const LexClass*> instances;
        std::function<void(const LexClass&, bool)> number = [&](const LexClass& cls, bool dynamic) {
            EXPECT_EQ(cls.GetNumber(L"ClassID", false, 0), next++);
            instances.insert(&cls);
            for (bool kind : {dynamic, !dynamic})
                for (const ClassPtr& child : kind ? cls.GetDynamicChildren() : cls.GetChildren())
                    number(*child, kind);
        };
        number(*set.GetTree(0)[0], false);
        EXPECT_EQ(Dump(set.GetTree(1)), Dump(set.GetTree(0), false));

        ClassSet copy;
        ASSERT_TRUE(set.CopyTo(copy));
        for (int kind : {0, 1}) {
            EXPECT_EQ(Tree(copy, kind), Tree(set, kind));
            Walk(copy.GetTree(kind), [&](const LexClass& cls, int) { EXPECT_FALSE(instances.count(&cls)); });
        }
    }
    EXPECT_GT(built, 250);
}

// PW_CONFIG_DIR comes from the build, in the form that this build's file functions open.
std::wstring ConfigPath(std::wstring_view relative) {
    return pw::Widen(PW_CONFIG_DIR) + L"/" + std::wstring(relative);
}

TEST(ClassSet, EveryShippedSchemaBuildsTreesOfSaneSize) {
    std::vector<pw::IniEntry> schemes = pw::IniSection(ConfigPath(L"Penwright.ini"), L"schemes");
    ASSERT_FALSE(schemes.empty());
    for (const pw::IniEntry& scheme : schemes) {
        SchemaReader reader;
        reader.ReadSchemaFile(ConfigPath(scheme.value), false);
        ClassSet set;
        Load(set, reader.GetDefinitions());
        ASSERT_TRUE(set.BuildTrees()) << pw::Narrow(scheme.name);

        // Numbered 1, 2, 3... in depth-first order, every template placed somewhere, each
        // instance below its parent.
        int32_t next = 1;
        std::vector<std::wstring> placed;
        Walk(set.GetTree(0), [&](const LexClass& cls, int depth) {
            EXPECT_EQ(cls.GetNumber(L"ClassID", false, 0), next++) << pw::Narrow(scheme.name);
            EXPECT_EQ(depth == 0, !cls.GetParent()) << pw::Narrow(scheme.name);
            placed.push_back(cls.GetName());
        });
        for (const ClassPtr& tmpl : set.GetTemplates())
            EXPECT_NE(std::find(placed.begin(), placed.end(), tmpl->GetName()), placed.end())
                << pw::Narrow(scheme.name + L" " + tmpl->GetName());
        EXPECT_LT(next, 2000) << pw::Narrow(scheme.name);
        EXPECT_EQ(Tree(set, 1), Tree(set, 0)) << pw::Narrow(scheme.name);
    }
}

}  // namespace
