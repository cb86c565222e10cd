// Helpers of the script engine tests: parsing text, dumping command trees,
// temporary directories and capture of the standard output and error.
#ifndef KEFO_TESTS_SCRIPT_SCRIPT_TEST_SUPPORT_H
#define KEFO_TESTS_SCRIPT_SCRIPT_TEST_SUPPORT_H

#include "script/interpreter.h"
#include "script/messenger.h"
#include "script/script_command.h"
#include "script/script_command_option.h"
#include "script/script_expression.h"
#include "script/script_parser.h"
#include "support/managed_value.h"
#include "support/stream.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kefotest {

// A canonical text of an expression tree: type number, value of literals,
// children in parentheses.
inline std::string Dump(const KEFOScriptExpression* expression) {
    if (expression == nullptr) return "null";
    std::string text = std::to_string(expression->GetType());
    if (expression->IsLiteral()) text += ":" + expression->GetValue().ToString();
    if (expression->GetType() == KEFOScriptExpression::Reference) text += ":" + expression->GetReferenceIdentifier();
    if (expression->GetNumberOfChildren() > 0) {
        text += "(";
        for (int i = 1; i <= expression->GetNumberOfChildren(); ++i) {
            if (i > 1) text += ",";
            text += Dump(expression->GetChild(i));
        }
        text += ")";
    }
    return text;
}

// A canonical text of a command tree (without locations).
inline std::string Dump(const KEFOScriptCommand* command) {
    if (command == nullptr) return "null";
    std::string text = "C" + std::to_string(command->GetType());
    if (!command->GetText().empty()) text += ":" + command->GetText();
    text += "[";
    for (int i = 1; i <= command->GetNumberOfArguments(); ++i) {
        if (i > 1) text += ",";
        text += Dump(command->GetArgument(i));
    }
    text += "]";
    if (command->GetNumberOfOptions() > 0) {
        text += "<";
        for (const auto& entry : command->GetOptions()) text += entry.first + "=" + Dump(entry.second->GetValue()) + ";";
        text += ">";
    }
    if (command->GetNumberOfChildren() > 0) {
        text += "{";
        for (const KEFOScriptCommand* child : command->GetChildren()) text += Dump(child);
        text += "}";
    }
    return text;
}

// An interpreter whose messages go to a string.
class Engine {
public:
    Engine() : interpreter(new KEFOInterpreter()), messages(new PLOVStringStream()) {
        interpreter->GetMessenger()->SetErrorStream(messages);
    }

    // Parses the text as the file `name`; the messages printed are in
    // `messages`.
    std::unique_ptr<KEFOScriptCommand> Parse(const std::string& text, int& errors, const char* name = "test.kefo") {
        std::unique_ptr<KEFOScriptCommand> root(new KEFOScriptCommand(KEFOScriptCommand::Script));
        FILE* file = text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        interpreter->GetScriptParser()->ParseScript(errors, file, name, root.get());
        std::fclose(file);
        return root;
    }

    std::string Messages() const { return messages->GetText(); }
    void ClearMessages() { messages->Clear(); }

    std::unique_ptr<KEFOInterpreter> interpreter;
    PLOVStringStream* messages;  // owned by the messenger
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// A fresh temporary directory, removed with its files at the end.
class TemporaryDirectory {
public:
    TemporaryDirectory() {
        char pattern[] = "/tmp/kefo-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made != nullptr ? made : "/tmp";
    }
    ~TemporaryDirectory() {
        std::string command = "rm -rf '" + path + "'";
        if (std::system(command.c_str()) != 0) {
        }
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// Sends the standard output (descriptor 1) and error (2) into files while
// it lives.
class Capture {
public:
    explicit Capture(const std::string& directory)
        : _paths{directory + "/captured-stdout", directory + "/captured-stderr"} {
        std::fflush(nullptr);
        for (int i = 0; i < 2; ++i) {
            _saved[i] = dup(i + 1);
            int file = open(_paths[i].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(file, i + 1);
            close(file);
        }
    }
    ~Capture() { Stop(); }
    void Stop() {
        if (_saved[0] < 0) return;
        std::fflush(nullptr);
        for (int i = 0; i < 2; ++i) {
            dup2(_saved[i], i + 1);
            close(_saved[i]);
            _saved[i] = -1;
        }
        out = ReadFile(_paths[0]);
        err = ReadFile(_paths[1]);
    }
    std::string out;
    std::string err;

private:
    std::string _paths[2];
    int _saved[2] = {-1, -1};
};

// Runs the host program on a script; its standard output and error and its
// exit status.
struct HostRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline HostRun RunHost(const TemporaryDirectory& directory, const std::string& arguments) {
    HostRun run;
    std::string command = "cd '" + directory.path + "' && '" KEFO_HOST_PATH "' " + arguments + " >'" +
                          directory.File("host-stdout") + "' 2>'" + directory.File("host-stderr") + "'";
    int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(directory.File("host-stdout"));
    run.err = ReadFile(directory.File("host-stderr"));
    return run;
}

}  // namespace kefotest

#endif
