// The root of all model objects: a type code and a list of named attributes.
// The type code is a KEFOType::Type code for declarations, a KEFOGate::Type
// code for gates and a KEFOStochasticExpression::Type code for expressions.
#ifndef KEFO_MODEL_OBJECT_H
#define KEFO_MODEL_OBJECT_H

#include "model/attribute_list.h"
#include "support/memory_manager.h"

class KEFOObject {
    PLOV_MANAGED_ALLOCATION(KEFOObject)
public:
    explicit KEFOObject(int type) : _type(type) {}
    virtual ~KEFOObject();
    KEFOObject(const KEFOObject&) = delete;
    KEFOObject& operator=(const KEFOObject&) = delete;

    int GetType() const { return _type; }
    void SetType(int type) { _type = type; }

    // Attributes. The getters answer the default when the attribute is absent.
    bool HasAttribute(const char* name) const { return _attributes.HasAttribute(name); }
    const char* GetAttributeAsString(const char* name, const char* byDefault = nullptr) const {
        return _attributes.GetAttributeAsString(name, byDefault);
    }
    bool GetAttributeAsBool(const char* name, bool byDefault = false) const {
        return _attributes.GetAttributeAsBool(name, byDefault);
    }
    int GetAttributeAsInt(const char* name, int byDefault = 0) const {
        return _attributes.GetAttributeAsInt(name, byDefault);
    }
    double GetAttributeAsDouble(const char* name, double byDefault = 0.0) const {
        return _attributes.GetAttributeAsDouble(name, byDefault);
    }
    void* GetAttributeAsPointer(const char* name, void* byDefault = nullptr) const {
        return _attributes.GetAttributeAsPointer(name, byDefault);
    }
    void SetAttribute(const char* name, const char* value) { _attributes.SetAttribute(name, value); }
    void SetAttribute(const char* name, bool value) { _attributes.SetAttribute(name, value); }
    void SetAttribute(const char* name, int value) { _attributes.SetAttribute(name, value); }
    void SetAttribute(const char* name, double value) { _attributes.SetAttribute(name, value); }
    void SetAttribute(const char* name, void* value, PLOVAttributeList::Deleter deleter = nullptr) {
        _attributes.SetAttribute(name, value, deleter);
    }
    // Removes the attribute, calling its deleter; false when it was absent.
    bool ResetAttribute(const char* name) { return _attributes.ResetAttribute(name); }
    PLOVAttributeList& GetAttributes() { return _attributes; }
    const PLOVAttributeList& GetAttributes() const { return _attributes; }

    // Type comparisons for sorted containers: negative, zero or positive.
    int CompareType(int code) const { return _type < code ? -1 : (_type > code ? 1 : 0); }
    static int CompareType(const KEFOObject* a, const KEFOObject* b);

private:
    int _type;
    PLOVAttributeList _attributes;
};

// A test on an object (a declaration test of KEFOType, a port test).
typedef bool (*KEFOObjectTest)(const KEFOObject* object);
// A comparison of an object with a key: zero when the object matches. The
// comparators of KEFOType and KEFOPort ignore the key.
typedef int (*KEFOObjectComparison)(const KEFOObject* object, const void* key);

#endif
