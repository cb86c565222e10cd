// Reader of the XML model formats: the document is read whole by the XML
// reader, then walked element by element into model objects.
#include "io/model_parser.h"

#include "model/aliasing.h"
#include "model/block.h"
#include "model/ccf_group.h"
#include "model/empirical_distribution.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/path.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "script/messenger.h"
#include "support/stream.h"
#include "support/xml_attribute.h"
#include "support/xml_document.h"
#include "support/xml_node.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

typedef KEFOStochasticExpression E;

// Declaration elements.
enum DeclarationElement {
    LabelElement,
    AttributesElement,
    BlockElement,
    ClassElement,
    InstanceElement,
    ExtendsElement,
    ClonesElement,
    EmbedsElement,
    ParameterElement,
    StateElement,
    FlowElement,
    SourceElement,
    CCFGroupElement,
    GroupingElement
};

// Formula elements; references carry their KEFOType code.
enum FormulaElement {
    ConstantElement = 1000,
    TrueElement,
    FalseElement,
    XorElement,
    ReferenceElement
};

struct NameTables {
    std::unordered_map<std::string_view, int> declarations;
    std::unordered_map<std::string_view, int> connectives;
    std::unordered_map<std::string_view, int> references;
    std::unordered_map<std::string_view, int> expressions;

    NameTables() {
        declarations = {
            {"label", LabelElement},
            {"attributes", AttributesElement},
            {"block", BlockElement},
            {"class", ClassElement},
            {"instance", InstanceElement},
            {"extends", ExtendsElement},
            {"clones", ClonesElement},
            {"embeds", EmbedsElement},
            {"define-parameter", ParameterElement},
            {"define-basic-event", StateElement},
            {"define-state", StateElement},
            {"define-gate", FlowElement},
            {"define-flow", FlowElement},
            {"define-house-event", SourceElement},
            {"define-source", SourceElement},
            {"define-CCF-group", CCFGroupElement},
            // Containers of declarations of the same block.
            {"fault-tree", GroupingElement},
            {"model-data", GroupingElement},
            {"define-fault-tree", GroupingElement},
            {"define-component", GroupingElement},
        };
        connectives = {
            {"and", KEFOGate::And},
            {"or", KEFOGate::Or},
            {"nand", KEFOGate::Nand},
            {"nor", KEFOGate::Nor},
            {"not", KEFOGate::Not},
            {"atleast", KEFOGate::AtLeast},
            {"atmost", KEFOGate::AtMost},
            {"cardinality", KEFOGate::Cardinality},
            {"constant", ConstantElement},
            {"true", TrueElement},
            {"false", FalseElement},
            {"xor", XorElement},
        };
        references = {
            {"basic-event", KEFOType::StateVariable},
            {"state-variable", KEFOType::StateVariable},
            {"gate", KEFOType::FlowVariable},
            {"flow-variable", KEFOType::FlowVariable},
            {"house-event", KEFOType::SourceVariable},
            {"source-variable", KEFOType::SourceVariable},
            {"event", KEFOType::Variable},
        };
        for (int type = 0; type < E::numberOfTypes; ++type) {
            const char* functor = E::GetFunctorFromType(type);
            if (functor != nullptr) expressions.emplace(functor, type);
        }
    }
};

const NameTables& Names() {
    static const NameTables tables;
    return tables;
}

int LookUp(const std::unordered_map<std::string_view, int>& table, const PLOVXMLNode* element) {
    auto it = table.find(std::string_view(element->GetName(), element->GetNameLength()));
    return it == table.end() ? -1 : it->second;
}

// The text of an element's first child, or "" (a label's text as it was
// read: runs of white space reduced to one blank, character references
// translated).
std::string FirstChildText(const PLOVXMLNode* element) {
    const PLOVXMLNode* child = element->GetFirstChild();
    if (child == nullptr || !(child->IsText() || child->IsCDATA())) return std::string();
    return std::string(child->GetName(), child->GetNameLength());
}

// A decimal number beyond the range of doubles, which the textual language
// reads (and the printers write) as infinity or zero: "1e999", "-1e999",
// "1e-999".
bool ReadOutOfRangeReal(const char* text, double& value) {
    std::string s(text);
    std::size_t first = s.find_first_not_of(" \t\r\n");
    std::size_t last = s.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) return false;
    s = s.substr(first, last - first + 1);
    if (s.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
    if (s.find_first_of("0123456789") == std::string::npos) return false;
    char* end = nullptr;
    errno = 0;
    double result = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || errno != ERANGE) return false;
    value = result;
    return true;
}

