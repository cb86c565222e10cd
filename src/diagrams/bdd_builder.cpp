#include "diagrams/bdd_builder.h"

#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/cutoff.h"
#include "diagrams/handle.h"
#include "model/expression_evaluator.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "preprocessing/ordering_manager.h"
#include "script/interpreter.h"
#include "support/exception.h"

#include <algorithm>
#include <climits>
#include <cmath>

const char* const KEFOBDDBuilder::activeParentsCountAttribute = "ACTIVE_PARENTS_COUNT";

// One step of the compilation: a variable whose definition is being
// compiled (gate none), or a gate whose children are being combined.
struct KEFOBDDBuilder::Frame {
    KEFOVariable* variable;
    KEFOGate* gate;
    KEFOTerm* next;     // next child to compile
    KEFOBDDNode* acc;   // and, or, nand, nor, not
    int type;           // connective
    int rowStart;       // first cell of the gate's row in _rows
    int rowSize;        // counting connectives: number of cells (k + 1), 0
                        // when the result is Zero; and, or, nand, nor: the
                        // children's diagrams kept so far
    int low;            // cardinality: lowest count kept
    int seen;           // children combined (or kept) so far
    bool counting;      // counting connectives: the row runs over the kept
                        // children
};

namespace {
int ActiveParentsCount(const KEFOVariable* variable) {
    return variable->GetAttributeAsInt(KEFOBDDBuilder::activeParentsCountAttribute, 0);
}
void SetActiveParentsCount(KEFOVariable* variable, int count) {
    variable->SetAttribute(KEFOBDDBuilder::activeParentsCountAttribute, count);
}
KEFOVariable* ReferredVariable(const KEFOTerm* term) {
    KEFOPort* port = term->GetReferredPort();
    return port != nullptr && KEFOType::IsVariableType(port->GetType()) ? static_cast<KEFOVariable*>(port) : nullptr;
}
}  // namespace

KEFOBDDBuilder::KEFOBDDBuilder(KEFOInterpreter* interpreter) : _interpreter(interpreter) {
    _frames = new std::vector<Frame>();
    try {
        _evaluator = new KEFOExpressionEvaluator();
    } catch (...) {
        delete _frames;
        throw;
    }
}

KEFOBDDBuilder::~KEFOBDDBuilder() {
    delete _evaluator;
    delete _frames;
}

void KEFOBDDBuilder::Reset() {
    _keepIntermediateHandles = true;
    _bddManager = nullptr;
    _orderingManager = nullptr;
    _topVariable = nullptr;
}

void KEFOBDDBuilder::_TakeManagers() {
    if (_interpreter != nullptr) {
        _bddManager = _interpreter->GetBDDManager();
        _orderingManager = _interpreter->GetOrderingManager();
    } else {
        _bddManager = _ownBDDManager;
        _orderingManager = _ownOrderingManager;
    }
    if (_bddManager == nullptr) PLOVException::RaiseInternalError();
}

int KEFOBDDBuilder::GetActiveParentsCount(const KEFOVariable* variable) {
    return variable != nullptr ? ActiveParentsCount(variable) : 0;
}

void KEFOBDDBuilder::UpdateActiveParentsCounts(KEFOVariable* target) {
    if (target == nullptr) return;
    target->ResetAttributeOfDescendants(activeParentsCountAttribute);
    std::vector<KEFOVariable*> walk;
    auto increment = [&walk](KEFOVariable* variable) {
        const int count = ActiveParentsCount(variable) + 1;
        SetActiveParentsCount(variable, count);
        if (count == 1 && !variable->IsStateVariable() && variable->GetDefinition() != nullptr)
            walk.push_back(variable);
    };
    increment(target);
    std::vector<const KEFOTerm*> terms;
    while (!walk.empty()) {
        KEFOVariable* variable = walk.back();
        walk.pop_back();
        terms.assign(1, variable->GetDefinition());
        while (!terms.empty()) {
            const KEFOTerm* term = terms.back();
            terms.pop_back();
            const KEFOGate* gate = KEFOGate::AsGate(const_cast<KEFOTerm*>(term));
            if (gate != nullptr && gate->IsReference()) {
                KEFOVariable* referred = ReferredVariable(gate);
                if (referred != nullptr) increment(referred);
                continue;
            }
            for (KEFOTerm* c = term->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) terms.push_back(c);
        }
    }
}

