#include "model/expression_evaluator.h"

#include "model/distributions.h"
#include "model/empirical_distribution.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

const double KEFOExpressionEvaluator::smallestNormal = 2.2250738585072014e-308;
const double KEFOExpressionEvaluator::largest = 1.7976931348623157e308;

namespace {

typedef KEFOStochasticExpression E;

const PLOVManagedValue& nilValue = PLOVManagedValue::nil;

inline E* NextExpression(KEFOTerm* term) {
    while (term != nullptr && !term->IsStochasticExpression()) term = term->GetNextSibling();
    return static_cast<E*>(term);
}

inline E* FirstExpressionChild(const KEFOTerm* term) { return NextExpression(term->GetFirstChild()); }

inline E* NextExpressionSibling(const KEFOTerm* term) { return NextExpression(term->GetNextSibling()); }

// Up to `maximum` expression children; answers their number (all of them,
// even beyond the maximum).
int GatherChildren(const E* node, E** children, int maximum) {
    int n = 0;
    for (E* c = FirstExpressionChild(node); c != nullptr; c = NextExpressionSibling(c)) {
        if (n < maximum) children[n] = c;
        ++n;
    }
    return n;
}

inline bool IsSwitchCase(const E* e) { return e->GetType() == E::Case; }

}  // namespace

KEFOExpressionEvaluator::KEFOExpressionEvaluator() { _stack.reserve(64); }

KEFOExpressionEvaluator::~KEFOExpressionEvaluator() = default;

double KEFOExpressionEvaluator::ReadNumber(const PLOVManagedValue& value) {
    return ReadBounded(value, 0.0, largest);
}

int KEFOExpressionEvaluator::ReadInteger(const PLOVManagedValue& value) {
    if (value.IsInt()) return value.GetInt();
    if (!value.IsDouble()) return 0;
    double x = value.GetDouble();
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(x);
}

double KEFOExpressionEvaluator::ReadBounded(const PLOVManagedValue& value, double low, double high) {
    double x = value.GetDouble();
    if (!(x >= low)) return low;  // NaN reads low
    if (x > high) return high;
    return x;
}

void KEFOExpressionEvaluator::_Push(E* node, double t) {
    node->_onStack = true;
    _stack.push_back(Frame{node, FirstExpressionChild(node), t, 0});
}

void KEFOExpressionEvaluator::_Pop() {
    _stack.back().node->_onStack = false;
    _stack.pop_back();
}

