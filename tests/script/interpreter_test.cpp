// The host program and the library's entry point, the run of scripts
// (conditionals, loops, the first error ending the run), the settings held by
// the interpreter, its messages and its trace, and the shipped demo analysis.
#include "commands_test_support.h"

#include "script/script_environment.h"
#include "script/script_variable.h"
#include "script/token.h"
#include "support/memory_manager.h"
#include "support/xml_node.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {
using kefotest::FileExists;
using kefotest::ReadFile;
class EvalScriptTest : public commandstest::ScriptTest {};

// An interpreter driven directly, its messages in a string.
class InterpreterTest : public ::testing::Test {
protected:
    int Execute(const std::string& text) {
        int errors = 0;
        std::unique_ptr<KEFOScriptCommand> root = engine.Parse(text, errors);
        EXPECT_EQ(errors, 0) << engine.Messages();
        engine.interpreter->ExecuteScript(errors, root.get());
        return errors;
    }
    KEFOInterpreter* interpreter() { return engine.interpreter.get(); }

    kefotest::Engine engine;
};
}  // namespace

// The host runs each script, exits 0 only when all succeed, 1 otherwise, 2
// without a script.
TEST(KefoHost, ExitStatusAndMessagesOfEachScript) {
    kefotest::TemporaryDirectory directory;
    kefotest::WriteFile(directory.File("bad.kefo"), "x = 3;\nprint option mode;\n");
    kefotest::WriteFile(directory.File("good.kefo"), "x == 1;\nprint option maximum-order;\n");
    kefotest::WriteFile(directory.File("failing.kefo"), "print nothing;\n");
    kefotest::HostRun run = kefotest::RunHost(directory, "bad.kefo");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ERROR code: 10093 file: bad.kefo line: 1 column: 3\nA '==' was expected.\n---\n\n");
    EXPECT_EQ(run.out, "load KEFO script bad.kefo\n");
    EXPECT_FALSE(FileExists(directory.File("results.txt")));
    run = kefotest::RunHost(directory, "good.kefo");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "load KEFO script good.kefo\nexecute KEFO script good.kefo\ndone KEFO script good.kefo\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(directory.File("results.txt")), "set option maximum-order 100;\n");
    run = kefotest::RunHost(directory, "failing.kefo good.kefo");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ERROR code: 11210 file: failing.kefo line: 1\nInvalid value nothing of argument 1.\n---\n\n");
    EXPECT_NE(run.out.find("done KEFO script good.kefo"), std::string::npos);
    run = kefotest::RunHost(directory, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage"), std::string::npos);
    run = kefotest::RunHost(directory, "--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("kefo ", 0), 0u);
}

TEST(KefoLibrary, EntryPointIsExportedUnmangled) {
    std::string host = KEFO_HOST_PATH;
    std::string library = host.substr(0, host.rfind('/') + 1) + "libkefo.so";
    if (std::system("command -v nm >/dev/null 2>&1") != 0) GTEST_SKIP() << "nm is not installed";
    std::string command = "nm -D --defined-only '" + library + "' | grep -qw 'T KEFO_EvalScript'";
    EXPECT_EQ(std::system(command.c_str()), 0) << library;
}

TEST_F(EvalScriptTest, NullPathAndMissingFile) {
    EXPECT_EQ(RunPath(nullptr), 1);
    EXPECT_EQ(err, "ERROR code: 10001\nFile name missing.\n---\n\n");
    EXPECT_EQ(out.find("execute"), std::string::npos);
    std::string missing = directory.File("missing.kefo");
    EXPECT_EQ(RunPath(missing.c_str()), 1);
    EXPECT_EQ(err, "ERROR code: 10003\nUnable to open file " + missing + "\n---\n\n");
    EXPECT_EQ(out, "load KEFO script " + missing + "\n");
}

TEST_F(EvalScriptTest, ConditionalsRunExactlyOneBranch) {
    const char* script =
        "if %s print option mode output = \"c1.txt\";\n"
        "elif %s print option mode output = \"c2.txt\";\n"
        "else print option mode output = \"c3.txt\";\n";
    struct Case {
        const char* g1;
        const char* g2;
        const char* expected;
    };
    const Case cases[] = {{"true", "true", "c1.txt"},  {"false", "true", "c2.txt"},   {"false", "false", "c3.txt"},
                          {"1", "true", "c2.txt"},     {"a", "\"s\"", "c3.txt"},      {"1 < 2", "false", "c1.txt"},
                          {"nil", "2 > 1", "c2.txt"},  {"not true", "1 / 0", "c3.txt"}};
    for (const Case& c : cases) {
        for (const char* name : {"c1.txt", "c2.txt", "c3.txt"}) std::remove(directory.File(name).c_str());
        char text[512];
        std::snprintf(text, sizeof text, script, c.g1, c.g2);
        EXPECT_EQ(Run(text), 0) << text;
        for (const char* name : {"c1.txt", "c2.txt", "c3.txt"})
            EXPECT_EQ(FileExists(directory.File(name)), std::string(name) == c.expected) << text << name;
    }
    // Without an else, no branch may run.
    EXPECT_EQ(Run("if false print option mode output = \"none.txt\";"), 0);
    EXPECT_FALSE(FileExists(directory.File("none.txt")));
}

TEST_F(EvalScriptTest, Loops) {
    EXPECT_EQ(Run("while false print option mode output = \"never.txt\";\nwhile 1 skip;\nwhile a skip;\n"), 0);
    EXPECT_FALSE(FileExists(directory.File("never.txt")));
    // A condition that can never change and holds is an endless loop: the
    // body runs once, then 13004.
    EXPECT_EQ(Run("set option mode append;\nwhile 1 < 2 {\n  print option mode output = \"loop.txt\";\n}\n"), 1);
    EXPECT_EQ(File("loop.txt"), "set option mode append;\n");
    EXPECT_EQ(err, "ERROR code: 13004 file: " + path +
                       " line: 2\nThe condition of this loop cannot change: the loop would never end.\n---\n\n");
    // A failing body ends the loop at once.
    EXPECT_EQ(Run("while true print nothing;"), 1);
    EXPECT_NE(err.find("11210"), std::string::npos);
}

TEST_F(InterpreterTest, ResetBringsTheDefaultsBackAndDropsTheUserVariables) {
    KEFOScriptEnvironment* environment = interpreter()->GetScriptEnvironment();
    const int settings = environment->GetNumberOfVariables();
    EXPECT_EQ(Execute("maximum-order == 4; mine == 1;"), 0);
    interpreter()->ResetDefaultEnvironment();
    EXPECT_EQ(environment->LookForVariable("maximum-order")->GetValueAsInteger(), 100);
    EXPECT_EQ(environment->LookForVariable("mine"), nullptr);
    EXPECT_EQ(environment->GetNumberOfVariables(), settings);
}

TEST_F(InterpreterTest, AssignmentsAndSettingReads) {
    int errors = 0;
    EXPECT_EQ(Execute("maximum-order == 4;\nz == [1, 2];\nz2 == z;"), 0);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsInteger(errors, "maximum-order"), 4);
    // A name on the right is a Symbol, not the value of that variable.
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariable(errors, "z2")->ToString(), "z");
    EXPECT_EQ(errors, 0);
    // An assignment may change a setting's kind; typed reads then fail.
    EXPECT_EQ(Execute("verbose == 1; maximum-order == 2.5; mode == \"w\"; output == w; mission-time == 3;"), 0);
    engine.ClearMessages();
    EXPECT_FALSE(interpreter()->GetValueOfEnvironmentVariableAsBoolean(errors, "verbose"));
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsInteger(errors, "maximum-order"), 0);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsSymbol(errors, "mode"), nullptr);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsString(errors, "output"), nullptr);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsDouble(errors, "format"), 0.0);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariable(errors, "nothing"), nullptr);
    EXPECT_FALSE(interpreter()->GetValueOfEnvironmentVariableAsBoolean(errors, "nothing"));
    EXPECT_EQ(errors, 7);
    interpreter()->PrintErrorMessages();
    EXPECT_EQ(engine.Messages(),
              "ERROR code: 11302\nThe value of option verbose must be a Boolean.\n---\n\n"
              "ERROR code: 11303\nThe value of option maximum-order must be an integer.\n---\n\n"
              "ERROR code: 11305\nThe value of option mode must be an identifier.\n---\n\n"
              "ERROR code: 11306\nThe value of option output must be a string.\n---\n\n"
              "ERROR code: 11304\nThe value of option format must be a floating point number.\n---\n\n"
              "ERROR code: 11300\nUndefined option nothing.\n---\n\n"
              "ERROR code: 11300\nUndefined option nothing.\n---\n\n");
    // An Integer is read as a double; "set option" makes it a Real for a Real
    // setting, but the mission time keeps what it is given.
    errors = 0;
    EXPECT_EQ(Execute("set option minimum-probability 0;\nset option weight-scale-factor 4;\n"
                      "set option mission-time 3;\n"),
              0);
    EXPECT_TRUE(interpreter()->GetValueOfEnvironmentVariable(errors, "minimum-probability")->IsDouble());
    EXPECT_TRUE(interpreter()->GetValueOfEnvironmentVariable(errors, "weight-scale-factor")->IsDouble());
    EXPECT_TRUE(interpreter()->GetValueOfEnvironmentVariable(errors, "mission-time")->IsInt());
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsDouble(errors, "mission-time"), 3.0);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsDouble(errors, "maximum-order"), 2.5);
    EXPECT_TRUE(interpreter()->GetValueOfEnvironmentVariableAsBoolean(errors, "print-mean"));
    EXPECT_STREQ(interpreter()->GetValueOfEnvironmentVariableAsSymbol(errors, "format"), "qoln-sbe");
    EXPECT_EQ(errors, 0);
}