void KEFOBDDBuilder::_RemoveStaleHandles(KEFOVariable* target, const char* name) {
    target->DeleteHandle(std::string_view(name));
    std::vector<KEFOPort*> cone;
    target->CollectDescendants(KEFOType::CompareAsVariable, nullptr, cone);
    for (KEFOPort* port : cone) {
        KEFOVariable* variable = static_cast<KEFOVariable*>(port);
        if (variable->GetNumberOfHandles() != 0) variable->DeleteHandle(std::string_view(name));
    }
}

KEFOBDDNode* KEFOBDDBuilder::_BuildLiteral(KEFOVariable* variable, bool weighted, double budget) {
    int index = variable->GetBDDIndex();
    if (index <= 0 || _bddManager->GetModelVariable(index) != variable) {
        if (_orderingManager != nullptr)
            _orderingManager->AllocateVariableIndex(variable, KEFOOrderingManager::BDDOrdering);
        index = variable->GetBDDIndex();
        if (index <= 0 || _bddManager->GetModelVariable(index) != variable) PLOVException::RaiseInternalError();
    }
    return weighted ? _bddManager->BuildWeightedPositiveLiteral(index, budget) : _bddManager->BuildPositiveLiteral(index);
}

// --- the compilation ----------------------------------------------------------

KEFOBDDNode* KEFOBDDBuilder::_BuildDiagramOfVariable(KEFOVariable* target, const char* name, bool weighted,
                                                     double budget) {
    KEFOBDDManager* m = _bddManager;
    KEFOBDDNode* const zero = m->NewLeafZero();
    KEFOBDDNode* const one = m->NewLeafOne();
    std::vector<Frame>& frames = *_frames;
    frames.clear();
    _rows.clear();
    _inProgress.clear();
    const bool keep = _keepIntermediateHandles;
    const std::string handleName = name;

    // The end of a variable: its count goes down, and the diagram is parked
    // on it when someone will ask again (or for the top, or when kept).
    auto finishVariable = [&](KEFOVariable* v, KEFOBDDNode* root) {
        const int count = ActiveParentsCount(v);
        SetActiveParentsCount(v, count - 1);
        if (v == _topVariable || count >= 2 || keep)
            KEFOHandle::AttachNewBDD(v, handleName.c_str(), new KEFOBDDHandle(m, m->CopyNode(root)));
    };

    // Enters a term (or, with no term, the variable): answers true with
    // the diagram when it is known at once (a constant, a parked or
    // literal diagram), false when frames were pushed. References are
    // followed in the loop, so that chains of definitions that are mere
    // references use no machine stack. Variable frames pushed on the way
    // whose definition resolves at once are closed by the caller's loop.
    auto enter = [&](KEFOVariable* v, KEFOTerm* term, KEFOBDDNode*& out) -> bool {
        for (;;) {
            if (term != nullptr) {
                KEFOGate* gate = KEFOGate::AsGate(term);
                if (gate == nullptr) {
                    out = zero;
                    return true;
                }
                const int type = gate->GetType();
                switch (type) {
                case KEFOGate::Reference:
                    v = ReferredVariable(gate);
                    term = nullptr;
                    continue;
                case KEFOGate::Constant: out = gate->GetAttributeAsBool("__VALUE__", false) ? one : zero; return true;
                case KEFOGate::And:
                case KEFOGate::Or:
                case KEFOGate::Nand:
                case KEFOGate::Nor:
                case KEFOGate::AtLeast:
                case KEFOGate::AtMost:
                case KEFOGate::Cardinality:
                case KEFOGate::Not: break;
                default: out = nullptr; return true;  // no node for an unknown connective
                }
                Frame f{nullptr, gate, gate->GetFirstChild(), nullptr, type, static_cast<int>(_rows.size()), 0, 0, 0, false};
                const int n = gate->GetNumberOfChildren();
                if (type == KEFOGate::And || type == KEFOGate::Nand) f.acc = one;
                if (type == KEFOGate::Or || type == KEFOGate::Nor) f.acc = zero;
                if (type == KEFOGate::AtLeast) {
                    // T[j]: at least j of the children seen so far are true
                    // (k beyond n + 1 changes nothing: the result is Zero).
                    int k = std::min(gate->GetMin(), n + 1);
                    if (k < 0) k = 0;
                    f.rowSize = k + 1;
                    _rows.push_back(one);
                    for (int j = 1; j <= k; ++j) _rows.push_back(zero);
                } else if (type == KEFOGate::AtMost || type == KEFOGate::Cardinality) {
                    // E[j]: exactly j of the children seen so far are true.
                    int high = gate->GetMax();
                    int low = type == KEFOGate::AtMost ? 0 : gate->GetMin();
                    if (low < 0) low = 0;
                    if (high >= 0 && low <= high && low <= n) {
                        high = std::min(high, n);
                        f.rowSize = high + 1;
                        f.low = low;
                        _rows.push_back(one);
                        for (int j = 1; j <= high; ++j) _rows.push_back(zero);
                    }
                }
                frames.push_back(f);
                return false;
            }
            if (v == nullptr) {
                out = zero;
                return true;
            }
            if (KEFOHandle* handle = v->LookForHandle(std::string_view(handleName))) {
                if (handle->IsBDDHandle()) {
                    KEFOBDDNode* root = handle->GetBDDHandle()->GetRootNode();
                    const int count = ActiveParentsCount(v);
                    SetActiveParentsCount(v, count - 1);
                    m->CopyNode(root);
                    if (!(v == _topVariable || count > 1 || keep)) v->DeleteHandle(handle);
                    out = root;
                    return true;
                }
                v->DeleteHandle(handle);
            }
            if (_inProgress.count(v) != 0) PLOVException::RaiseInternalError();  // a cycle of definitions
            if (v->IsStateVariable()) {
                out = _BuildLiteral(v, weighted, budget);
                finishVariable(v, out);
                return true;
            }
            KEFOGate* definition = v->GetDefinitionAsGate();
            if (definition == nullptr) {
                out = zero;
                finishVariable(v, out);
                return true;
            }
            frames.push_back(Frame{v, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, false});
            _inProgress.insert(v);
            term = definition;
        }
    };

    // The unweighted and, or, nand and nor keep their children's diagrams
    // and combine them when the last one is known (foldChildren).
    auto foldsAtTheEnd = [weighted](const Frame& f) {
        return !weighted && (f.type == KEFOGate::And || f.type == KEFOGate::Or || f.type == KEFOGate::Nand ||
                             f.type == KEFOGate::Nor);
    };

    // The unweighted counting connectives keep their children's diagrams
    // after their row and run the row over them when the last one is known
    // (countChildren).
    auto countsAtTheEnd = [weighted](const Frame& f) {
        return !weighted && (f.type == KEFOGate::AtLeast || f.type == KEFOGate::AtMost ||
                             f.type == KEFOGate::Cardinality);
    };

    // Combines the diagram of a child into its gate (the child's reference
    // is consumed).
    auto combine = [&](Frame& f, KEFOBDDNode* c) {
        if (c == nullptr) c = zero;
        KEFOBDDNode** row = _rows.data() + f.rowStart;
        if (foldsAtTheEnd(f)) {
            _rows.push_back(c);  // the reference goes with it
            ++f.rowSize;
            ++f.seen;
            return;
        }
        if (countsAtTheEnd(f) && f.rowSize > 0 && !f.counting) {
            _rows.push_back(c);  // after the row; the reference goes with it
            ++f.seen;
            return;
        }
        switch (f.type) {
        case KEFOGate::And:
        case KEFOGate::Nand: {
            KEFOBDDNode* r = weighted ? m->BuildWeightedAnd(c, f.acc, budget) : m->BuildAnd(c, f.acc);
            m->FreeNode(f.acc);
            f.acc = r;
            break;
        }
        case KEFOGate::Or:
        case KEFOGate::Nor: {
            KEFOBDDNode* r = m->BuildOr(c, f.acc);
            m->FreeNode(f.acc);
            f.acc = r;
            break;
        }
        case KEFOGate::Not:
            if (f.seen == 0) {
                f.acc = c;
                ++f.seen;
                return;
            }
            break;
        case KEFOGate::AtLeast: {
            const int k = f.rowSize - 1;
            for (int j = std::min(k, f.seen + 1); j >= 1; --j) {
                if (m->IsLeafZero(row[j - 1])) continue;
                KEFOBDDNode* a = weighted ? m->BuildWeightedAnd(c, row[j - 1], budget) : m->BuildAnd(c, row[j - 1]);
                KEFOBDDNode* o = m->BuildOr(a, row[j]);
                m->FreeNode(a);
                m->FreeNode(row[j]);
                row[j] = o;
            }
            break;
        }
        case KEFOGate::AtMost:
        case KEFOGate::Cardinality: {
            if (f.rowSize == 0) break;
            const int k = f.rowSize - 1;
            for (int j = std::min(k, f.seen + 1); j >= 1; --j) {
                KEFOBDDNode* e = weighted ? m->BuildWeightedIfThenElse(c, row[j - 1], row[j], budget)
                                          : m->BuildIfThenElse(c, row[j - 1], row[j]);
                m->FreeNode(row[j]);
                row[j] = e;
            }
            KEFOBDDNode* e0 = weighted ? m->BuildWeightedIfThenElse(c, zero, row[0], budget)
                                       : m->BuildIfThenElse(c, zero, row[0]);
            m->FreeNode(row[0]);
            row[0] = e0;
            break;
        }
        default: break;
        }
        ++f.seen;
        m->FreeNode(c);
    };

    // The And (or Or) of the kept diagrams of a gate's children, into
    // f.acc. Of the diagrams at hand, kept in the children's order, the two
    // neighbours whose sizes add up to the least are combined first, and
    // the result takes their place, until one is left.
    //
    // Folding in list order makes every step pay for the whole accumulated
    // diagram: on the wide gates of large models (hundreds of children,
    // often on disjoint variables laid out in increasing order by the
    // ordering heuristics) that rebuilt it at every child, quadratic in the
    // number of children. Combining small neighbours first keeps most
    // operations on small operands, and neighbours in the list are
    // neighbours in the variable order, so their combinations stay small.
    // The result is the same diagram in any order; only the work and the
    // dead nodes left for the garbage collection change (edf9202: 1.85M
    // nodes made instead of 742k; das9207: 150k instead of 29k).
    auto foldChildren = [&](Frame& f) {
        const bool isAnd = f.type == KEFOGate::And || f.type == KEFOGate::Nand;
        std::vector<FoldCell>& cells = _foldCells;
        std::vector<FoldPair>& pairs = _foldPairs;
        cells.clear();
        pairs.clear();
        const int n = f.rowSize;
        // The sizes only choose among three cells or more: with two left
        // there is one pair to combine.
        int alive = n;
        for (int j = 0; j < n; ++j) {
            KEFOBDDNode* c = _rows[static_cast<std::size_t>(f.rowStart + j)];
            cells.push_back(FoldCell{c, alive >= 3 ? m->EstimateSizeOfDiagram(c) : 0, j + 1 < n ? j + 1 : -1, j - 1, 0});
        }
        _rows.resize(static_cast<std::size_t>(f.rowStart));
        f.rowSize = 0;
        if (n == 0) return;
        // A min-heap on the sums; among equal sums the leftmost pair.
        auto after = [](const FoldPair& a, const FoldPair& b) {
            return a.size != b.size ? a.size > b.size : a.left > b.left;
        };
        auto pushPair = [&](int left) {
            if (left < 0) return;
            const int right = cells[static_cast<std::size_t>(left)].next;
            if (right < 0) return;
            const FoldCell& l = cells[static_cast<std::size_t>(left)];
            const FoldCell& r = cells[static_cast<std::size_t>(right)];
            pairs.push_back(FoldPair{static_cast<long long>(l.size) + r.size, left, l.version, r.version});
            std::push_heap(pairs.begin(), pairs.end(), after);
        };
        for (int j = 0; j + 1 < n; ++j) pushPair(j);
        try {
            while (!pairs.empty()) {
                std::pop_heap(pairs.begin(), pairs.end(), after);
                const FoldPair pair = pairs.back();
                pairs.pop_back();
                FoldCell& left = cells[static_cast<std::size_t>(pair.left)];
                if (left.version != pair.leftVersion || left.next < 0) continue;  // stale
                FoldCell& right = cells[static_cast<std::size_t>(left.next)];
                if (right.version != pair.rightVersion) continue;
                KEFOBDDNode* r = isAnd ? m->BuildAnd(left.node, right.node) : m->BuildOr(left.node, right.node);
                m->FreeNode(left.node);
                m->FreeNode(right.node);
                left.node = r;
                right.node = nullptr;
                --alive;
                left.size = alive >= 3 ? m->EstimateSizeOfDiagram(r) : 0;
                ++left.version;
                ++right.version;
                left.next = right.next;
                if (right.next >= 0) cells[static_cast<std::size_t>(right.next)].previous = pair.left;
                pushPair(left.previous);
                pushPair(pair.left);
            }
        } catch (...) {
            for (FoldCell& cell : cells) m->FreeNode(cell.node);
            cells.clear();
            pairs.clear();
            throw;
        }
        m->FreeNode(f.acc);
        f.acc = cells[0].node;
        cells.clear();
    };

    // Runs the row of a counting connective over the children's diagrams
    // kept after it, the child of the deepest root first, the children of
    // equal roots from the last to the first.
    //
    // In list order, which the ordering heuristics make the variable order,
    // each child lies below the whole row so far, and every cell was rebuilt
    // at every child: atleast 50 of 1000 basic events made about 50 million
    // nodes for a result of 48 thousand. A child above the row only adds a
    // node on top of each cell. The result is the same diagram in any
    // order, the connective being symmetric in its children.
    auto countChildren = [&](Frame& f) {
        const std::size_t first = static_cast<std::size_t>(f.rowStart + f.rowSize);
        const auto begin = _rows.begin() + static_cast<std::ptrdiff_t>(first);
        std::reverse(begin, _rows.end());
        std::stable_sort(begin, _rows.end(), [m](KEFOBDDNode* a, KEFOBDDNode* b) {
            return m->GetIndex(a) > m->GetIndex(b);
        });
        const int n = f.seen;
        f.seen = 0;
        f.counting = true;
        for (int i = 0; i < n; ++i) combine(f, _rows[first + static_cast<std::size_t>(i)]);
        _rows.resize(first);
    };

    // The diagram of a gate whose children are all combined.
    auto finishGate = [&](Frame& f) -> KEFOBDDNode* {
        if (foldsAtTheEnd(f)) foldChildren(f);
        if (countsAtTheEnd(f) && f.rowSize > 0) countChildren(f);
        KEFOBDDNode** row = _rows.data() + f.rowStart;
        KEFOBDDNode* r = nullptr;
        switch (f.type) {
        case KEFOGate::And:
        case KEFOGate::Or: r = f.acc; break;
        case KEFOGate::Nand:
        case KEFOGate::Nor:
        case KEFOGate::Not:
            if (f.acc == nullptr) {
                r = one;  // a negation without child: true, as its evaluation
            } else {
                r = weighted ? m->BuildWeightedNot(f.acc, budget) : m->BuildNot(f.acc);
                m->FreeNode(f.acc);
            }
            break;
        case KEFOGate::AtLeast: {
            const int k = f.rowSize - 1;
            r = row[k];
            for (int j = 0; j < k; ++j) m->FreeNode(row[j]);
            break;
        }
        case KEFOGate::AtMost:
        case KEFOGate::Cardinality: {
            if (f.rowSize == 0) {
                r = zero;
                break;
            }
            r = zero;
            for (int j = 0; j < f.rowSize; ++j) {
                if (j >= f.low) {
                    KEFOBDDNode* o = m->BuildOr(r, row[j]);
                    m->FreeNode(r);
                    r = o;
                }
                m->FreeNode(row[j]);
            }
            break;
        }
        default: break;
        }
        f.acc = nullptr;
        _rows.resize(static_cast<std::size_t>(f.rowStart));
        return r;
    };

    KEFOBDDNode* returned = nullptr;
    bool hasReturned = enter(target, nullptr, returned);
    for (;;) {
        if (frames.empty()) return returned;
        Frame* f = &frames.back();
        if (hasReturned) {
            if (f->gate == nullptr) {
                KEFOVariable* v = f->variable;
                frames.pop_back();
                _inProgress.erase(v);
                finishVariable(v, returned);
                continue;
            }
            hasReturned = false;
            combine(*f, returned);
            returned = nullptr;
        }
        if (f->next != nullptr) {
            KEFOTerm* child = f->next;
            f->next = child->GetNextSibling();
            KEFOBDDNode* node = nullptr;
            hasReturned = enter(nullptr, child, node);
            if (hasReturned) returned = node;
            continue;
        }
        returned = finishGate(*f);
        frames.pop_back();
        hasReturned = true;
    }
}

