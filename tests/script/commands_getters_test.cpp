// The argument and option getters of the built-in commands, driven directly
// on commands parsed from text, with the exact messages they raise.
#include "commands_test_support.h"

#include "diagrams/handle.h"
#include "model/model.h"
#include "model/type.h"
#include "model/variable.h"
#include "quantification/mission_profile.h"
#include "script/script_variable.h"
#include "support/randomizer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Opens the interpreter's getters to the tests.
class KEFOInterpreterProbe {
    typedef KEFOScriptCommand C;
    typedef const char* S;

public:
    explicit KEFOInterpreterProbe(KEFOInterpreter* interpreter) : i(interpreter) {}
    int Integer(int& e, C* c, int n, int lo, int hi) { return i->_GetIntegerArgument(e, c, n, lo, hi); }
    double Double(int& e, C* c, int n, double lo, double hi) { return i->_GetDoubleArgument(e, c, n, lo, hi); }
    S Symbol(int& e, C* c, int n) { return i->_GetSymbolArgument(e, c, n); }
    S String(int& e, C* c, int n) { return i->_GetStringArgument(e, c, n); }
    KEFOVariable* Variable(int& e, C* c, int n) { return i->_GetVariableArgument(e, c, n); }
    bool Group(int& e, C* c, int n, std::vector<KEFOVariable*>& g) {
        return i->_GetGroupOfStateVariablesArgument(e, c, n, g);
    }
    bool BooleanOption(int& e, C* c, S o, bool d) { return i->_GetBooleanOption(e, c, o, d); }
    int IntegerOption(int& e, C* c, S o, int d, int lo, int hi) { return i->_GetIntegerOption(e, c, o, d, lo, hi); }
    double DoubleOption(int& e, C* c, S o, double d, double lo, double hi) {
        return i->_GetDoubleOption(e, c, o, d, lo, hi);
    }
    S SymbolOption(int& e, C* c, S o, S d) { return i->_GetSymbolOption(e, c, o, d); }
    S StringOption(int& e, C* c, S o, S d) { return i->_GetStringOption(e, c, o, d); }
    S ModelFormat(int& e, C* c) { return i->_GetModelFormatOption(e, c); }
    S ScriptFormat(int& e, C* c) { return i->_GetScriptFormatOption(e, c); }
    S CutsetsFormat(int& e, C* c) { return i->_GetMinimalCutsetsFormatOption(e, c); }
    KEFOHandle* SourceHandle(int& e, C* c, KEFOVariable* v, int (*test)(const KEFOHandle*, const void*)) {
        return i->_GetSourceHandleOption(e, c, v, test);
    }
    int Method(int& e, C* c) { return i->_GetOptionQuantificationMethod(e, c); }
    int Heuristic(int& e, C* c) { return i->_GetOptionVariableOrderingHeuristic(e, c); }
    bool MissionTime(int& e, C* c, KEFOMissionProfile* p) { return i->_GetOptionMissionTime(e, c, p); }
    KEFOMissionProfile* Profile(int& e, C* c) { return i->_GetOptionMissionProfile(e, c); }

private:
    KEFOInterpreter* i;
};

