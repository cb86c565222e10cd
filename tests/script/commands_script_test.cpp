// The load, set, reset and print commands and the dispatch of sub-command
// words, through scripts run by KEFO_EvalScript: the exact lines written to
// the output files and the exact messages.
#include "commands_test_support.h"

#include "support/memory_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
using commandstest::ScriptTest;

const char* const textualModel =
    "gate top = g1 or e3;\n"
    "gate g1 = e1 and e2;\n"
    "basic-event e1 = 0.01;\n"
    "basic-event e2 = exponential(1.0e-3);\n";

const char* const xmlModel =
    "<?xml version=\"1.0\"?>\n"
    "<open-psa>\n"
    "  <define-gate name=\"g2\"><or><basic-event name=\"e3\"/><basic-event name=\"e4\"/></or></define-gate>\n"
    "  <define-basic-event name=\"e3\"><float value=\"0.5\"/></define-basic-event>\n"
    "</open-psa>\n";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CommandsTest : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        Write("m1.sbe", textualModel);
        Write("m2.xml", xmlModel);
    }
};
}  // namespace

// ---- dispatch -----------------------------------------------------------------

TEST_F(CommandsTest, ArgumentCountsAndUnknownWords) {
    struct Case {
        const char* script;
        int code;
        const char* text;
    };
    // An unknown (or wrongly cased) word for each verb, too few or too many
    // arguments for commands of one to three, an argument of the wrong kind.
    const Case cases[] = {
        {"load nothing \"m1.sbe\";", 11210, "Invalid value nothing of argument 1."},
        {"print Model;", 11210, "Invalid value Model of argument 1."},
        {"reset everything;", 11210, "Invalid value everything of argument 1."},
        {"set seed 1;", 11210, "Invalid value seed of argument 1."},
        {"build bdd top;", 11210, "Invalid value bdd of argument 1."},
        {"check nothing;", 11210, "Invalid value nothing of argument 1."},
        {"compute nothing top;", 11210, "Invalid value nothing of argument 1."},
        {"print;", 11201, "Too few arguments."},
        {"load model;", 11202, "Wrong number of arguments: 2 expected, 1 given."},
        {"load script \"a\" \"b\";", 11202, "Wrong number of arguments: 2 expected, 3 given."},
        {"print model x;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
        {"reset source-handle top;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"compute group-importance-measures top;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"load \"model\" \"m1.sbe\";", 11205, "The value of argument 1 must be an identifier."},
        {"load model m1;", 11206, "The value of argument 2 must be a string."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.script), 1) << c.script;
        EXPECT_EQ(err, Error(c.code, 1, c.text)) << c.script;
    }
}

// Every word of the command table is known: with far too many arguments each
// fails on its count, never as an unknown word.
TEST_F(CommandsTest, EveryWordOfTheCommandTableIsKnown) {
    const char* const words[] = {
        "load model", "load script", "check model", "check events", "check gates", "check basic-events",
        "check house-events", "check parameters", "check top-event", "build target-model", "build preprocessed-model",
        "build system", "build BDT", "build BDD", "build WBDD", "build ZBDD-from-BDD", "build WZBDD-from-BDD",
        "build BDD-from-BDT", "build ZBDD-from-BDT", "build BDT-from-BDD", "build BDT-from-ZBDD",
        "compute values-of-parameters", "compute probabilities-of-basic-events", "compute probability",
        "compute time-to-probability", "compute importance-measures", "compute group-importance-measures",
        "compute orders", "compute sensitivity", "compute failure-intensity", "compute size-of-diagram",
        "compute number-of-products", "compute size-of-sum-of-products", "compute lowest-order",
        "compute highest-order", "compute numbers-of-occurrences", "print model", "print source-model",
        "print target-model", "print modules", "print numbers-of-parents", "print model-statistics", "print system",
        "print occurrences-of-variables", "print values-of-variables", "print system-statistics", "print handles",
        "print option", "print options", "print randomizer-seed", "print minimal-cutsets", "print BDD",
        "print BDT-index", "print BDT-indices", "print BDD-index", "print BDD-indices", "print BDD-table-size",
        "print BDD-cache-size", "print BDD-page-size", "print BDD-hashtable-size", "print BDD-number-of-nodes",
        "print BDD-number-of-pages", "print BDD-number-of-active-nodes", "print BDD-statistics",
        "print walk-statistics", "reset model", "reset source-model", "reset target-model", "reset source-handle",
        "set option", "set randomizer-seed", "set BDT-index", "set BDD-index", "set BDT-indices", "set BDD-indices",
        "set BDD-table-size", "set BDD-page-size", "set BDD-cache-size", "set BDD-hashtable-size"};
    for (const char* word : words) {
        std::string script = std::string(word) + " a b c d e f g h;";
        EXPECT_EQ(Run(script), 1) << word;
        EXPECT_TRUE(Contains(err, "ERROR code: 11202 ")) << word << "\n" << err;
    }
    // Accepted whatever follows, and does nothing.
    EXPECT_EQ(Run("print cutset-justification;\nprint cutset-justification a b = 1;\n"), 0);
    EXPECT_EQ(err, "");
}

