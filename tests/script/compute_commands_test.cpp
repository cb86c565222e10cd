// The compute commands and "print minimal-cutsets" through scripts: the
// exact report lines, the handle refusals, mission times, output modes and
// the coded errors of their arguments and options.
#include "commands_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {
using commandstest::ScriptTest;

// top = e1 e2 + e3; the BDD indices follow the depth-first order e1, e2, e3.
const char* const smallModel =
    "gate top = g1 or e3;\n"
    "gate g1 = e1 and e2;\n"
    "basic-event e1 = 0.1;\n"
    "basic-event e2 = 0.2;\n"
    "basic-event e3 = 0.3;\n";

// Probabilities that change with the mission time, one through a parameter.
const char* const timedModel =
    "gate top = a or b;\n"
    "parameter lambda = 0.002;\n"
    "basic-event a = 0.001 * mission-time;\n"
    "basic-event b = lambda * mission-time;\n";

class ComputeTest : public ScriptTest {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        Write("small.sbe", smallModel);
        Write("timed.sbe", timedModel);
    }
    // Loads a model and builds its BDD and ZBDD on "top" before the text.
    int RunOn(const std::string& model, const std::string& text) {
        return Run("load model \"" + model + "\";\nbuild BDD top;\nbuild ZBDD-from-BDD top;\n" + text);
    }
};

}  // namespace

// ---- compute probability ----------------------------------------------------------

TEST_F(ComputeTest, ProbabilityOfEachHandleAndMethodAtTimeZero) {
    ASSERT_EQ(0, RunOn("small.sbe",
                       "compute probability top;\n"
                       "compute probability top source-handle = ZBDD mode = append;\n"
                       "compute probability top source-handle = ZBDD quantification-method = REA mode = append;\n"
                       "compute probability top source-handle = ZBDD quantification-method = MCUB mode = append;\n"))
        << err;
    EXPECT_EQ("variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\n0\t0.314\n"
              "variable\ttop\nsource-handle\tZBDD\nquantification-method\tPUB\ntime\tQ\n0\t0.314\n"
              "variable\ttop\nsource-handle\tZBDD\nquantification-method\tREA\ntime\tQ\n0\t0.32\n"
              "variable\ttop\nsource-handle\tZBDD\nquantification-method\tMCUB\ntime\tQ\n0\t0.314\n",
              File("results.txt"));
    EXPECT_EQ(std::string::npos, out.find("running-time"));
}

// A time given twice is written once; the times of the table come in
// increasing order.
TEST_F(ComputeTest, MissionTimesGiveTheUnavailabilityTable) {
    ASSERT_EQ(0, RunOn("timed.sbe",
                       "compute probability top mission-time = [100, 100];\n"
                       "compute probability top mission-time = [0, 100, 400] print-mean-unavailability = true "
                       "mode = append;\n"
                       "compute probability top mission-time = [0, 100] print-unavailability = false "
                       "print-mean-unavailability = true mode = append;\n"))
        << err;
    // Q(t) = 1 - (1 - 0.001 t)(1 - 0.002 t); means by the trapezoidal rule:
    // (0 + 0.28) / 2 = 0.14 at 100; (14 + (0.28 + 0.88) / 2 x 300) / 400.
    EXPECT_EQ("variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\n100\t0.28\n"
              "variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\tQavg\n"
              "0\t0\t0\n100\t0.28\t0.14\n400\t0.88\t0.47\n"
              "variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQavg\n0\t0\n100\t0.14\n",
              File("results.txt"));
    ASSERT_EQ(0, RunOn("timed.sbe", "set option mission-time [200, 100, 200];\ncompute probability top;\n"));
    EXPECT_EQ("variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\n100\t0.28\n200\t0.52\n",
              File("results.txt"));
}

