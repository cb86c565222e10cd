// Helpers of the preprocessing tests: a messenger with the code table, an
// evaluator of formulas written independently of the engine, random small
// models and a brute-force module test.
#ifndef KEFO_TESTS_PREPROCESSING_TEST_SUPPORT_H
#define KEFO_TESTS_PREPROCESSING_TEST_SUPPORT_H

#include "model/gate.h"
#include "model/model.h"
#include "model/path.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "script/messenger.h"
#include "support/messenger.h"
#include "support/stream.h"

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kefo_test {

struct Messages {
    PLOVMessenger store;
    KEFOMessenger messenger;
    Messages() {
        messenger.Initialize(&store);
        messenger.SetErrorStream(new PLOVStringStream);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const PLOVMessage* m : store.GetMessages()) texts.push_back(m->GetText());
        return texts;
    }
    std::vector<unsigned> Codes() const {
        std::vector<unsigned> codes;
        for (const PLOVMessage* m : store.GetMessages()) codes.push_back(m->GetCode());
        return codes;
    }
};

// Evaluates a variable under an assignment of the variables without
// definition (by name), straight from the meaning of the connectives.
class Evaluator {
public:
    explicit Evaluator(const std::map<std::string, bool>& inputs) : _inputs(inputs) {}

    bool Value(const KEFOVariable* variable) {
        auto found = _memo.find(variable);
        if (found != _memo.end()) return found->second;
        const KEFOGate* definition = variable->IsStateVariable() ? nullptr : variable->GetDefinitionAsGate();
        auto input = _inputs.find(variable->GetPathAsString());
        const bool value = definition != nullptr ? Value(definition) : input != _inputs.end() && input->second;
        return _memo[variable] = value;
    }

    bool Value(const KEFOGate* gate) {
        int trues = 0, n = 0;
        if (gate->GetType() != KEFOGate::Reference && gate->GetType() != KEFOGate::Constant) {
            for (const KEFOTerm* c = gate->GetFirstChild(); c != nullptr; c = c->GetNextSibling(), ++n)
                trues += Value(static_cast<const KEFOGate*>(c)) ? 1 : 0;
        }
        switch (gate->GetType()) {
        case KEFOGate::Reference: return Value(gate->GetReferredVariable());
        case KEFOGate::Constant: return gate->GetAttributeAsBool("__VALUE__", false);
        case KEFOGate::And: return trues == n;
        case KEFOGate::Or: return trues > 0;
        case KEFOGate::Nand: return trues < n;
        case KEFOGate::Nor:
        case KEFOGate::Not: return trues == 0;
        case KEFOGate::AtLeast: return trues >= gate->GetAttributeAsInt("__min__", 0);
        case KEFOGate::AtMost: return trues <= gate->GetAttributeAsInt("__max__", 0);
        case KEFOGate::Cardinality:
            return trues >= gate->GetAttributeAsInt("__min__", 0) && trues <= gate->GetAttributeAsInt("__max__", 0);
        default: return false;
        }
    }

private:
    const std::map<std::string, bool>& _inputs;
    std::unordered_map<const KEFOVariable*, bool> _memo;
};

inline std::vector<bool> TruthTable(const KEFOVariable* top, const std::vector<std::string>& events) {
    std::vector<bool> table;
    std::size_t n = events.size();
    for (std::uint32_t bits = 0; bits < (1u << n); ++bits) {
        std::map<std::string, bool> inputs;
        for (std::size_t i = 0; i < n; ++i) inputs[events[i]] = ((bits >> i) & 1u) != 0;
        table.push_back(Evaluator(inputs).Value(top));
    }
    return table;
}

// The variables reached from `from` through definitions; `blocked` is not
// entered (nor listed).
inline std::set<const KEFOVariable*> Reachable(const KEFOVariable* from, const KEFOVariable* blocked) {
    std::set<const KEFOVariable*> seen;
    std::vector<const KEFOVariable*> stack{from};
    while (!stack.empty()) {
        const KEFOVariable* v = stack.back();
        stack.pop_back();
        const KEFOGate* definition = v->IsStateVariable() ? nullptr : v->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        std::vector<const KEFOGate*> gates{definition};
        while (!gates.empty()) {
            const KEFOGate* g = gates.back();
            gates.pop_back();
            if (g->IsReference()) {
                const KEFOVariable* child = g->GetReferredVariable();
                if (child != nullptr && child != blocked && seen.insert(child).second) stack.push_back(child);
                continue;
            }
            for (const KEFOTerm* c = g->GetFirstChild(); c != nullptr; c = c->GetNextSibling())
                gates.push_back(static_cast<const KEFOGate*>(c));
        }
    }
    return seen;
}

