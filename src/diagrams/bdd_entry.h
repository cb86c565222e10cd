// The store's record of one variable index: the model and system variables
// that carry the index, the per-variable data read by the operations
// (value code, probability, failure intensity, weight), an optional module
// diagram, and the hash table of the nodes labelled by the index.
#ifndef KEFO_DIAGRAMS_BDD_ENTRY_H
#define KEFO_DIAGRAMS_BDD_ENTRY_H

#include "diagrams/bdd_hash_table.h"
#include "diagrams/bdd_node.h"
#include "support/memory_manager.h"

class KEFOBDDEntryTable;
class KEFOVariable;
class KEFOSystemVariable;

class KEFOBDDEntry {
    PLOV_MANAGED_ALLOCATION(KEFOBDDEntry)
public:
    // Value codes: the variable is constant false, constant true, or free.
    enum Value { False = 0, True = 1, Unknown = 2 };

    KEFOBDDEntry(KEFOBDDEntryTable* entryTable, int index);
    ~KEFOBDDEntry();
    KEFOBDDEntry(const KEFOBDDEntry&) = delete;
    KEFOBDDEntry& operator=(const KEFOBDDEntry&) = delete;

    KEFOBDDEntryTable* GetEntryTable() const { return _entryTable; }
    int GetIndex() const { return _index; }
    bool IsActive() const { return _modelVariable != nullptr; }

    KEFOVariable* GetModelVariable() const { return _modelVariable; }
    // Setting the model variable re-initialises every other field but the
    // hash table.
    void SetModelVariable(KEFOVariable* variable);
    KEFOSystemVariable* GetSystemVariable() const { return _systemVariable; }
    void SetSystemVariable(KEFOSystemVariable* variable) { _systemVariable = variable; }
    int GetValue() const { return _value; }
    void SetValue(int value) { _value = value; }
    double GetProbability() const { return _probability; }
    void SetProbability(double p) { _probability = p; }
    double GetFailureIntensity() const { return _failureIntensity; }
    void SetFailureIntensity(double lambda) { _failureIntensity = lambda; }
    double GetWeight() const { return _weight; }
    // A change of weight invalidates the weighted records of the cache.
    void SetWeight(double w);
    // The entry holds one reference on its module diagram.
    KEFOBDDNode* GetModuleBDD() const { return _moduleBDD; }
    void SetModuleBDD(KEFOBDDNode* root);

    KEFOBDDHashTable* GetHashTable() { return &_hashTable; }
    const KEFOBDDHashTable* GetHashTable() const { return &_hashTable; }

private:
    void _Initialise();

    KEFOBDDEntryTable* _entryTable;
    int _index;
    KEFOVariable* _modelVariable;
    KEFOSystemVariable* _systemVariable;
    int _value;
    double _probability;
    double _failureIntensity;
    double _weight;
    KEFOBDDNode* _moduleBDD;
    KEFOBDDHashTable _hashTable;
};

#endif
