#pragma once
// The lex classes of one language: the templates compiled from its schema, in definition order,
// and the two class trees that the parser runs. In a tree every place where a class can occur is
// an instance of its own, a copy of the template with its own child lists, numbered by its
// "ClassID" in depth-first order so that the instances of two trees, or of two copies of a set,
// can be matched.
//
// Tree 0 (the full tree) holds every class; tree 1 (the complete-parse tree) leaves out the
// classes whose "ParseOnScreen" is nonzero, with everything below them. A class set is not
// locked: its schema's locks keep it from being built and read at once.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexClass.h"
#include "platform/RefCounted.h"

class ClassSet {
public:
    using ClassList = std::vector<pw::RefPtr<LexClass>>;

    enum TreeKind : int { kFullTree = 0, kCompleteParseTree = 1 };

    // What a tree may hold, far beyond any real language: schemas whose classes contain each
    // other with large "RecurrenceDepth" values would otherwise grow a tree without end.
    // Instances beyond the nesting limit are left out; a tree beyond the instance limit is
    // not built at all.
    static constexpr int kMaxNesting = 256;
    static constexpr int32_t kMaxInstances = 20000;

    // Templates that may occur inside a class, and whether the class may contain itself, which
    // it then does through its self list rather than through a copy of its own template.
    struct Candidates {
        ClassList classes;
        bool self = false;
    };

    ClassSet() = default;
    ClassSet(const ClassSet&) = delete;
    ClassSet& operator=(const ClassSet&) = delete;
    ~ClassSet();

    // Appends a template; a null class is ignored.
    void AddTemplate(pw::RefPtr<LexClass> cls);
    const ClassList& GetTemplates() const { return templates_; }
    // The first template named `name` (case ignored), or null.
    pw::RefPtr<LexClass> FindTemplate(std::wstring_view name) const;

    // Builds both trees from the templates, numbers the instances from 1 in the order they are
    // built (each instance before its subtree, below it first the children of its own kind,
    // direct or dynamic, then the others) and prepares every class for matching. False when a
    // tree would pass kMaxInstances, and then both trees are left empty so that no half-built
    // tree is ever run; false too, the trees kept, when a tag was too long for an index.
    bool BuildTrees();
    // Tree 0 or 1; any other kind has no classes.
    const ClassList& GetTree(int kind) const;
    // Replaces `other`'s templates and trees with copies of this set's, instances keeping their
    // "ClassID", the copied trees prepared for matching. When the trees cannot be copied `other`
    // keeps the copied templates and no trees.
    bool CopyTo(ClassSet& other) const;
    // Empties the templates and both trees, breaking the links of the trees.
    void Clear();

    // A new file class (the top class of a language in a tree), or an ordinary class.
    static pw::RefPtr<LexClass> CreateClass(bool fileClass);

    // Without a class, the top-level templates. Otherwise the templates that name the class as
    // their parent, as its children rule allows; none when the class contains no classes.
    Candidates GetChildren(const LexClass* cls) const;
    // The dynamic templates that may appear inside the class or any class it may stand in.
    Candidates GetDynamicChildren(const LexClass& cls) const;
    // The class's name, then the names of the templates it names as parents, of theirs, and so
    // on; each name once.
    std::vector<std::wstring> GetClassAndAncestorNames(const LexClass& cls) const;
    // -1 when `cls` is not dynamic; 1 when it may appear inside the class named `name`; else 0.
    int MayAppearDynamically(std::wstring_view name, const LexClass& cls) const;

    // Lets every class of a tree order its tag lists and build its indexes and active tags;
    // false when a tag too long for an index was left out of it.
    bool PrepareTree(int kind);

private:
    // Adds instances of the candidates of one kind (0 direct, 1 dynamic) under `parent` and
    // builds their subtrees, each name at most its "RecurrenceDepth" times along `namePath`.
    bool BuildChildren(int kind, LexClass& parent, std::vector<std::wstring>& namePath, int32_t& counter,
                       int depth);
    bool BuildCompleteParseTree();
    // Copies `source`'s three child lists into `destination`, leaving out with `filter` the
    // classes whose "ParseOnScreen" is nonzero and their subtrees.
    static bool CopySubtree(bool filter, LexClass& destination, const LexClass& source, int depth);
    // Orders the tag lists of a class and of every class below it.
    static bool BuildIndexes(LexClass& cls, int depth);
    void ClearTrees();

    ClassList templates_;
    ClassList fullTree_;
    ClassList completeParseTree_;
};
