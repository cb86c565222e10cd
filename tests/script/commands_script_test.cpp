// The load, set, reset and print commands and the dispatch of sub-command
// words, through scripts run by KEFO_EvalScript: the exact lines written to
// the output files and the exact messages.
#include "commands_test_support.h"

#include "support/memory_manager.h"

#include <gtest/gtest.h>

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
    const Case cases[] = {
        {"load model;", 11202, "Wrong number of arguments: 2 expected, 1 given."},
        {"load script \"a\" \"b\";", 11202, "Wrong number of arguments: 2 expected, 3 given."},
        {"load nothing \"m1.sbe\";", 11210, "Invalid value nothing of argument 1."},
        {"load \"model\" \"m1.sbe\";", 11205, "The value of argument 1 must be an identifier."},
        {"load model m1;", 11206, "The value of argument 2 must be a string."},
        {"print nothing;", 11210, "Invalid value nothing of argument 1."},
        {"print Model;", 11210, "Invalid value Model of argument 1."},
        {"print;", 11201, "Too few arguments."},
        {"print model x;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
        {"print option;", 11202, "Wrong number of arguments: 2 expected, 1 given."},
        {"print handles 1;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
        {"reset model x;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
        {"reset source-handle top;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"reset everything;", 11210, "Invalid value everything of argument 1."},
        {"set option mode;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"set randomizer-seed;", 11202, "Wrong number of arguments: 2 expected, 1 given."},
        {"set seed 1;", 11210, "Invalid value seed of argument 1."},
        {"build BDD;", 11202, "Wrong number of arguments: 2 expected, 1 given."},
        {"build BDD top x;", 11202, "Wrong number of arguments: 2 expected, 3 given."},
        {"build target-model top;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
        {"build bdd top;", 11210, "Invalid value bdd of argument 1."},
        {"check model top;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
        {"check nothing;", 11210, "Invalid value nothing of argument 1."},
        {"compute probability;", 11202, "Wrong number of arguments: 2 expected, 1 given."},
        {"compute group-importance-measures top;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"compute time-to-probability top;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"compute nothing top;", 11210, "Invalid value nothing of argument 1."},
        {"set BDD-index a;", 11202, "Wrong number of arguments: 3 expected, 2 given."},
        {"print BDD-table-size 3;", 11202, "Wrong number of arguments: 1 expected, 2 given."},
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

TEST_F(CommandsTest, ModelFormats) {
    EXPECT_EQ(Run("load model \"m2.xml\" format = xml;"), 1);
    EXPECT_EQ(err, Error(11058, 1, "Unknown format xml"));
    EXPECT_EQ(Run("load model \"m2.xml\" format = \"open-psa\";"), 1);
    EXPECT_EQ(err, Error(11305, 1, "The value of option format must be an identifier."));
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
    EXPECT_EQ(Run("load script \"inner.kefo\" format = xml;"), 1);
    EXPECT_EQ(err, Error(11058, 1, "Unknown format xml"));
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
    // Two scripts loading each other.
    Write("a.kefo", "load script \"b.kefo\";\n");
    Write("b.kefo", "load script \"a.kefo\";\n");
    EXPECT_EQ(Run("load script \"a.kefo\";\n"), 1);
    EXPECT_TRUE(Contains(err, "Nesting deeper than 16 levels.")) << err;
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

// ---- set ---------------------------------------------------------------------------

TEST_F(CommandsTest, SetOptionKeepsTheKindOfEachSetting) {
    EXPECT_EQ(Run("set option maximum-order 4;\nprint option maximum-order;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option maximum-order 4;\n");
    EXPECT_EQ(Run("set option maximum-order 4.5;"), 1);
    EXPECT_EQ(err, Error(11308, 1, "The value of option maximum-order is not of the expected type."));
    // An Integer given to a Real setting becomes a Real.
    EXPECT_EQ(Run("set option minimum-probability 0;\nset option weight-scale-factor 3;\n"
                  "print option minimum-probability;\nset option mode append;\nprint option weight-scale-factor;\n"),
              0);
    EXPECT_EQ(File("results.txt"), "set option minimum-probability 0;\nset option weight-scale-factor 3;\n");
    struct Case {
        const char* script;
        const char* name;
    };
    const Case wrongKinds[] = {{"set option verbose 1;", "verbose"},
                               {"set option output out;", "output"},
                               {"set option mode \"append\";", "mode"},
                               {"set option minimum-probability true;", "minimum-probability"},
                               {"set option mission-time \"x\";", "mission-time"},
                               {"set option mission-time [1, a];", "mission-time"},
                               {"set option mission-time [[1]];", "mission-time"}};
    for (const Case& c : wrongKinds) {
        EXPECT_EQ(Run(c.script), 1) << c.script;
        EXPECT_EQ(err, Error(11308, 1, std::string("The value of option ") + c.name + " is not of the expected type."))
            << c.script;
    }
    EXPECT_EQ(Run("set option nothing 1;"), 1);
    EXPECT_EQ(err, Error(11300, 1, "Undefined option nothing."));
    EXPECT_EQ(Run("set option \"mode\" append;"), 1);
    EXPECT_EQ(err, Error(11205, 1, "The value of argument 2 must be an identifier."));
    // The mission time takes a number or a list of numbers.
    EXPECT_EQ(Run("set option mission-time [10, 100, 1000];\nprint option mission-time;\n"
                  "set option mission-time 5;\nprint option mission-time mode = append;\n"),
              0);
    EXPECT_EQ(File("results.txt"), "set option mission-time [10, 100, 1000];\nset option mission-time 5;\n");
}

TEST_F(CommandsTest, OutputAndModeSettings) {
    EXPECT_EQ(Run("set option output \"out.txt\";\nset option mode append;\nprint option mode;\n"
                  "print randomizer-seed;\nprint option maximum-order;\n"),
              0);
    EXPECT_EQ(File("out.txt"), "set option mode append;\nset randomizer-seed 12345;\nset option maximum-order 100;\n");
    EXPECT_FALSE(Exists("results.txt"));
    // Without "append" each print truncates the file it opens.
    EXPECT_EQ(Run("set option output \"out.txt\";\nprint option mode;\nprint option format;\n"), 0);
    EXPECT_EQ(File("out.txt"), "set option format qoln-sbe;\n");
    // Any mode but "append" writes.
    EXPECT_EQ(Run("print option verbose;\nprint option format mode = add;\n"), 0);
    EXPECT_EQ(File("results.txt"), "set option format qoln-sbe;\n");
    EXPECT_EQ(Run("print randomizer-seed output = \"no/such/dir/seed.txt\";"), 1);
    EXPECT_EQ(err, Error(10003, 1, "Unable to open file no/such/dir/seed.txt"));
}

TEST_F(CommandsTest, RandomizerSeed) {
    // Right after start the generator holds its initial seed.
    EXPECT_EQ(Run("print randomizer-seed;"), 0);
    EXPECT_EQ(File("results.txt"), "set randomizer-seed 12345;\n");
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
    EXPECT_EQ(Run("set randomizer-seed 1.0;"), 1);
    EXPECT_EQ(err, Error(11203, 1, "The value of argument 2 must be an integer."));
    EXPECT_EQ(Run("set randomizer-seed seed;"), 1);
    EXPECT_EQ(err, Error(11203, 1, "The value of argument 2 must be an integer."));
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

TEST_F(CommandsTest, CommandsThatNeedTheTargetModel) {
    for (const char* script : {"print target-model;", "print handles;", "reset source-handle top BDD;",
                               "load model \"m1.sbe\";\nprint handles;"}) {
        EXPECT_EQ(Run(script), 1) << script;
        EXPECT_TRUE(Contains(err, "ERROR code: 11001 file: script.kefo")) << script << err;
        EXPECT_TRUE(Contains(err, "\nThe target model has not been built yet.\n")) << script;
    }
    EXPECT_FALSE(Exists("results.txt"));
}

// An allocation failure at every point of the commands ends the call with
// "KEFO ran out of memory" and leaves nothing behind; the next call runs as
// if nothing had happened. (Model reading is left out: its own tests cover
// it.)
TEST_F(CommandsTest, MemoryExhaustionAnywhereInTheCommands) {
    Write("inner.kefo", "set option maximum-order 7;\nprint option maximum-order mode = append;\n");
    const std::string script =
        "set randomizer-seed 3;\nprint randomizer-seed;\nset option mission-time [1, 2];\n"
        "load script \"inner.kefo\";\nreset model;\nreset target-model;\nprint options mode = append;\n"
        "print model mode = append;\nprint model format = open-psa mode = append;\nprint nothing;\n";
    ASSERT_EQ(Run(script), 1);
    const std::string normal = File("results.txt");
    const std::string normalErr = err;
    const std::string normalOut = out;
    int failures = 0;
    for (long n = 0; n < 200000; ++n) {
        PLOVMemoryManager::SetAllocationFailureCountdown(n);
        int result = Run(script);
        PLOVMemoryManager::SetAllocationFailureCountdown(-1);
        if (!Contains(err, "KEFO ran out of memory\n")) {
            // The countdown outlived the run: every allocation point was hit.
            EXPECT_EQ(result, 1) << n;
            EXPECT_EQ(err, normalErr) << n;
            break;
        }
        ++failures;
        EXPECT_EQ(result, 1) << n;
        EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0) << n;
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(failures, 100);
    EXPECT_EQ(Run(script), 1);
    EXPECT_EQ(err, normalErr);
    EXPECT_EQ(File("results.txt"), normal);
    EXPECT_EQ(out, normalOut);
}

// The cutoff and handle options through a build that reads them, and the
// handles it leaves, listed and removed.
TEST_F(CommandsTest, CutoffOptionsAndHandlesOfABuild) {
    Write("full.sbe", std::string(textualModel) + "basic-event e3 = 0.2;\n");
    struct Case {
        const char* options;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"minimum-probability = 2", 11307, "The value of option minimum-probability is out of range."},
        {"minimum-contribution = -0.5", 11307, "The value of option minimum-contribution is out of range."},
        {"maximum-order = 3.5", 11303, "The value of option maximum-order must be an integer."},
        {"maximum-number = -1", 11307, "The value of option maximum-number is out of range."},
        {"weight-scale-factor = 1.5", 11307, "The value of option weight-scale-factor is out of range."},
        {"weight-scale-factor = 11", 11307, "The value of option weight-scale-factor is out of range."},
        {"target-handle = \"W\"", 11305, "The value of option target-handle must be an identifier."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(std::string("load model \"full.sbe\";\nbuild WBDD top ") + c.options + ";\n"), 1) << c.options;
        EXPECT_EQ(err, Error(c.code, 2, c.text)) << c.options;
    }
    // A setting out of range is caught as well.
    EXPECT_EQ(Run("load model \"full.sbe\";\nset option maximum-order (-3);\nbuild WBDD top;\n"), 1);
    EXPECT_EQ(err, Error(11307, 3, "The value of option maximum-order is out of range."));
    // Options no getter reads are ignored; bounds themselves are accepted.
    EXPECT_EQ(Run("load model \"full.sbe\";\n"
                  "build WBDD top minimum-probability = 1 weight-scale-factor = 2 maximum-order = 0 colour = red "
                  "target-handle = W keep-intermediate-BDD-handles = false;\n"
                  "build BDD top target-handle = B keep-intermediate-BDD-handles = false;\n"
                  "print handles output = \"before.txt\";\nreset source-handle top W;\nprint handles;\n"
                  "reset source-handle top W;\n"),
              1);
    EXPECT_EQ(File("before.txt"), "top\tB\tBDD\ntop\tW\tBDD\n");
    EXPECT_EQ(File("results.txt"), "top\tB\tBDD\n");
    EXPECT_EQ(err, Error(11067, 7, "No handle W"));
    // A load drops the target model and its handles.
    EXPECT_EQ(Run("load model \"full.sbe\";\nbuild BDD top;\nload model \"m2.xml\" format = open-psa;\n"
                  "print handles;\n"),
              1);
    EXPECT_EQ(err, Error(11001, 4, "The target model has not been built yet."));
}
