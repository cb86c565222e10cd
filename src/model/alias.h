// A record of a container's alias tree: a name and the path it stands for.
// Look-ups expand an alias in place of its name. Not a declaration.
#ifndef KEFO_MODEL_ALIAS_H
#define KEFO_MODEL_ALIAS_H

#include "model/path.h"
#include "support/memory_manager.h"

#include <string>

class KEFOAlias {
    PLOV_MANAGED_ALLOCATION(KEFOAlias)
public:
    // Takes ownership of the path.
    KEFOAlias(const char* name, KEFOPath* path) : _name(name != nullptr ? name : ""), _path(path) {}
    ~KEFOAlias() { delete _path; }
    KEFOAlias(const KEFOAlias&) = delete;
    KEFOAlias& operator=(const KEFOAlias&) = delete;

    const char* GetName() const { return _name.c_str(); }
    KEFOPath* GetPath() const { return _path; }
    // Replaces (and deletes) the path.
    void SetPath(KEFOPath* path) {
        if (path == _path) return;
        delete _path;
        _path = path;
    }

private:
    std::string _name;
    KEFOPath* _path;
};

#endif
