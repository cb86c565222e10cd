#include "model/declaration.h"

#include "model/container.h"

#include <cstring>
#include <vector>

KEFODeclaration::KEFODeclaration(int type, KEFOContainer* owner, KEFOPath* path)
    : KEFOObject(type), _owner(nullptr), _path(path) {
    if (owner != nullptr) owner->AddDeclaration(this);
}

KEFODeclaration::~KEFODeclaration() {
    if (_owner != nullptr && _listed) _owner->RemoveDeclaration(this);
    delete _path;
}

KEFOContainer* KEFODeclaration::GetRootContainer() const {
    if (_owner != nullptr) return _root;
    // Only a container can be a root; a declaration without owner has none.
    return IsContainer() ? static_cast<KEFOContainer*>(const_cast<KEFODeclaration*>(this)) : nullptr;
}

void KEFODeclaration::SetPath(KEFOPath* path) {
    if (path == _path) return;
    KEFOContainer* owner = _listed ? _owner : nullptr;
    bool wasInDictionary = _inDictionary;
    if (wasInDictionary && owner != nullptr) owner->RemoveDeclarationFromDictionary(this);
    delete _path;
    _path = path;
    if (wasInDictionary && owner != nullptr) owner->InsertDeclarationInDictionary(this);
}

const char* KEFODeclaration::GetIdentifier() const {
    if (_path == nullptr || !_path->IsIdentifier()) return nullptr;
    return _path->GetIdentifier(1);
}

int KEFODeclaration::CompareIdentifier(const char* name) const {
    const char* identifier = GetIdentifier();
    if (identifier == nullptr) return name == nullptr ? 0 : -1;
    if (name == nullptr) return 1;
    int c = std::strcmp(identifier, name);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int KEFODeclaration::CompareIdentifiers(const KEFODeclaration* other) const {
    return CompareIdentifier(other != nullptr ? other->GetIdentifier() : nullptr);
}

int KEFODeclaration::CompareIdentifier(const KEFODeclaration* declaration, const char* name) {
    if (declaration == nullptr) return name == nullptr ? 0 : -1;
    return declaration->CompareIdentifier(name);
}

int KEFODeclaration::CompareIdentifiers(const KEFODeclaration* a, const KEFODeclaration* b) {
    if (a == nullptr) return (b == nullptr || b->GetIdentifier() == nullptr) ? 0 : -1;
    return a->CompareIdentifiers(b);
}

KEFOPath* KEFODeclaration::NewAbsolutePath(bool rootKeyword) const {
    KEFOPath* path = new KEFOPath;
    // The containers from the owner up to (not including) the root.
    std::vector<const KEFODeclaration*> chain;
    for (const KEFODeclaration* c = _owner; c != nullptr && c->_owner != nullptr; c = c->_owner) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->_path != nullptr) path->AppendPath((*it)->_path);
    }
    if (_path != nullptr) path->AppendPath(_path);
    if (rootKeyword) path->PrependIdentifier(KEFOPath::rootContainerKeyword);
    return path;
}

KEFOPath* KEFODeclaration::NewRelativePathToOtherDeclaration(const KEFODeclaration* other) const {
    if (other == nullptr) return nullptr;
    KEFOPath* path = new KEFOPath;
    if (other == this) return path;
    const KEFODeclaration* base = IsContainer() ? this : _owner;
    // The chain of containers from the base up to the root.
    std::vector<const KEFODeclaration*> baseChain;
    for (const KEFODeclaration* c = base; c != nullptr; c = c->_owner) baseChain.push_back(c);
    // Walk up from other (itself included, so that a container reaches its
    // own members and a path to an enclosing container is all "owner") to the
    // first container of the base chain.
    std::vector<const KEFODeclaration*> down;
    const KEFODeclaration* common = nullptr;
    for (const KEFODeclaration* c = other; c != nullptr; c = c->_owner) {
        bool found = false;
        for (const KEFODeclaration* b : baseChain) {
            if (b == c) {
                found = true;
                break;
            }
        }
        if (found) {
            common = c;
            break;
        }
        down.push_back(c);
    }
    if (common == nullptr) {
        delete path;
        return nullptr;
    }
    for (const KEFODeclaration* b : baseChain) {
        if (b == common) break;
        path->AppendIdentifier(KEFOPath::parentContainerKeyword);
    }
    for (auto it = down.rbegin(); it != down.rend(); ++it) {
        if ((*it)->_path != nullptr) path->AppendPath((*it)->_path);
    }
    return path;
}
