// Compares two objects by a named attribute, in increasing or decreasing
// order of an integer, double or string value. Used by the sorts of children
// and of variables. An object without the attribute reads 0 (or "" for a
// string attribute).
#ifndef KEFO_MODEL_OBJECT_COMPARATOR_H
#define KEFO_MODEL_OBJECT_COMPARATOR_H

#include "model/object.h"

#include <string>

class KEFOObjectComparator {
    PLOV_MANAGED_ALLOCATION(KEFOObjectComparator)
public:
    enum Type {
        IncreasingInteger = 0,
        DecreasingInteger = 1,
        IncreasingDouble = 2,
        DecreasingDouble = 3,
        IncreasingString = 4,
        DecreasingString = 5
    };

    KEFOObjectComparator(int type, const char* attributeName)
        : _type(type), _name(attributeName != nullptr ? attributeName : "") {}
    virtual ~KEFOObjectComparator() = default;

    int GetType() const { return _type; }
    const char* GetAttributeName() const { return _name.c_str(); }

    // Negative when a comes first, positive when b does, zero when equal.
    virtual int Compare(const KEFOObject* a, const KEFOObject* b) const;
    // Strict-weak-ordering form for the standard sorts.
    bool operator()(const KEFOObject* a, const KEFOObject* b) const { return Compare(a, b) < 0; }

private:
    int _type;
    std::string _name;
};

#endif
