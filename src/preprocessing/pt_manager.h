// Grouping of shared children: children that occur together, with the same
// polarity, under the same set of and (or or) parents are replaced in each
// parent by one reference to a generated "GROUP" gate over them. The parent
// sets of the variables are shared lists of KEFOPTNode made once each, so
// equal sets are found by comparing pointers.
//
// The working data (index "PTINDEX", parent set, occurrence list of each
// variable) is kept in the manager's own tables, indexed by the variables'
// positions, and dropped at the end of the grouping.
#ifndef KEFO_PREPROCESSING_PT_MANAGER_H
#define KEFO_PREPROCESSING_PT_MANAGER_H

#include "preprocessing/rewriter_cone.h"
#include "support/memory_manager.h"

#include <cstddef>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class KEFOGate;
class KEFOModel;
class KEFOPTNode;
class KEFORewriter;
class KEFOVariable;

class KEFOPTManager {
    PLOV_MANAGED_ALLOCATION(KEFOPTManager)
public:
    explicit KEFOPTManager(KEFORewriter* rewriter);
    ~KEFOPTManager();
    KEFOPTManager(const KEFOPTManager&) = delete;
    KEFOPTManager& operator=(const KEFOPTManager&) = delete;

    // The whole grouping under the top variable (generated names through
    // the rewriter, prefix "GROUP").
    void GroupChildrenWithSameParents(KEFOModel* model, KEFOVariable* top);

    // Working data over a list of variables (their "PTINDEX" is their
    // position in the list, in the order given).
    void IndexVariables(const std::vector<KEFOVariable*>& variables);
    void BuildOccurrenceListsOfVariables(const std::vector<KEFOVariable*>& variables);
    void ResetOccurrenceListsOfVariables(const std::vector<KEFOVariable*>& variables);
    void BuildParentSetsOfVariables(const std::vector<KEFOVariable*>& variables);
    void ResetParentSetsOfVariables(const std::vector<KEFOVariable*>& variables);

    // The set extended with one parent, kept sorted by the parents'
    // indices (highest first along the list).
    KEFOPTNode* ExtendParentSet(KEFOPTNode* set, KEFOVariable* parent, int connective, bool polarity);
    // The node (parent, connective, polarity, next): the one already made
    // when there is one, else a new node recorded in the table.
    KEFOPTNode* NewParentSet(KEFOVariable* parent, int connective, bool polarity, KEFOPTNode* next);

    // Every live reference to `oldVariable` is made to refer to
    // `newVariable`.
    void SubstituteVariableForVariable(KEFOVariable* oldVariable, KEFOVariable* newVariable);

    // Brings variables with the same parent set together: by set (order of
    // creation of the sets' first nodes), then by index.
    int CompareParentSetsOfVariables(const KEFOVariable* a, const KEFOVariable* b) const;

    // Accessors of the working data (null / -1 / 0 outside).
    int GetIndex(const KEFOVariable* variable) const;
    KEFOPTNode* GetParentSet(const KEFOVariable* variable) const;
    int GetNumberOfNodes() const { return static_cast<int>(_nodes.size()); }
    // Deletes every node and the working data.
    void Clear();

private:
    struct NodeKey {
        const KEFOVariable* parent;
        int connective;
        bool polarity;
        const KEFOPTNode* next;
        bool operator==(const NodeKey& other) const {
            return parent == other.parent && connective == other.connective && polarity == other.polarity &&
                   next == other.next;
        }
    };
    struct NodeKeyHash {
        std::size_t operator()(const NodeKey& key) const;
    };
    struct Entry {
        KEFOVariable* variable = nullptr;
        KEFOPTNode* parentSet = nullptr;
        std::vector<KEFOGate*> occurrences;
    };

    int _AddVariable(KEFOVariable* variable);
    void _SetParentSet(Entry& entry, KEFOPTNode* set);
    void _GroupRun(KEFOModel* model, const std::vector<KEFOVariable*>& run, KEFOPTNode* set);
    void _Forget(KEFOGate* reference);

    KEFORewriter* _rewriter;
    std::vector<KEFOPTNode*> _nodes;
    std::unordered_map<NodeKey, KEFOPTNode*, NodeKeyHash> _table;
    KEFOPointerIndex _index;
    std::vector<Entry> _entries;
    // References taken out of definitions during the grouping: deleted at
    // the end only, so that no pointer in an occurrence list is reused.
    std::vector<KEFOGate*> _removed;
    std::unordered_set<const KEFOGate*> _dead;
};

#endif
