// A node of a formula: a gate of a Boolean formula or a node of a stochastic
// expression. A term belongs to the container in whose context it was made
// (paths in the term are looked up from there), has at most one parent and
// owns its children, kept in the order in which they were written.
// Children are numbered from 1.
#ifndef KEFO_MODEL_TERM_H
#define KEFO_MODEL_TERM_H

#include "model/object.h"

#include <string>
#include <vector>

class KEFOContainer;
class KEFOPath;
class KEFOPort;
class KEFOObjectComparator;

class KEFOTerm : public KEFOObject {
    PLOV_MANAGED_ALLOCATION(KEFOTerm)
public:
    // Range over the children, for range-based loops.
    class ChildRange {
    public:
        class Iterator {
        public:
            explicit Iterator(KEFOTerm* t) : _t(t) {}
            KEFOTerm* operator*() const { return _t; }
            Iterator& operator++() {
                _t = _t->GetNextSibling();
                return *this;
            }
            bool operator!=(const Iterator& other) const { return _t != other._t; }

        private:
            KEFOTerm* _t;
        };
        explicit ChildRange(KEFOTerm* first) : _first(first) {}
        Iterator begin() const { return Iterator(_first); }
        Iterator end() const { return Iterator(nullptr); }

    private:
        KEFOTerm* _first;
    };

    // Deletes the children (without recursion, so that deep formulas are safe).
    ~KEFOTerm() override;

    // Gates and stochastic expressions share type codes in different
    // tables; this tells which table applies.
    bool IsGate() const { return !_isExpression; }
    bool IsStochasticExpression() const { return _isExpression; }

    KEFOContainer* GetOwner() const { return _owner; }
    void SetOwner(KEFOContainer* owner) { _owner = owner; }
    KEFOTerm* GetParent() const { return _parent; }

    // Children.
    int GetNumberOfChildren() const { return _numberOfChildren; }
    // Child i, 1 to GetNumberOfChildren(); null out of range.
    KEFOTerm* GetChild(int i) const;
    KEFOTerm* GetFirstChild() const { return _firstChild; }
    KEFOTerm* GetLastChild() const { return _lastChild; }
    KEFOTerm* GetNextSibling() const { return _nextSibling; }
    KEFOTerm* GetPreviousSibling() const { return _previousSibling; }
    ChildRange GetChildren() const { return ChildRange(_firstChild); }
    // A cursor on the children is a child pointer: start at GetFirstChild()
    // and follow GetNextSibling().
    KEFOTerm* NewCursorOnChildren() const { return _firstChild; }
    // Adding a child takes it away from its previous parent.
    void AddChild(KEFOTerm* term) { AppendChild(term); }
    void AppendChild(KEFOTerm* term);
    void PrependChild(KEFOTerm* term);
    // Insert next to a child of this term (a null position appends for
    // AddChildBefore and prepends for AddChildAfter).
    void AddChildBefore(KEFOTerm* position, KEFOTerm* term);
    void AddChildAfter(KEFOTerm* position, KEFOTerm* term);
    // Puts the new term in the place of the old child, which is removed (not
    // deleted) and answered.
    KEFOTerm* SubstituteChild(KEFOTerm* oldChild, KEFOTerm* newChild);
    // Appends the terms in list order.
    void AddChildren(const std::vector<KEFOTerm*>& terms);
    // Removes a child without deleting it; false when it is not a child.
    bool RemoveChild(KEFOTerm* child);
    void RemoveChildren(const std::vector<KEFOTerm*>& children);
    // Removes and deletes.
    void DeleteChild(KEFOTerm* child);
    void DeleteChildren();
    void CollectChildren(std::vector<KEFOTerm*>& out) const;