// Element children of a node are walked by these; comments are skipped.
const PLOVXMLNode* SkipComments(const PLOVXMLNode* node) {
    while (node != nullptr && node->IsComment()) node = node->GetNextSibling();
    return node;
}

}  // namespace

// ---------------------------------------------------------------------------
// Entry points

void KEFOModelParser::ImportModelAtXMLFormat(int& errors, const char* fileName, KEFOModel* model) {
    if (errors) return;
    if (fileName == nullptr) {
        _RaiseError(errors, 10001, static_cast<const PLOVXMLNode*>(nullptr));
        _PrintErrorMessages();
        return;
    }
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        _RaiseError(errors, 10003, static_cast<const PLOVXMLNode*>(nullptr), fileName);
        _PrintErrorMessages();
        return;
    }
    DownloadModelAtXMLFormat(errors, file, fileName, model);
    std::fclose(file);
    if (errors) _PrintErrorMessages();
}

void KEFOModelParser::DownloadModelAtXMLFormat(int& errors, FILE* file, const char* fileName, KEFOModel* model) {
    if (errors || model == nullptr) return;
    PLOVXMLDocument document;
    SetInputFileName(fileName);
    ResetParseError();
    if (ParseFile(errors, &document, file) != 0) {
        _ForwardXMLSyntaxMessages();
        return;
    }
    _DownloadModel(errors, &document, model);
}

void KEFOModelParser::DownloadModelAtXMLFormatFromText(int& errors, const std::string& text, const char* fileName,
                                                       KEFOModel* model) {
    if (errors || model == nullptr) return;
    PLOVXMLDocument document;
    SetInputFileName(fileName);
    ResetParseError();
    if (ParseString(errors, &document, text) != 0) {
        _ForwardXMLSyntaxMessages();
        return;
    }
    _DownloadModel(errors, &document, model);
}

void KEFOModelParser::DownloadModelAtXMLFormat(int& errors, const PLOVXMLDocument* document, KEFOModel* model) {
    if (errors || model == nullptr || document == nullptr) return;
    _DownloadModel(errors, document, model);
}

void KEFOModelParser::DownloadDefaultProbabilityDistributionOfBasicEvents(int& errors, const PLOVXMLNode* expression,
                                                                         KEFOModel* model) {
    if (errors || expression == nullptr || model == nullptr) return;
    bool savedPure = _pure;
    int savedDepth = _depth;
    _pure = model->IsPure();
    _depth = 0;
    for (KEFODeclaration* declaration : model->GetDeclarations()) {
        int type = declaration->GetType();
        if (type != KEFOType::StateVariable && type != KEFOType::Variable) continue;
        KEFOVariable* variable = static_cast<KEFOVariable*>(declaration);
        if (variable->GetProbabilityDistribution() != nullptr) continue;
        E* distribution = _DownloadStochasticExpression(errors, expression, model);
        if (distribution == nullptr) break;
        variable->SetProbabilityDistribution(distribution);
        if (type == KEFOType::Variable) variable->SetType(KEFOType::StateVariable);
    }
    _pure = savedPure;
    _depth = savedDepth;
}

// ---------------------------------------------------------------------------
// Model and declarations

void KEFOModelParser::_DownloadModel(int& errors, const PLOVXMLDocument* document, KEFOModel* model) {
    static const char* const roots[] = {"open-psa", "srf-psa", "opsa-mef", "riskspectrum:opsa-mef"};
    const PLOVXMLNode* root = nullptr;
    int rootIndex = 0;
    for (int i = 0; i < 4 && root == nullptr; ++i) {
        for (const PLOVXMLNode* node = document->GetFirstChild(); node != nullptr; node = node->GetNextSibling()) {
            if (node->IsElement() && node->HasName(roots[i])) {
                root = node;
                rootIndex = i;
                break;
            }
        }
    }
    if (root == nullptr) {
        _RaiseErrorInFile(errors, 10004, GetInputFileName());
        return;
    }
    model->SetFormat(rootIndex == 3 ? "riskspectrum:opsa-mef" : "open-psa");
    const PLOVXMLAttribute* pure = root->LookForAttribute("pure");
    if (pure != nullptr) {
        bool value = false;
        if (!pure->GetBoolValue(value)) {
            _RaiseError(errors, 10071, root, pure->GetValue());
            return;
        }
        model->SetPure(value);
    }
    bool savedPure = _pure;
    int savedDepth = _depth;
    _pure = model->IsPure();
    _depth = 0;
    _DownloadDeclarations(errors, root, model);
    _pure = savedPure;
    _depth = savedDepth;
}

