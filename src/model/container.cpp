#include "model/container.h"

#include "model/alias.h"
#include "model/port.h"
#include "model/term.h"

#include <cstring>
#include <unordered_set>

KEFOContainer::KEFOContainer(int type, KEFOContainer* owner, KEFOPath* path) : KEFODeclaration(type, owner, path) {}

KEFOContainer::~KEFOContainer() {
    for (auto& entry : _aliases) delete entry.second;
    _aliases.clear();
    for (auto& entry : _dictionary) entry.second->_inDictionary = false;
    _dictionary.clear();
    // Nested containers hand their declarations over to this loop before they
    // are deleted, so that deleting a deeply nested model does not recurse.
    std::vector<KEFODeclaration*> pending;
    auto takeDeclarations = [&pending](KEFOContainer* container) {
        for (KEFODeclaration* d = container->_last; d != nullptr; d = d->_previous) pending.push_back(d);
        for (KEFODeclaration* d = container->_first; d != nullptr; d = d->_next) d->_listed = false;
        container->_first = container->_last = nullptr;
        container->_numberOfDeclarations = 0;
    };
    takeDeclarations(this);
    while (!pending.empty()) {
        KEFODeclaration* d = pending.back();
        pending.pop_back();
        d->_previous = d->_next = nullptr;
        d->_dyingWithOwner = true;
        if (d->IsContainer()) {
            KEFOContainer* c = static_cast<KEFOContainer*>(d);
            for (auto& entry : c->_dictionary) entry.second->_inDictionary = false;
            c->_dictionary.clear();
            takeDeclarations(c);
        }
        delete d;
    }
}

int KEFOContainer::CountDeclarations(KEFOObjectTest test) const {
    if (test == nullptr) return _numberOfDeclarations;
    int count = 0;
    for (KEFODeclaration* d = _first; d != nullptr; d = d->_next) {
        if (test(d)) ++count;
    }
    return count;
}

void KEFOContainer::AddDeclaration(KEFODeclaration* declaration) {
    if (declaration == nullptr || declaration == this) return;
    if (declaration->_listed) {
        if (declaration->_owner == this) return;
        declaration->_owner->RemoveDeclaration(declaration);
    } else if (declaration->_inDictionary && declaration->_owner != nullptr) {
        declaration->_owner->RemoveDeclarationFromDictionary(declaration);
    }
    declaration->_owner = this;
    KEFOContainer* root = GetRootContainer();
    if (declaration->_root != root) {
        declaration->_root = root;
        // A container brings its declarations along to the new root.
        if (declaration->IsContainer()) {
            std::vector<KEFOContainer*> stack{static_cast<KEFOContainer*>(declaration)};
            while (!stack.empty()) {
                KEFOContainer* c = stack.back();
                stack.pop_back();
                for (KEFODeclaration* d = c->_first; d != nullptr; d = d->_next) {
                    d->_root = root;
                    if (d->IsContainer()) stack.push_back(static_cast<KEFOContainer*>(d));
                }
            }
        }
    }
    declaration->_previous = _last;
    declaration->_next = nullptr;
    if (_last != nullptr) {
        _last->_next = declaration;
    } else {
        _first = declaration;
    }
    _last = declaration;
    declaration->_listed = true;
    ++_numberOfDeclarations;
}

void KEFOContainer::_Unlink(KEFODeclaration* declaration) {
    if (declaration->_previous != nullptr) {
        declaration->_previous->_next = declaration->_next;
    } else {
        _first = declaration->_next;
    }
    if (declaration->_next != nullptr) {
        declaration->_next->_previous = declaration->_previous;
    } else {
        _last = declaration->_previous;
    }
    declaration->_previous = declaration->_next = nullptr;
    declaration->_listed = false;
    --_numberOfDeclarations;
}

void KEFOContainer::RemoveDeclaration(KEFODeclaration* declaration) {
    if (declaration == nullptr || declaration->_owner != this) return;
    RemoveDeclarationFromDictionary(declaration);
    if (declaration->_listed) _Unlink(declaration);
}

void KEFOContainer::DeleteDeclaration(KEFODeclaration* declaration) {
    if (declaration == nullptr || declaration->_owner != this) return;
    RemoveDeclaration(declaration);
    delete declaration;
}

