// Companions of the quantification tests: small models written as sums of
// products, compiled straight into the BDD store (one index per basic event,
// in creation order) and attached as a BDD handle and a ZBDD handle on the
// top variable; and brute-force figures computed from the products alone.
#ifndef KEFO_TESTS_QUANTIFICATION_QUANTIFICATION_TEST_SUPPORT_H
#define KEFO_TESTS_QUANTIFICATION_QUANTIFICATION_TEST_SUPPORT_H

#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/handle.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace quantificationtest {

typedef std::vector<std::vector<int>> Products;  // event numbers from 0

struct SumOfProducts {
    std::unique_ptr<KEFOModel> model;
    std::unique_ptr<KEFOBDDManager> manager;
    std::vector<KEFOVariable*> events;
    KEFOVariable* top = nullptr;
    KEFOHandle* bdd = nullptr;
    KEFOHandle* zbdd = nullptr;

    SumOfProducts() : model(new KEFOModel()), manager(new KEFOBDDManager()) {}
    ~SumOfProducts() {
        // Handles release their roots into the store: they go first.
        if (top != nullptr) top->DeleteHandles(nullptr, nullptr);
    }

    // Basic events e0, e1, ... with the given constant probabilities (a
    // negative one: no distribution).
    void AddEvents(const std::vector<double>& probabilities) {
        for (double p : probabilities) {
            const int number = static_cast<int>(events.size());
            std::string name = "e" + std::to_string(number);
            KEFOVariable* event = model->NewVariable(KEFOType::StateVariable, name.c_str());
            if (p >= 0.0) event->SetProbabilityDistribution(model->NewRealExpression(p));
            event->SetBDDIndex(number + 1);
            manager->SetModelVariable(number + 1, event);
            events.push_back(event);
        }
    }

    // The top variable "top" defined as the sum of the products; its BDD
    // goes into the handle "BDD" and its minimal cutsets into "ZBDD". An
    // empty list of products makes the constant false, a list holding the
    // empty product the constant true.
    void Build(const Products& products) {
        top = model->NewVariable(KEFOType::FlowVariable, "top");
        std::vector<KEFOGate*> terms;
        KEFOBDDNode* root = manager->NewLeafZero();
        for (const std::vector<int>& product : products) {
            std::vector<KEFOGate*> factors;
            KEFOBDDNode* term = manager->NewLeafOne();
            for (int e : product) factors.push_back(model->NewVariableReference(events[e]));
            // From the last event to the first: each conjunction puts a
            // node on top of the term (linear in the product's length when
            // the events come in increasing order).
            for (auto it = product.rbegin(); it != product.rend(); ++it) {
                const int e = *it;
                KEFOBDDNode* literal = manager->BuildPositiveLiteral(e + 1);
                KEFOBDDNode* next = manager->BuildAnd(term, literal);
                manager->FreeNode(literal);
                manager->FreeNode(term);
                term = next;
            }
            terms.push_back(factors.empty() ? model->NewConstant(true) : model->NewAnd(factors));
            KEFOBDDNode* next = manager->BuildOr(root, term);
            manager->FreeNode(term);
            manager->FreeNode(root);
            root = next;
        }
        top->SetDefinition(terms.empty() ? model->NewConstant(false) : model->NewOr(terms));
        KEFOBDDNode* cutsets = manager->BuildMinimalCutsets(root);
        bdd = KEFOHandle::AttachNewBDD(top, "BDD", new KEFOBDDHandle(manager.get(), root));
        zbdd = KEFOHandle::AttachNewZBDD(top, "ZBDD", new KEFOBDDHandle(manager.get(), cutsets));
    }

    void LoadProbabilities() {
        for (KEFOVariable* event : events) {
            KEFOStochasticExpression* d = event->GetProbabilityDistribution();
            event->SetProbability(d != nullptr ? d->GetValueAsDouble() : 1.0);
        }
        bdd->LoadProbabilitiesOfStateVariables();
    }
};

// The probability that some product holds, by enumeration of all states.
inline double ExactByEnumeration(const Products& products, const std::vector<double>& p) {
    const int n = static_cast<int>(p.size());
    double sum = 0.0;
    for (unsigned state = 0; state < (1u << n); ++state) {
        bool holds = false;
        for (const std::vector<int>& product : products) {
            bool all = true;
            for (int e : product) all = all && ((state >> e) & 1u) != 0;
            if (all) {
                holds = true;
                break;
            }
        }
        if (!holds) continue;
        double w = 1.0;
        for (int e = 0; e < n; ++e) w *= ((state >> e) & 1u) != 0 ? p[e] : 1.0 - p[e];
        sum += w;
    }
    return sum;
}

// The minimal products (as bit masks) of a sum of products.
inline std::vector<unsigned> MinimalProducts(const Products& products) {
    std::vector<unsigned> masks;
    for (const std::vector<int>& product : products) {
        unsigned m = 0;
        for (int e : product) m |= 1u << e;
        masks.push_back(m);
    }
    std::vector<unsigned> minimal;
    for (std::size_t i = 0; i < masks.size(); ++i) {
        bool keep = true;
        for (std::size_t j = 0; j < masks.size() && keep; ++j) {
            if (i == j) continue;
            const bool contained = (masks[j] & masks[i]) == masks[j];
            if (contained && (masks[j] != masks[i] || j < i)) keep = false;
        }
        if (keep) minimal.push_back(masks[i]);
    }
    return minimal;
}

inline double ProductProbability(unsigned mask, const std::vector<double>& p) {
    double w = 1.0;
    for (std::size_t e = 0; e < p.size(); ++e)
        if ((mask >> e) & 1u) w *= p[e];
    return w;
}

}  // namespace quantificationtest

#endif
