// An attribute of an XML element: a name and a value. Attributes belong to
// the document that made them (they live in its storage pages) and are kept
// in the order of the source text or of their creation.
#ifndef KEFO_SUPPORT_XML_ATTRIBUTE_H
#define KEFO_SUPPORT_XML_ATTRIBUTE_H

#include "support/memory_manager.h"

#include <cstddef>

class PLOVXMLAttribute {
    PLOV_MANAGED_ALLOCATION(PLOVXMLAttribute)
public:
    PLOVXMLAttribute(const char* name, const char* value, std::size_t valueLength)
        : _name(name), _value(value), _valueLength(valueLength) {}

    const char* GetName() const { return _name; }
    // The value with its entities and character references translated; it
    // may hold NUL bytes (from the source text), hence the length.
    const char* GetValue() const { return _value; }
    std::size_t GetValueLength() const { return _valueLength; }
    PLOVXMLAttribute* GetNextAttribute() const { return _next; }

    bool HasName(const char* name) const;
    bool HasValue(const char* value) const;

    // True for the values "true" and "false".
    bool IsBool() const;
    // Each of these answers false, leaving `value` unchanged, when the whole
    // value is not of the kind: Booleans are "true" and "false"; integers are
    // decimal with an optional sign and fit a long; reals are decimal numbers
    // with optional fraction and exponent (no "inf" or "nan"). Blanks around
    // the number are allowed.
    bool GetBoolValue(bool& value) const;
    bool GetIntegerValue(long& value) const;
    bool GetRealValue(double& value) const;

private:
    friend class PLOVXMLNode;
    friend class PLOVXMLDocument;

    const char* _name;
    const char* _value;
    std::size_t _valueLength;
    PLOVXMLAttribute* _next = nullptr;
};

#endif
