#include "preprocessing/flattener.h"

#include "model/alias.h"
#include "model/aliasing.h"
#include "model/block.h"
#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/path.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "script/interpreter.h"
#include "script/messenger.h"

#include <algorithm>
#include <cstring>
#include <functional>

const char* const KEFOFlattener::stampAttribute = "INSTANTIATION_STAMP";

std::size_t KEFOFlattener::WaitKeyHash::operator()(const WaitKey& key) const {
    return std::hash<const void*>()(key.container) * 31u ^ std::hash<std::string>()(key.name);
}

KEFOFlattener::KEFOFlattener(KEFOInterpreter* interpreter) : _interpreter(interpreter) {}

KEFOFlattener::~KEFOFlattener() { Reset(); }

void KEFOFlattener::Reset() {
    _queue.clear();
    _parked.clear();
    _pendingIn.clear();
    for (KEFOFlattenerAction* action : _actions) delete action;
    _actions.clear();
    _expanded.clear();
    _stamped.clear();
    _serialCounter = 0;
}

void KEFOFlattener::RaiseError(int& errors, int code, const char* a1, const char* a2) {
    ++errors;
    KEFOMessenger* messenger = _messenger;
    if (messenger == nullptr && _interpreter != nullptr) messenger = _interpreter->GetMessenger();
    if (messenger != nullptr) messenger->RaiseError(code, a1, a2);
}

// ---- Runs ----------------------------------------------------------------

namespace {

// A source whose root holds only ports and CCF groups (no block, class,
// instance, directive or alias): its intermediate model would be flat
// already, so it is instantiated straight into the flat model.
bool IsFlatSource(const KEFOModel* source) {
    if (source->GetNumberOfAliases() != 0) return false;
    for (const KEFODeclaration* d : source->GetDeclarations()) {
        int type = d->GetType();
        if (!KEFOType::IsVariableType(type) && type != KEFOType::Parameter && !KEFOType::IsCCFGroupType(type)) {
            return false;
        }
    }
    return true;
}

// Members of the flat model's CCF groups know their group.
void LinkCCFGroups(KEFOModel* flat) {
    for (KEFODeclaration* d : flat->GetDeclarations()) {
        if (!KEFOType::IsCCFGroupType(d->GetType())) continue;
        KEFOCCFGroup* group = static_cast<KEFOCCFGroup*>(d);
        for (int i = 1; i <= group->GetSizeOfMembers(); ++i) {
            KEFOVariable* variable = group->GetMemberVariable(i);
            if (variable != nullptr && variable->GetCCFGroup() == nullptr) variable->SetCCFGroup(group);
        }
    }
}

}  // namespace

KEFOModel* KEFOFlattener::FlattenModel(int& errors, KEFOModel* source) {
    if (errors != 0 || source == nullptr) return nullptr;
    KEFOModel* flat = nullptr;
    if (IsFlatSource(source)) {
        flat = _Instantiate(errors, source, true);
        if (flat == nullptr) return nullptr;
    } else {
        KEFOModel* intermediate = _Instantiate(errors, source, false);
        if (intermediate == nullptr) return nullptr;
        flat = _FlattenModel(errors, intermediate);
        delete intermediate;
        if (errors != 0) {
            delete flat;
            return nullptr;
        }
    }
    // Every reference of the flat model was given its port and its
    // one-identifier path on the way; the members of the groups are linked
    // to their groups here.
    LinkCCFGroups(flat);
    return flat;
}

KEFOModel* KEFOFlattener::InstantiateModel(int& errors, KEFOModel* source) {
    return _Instantiate(errors, source, false);
}

KEFOModel* KEFOFlattener::_Instantiate(int& errors, KEFOModel* source, bool flat) {
    if (errors != 0 || source == nullptr) return nullptr;
    Reset();
    _source = source;
    _model = new KEFOModel();
    _model->SetPure(flat);
    _flat = flat;
    _stampCounter = 0;
    std::vector<KEFODeclaration*> declarations;
    source->CollectDeclarations(nullptr, declarations);
    _PushDeclarationsInFront(declarations, _model);
    _ExecuteActionLoop(errors);
    for (KEFODeclaration* d : _stamped) d->ResetAttribute(stampAttribute);
    _RemoveStamps(_model);
    Reset();
    KEFOModel* model = _model;
    _model = nullptr;
    _source = nullptr;
    _flat = false;
    if (errors != 0) {
        delete model;
        return nullptr;
    }
    return model;
}

// ---- Queue ---------------------------------------------------------------

KEFOFlattenerAction* KEFOFlattener::_NewAction(KEFODeclaration* declaration, KEFOBlock* target) {
    KEFOFlattenerAction* action = new KEFOFlattenerAction(declaration, target, _serialCounter++);
    _actions.push_back(action);
    return action;
}