// --- builds -------------------------------------------------------------------

void KEFOBDDBuilder::BuildBDD(KEFOModel* /*model*/, KEFOVariable* target, const char* name) {
    if (target == nullptr || name == nullptr) return;
    _TakeManagers();
    _topVariable = target;
    _RemoveStaleHandles(target, name);
    UpdateActiveParentsCounts(target);
    KEFOBDDNode* root = _BuildDiagramOfVariable(target, name, false, 0.0);
    _bddManager->FreeNode(root);
    _topVariable = nullptr;
}

void KEFOBDDBuilder::BuildWeightedBDD(KEFOModel* /*model*/, KEFOVariable* target, KEFOCutoff* cutoff,
                                      const char* name) {
    if (target == nullptr || name == nullptr || cutoff == nullptr) return;
    _TakeManagers();
    _topVariable = target;
    _RemoveStaleHandles(target, name);
    UpdateActiveParentsCounts(target);
    // Indices first, so that the probabilities reach the entries.
    if (_orderingManager != nullptr) {
        std::vector<KEFOPort*> cone;
        target->CollectDescendants(KEFOType::CompareAsStateVariable, nullptr, cone);
        if (target->IsStateVariable()) cone.push_back(target);
        for (KEFOPort* port : cone) {
            KEFOVariable* v = static_cast<KEFOVariable*>(port);
            if (v->IsStateVariable() && (v->GetBDDIndex() <= 0 || _bddManager->GetModelVariable(v->GetBDDIndex()) != v))
                _orderingManager->AllocateVariableIndex(v, KEFOOrderingManager::BDDOrdering);
        }
    }
    const double budget = _PrepareWeights(target, cutoff, nullptr);
    KEFOBDDNode* root = _BuildDiagramOfVariable(target, name, true, budget);
    _bddManager->FreeNode(root);
    _topVariable = nullptr;
}

