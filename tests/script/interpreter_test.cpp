#include "script_test_support.h"

#include "kefo.h"
#include "script/script_environment.h"
#include "script/script_variable.h"
#include "script/token.h"
#include "support/memory_manager.h"
#include "support/xml_node.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

namespace {
using kefotest::FileExists;
using kefotest::ReadFile;

// Runs scripts through KEFO_EvalScript inside a temporary directory.
class EvalScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        char buffer[4096];
        _previous = getcwd(buffer, sizeof buffer) != nullptr ? buffer : ".";
        ASSERT_EQ(chdir(directory.path.c_str()), 0);
    }
    void TearDown() override { EXPECT_EQ(chdir(_previous.c_str()), 0); }

    // Writes the script as `name` and runs it.
    int Run(const std::string& text, const std::string& name = "script.kefo") {
        kefotest::WriteFile(directory.File(name), text);
        path = directory.File(name);
        return RunPath(path.c_str());
    }
    int RunPath(const char* file) {
        kefotest::Capture capture(directory.path);
        std::vector<char> argument;
        if (file != nullptr) argument.assign(file, file + std::string(file).size() + 1);
        int result = KEFO_EvalScript(file != nullptr ? argument.data() : nullptr);
        capture.Stop();
        out = capture.out;
        err = capture.err;
        return result;
    }
    std::string File(const std::string& name) const { return ReadFile(directory.File(name)); }

    kefotest::TemporaryDirectory directory;
    std::string path;
    std::string out;
    std::string err;

private:
    std::string _previous;
};

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

TEST(KefoHost, SyntaxErrorLayoutAndExitStatus) {
    kefotest::TemporaryDirectory directory;
    kefotest::WriteFile(directory.File("bad.kefo"), "x = 3;\nprint option mode;\n");
    kefotest::HostRun run = kefotest::RunHost(directory, "bad.kefo");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ERROR code: 10093 file: bad.kefo line: 1 column: 3\nA '==' was expected.\n---\n\n");
    EXPECT_EQ(run.out, "load KEFO script bad.kefo\n");
    EXPECT_FALSE(FileExists(directory.File("results.txt")));
}