void KEFOFlattener::_PushDeclarationsInFront(const std::vector<KEFODeclaration*>& declarations, KEFOBlock* target) {
    std::size_t first = _actions.size();
    for (KEFODeclaration* d : declarations) _NewAction(d, target);
    for (std::size_t i = _actions.size(); i > first; --i) _queue.push_front(_actions[i - 1]);
    _Announce(declarations, target);
}

void KEFOFlattener::_Announce(const std::vector<KEFODeclaration*>& declarations, KEFOBlock* target) {
    // The variables, parameters and groups of a batch named in the target
    // itself are made at once, empty and without stamp, so that formulas
    // that refer forward to them resolve at their first try. Their own
    // actions fill them as if they had made them (no stamp is higher than
    // theirs); whatever is already there is left to those actions.
    for (KEFODeclaration* d : declarations) {
        const KEFOPath* path = d->GetPath();
        if (path == nullptr || path->GetNumberOfIdentifiers() != 1) continue;
        int type = d->GetType();
        bool variable = KEFOType::IsVariableType(type);
        if (!variable && type != KEFOType::Parameter && !KEFOType::IsCCFGroupType(type)) continue;
        const char* name = path->GetLastIdentifier();
        if (target->LookForAlias(name) != nullptr ||
            target->LookForDeclarationInDictionary(std::string_view(name)) != nullptr) {
            continue;
        }
        KEFOPath* own = new KEFOPath(name, true);
        if (variable) {
            target->NewVariable(type, own);
        } else if (type == KEFOType::Parameter) {
            target->NewParameter(own);
        } else {
            target->NewCCFGroup(type, own);
        }
        _Declared(target, name);
    }
}

void KEFOFlattener::_Park(KEFOFlattenerAction* action) {
    if (!action->IsRetried()) {
        // Counted once as pending in its block and the blocks around it.
        for (const KEFODeclaration* c = action->GetTarget(); c != nullptr; c = c->GetOwner()) {
            ++_pendingIn[static_cast<const KEFOContainer*>(c)];
        }
    }
    action->SetRetried(true);
    if (_waitForever) {
        _parked[WaitKey{nullptr, std::string()}].push_back(action);
    } else {
        _parked[_waitKey].push_back(action);
    }
}

void KEFOFlattener::_Declared(const KEFOContainer* container, const std::string& name) {
    if (_parked.empty()) return;
    auto it = _parked.find(WaitKey{container, name});
    if (it == _parked.end()) return;
    // The actions woken go first, so that a block is complete as early as
    // possible (a later clone of it copies its declarations as they are).
    std::vector<KEFOFlattenerAction*> woken;
    woken.swap(it->second);
    _parked.erase(it);
    for (auto a = woken.rbegin(); a != woken.rend(); ++a) _queue.push_front(*a);
}

void KEFOFlattener::_Completed(KEFOFlattenerAction* action) {
    if (!action->IsRetried()) return;
    action->SetRetried(false);
    for (const KEFODeclaration* c = action->GetTarget(); c != nullptr; c = c->GetOwner()) {
        const KEFOContainer* container = static_cast<const KEFOContainer*>(c);
        auto it = _pendingIn.find(container);
        if (it == _pendingIn.end()) continue;
        if (--it->second == 0) {
            _pendingIn.erase(it);
            _Declared(container, std::string());
        }
    }
}

bool KEFOFlattener::_WaitForCompletion(const KEFOContainer* block) {
    auto it = _pendingIn.find(block);
    if (it == _pendingIn.end() || it->second == 0) return false;
    _waitKey.container = block;
    _waitKey.name.clear();
    return true;
}

void KEFOFlattener::_ExecuteActionLoop(int& errors) {
    while (errors == 0) {
        if (_queue.empty()) {
            if (_parked.empty()) break;
            // Nothing can progress: every parked action waits for a name that
            // will never be declared.
            ++errors;
            std::vector<KEFOFlattenerAction*> pending;
            for (auto& entry : _parked) pending.insert(pending.end(), entry.second.begin(), entry.second.end());
            std::sort(pending.begin(), pending.end(), [](const KEFOFlattenerAction* a, const KEFOFlattenerAction* b) {
                return a->GetSerial() < b->GetSerial();
            });
            for (KEFOFlattenerAction* action : pending) {
                KEFODeclaration* d = action->GetDeclaration();
                std::string name = _TargetName(action->GetTarget(), d->GetPathAsString());
                RaiseError(errors, 12006, name.c_str());
            }
            _parked.clear();
            break;
        }
        KEFOFlattenerAction* action = _queue.front();
        _queue.pop_front();
        _waitForever = false;
        Outcome outcome = _Execute(errors, action);
        if (outcome == NotYet && errors == 0) _Park(action);
        if (outcome == Done) _Completed(action);
    }
    _queue.clear();
    _parked.clear();
    _pendingIn.clear();
}

