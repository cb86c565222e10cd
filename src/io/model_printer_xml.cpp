// XML output of models: the model is turned into a PLOVXMLDocument, which
// the XML printer writes. Formulas are walked with an explicit stack.
#include "io/model_printer.h"

#include "model/aliasing.h"
#include "model/block.h"
#include "model/ccf_group.h"
#include "model/empirical_distribution.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "support/stream.h"
#include "support/xml_document.h"
#include "support/xml_node.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef KEFOStochasticExpression E;

const char* ReferenceElementName(int type) {
    switch (type) {
    case KEFOType::StateVariable: return "basic-event";
    case KEFOType::FlowVariable: return "gate";
    case KEFOType::SourceVariable: return "house-event";
    default: return "event";
    }
}

const char* CCFModelName(int type) {
    switch (type) {
    case KEFOType::BetaFactorCCFGroup: return "beta-factor";
    case KEFOType::MGLCCFGroup: return "MGL";
    case KEFOType::AlphaFactorCCFGroup: return "alpha-factor";
    default: return "phi-factor";
    }
}

void NewTextAttribute(PLOVXMLDocument* document, PLOVXMLNode* element, const char* name, const std::string& value) {
    document->NewAttribute(element, name, std::char_traits<char>::length(name), value.data(), value.size());
}

}  // namespace

void KEFOModelPrinter::ExportModelAtXMLFormat(int& errors, const KEFOModel* model, const char* fileName) {
    if (errors || model == nullptr) return;
    FILE* file = fileName != nullptr ? std::fopen(fileName, "wb") : nullptr;
    if (file == nullptr) {
        _RaiseUnableToOpen(errors, fileName);
        return;
    }
    PLOVFileStream stream(file, true);
    PrintModelAtXMLFormat(errors, model, &stream);
}

void KEFOModelPrinter::PrintModelAtXMLFormat(int& errors, const KEFOModel* model, PLOVStream* stream) {
    if (errors || model == nullptr || stream == nullptr) return;
    PLOVXMLDocument document;
    UploadModelAtOpenPSAFormat(errors, model, &document);
    PrintDocument(stream, &document);
    stream->Flush();
}

void KEFOModelPrinter::UploadModelAtOpenPSAFormat(int& errors, const KEFOModel* model, PLOVXMLDocument* document) {
    if (errors || model == nullptr || document == nullptr) return;
    document->Clear();
    PLOVXMLNode* root = document->NewElement(nullptr, "open-psa");
    if (model->IsPure()) document->NewBooleanAttribute(root, "pure", true);
    _UploadLabel(document, root, model);
    _UploadDeclarations(document, root, model);
}

void KEFOModelPrinter::_UploadLabel(PLOVXMLDocument* document, PLOVXMLNode* element,
                                    const KEFODeclaration* declaration) {
    const char* label = declaration->GetLabel();
    if (label == nullptr) return;
    PLOVXMLNode* node = document->NewElement(element, "label");
    if (*label != '\0') document->NewText(node, label);
}

void KEFOModelPrinter::_UploadDeclarations(PLOVXMLDocument* document, PLOVXMLNode* parent, const KEFOBlock* block) {
    for (const KEFODeclaration* declaration : block->GetDeclarations())
        _UploadDeclaration(document, parent, declaration);
}