void KEFOModelParser::_DownloadDeclarations(int& errors, const PLOVXMLNode* element, KEFOBlock* block) {
    for (const PLOVXMLNode* child = element->GetFirstChild(); child != nullptr && !errors;
         child = child->GetNextSibling()) {
        if (child->IsComment()) continue;
        if (!child->IsElement()) {
            _RaiseError(errors, 10090, child);
            return;
        }
        _DownloadDeclaration(errors, child, block);
    }
}

void KEFOModelParser::_DownloadDeclaration(int& errors, const PLOVXMLNode* element, KEFOBlock* block) {
    switch (LookUp(Names().declarations, element)) {
    case LabelElement: _DownloadLabel(element, block); return;
    case AttributesElement: return;
    case BlockElement:
    case ClassElement:
    case InstanceElement:
    case ExtendsElement:
    case ClonesElement:
    case EmbedsElement: _DownloadContainer(errors, element, block); return;
    case ParameterElement: _DownloadParameter(errors, element, block); return;
    case StateElement: _DownloadVariable(errors, element, block, KEFOType::StateVariable); return;
    case FlowElement: _DownloadVariable(errors, element, block, KEFOType::FlowVariable); return;
    case SourceElement: _DownloadVariable(errors, element, block, KEFOType::SourceVariable); return;
    case CCFGroupElement: _DownloadCCFGroupDeclaration(errors, element, block); return;
    case GroupingElement:
        if (!_EnterNesting(errors, nullptr, element)) return;
        _DownloadDeclarations(errors, element, block);
        _LeaveNesting();
        return;
    default: _RaiseError(errors, 10090, element); return;
    }
}

void KEFOModelParser::_DownloadLabel(const PLOVXMLNode* element, KEFODeclaration* declaration) {
    declaration->SetLabel(FirstChildText(element).c_str());
}

void KEFOModelParser::_DownloadContainer(int& errors, const PLOVXMLNode* element, KEFOBlock* block) {
    if (_pure) {
        _RaiseError(errors, 10090, element);
        return;
    }
    int kind = LookUp(Names().declarations, element);
    KEFOBlock* container = nullptr;
    switch (kind) {
    case BlockElement: {
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        if (path == nullptr) return;
        container = block->NewBlock(path);
        break;
    }
    case ClassElement: {
        if (!block->IsModel()) {
            _RaiseError(errors, 12101, element);
            return;
        }
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        if (path == nullptr) return;
        KEFODeclaration* existing =
            path->IsIdentifier() ? block->LookForDeclarationInDictionary(path->GetFirstIdentifier()) : nullptr;
        if (existing != nullptr) {
            _RaiseError(errors, existing->GetType() == KEFOType::Class ? 10020 : 10021, element, path->GetString());
            delete path;
            return;
        }
        container = block->NewClass(path);
        break;
    }
    case InstanceElement: {
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        if (path == nullptr) return;
        KEFOPath* classPath = _NewPathFromAttribute(errors, element, "class", block);
        if (classPath == nullptr) {
            delete path;
            return;
        }
        container = block->NewInstance(path, classPath);
        break;
    }
    case ExtendsElement: {
        KEFOPath* path = _NewPathFromAttribute(errors, element, "extended", block);
        if (path == nullptr) return;
        container = block->NewExtendsDirective(path);
        break;
    }
    case ClonesElement: {
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        if (path == nullptr) return;
        KEFOPath* cloned = _NewPathFromAttribute(errors, element, "block", block);
        if (cloned == nullptr) {
            delete path;
            return;
        }
        container = block->NewClonesDirective(path, cloned);
        break;
    }
    default: {
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        if (path == nullptr) return;
        KEFOPath* embedded = _NewPathFromAttribute(errors, element, "embedded", block);
        if (embedded == nullptr) {
            delete path;
            return;
        }
        KEFOAliasing* aliasing = block->NewEmbedsDirective(path, embedded);
        for (const PLOVXMLNode* child = element->GetFirstChild(); child != nullptr && !errors;
             child = child->GetNextSibling()) {
            if (child->IsComment()) continue;
            int childKind = child->IsElement() ? LookUp(Names().declarations, child) : -1;
            if (childKind == LabelElement)
                _DownloadLabel(child, aliasing);
            else if (childKind != AttributesElement)
                _RaiseError(errors, 10090, child);
        }
        return;
    }
    }
    if (!_EnterNesting(errors, nullptr, element)) return;
    _DownloadDeclarations(errors, element, container);
    _LeaveNesting();
}

