// A node of a numeric or probabilistic expression: constants, references to
// parameters, arithmetic, logic and mathematical functions, conditionals,
// time-dependent failure distributions, tabulated distributions and random
// deviates. Each node keeps a value slot: the constant's value for constants,
// the last computed value otherwise (for deviates, the last drawn value).
// Evaluation at a time t is done by KEFOExpressionEvaluator (through the
// calculator). Children are numbered from 1.
#ifndef KEFO_MODEL_STOCHASTIC_EXPRESSION_H
#define KEFO_MODEL_STOCHASTIC_EXPRESSION_H

#include "model/term.h"
#include "support/managed_value.h"

#include <string>
#include <vector>

class KEFOEmpiricalDistribution;
class KEFOParameter;

class KEFOStochasticExpression : public KEFOTerm {
    PLOV_MANAGED_ALLOCATION(KEFOStochasticExpression)
    friend class KEFOExpressionEvaluator;

public:
    enum Type {
        Parameter = 0,
        Boolean = 1,
        Integer = 2,
        Real = 3,
        String = 4,
        Pi = 5,
        MissionTime = 6,
        And = 7,
        Or = 8,
        Not = 9,
        Eq = 10,
        Df = 11,
        Lt = 12,
        Gt = 13,
        Leq = 14,
        Geq = 15,
        Neg = 16,
        Add = 17,
        Sub = 18,
        Mul = 19,
        Div = 20,
        Abs = 21,
        Acos = 22,
        Asin = 23,
        Atan = 24,
        Cos = 25,
        Cosh = 26,
        Exp = 27,
        Log = 28,
        Log10 = 29,
        Mod = 30,
        Pow = 31,
        Sin = 32,
        Sinh = 33,
        Tan = 34,
        Tanh = 35,
        Sqrt = 36,
        Ceil = 37,
        Floor = 38,
        Min = 39,
        Max = 40,
        Mean = 41,
        Ite = 42,
        Switch = 43,
        Case = 44,
        Dirac = 45,
        Periodic = 46,
        Exponential = 47,
        GLM = 48,
        MTT = 49,
        Dormant = 50,
        Weibull = 51,
        Standby = 52,
        PeriodicTest = 53,
        BoundTime = 54,
        FailureOnDemand = 55,
        EmpiricalDistribution = 56,
        UniformDeviate = 57,
        LoguniformDeviate = 58,
        NormalDeviate = 59,
        LognormalDeviate = 60,
        TriangularDeviate = 61,
        BetaDeviate = 62,
        GammaDeviate = 63,
        Histogram = 64
    };
    static const int numberOfTypes = 65;

    ~KEFOStochasticExpression() override;

    // Construction; the owner is the container in whose context the
    // expression is made. Given children become the node's children in order.
    static KEFOStochasticExpression* New(KEFOContainer* owner, int type);
    static KEFOStochasticExpression* New(KEFOContainer* owner, int type,
                                         const std::vector<KEFOStochasticExpression*>& children);
    static KEFOStochasticExpression* New(KEFOContainer* owner, int type, KEFOStochasticExpression* child1);
    static KEFOStochasticExpression* New(KEFOContainer* owner, int type, KEFOStochasticExpression* child1,
                                         KEFOStochasticExpression* child2);
    static KEFOStochasticExpression* New(KEFOContainer* owner, int type, KEFOStochasticExpression* child1,
                                         KEFOStochasticExpression* child2, KEFOStochasticExpression* child3);
    // A reference by path (takes ownership; expects type 201).
    static KEFOStochasticExpression* NewParameterReference(KEFOContainer* owner, KEFOPath* path);
    // A reference resolved at once.
    static KEFOStochasticExpression* NewParameterReference(KEFOContainer* owner, KEFOParameter* parameter);
    static KEFOStochasticExpression* NewBoolean(KEFOContainer* owner, bool value);
    static KEFOStochasticExpression* NewInteger(KEFOContainer* owner, int value);
    static KEFOStochasticExpression* NewReal(KEFOContainer* owner, double value);
    static KEFOStochasticExpression* NewString(KEFOContainer* owner, const char* value);
    // An empirical distribution or a histogram over a table (owned; may be
    // null and set later).
    static KEFOStochasticExpression* NewEmpiricalDistribution(KEFOContainer* owner, KEFOEmpiricalDistribution* table);
    static KEFOStochasticExpression* NewHistogram(KEFOContainer* owner, KEFOEmpiricalDistribution* table);
    // Deep copy in the context of `owner`: kind, value, failure intensity,
    // attributes (a referred path and a table are copied; engine pointers
    // with deleters and "__DEFINED_PORT__" are not) and children in order.
    static KEFOStochasticExpression* Copy(KEFOContainer* owner, const KEFOStochasticExpression* expression);

