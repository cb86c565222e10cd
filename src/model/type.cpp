#include "model/type.h"

namespace {
inline int TypeOf(const KEFOObject* object) { return object != nullptr ? object->GetType() : -1; }
}  // namespace

bool KEFOType::TestAsBlock(const KEFOObject* object) {
    int type = TypeOf(object);
    return type == Model || type == Block;
}

bool KEFOType::TestAsClass(const KEFOObject* object) { return TypeOf(object) == Class; }

bool KEFOType::TestAsParameter(const KEFOObject* object) { return TypeOf(object) == Parameter; }

bool KEFOType::TestAsVariable(const KEFOObject* object) { return IsVariableType(TypeOf(object)); }

bool KEFOType::TestAsStateVariable(const KEFOObject* object) {
    int type = TypeOf(object);
    return type == Variable || type == StateVariable;
}

bool KEFOType::TestAsFlowVariable(const KEFOObject* object) {
    int type = TypeOf(object);
    return type == Variable || type == FlowVariable;
}

bool KEFOType::TestAsSourceVariable(const KEFOObject* object) {
    int type = TypeOf(object);
    return type == Variable || type == SourceVariable;
}

bool KEFOType::TestAsCCFGroup(const KEFOObject* object) { return IsCCFGroupType(TypeOf(object)); }

int KEFOType::CompareAsBlock(const KEFOObject* object, const void*) { return TestAsBlock(object) ? 0 : 1; }
int KEFOType::CompareAsClass(const KEFOObject* object, const void*) { return TestAsClass(object) ? 0 : 1; }
int KEFOType::CompareAsParameter(const KEFOObject* object, const void*) {
    return TestAsParameter(object) ? 0 : 1;
}
int KEFOType::CompareAsVariable(const KEFOObject* object, const void*) { return TestAsVariable(object) ? 0 : 1; }
int KEFOType::CompareAsStateVariable(const KEFOObject* object, const void*) {
    return TestAsStateVariable(object) ? 0 : 1;
}
int KEFOType::CompareAsFlowVariable(const KEFOObject* object, const void*) {
    return TestAsFlowVariable(object) ? 0 : 1;
}
int KEFOType::CompareAsSourceVariable(const KEFOObject* object, const void*) {
    return TestAsSourceVariable(object) ? 0 : 1;
}
int KEFOType::CompareAsCCFGroup(const KEFOObject* object, const void*) { return TestAsCCFGroup(object) ? 0 : 1; }
