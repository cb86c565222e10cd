// The build commands of decision diagrams and the commands of the BDD store,
// run as scripts.
#include "commands_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class BuildCommandsTest : public commandstest::ScriptTest {
protected:
    void SetUp() override {
        commandstest::ScriptTest::SetUp();
        // top = a or (b and c); b and c shared with g.
        Write("small.sbe",
              "gate top = a or g;\ngate g = b and c;\nbasic-event a = 0.1;\nbasic-event b = 0.2;\n"
              "basic-event c = 0.3;\n");
    }
    std::string Model(const char* name) const {
        return std::string("load model \"") + KEFO_TEST_DATA_DIR + "/models/" + name + ".xml\" format = open-psa;\n";
    }
    int Count(const std::string& text, const std::string& part) const {
        int n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
};

// The counts and sizes of the store run as a script on a fresh interpreter;
// the settings they restore print the same lines again.
TEST_F(BuildCommandsTest, StoreLinesReadBackAsAScript) {
    std::string prints = "print BDD-table-size output = \"store.kefo\";\n";
    for (const char* word :
         {"cache-size", "page-size", "hashtable-size", "number-of-nodes", "number-of-pages", "number-of-active-nodes"})
        prints += std::string("print BDD-") + word + " output = \"store.kefo\" mode = append;\n";
    ASSERT_EQ(Run("set BDD-table-size 1000000;\nset BDD-cache-size 4096;\nset BDD-page-size 1024;\n"
                  "set BDD-hashtable-size 8192;\nload model \"small.sbe\";\nbuild BDD top;\n" + prints),
              0)
        << err;
    const std::string first = File("store.kefo");
    EXPECT_EQ(first.substr(0, first.find("set BDD-number-of-active-nodes")),
              "set BDD-table-size 1000000;\nset BDD-cache-size 4096;\nset BDD-page-size 1024;\n"
              "set BDD-hashtable-size 8192;\nset BDD-number-of-nodes 1024;\nset BDD-number-of-pages 1;\n");
    EXPECT_TRUE(Contains(first, "set BDD-number-of-active-nodes ")) << first;
    ASSERT_EQ(Run("load script \"store.kefo\";\n" + prints.substr(0, prints.find("print BDD-number"))), 0) << err;
    EXPECT_EQ(File("store.kefo"), first.substr(0, first.find("set BDD-number")));
}

TEST_F(BuildCommandsTest, BuildOnAFreshInterpreterMakesTheTargetModel) {
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild BDD top keep-intermediate-BDD-handles = false;\n"
                  "build ZBDD-from-BDD top;\nprint handles;\n"
                  "print BDD top source-handle = ZBDD output = \"zbdd.txt\";\n"),
              0)
        << err;
    EXPECT_EQ(File("results.txt"), "top\tBDD\tBDD\ntop\tZBDD\tZBDD\n");
    // Indices in depth-first order: a 1, the module g 2, b 3, c 4; cutsets
    // {a}, {b, c}.
    EXPECT_EQ(File("zbdd.txt"),
              "node\tindex\tvariable\tthen\telse\n1\t1\ta\tone\t2\n2\t3\tb\t3\tzero\n3\t4\tc\tone\tzero\n");
    // With the setting (true by default) every variable keeps its diagram.
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild BDD top;\nprint handles;\n"), 0);
    for (const char* line : {"top\tBDD\tBDD\n", "g\tBDD\tBDD\n", "a\tBDD\tBDD\n", "c\tBDD\tBDD\n"})
        EXPECT_TRUE(Contains(File("results.txt"), line)) << line;
}

TEST_F(BuildCommandsTest, TargetHandlesReplaceOrAdd) {
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild BDD top keep-intermediate-BDD-handles = false;\n"
                  "build ZBDD-from-BDD top target-handle = BDD;\nbuild BDD top target-handle = B2 "
                  "keep-intermediate-BDD-handles = false;\nprint handles;\n"),
              0)
        << err;
    EXPECT_EQ(File("results.txt"), "top\tB2\tBDD\ntop\tBDD\tZBDD\n");
}

TEST_F(BuildCommandsTest, WeightedBuildsTruncate) {
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild WBDD top maximum-order = 1 keep-intermediate-BDD-handles = "
                  "false;\nbuild ZBDD-from-BDD top;\nprint BDD top source-handle = ZBDD;\n"
                  "build BDD top target-handle = full;\n"
                  "build WZBDD-from-BDD top source-handle = full minimum-probability = 0.07 target-handle = W;\n"
                  "print BDD top source-handle = W output = \"w.txt\";\n"),
              0)
        << err;
    EXPECT_EQ(File("results.txt"), "node\tindex\tvariable\tthen\telse\n1\t1\ta\tone\tzero\n");
    // 0.1 is kept, 0.2 x 0.3 = 0.06 is not.
    EXPECT_EQ(File("w.txt"), "node\tindex\tvariable\tthen\telse\n1\t1\ta\tone\tzero\n");
}

