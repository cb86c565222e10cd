// The entry point of the library.
#include "kefo.h"

#include "script/interpreter.h"
#include "support/exception.h"
#include "support/memory_manager.h"

#include <cstdio>
#include <exception>
#include <new>

namespace {
void DeleteInterpreter(KEFOInterpreter*& interpreter) noexcept {
    KEFOInterpreter* doomed = interpreter;
    interpreter = nullptr;
    delete doomed;
}

int Fail(KEFOInterpreter*& interpreter, bool memoryOverflow) {
    // The interpreter of a failed run is destroyed too, so that a host that
    // calls again loses nothing.
    DeleteInterpreter(interpreter);
    std::fputs(memoryOverflow ? "KEFO ran out of memory\n" : "KEFO internal error\n", stderr);
    std::fflush(stderr);
    std::fflush(stdout);
    return 1;
}
}  // namespace

extern "C" int KEFO_EvalScript(char* path) {
    KEFOInterpreter* interpreter = nullptr;
    int errors = 0;
    try {
        PLOVMemoryManager::Start();
        interpreter = new KEFOInterpreter();
        interpreter->DownloadAndExecuteScript(errors, path);
        DeleteInterpreter(interpreter);
        PLOVMemoryManager::Stop();
        return errors;
    } catch (const PLOVException& exception) {
        return Fail(interpreter, exception.GetKind() == PLOVException::MemoryOverflow);
    } catch (const std::bad_alloc&) {
        return Fail(interpreter, true);
    } catch (...) {
        return Fail(interpreter, false);
    }
}
