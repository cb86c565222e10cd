// The base of connections between ports (CCF groups).
#ifndef KEFO_MODEL_CONNECTION_H
#define KEFO_MODEL_CONNECTION_H

#include "model/declaration.h"

class KEFOConnection : public KEFODeclaration {
    PLOV_MANAGED_ALLOCATION(KEFOConnection)
public:
    KEFOConnection(int type, KEFOContainer* owner, KEFOPath* path) : KEFODeclaration(type, owner, path) {}
    ~KEFOConnection() override = default;
    bool IsConnection() const override { return true; }
};

#endif
