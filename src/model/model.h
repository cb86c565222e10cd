// The root of a model: a block without owner or path (type 101), with the
// mission time, the name of the format it was read from and the pure flag
// (in a pure model paths are never split at dots).
#ifndef KEFO_MODEL_MODEL_H
#define KEFO_MODEL_MODEL_H

#include "model/block.h"
#include "model/variable.h"

#include <string>
#include <vector>

class PLOVMessenger;
class PLOVStream;

class KEFOModel : public KEFOBlock {
    PLOV_MANAGED_ALLOCATION(KEFOModel)
public:
    KEFOModel();
    ~KEFOModel() override;

    bool IsModel() const override { return true; }

    double GetMissionTime() const { return _missionTime; }
    void SetMissionTime(double t) { _missionTime = t; }
    const char* GetFormat() const { return _format.c_str(); }
    void SetFormat(const char* format) { _format = format != nullptr ? format : ""; }

    // Sets the value of every state variable to stateValue and of every flow
    // and source variable to flowValue, in the whole model.
    void ResetValues(KEFOVariable::Value stateValue, KEFOVariable::Value flowValue);
    // Recomputes, by three-valued evaluation, the value of every variable of
    // the model defined by a formula, each after the defined variables its
    // formula refers to (a cycle is cut where it closes).
    void ComputeValues();
    // The same for the given variables only (variables outside the list keep
    // their values).
    void ComputeValues(const std::vector<KEFOVariable*>& variables);
    // One line "-- %s %d\n" per declaration of the model: path and flag.
    void Dump(PLOVStream* stream) const;

    // Completion of a target model, over the whole model: an undetermined
    // variable becomes a state variable; a state variable without
    // distribution gets the real constant 0; a flow or source variable
    // without definition gets the constant false; a parameter without
    // definition gets the real constant 0.
    void CompleteModel();
    // Expands every CCF group of the model that is not expanded yet (see
    // KEFOCCFGroup::Expand), then removes and deletes every expanded group.
    // A group whose expansion fails stays. Does nothing when errors is
    // non-zero on entry.
    void ExpandCCFGroups(int& errors, PLOVMessenger* store);

private:
    double _missionTime = 0.0;
    std::string _format = "open-psa";
};

#endif
