// A named result slot on a variable: the diagram or system a build left for
// the variable. This is the common base; the diagram handles derive from it.
#ifndef KEFO_DIAGRAMS_HANDLE_H
#define KEFO_DIAGRAMS_HANDLE_H

#include "support/memory_manager.h"

#include <string>

class KEFOHandle {
    PLOV_MANAGED_ALLOCATION(KEFOHandle)
public:
    KEFOHandle(const char* name, int type) : _name(name != nullptr ? name : ""), _type(type) {}
    virtual ~KEFOHandle() = default;
    KEFOHandle(const KEFOHandle&) = delete;
    KEFOHandle& operator=(const KEFOHandle&) = delete;

    const char* GetName() const { return _name.c_str(); }
    const std::string& GetStdName() const { return _name; }
    int GetType() const { return _type; }

protected:
    void SetType(int type) { _type = type; }

private:
    std::string _name;
    int _type;
};

#endif
