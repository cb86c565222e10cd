// The visit dates of a variable in the module detection of the rewriter,
// attached to the variable as the attribute "__MODULE_RECORD__" (owned by the
// attribute: its deleter deletes the record).
//
// A variable is a module when every one of its descendants is first visited
// after it and last visited before the walk leaves it: nothing below it is
// reached from the top except through it.
#ifndef KEFO_PREPROCESSING_MODULE_RECORD_H
#define KEFO_PREPROCESSING_MODULE_RECORD_H

#include "support/memory_manager.h"

#include <climits>

class KEFOVariable;

class KEFOModuleRecord {
    PLOV_MANAGED_ALLOCATION(KEFOModuleRecord)
public:
    static const char* const attributeName;  // "__MODULE_RECORD__"
    static const int notUpdated = INT_MAX;

    KEFOModuleRecord() { Reset(); }

    // Visit dates 0, lowest date INT_MAX, highest date 0.
    void Reset() {
        _firstDate = 0;
        _secondDate = 0;
        _lastDate = 0;
        _lowestDate = notUpdated;
        _highestDate = 0;
    }
    // The lowest date has been synthesized.
    bool IsUpdated() const { return _lowestDate != notUpdated; }
    bool IsModule() const { return _firstDate <= _lowestDate && _secondDate >= _highestDate; }
    // All five dates 0: the record then tells a module.
    void MakeModule() {
        _firstDate = _secondDate = _lastDate = _lowestDate = _highestDate = 0;
    }

    int GetFirstDate() const { return _firstDate; }
    int GetSecondDate() const { return _secondDate; }
    int GetLastDate() const { return _lastDate; }
    int GetLowestDate() const { return _lowestDate; }
    int GetHighestDate() const { return _highestDate; }
    void SetFirstDate(int date) { _firstDate = date; }
    void SetSecondDate(int date) { _secondDate = date; }
    void SetLastDate(int date) { _lastDate = date; }
    void SetLowestDate(int date) { _lowestDate = date; }
    void SetHighestDate(int date) { _highestDate = date; }

    // The record of a variable (null when it has none).
    static KEFOModuleRecord* Get(const KEFOVariable* variable);
    // The record of a variable, made (reset) when missing.
    static KEFOModuleRecord* Obtain(KEFOVariable* variable);
    static void Delete(void* record);

private:
    int _firstDate;
    int _secondDate;
    int _lastDate;
    int _lowestDate;
    int _highestDate;
};

#endif
