#include "model/aliasing.h"

#include "model/type.h"

KEFOAliasing::KEFOAliasing(KEFOContainer* owner, KEFOPath* path, KEFOPath* aliasedPath)
    : KEFODeclaration(KEFOType::EmbedsDirective, owner, path), _aliasedPath(aliasedPath) {}

KEFOAliasing::~KEFOAliasing() { delete _aliasedPath; }

void KEFOAliasing::SetAliasedPath(KEFOPath* path) {
    if (path == _aliasedPath) return;
    delete _aliasedPath;
    _aliasedPath = path;
}
