// Textual output of models. Formulas and expressions are printed by a walk
// over an explicit stack of pending pieces: either a fixed text or a term
// still to print.
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
#include "script/messenger.h"
#include "support/stream.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

typedef KEFOStochasticExpression E;

struct Piece {
    const KEFOTerm* term;  // null for a text
    const char* text;
};

// Pushes, so that they print in order: "(" term ")" or term.
void PushTerm(std::vector<Piece>& stack, const KEFOTerm* term, bool parenthesized) {
    if (parenthesized) stack.push_back({nullptr, ")"});
    stack.push_back({term, nullptr});
    if (parenthesized) stack.push_back({nullptr, "("});
}

// Pushes the children of a term separated by `separator`, each in
// parentheses when `needsParentheses` says so.
template <typename Test>
void PushChildren(std::vector<Piece>& stack, const KEFOTerm* term, const char* separator, Test needsParentheses) {
    for (const KEFOTerm* child = term->GetLastChild(); child != nullptr; child = child->GetPreviousSibling()) {
        PushTerm(stack, child, needsParentheses(child));
        if (child->GetPreviousSibling() != nullptr) stack.push_back({nullptr, separator});
    }
}

// Gates: and/or with two children or more are written infix.
bool IsInfixGate(const KEFOTerm* term) {
    int type = term->GetType();
    return (type == KEFOGate::And || type == KEFOGate::Or) && term->GetNumberOfChildren() >= 2;
}

int GatePriority(const KEFOTerm* term) { return static_cast<const KEFOGate*>(term)->GetPriority(); }

// Expressions written in a form that the reader accepts only at the start of
// an expression: they need parentheses inside an infix or prefix operator.
bool IsSwitchInBraceForm(const KEFOTerm* term) {
    if (term->GetType() != E::Switch || term->GetNumberOfChildren() < 1) return false;
    for (const KEFOTerm* child = term->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        bool last = child->GetNextSibling() == nullptr;
        if ((child->GetType() == E::Case) == last) return false;
        if (!last && child->GetNumberOfChildren() != 2) return false;
    }
    return true;
}

bool IsLeadingExpressionForm(const KEFOTerm* term) {
    int type = term->GetType();
    return (type == E::Ite && term->GetNumberOfChildren() == 3) || type == E::EmpiricalDistribution ||
           type == E::Histogram || IsSwitchInBraceForm(term);
}

bool IsInfixExpression(const KEFOTerm* term) {
    int type = term->GetType();
    if (type == E::And || type == E::Or) return term->GetNumberOfChildren() >= 2;
    if (type >= E::Eq && type <= E::Geq) return term->GetNumberOfChildren() == 2;
    return false;
}

bool IsPrefixNot(const KEFOTerm* term) { return term->GetType() == E::Not && term->GetNumberOfChildren() == 1; }

// The priority an expression prints with: that of its kind when it is
// written as an operator, 0 when it is written as an operand.
int ExpressionPriority(const KEFOTerm* term) {
    if (IsInfixExpression(term) || IsPrefixNot(term)) return static_cast<const E*>(term)->GetPriority();
    return 0;
}

const char* ComparisonText(int type) {
    switch (type) {
    case E::Eq: return " == ";
    case E::Df: return " != ";
    case E::Lt: return " < ";
    case E::Gt: return " > ";
    case E::Leq: return " <= ";
    default: return " >= ";
    }
}

// A non-negative numeric constant, printed after a minus sign for neg.
bool IsUnsignedNumber(const KEFOTerm* term) {
    if (term->GetType() != E::Integer && term->GetType() != E::Real) return false;
    const E* e = static_cast<const E*>(term);
    if (term->GetType() == E::Integer) return e->GetValueAsInteger() >= 0;
    return !std::signbit(e->GetValueAsDouble());
}

void PrintConstant(const E* e, PLOVStream* stream) {
    switch (e->GetType()) {
    case E::Boolean: stream->PrintString(e->GetValueAsBoolean() ? "true" : "false"); return;
    case E::Integer: stream->Printf("%d", e->GetValueAsInteger()); return;
    case E::Real: stream->PrintString(KEFOModelPrinter::FormatReal(e->GetValueAsDouble())); return;
    default:
        stream->PrintChar('"');
        stream->PrintString(e->GetValueAsRawString());
        stream->PrintChar('"');
        return;
    }
}

const char* CCFModelKeyword(int type) {
    switch (type) {
    case KEFOType::BetaFactorCCFGroup: return "beta-factor";
    case KEFOType::MGLCCFGroup: return "MGL";
    case KEFOType::AlphaFactorCCFGroup: return "alpha-factor";
    default: return "phi-factor";
    }
}

}  // namespace