void KEFOModelPrinter::_UploadDeclaration(PLOVXMLDocument* document, PLOVXMLNode* parent,
                                          const KEFODeclaration* declaration) {
    int type = declaration->GetType();
    switch (type) {
    case KEFOType::Model:
    case KEFOType::Block:
    case KEFOType::Class:
    case KEFOType::Instance:
    case KEFOType::ExtendsDirective:
    case KEFOType::ClonesDirective: {
        const KEFOBlock* block = static_cast<const KEFOBlock*>(declaration);
        PLOVXMLNode* element = nullptr;
        switch (type) {
        case KEFOType::Class:
            element = document->NewElement(parent, "class");
            document->NewAttribute(element, "name", block->GetPathAsString());
            break;
        case KEFOType::Instance:
            element = document->NewElement(parent, "instance");
            document->NewAttribute(element, "name", block->GetPathAsString());
            document->NewAttribute(element, "class", block->GetCloningPathAsString());
            break;
        case KEFOType::ExtendsDirective:
            element = document->NewElement(parent, "extends");
            document->NewAttribute(element, "extended", block->GetCloningPathAsString());
            break;
        case KEFOType::ClonesDirective:
            element = document->NewElement(parent, "clones");
            document->NewAttribute(element, "name", block->GetPathAsString());
            document->NewAttribute(element, "block", block->GetCloningPathAsString());
            break;
        default:
            element = document->NewElement(parent, "block");
            document->NewAttribute(element, "name", block->GetPathAsString());
            break;
        }
        _UploadLabel(document, element, block);
        _UploadDeclarations(document, element, block);
        return;
    }
    case KEFOType::EmbedsDirective: {
        const KEFOAliasing* aliasing = static_cast<const KEFOAliasing*>(declaration);
        PLOVXMLNode* element = document->NewElement(parent, "embeds");
        document->NewAttribute(element, "name", aliasing->GetPathAsString());
        document->NewAttribute(element, "embedded", aliasing->GetAliasedPathAsString());
        _UploadLabel(document, element, aliasing);
        return;
    }
    case KEFOType::Parameter: {
        const KEFOParameter* parameter = static_cast<const KEFOParameter*>(declaration);
        PLOVXMLNode* element = document->NewElement(parent, "define-parameter");
        document->NewAttribute(element, "name", parameter->GetPathAsString());
        const char* unit = parameter->GetAttributeAsString("unit", nullptr);
        if (unit != nullptr) document->NewAttribute(element, "unit", unit);
        const char* riskSpectrumType = parameter->GetAttributeAsString("riskspectrum:type", nullptr);
        if (riskSpectrumType != nullptr) document->NewAttribute(element, "riskspectrum:type", riskSpectrumType);
        _UploadLabel(document, element, parameter);
        if (parameter->GetDefinitionAsExpression() != nullptr)
            UploadStochasticExpression(document, element, parameter->GetDefinitionAsExpression());
        return;
    }
    case KEFOType::Variable:
    case KEFOType::StateVariable:
    case KEFOType::FlowVariable:
    case KEFOType::SourceVariable: {
        const KEFOVariable* variable = static_cast<const KEFOVariable*>(declaration);
        bool defined = type == KEFOType::FlowVariable || type == KEFOType::SourceVariable;
        PLOVXMLNode* element = document->NewElement(parent, type == KEFOType::FlowVariable ? "define-gate"
                                                            : type == KEFOType::SourceVariable
                                                                ? "define-house-event"
                                                                : "define-basic-event");
        document->NewAttribute(element, "name", variable->GetPathAsString());
        if (!defined) {
            const char* model = variable->GetAttributeAsString("riskspectrum:model", nullptr);
            if (model != nullptr) document->NewAttribute(element, "riskspectrum:model", model);
        }
        _UploadLabel(document, element, variable);
        if (defined) {
            if (variable->GetDefinitionAsGate() != nullptr) UploadGate(document, element, variable->GetDefinitionAsGate());
        } else if (variable->GetProbabilityDistribution() != nullptr) {
            UploadStochasticExpression(document, element, variable->GetProbabilityDistribution());
        }
        return;
    }
    default:
        break;
    }
    if (!KEFOType::IsCCFGroupType(type)) return;
    const KEFOCCFGroup* group = static_cast<const KEFOCCFGroup*>(declaration);
    PLOVXMLNode* element = document->NewElement(parent, "define-CCF-group");
    document->NewAttribute(element, "name", group->GetPathAsString());
    document->NewAttribute(element, "model", CCFModelName(type));
    _UploadLabel(document, element, group);
    PLOVXMLNode* members = document->NewElement(element, "members");
    for (int i = 1; i <= group->GetSizeOfMembers(); ++i) {
        const KEFOGate* member = group->GetMember(i);
        if (member == nullptr) continue;
        PLOVXMLNode* node = document->NewElement(members, "basic-event");
        NewTextAttribute(document, node, "name", GetReferencePath(member));
    }
    PLOVXMLNode* factors = document->NewElement(element, "factors");
    for (int i = 1; i <= group->GetSizeOfFactors(); ++i) {
        const KEFOStochasticExpression* factor = group->GetFactor(i);
        if (factor != nullptr) UploadStochasticExpression(document, factors, factor);
    }
    if (group->GetDistribution() != nullptr) UploadStochasticExpression(document, element, group->GetDistribution());
}

