// Placeholder entry point until the interpreter lands.
#include "kefo.h"

#include <cstdio>

extern "C" int KEFO_EvalScript(char* path) {
    if (path == nullptr) return 1;
    std::printf("load KEFO script %s\n", path);
    return 0;
}
