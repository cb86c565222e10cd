// A page of node slots of the unique table. Pages are made on demand, all
// their slots zeroed, and are returned only when the store is reset.
//
// Small pages own a cell of their own. Pages of `slabThreshold` bytes or
// more are carved from slabs, large cells of the memory manager that hold
// several pages back to back (two default pages per 2 MB slab): the page
// that opened a slab owns it and releases it, the others only point into it.
#ifndef KEFO_DIAGRAMS_BDD_PAGE_H
#define KEFO_DIAGRAMS_BDD_PAGE_H

#include "diagrams/bdd_node.h"
#include "support/memory_manager.h"

#include <cstddef>

class KEFOBDDUniqueTable;

class KEFOBDDPage {
    PLOV_MANAGED_ALLOCATION(KEFOBDDPage)
public:
    static const std::size_t slabThreshold = std::size_t(256) << 10;

    // A page with a cell of its own.
    KEFOBDDPage(KEFOBDDUniqueTable* uniqueTable, int numberOfNodes);
    // A page on `nodes`, inside a slab; the page releases the slab (of
    // `slabBytes` bytes) when `slab` is not null.
    KEFOBDDPage(KEFOBDDUniqueTable* uniqueTable, int numberOfNodes, KEFOBDDNode* nodes, void* slab,
                std::size_t slabBytes);
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
    void* _cell;          // the block this page releases, or none
    std::size_t _slabBytes;  // the size of _cell when it is a slab, else 0
    KEFOBDDNode* _nodes;  // the slots, aligned on 32 bytes inside the block
    KEFOBDDPage* _next;
};

#endif