TEST_F(InterpreterTest, ErrorsCountAndCarryTheirLocation) {
    int errors = 0;
    KEFOToken token(200, "x", std::make_shared<const std::string>("t.kefo"), 3, 7);
    interpreter()->RaiseError(errors, 10092, &token, ";");
    KEFOScriptCommand command(KEFOScriptCommand::BuiltinCommand);
    command.SetFileName("c.kefo");
    command.SetLineNumber(9);
    interpreter()->RaiseError(errors, 11202, &command, "2", "3");
    PLOVXMLNode node;
    node.SetLine(4);
    interpreter()->RaiseError(errors, 10070, &node, "name");
    interpreter()->RaiseError(errors, 11300, "nothing");
    EXPECT_EQ(errors, 4);
    EXPECT_EQ(interpreter()->GetMessenger()->GetNumberOfPendingMessages(), 4);
    interpreter()->PrintErrorMessages();
    EXPECT_EQ(engine.Messages(),
              "ERROR code: 10092 file: t.kefo line: 3 column: 7\nUnexpected token ;.\n---\n\n"
              "ERROR code: 11202 file: c.kefo line: 9\nWrong number of arguments: 2 expected, 3 given.\n---\n\n"
              "ERROR code: 10070 line: 4\nAttribute \"name\" is missing\n---\n\n"
              "ERROR code: 11300\nUndefined option nothing.\n---\n\n");
    engine.ClearMessages();
    interpreter()->PrintErrorMessages();
    EXPECT_EQ(engine.Messages(), "");
    // A counter that is already non-zero runs nothing.
    int text = 0;
    std::unique_ptr<KEFOScriptCommand> root = engine.Parse("print option mode output = \"x\";", text);
    errors = 1;
    interpreter()->ExecuteScript(errors, root.get());
    interpreter()->ExecuteCommand(errors, root.get());
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(engine.Messages(), "");
}