void KEFOBDDBuilder::BuildZBDDFromBDD(KEFOModel* /*model*/, KEFOVariable* variable, KEFOHandle* source,
                                      const char* name) {
    if (variable == nullptr || source == nullptr || name == nullptr || source->GetBDDHandle() == nullptr) return;
    _TakeManagers();
    KEFOBDDHandle* diagram = source->GetBDDHandle();
    KEFOBDDManager* m = diagram->GetManager() != nullptr ? diagram->GetManager() : _bddManager;
    KEFOBDDNode* root = diagram->GetRootNode();
    KEFOBDDNode* result = root != nullptr ? m->BuildMinimalCutsets(root) : nullptr;
    KEFOHandle::AttachNewZBDD(variable, name, new KEFOBDDHandle(m, result));
}

void KEFOBDDBuilder::BuildBDDFromZBDD(KEFOModel* /*model*/, KEFOVariable* variable, KEFOHandle* source,
                                      const char* name) {
    if (variable == nullptr || source == nullptr || name == nullptr || source->GetBDDHandle() == nullptr) return;
    _TakeManagers();
    KEFOBDDHandle* diagram = source->GetBDDHandle();
    KEFOBDDManager* m = diagram->GetManager() != nullptr ? diagram->GetManager() : _bddManager;
    KEFOBDDNode* root = diagram->GetRootNode();
    KEFOBDDNode* result = root != nullptr ? m->BuildBDDFromZBDD(root) : nullptr;
    KEFOHandle::AttachNewBDD(variable, name, new KEFOBDDHandle(m, result));
}