const PLOVManagedValue& KEFOExpressionEvaluator::Evaluate(E* root, double t) {
    if (root == nullptr) return nilValue;
    const std::size_t base = _stack.size();
    try {
        _Push(root, t);
        while (_stack.size() > base) {
            Frame& f = _stack.back();
            E* e = f.node;
            switch (e->GetType()) {
            case E::Boolean:
            case E::Integer:
            case E::Real:
            case E::String:
                _Pop();
                break;
            case E::Pi:
                e->_value.SetDouble(3.14159265358979323846);
                _Pop();
                break;
            case E::MissionTime:
                e->_value.SetDouble(f.t);
                _Pop();
                break;
            case E::Parameter: {
                if (f.state == 1) {
                    e->_value.Set(f.cursor->_value);
                    _Pop();
                    break;
                }
                KEFOParameter* parameter = e->GetReferredParameter();
                E* definition = parameter != nullptr ? parameter->GetDefinitionAsExpression() : nullptr;
                if (definition == nullptr) {
                    e->_value.SetDouble(0.0);
                    _Pop();
                } else if (definition->_onStack) {
                    e->_value.Set(definition->_value);
                    _Pop();
                } else {
                    f.state = 1;
                    f.cursor = definition;
                    double t0 = f.t;
                    _Push(definition, t0);
                }
                break;
            }
            case E::Ite: {
                if (f.state == 0) {
                    E* condition = f.cursor;
                    if (condition == nullptr) {
                        e->_value.SetNil();
                        _Pop();
                        break;
                    }
                    f.state = 1;
                    double t0 = f.t;
                    _Push(condition, t0);
                } else if (f.state == 1) {
                    E* condition = FirstExpressionChild(e);
                    E* yes = NextExpressionSibling(condition);
                    E* no = yes != nullptr ? NextExpressionSibling(yes) : nullptr;
                    E* chosen = condition->_value.Is(true) ? yes : no;
                    if (chosen == nullptr) {
                        e->_value.SetNil();
                        _Pop();
                        break;
                    }
                    f.state = 2;
                    f.cursor = chosen;
                    double t0 = f.t;
                    _Push(chosen, t0);
                } else {
                    e->_value.Set(f.cursor->_value);
                    _Pop();
                }
                break;
            }
            case E::Switch: {
                // cursor: the child being examined.
                if (f.state == 0) {
                    E* candidate = f.cursor;
                    if (candidate == nullptr) {
                        e->_value.SetNil();
                        _Pop();
                        break;
                    }
                    double t0 = f.t;
                    if (IsSwitchCase(candidate)) {
                        E* condition = FirstExpressionChild(candidate);
                        if (condition == nullptr) {
                            f.cursor = NextExpressionSibling(candidate);
                            break;
                        }
                        f.state = 1;
                        _Push(condition, t0);
                    } else {
                        f.state = 3;
                        _Push(candidate, t0);
                    }
                } else if (f.state == 1) {
                    E* candidate = f.cursor;
                    E* condition = FirstExpressionChild(candidate);
                    if (condition->_value.Is(true)) {
                        E* value = NextExpressionSibling(condition);
                        if (value == nullptr) {
                            candidate->_value.SetNil();
                            e->_value.SetNil();
                            _Pop();
                            break;
                        }
                        f.state = 2;
                        double t0 = f.t;
                        _Push(value, t0);
                    } else {
                        f.cursor = NextExpressionSibling(candidate);
                        f.state = 0;
                    }
                } else if (f.state == 2) {
                    E* candidate = f.cursor;
                    E* value = NextExpressionSibling(FirstExpressionChild(candidate));
                    candidate->_value.Set(value->_value);
                    e->_value.Set(value->_value);
                    _Pop();
                } else {
                    e->_value.Set(f.cursor->_value);
                    _Pop();
                }
                break;
            }
            case E::BoundTime: {
                // Children 1 and 2 at t, then child 3 at the local time.
                if (f.state < 2) {
                    E* child = f.cursor;
                    if (child != nullptr) {
                        f.cursor = NextExpressionSibling(child);
                        ++f.state;
                        double t0 = f.t;
                        _Push(child, t0);
                        break;
                    }
                    f.state = 2;
                }
                if (f.state == 2) {
                    E* children[3] = {nullptr, nullptr, nullptr};
                    GatherChildren(e, children, 3);
                    double a = children[0] != nullptr ? ReadNumber(children[0]->_value) : 0.0;
                    double d = children[1] != nullptr ? ReadNumber(children[1]->_value) : 0.0;
                    double u = f.t < a ? 0.0 : (f.t <= a + d ? f.t - a : d);
                    if (children[2] == nullptr) {
                        e->_value.SetDouble(smallestNormal);
                        _Pop();
                        break;
                    }
                    f.state = 3;
                    f.cursor = children[2];
                    _Push(children[2], u);
                    break;
                }
                e->_value.SetDouble(ReadBounded(f.cursor->_value, smallestNormal, largest));
                _Pop();
                break;
            }
            case E::EmpiricalDistribution: {
                KEFOEmpiricalDistribution* table = e->GetEmpiricalDistribution();
                e->_value.SetDouble(table != nullptr ? table->GetYFromX(f.t) : 0.0);
                _Pop();
                break;
            }
            case E::Histogram:
                if (e->_value.IsNil()) {
                    KEFOEmpiricalDistribution* table = e->GetHistogram();
                    e->_value.SetDouble(table != nullptr ? table->ComputeMean() : 0.0);
                }
                _Pop();
                break;
            default:
                if (E::IsRandomDeviateType(e->GetType())) {
                    if (!e->_value.IsNil()) {
                        _Pop();
                        break;
                    }
                    // Never drawn: its nominal value, from its arguments at
                    // time 0.
                    if (f.cursor != nullptr) {
                        E* child = f.cursor;
                        f.cursor = NextExpressionSibling(child);
                        _Push(child, 0.0);
                        break;
                    }
                    double arguments[3] = {0.0, 0.0, 0.0};
                    int n = 0;
                    for (E* c = FirstExpressionChild(e); c != nullptr && n < 3; c = NextExpressionSibling(c)) {
                        arguments[n++] = ReadBounded(c->_value, smallestNormal, largest);
                    }
                    e->_value.SetDouble(ComputeNominalValue(e->GetType(), arguments, n, nullptr));
                    _Pop();
                    break;
                }
                // Every other kind: all children at t, then the node.
                if (f.cursor != nullptr) {
                    E* child = f.cursor;
                    f.cursor = NextExpressionSibling(child);
                    double t0 = f.t;
                    _Push(child, t0);
                    break;
                }
                {
                    double t0 = f.t;
                    _Compute(e, t0);
                }
                _Pop();
                break;
            }
        }
    } catch (...) {
        while (_stack.size() > base) _Pop();
        throw;
    }
    return root->_value;
}