TEST(InterpreterTrace, WritesOnlyWhileATraceFileIsSet) {
    EXPECT_EQ(KEFOInterpreter::GetTraceFile(), nullptr);
    KEFOInterpreter::Trace("lost");
    FILE* file = std::tmpfile();
    KEFOInterpreter::SetTraceFile(file);
    EXPECT_EQ(KEFOInterpreter::GetTraceFile(), file);
    KEFOInterpreter::Trace("build BDD\n");
    KEFOInterpreter::Trace("[%s]", "s");
    KEFOInterpreter::Trace("[%d]", 7);
    KEFOInterpreter::Trace("[%.2f]", 1.5);
    KEFOInterpreter::Trace(42);
    KEFOInterpreter::Trace(2.5);
    KEFOInterpreter::SetTraceFile(nullptr);
    KEFOInterpreter::Trace("lost too");
    std::rewind(file);
    char buffer[128] = {0};
    std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(buffer, n), "build BDD\n[s][7][1.50]422.5");
}

// The shipped analysis: the two-pump model with its common-cause group.
// At time 0 the exact value is 1 - (1 - 0.00095^2)(1 - 5e-05)(1 - 2e-04):
// the independent parts of the pumps, the common-cause event (beta 0.05 of
// the GLM's 0.001) and the power loss, the tank rupture being 0.
TEST(KefoDemo, RunsTheWholeAnalysisIntoResults) {
    kefotest::TemporaryDirectory directory;
    kefotest::WriteFile(directory.File("demo.kefo"), ReadFile(KEFO_SOURCE_DIR "/examples/demo.kefo"));
    kefotest::WriteFile(directory.File("pumps.sbe"), ReadFile(KEFO_SOURCE_DIR "/examples/pumps.sbe"));
    kefotest::HostRun run = kefotest::RunHost(directory, "demo.kefo");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const double q0 = 1.0 - (1.0 - 0.00095 * 0.00095) * (1.0 - 5e-05) * (1.0 - 2e-04);
    char line[64];
    std::snprintf(line, sizeof line, "\n0\t%g\t%g\n", q0, q0);
    const std::string report = ReadFile(directory.File("results.txt"));
    EXPECT_NE(report.find(line), std::string::npos) << report;
    EXPECT_EQ(report,
              "variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\tQavg\n"
              "0\t0.000250892\t0.000250892\n720\t0.000375351\t0.000313121\n8760\t0.00117873\t0.000738908\n"
              "43800\t0.00467247\t0.00248826\n87600\t0.00902247\t0.00466787\n"
              "variable\ttop\nsource-handle\tZBDD\nquantification-method\tREA\ntime\tQ\n8760\t0.00117901\n"
              "variable\ttop\nsource-handle\tZBDD\nquantification-method\tMCUB\ntime\tQ\n8760\t0.00117873\n"
              "variable\ttop\nsource-handle\tZBDD\norder\t#MCS\n1\t3\n2\t1\ntotal\t4\n"
              "variable\ttop\nsource-handle\tZBDD\ntime\t8760\nrare-event-approximation\t0.00117873\n"
              "1\t3.5956e-06\t0.00305042\tpumps-10\tpumps-01\n2\t9.98004e-05\t0.084668\tpumps-11\n"
              "3\t0.0002\t0.169675\tpower-loss\n4\t0.000875616\t0.74285\ttank-rupture\n");
}