PLOVXMLNode* KEFOModelPrinter::UploadGate(PLOVXMLDocument* document, PLOVXMLNode* parent, const KEFOGate* gate) {
    if (gate == nullptr) return nullptr;
    PLOVXMLNode* top = nullptr;
    std::vector<std::pair<const KEFOTerm*, PLOVXMLNode*>> stack;
    stack.emplace_back(gate, parent);
    while (!stack.empty()) {
        const KEFOTerm* term = stack.back().first;
        PLOVXMLNode* under = stack.back().second;
        stack.pop_back();
        if (!term->IsGate()) continue;
        const KEFOGate* g = static_cast<const KEFOGate*>(term);
        PLOVXMLNode* element = nullptr;
        switch (g->GetType()) {
        case KEFOGate::Reference: {
            int type = g->GetReferredPortType();
            if (type < 0 && g->GetReferredPort() != nullptr) type = g->GetReferredPort()->GetType();
            element = document->NewElement(under, ReferenceElementName(type));
            NewTextAttribute(document, element, "name", GetReferencePath(g));
            break;
        }
        case KEFOGate::Constant:
            element = document->NewElement(under, "constant");
            document->NewBooleanAttribute(element, "value", g->GetConstantValue());
            break;
        default: {
            const char* functor = KEFOGate::GetFunctor(g->GetType());
            element = document->NewElement(under, functor != nullptr ? functor : "and");
            if (g->GetType() == KEFOGate::AtLeast || g->GetType() == KEFOGate::Cardinality)
                document->NewIntegerAttribute(element, "min", g->GetAttributeAsInt("__min__", 0));
            if (g->GetType() == KEFOGate::AtMost || g->GetType() == KEFOGate::Cardinality)
                document->NewIntegerAttribute(element, "max", g->GetAttributeAsInt("__max__", 0));
            // Children are pushed last first, so that they are appended in order.
            for (const KEFOTerm* child = g->GetLastChild(); child != nullptr; child = child->GetPreviousSibling())
                stack.emplace_back(child, element);
            break;
        }
        }
        if (top == nullptr) top = element;
    }
    return top;
}

PLOVXMLNode* KEFOModelPrinter::UploadStochasticExpression(PLOVXMLDocument* document, PLOVXMLNode* parent,
                                                          const KEFOStochasticExpression* expression) {
    if (expression == nullptr) return nullptr;
    PLOVXMLNode* top = nullptr;
    std::vector<std::pair<const KEFOTerm*, PLOVXMLNode*>> stack;
    stack.emplace_back(expression, parent);
    while (!stack.empty()) {
        const KEFOTerm* term = stack.back().first;
        PLOVXMLNode* under = stack.back().second;
        stack.pop_back();
        if (!term->IsStochasticExpression()) continue;
        const E* e = static_cast<const E*>(term);
        int type = e->GetType();
        const char* functor = E::GetFunctorFromType(type);
        PLOVXMLNode* element = document->NewElement(under, functor != nullptr ? functor : "float");
        switch (type) {
        case E::Parameter: NewTextAttribute(document, element, "name", GetReferencePath(e)); break;
        case E::Boolean: document->NewBooleanAttribute(element, "value", e->GetValueAsBoolean()); break;
        case E::Integer: document->NewIntegerAttribute(element, "value", e->GetValueAsInteger()); break;
        case E::Real: NewTextAttribute(document, element, "value", FormatReal(e->GetValueAsDouble())); break;
        case E::String: NewTextAttribute(document, element, "value", e->GetValueAsRawString()); break;
        case E::EmpiricalDistribution:
        case E::Histogram: {
            const KEFOEmpiricalDistribution* table = e->GetTable();
            if (table == nullptr) break;
            bool fromPoints = *table->GetFileName() == '\0';
            if (!fromPoints) document->NewAttribute(element, "file", table->GetFileName());
            if (type == E::EmpiricalDistribution)
                document->NewAttribute(element, "type",
                                       table->GetType() == KEFOEmpiricalDistribution::Step ? "step"
                                                                                           : "piecewise-linear");
            if (fromPoints) {
                // A table that came with its points is written as a curve.
                for (int row = table->GetFirstRow(); row <= table->GetLastRow(); ++row) {
                    PLOVXMLNode* point = document->NewElement(element, "point");
                    NewTextAttribute(document, point, "time",
                                     FormatReal(table->GetValue(row, table->GetAbscissaColumn())));
                    NewTextAttribute(document, point, "probability",
                                     FormatReal(table->GetValue(row, table->GetOrdinateColumn())));
                }
            }
            break;
        }
        default:
            for (const KEFOTerm* child = e->GetLastChild(); child != nullptr; child = child->GetPreviousSibling())
                stack.emplace_back(child, element);
            break;
        }
        if (top == nullptr) top = element;
    }
    return top;
}