void KEFOContainer::CollectDeclarations(KEFOObjectTest test, std::vector<KEFODeclaration*>& out) const {
    for (KEFODeclaration* d = _first; d != nullptr; d = d->_next) {
        if (test == nullptr || test(d)) out.push_back(d);
    }
}

void KEFOContainer::CollectDeclarations(KEFOObjectComparison compare, const void* key,
                                        std::vector<KEFODeclaration*>& out) const {
    for (KEFODeclaration* d = _first; d != nullptr; d = d->_next) {
        if (compare == nullptr || compare(d, key) == 0) out.push_back(d);
    }
}

bool KEFOContainer::InsertDeclarationInDictionary(KEFODeclaration* declaration) {
    if (declaration == nullptr || declaration->_owner != this || declaration->_inDictionary) return false;
    const char* identifier = declaration->GetIdentifier();
    if (identifier == nullptr) return false;
    auto result = _dictionary.emplace(identifier, declaration);
    if (!result.second) return false;
    declaration->_inDictionary = true;
    return true;
}

void KEFOContainer::RemoveDeclarationFromDictionary(KEFODeclaration* declaration) {
    if (declaration == nullptr || !declaration->_inDictionary || declaration->_owner != this) return;
    const char* identifier = declaration->GetIdentifier();
    if (identifier != nullptr) {
        auto it = _dictionary.find(std::string_view(identifier));
        if (it != _dictionary.end() && it->second == declaration) _dictionary.erase(it);
    }
    declaration->_inDictionary = false;
}

KEFODeclaration* KEFOContainer::LookForDeclarationInDictionary(std::string_view name) const {
    auto it = _dictionary.find(name);
    return it == _dictionary.end() ? nullptr : it->second;
}

void KEFOContainer::RenameDeclaration(KEFODeclaration* declaration, const char* name) {
    if (declaration == nullptr || declaration->_owner != this) return;
    RemoveDeclarationFromDictionary(declaration);
    KEFOPath* path = new KEFOPath(name, true);
    delete declaration->_path;
    declaration->_path = path;
    InsertDeclarationInDictionary(declaration);
}

namespace {

inline bool Passes(KEFOObjectTest test, const KEFODeclaration* declaration) {
    return test == nullptr || test(declaration);
}

}  // namespace

// The walk consumes the identifiers of the path in order from this
// container C:
// - "main": C becomes the root container; "owner": C becomes its owner (none:
//   not found);
// - a name with an alias in C: the alias's identifiers take its place in
//   front of the remaining ones (at most maximumAliasExpansions times);
// - any other name: C's dictionary entry (none: not found). On the last
//   identifier it is the answer, with the mismatch flag when the test rejects
//   it; before the last, a declaration that is not a container is answered
//   with the mismatch flag; otherwise C becomes that container.
// An empty path designates C itself.
KEFODeclaration* KEFOContainer::LookForDeclarationInDictionary(const KEFOPath* path, KEFOObjectTest test,
                                                               bool& mismatch) const {
    mismatch = false;
    const KEFOContainer* current = this;
    auto answerContainer = [&mismatch, test](const KEFOContainer* c) -> KEFODeclaration* {
        KEFODeclaration* d = const_cast<KEFOContainer*>(c);
        if (Passes(test, d)) return d;
        mismatch = true;
        return nullptr;
    };
    if (path == nullptr || path->IsEmpty()) return answerContainer(current);

    // The work list: a stack of paths being read, the innermost alias on top.
    struct Frame {
        const KEFOPath* path;
        int next;  // 0-based index of the next identifier to read
    };
    Frame frames[maximumAliasExpansions + 1];
    int depth = 0;
    frames[depth++] = Frame{path, 0};
    int expansions = 0;
    for (;;) {
        while (depth > 0 && frames[depth - 1].next >= frames[depth - 1].path->GetNumberOfIdentifiers()) --depth;
        if (depth == 0) return answerContainer(current);
        Frame& frame = frames[depth - 1];
        const std::string& identifier = frame.path->GetIdentifierString(frame.next + 1);
        ++frame.next;
        bool last = true;
        for (int i = depth - 1; i >= 0; --i) {
            if (frames[i].next < frames[i].path->GetNumberOfIdentifiers()) {
                last = false;
                break;
            }
        }
        if (identifier == KEFOPath::rootContainerKeyword) {
            current = current->GetRootContainer();
            if (current == nullptr) return nullptr;
            if (last) return answerContainer(current);
            continue;
        }
        if (identifier == KEFOPath::parentContainerKeyword) {
            current = current->GetOwner();
            if (current == nullptr) return nullptr;
            if (last) return answerContainer(current);
            continue;
        }
        KEFOAlias* alias = current->LookForAlias(identifier);
        if (alias != nullptr && alias->GetPath() != nullptr) {
            if (expansions >= maximumAliasExpansions) return nullptr;
            ++expansions;
            frames[depth++] = Frame{alias->GetPath(), 0};
            continue;
        }
        KEFODeclaration* found = current->LookForDeclarationInDictionary(std::string_view(identifier));
        if (found == nullptr) return nullptr;
        if (last) {
            mismatch = !Passes(test, found);
            return found;
        }
        if (!found->IsContainer()) {
            mismatch = true;
            return found;
        }
        current = static_cast<const KEFOContainer*>(found);
    }
}