TEST(KefoHost, RunsEachScriptAndExitsZeroOnlyWhenAllSucceed) {
    kefotest::TemporaryDirectory directory;
    kefotest::WriteFile(directory.File("good.kefo"), "x == 1;\nprint option maximum-order;\n");
    kefotest::WriteFile(directory.File("failing.kefo"), "print nothing;\n");
    kefotest::HostRun run = kefotest::RunHost(directory, "good.kefo");
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

TEST_F(EvalScriptTest, SuccessfulRunPrintsTheThreeLines) {
    EXPECT_EQ(Run("x == 1;\nskip;\ntest 1 2 3 a = b;\n"), 0);
    EXPECT_EQ(out, "load KEFO script " + path + "\nexecute KEFO script " + path + "\ndone KEFO script " + path + "\n");
    EXPECT_EQ(err, "");
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

TEST_F(EvalScriptTest, TheFirstFailingCommandStopsTheScript) {
    EXPECT_EQ(Run("print option mode output = \"one.txt\";\n"
                  "print option format output = \"two.txt\";\n"
                  "{\n  if true\n    print nothing;\n  print option mode output = \"three.txt\";\n}\n"
                  "print option mode output = \"four.txt\";\n"),
              1);
    EXPECT_EQ(File("one.txt"), "set option mode write;\n");
    EXPECT_EQ(File("two.txt"), "set option format qoln-sbe;\n");
    EXPECT_FALSE(FileExists(directory.File("three.txt")));
    EXPECT_FALSE(FileExists(directory.File("four.txt")));
    EXPECT_EQ(err, "ERROR code: 11210 file: " + path + " line: 5\nInvalid value nothing of argument 1.\n---\n\n");
    EXPECT_NE(out.find("done KEFO script"), std::string::npos);
}

TEST_F(EvalScriptTest, ReturnsTheNumberOfErrors) {
    // Both settings read by the output stream have the wrong kind: two errors.
    EXPECT_EQ(Run("output == 1;\nmode == 2;\nprint options;\n"), 2);
    EXPECT_EQ(err,
              "ERROR code: 11306\nThe value of option output must be a string.\n---\n\n"
              "ERROR code: 11305\nThe value of option mode must be an identifier.\n---\n\n");
    EXPECT_EQ(Run("print;"), 1);
    EXPECT_EQ(err, "ERROR code: 11201 file: " + path + " line: 1\nToo few arguments.\n---\n\n");
}

TEST_F(EvalScriptTest, UnknownSubCommandWords) {
    EXPECT_EQ(Run("print nothing;"), 1);
    EXPECT_EQ(err, "ERROR code: 11210 file: " + path + " line: 1\nInvalid value nothing of argument 1.\n---\n\n");
    EXPECT_EQ(Run("print cutset-justification;"), 0);
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

TEST_F(EvalScriptTest, OutputStreamsWriteOrAppend) {
    EXPECT_EQ(Run("set option output \"out.txt\";\nprint option mode;\nprint option format;\n"), 0);
    EXPECT_EQ(File("out.txt"), "set option format qoln-sbe;\n");
    EXPECT_EQ(Run("set option output \"out.txt\";\nset option mode append;\nprint option mode;\nprint option "
                  "maximum-order;\n"),
              0);
    EXPECT_EQ(File("out.txt"), "set option format qoln-sbe;\nset option mode append;\nset option maximum-order 100;\n");
    // The command's options override the settings.
    EXPECT_EQ(Run("print option verbose output = \"o1.txt\";\nprint option verbose output = \"o1.txt\" mode = "
                  "append;\n"),
              0);
    EXPECT_EQ(File("o1.txt"), "set option verbose false;\nset option verbose false;\n");
    EXPECT_EQ(Run("print option verbose mode = append;\nprint option verbose mode = append;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option verbose false;\nset option verbose false;\n");
    std::string bad = directory.File("no/such/dir.txt");
    EXPECT_EQ(Run("print option verbose output = \"" + bad + "\";"), 1);
    EXPECT_EQ(err, "ERROR code: 10003 file: " + path + " line: 1\nUnable to open file " + bad + "\n---\n\n");
    EXPECT_EQ(Run("print option verbose output = 3;"), 1);
    EXPECT_EQ(err, "ERROR code: 11306 file: " + path + " line: 1\nThe value of option output must be a string.\n---\n\n");
    EXPECT_EQ(Run("print option verbose mode = \"append\";"), 1);
    EXPECT_NE(err.find("11305"), std::string::npos);
}

TEST_F(EvalScriptTest, SettingsKeepTheirKinds) {
    EXPECT_EQ(Run("set option maximum-order 4;\nprint option maximum-order;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option maximum-order 4;\n");
    EXPECT_EQ(Run("set option maximum-order 4.5;"), 1);
    EXPECT_EQ(err, "ERROR code: 11308 file: " + path +
                       " line: 1\nThe value of option maximum-order is not of the expected type.\n---\n\n");
    EXPECT_EQ(Run("set option minimum-probability 0;\nprint option minimum-probability;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option minimum-probability 0;\n");
    EXPECT_EQ(Run("set option mission-time [10, 100, 1000.5];\nprint option mission-time;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option mission-time [10, 100, 1000.5];\n");
    EXPECT_EQ(Run("set option mission-time \"x\";"), 1);
    EXPECT_NE(err.find("11308"), std::string::npos);
    EXPECT_EQ(Run("set option mission-time [1, a];"), 1);
    EXPECT_EQ(Run("set option nothing 1;"), 1);
    EXPECT_EQ(err, "ERROR code: 11300 file: " + path + " line: 1\nUndefined option nothing.\n---\n\n");
    EXPECT_EQ(Run("set option mode;"), 1);
    EXPECT_EQ(err, "ERROR code: 11202 file: " + path + " line: 1\nWrong number of arguments: 3 expected, 2 given.\n---\n\n");
    EXPECT_EQ(Run("print option;"), 1);
    EXPECT_NE(err.find("Wrong number of arguments: 2 expected, 1 given."), std::string::npos);
    // A printed setting line sets the same value when read back.
    EXPECT_EQ(Run("set option weight-scale-factor 2.5;\nprint options output = \"all.kefo\";\n"), 0);
    std::string all = File("all.kefo");
    EXPECT_NE(all.find("set option weight-scale-factor 2.5;\n"), std::string::npos);
    EXPECT_NE(all.find("set option confidence-factor 1.959963984540054;\n"), std::string::npos);
    EXPECT_EQ(Run(all + "print options output = \"again.kefo\";\n", "all-again.kefo"), 0);
    EXPECT_EQ(File("again.kefo"), all);
}

TEST_F(EvalScriptTest, AfterAFailedCallTheNextOneWorks) {
    EXPECT_EQ(Run("build x;"), 1);
    EXPECT_EQ(Run("x == 1;"), 0);
    EXPECT_EQ(err, "");
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

TEST_F(InterpreterTest, DefaultSettings) {
    struct Expected {
        const char* name;
        const char* text;
        int kind;
    };
    using V = PLOVManagedValue;
    const Expected settings[] = {
        {"format", "qoln-sbe", V::Symbol}, {"output", "\"results.txt\"", V::String}, {"mode", "write", V::Symbol},
        {"maximum-number", "1000000", V::Integer}, {"maximum-order", "100", V::Integer},
        {"minimum-probability", "0", V::Real}, {"minimum-contribution", "0", V::Real},
        {"weight-scale-factor", "2.71828", V::Real}, {"mission-time", "0", V::Real},
        {"print-minimal-cutset-rank", "true", V::Boolean}, {"print-minimal-cutset-order", "false", V::Boolean},
        {"print-minimal-cutset-probability", "true", V::Boolean},
        {"print-minimal-cutset-contribution", "true", V::Boolean},
        {"print-minimal-cutset-failure-intensity", "false", V::Boolean},
        {"keep-intermediate-BDD-handles", "true", V::Boolean}, {"variable-ordering-heuristic", "DFLM", V::Symbol},
        {"quantification-method", "pivotal-upper-bound", V::Symbol},
        {"print-number-of-occurrences", "true", V::Boolean}, {"print-probability", "true", V::Boolean},
        {"print-conditional-probability-1", "false", V::Boolean},
        {"print-conditional-probability-0", "false", V::Boolean},
        {"print-marginal-importance-factor", "true", V::Boolean},
        {"print-critical-importance-factor", "true", V::Boolean},
        {"print-diagnostic-importance-factor", "true", V::Boolean},
        {"print-risk-achievement-worth", "true", V::Boolean}, {"print-risk-reduction-worth", "true", V::Boolean},
        {"print-Fussel-Vesely-importance-factor", "false", V::Boolean},
        {"print-differential-importance-measure", "false", V::Boolean},
        {"print-Barlow-Proschan-factor", "false", V::Boolean}, {"number-of-tries", "10000", V::Integer},
        {"print-basic-event-sensitivity", "false", V::Boolean},
        {"print-parameter-sensitivity", "false", V::Boolean}, {"print-mean", "true", V::Boolean},
        {"print-standard-deviation", "true", V::Boolean}, {"print-confidence-range", "true", V::Boolean},
        {"print-error-factor", "false", V::Boolean}, {"number-of-quantiles", "0", V::Integer},
        {"number-of-bins", "0", V::Integer}, {"randomizer-seed", "12345", V::Integer},
        {"confidence-factor", "1.95996", V::Real}, {"add-singular-points", "false", V::Boolean},
        {"smooth-curve", "false", V::Boolean}, {"smoothing-ratio", "0.1", V::Real},
        {"print-unavailability", "true", V::Boolean}, {"print-mean-unavailability", "false", V::Boolean},
        {"print-conditional-failure-intensity", "false", V::Boolean},
        {"print-mean-conditional-failure-intensity", "false", V::Boolean},
        {"print-unreliability", "false", V::Boolean}, {"print-probability-of-failure-per-hour", "false", V::Boolean},
        {"print-safety-integrity-level", "false", V::Boolean}, {"probability-margin", "0.1", V::Real},
        {"time-lower-bound", "0", V::Real}, {"time-upper-bound", "8760", V::Real}, {"time-grain", "1", V::Real},
        {"verbose", "false", V::Boolean},
    };
    KEFOScriptEnvironment* environment = interpreter()->GetScriptEnvironment();
    EXPECT_EQ(environment->GetNumberOfVariables(), static_cast<int>(sizeof settings / sizeof settings[0]));
    EXPECT_EQ(environment->GetParent(), nullptr);
    for (const Expected& setting : settings) {
        KEFOScriptVariable* variable = environment->LookForVariable(setting.name);
        ASSERT_NE(variable, nullptr) << setting.name;
        EXPECT_EQ(variable->GetValue().GetType(), setting.kind) << setting.name;
        EXPECT_EQ(variable->GetValue().ToString(), setting.text) << setting.name;
    }
    EXPECT_EQ(environment->LookForVariable("weight-scale-factor")->GetValueAsDouble(), std::exp(1.0));
    EXPECT_EQ(environment->LookForVariable("confidence-factor")->GetValueAsDouble(), 1.959963984540054);
    // Resetting brings the defaults back and drops the user's variables.
    EXPECT_EQ(Execute("maximum-order == 4; mine == 1;"), 0);
    interpreter()->ResetDefaultEnvironment();
    EXPECT_EQ(environment->LookForVariable("maximum-order")->GetValueAsInteger(), 100);
    EXPECT_EQ(environment->LookForVariable("mine"), nullptr);
}

TEST_F(InterpreterTest, AssignmentsAndSettingReads) {
    int errors = 0;
    EXPECT_EQ(Execute("maximum-order == 4;\ny == x;\nz == [1, 2];\nz2 == z;"), 0);
    EXPECT_EQ(interpreter()->GetValueOfEnvironmentVariableAsInteger(errors, "maximum-order"), 4);
    const PLOVManagedValue* y = interpreter()->GetValueOfEnvironmentVariable(errors, "y");
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(y->GetType(), PLOVManagedValue::Symbol);
    EXPECT_STREQ(y->GetSymbol(), "x");
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
    // An Integer is read as a double.
    errors = 0;
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
    interpreter()->Reset(errors);
    interpreter()->ResetTargetModel();
}

TEST_F(InterpreterTest, ExecuteCommandLeavesTheMessagesQueued) {
    int errors = 0;
    std::unique_ptr<KEFOScriptCommand> root = engine.Parse("print nothing;", errors);
    interpreter()->ExecuteCommand(errors, root.get());
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(engine.Messages(), "");
    EXPECT_EQ(interpreter()->GetMessenger()->GetNumberOfPendingMessages(), 1);
    interpreter()->PrintErrorMessages();
    EXPECT_EQ(engine.Messages(), "ERROR code: 11210 file: test.kefo line: 1\nInvalid value nothing of argument 1.\n---\n\n");
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
    KEFOInterpreter::Trace(' ' == ' ' ? 2.5 : 0.0);
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
        "variable\ttop\n"
        "source-handle\tBDD\n"
        "quantification-method\tPr\n"
        "time\tQ\tQavg\n"
        "0\t0.000250892\t0.000250892\n"
        "720\t0.000375351\t0.000313121\n"
        "8760\t0.00117873\t0.000738908\n"
        "43800\t0.00467247\t0.00248826\n"
        "87600\t0.00902247\t0.00466787\n"
        "variable\ttop\n"
        "source-handle\tZBDD\n"
        "quantification-method\tREA\n"
        "time\tQ\n"
        "8760\t0.00117901\n"
        "variable\ttop\n"
        "source-handle\tZBDD\n"
        "quantification-method\tMCUB\n"
        "time\tQ\n"
        "8760\t0.00117873\n"
        "variable\ttop\n"
        "source-handle\tZBDD\n"
        "order\t#MCS\n"
        "1\t3\n"
        "2\t1\n"
        "total\t4\n"
        "variable\ttop\n"
        "source-handle\tZBDD\n"
        "time\t8760\n"
        "rare-event-approximation\t0.00117873\n"
        "1\t3.5956e-06\t0.00305042\tpumps-10\tpumps-01\n"
        "2\t9.98004e-05\t0.084668\tpumps-11\n"
        "3\t0.0002\t0.169675\tpower-loss\n"
        "4\t0.000875616\t0.74285\ttank-rupture\n"
    );
}
