// The flattener turns a hierarchical source model (blocks, classes,
// instances, extends, clones and embeds directives, references by relative
// or absolute paths) into the target model: one flat, pure KEFOModel that
// holds only variables, parameters and CCF groups, each named by its
// absolute path as one identifier (a gate g of block b of block a is "a.b.g"),
// with every reference resolved.
//
// Instantiation first builds an intermediate model of plain blocks: every
// declaration of the source is an action of a queue, executed in declaration
// order; the declarations of a block (of a class, for an instance) are
// executed right after the action that made the block, before the rest of
// the queue. An action whose formula refers to an element not made yet is
// parked on the name that was missing and goes back to the front of the
// queue when that name is declared (a clone or an extension of a block waits
// likewise until every declaration of that block is complete); elements are
// made before their formulas are checked, so that references among them
// resolve in any order. When the queue is empty and actions are still
// parked, each raises 12006 "Unable to complete declaration of %1.", which
// is also how a cycle of definitions ends. Instantiation stamps (the integer
// attribute "INSTANTIATION_STAMP") give later declarations precedence: the
// body of an instance overrides its class, the body of an extends or clones
// directive what it copies.
//
// Flattening then lists every declaration of the intermediate model under
// its absolute name. A source without blocks, classes or directives is
// instantiated straight into the flat model (its intermediate model would be
// that very model).
#ifndef KEFO_PREPROCESSING_FLATTENER_H
#define KEFO_PREPROCESSING_FLATTENER_H

#include "support/memory_manager.h"

#include <deque>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class KEFOBlock;
class KEFOContainer;
class KEFODeclaration;
class KEFOGate;
class KEFOInterpreter;
class KEFOMessenger;
class KEFOModel;
class KEFOPath;
class KEFOPort;
class KEFOStochasticExpression;
class KEFOTerm;

// One declaration to instantiate into one target block.
class KEFOFlattenerAction {
    PLOV_MANAGED_ALLOCATION(KEFOFlattenerAction)
public:
    KEFOFlattenerAction(KEFODeclaration* declaration, KEFOBlock* target, long serial)
        : _declaration(declaration), _target(target), _serial(serial) {}

    KEFODeclaration* GetDeclaration() const { return _declaration; }
    KEFOBlock* GetTarget() const { return _target; }
    bool IsRetried() const { return _retried; }
    void SetRetried(bool retried) { _retried = retried; }
    // Order in which the actions were made.
    long GetSerial() const { return _serial; }

private:
    KEFODeclaration* _declaration;
    KEFOBlock* _target;
    long _serial;
    bool _retried = false;
};

class KEFOFlattener {
    PLOV_MANAGED_ALLOCATION(KEFOFlattener)
public:
    static const char* const stampAttribute;  // "INSTANTIATION_STAMP"
    // Deepest nesting of blocks the instantiation makes; deeper (a class
    // that instantiates itself, a block that clones its own container)
    // raises 12006.
    static const int maximumDepth = 1000;

    explicit KEFOFlattener(KEFOInterpreter* interpreter = nullptr);
    ~KEFOFlattener();
    KEFOFlattener(const KEFOFlattener&) = delete;
    KEFOFlattener& operator=(const KEFOFlattener&) = delete;

    // Messages go through this messenger when one is set (not owned), else
    // through the interpreter's; without either errors are only counted.
    void SetMessenger(KEFOMessenger* messenger) { _messenger = messenger; }

    // The flat model (owned by the caller), or null after errors.
    KEFOModel* FlattenModel(int& errors, KEFOModel* source);
    // The intermediate model of plain blocks (owned by the caller), or null
    // after errors.
    KEFOModel* InstantiateModel(int& errors, KEFOModel* source);
    // Empties the action queue.
    void Reset();

    void RaiseError(int& errors, int code, const char* a1 = nullptr, const char* a2 = nullptr);

private:
    enum Outcome { Done, NotYet, Failed };

    struct WaitKey {
        const KEFOContainer* container;
        std::string name;
        bool operator==(const WaitKey& other) const { return container == other.container && name == other.name; }
    };
    struct WaitKeyHash {
        std::size_t operator()(const WaitKey& key) const;
    };

    KEFOModel* _Instantiate(int& errors, KEFOModel* source, bool flat);