void KEFOBDDBuilder::BuildWeightedZBDDFromBDD(KEFOModel* /*model*/, KEFOVariable* variable, KEFOHandle* source,
                                              KEFOCutoff* cutoff, const char* name) {
    if (variable == nullptr || source == nullptr || name == nullptr || cutoff == nullptr ||
        source->GetBDDHandle() == nullptr)
        return;
    _TakeManagers();
    KEFOBDDHandle* diagram = source->GetBDDHandle();
    KEFOBDDManager* m = diagram->GetManager() != nullptr ? diagram->GetManager() : _bddManager;
    const double budget = _PrepareWeights(variable, cutoff, source);
    KEFOBDDNode* root = diagram->GetRootNode();
    KEFOBDDNode* result = root != nullptr ? m->BuildWeightedMinimalCutsets(root, budget) : nullptr;
    KEFOHandle::AttachNewZBDD(variable, name, new KEFOBDDHandle(m, result));
}

// --- weights ----------------------------------------------------------------------

void KEFOBDDBuilder::_LoadProbabilitiesOfStateVariables(KEFOVariable* variable, double t) {
    std::vector<KEFOPort*> ports;
    variable->CollectDescendants(KEFOType::CompareAsStateVariable, nullptr, ports);
    if (variable->IsStateVariable()) ports.push_back(variable);
    variable->ResetProbabilisticIndicators();
    for (KEFOPort* port : ports) {
        KEFOVariable* v = static_cast<KEFOVariable*>(port);
        if (!v->IsStateVariable()) continue;
        KEFOStochasticExpression* distribution = v->GetProbabilityDistribution();
        const double p = distribution != nullptr ? _evaluator->EvaluateAsProbability(distribution, t) : 1.0;
        v->ResetProbabilisticIndicators();
        v->SetProbability(p);
        const int index = v->GetBDDIndex();
        if (index > 0 && _bddManager->GetModelVariable(index) == v) _bddManager->SetProbability(index, p);
    }
}