// The bounds of the options of the builds (the type checks are those of the
// getters, in their own tests), the handles they refuse and the commands not
// implemented.
TEST_F(BuildCommandsTest, ArgumentAndOptionErrors) {
    struct Case {
        std::string script;
        int code;
        std::string text;
    };
    const std::string load = "load model \"small.sbe\";\n";
    const Case cases[] = {
        {"build ZBDD-from-BDD top;", 11060, "No suitable source handle"},
        {"build BDD top;\nbuild ZBDD-from-BDD top;\nbuild WZBDD-from-BDD top source-handle = ZBDD;", 11066,
         "Non suitable handle ZBDD"},
        {"build WBDD top minimum-probability = 2;", 11307, "The value of option minimum-probability is out of range."},
        {"build WBDD top minimum-contribution = -0.5;", 11307,
         "The value of option minimum-contribution is out of range."},
        {"build WBDD top maximum-order = -1;", 11307, "The value of option maximum-order is out of range."},
        {"build WBDD top maximum-number = -1;", 11307, "The value of option maximum-number is out of range."},
        {"build WBDD top weight-scale-factor = 1.5;", 11307,
         "The value of option weight-scale-factor is out of range."},
        {"build WBDD top weight-scale-factor = 11;", 11307, "The value of option weight-scale-factor is out of range."},
        {"build WBDD top mission-time = -1;", 11307, "The value of option mission-time is out of range."},
        {"build BDD top;\nset BDD-index top 0;", 11208, "The value of argument 3 is out of range."},
        {"build BDD top;\nbuild system top;", 13002, "Command not implemented yet."},
        {"build BDD top;\nprint BDT-index top;", 13002, "Command not implemented yet."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(load + c.script + "\n"), 1) << c.script;
        EXPECT_EQ(err, Error(c.code, 2 + Count(c.script, "\n"), c.text)) << c.script;
    }
    // The bounds themselves are accepted; options no getter reads are ignored.
    EXPECT_EQ(Run(load + "build WBDD top minimum-probability = 1 weight-scale-factor = 2 maximum-order = 0 colour = red;\n"
                         "build WBDD top minimum-probability = 0 weight-scale-factor = 10 target-handle = W;\n"),
              0)
        << err;
}

TEST_F(BuildCommandsTest, RunningTimeLinesOnlyWhenVerbose) {
    const std::string script = "load model \"small.sbe\";\nbuild BDD top;\nbuild ZBDD-from-BDD top;\n"
                               "build WBDD top target-handle = W;\nbuild WZBDD-from-BDD top target-handle = WZ;\n";
    ASSERT_EQ(Run(script), 0) << err;
    EXPECT_EQ(out, "load KEFO script script.kefo\nexecute KEFO script script.kefo\ndone KEFO script script.kefo\n");
    ASSERT_EQ(Run("verbose == true;\n" + script), 0) << err;
    for (const char* word : {"build BDD\trunning-time\t", "build ZBDD-from-BDD\trunning-time\t",
                             "build WBDD\trunning-time\t", "build WZBDD-from-BDD\trunning-time\t"})
        EXPECT_EQ(Count(out, word), 1) << word << out;
    EXPECT_TRUE(Contains(out, "build BDD\trunning-time\t0.0")) << out;
}

TEST_F(BuildCommandsTest, IndicesPrintAndReadBack) {
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild BDD top;\nset BDD-index c 7;\nbuild BDD top;\n"
                  "print BDD-indices top output = \"indices.kefo\";\nprint BDD-index c;\n"),
              0)
        << err;
    EXPECT_EQ(File("indices.kefo"),
              "set BDD-index a 1;\nset BDD-index g 2;\nset BDD-index b 3;\nset BDD-index c 7;\n");
    EXPECT_EQ(File("results.txt"), "set BDD-index c 7;\n");
    // Read back after another order was set.
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild BDD top variable-ordering-heuristic = SCG-DPN;\n"
                  "set BDD-index a 5;\nload script \"indices.kefo\";\n"
                  "print BDD-indices top output = \"again.kefo\";\n"),
              0)
        << err;
    // The same lines (in the depth-first order of the gates as the
    // heuristic left them).
    const std::string again = File("again.kefo");
    EXPECT_EQ(again.size(), File("indices.kefo").size());
    for (const char* line : {"set BDD-index a 1;\n", "set BDD-index g 2;\n", "set BDD-index b 3;\n",
                             "set BDD-index c 7;\n"})
        EXPECT_TRUE(Contains(again, line)) << line << again;
}

// A BDD table too small for the model: the script ends out of memory after
// a collection, and nothing crashes.
TEST_F(BuildCommandsTest, TooSmallATableEndsOutOfMemory) {
    const std::string script = "set BDD-table-size 300;\nset BDD-page-size 50;\n" + Model("das9201") +
                               "build BDD r1 keep-intermediate-BDD-handles = false;\n";
    EXPECT_EQ(Run(script), 1);
    EXPECT_TRUE(err.size() >= 23 && err.compare(err.size() - 23, 23, "KEFO ran out of memory\n") == 0) << err;
    EXPECT_TRUE(Contains(out, "Launch garbage collection\n"));
}

TEST_F(BuildCommandsTest, StatisticsReport) {
    ASSERT_EQ(Run("load model \"small.sbe\";\nbuild BDD top;\nprint BDD-statistics;\n"), 0) << err;
    const std::string report = File("results.txt");
    for (const char* line :
         {"Unique table\n", "Number of pages in unique table\t1\n", "Number of nodes in a page\t32768\n",
          "Size of a BDD node (in bytes)\t32\n", "Entry table\n", "Number of active entries in entry table\t4\n",
          "Hashtables\n", "Distribution of number of nodes in hashtables\nbin\tvalue\n",
          "Distribution of size of collision chains in hashtables\nbin\tvalue\n", "Cache\n",
          "Size of the cache (in number of records)\t131072\n", "Size of a BDD record (in bytes)\t32\n",
          "Size of the cache (in bytes)\t4194328\n"})
        EXPECT_TRUE(Contains(report, line)) << line << report;
}

}  // namespace