namespace {
int OnlyZBDD(const KEFOHandle* handle, const void*) { return handle->GetType() == 4 ? 0 : 1; }

class GettersTest : public ::testing::Test {
protected:
    // The built-in command of a one-command script.
    KEFOScriptCommand* Command(const std::string& text) {
        int errors = 0;
        _root = engine.Parse(text, errors);
        EXPECT_EQ(errors, 0) << engine.Messages();
        return _root->GetChild(1);
    }
    // The messages raised since the last call, printed and cleared.
    std::string Messages() {
        engine.interpreter->PrintErrorMessages();
        std::string text = engine.Messages();
        engine.ClearMessages();
        return text;
    }
    static std::string Error(int code, const std::string& text, int line = 1) {
        return "ERROR code: " + std::to_string(code) + " file: test.kefo line: " + std::to_string(line) + "\n" +
               text + "\n---\n\n";
    }
    // Runs a script in the interpreter; answers its number of errors.
    int Run(const std::string& text) {
        int errors = 0;
        std::unique_ptr<KEFOScriptCommand> root = engine.Parse(text, errors);
        engine.interpreter->ExecuteScript(errors, root.get());
        return errors;
    }
    void Execute(const std::string& text) { EXPECT_EQ(Run(text), 0) << engine.Messages(); }
    // A target model with a gate "top", basic events "a", "b" (and "c" in a
    // block "sub") and a parameter "p".
    KEFOModel* BuildTargetModel() {
        KEFOModel* model = new KEFOModel();
        model->NewVariable(KEFOType::FlowVariable, "top");
        model->NewVariable(KEFOType::StateVariable, "a");
        model->NewVariable(KEFOType::StateVariable, "b");
        model->NewParameter("p");
        model->NewBlock("sub")->NewVariable(KEFOType::StateVariable, "c");
        engine.interpreter->SetTargetModel(model);
        return model;
    }

    kefotest::Engine engine;
    KEFOInterpreterProbe probe{engine.interpreter.get()};

private:
    std::unique_ptr<KEFOScriptCommand> _root;
};
}  // namespace

TEST_F(GettersTest, ArgumentsOfEachKind) {
    int errors = 0;
    KEFOScriptCommand* c = Command("test 3 (-1) 2.5 x \"s\" 4 a.b.c;");
    EXPECT_EQ(probe.Integer(errors, c, 1, 0, 10), 3);
    EXPECT_EQ(probe.Integer(errors, c, 1, 3, 3), 3);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(probe.Integer(errors, c, 2, 0, 10), 0);
    EXPECT_EQ(Messages(), Error(11208, "The value of argument 2 is out of range."));
    EXPECT_EQ(probe.Integer(errors, c, 3, 0, 10), 0);
    EXPECT_EQ(Messages(), Error(11203, "The value of argument 3 must be an integer."));
    // A Real argument does not take an Integer.
    EXPECT_EQ(probe.Double(errors, c, 3, 0.0, 10.0), 2.5);
    EXPECT_EQ(probe.Double(errors, c, 1, 0.0, 10.0), 0.0);
    EXPECT_EQ(Messages(), Error(11204, "The value of argument 1 must be a floating point number."));
    EXPECT_EQ(probe.Double(errors, c, 3, 3.0, 10.0), 0.0);
    EXPECT_EQ(Messages(), Error(11208, "The value of argument 3 is out of range."));
    // Missing arguments: 11201 and the neutral value.
    EXPECT_EQ(probe.Integer(errors, c, 8, 0, 10), 0);
    EXPECT_EQ(probe.Double(errors, c, 8, 0.0, 1.0), 0.0);
    EXPECT_EQ(probe.String(errors, c, 8), nullptr);
    EXPECT_EQ(Messages(), Error(11201, "Too few arguments.") + Error(11201, "Too few arguments.") +
                              Error(11201, "Too few arguments."));
    // Identifiers (paths too) and strings.
    EXPECT_STREQ(probe.Symbol(errors, c, 4), "x");
    EXPECT_STREQ(probe.String(errors, c, 5), "s");
    EXPECT_STREQ(probe.Symbol(errors, c, 7), "a.b.c");
    EXPECT_EQ(probe.Symbol(errors, c, 5), nullptr);
    EXPECT_EQ(probe.String(errors, c, 4), nullptr);
    EXPECT_EQ(Messages(), Error(11205, "The value of argument 5 must be an identifier.") +
                              Error(11206, "The value of argument 4 must be a string."));
    EXPECT_EQ(errors, 9);
}

