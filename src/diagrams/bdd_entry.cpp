#include "diagrams/bdd_entry.h"

#include "diagrams/bdd_entry_table.h"
#include "diagrams/bdd_manager.h"

KEFOBDDEntry::KEFOBDDEntry(KEFOBDDEntryTable* entryTable, int index)
    : _entryTable(entryTable),
      _index(index),
      _modelVariable(nullptr),
      _systemVariable(nullptr),
      _value(Unknown),
      _probability(0.0),
      _failureIntensity(0.0),
      _weight(1.0),
      _moduleBDD(nullptr),
      _hashTable(this) {}

KEFOBDDEntry::~KEFOBDDEntry() { SetModuleBDD(nullptr); }

void KEFOBDDEntry::_Initialise() {
    _systemVariable = nullptr;
    _value = Unknown;
    _probability = 0.0;
    _failureIntensity = 0.0;
    SetWeight(1.0);
    SetModuleBDD(nullptr);
}

void KEFOBDDEntry::SetModelVariable(KEFOVariable* variable) {
    _modelVariable = variable;
    _Initialise();
}

void KEFOBDDEntry::SetWeight(double w) {
    if (w == _weight) return;
    _weight = w;
    if (_entryTable != nullptr && _entryTable->GetManager() != nullptr)
        _entryTable->GetManager()->InvalidateWeightedRecords();
}

void KEFOBDDEntry::SetModuleBDD(KEFOBDDNode* root) {
    if (root == _moduleBDD) return;
    if (root != nullptr) root->Retain();
    if (_moduleBDD != nullptr) _moduleBDD->Release();
    _moduleBDD = root;
}