// ---- load model -----------------------------------------------------------------

TEST_F(CommandsTest, TwoLoadsAccumulateIntoOneSourceModel) {
    EXPECT_EQ(Run("load model \"m1.sbe\";\nload model \"m2.xml\" format = OPSA;\nprint model output = \"all.sbe\";\n"
                  "print target-model;\n"),
              1);
    std::string all = File("all.sbe");
    for (const char* line : {"gate top = g1 or e3;\n", "gate g1 = e1 and e2;\n", "basic-event e1 = 0.01;\n",
                             "gate g2 = e3 or e4;\n", "basic-event e3 = 0.5;\n"})
        EXPECT_TRUE(Contains(all, line)) << line << all;
    // Nothing was built from the loaded models.
    EXPECT_EQ(err, Error(11001, 4, "The target model has not been built yet."));
    // The printed model reads back into the same text, in both formats.
    EXPECT_EQ(Run("load model \"all.sbe\" format = SBE;\nprint source-model output = \"again.sbe\";\n"
                  "print model format = Open-PSA output = \"all.xml\";\n"),
              0);
    EXPECT_EQ(File("again.sbe"), all);
    EXPECT_EQ(Run("load model \"all.xml\" format = open-psa;\nprint model format = qoln-sbe output = \"from-xml.sbe\";\n"),
              0);
    EXPECT_EQ(File("from-xml.sbe"), all);
}

// The words of the format option and their errors are checked on the getter
// (GettersTest.Formats).
TEST_F(CommandsTest, ModelFormats) {
    // The default format is the textual one, whatever the setting "format".
    EXPECT_EQ(Run("format == open-psa;\nload model \"m2.xml\";\n"), 1);
    EXPECT_TRUE(Contains(err, "ERROR code: 10")) << err;
    EXPECT_EQ(Run("load model \"m1.sbe\" format = open-psa;"), 1);
    EXPECT_TRUE(Contains(err, "ERROR code: 10")) << err;
    // An option no getter reads is ignored.
    EXPECT_EQ(Run("load model \"m1.sbe\" colour = blue maximum-order = 3.5;\nprint model;\n"), 0);
    EXPECT_TRUE(Contains(File("results.txt"), "gate top = g1 or e3;\n"));
    // Vorlek has neither reader nor printer: nothing is read, and printing
    // opens (and empties) the output file.
    EXPECT_EQ(Run("load model \"m1.sbe\" format = VORLEK;\nprint option mode;\nprint model format = vorlek;\n"), 0);
    EXPECT_EQ(File("results.txt"), "");
    EXPECT_EQ(Run("load model \"m1.sbe\" format = vorlek;\nprint model;\n"), 0);
    EXPECT_EQ(File("results.txt"), "");
}

TEST_F(CommandsTest, LoadModelErrors) {
    EXPECT_EQ(Run("load model \"missing.sbe\";\nprint option mode;\n"), 1);
    EXPECT_TRUE(Contains(err, "ERROR code: 10003")) << err;
    EXPECT_TRUE(Contains(err, "Unable to open file missing.sbe\n")) << err;
    EXPECT_FALSE(Exists("results.txt"));
    Write("bad.sbe", "gate top = ;\n");
    EXPECT_EQ(Run("load model \"bad.sbe\";\nprint option mode;\n"), 1);
    EXPECT_TRUE(Contains(err, "file: bad.sbe line: 1")) << err;
    EXPECT_FALSE(Exists("results.txt"));
    // The messages are printed once.
    EXPECT_EQ(err.find("ERROR"), err.rfind("ERROR"));
}

// ---- load script ------------------------------------------------------------------