    // Keyword of a kind (null for an unknown code) and kind of a keyword (-1
    // for an unknown word).
    static const char* GetFunctorFromType(int type);
    static int GetTypeFromFunctor(const char* keyword);
    // Whether a node of that kind accepts n children; false for unknown codes.
    static bool CheckNumberOfChildren(int type, int n);
    // and 8, or 9, not 7, comparisons 6, add 5, sub 4, mul 3, div 2, neg 1,
    // others 0 (printers' parentheses).
    int GetPriority() const;
    static int GetPriority(int type);

    static KEFOStochasticExpression* AsExpression(KEFOTerm* term) {
        return term != nullptr && term->IsStochasticExpression() ? static_cast<KEFOStochasticExpression*>(term)
                                                                 : nullptr;
    }
    // Child i as an expression (null out of range or when not an expression).
    KEFOStochasticExpression* GetExpressionChild(int i) const { return AsExpression(GetChild(i)); }

    bool IsConstant() const { return GetType() >= Boolean && GetType() <= String; }
    // Uniform to gamma deviates and histograms: values drawn by the
    // uncertainty analysis.
    bool IsRandomDeviate() const { return GetType() >= UniformDeviate && GetType() <= Histogram; }
    static bool IsRandomDeviateType(int type) { return type >= UniformDeviate && type <= Histogram; }

    // The value slot.
    const PLOVManagedValue& GetValue() const { return _value; }
    PLOVManagedValue& GetMutableValue() { return _value; }
    // false unless a Boolean.
    bool GetValueAsBoolean() const { return _value.GetBool(); }
    // An integer, or a real truncated toward zero (saturated); 0 otherwise.
    int GetValueAsInteger() const;
    // Integers converted, non-numbers 0.
    double GetValueAsDouble() const { return _value.GetDouble(); }
    std::string GetValueAsRawString() const { return _value.ToRawString(); }
    std::string GetValueAsString() const { return _value.ToString(); }
    // The value slot of child i read as a double (0 when absent).
    double GetValueOfChildAsDouble(int i) const;

    bool IsParameterReference() const { return GetType() == Parameter; }
    KEFOParameter* GetReferredParameter() const;
    void SetReferredParameter(KEFOParameter* parameter);

    double GetUnconditionalFailureIntensity() const { return _failureIntensity; }
    void SetUnconditionalFailureIntensity(double w) { _failureIntensity = w; }

    // mission-time and the kinds periodic to empirical-distribution; a
    // parameter reference answers for the parameter's definition; the kinds
    // and to Dirac answer whether some child is; others false.
    bool IsTimeDependent() const;
    // exponential, GLM, dormant, standby, periodic-test and
    // empirical-distribution; a parameter reference answers for the
    // parameter's definition; the kinds and to periodic, MTT, Weibull and
    // bound-time answer whether some child is; others false.
    bool IsRepairDependent() const;

    // Tables of empirical distributions ("__EMPIRICAL_DISTRIBUTION__") and
    // histograms ("__HISTOGRAM__"), owned through the attribute.
    KEFOEmpiricalDistribution* GetEmpiricalDistribution() const;
    void SetEmpiricalDistribution(KEFOEmpiricalDistribution* table);
    KEFOEmpiricalDistribution* GetHistogram() const;
    void SetHistogram(KEFOEmpiricalDistribution* table);
    // The table the node's kind uses (null for other kinds).
    KEFOEmpiricalDistribution* GetTable() const;

private:
    KEFOStochasticExpression(int type, KEFOContainer* owner);

    PLOVManagedValue _value;
    double _failureIntensity = 0.0;
    // Set while the node is being evaluated (cuts cycles of parameters).
    bool _onStack = false;
};

#endif
