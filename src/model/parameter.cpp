#include "model/parameter.h"

#include "model/stochastic_expression.h"
#include "model/type.h"

KEFOParameter::KEFOParameter(KEFOContainer* owner, KEFOPath* path) : KEFOPort(KEFOType::Parameter, owner, path) {}

KEFOParameter::~KEFOParameter() = default;

KEFOStochasticExpression* KEFOParameter::GetDefinitionAsExpression() const {
    KEFOTerm* definition = GetDefinition();
    if (definition == nullptr || !definition->IsStochasticExpression()) return nullptr;
    return static_cast<KEFOStochasticExpression*>(definition);
}
