#include "model/stochastic_expression.h"

#include "model/empirical_distribution.h"
#include "model/parameter.h"
#include "model/path.h"
#include "model/type.h"

#include <cmath>
#include <cstring>
#include <unordered_set>

namespace {

typedef KEFOStochasticExpression E;

const char* const functors[E::numberOfTypes] = {
    "parameter", "bool", "int", "float", "string", "pi", "mission-time", "and", "or", "not",
    "eq", "df", "lt", "gt", "leq", "geq", "neg", "add", "sub", "mul",
    "div", "abs", "acos", "asin", "atan", "cos", "cosh", "exp", "log", "log10",
    "mod", "pow", "sin", "sinh", "tan", "tanh", "sqrt", "ceil", "floor", "min",
    "max", "mean", "ite", "switch", "case", "Dirac", "periodic", "exponential", "GLM", "MTT",
    "dormant", "Weibull", "standby", "periodic-test", "bound-time", "failure-on-demand",
    "empirical-distribution", "uniform-deviate", "loguniform-deviate", "normal-deviate",
    "lognormal-deviate", "triangular-deviate", "beta-deviate", "gamma-deviate", "histogram",
};

void DeleteTable(void* pointer) { delete static_cast<KEFOEmpiricalDistribution*>(pointer); }

}  // namespace

KEFOStochasticExpression::KEFOStochasticExpression(int type, KEFOContainer* owner) : KEFOTerm(type, owner, true) {
    const char* functor = GetFunctorFromType(type);
    if (functor != nullptr) GetAttributes().SetStaticStringAttribute("__FUNCTOR__", functor);
    if (type == Pi) _value.SetDouble(3.14159265358979323846);
}

KEFOStochasticExpression::~KEFOStochasticExpression() = default;

KEFOStochasticExpression* KEFOStochasticExpression::New(KEFOContainer* owner, int type) {
    return new KEFOStochasticExpression(type, owner);
}

