// libFuzzer target of the script parser: arbitrary bytes are parsed as a
// script. Whatever the input, parsing ends (with or without coded errors)
// without a crash, a leak or undefined behaviour; and a script that parses
// prints into a text that parses again and prints the same way.
#include "script/interpreter.h"
#include "script/messenger.h"
#include "script/script_command.h"
#include "script/script_parser.h"
#include "script/script_printer.h"
#include "support/stream.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
KEFOInterpreter* Engine() {
    static KEFOInterpreter* interpreter = [] {
        KEFOInterpreter* made = new KEFOInterpreter();
        made->GetMessenger()->SetErrorStream(new PLOVStringStream());
        return made;
    }();
    return interpreter;
}

// Parses the bytes into root; the number of errors.
int Parse(const char* data, std::size_t size, KEFOScriptCommand* root) {
    std::vector<char> buffer(data, data + size);
    FILE* file = size == 0 ? std::tmpfile() : fmemopen(buffer.data(), size, "r");
    if (file == nullptr) return -1;
    int errors = 0;
    Engine()->GetScriptParser()->ParseScript(errors, file, "fuzz.kefo", root);
    std::fclose(file);
    return errors;
}

std::string Print(KEFOScriptCommand* root) {
    PLOVStringStream stream;
    int errors = 0;
    Engine()->GetScriptPrinter()->PrintScript(errors, root, &stream);
    return stream.GetText();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KEFOInterpreter* interpreter = Engine();
    PLOVStringStream* messages = static_cast<PLOVStringStream*>(interpreter->GetMessenger()->GetErrorStream());
    messages->Clear();
    std::unique_ptr<KEFOScriptCommand> root(new KEFOScriptCommand(KEFOScriptCommand::Script));
    int errors = Parse(reinterpret_cast<const char*>(data), size, root.get());
    if (errors < 0) return 0;
    // Every error is printed with a code.
    if (errors > 0 && messages->GetText().rfind("ERROR code: ", 0) != 0) __builtin_trap();
    if (errors != 0) return 0;
    std::string printed = Print(root.get());
    std::unique_ptr<KEFOScriptCommand> again(new KEFOScriptCommand(KEFOScriptCommand::Script));
    if (Parse(printed.data(), printed.size(), again.get()) != 0) __builtin_trap();
    if (Print(again.get()) != printed) __builtin_trap();
    return 0;
}