double KEFOBDDBuilder::_PrepareWeights(KEFOVariable* target, KEFOCutoff* cutoff, KEFOHandle* source) {
    const bool contribution = source != nullptr && cutoff->GetMinimumContribution() > 0.0;
    if (cutoff->GetMinimumProbability() > 0.0 || contribution) {
        _LoadProbabilitiesOfStateVariables(target, cutoff->GetMissionTime());
        if (contribution) {
            double p = target->GetProbability();
            if (!(p >= 0.0 && p <= 1.0)) {
                p = source->ComputeProbabilityOfTargetVariable();
                target->SetProbability(p);
            }
            const double threshold = cutoff->GetMinimumContribution() * p;
            if (threshold > cutoff->GetMinimumProbability()) cutoff->SetMinimumProbability(threshold);
        }
        double s = cutoff->GetWeightScaleFactor();
        if (!(s > 1.0)) s = KEFOCutoff::defaultWeightScaleFactor;
        _bddManager->ComputeWeightsFromProbabilities(s);
        const double pmin = cutoff->GetMinimumProbability();
        return pmin > 0.0 ? -std::log(pmin) / std::log(s) : HUGE_VAL;
    }
    _bddManager->SetWeights(1.0);
    return static_cast<double>(cutoff->GetMaximumOrder());
}
