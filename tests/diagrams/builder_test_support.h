// Companions of the builder tests: a reader of the Open-PSA benchmark
// models that builds the flat model directly with the model API (gates and
// basic events of one fault tree, constant probabilities), the reference
// figures of tests/data/models/REFERENCE.md, and direct readings of the
// diagrams built.
#ifndef KEFO_TESTS_DIAGRAMS_BUILDER_TEST_SUPPORT_H
#define KEFO_TESTS_DIAGRAMS_BUILDER_TEST_SUPPORT_H

#include "diagrams/bdd_manager.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "support/xml_attribute.h"
#include "support/xml_document.h"
#include "support/xml_node.h"
#include "support/xml_parser.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace buildertest {

inline std::string ModelPath(const std::string& name) {
    return std::string(KEFO_TEST_DATA_DIR) + "/models/" + name + ".xml";
}

// A flat model read from an Open-PSA file: the model and its top gate (the
// first gate defined).
struct LoadedModel {
    std::unique_ptr<KEFOModel> model;
    KEFOVariable* top = nullptr;
};

class OpenPSAReader {
public:
    explicit OpenPSAReader(KEFOModel* model) : _model(model) {}

    KEFOVariable* Variable(const std::string& name, int type) {
        auto it = _variables.find(name);
        if (it != _variables.end()) return it->second;
        KEFOVariable* v = _model->NewVariable(type, name.c_str());
        _variables.emplace(name, v);
        return v;
    }

    // The formula of an element (a connective or a reference).
    KEFOGate* Formula(const PLOVXMLNode* node) {
        const char* name = node->GetName();
        if (std::strcmp(name, "gate") == 0)
            return _model->NewVariableReference(Variable(node->GetAttributeValue("name"), KEFOType::FlowVariable));
        if (std::strcmp(name, "basic-event") == 0)
            return _model->NewVariableReference(Variable(node->GetAttributeValue("name"), KEFOType::StateVariable));
        if (std::strcmp(name, "constant") == 0)
            return _model->NewConstant(std::strcmp(node->GetAttributeValue("value"), "true") == 0);
        std::vector<KEFOGate*> children;
        for (const PLOVXMLNode* c = node->GetFirstChild(); c != nullptr; c = c->GetNextSibling())
            if (c->IsElement()) children.push_back(Formula(c));
        if (std::strcmp(name, "and") == 0) return _model->NewAnd(children);
        if (std::strcmp(name, "or") == 0) return _model->NewOr(children);
        if (std::strcmp(name, "not") == 0) return _model->NewNot(children.at(0));
        if (std::strcmp(name, "xor") == 0) return _model->NewCardinality(1, 1, children);
        if (std::strcmp(name, "atleast") == 0) return _model->NewAtLeast(std::atoi(node->GetAttributeValue("min")), children);
        throw std::runtime_error(std::string("unexpected element ") + name);
    }

    void Read(const PLOVXMLNode* root, LoadedModel& out) {
        for (const PLOVXMLNode* section = root->GetFirstChild(); section != nullptr; section = section->GetNextSibling()) {
            if (!section->IsElement()) continue;
            for (const PLOVXMLNode* d = section->GetFirstChild(); d != nullptr; d = d->GetNextSibling()) {
                if (!d->IsElement()) continue;
                if (std::strcmp(d->GetName(), "define-gate") == 0) {
                    KEFOVariable* gate = Variable(d->GetAttributeValue("name"), KEFOType::FlowVariable);
                    if (out.top == nullptr) out.top = gate;
                    for (const PLOVXMLNode* f = d->GetFirstChild(); f != nullptr; f = f->GetNextSibling())
                        if (f->IsElement()) gate->SetDefinition(Formula(f));
                } else if (std::strcmp(d->GetName(), "define-basic-event") == 0) {
                    KEFOVariable* event = Variable(d->GetAttributeValue("name"), KEFOType::StateVariable);
                    for (const PLOVXMLNode* f = d->GetFirstChild(); f != nullptr; f = f->GetNextSibling()) {
                        double value = 0.0;
                        if (f->IsElement() && std::strcmp(f->GetName(), "float") == 0) {
                            f->LookForAttribute("value")->GetRealValue(value);
                            event->SetProbabilityDistribution(_model->NewRealExpression(value));
                        }
                    }
                }
            }
        }
    }

private:
    KEFOModel* _model;
    std::map<std::string, KEFOVariable*> _variables;
};

inline LoadedModel LoadOpenPSAModel(const std::string& name) {
    LoadedModel out;
    out.model.reset(new KEFOModel());
    std::string path = ModelPath(name);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw std::runtime_error("cannot open " + path);
    PLOVXMLParser parser;
    PLOVXMLDocument document;
    int errors = 0;
    parser.ParseFile(errors, &document, file);
    std::fclose(file);
    if (errors != 0) throw std::runtime_error("cannot read " + path);
    OpenPSAReader reader(out.model.get());
    reader.Read(document.GetRootElement(), out);
    return out;
}

// One row of REFERENCE.md.
struct Reference {
    std::string model;
    double numberOfMinimalCutsets = 0;
    std::vector<long> perOrder;  // counts of orders 1, 2, ...
    double exact = 0;
};

inline std::vector<Reference> ReadReferences() {
    std::ifstream in(std::string(KEFO_TEST_DATA_DIR) + "/models/REFERENCE.md");
    std::vector<Reference> references;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != '|') continue;
        std::vector<std::string> cells;
        std::stringstream ss(line.substr(1));
        std::string cell;
        while (std::getline(ss, cell, '|')) {
            std::size_t a = cell.find_first_not_of(' ');
            std::size_t b = cell.find_last_not_of(' ');
            cells.push_back(a == std::string::npos ? "" : cell.substr(a, b - a + 1));
        }
        if (cells.size() < 4 || cells[0] == "model" || cells[0].empty() || cells[0][0] == '-') continue;
        Reference r;
        r.model = cells[0];
        r.numberOfMinimalCutsets = std::atof(cells[1].c_str());
        std::stringstream orders(cells[2]);
        std::string count;
        while (std::getline(orders, count, ',')) {
            if (count.find_first_of("0123456789") == std::string::npos) continue;
            r.perOrder.push_back(std::atol(count.c_str()));
        }
        r.exact = std::atof(cells[3].c_str());
        references.push_back(r);
    }
    return references;
}

// The value of a BDD under an assignment, by walking it.
inline bool EvaluateBDD(const KEFOBDDManager& manager, const KEFOBDDNode* f, std::uint64_t assignment) {
    while (manager.IsInternalNode(f)) {
        f = ((assignment >> (f->GetIndex() - 1)) & 1u) ? f->GetThenSon() : f->GetElseSon();
    }
    return manager.IsLeafOne(f);
}

// The products of a ZBDD as bit masks of indices (index i: bit i - 1).
inline void CollectProducts(const KEFOBDDManager& manager, const KEFOBDDNode* f, std::uint64_t mask,
                            std::vector<std::uint64_t>& out) {
    if (manager.IsLeafOne(f)) {
        out.push_back(mask);
        return;
    }
    if (!manager.IsInternalNode(f)) return;
    CollectProducts(manager, f->GetThenSon(), mask | (std::uint64_t(1) << (f->GetIndex() - 1)), out);
    CollectProducts(manager, f->GetElseSon(), mask, out);
}

}  // namespace buildertest

#endif