KEFOFlattener::Outcome KEFOFlattener::_Execute(int& errors, KEFOFlattenerAction* action) {
    KEFODeclaration* d = action->GetDeclaration();
    KEFOBlock* target = action->GetTarget();
    _GetStamp(d);
    int type = d->GetType();
    switch (type) {
    case KEFOType::Model:
    case KEFOType::Block:
        return _InstantiateBlock(errors, d, target);
    case KEFOType::Class:
        return Done;
    case KEFOType::Instance:
        return _InstantiateInstance(errors, d, target);
    case KEFOType::ExtendsDirective:
        return _InstantiateExtendsDirective(errors, d, target);
    case KEFOType::ClonesDirective:
        return _InstantiateClonesDirective(errors, d, target);
    case KEFOType::EmbedsDirective:
        return _InstantiateEmbedsDirective(errors, d, target);
    case KEFOType::Parameter:
        return _InstantiateParameter(errors, d, target);
    default:
        break;
    }
    if (KEFOType::IsVariableType(type)) return _InstantiateVariable(errors, d, target);
    if (KEFOType::IsCCFGroupType(type)) return _InstantiateCCFGroup(errors, d, target);
    return Done;
}

// ---- Stamps, names, blocks ---------------------------------------------------

int KEFOFlattener::_GetStamp(KEFODeclaration* d) {
    int stamp = d->GetAttributeAsInt(stampAttribute, 0);
    if (stamp == 0) {
        stamp = ++_stampCounter;
        d->SetAttribute(stampAttribute, stamp);
        // Intermediate declarations copied again (extends of a block, clones)
        // already carry one; only source declarations get here.
        _stamped.push_back(d);
    }
    return stamp;
}

void KEFOFlattener::_SetStamp(KEFODeclaration* made, int stamp) { made->SetAttribute(stampAttribute, stamp); }

void KEFOFlattener::_CopyAnnotations(const KEFODeclaration* from, KEFODeclaration* to) {
    const PLOVAttributeList& attributes = from->GetAttributes();
    for (int i = 0; i < attributes.GetNumberOfAttributes(); ++i) {
        if (attributes.GetAttributeTypeAt(i) != PLOVAttributeList::String) continue;
        const char* name = attributes.GetAttributeName(i);
        if (name[0] == '_' && std::strcmp(name, "__label__") != 0) continue;
        to->SetAttribute(name, attributes.GetAttributeAsString(name, ""));
    }
}

std::string KEFOFlattener::_TargetName(const KEFOBlock* parent, const char* name) const {
    std::string text;
    if (parent != nullptr && !parent->IsModel()) {
        KEFOPath* path = parent->NewAbsolutePath(false);
        text = path->GetStdString();
        delete path;
    }
    if (name != nullptr && name[0] != '\0') {
        if (!text.empty()) text += KEFOPath::separator;
        text += name;
    }
    return text;
}

int KEFOFlattener::_Depth(const KEFOContainer* container) const {
    int depth = 0;
    for (const KEFODeclaration* c = container; c != nullptr; c = c->GetOwner()) ++depth;
    return depth;
}

bool KEFOFlattener::_AlreadyExpanded(const KEFODeclaration* element, const KEFOBlock* target) {
    return !_expanded.insert(std::make_pair(static_cast<const void*>(element), static_cast<const void*>(target))).second;
}

KEFOBlock* KEFOFlattener::_GetActualParentBlock(int& errors, KEFODeclaration* d, KEFOBlock* target) {
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->GetNumberOfIdentifiers() <= 1) return target;
    KEFOPath* prefix = path->CopyPrefix();
    bool mismatch = false;
    KEFOBlock* parent = target->LookForBlock(prefix, mismatch);
    delete prefix;
    if (parent == nullptr) {
        std::string name = _TargetName(target, d->GetPathAsString());
        RaiseError(errors, 12001, name.c_str());
    }
    return parent;
}

KEFOBlock* KEFOFlattener::_FindOrMakeBlock(int& errors, KEFODeclaration* d, KEFOBlock* parent, const char* name) {
    bool mismatch = false;
    KEFODeclaration* existing = parent->LookForDeclarationInDictionary(name, nullptr, mismatch);
    if (existing != nullptr) {
        if (!KEFOType::TestAsBlock(existing)) {
            std::string text = _TargetName(parent, name);
            RaiseError(errors, 12003, text.c_str());
            return nullptr;
        }
        return static_cast<KEFOBlock*>(existing);
    }
    if (_Depth(parent) >= maximumDepth) {
        std::string text = _TargetName(parent, name);
        RaiseError(errors, 12006, text.c_str());
        return nullptr;
    }
    KEFOBlock* block = parent->NewBlock(new KEFOPath(name, true));
    _SetStamp(block, _GetStamp(d));
    _CopyAnnotations(d, block);
    _Declared(parent, name);
    return block;
}

namespace {

void CollectOwnDeclarations(const KEFODeclaration* d, std::vector<KEFODeclaration*>& out) {
    if (d != nullptr && d->IsContainer()) static_cast<const KEFOContainer*>(d)->CollectDeclarations(nullptr, out);
}

bool Encloses(const KEFODeclaration* outer, const KEFODeclaration* inner) {
    for (const KEFODeclaration* c = inner; c != nullptr; c = c->GetOwner()) {
        if (c == outer) return true;
    }
    return false;
}

}  // namespace

