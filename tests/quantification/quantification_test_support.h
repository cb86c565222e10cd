// Companions of the quantification tests: small models written as sums of
// products, compiled straight into the BDD store (one index per basic event,
// in creation order) and attached as a BDD handle and a ZBDD handle on the
// top variable.
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
    // The events, the sum of products built on them, and the probabilities
    // loaded into the store.
    SumOfProducts(const std::vector<double>& probabilities, const Products& products, bool load = true)
        : SumOfProducts() {
        AddEvents(probabilities);
        Build(products);
        if (load) LoadProbabilities();
    }
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

    // The top variable "top" defined as the sum of the products (none: the
    // constant false; the empty product: true); its BDD goes into the handle
    // "BDD" and its minimal cutsets into "ZBDD".
    void Build(const Products& products) {
        top = model->NewVariable(KEFOType::FlowVariable, "top");
        std::vector<KEFOGate*> terms;
        KEFOBDDNode* root = manager->NewLeafZero();
        for (const std::vector<int>& product : products) {
            std::vector<KEFOGate*> factors;
            KEFOBDDNode* term = manager->NewLeafOne();
            for (int e : product) factors.push_back(model->NewVariableReference(events[e]));
            // From the last event to the first: each conjunction puts a
            // node on top of the term.
            for (auto it = product.rbegin(); it != product.rend(); ++it) {
                KEFOBDDNode* literal = manager->BuildPositiveLiteral(*it + 1);
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

}  // namespace quantificationtest

#endif
