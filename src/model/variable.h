// A variable of the model: a state variable (basic event, value drawn from a
// probability distribution), a flow variable (gate, value given by a Boolean
// formula) or a source variable (house event, value given by a formula,
// usually a constant); type 301 is a variable whose kind is not known yet.
#ifndef KEFO_MODEL_VARIABLE_H
#define KEFO_MODEL_VARIABLE_H

#include "model/port.h"
#include "model/type.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class KEFOCCFGroup;
class KEFOGate;
class KEFOHandle;
class KEFOParameter;
class KEFOStochasticExpression;
class KEFOSystemVariable;

typedef std::map<std::string, KEFOHandle*, std::less<>> KEFOHandleTree;
// Zero when the handle matches the key.
typedef int (*KEFOHandleComparison)(const KEFOHandle* handle, const void* key);

class KEFOVariable : public KEFOPort {
    PLOV_MANAGED_ALLOCATION(KEFOVariable)
public:
    enum Value {
        False = 0,
        True = 1,
        Unknown = 2
    };

    KEFOVariable(int type, KEFOContainer* owner, KEFOPath* path);
    // Deletes the distribution and the handles.
    ~KEFOVariable() override;

    // Exact type tests.
    bool IsStateVariable() const { return GetType() == KEFOType::StateVariable; }
    bool IsFlowVariable() const { return GetType() == KEFOType::FlowVariable; }
    bool IsSourceVariable() const { return GetType() == KEFOType::SourceVariable; }
    bool IsUndeterminedVariable() const { return GetType() == KEFOType::Variable; }
    // A variable with a definition (not a state variable) whose module record
    // ("__MODULE_RECORD__", set by the rewriter's module detection) shows a
    // module.
    bool IsModule() const;

    // The definition as a gate (null when there is none or it is not a gate).
    KEFOGate* GetDefinitionAsGate() const;

    // Probability distribution (state variables); owned.
    KEFOStochasticExpression* GetProbabilityDistribution() const { return _distribution; }
    // Deletes the previous distribution.
    void SetProbabilityDistribution(KEFOStochasticExpression* distribution);
    KEFOStochasticExpression* ReleaseProbabilityDistribution();

    // Result handles, sorted by name and owned.
    const KEFOHandleTree& GetHandles() const { return _handles; }
    int GetNumberOfHandles() const { return static_cast<int>(_handles.size()); }
    KEFOHandle* LookForHandle(std::string_view name) const;
    // The first handle in name order for which compare(handle, key) is zero.
    KEFOHandle* SearchHandle(KEFOHandleComparison compare, const void* key) const;
    // Takes ownership; a handle of the same name is deleted first.
    KEFOHandle* InsertHandle(KEFOHandle* handle);
    // Takes the handle out of the tree without deleting it.
    KEFOHandle* RemoveHandle(std::string_view name);
    void DeleteHandle(std::string_view name);
    void DeleteHandle(KEFOHandle* handle);
    // Deletes the handles for which compare(handle, key) is zero (all of them
    // for a null compare).
    void DeleteHandles(KEFOHandleComparison compare, const void* key);

    KEFOCCFGroup* GetCCFGroup() const { return _ccfGroup; }
    void SetCCFGroup(KEFOCCFGroup* group) { _ccfGroup = group; }
    KEFOSystemVariable* GetSystemVariable() const { return _systemVariable; }
    void SetSystemVariable(KEFOSystemVariable* variable) { _systemVariable = variable; }

    Value GetValue() const { return _value; }
    void SetValue(Value value) { _value = value; }
    // Sets the value of a variable with a definition from its formula (the
    // referenced variables' values are read, not recomputed).
    void ComputeValue();

    // Reference counts below this variable: for every flow variable reachable
    // from this one (descending once into each), the number of references to
    // it from the definitions reached; singleton when that number is 1.
    void ResetLocalReferenceCounts();
    int GetLocalReferenceCount() const { return _localReferenceCount; }
    void SetLocalReferenceCount(int count) { _localReferenceCount = count; }
    bool IsSingleton() const { return _singleton; }
    void SetSingleton(bool singleton) { _singleton = singleton; }

    int GetBDDIndex() const { return _bddIndex; }
    void SetBDDIndex(int index) { _bddIndex = index; }
    int GetBDTIndex() const { return _bdtIndex; }
    void SetBDTIndex(int index) { _bdtIndex = index; }

    // Probabilistic indicators, -1.0 when not computed.
    void ResetProbabilisticIndicators();
    double GetProbability() const { return _probability; }
    void SetProbability(double p) { _probability = p; }
    double GetUnconditionalFailureIntensity() const { return _failureIntensity; }
    void SetUnconditionalFailureIntensity(double w) { _failureIntensity = w; }
    double GetConditionalProbability(bool value) const { return value ? _probabilityIfTrue : _probabilityIfFalse; }
    void SetConditionalProbability(bool value, double p) { (value ? _probabilityIfTrue : _probabilityIfFalse) = p; }
    double GetPartialDerivative() const { return _partialDerivative; }
    void SetPartialDerivative(double d) { _partialDerivative = d; }
    double GetMarginalImportanceFactor() const { return _marginalImportanceFactor; }
    void SetMarginalImportanceFactor(double f) { _marginalImportanceFactor = f; }

    // The distinct parameters the distribution and the definition use,
    // directly or through other parameters, in order of first use.
    void CollectParameters(std::vector<KEFOParameter*>& out) const;

private:
    KEFOStochasticExpression* _distribution = nullptr;
    KEFOHandleTree _handles;
    KEFOCCFGroup* _ccfGroup = nullptr;
    KEFOSystemVariable* _systemVariable = nullptr;
    Value _value = Unknown;
    int _localReferenceCount = 0;
    bool _singleton = false;
    int _bddIndex = 0;
    int _bdtIndex = 0;
    double _probability = -1.0;
    double _failureIntensity = -1.0;
    double _probabilityIfTrue = -1.0;
    double _probabilityIfFalse = -1.0;
    double _partialDerivative = -1.0;
    double _marginalImportanceFactor = -1.0;
};

#endif