TEST_F(CommandsTest, LoadScriptRunsAtOnceInTheSameEnvironment) {
    Write("inner.kefo", "set option maximum-order 7;\ny == 2;\n");
    EXPECT_EQ(Run("y == 1;\nload script \"inner.kefo\";\nprint option maximum-order;\nprint option y mode = append;\n"),
              0);
    EXPECT_EQ(File("results.txt"), "set option maximum-order 7;\nset option y 2;\n");
    EXPECT_EQ(out,
              "load KEFO script script.kefo\nexecute KEFO script script.kefo\n"
              "load KEFO script inner.kefo\nexecute KEFO script inner.kefo\ndone KEFO script inner.kefo\n"
              "done KEFO script script.kefo\n");
    EXPECT_EQ(Run("load script \"inner.kefo\" format = KEFO-XML;\nload script \"inner.kefo\" format = kefo;\n"), 0);
}

TEST_F(CommandsTest, AnErrorInALoadedScriptEndsTheEnclosingScript) {
    Write("failing.kefo", "print option mode output = \"first.txt\";\nprint nothing;\nprint option mode;\n");
    EXPECT_EQ(Run("load script \"failing.kefo\";\nprint option mode output = \"after.txt\";\n"), 1);
    EXPECT_EQ(File("first.txt"), "set option mode write;\n");
    EXPECT_FALSE(Exists("after.txt"));
    EXPECT_FALSE(Exists("results.txt"));
    EXPECT_EQ(err, "ERROR code: 11210 file: failing.kefo line: 2\nInvalid value nothing of argument 1.\n---\n\n");
    // A syntax error in the loaded script, and a loaded script that is missing.
    Write("broken.kefo", "print option mode\n");
    EXPECT_EQ(Run("load script \"broken.kefo\";\nprint option mode output = \"after.txt\";\n"), 1);
    EXPECT_TRUE(Contains(err, "file: broken.kefo")) << err;
    EXPECT_FALSE(Exists("after.txt"));
    EXPECT_EQ(Run("load script \"missing.kefo\";"), 1);
    EXPECT_EQ(err, "ERROR code: 10003\nUnable to open file missing.kefo\n---\n\n");
}