KEFOStochasticExpression* KEFOStochasticExpression::New(KEFOContainer* owner, int type,
                                                        const std::vector<KEFOStochasticExpression*>& children) {
    KEFOStochasticExpression* expression = New(owner, type);
    for (KEFOStochasticExpression* child : children) expression->AppendChild(child);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::New(KEFOContainer* owner, int type,
                                                        KEFOStochasticExpression* child1) {
    KEFOStochasticExpression* expression = New(owner, type);
    expression->AppendChild(child1);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::New(KEFOContainer* owner, int type,
                                                        KEFOStochasticExpression* child1,
                                                        KEFOStochasticExpression* child2) {
    KEFOStochasticExpression* expression = New(owner, type);
    expression->AppendChild(child1);
    expression->AppendChild(child2);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::New(KEFOContainer* owner, int type,
                                                        KEFOStochasticExpression* child1,
                                                        KEFOStochasticExpression* child2,
                                                        KEFOStochasticExpression* child3) {
    KEFOStochasticExpression* expression = New(owner, type);
    expression->AppendChild(child1);
    expression->AppendChild(child2);
    expression->AppendChild(child3);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewParameterReference(KEFOContainer* owner, KEFOPath* path) {
    KEFOStochasticExpression* expression = New(owner, Parameter);
    expression->SetReferredPortType(KEFOType::Parameter);
    if (path != nullptr) expression->SetReferredPortPath(path);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewParameterReference(KEFOContainer* owner,
                                                                          KEFOParameter* parameter) {
    KEFOStochasticExpression* expression = New(owner, Parameter);
    expression->SetReferredPortType(KEFOType::Parameter);
    if (parameter != nullptr) expression->SetReferredPort(parameter);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewBoolean(KEFOContainer* owner, bool value) {
    KEFOStochasticExpression* expression = New(owner, Boolean);
    expression->_value.SetBool(value);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewInteger(KEFOContainer* owner, int value) {
    KEFOStochasticExpression* expression = New(owner, Integer);
    expression->_value.SetInt(value);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewReal(KEFOContainer* owner, double value) {
    KEFOStochasticExpression* expression = New(owner, Real);
    expression->_value.SetDouble(value);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewString(KEFOContainer* owner, const char* value) {
    KEFOStochasticExpression* expression = New(owner, String);
    expression->_value.SetRawString(value != nullptr ? value : "");
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewEmpiricalDistribution(KEFOContainer* owner,
                                                                             KEFOEmpiricalDistribution* table) {
    KEFOStochasticExpression* expression = New(owner, EmpiricalDistribution);
    if (table != nullptr) expression->SetEmpiricalDistribution(table);
    return expression;
}

KEFOStochasticExpression* KEFOStochasticExpression::NewHistogram(KEFOContainer* owner,
                                                                 KEFOEmpiricalDistribution* table) {
    KEFOStochasticExpression* expression = New(owner, Histogram);
    if (table != nullptr) expression->SetHistogram(table);
    return expression;
}

namespace {

// One node copied without its children.
KEFOStochasticExpression* CopyNode(KEFOContainer* owner, const KEFOStochasticExpression* from) {
    KEFOStochasticExpression* to = KEFOStochasticExpression::New(owner, from->GetType());
    to->GetMutableValue().Set(from->GetValue());
    to->SetUnconditionalFailureIntensity(from->GetUnconditionalFailureIntensity());
    const PLOVAttributeList& attributes = from->GetAttributes();
    for (int i = 0; i < attributes.GetNumberOfAttributes(); ++i) {
        const char* name = attributes.GetAttributeName(i);
        switch (attributes.GetAttributeTypeAt(i)) {
        case PLOVAttributeList::String:
            if (std::strcmp(name, "__FUNCTOR__") != 0) to->SetAttribute(name, attributes.GetAttributeAsString(name, ""));
            break;
        case PLOVAttributeList::Boolean:
            to->SetAttribute(name, attributes.GetAttributeAsBool(name, false));
            break;
        case PLOVAttributeList::Integer:
            to->SetAttribute(name, attributes.GetAttributeAsInt(name, 0));
            break;
        case PLOVAttributeList::Real:
            to->SetAttribute(name, attributes.GetAttributeAsDouble(name, 0.0));
            break;
        case PLOVAttributeList::Pointer:
            if (std::strcmp(name, "__REFERRED_PORT_PATH__") == 0) {
                KEFOPath* path = from->GetReferredPortPath();
                if (path != nullptr) to->SetReferredPortPath(path->Copy());
            } else if (std::strcmp(name, "__EMPIRICAL_DISTRIBUTION__") == 0) {
                if (from->GetEmpiricalDistribution() != nullptr) {
                    to->SetEmpiricalDistribution(new KEFOEmpiricalDistribution(*from->GetEmpiricalDistribution()));
                }
            } else if (std::strcmp(name, "__HISTOGRAM__") == 0) {
                if (from->GetHistogram() != nullptr) {
                    to->SetHistogram(new KEFOEmpiricalDistribution(*from->GetHistogram()));
                }
            } else if (std::strcmp(name, "__DEFINED_PORT__") != 0 && attributes.GetAttributeDeleter(name) == nullptr) {
                to->SetAttribute(name, attributes.GetAttributeAsPointer(name, nullptr));
            }
            break;
        default:
            break;
        }
    }
    return to;
}

}  // namespace

KEFOStochasticExpression* KEFOStochasticExpression::Copy(KEFOContainer* owner,
                                                         const KEFOStochasticExpression* expression) {
    if (expression == nullptr) return nullptr;
    KEFOStochasticExpression* root = CopyNode(owner, expression);
    // Pre-order with an explicit stack; each copy is appended to the copy of
    // its parent, so children keep their order.
    struct Frame {
        const KEFOTerm* source;
        KEFOStochasticExpression* parentCopy;
    };
    std::vector<Frame> stack;
    for (KEFOTerm* c = expression->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
        stack.push_back(Frame{c, root});
    }
    while (!stack.empty()) {
        Frame frame = stack.back();
        stack.pop_back();
        if (!frame.source->IsStochasticExpression()) continue;
        const KEFOStochasticExpression* source = static_cast<const KEFOStochasticExpression*>(frame.source);
        KEFOStochasticExpression* copy = CopyNode(owner, source);
        frame.parentCopy->AppendChild(copy);
        for (KEFOTerm* c = source->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
            stack.push_back(Frame{c, copy});
        }
    }
    return root;
}

const char* KEFOStochasticExpression::GetFunctorFromType(int type) {
    if (type < 0 || type >= numberOfTypes) return nullptr;
    return functors[type];
}

int KEFOStochasticExpression::GetTypeFromFunctor(const char* keyword) {
    if (keyword == nullptr) return -1;
    for (int type = 0; type < numberOfTypes; ++type) {
        if (std::strcmp(functors[type], keyword) == 0) return type;
    }
    return -1;
}

bool KEFOStochasticExpression::CheckNumberOfChildren(int type, int n) {
    switch (type) {
    case Parameter:
    case Boolean:
    case Integer:
    case Real:
    case String:
    case Pi:
    case MissionTime:
    case EmpiricalDistribution:
    case Histogram:
        return n == 0;
    case And:
    case Or:
    case Add:
    case Mul:
    case Min:
    case Max:
    case Mean:
        return n >= 2;
    case Not:
    case Neg:
    case Abs:
    case Acos:
    case Asin:
    case Atan:
    case Cos:
    case Cosh:
    case Exp:
    case Log:
    case Log10:
    case Sin:
    case Sinh:
    case Tan:
    case Tanh:
    case Sqrt:
    case Ceil:
    case Floor:
        return n == 1;
    case Eq:
    case Df:
    case Lt:
    case Gt:
    case Leq:
    case Geq:
    case Sub:
    case Div:
    case Mod:
    case Pow:
    case Case:
    case FailureOnDemand:
    case UniformDeviate:
    case LoguniformDeviate:
    case NormalDeviate:
    case BetaDeviate:
    case GammaDeviate:
        return n == 2;
    case Ite:
    case Periodic:
    case MTT:
    case Dormant:
    case BoundTime:
    case LognormalDeviate:
    case TriangularDeviate:
        return n == 3;
    case Switch:
        return n >= 1;
    case Dirac:
    case Exponential:
        return n == 1 || n == 2;
    case GLM:
    case Weibull:
        return n == 3 || n == 4;
    case Standby:
        return n == 6;
    case PeriodicTest:
        return n == 3 || n == 4 || n == 10;
    default:
        return false;
    }
}

int KEFOStochasticExpression::GetPriority(int type) {
    switch (type) {
    case And:
        return 8;
    case Or:
        return 9;
    case Not:
        return 7;
    case Eq:
    case Df:
    case Lt:
    case Gt:
    case Leq:
    case Geq:
        return 6;
    case Add:
        return 5;
    case Sub:
        return 4;
    case Mul:
        return 3;
    case Div:
        return 2;
    case Neg:
        return 1;
    default:
        return 0;
    }
}

int KEFOStochasticExpression::GetPriority() const { return GetPriority(GetType()); }

int KEFOStochasticExpression::GetValueAsInteger() const {
    if (_value.IsInt()) return _value.GetInt();
    if (!_value.IsDouble()) return 0;
    double x = _value.GetDouble();
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(x);
}

double KEFOStochasticExpression::GetValueOfChildAsDouble(int i) const {
    KEFOStochasticExpression* child = GetExpressionChild(i);
    return child != nullptr ? child->GetValueAsDouble() : 0.0;
}

KEFOParameter* KEFOStochasticExpression::GetReferredParameter() const {
    KEFOPort* port = GetReferredPort();
    if (port == nullptr || port->GetType() != KEFOType::Parameter) return nullptr;
    return static_cast<KEFOParameter*>(port);
}

void KEFOStochasticExpression::SetReferredParameter(KEFOParameter* parameter) {
    if (parameter == nullptr) {
        ResetReferredPort();
    } else {
        SetReferredPort(parameter);
    }
}

namespace {

// Whether the expression depends on something, through the kinds that pass
// the dependency on from their children and through parameter definitions.
bool Depends(const KEFOStochasticExpression* root, bool (*source)(int), bool (*passes)(int)) {
    std::vector<const KEFOStochasticExpression*> stack{root};
    std::unordered_set<const KEFOParameter*> parameters;
    while (!stack.empty()) {
        const KEFOStochasticExpression* e = stack.back();
        stack.pop_back();
        int type = e->GetType();
        if (source(type)) return true;
        if (type == E::Parameter) {
            KEFOParameter* parameter = e->GetReferredParameter();
            if (parameter == nullptr || !parameters.insert(parameter).second) continue;
            KEFOStochasticExpression* definition = parameter->GetDefinitionAsExpression();
            if (definition != nullptr) stack.push_back(definition);
        } else if (passes(type)) {
            for (KEFOTerm* c = e->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
                KEFOStochasticExpression* child = E::AsExpression(c);
                if (child != nullptr) stack.push_back(child);
            }
        }
    }
    return false;
}

bool IsTimeSource(int type) { return type == E::MissionTime || (type >= E::Periodic && type <= E::EmpiricalDistribution); }
bool PassesTime(int type) { return type >= E::And && type <= E::Dirac; }
bool IsRepairSource(int type) {
    return type == E::Exponential || type == E::GLM || type == E::Dormant || type == E::Standby ||
           type == E::PeriodicTest || type == E::EmpiricalDistribution;
}
bool PassesRepair(int type) {
    return (type >= E::And && type <= E::Periodic) || type == E::MTT || type == E::Weibull || type == E::BoundTime;
}

}  // namespace

bool KEFOStochasticExpression::IsTimeDependent() const { return Depends(this, IsTimeSource, PassesTime); }

bool KEFOStochasticExpression::IsRepairDependent() const { return Depends(this, IsRepairSource, PassesRepair); }

KEFOEmpiricalDistribution* KEFOStochasticExpression::GetEmpiricalDistribution() const {
    return static_cast<KEFOEmpiricalDistribution*>(GetAttributeAsPointer("__EMPIRICAL_DISTRIBUTION__"));
}

void KEFOStochasticExpression::SetEmpiricalDistribution(KEFOEmpiricalDistribution* table) {
    if (table == nullptr) {
        ResetAttribute("__EMPIRICAL_DISTRIBUTION__");
    } else {
        SetAttribute("__EMPIRICAL_DISTRIBUTION__", static_cast<void*>(table), DeleteTable);
    }
}

KEFOEmpiricalDistribution* KEFOStochasticExpression::GetHistogram() const {
    return static_cast<KEFOEmpiricalDistribution*>(GetAttributeAsPointer("__HISTOGRAM__"));
}

void KEFOStochasticExpression::SetHistogram(KEFOEmpiricalDistribution* table) {
    if (table == nullptr) {
        ResetAttribute("__HISTOGRAM__");
    } else {
        SetAttribute("__HISTOGRAM__", static_cast<void*>(table), DeleteTable);
    }
}

KEFOEmpiricalDistribution* KEFOStochasticExpression::GetTable() const {
    if (GetType() == EmpiricalDistribution) return GetEmpiricalDistribution();
    if (GetType() == Histogram) return GetHistogram();
    return nullptr;
}
