// Declaration type codes and the static tests and comparators on them used by
// CollectDeclarations and the typed look-ups.
#ifndef KEFO_MODEL_TYPE_H
#define KEFO_MODEL_TYPE_H

#include "model/object.h"

class KEFOType {
public:
    enum Type {
        Model = 101,
        Block = 102,
        Class = 103,
        Instance = 104,
        ExtendsDirective = 105,
        ClonesDirective = 106,
        EmbedsDirective = 107,
        Parameter = 201,
        Variable = 301,        // variable of undetermined kind
        StateVariable = 302,   // basic event
        FlowVariable = 303,    // gate
        SourceVariable = 304,  // house event
        BetaFactorCCFGroup = 401,
        MGLCCFGroup = 402,
        AlphaFactorCCFGroup = 403,
        PhiFactorCCFGroup = 404
    };

    // Values of entries of the diagram stores (forced false, forced true,
    // free), shared with the quantification.
    enum Value {
        False = 0,
        True = 1,
        Free = 2
    };

    static bool IsVariableType(int code) { return code >= Variable && code <= SourceVariable; }
    static bool IsCCFGroupType(int code) { return code >= BetaFactorCCFGroup && code <= PhiFactorCCFGroup; }
    static bool IsBlockType(int code) { return code >= Model && code <= ClonesDirective; }

    // model and block
    static bool TestAsBlock(const KEFOObject* object);
    static bool TestAsClass(const KEFOObject* object);
    static bool TestAsParameter(const KEFOObject* object);
    // any variable, whatever its kind
    static bool TestAsVariable(const KEFOObject* object);
    // undetermined or state variable (and likewise for flow and source)
    static bool TestAsStateVariable(const KEFOObject* object);
    static bool TestAsFlowVariable(const KEFOObject* object);
    static bool TestAsSourceVariable(const KEFOObject* object);
    static bool TestAsCCFGroup(const KEFOObject* object);

    // Comparator forms: zero when the test holds, 1 otherwise (the key is not
    // used).
    static int CompareAsBlock(const KEFOObject* object, const void* key);
    static int CompareAsClass(const KEFOObject* object, const void* key);
    static int CompareAsParameter(const KEFOObject* object, const void* key);
    static int CompareAsVariable(const KEFOObject* object, const void* key);
    static int CompareAsStateVariable(const KEFOObject* object, const void* key);
    static int CompareAsFlowVariable(const KEFOObject* object, const void* key);
    static int CompareAsSourceVariable(const KEFOObject* object, const void* key);
    static int CompareAsCCFGroup(const KEFOObject* object, const void* key);
};

#endif
