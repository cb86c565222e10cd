// A named numeric value of the model, defined by a stochastic expression.
#ifndef KEFO_MODEL_PARAMETER_H
#define KEFO_MODEL_PARAMETER_H

#include "model/port.h"

class KEFOStochasticExpression;

class KEFOParameter : public KEFOPort {
    PLOV_MANAGED_ALLOCATION(KEFOParameter)
public:
    KEFOParameter(KEFOContainer* owner, KEFOPath* path);
    ~KEFOParameter() override;

    // The definition as an expression (null when there is none or it is not
    // an expression).
    KEFOStochasticExpression* GetDefinitionAsExpression() const;
};

#endif