    // Queue.
    KEFOFlattenerAction* _NewAction(KEFODeclaration* declaration, KEFOBlock* target);
    // The declarations of a container as actions into a target, placed in
    // front of the queue in declaration order.
    void _PushDeclarationsInFront(const std::vector<KEFODeclaration*>& declarations, KEFOBlock* target);
    void _ExecuteActionLoop(int& errors);
    Outcome _Execute(int& errors, KEFOFlattenerAction* action);
    void _Park(KEFOFlattenerAction* action);
    void _Announce(const std::vector<KEFODeclaration*>& declarations, KEFOBlock* target);
    // A declaration or an alias of that name appeared in the container:
    // the actions waiting for it go back to the end of the queue.
    void _Declared(const KEFOContainer* container, const std::string& name);
    // A parked action got done: the blocks around it may be complete now
    // (their waiters are woken under the empty name).
    void _Completed(KEFOFlattenerAction* action);
    // Whether actions into the block (or below it) are still pending; the
    // wait key is then set to the block's completion.
    bool _WaitForCompletion(const KEFOContainer* block);

    // Instantiation of each kind of declaration.
    Outcome _InstantiateBlock(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateInstance(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateExtendsDirective(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateClonesDirective(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateEmbedsDirective(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateParameter(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateVariable(int& errors, KEFODeclaration* d, KEFOBlock* target);
    Outcome _InstantiateCCFGroup(int& errors, KEFODeclaration* d, KEFOBlock* target);

    // The block that receives the declaration (its path without the last
    // identifier, looked up from the target); 12001 when there is none.
    KEFOBlock* _GetActualParentBlock(int& errors, KEFODeclaration* d, KEFOBlock* target);
    // The block named `name` in `parent`, made when missing (with the
    // stamp of d); 12003 when the name is something else.
    KEFOBlock* _FindOrMakeBlock(int& errors, KEFODeclaration* d, KEFOBlock* parent, const char* name);
    // Whether the (source element, target) pair was expanded already; it is
    // recorded otherwise.
    bool _AlreadyExpanded(const KEFODeclaration* element, const KEFOBlock* target);
    int _GetStamp(KEFODeclaration* d);
    void _SetStamp(KEFODeclaration* made, int stamp);
    void _CopyAnnotations(const KEFODeclaration* from, KEFODeclaration* to);
    std::string _TargetName(const KEFOBlock* parent, const char* name) const;
    int _Depth(const KEFOContainer* container) const;

    // Copies of formulas in the context of the parent block, references
    // looked up from the target block: NotYet (copy deleted, action parked
    // on `_waitKey`) when a reference does not resolve yet, Failed (12004)
    // on a kind mismatch.
    Outcome _CopyGateInContext(int& errors, KEFODeclaration* d, const KEFOGate* gate, KEFOBlock* target,
                               KEFOBlock* parent, KEFOGate*& copy);
    Outcome _CopyStochasticExpressionInContext(int& errors, KEFODeclaration* d,
                                               const KEFOStochasticExpression* expression, KEFOBlock* target,
                                               KEFOBlock* parent, KEFOStochasticExpression*& copy);
    // Resolves one reference of a copy: the element it designates from the
    // target, its path rewritten for the parent.
    Outcome _ResolveReference(int& errors, KEFODeclaration* d, KEFOTerm* reference, bool variable,
                              KEFOBlock* target, KEFOBlock* parent);
    // Where the walk of a path that found nothing stopped: false when the
    // path can never resolve.
    bool _FindMissingName(const KEFOContainer* from, const KEFOPath* path, WaitKey& key) const;

    // Flattening.
    KEFOModel* _FlattenModel(int& errors, KEFOModel* intermediate);
    void _RemoveStamps(KEFOContainer* root);

    KEFOInterpreter* _interpreter;
    KEFOMessenger* _messenger = nullptr;
    KEFOModel* _source = nullptr;
    KEFOModel* _model = nullptr;
    // Instantiating a source without blocks straight into the flat model.
    bool _flat = false;
    int _stampCounter = 0;
    long _serialCounter = 0;
    std::deque<KEFOFlattenerAction*> _queue;
    std::unordered_map<WaitKey, std::vector<KEFOFlattenerAction*>, WaitKeyHash> _parked;
    std::unordered_map<const KEFOContainer*, int> _pendingIn;
    std::vector<KEFOFlattenerAction*> _actions;  // every action made in the run (owned)
    std::vector<KEFODeclaration*> _stamped;      // source declarations given a stamp
    std::set<std::pair<const void*, const void*>> _expanded;
    WaitKey _waitKey;
    bool _waitForever = false;
};

#endif
