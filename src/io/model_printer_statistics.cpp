// Module, statistics and parent-count reports of the model printer.
#include "io/model_printer.h"

#include "model/gate.h"
#include "model/type.h"
#include "model/variable.h"
#include "preprocessing/analyzer.h"
#include "preprocessing/rewriter_cone.h"
#include "support/stream.h"

#include <algorithm>
#include <vector>

void KEFOModelPrinter::PrintModules(KEFOVariable* top, PLOVStream* stream) {
    if (top == nullptr || stream == nullptr) return;
    const char* tab = _valueSeparator.c_str();
    stream->Printf("module%sparent%sbasic-events%sgates%smodules\n", tab, tab, tab, tab);
    KEFORewriterCone cone(top);
    const std::vector<KEFOVariable*>& variables = cone.GetVariables();
    std::vector<KEFORewriterCone::Dates> dates;
    cone.ComputeVisitDates(dates);
    std::vector<int> begins;
    std::vector<int> children;
    cone.ComputeChildren(begins, children);
    auto isModule = [&](int i) {
        const KEFOVariable* v = variables[static_cast<std::size_t>(i)];
        return !v->IsStateVariable() && v->GetDefinitionAsGate() != nullptr &&
               dates[static_cast<std::size_t>(i)].IsModule();
    };
    int topIndex = cone.GetIndex(top);
    if (topIndex < 0) return;
    // The part of each module is walked from it without entering its
    // sub-modules; every variable below a module that is not inside a
    // sub-module belongs to that module alone, so each variable is counted
    // once overall.
    std::vector<char> seen(variables.size(), 0);
    struct Record {
        int module;
        int parent;
        int basicEvents;
        int gates;
        std::vector<int> subModules;
    };
    std::vector<Record> records;
    std::vector<int> order{topIndex};  // modules still to report, as a stack
    std::vector<int> parents{-1};
    std::vector<int> walk;
    seen[static_cast<std::size_t>(topIndex)] = 1;
    while (!order.empty()) {
        int module = order.back();
        int parent = parents.back();
        order.pop_back();
        parents.pop_back();
        Record record{module, parent, 0, 1, {}};
        walk.assign(1, module);
        while (!walk.empty()) {
            int v = walk.back();
            walk.pop_back();
            for (int k = begins[static_cast<std::size_t>(v)]; k < begins[static_cast<std::size_t>(v) + 1]; ++k) {
                int c = children[static_cast<std::size_t>(k)];
                if (seen[static_cast<std::size_t>(c)] != 0) continue;
                seen[static_cast<std::size_t>(c)] = 1;
                if (isModule(c)) {
                    record.subModules.push_back(c);
                    continue;
                }
                const KEFOVariable* variable = variables[static_cast<std::size_t>(c)];
                if (variable->IsStateVariable() || variable->GetDefinition() == nullptr) {
                    ++record.basicEvents;
                } else {
                    ++record.gates;
                    walk.push_back(c);
                }
            }
        }
        for (auto it = record.subModules.rbegin(); it != record.subModules.rend(); ++it) {
            order.push_back(*it);
            parents.push_back(module);
        }
        records.push_back(std::move(record));
    }
    for (const Record& record : records) {
        stream->PrintString(variables[static_cast<std::size_t>(record.module)]->GetPathAsString());
        stream->PrintString(tab);
        stream->PrintString(record.parent < 0 ? "-" : variables[static_cast<std::size_t>(record.parent)]->GetPathAsString());
        stream->Printf("%s%d%s%d%s%d\n", tab, record.basicEvents, tab, record.gates, tab,
                       static_cast<int>(record.subModules.size()));
    }
}

void KEFOModelPrinter::PrintModelStatistics(KEFOVariable* top, PLOVStream* stream) {
    if (top == nullptr || stream == nullptr) return;
    KEFORewriterCone cone(top);
    const std::vector<KEFOVariable*>& variables = cone.GetVariables();
    long states = 0;
    long flows = 0;
    long sources = 0;
    long defined = 0;
    long references = 0;
    long constants = 0;
    long connectives[KEFOGate::numberOfTypes] = {0};
    std::vector<int> depths(variables.size(), 0);
    std::vector<int> begins;
    std::vector<int> children;
    cone.ComputeChildren(begins, children);
    std::vector<KEFOGate*> nodes;
    for (std::size_t i = 0; i < variables.size(); ++i) {
        const KEFOVariable* variable = variables[i];
        switch (variable->GetType()) {
        case KEFOType::FlowVariable:
            ++flows;
            break;
        case KEFOType::SourceVariable:
            ++sources;
            break;
        default:
            ++states;
            break;
        }
        KEFOGate* definition = variable->IsStateVariable() ? nullptr : variable->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        ++defined;
        nodes.clear();
        KEFORewriterCone::CollectNodesInPostOrder(definition, nodes);
        for (const KEFOGate* node : nodes) {
            int type = node->GetType();
            if (type == KEFOGate::Reference) {
                ++references;
            } else if (type == KEFOGate::Constant) {
                ++constants;
            } else if (type >= 0 && type < KEFOGate::numberOfTypes) {
                ++connectives[type];
            }
        }
        int depth = 1;
        for (int k = begins[i]; k < begins[i + 1]; ++k) {
            depth = std::max(depth, 1 + depths[static_cast<std::size_t>(children[static_cast<std::size_t>(k)])]);
        }
        depths[i] = depth;
    }
    long below = static_cast<long>(variables.size()) - 1;
    long edges = static_cast<long>(children.size());
    int topIndex = cone.GetIndex(top);
    stream->Printf("#states\t%ld\n", states);
    stream->Printf("#flows\t%ld\n", flows);
    stream->Printf("#sources\t%ld\n", sources);
    stream->PrintString("mean #parents\t");
    stream->PrintDouble(below > 0 ? static_cast<double>(edges) / static_cast<double>(below) : 0.0);
    stream->PrintString("\nmean #children\t");
    stream->PrintDouble(defined > 0 ? static_cast<double>(edges) / static_cast<double>(defined) : 0.0);
    stream->Printf("\ndepth\t%d\n", topIndex >= 0 ? depths[static_cast<std::size_t>(topIndex)] : 0);
    stream->Printf("#variable-references\t%ld\n", references);
    stream->Printf("#constants\t%ld\n", constants);
    for (int type = KEFOGate::And; type < KEFOGate::numberOfTypes; ++type) {
        stream->Printf("#%s\t%ld\n", KEFOGate::GetFunctor(type), connectives[type]);
    }
}

void KEFOModelPrinter::PrintNumbersOfParents(KEFOVariable* top, PLOVStream* stream) {
    if (top == nullptr || stream == nullptr) return;
    KEFOAnalyzer analyzer;
    std::vector<KEFOVariable*> sorted;
    analyzer.SortDescendantsByDecreasingNumbersOfParents(top, sorted);
    for (const KEFOVariable* variable : sorted) {
        stream->PrintString(variable->GetPathAsString());
        stream->Printf("\t%d\n", KEFOAnalyzer::GetNumberOfParents(variable));
    }
}