void KEFOModelParser::_DownloadVariable(int& errors, const PLOVXMLNode* element, KEFOBlock* block, int type) {
    KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
    if (path == nullptr) return;
    KEFOVariable* variable = block->NewVariable(type, path);
    if (type == KEFOType::StateVariable) {
        const char* model = element->GetAttributeValue("riskspectrum:model");
        if (model != nullptr) {
            if (std::strcmp(model, "probability") != 0) {
                _RaiseError(errors, 10099, element);
                return;
            }
            variable->SetAttribute("riskspectrum:model", model);
        }
    }
    bool defined = false;
    for (const PLOVXMLNode* child = element->GetFirstChild(); child != nullptr && !errors;
         child = child->GetNextSibling()) {
        if (child->IsComment()) continue;
        if (!child->IsElement()) {
            _RaiseError(errors, 10090, child);
            return;
        }
        int kind = LookUp(Names().declarations, child);
        if (kind == LabelElement) {
            _DownloadLabel(child, variable);
            continue;
        }
        if (kind == AttributesElement) continue;
        if (defined) {
            // A second body: a distribution or a formula too many.
            _RaiseError(errors, type == KEFOType::StateVariable ? 10094 : 10012, child);
            return;
        }
        defined = true;
        if (type == KEFOType::StateVariable) {
            E* distribution = _DownloadStochasticExpression(errors, child, block);
            if (distribution == nullptr) return;
            variable->SetProbabilityDistribution(distribution);
        } else {
            KEFOGate* definition = _DownloadGate(errors, child, block);
            if (definition == nullptr) return;
            variable->SetDefinition(definition);
        }
    }
}

void KEFOModelParser::_DownloadParameter(int& errors, const PLOVXMLNode* element, KEFOBlock* block) {
    KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
    if (path == nullptr) return;
    KEFOParameter* parameter = block->NewParameter(path);
    const char* unit = element->GetAttributeValue("unit");
    if (unit != nullptr) parameter->SetAttribute("unit", unit);
    const char* riskSpectrumType = element->GetAttributeValue("riskspectrum:type");
    if (riskSpectrumType != nullptr) parameter->SetAttribute("riskspectrum:type", riskSpectrumType);
    bool defined = false;
    for (const PLOVXMLNode* child = element->GetFirstChild(); child != nullptr && !errors;
         child = child->GetNextSibling()) {
        if (child->IsComment()) continue;
        if (!child->IsElement()) {
            _RaiseError(errors, 10090, child);
            return;
        }
        int kind = LookUp(Names().declarations, child);
        if (kind == LabelElement) {
            _DownloadLabel(child, parameter);
            continue;
        }
        if (kind == AttributesElement) continue;
        if (defined) {
            _RaiseError(errors, 10094, child);
            return;
        }
        defined = true;
        E* definition = _DownloadStochasticExpression(errors, child, block);
        if (definition == nullptr) return;
        parameter->SetDefinition(definition);
    }
}

