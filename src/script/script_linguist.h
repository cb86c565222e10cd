// Words of the script language: the built-in command words.
#ifndef KEFO_SCRIPT_SCRIPT_LINGUIST_H
#define KEFO_SCRIPT_SCRIPT_LINGUIST_H

class KEFOScriptLinguist {
public:
    // True for "build", "check", "compute", "load", "print", "reset", "set",
    // "skip" and "test" (exact, case-sensitive).
    static bool IsBuiltinCommandName(const char* text);
};

#endif
