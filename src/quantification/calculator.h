// The quantification façade used by the compute commands. This part holds
// the evaluation of stochastic expressions at a mission time and the draw
// and reset of random deviates for uncertainty analyses
// (calculator_deviates.cpp); the probability computations over diagrams join
// it in their own files.
#ifndef KEFO_QUANTIFICATION_CALCULATOR_H
#define KEFO_QUANTIFICATION_CALCULATOR_H

#include "model/expression_evaluator.h"
#include "support/managed_value.h"
#include "support/memory_manager.h"

#include <vector>

class KEFOHandle;
class KEFOMissionProfile;
class KEFOParameter;
class KEFOStochasticExpression;
class KEFOVariable;
class PLOVCurve;
class PLOVRandomizer;

class KEFOCalculator {
    PLOV_MANAGED_ALLOCATION(KEFOCalculator)
public:
    static const long defaultRandomizerSeed = 12345;

    // Owns a Mersenne Twister generator (seeded 5489, then 12345).
    KEFOCalculator();
    virtual ~KEFOCalculator();
    KEFOCalculator(const KEFOCalculator&) = delete;
    KEFOCalculator& operator=(const KEFOCalculator&) = delete;

    // Evaluation at time t (see KEFOExpressionEvaluator): the value is stored
    // in every node visited and answered.
    const PLOVManagedValue& ComputeValueOfStochasticExpression(KEFOStochasticExpression* expression, double t);
    // The value read as a real (integers converted, other values 0).
    double ComputeValueOfStochasticExpressionAsDouble(KEFOStochasticExpression* expression, double t);
    // The value taken as a probability: read as a real and clamped into
    // [0, 1].
    double ComputeValueOfStochasticExpressionAsProbability(KEFOStochasticExpression* expression, double t);
    KEFOExpressionEvaluator& GetEvaluator() { return _evaluator; }

    // The generator of the random deviates.
    PLOVRandomizer* GetRandomizer() const { return _randomizer; }
    // Takes ownership and deletes the previous generator (null: a new
    // Mersenne Twister generator seeded with the default seed).
    void SetRandomizer(PLOVRandomizer* randomizer);
    long GetRandomizerSeed() const;
    // Restarts the generator's sequence from the seed.
    void SetRandomizerSeed(long seed);

    // Random deviates (uniform, loguniform, normal, lognormal, triangular,
    // beta and gamma deviates, histograms) of an expression tree: each gets a
    // new value drawn from the generator, or its nominal value on reset, in
    // its value slot, where evaluation reads it. Deviates below another are
    // drawn first; parameters referred to are not entered (their own
    // definitions are drawn through DrawRandomDeviatesOfParameter), so that a
    // shared parameter is drawn once per try. Arguments are the deviate's
    // children evaluated at time 0 as reals clamped into
    // [2.2250738585072014e-308, 1.7976931348623157e308]:
    //   uniform (a, b): a + u (b - a); nominal (a + b) / 2
    //   loguniform (a, b): exp(ln a + u (ln b - ln a)); nominal (b - a) / ln(b / a)
    //   normal (mean, deviation); nominal mean
    //   lognormal (mean, error factor, confidence level); nominal mean
    //   triangular (lower, mode, upper); nominal (lower + mode + upper) / 3
    //   beta (a, b); nominal a / (a + b)
    //   gamma (shape, scale); nominal shape scale
    //   histogram: the table's ordinate at a uniform abscissa u; nominal the
    //   mean of the table.
    // Answers the number of deviates set.
    int DrawRandomDeviates(KEFOStochasticExpression* expression);
    int ResetRandomDeviates(KEFOStochasticExpression* expression);
    // The deviates of a state variable's distribution, of a parameter's
    // definition, and of lists of them.
    int DrawRandomDeviatesOfVariable(KEFOVariable* variable);
    int ResetRandomDeviatesOfVariable(KEFOVariable* variable);
    int DrawRandomDeviatesOfParameter(KEFOParameter* parameter);
    int ResetRandomDeviatesOfParameter(KEFOParameter* parameter);
    int DrawRandomDeviates(const std::vector<KEFOVariable*>& variables, const std::vector<KEFOParameter*>& parameters);
    int ResetRandomDeviates(const std::vector<KEFOVariable*>& variables, const std::vector<KEFOParameter*>& parameters);

    // ---- Probabilities of handles (calculator_probability.cpp).
    // Loading at time t: the indicators of the handle's variables are reset,
    // its parameters and state variables computed at t, and the state
    // variables' probabilities copied into the handle's store.
    void ComputeProbabilitiesOfStateVariables(KEFOHandle* handle, double t);
    // The distribution's value at t taken as a probability; 1.0 (certain)
    // without a distribution. Stored in the variable's indicator.
    void ComputeProbabilityOfStateVariable(KEFOVariable* variable, double t);
    void ComputeValueOfParameter(KEFOParameter* parameter, double t);
    void ComputeValuesOfParameters(KEFOHandle* handle, double t);
    // The handle's top-event probability with its method, cached in the
    // target variable.
    double ComputeProbabilityOfTargetVariable(KEFOHandle* handle);
    // Loading at t, then the top-event probability.
    double _ComputeProbabilityOfTargetVariable(KEFOHandle* handle, double t);
    // The variable's probability indicator as it stands.
    double ComputeProbabilityOfStateVariable(KEFOHandle* handle, KEFOVariable* variable);
    double ComputeConditionalProbabilityOfStateVariable(KEFOHandle* handle, KEFOVariable* variable, bool value);
    double ComputeProbabilityOfGroupOfStateVariables(KEFOHandle* handle, const std::vector<KEFOVariable*>& group,
                                                    bool value);
    double ComputeConditionalProbabilityOfGroupOfStateVariables(KEFOHandle* handle,
                                                               const std::vector<KEFOVariable*>& group, bool value);
    double ComputeHighestMinimalCutsetProbability(KEFOHandle* handle);
    double ComputeNumberOfMinimalCutsets(KEFOHandle* handle);
    void ResetProbabilisticIndicatorsOfVariables(KEFOHandle* handle);
    void ResetProbabilisticIndicatorsOfVariables(const std::vector<KEFOVariable*>& variables);
    void ResetProbabilisticIndicatorsOfVariable(KEFOVariable* variable);

    // ---- Curves of the top-event probability (calculator_curves.cpp).
    // One point per mission time of the profile, in order.
    void ComputeTimeDistributionOfProbabilityOfTargetVariable(KEFOHandle* handle, KEFOMissionProfile* profile,
                                                              PLOVCurve* curve);
    // The point at t, unless the curve has one already.
    void ComputeTimePointOfProbabilityOfTargetVariable(KEFOHandle* handle, double t, PLOVCurve* curve);

private:
    // Post-order walk over the deviates of a tree.
    int _ForEachDeviate(KEFOStochasticExpression* expression, bool draw);
    void _DrawDeviate(KEFOStochasticExpression* deviate);
    void _ResetDeviate(KEFOStochasticExpression* deviate);
    double _DrawUniformDeviate(const double* a);
    double _DrawLoguniformDeviate(const double* a);
    double _DrawNormalDeviate(const double* a);
    double _DrawLognormalDeviate(const double* a);
    double _DrawTriangularDeviate(const double* a);
    double _DrawBetaDeviate(const double* a);
    double _DrawGammaDeviate(const double* a);
    double _DrawHistogramDeviate(KEFOStochasticExpression* deviate);

    KEFOExpressionEvaluator _evaluator;
    PLOVRandomizer* _randomizer;
};

#endif