// label?, members, factors, distribution
void KEFOModelParser::_DownloadCCFGroupDeclaration(int& errors, const PLOVXMLNode* element, KEFOBlock* block) {
    KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
    if (path == nullptr) return;
    const char* model = _GetRequiredAttribute(errors, element, "model");
    if (model == nullptr) {
        delete path;
        return;
    }
    int type = std::strcmp(model, "beta-factor") == 0    ? KEFOType::BetaFactorCCFGroup
               : std::strcmp(model, "MGL") == 0          ? KEFOType::MGLCCFGroup
               : std::strcmp(model, "alpha-factor") == 0 ? KEFOType::AlphaFactorCCFGroup
               : std::strcmp(model, "phi-factor") == 0   ? KEFOType::PhiFactorCCFGroup
                                                         : 0;
    if (type == 0) {
        delete path;
        _RaiseError(errors, 10083, element);
        return;
    }
    KEFOCCFGroup* group = block->NewCCFGroup(type, path);
    enum { Members, Factors, Distribution, Done } stage = Members;
    for (const PLOVXMLNode* child = element->GetFirstChild(); child != nullptr && !errors;
         child = child->GetNextSibling()) {
        if (child->IsComment()) continue;
        if (!child->IsElement()) {
            _RaiseError(errors, 10081, child);
            return;
        }
        int kind = LookUp(Names().declarations, child);
        if (kind == AttributesElement) continue;
        if (kind == LabelElement && stage == Members) {
            _DownloadLabel(child, group);
            continue;
        }
        switch (stage) {
        case Members:
            if (!child->HasName("members")) {
                _RaiseError(errors, 10081, child);
                return;
            }
            for (const PLOVXMLNode* member = SkipComments(child->GetFirstChild()); member != nullptr;
                 member = SkipComments(member->GetNextSibling())) {
                if (!member->IsElement() || !(member->HasName("basic-event") || member->HasName("state-variable"))) {
                    _RaiseError(errors, 10087, member);
                    return;
                }
                KEFOPath* memberPath = _NewPathFromAttribute(errors, member, "name", block);
                if (memberPath == nullptr) return;
                group->AddMember(block->NewVariableReference(KEFOType::StateVariable, memberPath));
            }
            stage = Factors;
            break;
        case Factors: {
            if (!child->HasName("factors")) {
                _RaiseError(errors, 10081, child);
                return;
            }
            std::vector<E*> factors;
            for (const PLOVXMLNode* factor = SkipComments(child->GetFirstChild()); factor != nullptr;
                 factor = SkipComments(factor->GetNextSibling())) {
                E* expression = factor->IsElement() ? _DownloadStochasticExpression(errors, factor, block) : nullptr;
                if (expression == nullptr) {
                    if (!errors) _RaiseError(errors, 10090, factor);
                    for (E* e : factors) delete e;
                    return;
                }
                factors.push_back(expression);
            }
            if (!PlaceFactorsOfCCFGroup(group, factors)) {
                _RaiseError(errors, 12103, element);
                return;
            }
            stage = Distribution;
            break;
        }
        case Distribution: {
            E* distribution = _DownloadStochasticExpression(errors, child, block);
            if (distribution == nullptr) return;
            group->SetDistribution(distribution);
            stage = Done;
            break;
        }
        case Done: _RaiseError(errors, 10081, child); return;
        }
    }
    if (!errors && stage != Done) _RaiseError(errors, 10081, element);
}

// ---------------------------------------------------------------------------
// Formulas

KEFOGate* KEFOModelParser::_DownloadGate(int& errors, const PLOVXMLNode* element, KEFOBlock* block) {
    if (errors) return nullptr;
    int kind = LookUp(Names().connectives, element);
    if (kind < 0) {
        int reference = LookUp(Names().references, element);
        if (reference < 0) {
            _RaiseError(errors, 10090, element);
            return nullptr;
        }
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        return path != nullptr ? block->NewVariableReference(reference, path) : nullptr;
    }
    switch (kind) {
    case ConstantElement: {
        bool value = false;
        if (!_GetBooleanAttribute(errors, element, "value", value)) return nullptr;
        return block->NewConstant(value);
    }
    case TrueElement: return block->NewConstant(true);
    case FalseElement: return block->NewConstant(false);
    default: break;
    }
    KEFOGate* gate = nullptr;
    switch (kind) {
    case KEFOGate::AtLeast:
    case KEFOGate::AtMost: {
        int k = 0;
        if (!_GetIntegerAttribute(errors, element, kind == KEFOGate::AtLeast ? "min" : "max", k)) return nullptr;
        gate = kind == KEFOGate::AtLeast ? block->NewAtLeast(k, {}) : block->NewAtMost(k, {});
        break;
    }
    case KEFOGate::Cardinality: {
        int low = 0, high = 0;
        if (!_GetIntegerAttribute(errors, element, "min", low) || !_GetIntegerAttribute(errors, element, "max", high))
            return nullptr;
        gate = block->NewCardinality(low, high, {});
        break;
    }
    case XorElement:
        // Exclusive or of two formulas: exactly one of them holds.
        gate = block->NewCardinality(1, 1, {});
        break;
    default: gate = block->NewGate(kind); break;
    }
    if (!_EnterNesting(errors, nullptr, element)) {
        delete gate;
        return nullptr;
    }
    bool read = _DownloadGateChildren(errors, element, block, gate);
    _LeaveNesting();
    if (read) {
        int n = gate->GetNumberOfChildren();
        if ((kind == KEFOGate::Not && n != 1) || (kind == XorElement && n != 2)) {
            _RaiseError(errors, 10094, element);
            read = false;
        }
    }
    if (!read) {
        delete gate;
        return nullptr;
    }
    return gate;
}