    // Ports reached through this term.
    // Appends the port referred to by every node of the term's tree, in
    // depth-first order, children in order (a port referred to twice comes
    // twice).
    void CollectReferredPorts(std::vector<KEFOPort*>& out) const;
    // Sets the flag of every port referred to in the term and of their
    // descendants (see KEFOPort::SetFlagsOfDescendants).
    void SetFlagsOfDescendants(int flag) const;
    // The distinct ports reachable from the term through references and the
    // definitions of the ports reached, for which compare(port, key) is zero
    // (null compare: all), in depth-first order of first visit.
    void CollectDescendants(KEFOObjectComparison compare, const void* key, std::vector<KEFOPort*>& out) const;

    // Bookkeeping attributes.
    KEFOPort* GetDefinedPort() const { return static_cast<KEFOPort*>(GetAttributeAsPointer("__DEFINED_PORT__")); }
    void SetDefinedPort(KEFOPort* port) { SetAttribute("__DEFINED_PORT__", static_cast<void*>(port)); }
    void ResetDefinedPort() { ResetAttribute("__DEFINED_PORT__"); }
    KEFOPort* GetReferredPort() const { return static_cast<KEFOPort*>(GetAttributeAsPointer("__REFERRED_PORT__")); }
    void SetReferredPort(KEFOPort* port) { SetAttribute("__REFERRED_PORT__", static_cast<void*>(port)); }
    void ResetReferredPort() { ResetAttribute("__REFERRED_PORT__"); }
    // The KEFOType::Type code the reference expects; -1 when absent.
    int GetReferredPortType() const { return GetAttributeAsInt("__REFERRED_PORT_TYPE__", -1); }
    void SetReferredPortType(int type) { SetAttribute("__REFERRED_PORT_TYPE__", type); }
    void ResetReferredPortType() { ResetAttribute("__REFERRED_PORT_TYPE__"); }
    KEFOPath* GetReferredPortPath() const;
    // "" when there is no path.
    const char* GetReferredPortPathAsString() const;
    // Takes ownership; the previous path is deleted.
    void SetReferredPortPath(KEFOPath* path);
    void ResetReferredPortPath() { ResetAttribute("__REFERRED_PORT_PATH__"); }

    // Attribute arithmetic over the ports the children refer to (a double
    // attribute, 0 when absent on a port). With no such port: the largest
    // double for the minimum, its opposite for the maximum, 0 for the sum.
    double GetMinimumOfAttributesOfReferencedPorts(const char* name) const;
    double GetMaximumOfAttributesOfReferencedPorts(const char* name) const;
    double GetSumOfAttributesOfReferencedPorts(const char* name) const;
    // Removes the attribute from every node of the term's tree.
    void ResetAttributes(const char* name);
    // Stores on every node of the tree, bottom-up, the double attribute:
    // for a reference, the value on its port (0 when absent or unresolved);
    // for another node, the minimum (maximum) over its children (a node
    // without children gets 0).
    void SynthesizeAttributesFromAsMinimumOfAttributesOfReferredPorts(const char* name);
    void SynthesizeAttributesFromAsMaximumOfAttributesOfReferredPorts(const char* name);
    // Stable sorts of the children by a double attribute, read on the child
    // or, when the child lacks it, on the port the child refers to (0 when
    // neither has it).
    void SortChildrenInIncreasingOrderOfAttributeValue(const char* name);
    void SortChildrenInDecreasingOrderOfAttributeValue(const char* name);
    // Stable sort of the children with an object comparator.
    void SortChildren(const KEFOObjectComparator& comparator);

protected:
    KEFOTerm(int type, KEFOContainer* owner, bool isExpression);

    // Copies the reference attributes (path, type, port) of another term.
    void _CopyReferenceAttributes(const KEFOTerm* from);

private:
    void _Detach(KEFOTerm* child);
    void _SynthesizeAttributes(const char* name, bool minimum);
    void _SortChildrenByAttribute(const char* name, bool increasing);

    KEFOContainer* _owner;
    KEFOTerm* _parent = nullptr;
    KEFOTerm* _firstChild = nullptr;
    KEFOTerm* _lastChild = nullptr;
    KEFOTerm* _previousSibling = nullptr;
    KEFOTerm* _nextSibling = nullptr;
    int _numberOfChildren = 0;
    bool _isExpression;
};

#endif
