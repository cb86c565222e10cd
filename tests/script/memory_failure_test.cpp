// Allocation failures injected at every point of an evaluation: each ends the
// call with "KEFO ran out of memory", a return of 1 and nothing left behind,
// and the next call works.
#include "commands_test_support.h"

#include "support/memory_manager.h"

#include <gtest/gtest.h>

#include <string>

namespace {
class MemoryFailureTest : public commandstest::ScriptTest {
protected:
    void TearDown() override {
        PLOVMemoryManager::SetAllocationFailureCountdown(-1);
        ScriptTest::TearDown();
    }

    int RunFailingAt(const std::string& file, long countdown) {
        PLOVMemoryManager::SetAllocationFailureCountdown(countdown);
        int result = RunPath(file.c_str());
        PLOVMemoryManager::SetAllocationFailureCountdown(-1);
        return result;
    }

    // Makes allocation number n fail for n = 0, 1, 2, ... until a run no
    // longer reaches the failure; returns the number of failing runs. The
    // output file is checked after each run that follows a failure.
    int FailEverywhere(const std::string& script, int expectedErrors, const std::string& expectedErr,
                       const std::string& output = "results.txt") {
        std::string path = directory.File("script.kefo");
        kefotest::WriteFile(path, script);
        EXPECT_EQ(RunFailingAt(path, -1), expectedErrors);
        const std::string normalOut = out;
        const std::string normalErr = err;
        const std::string normalOutput = File(output);
        EXPECT_EQ(normalErr, expectedErr);
        int failures = 0;
        for (long n = 0; n < 100000; ++n) {
            int result = RunFailingAt(path, n);
            bool failed = err.size() >= 23 && err.compare(err.size() - 23, 23, "KEFO ran out of memory\n") == 0;
            if (!failed) {
                // The countdown outlived the run: every allocation point was hit.
                EXPECT_EQ(result, expectedErrors) << n;
                EXPECT_EQ(err, normalErr) << n;
                break;
            }
            ++failures;
            EXPECT_EQ(result, 1) << n;
            // Nothing of the failed run is left.
            EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0) << n;
            // The next call works as if nothing had happened.
            EXPECT_EQ(RunFailingAt(path, -1), expectedErrors) << n;
            EXPECT_EQ(out, normalOut) << n;
            EXPECT_EQ(err, normalErr) << n;
            EXPECT_EQ(File(output), normalOutput) << n;
            if (::testing::Test::HasFailure()) break;
        }
        return failures;
    }
};
}  // namespace

// A successful script (settings, values, a conditional and a loop), one with
// a syntax error, one with errors at run time and one of the load, set,
// reset and print commands (the reading of models is left to the tests of
// the readers).
TEST_F(MemoryFailureTest, EveryAllocationPointOfAScript) {
    struct Case {
        std::string script;
        int errors;
        std::string err;
        std::string output;
        int minimumOfPoints;
    };
    Write("inner.kefo", "set option maximum-order 7;\nprint option maximum-order mode = append;\n");
    const std::string path = directory.File("script.kefo");
    const Case cases[] = {
        {"set option output \"memory.txt\";\n"
         "x == [1, 2.5, \"text\", 'q, range(1, 5, 1), if true max(1, 2) else 0];\n"
         "maximum-order == 3 + 4;\nif x == x { y == \"a\"; z == mean(1, 2); } else skip;\nwhile false skip;\n"
         "print option maximum-order;\nprint options mode = append;\n",
         0, "", "memory.txt", 200},
        {"x == [1, 2];\ny = 3;\n", 1,
         "ERROR code: 10093 file: " + path + " line: 2 column: 3\nA '==' was expected.\n---\n\n", "results.txt", 100},
        {"output == 1; mode == 2; print options;\n", 2,
         "ERROR code: 11306\nThe value of option output must be a string.\n---\n\n"
         "ERROR code: 11305\nThe value of option mode must be an identifier.\n---\n\n",
         "results.txt", 100},
        {"set randomizer-seed 3;\nprint randomizer-seed;\nset option mission-time [1, 2];\n"
         "load script \"inner.kefo\";\nreset model;\nreset target-model;\nprint options mode = append;\n"
         "print model mode = append;\nprint model format = open-psa mode = append;\nprint nothing;\n",
         1, "ERROR code: 11210 file: " + path + " line: 10\nInvalid value nothing of argument 1.\n---\n\n",
         "results.txt", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        int failures = FailEverywhere(c.script, c.errors, c.err, c.output);
        EXPECT_GT(failures, c.minimumOfPoints);
    }
}
