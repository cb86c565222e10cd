#include "support/xml_node.h"

#include "support/xml_attribute.h"

#include <cstring>

bool PLOVXMLNode::HasName(const char* name) const {
    return name != nullptr && std::strlen(name) == _nameLength && std::memcmp(_name, name, _nameLength) == 0;
}

int PLOVXMLNode::GetNumberOfChildren() const {
    int count = 0;
    for (const PLOVXMLNode* child = _firstChild; child != nullptr; child = child->_nextSibling) ++count;
    return count;
}

int PLOVXMLNode::GetNumberOfAttributes() const {
    int count = 0;
    for (const PLOVXMLAttribute* a = _firstAttribute; a != nullptr; a = a->GetNextAttribute()) ++count;
    return count;
}

PLOVXMLAttribute* PLOVXMLNode::LookForAttribute(const char* name) const {
    for (PLOVXMLAttribute* a = _firstAttribute; a != nullptr; a = a->GetNextAttribute())
        if (a->HasName(name)) return a;
    return nullptr;
}

const char* PLOVXMLNode::GetAttributeValue(const char* name) const {
    const PLOVXMLAttribute* a = LookForAttribute(name);
    return a != nullptr ? a->GetValue() : nullptr;
}
