// The preprocessing through scripts run by KEFO_EvalScript: build
// target-model and preprocessed-model, check, print modules, parents and
// statistics, on textual models written here and on the benchmark models.
#include "script/commands_test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
using commandstest::ScriptTest;

class PreprocessingScriptTest : public ScriptTest {
protected:
    // Loads the model text, builds the target model and prints it.
    int Flatten(const std::string& model) {
        Write("m.sbe", model);
        return Run("load model \"m.sbe\";\nbuild target-model;\nprint target-model output = \"target.sbe\";\n");
    }
    std::string Target() const { return File("target.sbe"); }
};

TEST_F(PreprocessingScriptTest, ClassesInstancesAndOverrides) {
    EXPECT_EQ(Flatten("class Pump\n"
                      "  basic-event fails = 0.1;\n"
                      "  basic-event power = 0.3;\n"
                      "  gate out = fails or power or main.grid;\n"
                      "end\n"
                      "Pump p1\n"
                      "  basic-event fails = 0.2;\n"
                      "  gate power = main.grid and fails;\n"
                      "end\n"
                      "Pump p2;\n"
                      "basic-event grid = 0.01;\n"
                      "gate top = p1.out and p2.out;\n"),
              0)
        << err;
    // The overrides replace the class's declarations (p1.power is a gate);
    // no class is left.
    EXPECT_EQ(Target(), "#pure-model\nbasic-event grid = 0.01;\ngate top = p1.out and p2.out;\n"
                        "basic-event p1.fails = 0.2;\ngate p1.power = grid and p1.fails;\n"
                        "gate p1.out = p1.fails or p1.power or grid;\nbasic-event p2.fails = 0.1;\n"
                        "basic-event p2.power = 0.3;\ngate p2.out = p2.fails or p2.power or grid;\n");
}

TEST_F(PreprocessingScriptTest, InstanceOfAnUndeclaredClass) {
    EXPECT_EQ(Flatten("Valve v1;\n"), 1);
    EXPECT_EQ(err, "ERROR code: 12005\nUndeclared element Valve.\n---\n\n");
}

TEST_F(PreprocessingScriptTest, EveryPendingDeclarationIsReported) {
    EXPECT_GE(Flatten("gate g1 = missing or e;\n"
                      "basic-event e = 0.1;\n"
                      "gate g2 = e and missing;\n"),
              2);
    EXPECT_EQ(err,
              "ERROR code: 12006\nUnable to complete declaration of g1.\n---\n\n"
              "ERROR code: 12006\nUnable to complete declaration of g2.\n---\n\n");
    EXPECT_FALSE(Exists("target.sbe"));
}

// The checks and the reports need the target model.
TEST_F(PreprocessingScriptTest, CheckCommandAndReportsNeedTheTargetModel) {
    Write("m.sbe", "gate top = g1 or g2;\ngate g1;\ngate g2;\nbasic-event e;\n");
    EXPECT_EQ(Run("load model \"m.sbe\";\ncheck top-event;\n"), 1);
    EXPECT_EQ(err, Error(11001, 2, "The target model has not been built yet."));
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild target-model;\ncheck top-event;\n"), 0) << err;
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild target-model;\ncheck gates;\n"), 2);
    EXPECT_EQ(err, "ERROR code: 10035\nGate g1 is not defined\n---\n\nERROR code: 10035\nGate g2 is not defined\n---\n\n");
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild target-model;\ncheck basic-events;\n"), 1);
    EXPECT_EQ(err, "ERROR code: 10036\nBasic event e is not defined\n---\n\n");
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild target-model;\ncheck everything;\n"), 1);
    EXPECT_EQ(err, Error(11210, 3, "Invalid value everything of argument 1."));
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild target-model;\ncheck model extra;\n"), 1);
    EXPECT_EQ(err, Error(11202, 3, "Wrong number of arguments: 1 expected, 2 given."));
    EXPECT_EQ(Run("load model \"m.sbe\";\nprint modules top;\n"), 1);
    EXPECT_EQ(err, Error(11001, 2, "The target model has not been built yet."));
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild target-model;\nprint modules nothing;\n"), 1);
    EXPECT_EQ(err.substr(0, 17), "ERROR code: 10039");
}