TEST_F(ComputeTest, TerminalDiagrams) {
    // Constant gates are refused by the preprocessing; a tautology and a
    // contradiction give the terminal diagrams all the same.
    Write("constants.sbe",
          "gate top = e1 or not e1;\ngate bottom = e1 and not e1;\nbasic-event e1 = 0.5;\n");
    ASSERT_EQ(0, Run("load model \"constants.sbe\";\nbuild BDD top;\nbuild ZBDD-from-BDD top;\n"
                     "build BDD bottom;\nbuild ZBDD-from-BDD bottom;\n"
                     "compute probability top;\n"
                     "compute probability top source-handle = ZBDD quantification-method = MCUB mode = append;\n"
                     "compute probability bottom mode = append;\n"
                     "compute probability bottom source-handle = ZBDD mode = append;\n"
                     "print minimal-cutsets top output = \"top.txt\";\n"
                     "print minimal-cutsets bottom output = \"bottom.txt\";\n"
                     "compute orders top output = \"orders.txt\";\n"
                     "compute orders bottom output = \"orders.txt\" mode = append;\n"))
        << err;
    EXPECT_EQ("variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\n0\t1\n"
              "variable\ttop\nsource-handle\tZBDD\nquantification-method\tMCUB\ntime\tQ\n0\t1\n"
              "variable\tbottom\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\n0\t0\n"
              "variable\tbottom\nsource-handle\tZBDD\nquantification-method\tPUB\ntime\tQ\n0\t0\n",
              File("results.txt"));
    // The empty cutset: one line without variable.
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t1\n1\t1\t1\n", File("top.txt"));
    EXPECT_EQ("variable\tbottom\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t0\n", File("bottom.txt"));
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\norder\t#MCS\n0\t1\ntotal\t1\n"
              "variable\tbottom\nsource-handle\tZBDD\norder\t#MCS\ntotal\t0\n",
              File("orders.txt"));
}

// ---- print minimal-cutsets ----------------------------------------------------------

TEST_F(ComputeTest, MinimalCutsetsWithTheirColumns) {
    ASSERT_EQ(0, RunOn("small.sbe",
                       "print minimal-cutsets top;\n"
                       "print minimal-cutsets top print-minimal-cutset-order = true mode = append;\n"
                       "print minimal-cutsets top print-minimal-cutset-rank = false "
                       "print-minimal-cutset-probability = false print-minimal-cutset-contribution = false "
                       "mode = append;\n"))
        << err;
    // The ZBDD keeps the rare-event approximation: 0.32 is the denominator.
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t0.32\n"
              "1\t0.02\t0.0625\te1\te2\n2\t0.3\t0.9375\te3\n"
              "variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t0.32\n"
              "1\t2\t0.02\t0.0625\te1\te2\n2\t1\t0.3\t0.9375\te3\n"
              "variable\ttop\nsource-handle\tZBDD\ne1\te2\ne3\n",
              File("results.txt"));
}

TEST_F(ComputeTest, MinimalCutsetsAtAMissionTimeAndUnderTheMethodLeftByACompute) {
    ASSERT_EQ(0, RunOn("timed.sbe",
                       "compute probability top source-handle = ZBDD quantification-method = MCUB "
                       "output = \"q.txt\" verbose = true;\n"
                       "print minimal-cutsets top mission-time = 100;\n"))
        << err;
    EXPECT_NE(std::string::npos, out.find("compute probability\trunning-time\t0.")) << out;
    // MCUB at 100: 1 - 0.9 x 0.8 = 0.28.
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t100\nrare-event-approximation\t0.28\n"
              "1\t0.1\t0.357143\ta\n2\t0.2\t0.714286\tb\n",
              File("results.txt"));
}

TEST_F(ComputeTest, MinimalCutsetsWithAZeroTopProbability) {
    ASSERT_EQ(0, RunOn("timed.sbe", "print minimal-cutsets top print-minimal-cutset-order = true;\n")) << err;
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t0\n"
              "1\t1\t0\t0\ta\n2\t1\t0\t0\tb\n",
              File("results.txt"));
}

// ---- values of parameters, probabilities of basic events -----------------------------

