// A page of node slots of the unique table. Pages are made on demand, all
// their slots zeroed, and are returned only when the store is reset.
#ifndef KEFO_DIAGRAMS_BDD_PAGE_H
#define KEFO_DIAGRAMS_BDD_PAGE_H

#include "diagrams/bdd_node.h"
#include "support/memory_manager.h"

class KEFOBDDUniqueTable;

class KEFOBDDPage {
    PLOV_MANAGED_ALLOCATION(KEFOBDDPage)
public:
    KEFOBDDPage(KEFOBDDUniqueTable* uniqueTable, int numberOfNodes);
    ~KEFOBDDPage();
    KEFOBDDPage(const KEFOBDDPage&) = delete;
    KEFOBDDPage& operator=(const KEFOBDDPage&) = delete;

    KEFOBDDUniqueTable* GetUniqueTable() const { return _uniqueTable; }
    int GetNumberOfNodes() const { return _numberOfNodes; }
    KEFOBDDNode* GetNodes() const { return _nodes; }
    KEFOBDDNode* GetNode(int i) const { return _nodes + i; }
    KEFOBDDPage* GetNext() const { return _next; }
    void SetNext(KEFOBDDPage* next) { _next = next; }

private:
    KEFOBDDUniqueTable* _uniqueTable;
    int _numberOfNodes;
    void* _cell;          // the block obtained from the memory manager
    KEFOBDDNode* _nodes;  // the slots, aligned on 32 bytes inside the block
    KEFOBDDPage* _next;
};

#endif
