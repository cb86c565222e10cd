// Random fault trees of the shape of the scale tests, built straight into a
// source model: gates declared top-down (each refers to gates declared after
// it and to the basic events, which come last), two to four children of
// and, or or atleast, about a tenth of the references shared. References are
// written by path, as a reader leaves them.
#ifndef KEFO_TESTS_FAULT_TREE_GENERATOR_H
#define KEFO_TESTS_FAULT_TREE_GENERATOR_H

#include "model/gate.h"
#include "model/model.h"
#include "model/path.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"

#include <cmath>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace kefo_test {

// Fills `model` (not pure) with a tree of about `numberOfEvents` basic
// events; the top gate is "top".
inline void GenerateFaultTree(KEFOModel* model, int numberOfEvents, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    struct Gate {
        std::string name;
        int kind;  // KEFOGate::And, Or or AtLeast
        int k;
        std::vector<std::pair<bool, int>> children;  // (is a gate, number)
    };
    std::vector<Gate> gates(1);
    gates[0].name = "top";
    int events = 0;
    std::deque<int> frontier{0};
    while (!frontier.empty()) {
        int g = frontier.front();
        frontier.pop_front();
        int fanin = 2 + static_cast<int>(random() % 3);
        double r = uniform(random);
        int kind = r < 0.3 ? KEFOGate::And : (r < 0.35 && fanin >= 3 ? KEFOGate::AtLeast : KEFOGate::Or);
        std::vector<std::pair<bool, int>> children;
        for (int c = 0; c < fanin; ++c) {
            bool room = events < numberOfEvents;
            double u = uniform(random);
            int created = static_cast<int>(gates.size());
            // The last child of a gate that would end the tree early is a
            // fresh gate, so that the tree grows to its size.
            bool last = c == fanin - 1 && frontier.empty() && room;
            if (last) {
                gates.emplace_back();
                gates.back().name = "g" + std::to_string(created + 1);
                frontier.push_back(created);
                children.emplace_back(true, created);
            } else if (u < 0.02 && g + 1 < created) {
                children.emplace_back(true, g + 1 + static_cast<int>(random() % static_cast<unsigned>(created - g - 1)));
            } else if (u < 0.10 && events > 0) {
                children.emplace_back(false, 1 + static_cast<int>(random() % static_cast<unsigned>(events)));
            } else if (room && (uniform(random) < 0.55 || created >= numberOfEvents)) {
                children.emplace_back(false, ++events);
            } else if (room) {
                gates.emplace_back();
                gates.back().name = "g" + std::to_string(created + 1);
                frontier.push_back(created);
                children.emplace_back(true, created);
            } else {
                children.emplace_back(false, events > 0 ? 1 + static_cast<int>(random() % static_cast<unsigned>(events))
                                                        : ++events);
            }
        }
        // Distinct children, at least two.
        std::vector<std::pair<bool, int>> distinct;
        for (const auto& c : children) {
            bool seen = false;
            for (const auto& d : distinct) seen = seen || d == c;
            if (!seen) distinct.push_back(c);
        }
        while (distinct.size() < 2) distinct.emplace_back(false, ++events);
        Gate& gate = gates[static_cast<std::size_t>(g)];
        gate.kind = kind;
        gate.k = kind == KEFOGate::AtLeast ? 2 + static_cast<int>(random() % static_cast<unsigned>(fanin - 2)) : 0;
        if (kind == KEFOGate::AtLeast && gate.k >= static_cast<int>(distinct.size())) gate.kind = KEFOGate::Or;
        gate.children = distinct;
    }
    for (const Gate& gate : gates) {
        KEFOVariable* v = model->NewVariable(KEFOType::FlowVariable, gate.name.c_str());
        std::vector<KEFOGate*> children;
        for (const auto& c : gate.children) {
            std::string name = c.first ? gates[static_cast<std::size_t>(c.second)].name : "e" + std::to_string(c.second);
            children.push_back(model->NewVariableReference(c.first ? KEFOType::FlowVariable : KEFOType::StateVariable,
                                                           name.c_str()));
        }
        KEFOGate* definition = gate.kind == KEFOGate::And   ? model->NewAnd(children)
                               : gate.kind == KEFOGate::Or ? model->NewOr(children)
                                                           : model->NewAtLeast(gate.k, children);
        v->SetDefinition(definition);
    }
    const double lo = std::log(1e-5);
    const double hi = std::log(1e-2);
    for (int e = 1; e <= events; ++e) {
        KEFOVariable* v = model->NewVariable(KEFOType::StateVariable, ("e" + std::to_string(e)).c_str());
        v->SetProbabilityDistribution(model->NewRealExpression(std::exp(lo + (hi - lo) * uniform(random))));
    }
}

}  // namespace kefo_test

#endif