void KEFOModelPrinter::ExportModelAtQOLNFormat(int& errors, const KEFOModel* model, const char* fileName) {
    if (errors || model == nullptr) return;
    FILE* file = fileName != nullptr ? std::fopen(fileName, "wb") : nullptr;
    if (file == nullptr) {
        _RaiseUnableToOpen(errors, fileName);
        return;
    }
    PLOVFileStream stream(file, true);
    PrintModelAtQOLNFormat(errors, model, &stream);
}

void KEFOModelPrinter::PrintModelAtQOLNFormat(int& errors, const KEFOModel* model, PLOVStream* stream) {
    if (errors || model == nullptr || stream == nullptr) return;
    int depth = GetDepth();
    // The directive the reader reads ("#" then "pure-model").
    if (model->IsPure()) {
        PrintIndentation(stream);
        stream->PrintString("#pure-model\n");
    }
    PrintDeclarationsOfBlockAtQOLNFormat(model, stream);
    SetDepth(depth);
    stream->Flush();
}

void KEFOModelPrinter::PrintDeclarationsOfBlockAtQOLNFormat(const KEFOBlock* block, PLOVStream* stream) {
    for (const KEFODeclaration* declaration : block->GetDeclarations()) PrintDeclarationAtQOLNFormat(declaration, stream);
}

void KEFOModelPrinter::_PrintLabel(const KEFODeclaration* declaration, PLOVStream* stream) {
    const char* label = declaration->GetLabel();
    if (label == nullptr) return;
    stream->PrintString(" \"\"\"");
    stream->PrintString(label);
    stream->PrintString("\"\"\"");
}

void KEFOModelPrinter::_PrintBody(const KEFOBlock* block, PLOVStream* stream) {
    stream->PrintNewLine();
    IncrementDepth();
    PrintDeclarationsOfBlockAtQOLNFormat(block, stream);
    DecrementDepth();
    PrintIndentation(stream);
    stream->PrintString("end\n");
}

void KEFOModelPrinter::PrintDeclarationAtQOLNFormat(const KEFODeclaration* declaration, PLOVStream* stream) {
    int type = declaration->GetType();
    PrintIndentation(stream);
    switch (type) {
    case KEFOType::Model:
    case KEFOType::Block:
    case KEFOType::Class:
    case KEFOType::Instance:
    case KEFOType::ExtendsDirective:
    case KEFOType::ClonesDirective: {
        const KEFOBlock* block = static_cast<const KEFOBlock*>(declaration);
        if (type == KEFOType::Block || type == KEFOType::Model) {
            stream->PrintString("block ");
            stream->PrintString(block->GetPathAsString());
        } else if (type == KEFOType::Class) {
            stream->PrintString("class ");
            stream->PrintString(block->GetPathAsString());
        } else if (type == KEFOType::Instance) {
            stream->PrintString(block->GetCloningPathAsString());
            stream->PrintChar(' ');
            stream->PrintString(block->GetPathAsString());
        } else if (type == KEFOType::ExtendsDirective) {
            stream->PrintString("extends ");
            stream->PrintString(block->GetCloningPathAsString());
        } else {
            stream->PrintString("clones ");
            stream->PrintString(block->GetCloningPathAsString());
            stream->PrintString(" as ");
            stream->PrintString(block->GetPathAsString());
        }
        _PrintLabel(block, stream);
        _PrintBody(block, stream);
        return;
    }
    case KEFOType::EmbedsDirective: {
        const KEFOAliasing* aliasing = static_cast<const KEFOAliasing*>(declaration);
        stream->PrintString("embeds ");
        stream->PrintString(aliasing->GetAliasedPathAsString());
        stream->PrintString(" as ");
        stream->PrintString(aliasing->GetPathAsString());
        _PrintLabel(aliasing, stream);
        stream->PrintString(";\n");
        return;
    }
    case KEFOType::Parameter: {
        const KEFOParameter* parameter = static_cast<const KEFOParameter*>(declaration);
        stream->PrintString("parameter ");
        stream->PrintString(parameter->GetPathAsString());
        _PrintLabel(parameter, stream);
        if (parameter->GetDefinitionAsExpression() != nullptr) {
            stream->PrintString(" = ");
            PrintStochasticExpressionAtQOLNFormat(parameter->GetDefinitionAsExpression(), stream);
        }
        stream->PrintString(";\n");
        return;
    }
    case KEFOType::Variable:
    case KEFOType::StateVariable:
    case KEFOType::FlowVariable:
    case KEFOType::SourceVariable: {
        const KEFOVariable* variable = static_cast<const KEFOVariable*>(declaration);
        // A variable of undetermined kind is written as the basic event it
        // becomes when the model is completed.
        stream->PrintString(type == KEFOType::FlowVariable     ? "gate "
                            : type == KEFOType::SourceVariable ? "house-event "
                                                               : "basic-event ");
        stream->PrintString(variable->GetPathAsString());
        _PrintLabel(variable, stream);
        if (type == KEFOType::FlowVariable || type == KEFOType::SourceVariable) {
            if (variable->GetDefinitionAsGate() != nullptr) {
                stream->PrintString(" = ");
                PrintGateAtQOLNFormat(variable->GetDefinitionAsGate(), stream);
            }
        } else if (variable->GetProbabilityDistribution() != nullptr) {
            stream->PrintString(" = ");
            PrintStochasticExpressionAtQOLNFormat(variable->GetProbabilityDistribution(), stream);
        }
        stream->PrintString(";\n");
        return;
    }
    default:
        if (KEFOType::IsCCFGroupType(type)) {
            _PrintCCFGroupAtQOLNFormat(static_cast<const KEFOCCFGroup*>(declaration), stream);
            return;
        }
        stream->PrintNewLine();
        return;
    }
}