bool KEFOModelParser::_DownloadGateChildren(int& errors, const PLOVXMLNode* element, KEFOBlock* block,
                                            KEFOGate* gate) {
    for (const PLOVXMLNode* child = SkipComments(element->GetFirstChild()); child != nullptr;
         child = SkipComments(child->GetNextSibling())) {
        if (!child->IsElement()) {
            _RaiseError(errors, 10090, child);
            return false;
        }
        KEFOGate* term = _DownloadGate(errors, child, block);
        if (term == nullptr) return false;
        gate->AppendChild(term);
    }
    return !errors;
}

// ---------------------------------------------------------------------------
// Stochastic expressions

KEFOStochasticExpression* KEFOModelParser::_DownloadStochasticExpression(int& errors, const PLOVXMLNode* element,
                                                                         KEFOBlock* block) {
    if (errors) return nullptr;
    int type = LookUp(Names().expressions, element);
    if (type < 0) {
        _RaiseError(errors, 10090, element);
        return nullptr;
    }
    bool hasChildren = SkipComments(element->GetFirstChild()) != nullptr;
    switch (type) {
    case E::Parameter: {
        KEFOPath* path = _NewPathFromAttribute(errors, element, "name", block);
        if (path == nullptr) return nullptr;
        if (hasChildren) {
            delete path;
            _RaiseError(errors, 10094, element);
            return nullptr;
        }
        return block->NewParameterReference(path);
    }
    case E::Boolean:
    case E::Integer:
    case E::Real:
    case E::String: {
        if (hasChildren) {
            _RaiseError(errors, 10094, element);
            return nullptr;
        }
        if (type == E::Boolean) {
            bool value = false;
            return _GetBooleanAttribute(errors, element, "value", value) ? block->NewBooleanExpression(value) : nullptr;
        }
        if (type == E::Integer) {
            int value = 0;
            return _GetIntegerAttribute(errors, element, "value", value) ? block->NewIntegerExpression(value) : nullptr;
        }
        if (type == E::Real) {
            double value = 0.0;
            return _GetRealAttribute(errors, element, "value", value) ? block->NewRealExpression(value) : nullptr;
        }
        const char* value = _GetRequiredAttribute(errors, element, "value");
        return value != nullptr ? block->NewStringExpression(value) : nullptr;
    }
    case E::EmpiricalDistribution:
    case E::Histogram: {
        int tableType = KEFOEmpiricalDistribution::Histogram;
        if (type == E::EmpiricalDistribution) {
            tableType = KEFOEmpiricalDistribution::PiecewiseLinear;
            const char* kind = element->GetAttributeValue("type");
            if (kind != nullptr) {
                if (std::strcmp(kind, "step") == 0) {
                    tableType = KEFOEmpiricalDistribution::Step;
                } else if (std::strcmp(kind, "piecewise-linear") != 0) {
                    _RaiseError(errors, 10090, element);
                    return nullptr;
                }
            }
        }
        // A table given by its points rather than by a file.
        if (element->GetAttributeValue("file") == nullptr && hasChildren)
            return _DownloadCurve(errors, element, block, type, tableType);
        const char* file = _GetRequiredAttribute(errors, element, "file");
        if (file == nullptr) return nullptr;
        if (hasChildren) {
            _RaiseError(errors, 10094, element);
            return nullptr;
        }
        return _NewTabulatedDistribution(errors, block, type, file, tableType, nullptr, element);
    }
    default: break;
    }
    E* expression = block->NewStochasticExpression(type);
    if (!_EnterNesting(errors, nullptr, element)) {
        delete expression;
        return nullptr;
    }
    bool read = _DownloadStochasticExpressionChildren(errors, element, block, expression);
    _LeaveNesting();
    if (read && !E::CheckNumberOfChildren(type, expression->GetNumberOfChildren())) {
        _RaiseError(errors, 10094, element);
        read = false;
    }
    if (!read) {
        delete expression;
        return nullptr;
    }
    return expression;
}

