#include "script/script_linguist.h"

#include <cstring>

bool KEFOScriptLinguist::IsBuiltinCommandName(const char* text) {
    static const char* const words[] = {"build", "check", "compute", "load", "print",
                                        "reset", "set",   "skip",    "test"};
    if (text == nullptr) return false;
    for (const char* word : words)
        if (std::strcmp(word, text) == 0) return true;
    return false;
}