void KEFOModelPrinter::_PrintCCFGroupAtQOLNFormat(const KEFOCCFGroup* group, PLOVStream* stream) {
    stream->PrintString("CCF-group ");
    stream->PrintString(group->GetPathAsString());
    stream->PrintString(" = ");
    stream->PrintString(CCFModelKeyword(group->GetType()));
    _PrintLabel(group, stream);
    stream->PrintString(" [");
    bool first = true;
    for (int i = 1; i <= group->GetSizeOfMembers(); ++i) {
        const KEFOGate* member = group->GetMember(i);
        if (member == nullptr) continue;
        if (!first) stream->PrintString(", ");
        first = false;
        PrintGateAtQOLNFormat(member, stream);
    }
    stream->PrintString("] [");
    first = true;
    for (int i = 1; i <= group->GetSizeOfFactors(); ++i) {
        const KEFOStochasticExpression* factor = group->GetFactor(i);
        if (factor == nullptr) continue;
        if (!first) stream->PrintString(", ");
        first = false;
        PrintStochasticExpressionAtQOLNFormat(factor, stream);
    }
    stream->PrintString("]");
    if (group->GetDistribution() != nullptr) {
        stream->PrintChar(' ');
        PrintStochasticExpressionAtQOLNFormat(group->GetDistribution(), stream);
    }
    stream->PrintString(";\n");
}

void KEFOModelPrinter::PrintGateAtQOLNFormat(const KEFOGate* gate, PLOVStream* stream) {
    if (gate == nullptr) return;
    std::vector<Piece> stack;
    stack.push_back({gate, nullptr});
    while (!stack.empty()) {
        Piece piece = stack.back();
        stack.pop_back();
        if (piece.term == nullptr) {
            stream->PrintString(piece.text);
            continue;
        }
        const KEFOTerm* term = piece.term;
        if (!term->IsGate()) continue;
        const KEFOGate* g = static_cast<const KEFOGate*>(term);
        switch (g->GetType()) {
        case KEFOGate::Reference: stream->PrintString(GetReferencePath(g)); break;
        case KEFOGate::Constant: stream->PrintString(g->GetConstantValue() ? "true" : "false"); break;
        case KEFOGate::And:
        case KEFOGate::Or:
            if (IsInfixGate(g)) {
                int priority = g->GetPriority();
                PushChildren(stack, g, g->GetType() == KEFOGate::And ? " and " : " or ",
                             [priority](const KEFOTerm* child) {
                                 return IsInfixGate(child) && GatePriority(child) >= priority;
                             });
            } else {
                // Fewer than two children: the function-call form.
                stream->PrintString(g->GetType() == KEFOGate::And ? "and(" : "or(");
                stack.push_back({nullptr, ")"});
                PushChildren(stack, g, ", ", [](const KEFOTerm*) { return false; });
            }
            break;
        case KEFOGate::Nand:
        case KEFOGate::Nor:
            stream->PrintString(g->GetType() == KEFOGate::Nand ? "nand(" : "nor(");
            stack.push_back({nullptr, ")"});
            PushChildren(stack, g, ", ", [](const KEFOTerm*) { return false; });
            break;
        case KEFOGate::AtLeast:
        case KEFOGate::AtMost:
        case KEFOGate::Cardinality:
            if (g->GetType() == KEFOGate::AtLeast)
                stream->Printf("atleast %d (", g->GetAttributeAsInt("__min__", 0));
            else if (g->GetType() == KEFOGate::AtMost)
                stream->Printf("atmost %d (", g->GetAttributeAsInt("__max__", 0));
            else
                stream->Printf("cardinality %d, %d (", g->GetAttributeAsInt("__min__", 0),
                               g->GetAttributeAsInt("__max__", 0));
            stack.push_back({nullptr, ")"});
            PushChildren(stack, g, ", ", [](const KEFOTerm*) { return false; });
            break;
        case KEFOGate::Not:
            stream->PrintString("not ");
            if (g->GetFirstChild() != nullptr) PushTerm(stack, g->GetFirstChild(), IsInfixGate(g->GetFirstChild()));
            break;
        default: break;
        }
    }
}

