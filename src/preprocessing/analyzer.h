// Parent counts of the variables under a variable: the integer attribute
// "__NUMBER_OF_PARENTS__" of each variable (0 when absent) counts the
// references to it in the definitions below the top variable.
#ifndef KEFO_PREPROCESSING_ANALYZER_H
#define KEFO_PREPROCESSING_ANALYZER_H

#include "support/memory_manager.h"

#include <vector>

class KEFOInterpreter;
class KEFOVariable;

class KEFOAnalyzer {
    PLOV_MANAGED_ALLOCATION(KEFOAnalyzer)
public:
    static const char* const attributeName;  // "__NUMBER_OF_PARENTS__"

    explicit KEFOAnalyzer(KEFOInterpreter* interpreter = nullptr) : _interpreter(interpreter) {}
    KEFOAnalyzer(const KEFOAnalyzer&) = delete;
    KEFOAnalyzer& operator=(const KEFOAnalyzer&) = delete;

    KEFOInterpreter* GetInterpreter() const { return _interpreter; }

    void ResetNumberOfParents(KEFOVariable* variable);
    void IncrementNumberOfParents(KEFOVariable* variable);
    static int GetNumberOfParents(const KEFOVariable* variable);
    // Larger count first: negative when a has more parents than b.
    static int CompareNumbersOfParents(const KEFOVariable* a, const KEFOVariable* b);
    // Counts the parents of every variable under the top (each definition
    // below it walked once, nested connectives included) and lists those
    // variables by decreasing count; equal counts keep the depth-first
    // order of first visit.
    void SortDescendantsByDecreasingNumbersOfParents(KEFOVariable* top, std::vector<KEFOVariable*>& sorted);

private:
    KEFOInterpreter* _interpreter;
};

#endif