void KEFOExpressionEvaluator::_Compute(E* e, double t) {
    PLOVManagedValue& v = e->_value;
    E* c[10] = {};
    int n = GatherChildren(e, c, 10);
    auto num = [&c, n](int i) { return i <= n && i <= 10 ? ReadNumber(c[i - 1]->_value) : 0.0; };
    auto x = [&c, n](int i) -> const PLOVManagedValue& { return i <= n && i <= 10 ? c[i - 1]->_value : nilValue; };
    switch (e->GetType()) {
    case E::And:
    case E::Or: {
        if (n == 0 || !x(1).IsBool()) {
            v.SetNil();
            break;
        }
        bool isAnd = e->GetType() == E::And;
        bool result = x(1).GetBool();
        for (E* child = NextExpressionSibling(c[0]); child != nullptr; child = NextExpressionSibling(child)) {
            if (!child->_value.IsBool()) {
                v.SetNil();
                return;
            }
            result = isAnd ? (result && child->_value.GetBool()) : (result || child->_value.GetBool());
        }
        v.SetBool(result);
        break;
    }
    case E::Not:
        v.SetNot(x(1));
        break;
    case E::Eq:
        v.SetEq(x(1), x(2));
        break;
    case E::Df:
        v.SetDf(x(1), x(2));
        break;
    case E::Lt:
        v.SetLt(x(1), x(2));
        break;
    case E::Gt:
        v.SetGt(x(1), x(2));
        break;
    case E::Leq:
        v.SetLeq(x(1), x(2));
        break;
    case E::Geq:
        v.SetGeq(x(1), x(2));
        break;
    case E::Neg:
        v.SetNeg(x(1));
        break;
    case E::Add:
    case E::Mul:
    case E::Mean: {
        if (n == 0 || !x(1).IsNum()) {
            v.SetNil();
            break;
        }
        v.Set(x(1));
        bool isMul = e->GetType() == E::Mul;
        for (E* child = NextExpressionSibling(c[0]); child != nullptr && !v.IsNil();
             child = NextExpressionSibling(child)) {
            if (isMul) {
                v.SetMul(v, child->_value);
            } else {
                v.SetAdd(v, child->_value);
            }
        }
        if (e->GetType() == E::Mean && v.IsNum()) v.SetDouble(v.GetDouble() / n);
        break;
    }
    case E::Sub:
        v.SetSub(x(1), x(2));
        break;
    case E::Div:
        v.SetDiv(x(1), x(2));
        break;
    case E::Abs:
        v.SetAbs(x(1));
        break;
    case E::Acos:
        v.SetAcos(x(1));
        break;
    case E::Asin:
        v.SetAsin(x(1));
        break;
    case E::Atan:
        v.SetAtan(x(1));
        break;
    case E::Cos:
        v.SetCos(x(1));
        break;
    case E::Cosh:
        v.SetCosh(x(1));
        break;
    case E::Exp:
        v.SetExp(x(1));
        break;
    case E::Log:
        v.SetLog(x(1));
        break;
    case E::Log10:
        v.SetLog10(x(1));
        break;
    case E::Mod:
        v.SetMod(x(1), x(2));
        break;
    case E::Pow:
        v.SetPow(x(1), x(2));
        break;
    case E::Sin:
        v.SetSin(x(1));
        break;
    case E::Sinh:
        v.SetSinh(x(1));
        break;
    case E::Tan:
        v.SetTan(x(1));
        break;
    case E::Tanh:
        v.SetTanh(x(1));
        break;
    case E::Sqrt:
        v.SetSqrt(x(1));
        break;
    case E::Ceil:
        v.SetCeil(x(1));
        break;
    case E::Floor:
        v.SetFloor(x(1));
        break;
    case E::Min:
    case E::Max: {
        bool isMin = e->GetType() == E::Min;
        v.SetDouble(isMin ? largest : -largest);
        for (E* child = FirstExpressionChild(e); child != nullptr && !v.IsNil(); child = NextExpressionSibling(child)) {
            if (isMin) {
                v.SetInf(v, child->_value);
            } else {
                v.SetSup(v, child->_value);
            }
        }
        break;
    }
    case E::Case:
        if (x(1).Is(true) && n >= 2) {
            v.Set(x(2));
        } else {
            v.SetNil();
        }
        break;
    case E::Dirac: {
        double s = n >= 2 ? num(2) : t;
        v.SetDouble(num(1) >= s ? 1.0 : 0.0);
        break;
    }
    case E::Periodic:
        v.SetDouble(std::fmod(num(3) - num(1), num(2)) == 0.0 ? 1.0 : 0.0);
        break;
    case E::Exponential:
        v.SetDouble(KEFODistributions::Exponential(num(1), n >= 2 ? num(2) : t));
        break;
    case E::GLM:
        v.SetDouble(KEFODistributions::GLM(num(1), num(2), num(3), n >= 4 ? num(4) : t));
        break;
    case E::MTT:
        v.SetDouble(KEFODistributions::MTT(num(1), num(2), num(3)));
        break;
    case E::Dormant:
        v.SetDouble(KEFODistributions::Dormant(num(1), num(2), num(3)));
        break;
    case E::Weibull:
        v.SetDouble(KEFODistributions::Weibull(num(1), num(2), num(3), n >= 4 ? num(4) : t));
        break;
    case E::Standby: {
        int components = std::max(0, ReadInteger(x(1)));
        int m = std::min(std::max(ReadInteger(x(2)), 0), components);
        int r = std::min(std::max(ReadInteger(x(3)), 0), components);
        v.SetDouble(KEFODistributions::Standby(components, m, r, num(4), num(5), num(6)));
        break;
    }
    case E::PeriodicTest: {
        if (n >= 10) {
            // (lambda, lambda during tests, mu, tau, theta, gamma, pi,
            //  available during tests, sigma, omega)
            KEFODistributions::PeriodicTestParameters p;
            p.lambda = num(1);
            p.lambdaTest = num(2);
            p.mu = num(3);
            p.tau = num(4);
            p.theta = num(5);
            p.gamma = num(6);
            p.pi = num(7);
            p.availableDuringTest = x(8).IsBool() ? x(8).GetBool() : x(8).GetDouble() != 0.0;
            p.sigma = num(9);
            p.omega = num(10);
            v.SetDouble(KEFODistributions::PeriodicTest(p, t));
        } else if (n >= 4) {
            // (lambda, mu, tau, theta)
            KEFODistributions::PeriodicTestParameters p;
            p.lambda = p.lambdaTest = num(1);
            p.mu = num(2);
            p.tau = num(3);
            p.theta = num(4);
            v.SetDouble(KEFODistributions::PeriodicTest(p, t));
        } else {
            v.SetDouble(KEFODistributions::PeriodicTest(num(1), num(2), num(3), t));
        }
        break;
    }
    case E::FailureOnDemand:
        v.SetDouble(ReadBounded(x(1), 0.0, 1.0));
        break;
    default:
        v.SetNil();
        break;
    }
}