void KEFOModelPrinter::PrintStochasticExpressionAtQOLNFormat(const KEFOStochasticExpression* expression,
                                                             PLOVStream* stream) {
    if (expression == nullptr) return;
    std::vector<Piece> stack;
    stack.push_back({expression, nullptr});
    while (!stack.empty()) {
        Piece piece = stack.back();
        stack.pop_back();
        if (piece.term == nullptr) {
            stream->PrintString(piece.text);
            continue;
        }
        if (!piece.term->IsStochasticExpression()) continue;
        const E* e = static_cast<const E*>(piece.term);
        int type = e->GetType();
        switch (type) {
        case E::Parameter: stream->PrintString(GetReferencePath(e)); continue;
        case E::Boolean:
        case E::Integer:
        case E::Real:
        case E::String: PrintConstant(e, stream); continue;
        case E::Pi: stream->PrintString("pi"); continue;
        case E::MissionTime: stream->PrintString("mission-time"); continue;
        case E::EmpiricalDistribution:
        case E::Histogram: {
            const KEFOEmpiricalDistribution* table = e->GetTable();
            stream->PrintString(type == E::Histogram ? "histogram(\"" : "empirical-distribution(\"");
            stream->PrintString(table != nullptr ? table->GetFileName() : "");
            stream->PrintChar('"');
            if (type == E::EmpiricalDistribution && table != nullptr &&
                table->GetType() == KEFOEmpiricalDistribution::Step)
                stream->PrintString(", step");
            stream->PrintChar(')');
            continue;
        }
        default: break;
        }
        if (IsInfixExpression(e)) {
            int priority = e->GetPriority();
            const char* separator = type == E::And ? " and " : type == E::Or ? " or " : ComparisonText(type);
            PushChildren(stack, e, separator, [priority](const KEFOTerm* child) {
                return IsLeadingExpressionForm(child) || ExpressionPriority(child) >= priority;
            });
            continue;
        }
        if (IsPrefixNot(e)) {
            stream->PrintString("not ");
            const KEFOTerm* child = e->GetFirstChild();
            PushTerm(stack, child, IsLeadingExpressionForm(child) || ExpressionPriority(child) > e->GetPriority());
            continue;
        }
        if (type == E::Neg && e->GetNumberOfChildren() == 1 && IsUnsignedNumber(e->GetFirstChild())) {
            stream->PrintChar('-');
            PrintConstant(static_cast<const E*>(e->GetFirstChild()), stream);
            continue;
        }
        if (type == E::Ite && e->GetNumberOfChildren() == 3) {
            stream->PrintString("if ");
            stack.push_back({e->GetChild(3), nullptr});
            stack.push_back({nullptr, " else "});
            stack.push_back({e->GetChild(2), nullptr});
            stack.push_back({nullptr, " then "});
            stack.push_back({e->GetChild(1), nullptr});
            continue;
        }
        if (IsSwitchInBraceForm(e)) {
            stream->PrintString("switch { ");
            stack.push_back({nullptr, " }"});
            stack.push_back({e->GetLastChild(), nullptr});
            stack.push_back({nullptr, "else "});
            std::vector<const KEFOTerm*> cases;
            for (const KEFOTerm* c = e->GetFirstChild(); c != e->GetLastChild(); c = c->GetNextSibling())
                cases.push_back(c);
            for (std::size_t i = cases.size(); i-- > 0;) {
                stack.push_back({nullptr, ", "});
                stack.push_back({cases[i]->GetChild(2), nullptr});
                stack.push_back({nullptr, " : "});
                stack.push_back({cases[i]->GetChild(1), nullptr});
                stack.push_back({nullptr, "case "});
            }
            continue;
        }
        // Every other kind: keyword(child, child, ...).
        const char* functor = E::GetFunctorFromType(type);
        stream->PrintString(functor != nullptr ? functor : "?");
        stream->PrintChar('(');
        stack.push_back({nullptr, ")"});
        PushChildren(stack, e, ", ", [](const KEFOTerm*) { return false; });
    }
}
