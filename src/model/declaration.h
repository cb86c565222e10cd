// A named element of a container: block, class, instance, directive,
// variable, parameter, CCF group or aliasing.
#ifndef KEFO_MODEL_DECLARATION_H
#define KEFO_MODEL_DECLARATION_H

#include "model/object.h"
#include "model/path.h"

#include <string>

class KEFOContainer;

class KEFODeclaration : public KEFOObject {
    PLOV_MANAGED_ALLOCATION(KEFODeclaration)
    friend class KEFOContainer;

public:
    // Appends the new declaration at the end of the owner's list (when there
    // is an owner). Takes ownership of the path (null for an extends
    // directive).
    KEFODeclaration(int type, KEFOContainer* owner, KEFOPath* path);
    // Leaves the owner's list and dictionary, then deletes the path.
    ~KEFODeclaration() override;

    virtual bool IsPort() const { return false; }
    virtual bool IsConnection() const { return false; }
    virtual bool IsContainer() const { return false; }
    virtual bool IsModel() const { return false; }

    KEFOContainer* GetOwner() const { return _owner; }
    // The outermost container, reached by following owners (the declaration
    // itself when it is a container without owner).
    KEFOContainer* GetRootContainer() const;

    KEFOPath* GetPath() const { return _path; }
    // Takes ownership and deletes the previous path. A declaration that is its
    // owner's dictionary entry leaves the dictionary under the old identifier
    // and enters it again under the new one when that name is free.
    void SetPath(KEFOPath* path);
    // The text of the path ("" when there is none).
    const char* GetPathAsString() const { return _path != nullptr ? _path->GetString() : ""; }
    // The single identifier of the path, or null when the path has not exactly
    // one identifier.
    const char* GetIdentifier() const;
    // Byte-wise comparison of identifiers; a missing identifier sorts before
    // any name.
    int CompareIdentifier(const char* name) const;
    int CompareIdentifiers(const KEFODeclaration* other) const;
    static int CompareIdentifier(const KEFODeclaration* declaration, const char* name);
    static int CompareIdentifiers(const KEFODeclaration* a, const KEFODeclaration* b);

    int GetFlag() const { return _flag; }
    void SetFlag(int flag) { _flag = flag; }
    void ResetFlag() { _flag = 0; }

    // The label is the string attribute "__label__" (null when absent).
    const char* GetLabel() const { return GetAttributeAsString("__label__", nullptr); }
    void SetLabel(const char* text) { SetAttribute("__label__", text); }

    // The identifiers of the enclosing containers from the outermost below the
    // root down to the owner, then the declaration's own identifiers; with
    // rootKeyword, "main" comes first.
    KEFOPath* NewAbsolutePath(bool rootKeyword) const;
    // A path that designates `other` when it is looked up from this
    // declaration's container (this declaration itself when it is a
    // container, else its owner): "owner" once per level to climb to the
    // common container, then the identifiers down to `other`. The path from a
    // declaration to itself is empty. Null when the two are in different
    // models.
    KEFOPath* NewRelativePathToOtherDeclaration(const KEFODeclaration* other) const;

    // Neighbours in the owner's list of declarations (declaration order).
    KEFODeclaration* GetPreviousDeclaration() const { return _previous; }
    KEFODeclaration* GetNextDeclaration() const { return _next; }
    // True when the declaration is its owner's dictionary entry.
    bool IsInDictionary() const { return _inDictionary; }
    // True while the declaration is deleted together with its container
    // (the other declarations of the model may be gone already).
    bool IsDyingWithOwner() const { return _dyingWithOwner; }

private:
    KEFOContainer* _owner;
    // The outermost container above (kept by the containers as declarations
    // move), so that the root is found in constant time at any depth.
    KEFOContainer* _root = nullptr;
    KEFOPath* _path;
    KEFODeclaration* _previous = nullptr;
    KEFODeclaration* _next = nullptr;
    int _flag = 0;
    bool _listed = false;
    bool _inDictionary = false;
    bool _dyingWithOwner = false;
};

#endif