TEST_F(ComputeTest, ValuesOfParametersAndProbabilitiesOfBasicEvents) {
    ASSERT_EQ(0, Run("load model \"timed.sbe\";\nbuild BDD top;\n"
                     "compute values-of-parameters top mission-time = 100;\n"
                     "compute probabilities-of-basic-events top mission-time = 100 mode = append;\n"
                     "compute probabilities-of-basic-events b mission-time = 2000 mode = append;\n"))
        << err;
    EXPECT_EQ("variable\ttop\ntime\t100\nparameter\tvalue\nlambda\t0.002\n"
              "variable\ttop\ntime\t100\nvariable\tQ\na\t0.1\nb\t0.2\n"
              "variable\tb\ntime\t2000\nvariable\tQ\nb\t1\n",
              File("results.txt"));
}

// ---- counting reports ----------------------------------------------------------------

TEST_F(ComputeTest, CountingReports) {
    ASSERT_EQ(0, RunOn("small.sbe",
                       "compute size-of-diagram top source-handle = ZBDD;\n"
                       "compute number-of-products top source-handle = ZBDD mode = append;\n"
                       "compute size-of-sum-of-products top source-handle = ZBDD mode = append;\n"
                       "compute lowest-order top mode = append;\n"
                       "compute highest-order top mode = append;\n"
                       "compute orders top mode = append;\n"
                       "compute numbers-of-occurrences top mode = append;\n"))
        << err;
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\nsize-of-diagram\t5\n"
              "variable\ttop\nsource-handle\tZBDD\nnumber-of-products\t2\n"
              "variable\ttop\nsource-handle\tZBDD\nsize-of-sum-of-products\t3\n"
              "variable\ttop\nsource-handle\tZBDD\nlowest-order\t1\n"
              "variable\ttop\nsource-handle\tZBDD\nhighest-order\t2\n"
              "variable\ttop\nsource-handle\tZBDD\norder\t#MCS\n1\t1\n2\t1\ntotal\t2\n"
              "Variables\t#Occurrences\ne1\t1\ne2\t1\ne3\t1\n#Occurrences\t3\n#Variables\t3\n",
              File("results.txt"));
}

// ---- errors --------------------------------------------------------------------------------

TEST_F(ComputeTest, HandleRefusals) {
    // Only a BDD handle: the cutset sub-commands find no suitable handle.
    EXPECT_EQ(1, Run("load model \"small.sbe\";\nbuild BDD top;\ncompute lowest-order top;\n"));
    EXPECT_EQ(Error(11060, 3, "No suitable source handle"), err);
    EXPECT_EQ(1, RunOn("small.sbe", "print minimal-cutsets top source-handle = BDD;\n"));
    EXPECT_EQ(Error(11066, 4, "Non suitable handle BDD"), err);
    EXPECT_EQ(1, RunOn("small.sbe", "compute probability top source-handle = ZBDD2;\n"));
    EXPECT_EQ(Error(11067, 4, "No handle ZBDD2"), err);
}

// The type checks of each option are those of its getter (their own tests):
// here, that the commands stop before writing, and their own bounds.
TEST_F(ComputeTest, ArgumentAndOptionErrors) {
    struct Case {
        const char* command;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"compute probability top quantification-method = rea;", 11068, "Undefined quantification method rea"},
        {"print minimal-cutsets top print-minimal-cutset-rank = 1;", 11302,
         "The value of option print-minimal-cutset-rank must be a Boolean."},
        {"print minimal-cutsets top mission-time = -1;", 11307, "The value of option mission-time is out of range."},
        {"compute importance-measures top;", 13002, "Command not implemented yet."},
        {"compute probability top mission-time = [1, 2] smooth-curve = true;", 13002, "Command not implemented yet."},
        {"compute probability top mission-time = [1, 2] add-singular-points = true;", 13002,
         "Command not implemented yet."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Write("results.txt", "kept\n");
        EXPECT_EQ(1, RunOn("small.sbe", std::string(c.command) + "\n"));
        EXPECT_EQ(Error(c.code, 4, c.text), err);
        // Nothing written after an error in the options.
        EXPECT_EQ("kept\n", File("results.txt"));
    }
}
