// A named value of the model: a variable or a parameter. Its definition is a
// term (a gate for flow and source variables, a stochastic expression for
// parameters); a port without definition is an input port.
#ifndef KEFO_MODEL_PORT_H
#define KEFO_MODEL_PORT_H

#include "model/declaration.h"

#include <vector>

class KEFOTerm;
class PLOVMeasure;

class KEFOPort : public KEFODeclaration {
    PLOV_MANAGED_ALLOCATION(KEFOPort)
public:
    KEFOPort(int type, KEFOContainer* owner, KEFOPath* path);
    // Deletes the definition.
    ~KEFOPort() override;

    bool IsPort() const override { return true; }

    KEFOTerm* GetDefinition() const { return _definition; }
    // Removes "__DEFINED_PORT__" from the previous definition and deletes it,
    // stores the new term (which leaves its parent, if any) and marks it
    // with "__DEFINED_PORT__" pointing back to this port.
    void SetDefinition(KEFOTerm* term);
    // Hands the definition over to the caller (without deleting it).
    KEFOTerm* ReleaseDefinition();

    bool IsInputPort() const { return _definition == nullptr; }
    bool IsInternalPort() const { return _definition != nullptr; }
    static int CompareAsAnyPort(const KEFOObject* object, const void* key);
    static int CompareAsInputPort(const KEFOObject* object, const void* key);
    static int CompareAsInternalPort(const KEFOObject* object, const void* key);

    // Walks through the definitions to the ports they refer to, with explicit
    // stacks (deep models are safe).
    // Sets the flag of this port and of every port reachable from it; a
    // descendant whose flag already equals `flag` is taken as visited.
    void SetFlagsOfDescendants(int flag);
    // The distinct ports reachable from this one (itself excluded unless a
    // cycle leads back to it) that match compare(port, key), in depth-first
    // order of first visit.
    void CollectDescendants(KEFOObjectComparison compare, const void* key, std::vector<KEFOPort*>& out) const;
    // The distinct ports the definition refers to directly, in order of first
    // reference, that match compare(port, key).
    void CollectChildren(KEFOObjectComparison compare, const void* key, std::vector<KEFOPort*>& out) const;
    // Removes the attribute from this port and every port reachable from it.
    void ResetAttributeOfDescendants(const char* name);

    // The statistical sample of the port's indicator over the tries of a
    // sensitivity analysis (its probability for a variable, its value for a
    // parameter): made on the first reset and named after the port's path,
    // owned. ResetMeasure empties it and gives it a quantilizer of that many
    // quantiles and a bin table of that many bins (none for 0 or less).
    PLOVMeasure* GetMeasure() const { return _measure; }
    PLOVMeasure* ResetMeasure(int numberOfQuantiles, int numberOfBins);
    void DeleteMeasure();

    // The distinct ports reachable from `roots` (roots included), in
    // depth-first order of first visit, that match compare(port, key).
    static void CollectReachablePorts(const std::vector<KEFOPort*>& roots, KEFOObjectComparison compare,
                                      const void* key, std::vector<KEFOPort*>& out);

private:
    KEFOTerm* _definition = nullptr;
    PLOVMeasure* _measure = nullptr;
};

#endif