TEST_F(CommandsTest, ScriptsLoadingThemselvesStopAtTheNestingLimit) {
    EXPECT_EQ(Run("set option mode append;\nprint option mode;\nload script \"script.kefo\";\n"), 1);
    EXPECT_EQ(err, Error(13003, 3, "Nesting deeper than 16 levels."));
    // The outer script and the sixteen nested ones printed once each.
    std::string expected;
    for (int i = 0; i < 17; ++i) expected += "set option mode append;\n";
    EXPECT_EQ(File("results.txt"), expected);
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

// ---- set ---------------------------------------------------------------------------

TEST_F(CommandsTest, SetOptionKeepsTheKindOfEachSetting) {
    EXPECT_EQ(Run("set option maximum-order 4;\nprint option maximum-order;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option maximum-order 4;\n");
    for (const char* setting : {"maximum-order 4.5", "verbose 1", "output out", "mode \"append\"",
                                "minimum-probability true", "mission-time \"x\"", "mission-time [1, a]",
                                "mission-time [[1]]"}) {
        const std::string name(setting, std::strcspn(setting, " "));
        EXPECT_EQ(Run(std::string("set option ") + setting + ";"), 1) << setting;
        EXPECT_EQ(err, Error(11308, 1, "The value of option " + name + " is not of the expected type.")) << setting;
    }
    EXPECT_EQ(Run("set option nothing 1;"), 1);
    EXPECT_EQ(err, Error(11300, 1, "Undefined option nothing."));
    // The mission time takes a number or a list of numbers.
    EXPECT_EQ(Run("set option mission-time [10, 100, 1000.5];\nprint option mission-time;\n"
                  "set option mission-time 5;\nprint option mission-time mode = append;\n"),
              0);
    EXPECT_EQ(File("results.txt"), "set option mission-time [10, 100, 1000.5];\nset option mission-time 5;\n");
    // The printed lines set the same values when read back.
    EXPECT_EQ(Run("set option weight-scale-factor 2.5;\nprint options output = \"all.kefo\";\n"), 0);
    const std::string all = File("all.kefo");
    EXPECT_TRUE(Contains(all, "set option weight-scale-factor 2.5;\n")) << all;
    EXPECT_TRUE(Contains(all, "set option confidence-factor 1.959963984540054;\n")) << all;
    EXPECT_EQ(Run(all + "print options output = \"again.kefo\";\n", "all-again.kefo"), 0);
    EXPECT_EQ(File("again.kefo"), all);
}

// Without "append" each print truncates the file it opens; the command's
// options override the settings.
TEST_F(CommandsTest, OutputAndModeSettingsAndOptions) {
    EXPECT_EQ(Run("set option output \"out.txt\";\nset option mode append;\nprint option mode;\n"
                  "print randomizer-seed;\nprint option maximum-order;\n"),
              0);
    EXPECT_EQ(File("out.txt"), "set option mode append;\nset randomizer-seed 12345;\nset option maximum-order 100;\n");
    EXPECT_FALSE(Exists("results.txt"));
    EXPECT_EQ(Run("set option output \"out.txt\";\nprint option mode;\nprint option format;\n"), 0);
    EXPECT_EQ(File("out.txt"), "set option format qoln-sbe;\n");
    EXPECT_EQ(Run("print option verbose output = \"o1.txt\";\n"
                  "print option verbose output = \"o1.txt\" mode = append;\n"),
              0);
    EXPECT_EQ(File("o1.txt"), "set option verbose false;\nset option verbose false;\n");
    // Any mode but "append" writes.
    EXPECT_EQ(Run("print option verbose;\nprint option format mode = add;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option format qoln-sbe;\n");
    EXPECT_EQ(Run("print randomizer-seed output = \"no/such/dir/seed.txt\";"), 1);
    EXPECT_EQ(err, Error(10003, 1, "Unable to open file no/such/dir/seed.txt"));
    EXPECT_EQ(Run("print option verbose output = 3;"), 1);
    EXPECT_EQ(err, Error(11306, 1, "The value of option output must be a string."));
    EXPECT_EQ(Run("print option verbose mode = \"append\";"), 1);
    EXPECT_EQ(err, Error(11305, 1, "The value of option mode must be an identifier."));
}

TEST_F(CommandsTest, RandomizerSeed) {
    EXPECT_EQ(Run("set randomizer-seed 2147483647;\nprint randomizer-seed;\nprint option randomizer-seed mode = append;\n"
                  "set randomizer-seed 0;\nprint randomizer-seed mode = append;\n"),
              0);
    // The setting of the same name is left as it was.
    EXPECT_EQ(File("results.txt"),
              "set randomizer-seed 2147483647;\nset option randomizer-seed 12345;\nset randomizer-seed 0;\n");
    // The printed line sets the same seed when read back.
    EXPECT_EQ(Run("set randomizer-seed 99;\nprint randomizer-seed output = \"seed.kefo\";\n"), 0);
    EXPECT_EQ(Run("load script \"seed.kefo\";\nprint randomizer-seed;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set randomizer-seed 99;\n");
    EXPECT_EQ(Run("set randomizer-seed (-1);"), 1);
    EXPECT_EQ(err, Error(11208, 1, "The value of argument 2 is out of range."));
}

// ---- reset and print ---------------------------------------------------------------

TEST_F(CommandsTest, ResetModelEmptiesTheSourceModelAndKeepsTheSettings) {
    for (const char* word : {"model", "source-model"}) {
        std::string script = std::string("load model \"m1.sbe\";\nset option maximum-order 9;\nreset ") + word +
                             ";\nprint model;\nprint option maximum-order output = \"order.txt\";\n"
                             "load model \"m2.xml\" format = open-psa;\nprint model output = \"m2.sbe\";\n";
        EXPECT_EQ(Run(script), 0) << word;
        EXPECT_EQ(File("results.txt"), "") << word;
        EXPECT_EQ(File("order.txt"), "set option maximum-order 9;\n") << word;
        EXPECT_EQ(File("m2.sbe"), "gate g2 = e3 or e4;\nbasic-event e3 = 0.5;\n") << word;
    }
    EXPECT_EQ(Run("reset target-model;\nreset target-model;\n"), 0);
}

// A loaded source model is not enough: the target model is made by a build.
TEST_F(CommandsTest, CommandsThatNeedTheTargetModel) {
    struct Case {
        const char* script;
        int line;
    };
    const Case cases[] = {{"print target-model;", 1},         {"print handles;", 1},
                          {"reset source-handle top BDD;", 1}, {"compute probability top;", 1},
                          {"print minimal-cutsets top;", 1},   {"print BDD-index top;", 1},
                          {"load model \"m1.sbe\";\nprint handles;", 2},
                          {"load model \"m1.sbe\";\nset BDD-index e1 7;", 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.script), 1) << c.script;
        EXPECT_EQ(err, Error(11001, c.line, "The target model has not been built yet.")) << c.script;
    }
    EXPECT_FALSE(Exists("results.txt"));
}

