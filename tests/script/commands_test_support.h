// Helpers of the command tests: scripts run by KEFO_EvalScript in a
// temporary directory, and an interpreter driven directly whose messages go
// into a string.
#ifndef KEFO_TESTS_SCRIPT_COMMANDS_TEST_SUPPORT_H
#define KEFO_TESTS_SCRIPT_COMMANDS_TEST_SUPPORT_H

#include "script_test_support.h"

#include "kefo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace commandstest {

// Runs scripts through KEFO_EvalScript inside a temporary directory, which
// is the working directory while the test runs.
class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        char buffer[4096];
        _previous = getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".";
        ASSERT_EQ(chdir(directory.path.c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir(_previous.c_str()), 0); }

    // Writes the script as `name` and runs it; answers the number of errors.
    int Run(const std::string& text, const std::string& name = "script.kefo") {
        Write(name, text);
        path = name;
        return RunPath(name.c_str());
    }
    // Runs the script file (null: no file name given).
    int RunPath(const char* file) {
        kefotest::Capture capture(directory.path);
        std::vector<char> argument;
        if (file != nullptr) argument.assign(file, file + std::strlen(file) + 1);
        int result = KEFO_EvalScript(file != nullptr ? argument.data() : nullptr);
        capture.Stop();
        out = capture.out;
        err = capture.err;
        return result;
    }
    void Write(const std::string& name, const std::string& text) { kefotest::WriteFile(directory.File(name), text); }
    std::string File(const std::string& name) const { return kefotest::ReadFile(directory.File(name)); }
    bool Exists(const std::string& name) const { return kefotest::FileExists(directory.File(name)); }
    // The message layout of one error raised at a line of the script.
    std::string Error(int code, int line, const std::string& text) const {
        return "ERROR code: " + std::to_string(code) + " file: " + path + " line: " + std::to_string(line) + "\n" +
               text + "\n---\n\n";
    }

    kefotest::TemporaryDirectory directory;
    std::string path;
    std::string out;
    std::string err;

private:
    std::string _previous;
};

}  // namespace commandstest

#endif