KEFODeclaration* KEFOContainer::LookForDeclarationInDictionary(const char* name, KEFOObjectTest test,
                                                               bool& mismatch) const {
    mismatch = false;
    if (name == nullptr) return nullptr;
    KEFOAlias* alias = LookForAlias(name);
    if (alias != nullptr && alias->GetPath() != nullptr) {
        return LookForDeclarationInDictionary(alias->GetPath(), test, mismatch);
    }
    KEFODeclaration* found = LookForDeclarationInDictionary(std::string_view(name));
    if (found != nullptr) mismatch = !Passes(test, found);
    return found;
}

KEFOAlias* KEFOContainer::NewAlias(const char* name, KEFOPath* path) {
    if (name == nullptr) {
        delete path;
        return nullptr;
    }
    auto it = _aliases.find(std::string_view(name));
    if (it != _aliases.end()) {
        it->second->SetPath(path);
        return it->second;
    }
    KEFOAlias* alias = new KEFOAlias(name, path);
    _aliases.emplace(name, alias);
    return alias;
}

KEFOAlias* KEFOContainer::LookForAlias(std::string_view name) const {
    if (_aliases.empty()) return nullptr;
    auto it = _aliases.find(name);
    return it == _aliases.end() ? nullptr : it->second;
}

KEFOPath* KEFOContainer::LookForAliasedPath(std::string_view name) const {
    KEFOAlias* alias = LookForAlias(name);
    return alias != nullptr ? alias->GetPath() : nullptr;
}

void KEFOContainer::DeleteAlias(std::string_view name) {
    auto it = _aliases.find(name);
    if (it == _aliases.end()) return;
    delete it->second;
    _aliases.erase(it);
}

void KEFOContainer::BuildPostOrderedListOfPorts(KEFOObjectComparison compare, const void* key,
                                                std::vector<KEFOPort*>& out) const {
    std::unordered_set<const KEFOPort*> visited;
    struct Frame {
        KEFOPort* port;
        std::size_t begin;
        std::size_t next;
        std::size_t end;
    };
    std::vector<Frame> stack;
    std::vector<KEFOPort*> children;
    auto push = [&](KEFOPort* port) {
        visited.insert(port);
        std::size_t begin = children.size();
        if (port->GetDefinition() != nullptr) port->GetDefinition()->CollectReferredPorts(children);
        stack.push_back(Frame{port, begin, begin, children.size()});
    };
    for (KEFODeclaration* d = _first; d != nullptr; d = d->GetNextDeclaration()) {
        if (!d->IsPort()) continue;
        KEFOPort* root = static_cast<KEFOPort*>(d);
        if (visited.count(root) != 0) continue;
        push(root);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.end) {
                KEFOPort* child = children[frame.next++];
                if (child != nullptr && child->GetOwner() == this && visited.count(child) == 0) push(child);
                continue;
            }
            KEFOPort* port = frame.port;
            children.resize(frame.begin);
            stack.pop_back();
            if (compare == nullptr || compare(port, key) == 0) out.push_back(port);
        }
    }
}

void KEFOContainer::ResetFlags(int flag) {
    std::vector<KEFOContainer*> stack{this};
    while (!stack.empty()) {
        KEFOContainer* c = stack.back();
        stack.pop_back();
        for (KEFODeclaration* d = c->_first; d != nullptr; d = d->_next) {
            d->SetFlag(flag);
            if (d->IsContainer()) stack.push_back(static_cast<KEFOContainer*>(d));
        }
    }
}