// ---- Blocks, instances, directives -------------------------------------------

KEFOFlattener::Outcome KEFOFlattener::_InstantiateBlock(int& errors, KEFODeclaration* d, KEFOBlock* target) {
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    KEFOBlock* block = _FindOrMakeBlock(errors, d, parent, path->GetLastIdentifier());
    if (block == nullptr) return Failed;
    std::vector<KEFODeclaration*> declarations;
    CollectOwnDeclarations(d, declarations);
    _PushDeclarationsInFront(declarations, block);
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_InstantiateInstance(int& errors, KEFODeclaration* d, KEFOBlock* target) {
    const KEFOPath* classPath = static_cast<KEFOBlock*>(d)->GetCloningPath();
    bool mismatch = false;
    KEFODeclaration* found =
        classPath != nullptr ? _source->LookForDeclarationInDictionary(classPath, KEFOType::TestAsClass, mismatch)
                             : nullptr;
    const char* className = classPath != nullptr ? classPath->GetString() : "";
    if (found == nullptr && !mismatch) {
        RaiseError(errors, 12005, className);
        return Failed;
    }
    if (found == nullptr || mismatch) {
        RaiseError(errors, 12003, className);
        return Failed;
    }
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    KEFOBlock* block = _FindOrMakeBlock(errors, d, parent, path->GetLastIdentifier());
    if (block == nullptr) return Failed;
    std::vector<KEFODeclaration*> declarations;
    if (!_AlreadyExpanded(found, block)) CollectOwnDeclarations(found, declarations);
    CollectOwnDeclarations(d, declarations);
    _PushDeclarationsInFront(declarations, block);
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_InstantiateExtendsDirective(int& errors, KEFODeclaration* d,
                                                                   KEFOBlock* target) {
    const KEFOPath* extended = static_cast<KEFOBlock*>(d)->GetCloningPath();
    std::string name = _TargetName(target, extended != nullptr ? extended->GetString() : "");
    if (extended == nullptr) {
        RaiseError(errors, 12005, name.c_str());
        return Failed;
    }
    bool blockMismatch = false;
    KEFODeclaration* element = target->LookForBlock(extended, blockMismatch);
    if (element == nullptr) {
        bool classMismatch = false;
        KEFODeclaration* found = _source->LookForDeclarationInDictionary(extended, KEFOType::TestAsClass, classMismatch);
        if (found != nullptr && !classMismatch) {
            element = found;
        } else if (found != nullptr || blockMismatch || classMismatch) {
            RaiseError(errors, 12003, name.c_str(), extended->GetString());
            return Failed;
        } else {
            RaiseError(errors, 12005, name.c_str(), extended->GetString());
            return Failed;
        }
    } else if (Encloses(element, target)) {
        // A block cannot take in the declarations of itself or of a block
        // that holds it: the copy would never end.
        RaiseError(errors, 12006, name.c_str());
        return Failed;
    } else if (_WaitForCompletion(static_cast<KEFOContainer*>(element))) {
        // Its declarations are copied once they are all complete.
        return NotYet;
    }
    std::vector<KEFODeclaration*> declarations;
    if (!_AlreadyExpanded(element, target)) CollectOwnDeclarations(element, declarations);
    CollectOwnDeclarations(d, declarations);
    _PushDeclarationsInFront(declarations, target);
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_InstantiateClonesDirective(int& errors, KEFODeclaration* d,
                                                                  KEFOBlock* target) {
    const KEFOPath* cloned = static_cast<KEFOBlock*>(d)->GetCloningPath();
    std::string name = _TargetName(target, d->GetPathAsString());
    bool mismatch = false;
    KEFOBlock* element = cloned != nullptr ? target->LookForBlock(cloned, mismatch) : nullptr;
    if (element == nullptr) {
        RaiseError(errors, mismatch ? 12003 : 12005, name.c_str(), cloned != nullptr ? cloned->GetString() : "");
        return Failed;
    }
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    KEFOBlock* block = _FindOrMakeBlock(errors, d, parent, path->GetLastIdentifier());
    if (block == nullptr) return Failed;
    if (Encloses(element, block)) {
        RaiseError(errors, 12006, name.c_str());
        return Failed;
    }
    if (_WaitForCompletion(element)) return NotYet;
    std::vector<KEFODeclaration*> declarations;
    if (!_AlreadyExpanded(element, block)) CollectOwnDeclarations(element, declarations);
    CollectOwnDeclarations(d, declarations);
    _PushDeclarationsInFront(declarations, block);
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_InstantiateEmbedsDirective(int& errors, KEFODeclaration* d,
                                                                  KEFOBlock* target) {
    KEFOAliasing* aliasing = static_cast<KEFOAliasing*>(d);
    std::string name = _TargetName(target, d->GetPathAsString());
    bool mismatch = false;
    const KEFOPath* embedded = aliasing->GetAliasedPath();
    KEFODeclaration* element =
        embedded != nullptr ? target->LookForDeclarationInDictionary(embedded, nullptr, mismatch) : nullptr;
    if (element == nullptr) {
        RaiseError(errors, 12005, name.c_str(), embedded != nullptr ? embedded->GetString() : "");
        return Failed;
    }
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    const char* alias = path->GetLastIdentifier();
    if (parent->LookForAlias(alias) != nullptr) {
        KEFODeclaration* designated = parent->LookForDeclarationInDictionary(alias, nullptr, mismatch);
        if (designated != nullptr && designated->IsPort()) {
            RaiseError(errors, 12002, name.c_str());
            return Failed;
        }
    }
    if (parent->LookForDeclarationInDictionary(std::string_view(alias)) != nullptr) {
        RaiseError(errors, 12002, name.c_str());
        return Failed;
    }
    KEFOPath* relative = parent->NewRelativePathToOtherDeclaration(element);
    if (relative == nullptr) {
        RaiseError(errors, 12005, name.c_str(), embedded->GetString());
        return Failed;
    }
    parent->NewAlias(alias, relative);
    _Declared(parent, alias);
    return Done;
}

// ---- Ports and CCF groups ----------------------------------------------------

KEFOFlattener::Outcome KEFOFlattener::_InstantiateParameter(int& errors, KEFODeclaration* d, KEFOBlock* target) {
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    const char* name = path->GetLastIdentifier();
    bool mismatch = false;
    KEFODeclaration* existing = parent->LookForDeclarationInDictionary(name, nullptr, mismatch);
    if (existing != nullptr && existing->GetType() != KEFOType::Parameter) {
        std::string text = _TargetName(parent, name);
        RaiseError(errors, 12003, text.c_str());
        return Failed;
    }
    int stamp = _GetStamp(d);
    if (existing != nullptr && existing->GetAttributeAsInt(stampAttribute, 0) > stamp) return Done;
    KEFOParameter* parameter = static_cast<KEFOParameter*>(existing);
    if (parameter == nullptr) {
        parameter = parent->NewParameter(new KEFOPath(name, true));
        _SetStamp(parameter, stamp);
        _Declared(parent, name);
    }
    const KEFOStochasticExpression* definition = static_cast<KEFOParameter*>(d)->GetDefinitionAsExpression();
    if (definition != nullptr) {
        KEFOStochasticExpression* copy = nullptr;
        Outcome outcome = _CopyStochasticExpressionInContext(errors, d, definition, target, parent, copy);
        if (outcome != Done) return outcome;
        parameter->SetDefinition(copy);
    }
    _SetStamp(parameter, stamp);
    _CopyAnnotations(d, parameter);
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_InstantiateVariable(int& errors, KEFODeclaration* d, KEFOBlock* target) {
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    const char* name = path->GetLastIdentifier();
    bool mismatch = false;
    KEFODeclaration* existing = parent->LookForDeclarationInDictionary(name, nullptr, mismatch);
    if (existing != nullptr && !KEFOType::IsVariableType(existing->GetType())) {
        std::string text = _TargetName(parent, name);
        RaiseError(errors, 12003, text.c_str());
        return Failed;
    }
    int stamp = _GetStamp(d);
    if (existing != nullptr && existing->GetAttributeAsInt(stampAttribute, 0) > stamp) return Done;
    KEFOVariable* source = static_cast<KEFOVariable*>(d);
    int kind = source->GetType();
    KEFOVariable* variable = static_cast<KEFOVariable*>(existing);
    if (variable == nullptr) {
        variable = parent->NewVariable(kind, new KEFOPath(name, true));
        _SetStamp(variable, stamp);
        _Declared(parent, name);
    } else if (kind != KEFOType::Variable && variable->GetType() != kind) {
        // Converted to the kind of the later declaration.
        if (kind == KEFOType::StateVariable) {
            variable->SetDefinition(nullptr);
        } else {
            variable->SetProbabilityDistribution(nullptr);
        }
        variable->SetType(kind);
    }
    if (kind == KEFOType::StateVariable) {
        const KEFOStochasticExpression* distribution = source->GetProbabilityDistribution();
        if (distribution != nullptr) {
            KEFOStochasticExpression* copy = nullptr;
            Outcome outcome = _CopyStochasticExpressionInContext(errors, d, distribution, target, parent, copy);
            if (outcome != Done) return outcome;
            variable->SetProbabilityDistribution(copy);
        }
    } else {
        const KEFOGate* definition = source->GetDefinitionAsGate();
        if (definition != nullptr) {
            KEFOGate* copy = nullptr;
            Outcome outcome = _CopyGateInContext(errors, d, definition, target, parent, copy);
            if (outcome != Done) return outcome;
            variable->SetDefinition(copy);
        }
    }
    _SetStamp(variable, stamp);
    _CopyAnnotations(d, variable);
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_InstantiateCCFGroup(int& errors, KEFODeclaration* d, KEFOBlock* target) {
    KEFOBlock* parent = _GetActualParentBlock(errors, d, target);
    if (parent == nullptr) return Failed;
    const KEFOPath* path = d->GetPath();
    if (path == nullptr || path->IsEmpty()) return Done;
    const char* name = path->GetLastIdentifier();
    bool mismatch = false;
    KEFODeclaration* existing = parent->LookForDeclarationInDictionary(name, nullptr, mismatch);
    if (existing != nullptr && !KEFOType::TestAsCCFGroup(existing)) {
        std::string text = _TargetName(parent, name);
        RaiseError(errors, 12003, text.c_str());
        return Failed;
    }
    int stamp = _GetStamp(d);
    if (existing != nullptr && existing->GetAttributeAsInt(stampAttribute, 0) > stamp) return Done;
    KEFOCCFGroup* source = static_cast<KEFOCCFGroup*>(d);
    KEFOCCFGroup* group = static_cast<KEFOCCFGroup*>(existing);
    if (group == nullptr) {
        group = parent->NewCCFGroup(source->GetType(), new KEFOPath(name, true));
        _SetStamp(group, stamp);
        _Declared(parent, name);
    }
    // Every part is checked and copied before the group is touched.
    std::vector<KEFOGate*> members(static_cast<std::size_t>(source->GetSizeOfMembers()), nullptr);
    std::vector<KEFOStochasticExpression*> factors(static_cast<std::size_t>(source->GetSizeOfFactors()), nullptr);
    KEFOStochasticExpression* distribution = nullptr;
    auto discard = [&]() {
        for (KEFOGate* member : members) delete member;
        for (KEFOStochasticExpression* factor : factors) delete factor;
        delete distribution;
    };
    Outcome outcome = Done;
    for (std::size_t i = 0; outcome == Done && i < members.size(); ++i) {
        const KEFOGate* member = source->GetMember(static_cast<int>(i) + 1);
        if (member != nullptr) outcome = _CopyGateInContext(errors, d, member, target, parent, members[i]);
    }
    for (std::size_t i = 0; outcome == Done && i < factors.size(); ++i) {
        const KEFOStochasticExpression* factor = source->GetFactor(static_cast<int>(i) + 1);
        if (factor != nullptr) {
            outcome = _CopyStochasticExpressionInContext(errors, d, factor, target, parent, factors[i]);
        }
    }
    if (outcome == Done && source->GetDistribution() != nullptr) {
        outcome = _CopyStochasticExpressionInContext(errors, d, source->GetDistribution(), target, parent,
                                                     distribution);
    }
    if (outcome != Done) {
        discard();
        return outcome;
    }
    group->Reset();
    group->SetType(source->GetType());
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (members[i] != nullptr) group->SetMember(static_cast<int>(i) + 1, members[i]);
    }
    for (std::size_t i = 0; i < factors.size(); ++i) {
        if (factors[i] != nullptr) group->SetFactor(static_cast<int>(i) + 1, factors[i]);
    }
    group->SetDistribution(distribution);
    group->SetExpanded(source->IsExpanded());
    _SetStamp(group, stamp);
    _CopyAnnotations(d, group);
    return Done;
}

// ---- Copies in context --------------------------------------------------------

KEFOFlattener::Outcome KEFOFlattener::_CopyGateInContext(int& errors, KEFODeclaration* d, const KEFOGate* gate,
                                                         KEFOBlock* target, KEFOBlock* parent, KEFOGate*& copy) {
    copy = KEFOGate::Copy(parent, gate);
    std::vector<KEFOGate*> stack{copy};
    while (!stack.empty()) {
        KEFOGate* node = stack.back();
        stack.pop_back();
        if (node->IsReference()) {
            Outcome outcome = _ResolveReference(errors, d, node, true, target, parent);
            if (outcome != Done) {
                delete copy;
                copy = nullptr;
                return outcome;
            }
            continue;
        }
        for (KEFOTerm* c = node->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            if (c->IsGate()) stack.push_back(static_cast<KEFOGate*>(c));
        }
    }
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_CopyStochasticExpressionInContext(int& errors, KEFODeclaration* d,
                                                                         const KEFOStochasticExpression* expression,
                                                                         KEFOBlock* target, KEFOBlock* parent,
                                                                         KEFOStochasticExpression*& copy) {
    copy = KEFOStochasticExpression::Copy(parent, expression);
    std::vector<KEFOStochasticExpression*> stack{copy};
    while (!stack.empty()) {
        KEFOStochasticExpression* node = stack.back();
        stack.pop_back();
        if (node->IsParameterReference()) {
            Outcome outcome = _ResolveReference(errors, d, node, false, target, parent);
            if (outcome != Done) {
                delete copy;
                copy = nullptr;
                return outcome;
            }
            continue;
        }
        for (KEFOTerm* c = node->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            if (c->IsStochasticExpression()) stack.push_back(static_cast<KEFOStochasticExpression*>(c));
        }
    }
    return Done;
}

KEFOFlattener::Outcome KEFOFlattener::_ResolveReference(int& errors, KEFODeclaration* d, KEFOTerm* reference,
                                                        bool variable, KEFOBlock* target, KEFOBlock* parent) {
    const KEFOPath* path = reference->GetReferredPortPath();
    KEFOPath* owned = nullptr;
    if (path == nullptr) {
        // A reference made with its port only: its path from the context of
        // the declaration.
        KEFOPort* port = reference->GetReferredPort();
        if (port != nullptr && d->GetOwner() != nullptr) owned = d->GetOwner()->NewRelativePathToOtherDeclaration(port);
        if (owned == nullptr) {
            _waitForever = true;
            return NotYet;
        }
        path = owned;
    }
    bool mismatch = false;
    KEFODeclaration* found = nullptr;
    if (variable) {
        int type = reference->GetReferredPortType();
        if (type < 0) type = KEFOType::Variable;
        found = KEFOBlock::LookForVariable(target, type, path, mismatch);
    } else {
        found = KEFOBlock::LookForParameter(target, path, mismatch);
    }
    if (mismatch) {
        delete owned;
        std::string name = _TargetName(target, d->GetPathAsString());
        RaiseError(errors, 12004, name.c_str());
        return Failed;
    }
    if (found == nullptr) {
        if (!_FindMissingName(target, path, _waitKey)) _waitForever = true;
        delete owned;
        return NotYet;
    }
    reference->SetReferredPort(static_cast<KEFOPort*>(found));
    // In the flat model every element is named from the root by its one
    // identifier.
    KEFOPath* rewritten = _flat                ? new KEFOPath(found->GetPathAsString(), true)
                          : path->IsAbsolute() ? found->NewAbsolutePath(true)
                                               : parent->NewRelativePathToOtherDeclaration(found);
    delete owned;
    if (rewritten != nullptr) reference->SetReferredPortPath(rewritten);
    return Done;
}

bool KEFOFlattener::_FindMissingName(const KEFOContainer* from, const KEFOPath* path, WaitKey& key) const {
    // The walk of KEFOContainer::LookForDeclarationInDictionary, stopped at
    // the first identifier that is missing.
    if (from == nullptr || path == nullptr || path->IsEmpty()) return false;
    struct Frame {
        const KEFOPath* path;
        int next;
    };
    Frame frames[KEFOContainer::maximumAliasExpansions + 1];
    int depth = 0;
    frames[depth++] = Frame{path, 0};
    int expansions = 0;
    const KEFOContainer* current = from;
    for (;;) {
        while (depth > 0 && frames[depth - 1].next >= frames[depth - 1].path->GetNumberOfIdentifiers()) --depth;
        if (depth == 0) return false;
        Frame& frame = frames[depth - 1];
        const std::string& identifier = frame.path->GetIdentifierString(frame.next + 1);
        ++frame.next;
        if (identifier == KEFOPath::rootContainerKeyword) {
            current = current->GetRootContainer();
            if (current == nullptr) return false;
            continue;
        }
        if (identifier == KEFOPath::parentContainerKeyword) {
            current = current->GetOwner();
            if (current == nullptr) return false;
            continue;
        }
        KEFOAlias* alias = current->LookForAlias(identifier);
        if (alias != nullptr && alias->GetPath() != nullptr) {
            if (expansions >= KEFOContainer::maximumAliasExpansions) return false;
            ++expansions;
            frames[depth++] = Frame{alias->GetPath(), 0};
            continue;
        }
        KEFODeclaration* found = current->LookForDeclarationInDictionary(std::string_view(identifier));
        if (found == nullptr) {
            key.container = current;
            key.name = identifier;
            return true;
        }
        if (!found->IsContainer()) return false;
        current = static_cast<const KEFOContainer*>(found);
    }
}

// ---- Flattening ----------------------------------------------------------------

void KEFOFlattener::_RemoveStamps(KEFOContainer* root) {
    std::vector<KEFOContainer*> stack{root};
    while (!stack.empty()) {
        KEFOContainer* container = stack.back();
        stack.pop_back();
        container->ResetAttribute(stampAttribute);
        for (KEFODeclaration* d : container->GetDeclarations()) {
            if (d->IsContainer()) {
                stack.push_back(static_cast<KEFOContainer*>(d));
            } else {
                d->ResetAttribute(stampAttribute);
            }
        }
    }
}

namespace {

typedef std::unordered_map<const KEFODeclaration*, KEFODeclaration*> FlatMap;

// The references of a copy now designate the flat declarations by their
// single identifier; one that does not map keeps its path, unresolved.
void MapReferences(KEFOTerm* root, bool gates, const FlatMap& map) {
    if (root == nullptr) return;
    std::vector<KEFOTerm*> stack{root};
    while (!stack.empty()) {
        KEFOTerm* term = stack.back();
        stack.pop_back();
        bool reference = gates ? term->IsGate() && static_cast<KEFOGate*>(term)->IsReference()
                               : term->IsStochasticExpression() &&
                                     static_cast<KEFOStochasticExpression*>(term)->IsParameterReference();
        if (reference) {
            auto it = map.find(term->GetReferredPort());
            if (it == map.end()) {
                term->ResetReferredPort();
            } else {
                term->SetReferredPort(static_cast<KEFOPort*>(it->second));
                term->SetReferredPortPath(new KEFOPath(it->second->GetPathAsString(), true));
            }
            continue;
        }
        for (KEFOTerm* c = term->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) stack.push_back(c);
    }
}

}  // namespace

KEFOModel* KEFOFlattener::_FlattenModel(int& errors, KEFOModel* intermediate) {
    KEFOModel* flat = new KEFOModel();
    flat->SetPure(true);
    FlatMap map;
    std::vector<std::pair<KEFODeclaration*, KEFODeclaration*>> pairs;
    // Declarations in declaration order, descending into blocks; each frame
    // keeps the prefix of the names made inside it.
    struct Frame {
        KEFODeclaration* next;
        std::string prefix;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{intermediate->GetFirstDeclaration(), std::string()});
    while (!stack.empty() && errors == 0) {
        Frame& frame = stack.back();
        KEFODeclaration* d = frame.next;
        if (d == nullptr) {
            stack.pop_back();
            continue;
        }
        frame.next = d->GetNextDeclaration();
        std::string name = frame.prefix;
        if (!name.empty()) name += KEFOPath::separator;
        name += d->GetPathAsString();
        if (d->IsContainer()) {
            KEFODeclaration* first = static_cast<KEFOContainer*>(d)->GetFirstDeclaration();
            stack.push_back(Frame{first, name});
            continue;
        }
        int type = d->GetType();
        bool port = KEFOType::IsVariableType(type) || type == KEFOType::Parameter;
        if (!port && !KEFOType::IsCCFGroupType(type)) continue;
        if (flat->LookForDeclarationInDictionary(std::string_view(name)) != nullptr) {
            RaiseError(errors, 12002, name.c_str());
            break;
        }
        KEFODeclaration* made = nullptr;
        if (KEFOType::IsVariableType(type)) {
            made = flat->NewVariable(type, new KEFOPath(name.c_str(), true));
        } else if (type == KEFOType::Parameter) {
            made = flat->NewParameter(new KEFOPath(name.c_str(), true));
        } else {
            made = flat->NewCCFGroup(type, new KEFOPath(name.c_str(), true));
        }
        map.emplace(d, made);
        pairs.emplace_back(d, made);
    }
    if (errors != 0) return flat;
    for (auto& pair : pairs) {
        KEFODeclaration* from = pair.first;
        KEFODeclaration* to = pair.second;
        _CopyAnnotations(from, to);
        int type = from->GetType();
        if (KEFOType::IsVariableType(type)) {
            KEFOVariable* source = static_cast<KEFOVariable*>(from);
            KEFOVariable* variable = static_cast<KEFOVariable*>(to);
            if (source->GetProbabilityDistribution() != nullptr) {
                KEFOStochasticExpression* copy = KEFOStochasticExpression::Copy(flat, source->GetProbabilityDistribution());
                MapReferences(copy, false, map);
                variable->SetProbabilityDistribution(copy);
            }
            if (source->GetDefinitionAsGate() != nullptr) {
                KEFOGate* copy = KEFOGate::Copy(flat, source->GetDefinitionAsGate());
                MapReferences(copy, true, map);
                variable->SetDefinition(copy);
            }
        } else if (type == KEFOType::Parameter) {
            KEFOStochasticExpression* definition = static_cast<KEFOParameter*>(from)->GetDefinitionAsExpression();
            if (definition != nullptr) {
                KEFOStochasticExpression* copy = KEFOStochasticExpression::Copy(flat, definition);
                MapReferences(copy, false, map);
                static_cast<KEFOParameter*>(to)->SetDefinition(copy);
            }
        } else {
            KEFOCCFGroup* source = static_cast<KEFOCCFGroup*>(from);
            KEFOCCFGroup* group = static_cast<KEFOCCFGroup*>(to);
            for (int i = 1; i <= source->GetSizeOfMembers(); ++i) {
                if (source->GetMember(i) == nullptr) continue;
                KEFOGate* copy = KEFOGate::Copy(flat, source->GetMember(i));
                MapReferences(copy, true, map);
                group->SetMember(i, copy);
            }
            for (int i = 1; i <= source->GetSizeOfFactors(); ++i) {
                if (source->GetFactor(i) == nullptr) continue;
                KEFOStochasticExpression* copy = KEFOStochasticExpression::Copy(flat, source->GetFactor(i));
                MapReferences(copy, false, map);
                group->SetFactor(i, copy);
            }
            if (source->GetDistribution() != nullptr) {
                KEFOStochasticExpression* copy = KEFOStochasticExpression::Copy(flat, source->GetDistribution());
                MapReferences(copy, false, map);
                group->SetDistribution(copy);
            }
            group->SetExpanded(source->IsExpanded());
        }
    }
    return flat;
}