bool KEFOModelParser::_DownloadStochasticExpressionChildren(int& errors, const PLOVXMLNode* element,
                                                            KEFOBlock* block, KEFOStochasticExpression* expression) {
    for (const PLOVXMLNode* child = SkipComments(element->GetFirstChild()); child != nullptr;
         child = SkipComments(child->GetNextSibling())) {
        if (!child->IsElement()) {
            _RaiseError(errors, 10090, child);
            return false;
        }
        E* term = _DownloadStochasticExpression(errors, child, block);
        if (term == nullptr) return false;
        expression->AppendChild(term);
    }
    return !errors;
}

// A table from "point" elements with attributes "time" and "probability",
// checked like a table read from a file.
KEFOStochasticExpression* KEFOModelParser::_DownloadCurve(int& errors, const PLOVXMLNode* element,
                                                          KEFOBlock* block, int type, int tableType) {
    std::string text;
    for (const PLOVXMLNode* point = SkipComments(element->GetFirstChild()); point != nullptr;
         point = SkipComments(point->GetNextSibling())) {
        if (!point->IsElement() || !point->HasName("point")) {
            _RaiseError(errors, 10090, point);
            return nullptr;
        }
        double time = 0.0, probability = 0.0;
        if (!_GetRealAttribute(errors, point, "time", time) ||
            !_GetRealAttribute(errors, point, "probability", probability))
            return nullptr;
        text += PLOVStream::FormatDouble(time, 17);
        text += '\t';
        text += PLOVStream::FormatDouble(probability, 17);
        text += '\n';
    }
    KEFOEmpiricalDistribution* table = new KEFOEmpiricalDistribution(tableType, "");
    int failures = 0;
    if (!table->LoadFromText(failures, nullptr, text)) {
        delete table;
        _RaiseError(errors, 14001, element, "");
        return nullptr;
    }
    if (type == E::Histogram) return KEFOStochasticExpression::NewHistogram(block, table);
    return KEFOStochasticExpression::NewEmpiricalDistribution(block, table);
}

// ---------------------------------------------------------------------------
// Attributes

const char* KEFOModelParser::_GetRequiredAttribute(int& errors, const PLOVXMLNode* element, const char* name) {
    const char* value = element->GetAttributeValue(name);
    if (value == nullptr) _RaiseError(errors, 10070, element, name);
    return value;
}

bool KEFOModelParser::_GetBooleanAttribute(int& errors, const PLOVXMLNode* element, const char* name, bool& value) {
    const PLOVXMLAttribute* attribute = element->LookForAttribute(name);
    if (attribute == nullptr) {
        _RaiseError(errors, 10070, element, name);
        return false;
    }
    if (!attribute->GetBoolValue(value)) {
        _RaiseError(errors, 10071, element, attribute->GetValue());
        return false;
    }
    return true;
}

bool KEFOModelParser::_GetIntegerAttribute(int& errors, const PLOVXMLNode* element, const char* name, int& value) {
    const PLOVXMLAttribute* attribute = element->LookForAttribute(name);
    if (attribute == nullptr) {
        _RaiseError(errors, 10070, element, name);
        return false;
    }
    long n = 0;
    if (!attribute->GetIntegerValue(n) || n < INT_MIN || n > INT_MAX) {
        _RaiseError(errors, 10072, element, attribute->GetValue());
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

bool KEFOModelParser::_GetRealAttribute(int& errors, const PLOVXMLNode* element, const char* name, double& value) {
    const PLOVXMLAttribute* attribute = element->LookForAttribute(name);
    if (attribute == nullptr) {
        _RaiseError(errors, 10070, element, name);
        return false;
    }
    if (!attribute->GetRealValue(value) && !ReadOutOfRangeReal(attribute->GetValue(), value)) {
        _RaiseError(errors, 10073, element, attribute->GetValue());
        return false;
    }
    return true;
}

// A name attribute made a path: split at dots unless the model is pure. An
// empty name counts as missing.
KEFOPath* KEFOModelParser::_NewPathFromAttribute(int& errors, const PLOVXMLNode* element, const char* name,
                                                 const KEFOBlock*) {
    const char* value = element->GetAttributeValue(name);
    if (value == nullptr || *value == '\0') {
        _RaiseError(errors, 10070, element, name);
        return nullptr;
    }
    return new KEFOPath(value, _pure);
}