TEST_F(GettersTest, VariableArguments) {
    int errors = 0;
    KEFOScriptCommand* c = Command("test top p nothing 3 sub.c a;");
    EXPECT_EQ(probe.Variable(errors, c, 1), nullptr);
    EXPECT_EQ(Messages(), Error(11001, "The target model has not been built yet."));
    KEFOModel* model = BuildTargetModel();
    errors = 0;
    bool mismatch = false;
    EXPECT_EQ(probe.Variable(errors, c, 1), model->LookForVariable("top", mismatch));
    EXPECT_EQ(probe.Variable(errors, c, 5), model->LookForVariable("sub.c", mismatch));
    EXPECT_NE(probe.Variable(errors, c, 5), nullptr);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(probe.Variable(errors, c, 2), nullptr);
    EXPECT_EQ(probe.Variable(errors, c, 3), nullptr);
    EXPECT_EQ(probe.Variable(errors, c, 4), nullptr);
    EXPECT_EQ(Messages(), Error(10061, "Type conflict: p is not declared as a variable (event)") +
                              Error(10039, "Variable (event) nothing is not defined") +
                              Error(11205, "The value of argument 4 must be an identifier."));
}

TEST_F(GettersTest, GroupsOfStateVariables) {
    int errors = 0;
    KEFOScriptCommand* c = Command("test [a, b, a, sub.c] [a, \"b\"] a [a, nothing] [];");
    std::vector<KEFOVariable*> group;
    EXPECT_FALSE(probe.Group(errors, c, 1, group));
    EXPECT_EQ(Messages(), Error(11001, "The target model has not been built yet."));
    KEFOModel* model = BuildTargetModel();
    errors = 0;
    bool mismatch = false;
    EXPECT_TRUE(probe.Group(errors, c, 1, group));
    // In the order given, each once.
    EXPECT_EQ(group, (std::vector<KEFOVariable*>{model->LookForVariable("a", mismatch),
                                                 model->LookForVariable("b", mismatch),
                                                 model->LookForVariable("sub.c", mismatch)}));
    group.clear();
    EXPECT_TRUE(probe.Group(errors, c, 5, group));
    EXPECT_TRUE(group.empty());
    EXPECT_EQ(errors, 0);
    EXPECT_FALSE(probe.Group(errors, c, 2, group));
    EXPECT_FALSE(probe.Group(errors, c, 3, group));
    EXPECT_FALSE(probe.Group(errors, c, 4, group));
    EXPECT_EQ(Messages(), Error(11207, "The value of argument 2 must be a list of identifiers.") +
                              Error(11207, "The value of argument 3 must be a list of identifiers.") +
                              Error(10039, "Variable (event) nothing is not defined"));
}

TEST_F(GettersTest, TypedOptions) {
    int errors = 0;
    KEFOScriptCommand* c = Command(
        "test maximum-order = 3.5 maximum-number = -1 minimum-probability = 2 weight-scale-factor = 1.5 "
        "mission-time = 10 verbose = 1 flag = false empty = (a + 1) name = \"s\" word = w;");
    // Absent or nil: the default, which is range-checked too.
    EXPECT_EQ(probe.IntegerOption(errors, c, "absent", 7, 0, 10), 7);
    EXPECT_EQ(probe.IntegerOption(errors, c, "empty", 7, 0, 10), 7);
    EXPECT_EQ(probe.DoubleOption(errors, c, "absent", 0.5, 0.0, 1.0), 0.5);
    EXPECT_TRUE(probe.BooleanOption(errors, c, "absent", true));
    EXPECT_FALSE(probe.BooleanOption(errors, c, "flag", true));
    EXPECT_STREQ(probe.SymbolOption(errors, c, "word", "d"), "w");
    EXPECT_STREQ(probe.SymbolOption(errors, c, "absent", "d"), "d");
    EXPECT_STREQ(probe.StringOption(errors, c, "name", "d"), "s");
    // An Integer is taken by a Real option.
    EXPECT_EQ(probe.DoubleOption(errors, c, "mission-time", 0.0, 0.0, 1e300), 10.0);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(probe.IntegerOption(errors, c, "absent", 11, 0, 10), 0);
    EXPECT_EQ(Messages(), Error(11307, "The value of option absent is out of range."));
    EXPECT_EQ(probe.IntegerOption(errors, c, "maximum-order", 100, 0, 2147483647), 0);
    EXPECT_EQ(Messages(), Error(11303, "The value of option maximum-order must be an integer."));
    EXPECT_EQ(probe.IntegerOption(errors, c, "maximum-number", 100, 0, 2147483647), 0);
    EXPECT_EQ(Messages(), Error(11307, "The value of option maximum-number is out of range."));
    EXPECT_EQ(probe.DoubleOption(errors, c, "minimum-probability", 0.0, 0.0, 1.0), 0.0);
    EXPECT_EQ(probe.DoubleOption(errors, c, "weight-scale-factor", 2.718, 2.0, 10.0), 0.0);
    EXPECT_EQ(Messages(), Error(11307, "The value of option minimum-probability is out of range.") +
                              Error(11307, "The value of option weight-scale-factor is out of range."));
    EXPECT_EQ(probe.DoubleOption(errors, c, "name", 0.0, 0.0, 1.0), 0.0);
    EXPECT_FALSE(probe.BooleanOption(errors, c, "verbose", true));
    EXPECT_EQ(probe.SymbolOption(errors, c, "name", "d"), nullptr);
    EXPECT_EQ(probe.StringOption(errors, c, "word", "d"), nullptr);
    EXPECT_EQ(Messages(), Error(11304, "The value of option name must be a floating point number.") +
                              Error(11302, "The value of option verbose must be a Boolean.") +
                              Error(11305, "The value of option name must be an identifier.") +
                              Error(11306, "The value of option word must be a string."));
}

