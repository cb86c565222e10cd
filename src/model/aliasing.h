// The embeds directive: its path names the alias, and the aliased path names
// the embedded element. The flattener turns it into an alias of the block
// that holds it.
#ifndef KEFO_MODEL_ALIASING_H
#define KEFO_MODEL_ALIASING_H

#include "model/declaration.h"

class KEFOAliasing : public KEFODeclaration {
    PLOV_MANAGED_ALLOCATION(KEFOAliasing)
public:
    // Takes ownership of both paths.
    KEFOAliasing(KEFOContainer* owner, KEFOPath* path, KEFOPath* aliasedPath);
    ~KEFOAliasing() override;

    KEFOPath* GetAliasedPath() const { return _aliasedPath; }
    const char* GetAliasedPathAsString() const { return _aliasedPath != nullptr ? _aliasedPath->GetString() : ""; }
    // Replaces (and deletes) the aliased path.
    void SetAliasedPath(KEFOPath* path);

private:
    KEFOPath* _aliasedPath;
};

#endif