// A gate variable whose descendants are reached from the top only through it.
inline bool IsModuleByBruteForce(const KEFOVariable* top, const KEFOVariable* v) {
    if (v->IsStateVariable() || v->GetDefinitionAsGate() == nullptr) return false;
    std::set<const KEFOVariable*> below = Reachable(v, nullptr);
    std::set<const KEFOVariable*> outside = Reachable(top, v);
    if (v == top) outside.clear();
    for (const KEFOVariable* w : below)
        if (outside.count(w) != 0) return false;
    return true;
}

// A random model: events e1..eN with distributions, house events h1, h2
// (true and false), gates g1..gM where gi refers to later gates and events
// through random connectives, nested up to two levels. g1 is the top.
struct RandomModel {
    KEFOModel* model = nullptr;
    KEFOVariable* top = nullptr;
    std::vector<std::string> events;
    std::vector<KEFOVariable*> gates;
    ~RandomModel() { delete model; }
};

inline KEFOVariable* NewVariable(KEFOModel* model, int type, const char* name) {
    return model->NewVariable(type, new KEFOPath(name, true));
}

inline void Build(RandomModel& r, std::mt19937& rng, int numberOfEvents, int numberOfGates) {
    r.model = new KEFOModel();
    r.model->SetPure(true);
    KEFOModel* m = r.model;
    std::vector<KEFOVariable*> events;
    for (int i = 1; i <= numberOfEvents; ++i) {
        std::string name = "e" + std::to_string(i);
        KEFOVariable* e = NewVariable(m, KEFOType::StateVariable, name.c_str());
        e->SetProbabilityDistribution(KEFOStochasticExpression::NewReal(m, 0.01 * i));
        events.push_back(e);
        r.events.push_back(name);
    }
    std::vector<KEFOVariable*> houses;
    for (int i = 1; i <= 2; ++i) {
        houses.push_back(NewVariable(m, KEFOType::SourceVariable, ("h" + std::to_string(i)).c_str()));
        houses.back()->SetDefinition(KEFOGate::NewConstant(m, i == 1));
    }
    for (int i = 1; i <= numberOfGates; ++i)
        r.gates.push_back(NewVariable(m, KEFOType::FlowVariable, ("g" + std::to_string(i)).c_str()));
    std::uniform_int_distribution<int> percent(0, 99);
    // A literal: a later gate, an event, a house event or a constant.
    auto leaf = [&](int gate) -> KEFOGate* {
        int p = percent(rng);
        if (p < 30 && gate + 1 < numberOfGates) {
            std::uniform_int_distribution<int> pick(gate + 1, numberOfGates - 1);
            return KEFOGate::NewVariableReference(m, r.gates[static_cast<std::size_t>(pick(rng))]);
        }
        if (p < 90) {
            std::uniform_int_distribution<int> pick(0, numberOfEvents - 1);
            return KEFOGate::NewVariableReference(m, events[static_cast<std::size_t>(pick(rng))]);
        }
        if (p < 96) return KEFOGate::NewVariableReference(m, houses[static_cast<std::size_t>(p % 2)]);
        return KEFOGate::NewConstant(m, p % 2 == 0);
    };
    std::function<KEFOGate*(int, int)> formula = [&](int gate, int depth) -> KEFOGate* {
        int n = 1 + percent(rng) % 4;
        std::vector<KEFOGate*> children;
        for (int k = 0; k < n; ++k) {
            children.push_back(depth < 2 && percent(rng) < 20 ? formula(gate, depth + 1) : leaf(gate));
        }
        int kind = percent(rng) % 9;
        switch (kind) {
        case 0: return KEFOGate::NewAnd(m, children);
        case 1: return KEFOGate::NewOr(m, children);
        case 2: return KEFOGate::NewNand(m, children);
        case 3: return KEFOGate::NewNor(m, children);
        case 4: {
            KEFOGate* first = children.front();
            for (std::size_t k = 1; k < children.size(); ++k) delete children[k];
            return KEFOGate::NewNot(m, first);
        }
        case 5: return KEFOGate::NewAtLeast(m, percent(rng) % (n + 2), children);
        case 6: return KEFOGate::NewAtMost(m, percent(rng) % (n + 1), children);
        case 7: {
            int low = percent(rng) % (n + 1);
            int high = low + percent(rng) % (n + 1 - low);
            return KEFOGate::NewCardinality(m, low, high, children);
        }
        default:
            return percent(rng) < 50 ? KEFOGate::NewAnd(m, children) : KEFOGate::NewOr(m, children);
        }
    };
    for (int i = 0; i < numberOfGates; ++i) r.gates[static_cast<std::size_t>(i)]->SetDefinition(formula(i, 0));
    r.top = r.gates.front();
}

}  // namespace kefo_test

#endif