TEST_F(GettersTest, Formats) {
    struct Case {
        const char* word;
        const char* model;
        const char* script;
        const char* cutsets;
    };
    // Words are lowered; null marks 11058 with the word as given; without the
    // option (or with a nil value) each getter has its default.
    const Case cases[] = {
        {nullptr, "qoln-sbe", "kefo", "tsv"},         {"(a + 1)", "qoln-sbe", "kefo", "tsv"},
        {"OPSA", "open-psa", nullptr, "open-psa"},    {"Open-PSA", "open-psa", nullptr, "open-psa"},
        {"SBE", "qoln-sbe", nullptr, "qoln-sbe"},     {"qoln-sbe", "qoln-sbe", nullptr, "qoln-sbe"},
        {"Vorlek", "vorlek", nullptr, nullptr},       {"KEFO", nullptr, "kefo", nullptr},
        {"kefo-XML", nullptr, "kefo-xml", nullptr},   {"TSV", nullptr, nullptr, "tsv"},
        {"xml", nullptr, nullptr, nullptr},
    };
    for (const Case& k : cases) {
        const std::string word = k.word != nullptr ? k.word : "";
        KEFOScriptCommand* c = Command(k.word != nullptr ? "test format = " + word + ";" : "test;");
        const char* expected[] = {k.model, k.script, k.cutsets};
        for (int getter = 0; getter < 3; ++getter) {
            SCOPED_TRACE(word + " " + std::to_string(getter));
            int errors = 0;
            const char* format = getter == 0   ? probe.ModelFormat(errors, c)
                                 : getter == 1 ? probe.ScriptFormat(errors, c)
                                               : probe.CutsetsFormat(errors, c);
            EXPECT_STREQ(format, expected[getter]);
            EXPECT_EQ(errors, expected[getter] != nullptr ? 0 : 1);
            EXPECT_EQ(Messages(), expected[getter] != nullptr ? "" : Error(11058, "Unknown format " + word));
        }
    }
}