double KEFOExpressionEvaluator::EvaluateAsDouble(E* expression, double t) {
    return Evaluate(expression, t).GetDouble();
}

double KEFOExpressionEvaluator::EvaluateAsBoundedDouble(E* expression, double t, double low, double high) {
    return ReadBounded(Evaluate(expression, t), low, high);
}

double KEFOExpressionEvaluator::EvaluateAsProbability(E* expression, double t) {
    return ReadBounded(Evaluate(expression, t), 0.0, 1.0);
}

int KEFOExpressionEvaluator::ReadDeviateArguments(E* deviate, double* arguments, int maximum) {
    int n = 0;
    if (deviate == nullptr) return 0;
    for (E* c = FirstExpressionChild(deviate); c != nullptr && n < maximum; c = NextExpressionSibling(c)) {
        arguments[n++] = EvaluateAsBoundedDouble(c, 0.0, smallestNormal, largest);
    }
    return n;
}

double KEFOExpressionEvaluator::ComputeNominalValue(int type, const double* a, int n,
                                                    const KEFOEmpiricalDistribution* table) {
    auto arg = [a, n](int i) { return i < n ? a[i] : smallestNormal; };
    double value = 0.0;
    switch (type) {
    case E::UniformDeviate:
        value = arg(0) / 2.0 + arg(1) / 2.0;
        break;
    case E::LoguniformDeviate: {
        double low = arg(0);
        double high = arg(1);
        double ratio = std::log(high / low);
        value = ratio == 0.0 ? low : (high - low) / ratio;
        break;
    }
    case E::NormalDeviate:
    case E::LognormalDeviate:
        value = arg(0);
        break;
    case E::TriangularDeviate:
        value = arg(0) / 3.0 + arg(1) / 3.0 + arg(2) / 3.0;
        break;
    case E::BetaDeviate:
        value = arg(0) / (arg(0) + arg(1));
        break;
    case E::GammaDeviate:
        value = arg(0) * arg(1);
        break;
    case E::Histogram:
        value = table != nullptr ? table->ComputeMean() : 0.0;
        break;
    default:
        break;
    }
    return std::isnan(value) ? 0.0 : value;
}

void KEFOExpressionEvaluator::ResetDeviate(E* deviate) {
    if (deviate == nullptr || !deviate->IsRandomDeviate()) return;
    double arguments[3] = {0.0, 0.0, 0.0};
    int n = ReadDeviateArguments(deviate, arguments, 3);
    deviate->_value.SetDouble(ComputeNominalValue(deviate->GetType(), arguments, n, deviate->GetHistogram()));
}
