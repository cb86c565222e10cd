// A node of an XML document read by the library's own XML reader. Error
// locations of the XML model readers are nodes (file name and line).
#ifndef KEFO_SUPPORT_XML_NODE_H
#define KEFO_SUPPORT_XML_NODE_H

#include "support/memory_manager.h"

#include <memory>
#include <string>

class PLOVXMLNode {
    PLOV_MANAGED_ALLOCATION(PLOVXMLNode)
public:
    PLOVXMLNode() = default;
    virtual ~PLOVXMLNode() = default;

    // Null when the node does not come from a named file.
    const char* GetFileName() const { return _fileName ? _fileName->c_str() : nullptr; }
    void SetFileName(std::shared_ptr<const std::string> name) { _fileName = std::move(name); }
    int GetLine() const { return _line; }
    void SetLine(int line) { _line = line; }

private:
    std::shared_ptr<const std::string> _fileName;
    int _line = -1;
};

#endif