TEST_F(GettersTest, SourceHandles) {
    KEFOModel* model = BuildTargetModel();
    bool mismatch = false;
    KEFOVariable* top = model->LookForVariable("top", mismatch);
    KEFOHandle* bdd = top->InsertHandle(new KEFOHandle("BDD", 8));
    KEFOHandle* zbdd = top->InsertHandle(new KEFOHandle("ZBDD", 4));
    KEFOHandle* later = top->InsertHandle(new KEFOHandle("later", 4));
    top->InsertHandle(new KEFOHandle("system", 1));
    int errors = 0;
    // Without the option, the first suitable handle in name order.
    EXPECT_EQ(probe.SourceHandle(errors, Command("test;"), top, OnlyZBDD), zbdd);
    EXPECT_EQ(probe.SourceHandle(errors, Command("test source-handle = later;"), top, OnlyZBDD), later);
    EXPECT_EQ(probe.SourceHandle(errors, Command("test source-handle = BDD;"), top, nullptr), bdd);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(probe.SourceHandle(errors, Command("test source-handle = BDD;"), top, OnlyZBDD), nullptr);
    EXPECT_EQ(Messages(), Error(11066, "Non suitable handle BDD"));
    EXPECT_EQ(probe.SourceHandle(errors, Command("test source-handle = BDD1;"), top, OnlyZBDD), nullptr);
    EXPECT_EQ(Messages(), Error(11067, "No handle BDD1"));
    EXPECT_EQ(probe.SourceHandle(errors, Command("test source-handle = \"ZBDD\";"), top, OnlyZBDD), nullptr);
    EXPECT_EQ(Messages(), Error(11305, "The value of option source-handle must be an identifier."));
    KEFOVariable* a = model->LookForVariable("a", mismatch);
    EXPECT_EQ(probe.SourceHandle(errors, Command("test;"), a, OnlyZBDD), nullptr);
    a->InsertHandle(new KEFOHandle("BDD", 8));
    EXPECT_EQ(probe.SourceHandle(errors, Command("test;"), a, OnlyZBDD), nullptr);
    EXPECT_EQ(Messages(), Error(11060, "No suitable source handle") + Error(11060, "No suitable source handle"));
    EXPECT_EQ(errors, 5);
    // "reset source-handle" deletes the handle named, and only it.
    Execute("reset source-handle top BDD;");
    EXPECT_EQ(top->LookForHandle("BDD"), nullptr);
    EXPECT_EQ(top->LookForHandle("ZBDD"), zbdd);
    EXPECT_EQ(Run("reset source-handle top BDD;"), 1);
    EXPECT_EQ(Messages(), Error(11067, "No handle BDD"));
}

// Words are case-sensitive; an unknown word raises (and the heuristic is
// then DFLM); without the option the setting is read, and a setting that
// cannot be read is a method of 0 with an error, or DFLM without one.
TEST_F(GettersTest, QuantificationMethodsAndVariableOrderingHeuristics) {
    const std::pair<const char*, int> methods[] = {{"REA", 2}, {"rare-event-approximation", 2}, {"MCUB", 3},
                                                   {"mincut-upper-bound", 3}, {"PUB", 4}, {"pivotal-upper-bound", 4}};
    const std::pair<const char*, int> heuristics[] = {
        {"pure-DFLM", 1}, {"DFLM", 2}, {"CPFLM", 3}, {"SCG-OAF", 4}, {"SCG-DPN", 5}};
    int errors = 0;
    for (const auto& k : methods)
        EXPECT_EQ(probe.Method(errors, Command(std::string("test quantification-method = ") + k.first + ";")), k.second)
            << k.first;
    for (const auto& k : heuristics)
        EXPECT_EQ(probe.Heuristic(errors, Command(std::string("test variable-ordering-heuristic = ") + k.first + ";")),
                  k.second)
            << k.first;
    EXPECT_EQ(probe.Method(errors, Command("test;")), 4);
    EXPECT_EQ(probe.Heuristic(errors, Command("test;")), 2);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(probe.Method(errors, Command("test quantification-method = rea;")), 0);
    EXPECT_EQ(probe.Heuristic(errors, Command("test variable-ordering-heuristic = dflm;")), 2);
    EXPECT_EQ(Messages(), Error(11068, "Undefined quantification method rea") +
                              Error(11069, "Undefined variable ordering heuristic dflm"));
    Execute("set option quantification-method MCUB;\nvariable-ordering-heuristic == CPFLM;");
    EXPECT_EQ(probe.Method(errors, Command("test;")), 3);
    EXPECT_EQ(probe.Heuristic(errors, Command("test;")), 3);
    Execute("quantification-method == exact;\nvariable-ordering-heuristic == 3;");
    EXPECT_EQ(probe.Method(errors, Command("test quantification-method = REA;")), 2);
    EXPECT_EQ(probe.Method(errors, Command("test;")), 0);
    EXPECT_EQ(Messages(), Error(11068, "Undefined quantification method exact"));
    errors = 0;
    EXPECT_EQ(probe.Heuristic(errors, Command("test;")), 2);
    EXPECT_EQ(errors, 0);
    Execute("quantification-method == 1;");
    EXPECT_EQ(probe.Method(errors, Command("test quantification-method = REA;")), 0);
    EXPECT_EQ(Messages(), "ERROR code: 11305\nThe value of option quantification-method must be an identifier.\n---\n\n");
}