TEST_F(PreprocessingScriptTest, PreprocessedModelAndItsReports) {
    Write("m.sbe",
          "gate top = not (a and b) or (c and top2);\n"
          "gate top2 = atleast 2 (c, d, e);\n"
          "basic-event a = 0.1; basic-event b = 0.2; basic-event c = 0.3; basic-event d = 0.4; basic-event e = 0.5;\n");
    EXPECT_EQ(Run("load model \"m.sbe\";\nbuild preprocessed-model top;\nprint target-model output = \"p.sbe\";\n"
                  "print modules top output = \"modules.txt\";\nprint model-statistics top output = \"stats.txt\";\n"
                  "print numbers-of-parents top output = \"parents.txt\";\n"),
              0)
        << err;
    // Negations over the events, nested ors merged, one connective per gate.
    EXPECT_EQ(File("p.sbe"), "#pure-model\ngate top = not a or not b or G000001;\ngate top2 = atleast 2 (c, d, e);\n"
                             "basic-event a = 0.1;\nbasic-event b = 0.2;\nbasic-event c = 0.3;\nbasic-event d = 0.4;\n"
                             "basic-event e = 0.5;\ngate not-a = not a;\ngate not-b = not b;\n"
                             "gate G000001 = c and top2;\n");
    // G000001 is reached only from top; top2 is not a module (c is also a
    // child of G000001), so it belongs to G000001 with c, d and e.
    EXPECT_EQ(File("modules.txt"),
              "module\tparent\tbasic-events\tgates\tmodules\n"
              "top\t-\t2\t1\t1\n"
              "G000001\ttop\t3\t2\t0\n");
    EXPECT_EQ(File("stats.txt"),
              "#states\t5\n#flows\t3\n#sources\t0\nmean #parents\t1.14286\nmean #children\t2.66667\n"
              "depth\t3\n#variable-references\t8\n#constants\t0\n#and\t1\n#or\t1\n#nand\t0\n#nor\t0\n"
              "#atleast\t1\n#atmost\t0\n#cardinality\t0\n#not\t2\n");
    std::string parents = File("parents.txt");
    EXPECT_EQ(parents.substr(0, parents.find('\n')), "c\t2");
}

// Every benchmark model flattens and preprocesses for its first gate, and
// its module table is the same from one run to the next.
TEST_F(PreprocessingScriptTest, BenchmarkModelsFlattenPreprocessAndGiveStableModules) {
    std::string folder = std::string(KEFO_TEST_DATA_DIR) + "/models";
    std::vector<std::string> files;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".xml") files.push_back(name);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 20u);
    for (const std::string& file : files) {
        std::string xml = kefotest::ReadFile(folder + "/" + file);
        std::size_t at = xml.find("<define-gate name=\"");
        ASSERT_NE(at, std::string::npos) << file;
        at += 19;
        std::string top = xml.substr(at, xml.find('"', at) - at);
        std::string script = "load model \"" + folder + "/" + file + "\" format = open-psa;\n" +
                             "build preprocessed-model " + top + ";\n" + "print modules " + top +
                             " output = \"first.txt\";\n" + "build preprocessed-model " + top + ";\n" +
                             "print modules " + top + " output = \"second.txt\";\n";
        ASSERT_EQ(Run(script), 0) << file << "\n" << err;
        std::string first = File("first.txt");
        EXPECT_EQ(first.substr(0, first.find('\n')), "module\tparent\tbasic-events\tgates\tmodules") << file;
        EXPECT_EQ(first, File("second.txt")) << file;
        std::string again = first;
        ASSERT_EQ(Run(script), 0) << file;
        EXPECT_EQ(File("first.txt"), again) << file;
    }
}

}  // namespace
