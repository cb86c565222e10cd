// A declaration that holds declarations: the list of all of them in
// declaration order (owned), the dictionary of those named by a single
// identifier (the first declaration of each name only) and the aliases.
#ifndef KEFO_MODEL_CONTAINER_H
#define KEFO_MODEL_CONTAINER_H

#include "model/declaration.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class KEFOAlias;
class KEFOPort;

typedef std::map<std::string, KEFODeclaration*, std::less<>> KEFODictionary;
typedef std::map<std::string, KEFOAlias*, std::less<>> KEFOAliasTree;

// Walks a list of declarations in declaration order. The cursor stays valid
// when the declaration it is on is removed only if Next() was called before.
class KEFODeclarationCursor {
public:
    explicit KEFODeclarationCursor(KEFODeclaration* first) : _current(first) {}
    bool IsValid() const { return _current != nullptr; }
    KEFODeclaration* Get() const { return _current; }
    void Next() {
        if (_current != nullptr) _current = _current->GetNextDeclaration();
    }

private:
    KEFODeclaration* _current;
};

// Range over a container's declarations, for range-based loops.
class KEFODeclarationRange {
public:
    class Iterator {
    public:
        explicit Iterator(KEFODeclaration* d) : _d(d) {}
        KEFODeclaration* operator*() const { return _d; }
        Iterator& operator++() {
            _d = _d->GetNextDeclaration();
            return *this;
        }
        bool operator!=(const Iterator& other) const { return _d != other._d; }

    private:
        KEFODeclaration* _d;
    };
    explicit KEFODeclarationRange(KEFODeclaration* first) : _first(first) {}
    Iterator begin() const { return Iterator(_first); }
    Iterator end() const { return Iterator(nullptr); }

private:
    KEFODeclaration* _first;
};

class KEFOContainer : public KEFODeclaration {
    PLOV_MANAGED_ALLOCATION(KEFOContainer)
    friend class KEFODeclaration;

public:
    // Most alias expansions one look-up follows; a chain of aliases longer
    // than this (a cycle, in practice) answers not found.
    static const int maximumAliasExpansions = 64;

    KEFOContainer(int type, KEFOContainer* owner, KEFOPath* path);
    // Deletes the declarations (in declaration order) and the aliases.
    ~KEFOContainer() override;

    bool IsContainer() const override { return true; }

    // Declarations.
    int GetNumberOfDeclarations() const { return _numberOfDeclarations; }
    int CountDeclarations(KEFOObjectTest test) const;
    KEFODeclaration* GetFirstDeclaration() const { return _first; }
    KEFODeclaration* GetLastDeclaration() const { return _last; }
    KEFODeclarationRange GetDeclarations() const { return KEFODeclarationRange(_first); }
    KEFODeclarationCursor NewCursorOnDeclarations() const { return KEFODeclarationCursor(_first); }
    // Appends a declaration at the end of the list (taking it away from the
    // list of its previous owner) and makes this container its owner. The
    // dictionary is not touched: see InsertDeclarationInDictionary.
    void AddDeclaration(KEFODeclaration* declaration);
    // Takes a declaration of this container out of the list and the
    // dictionary without deleting it; it keeps this container as owner.
    void RemoveDeclaration(KEFODeclaration* declaration);
    // Removes and deletes.
    void DeleteDeclaration(KEFODeclaration* declaration);
    // Appends to `out`, in declaration order, the declarations that pass the
    // test (all of them for a null test).
    void CollectDeclarations(KEFOObjectTest test, std::vector<KEFODeclaration*>& out) const;
    // Appends those for which compare(declaration, key) is zero.
    void CollectDeclarations(KEFOObjectComparison compare, const void* key,
                             std::vector<KEFODeclaration*>& out) const;

    // Dictionary.
    int GetNumberOfDeclarationsInDictionary() const { return static_cast<int>(_dictionary.size()); }
    const KEFODictionary& GetDictionary() const { return _dictionary; }
    // Enters a declaration of this container whose path is one identifier,
    // when no declaration of that identifier is there yet; false otherwise.
    bool InsertDeclarationInDictionary(KEFODeclaration* declaration);
    // Removes the declaration when it is the dictionary entry of its name.
    void RemoveDeclarationFromDictionary(KEFODeclaration* declaration);
    // The dictionary entry of a name, without aliases or tests.
    KEFODeclaration* LookForDeclarationInDictionary(std::string_view name) const;
    // Out of the dictionary, new path (one identifier), back in when free.
    void RenameDeclaration(KEFODeclaration* declaration, const char* name);

    // Look-up by path from this container (see the .cpp for the walk): "main"
    // goes to the root, "owner" one level up, aliases expand in place, other
    // identifiers go through dictionaries. Answers null when something is not
    // found; the mismatch flag tells that the declaration answered fails the
    // test (null test: anything passes) or that the walk met a declaration
    // that is not a container before the end of the path.
    KEFODeclaration* LookForDeclarationInDictionary(const KEFOPath* path, KEFOObjectTest test,
                                                    bool& mismatch) const;
    // The single-name form: follows an alias of that name, else the
    // dictionary entry, with the test.
    KEFODeclaration* LookForDeclarationInDictionary(const char* name, KEFOObjectTest test, bool& mismatch) const;

    // Aliases.
    // Takes ownership of the path; an existing alias of that name gets the new
    // path (the previous one is deleted).
    KEFOAlias* NewAlias(const char* name, KEFOPath* path);
    KEFOAlias* LookForAlias(std::string_view name) const;
    // The path of the alias of that name, or null.
    KEFOPath* LookForAliasedPath(std::string_view name) const;
    int GetNumberOfAliases() const { return static_cast<int>(_aliases.size()); }
    const KEFOAliasTree& GetAliases() const { return _aliases; }
    void DeleteAlias(std::string_view name);

    // The ports of this container that match compare(port, key), children
    // first: each port comes after the ports of this container that its
    // definition refers to, directly or through other ports (ports are
    // visited in declaration order; a cycle is cut where it closes).
    void BuildPostOrderedListOfPorts(KEFOObjectComparison compare, const void* key,
                                     std::vector<KEFOPort*>& out) const;

    // Sets the flag of every declaration of this container and of the
    // containers inside it.
    void ResetFlags(int flag = 0);

private:
    void _Unlink(KEFODeclaration* declaration);

    KEFODeclaration* _first = nullptr;
    KEFODeclaration* _last = nullptr;
    int _numberOfDeclarations = 0;
    KEFODictionary _dictionary;
    KEFOAliasTree _aliases;
};

#endif