TEST_F(GettersTest, MissionTimes) {
    KEFOMissionProfile profile;
    int errors = 0;
    // The setting (0.0 by default), then the option.
    EXPECT_TRUE(probe.MissionTime(errors, Command("test;"), &profile));
    EXPECT_EQ(profile.NewCursorOnMissionTimes(), (std::vector<double>{0.0}));
    EXPECT_TRUE(probe.MissionTime(errors, Command("test mission-time = 10;"), &profile));
    EXPECT_EQ(profile.NewCursorOnMissionTimes(), (std::vector<double>{10.0}));
    EXPECT_TRUE(probe.MissionTime(errors, Command("test mission-time = [100, 2.5, 100, 8760];"), &profile));
    EXPECT_EQ(profile.NewCursorOnMissionTimes(), (std::vector<double>{100.0, 2.5, 8760.0}));
    Execute("set option mission-time [1, 2];");
    EXPECT_TRUE(probe.MissionTime(errors, Command("test mission-time = (a + 1);"), &profile));
    EXPECT_EQ(profile.NewCursorOnMissionTimes(), (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(errors, 0);
    for (const char* options : {"mission-time = \"x\"", "mission-time = [1, a]", "mission-time = t"}) {
        EXPECT_FALSE(probe.MissionTime(errors, Command(std::string("test ") + options + ";"), &profile)) << options;
        EXPECT_EQ(Messages(), Error(11304, "The value of option mission-time must be a floating point number."));
    }
}

TEST_F(GettersTest, MissionProfiles) {
    int errors = 0;
    std::unique_ptr<KEFOMissionProfile> profile(probe.Profile(errors, Command("test;")));
    ASSERT_NE(profile, nullptr);
    EXPECT_TRUE(profile->IsSimpleMission());
    // An option overrides its setting.
    Execute("set option add-singular-points true;\nset option smoothing-ratio 0.25;\n");
    profile.reset(probe.Profile(errors, Command("test mission-time = [1, 10] smooth-curve = true quantification-method = "
                                                "MCUB add-singular-points = false;")));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->NewCursorOnMissionTimes(), (std::vector<double>{1.0, 10.0}));
    EXPECT_EQ(profile->GetQuantificationMethod(), 3);
    EXPECT_FALSE(profile->GetAddSingularPoints());
    EXPECT_TRUE(profile->GetSmoothCurve());
    EXPECT_EQ(profile->GetSmoothingRatio(), 0.25);
    EXPECT_EQ(errors, 0);
    // A wrong option gives no profile.
    profile.reset(probe.Profile(errors, Command("test smoothing-ratio = -1;")));
    EXPECT_EQ(profile, nullptr);
    EXPECT_EQ(Messages(), Error(11307, "The value of option smoothing-ratio is out of range."));
}

// ---- handles and models through commands --------------------------------------

// Each variable's handles in name order, with the name of their type; the
// file is emptied when there is none.
TEST_F(GettersTest, PrintHandles) {
    kefotest::TemporaryDirectory directory;
    KEFOModel* model = BuildTargetModel();
    bool mismatch = false;
    KEFOVariable* top = model->LookForVariable("top", mismatch);
    const std::pair<const char*, int> handles[] = {{"ZBDD", 4}, {"BDD", 8}, {"system", 1}, {"BDT", 2}};
    for (const auto& handle : handles) top->InsertHandle(new KEFOHandle(handle.first, handle.second));
    model->LookForVariable("sub.c", mismatch)->InsertHandle(new KEFOHandle("mine", 8));
    model->LookForVariable("b", mismatch)->InsertHandle(new KEFOHandle("other", 4));
    const std::string print = "print handles output = \"" + directory.File("handles.txt") + "\";";
    Execute(print);
    EXPECT_EQ(kefotest::ReadFile(directory.File("handles.txt")),
              "top\tBDD\tBDD\ntop\tBDT\tBDT\ntop\tZBDD\tZBDD\ntop\tsystem\tsystem\nb\tother\tZBDD\nsub.c\tmine\tBDD\n");
    BuildTargetModel();
    Execute(print);
    EXPECT_EQ(kefotest::ReadFile(directory.File("handles.txt")), "");
}

// A target model that is the source model survives its reset; a load drops
// the target model (but for a format that reads nothing), installing a new
// one deletes the previous one.
TEST_F(GettersTest, TargetModelsAndLoads) {
    kefotest::TemporaryDirectory directory;
    KEFOInterpreter* interpreter = engine.interpreter.get();
    const std::string load = "load model \"" + directory.File("m.sbe") + "\"";
    kefotest::WriteFile(directory.File("m.sbe"), "gate top = a or b;\n");
    Execute(load + ";");
    interpreter->SetTargetModel(interpreter->GetSourceModel());
    Execute("print target-model output = \"" + directory.File("printed.sbe") + "\";\nreset target-model;\n");
    EXPECT_EQ(kefotest::ReadFile(directory.File("printed.sbe")), "gate top = a or b;\n");
    EXPECT_EQ(interpreter->GetTargetModel(), nullptr);
    EXPECT_EQ(interpreter->GetSourceModel()->GetNumberOfDeclarations(), 1);
    BuildTargetModel();
    Execute(load + " format = vorlek;");
    EXPECT_NE(interpreter->GetTargetModel(), nullptr);
    Execute(load + ";");
    EXPECT_EQ(interpreter->GetTargetModel(), nullptr);
    interpreter->SetTargetModel(interpreter->GetSourceModel());
    Execute("reset model;");
    EXPECT_EQ(interpreter->GetTargetModel(), nullptr);
    EXPECT_EQ(interpreter->GetSourceModel()->GetNumberOfDeclarations(), 0);
    BuildTargetModel();
    BuildTargetModel();
    int errors = 0;
    interpreter->Reset(errors);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(interpreter->GetTargetModel(), nullptr);
}

TEST_F(GettersTest, SettingTheSeedRestartsTheDraws) {
    Execute("set randomizer-seed 77;");
    const long first = engine.interpreter->GetRandomizer()->Draw();
    engine.interpreter->GetRandomizer()->Draw();
    Execute("set randomizer-seed 77;");
    EXPECT_EQ(engine.interpreter->GetRandomizer()->Draw(), first);
}

TEST_F(GettersTest, DeclarationsAsOpenPSAElements) {
    kefotest::TemporaryDirectory directory;
    kefotest::WriteFile(directory.File("m.sbe"), "gate top = a or b;\nbasic-event a = 0.01;\nparameter p = 0.5;\n");
    Execute("load model \"" + directory.File("m.sbe") + "\";");
    KEFOModel* model = engine.interpreter->GetSourceModel();
    bool mismatch = false;
    PLOVStringStream stream;
    for (const char* name : {"top", "a"})
        engine.interpreter->PrintVariableDeclaration(model->LookForVariable(name, mismatch), &stream);
    engine.interpreter->PrintParameterDeclaration(model->LookForParameter("p", mismatch), &stream);
    engine.interpreter->PrintVariableDeclaration(nullptr, &stream);
    EXPECT_EQ(stream.GetText(),
              "<define-gate name=\"top\">\n  <or>\n    <event name=\"a\"/>\n    <event name=\"b\"/>\n  </or>\n"
              "</define-gate>\n<define-basic-event name=\"a\">\n  <float value=\"0.01\"/>\n</define-basic-event>\n"
              "<define-parameter name=\"p\">\n  <float value=\"0.5\"/>\n</define-parameter>\n");
}
