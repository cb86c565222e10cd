// Tabulated distributions: reading files (14001 for bad ones, printed through
// the generic message store), look-ups and histogram means.
#include "model/empirical_distribution.h"
#include "model/expression_evaluator.h"
#include "model/model.h"
#include "model/stochastic_expression.h"
#include "support/messenger.h"
#include "support/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

typedef KEFOEmpiricalDistribution D;

std::string WriteFile(const std::string& name, const std::string& text) {
    std::string path = ::testing::TempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(EmpiricalDistribution, ReadsTabSeparatedRowsAndInterpolates) {
    std::string path = WriteFile("good.txt", "0\t0.0\n10\t0.5\r\n20\t0.6\n\n30\t1.0\n");
    D table(D::PiecewiseLinear, path.c_str());
    int errors = 0;
    EXPECT_TRUE(table.Load(errors, nullptr));
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(table.GetNumberOfRows(), 4);  // the blank line is skipped
    EXPECT_EQ(table.GetNumberOfColumns(), 2);
    EXPECT_EQ(table.GetValue(2, 1), 10.0);
    EXPECT_EQ(table.GetValue(9, 1), 0.0);
    // (x, y) read back, before the first row and after the last one included.
    const double linear[][2] = {{-5.0, 0.0}, {0.0, 0.0}, {5.0, 0.25}, {10.0, 0.5}, {25.0, 0.8}, {30.0, 1.0},
                                {1e9, 1.0}};
    for (const auto& r : linear) EXPECT_EQ(table.GetYFromX(r[0]), r[1]) << r[0];
    table.SetType(D::Step);
    for (const auto& r : {std::make_pair(5.0, 0.0), {19.99, 0.5}, {20.0, 0.6}})
        EXPECT_EQ(table.GetYFromX(r.first), r.second) << r.first;
    // Restricting the rows in use.
    table.SetType(D::PiecewiseLinear);
    table.SetRows(2, 3);
    EXPECT_EQ(table.GetYFromX(0.0), 0.5);
    EXPECT_EQ(table.GetYFromX(100.0), 0.6);
    std::remove(path.c_str());
}

TEST(EmpiricalDistribution, EqualAbscissasGiveAStepWithoutDividingByZero) {
    D table(D::PiecewiseLinear, "");
    table.SetTable({0.0, 5.0, 5.0, 10.0}, {0.1, 0.2, 0.7, 0.9});
    EXPECT_DOUBLE_EQ(table.GetYFromX(2.5), 0.15);
    EXPECT_EQ(table.GetYFromX(5.0), 0.7);  // the last row at 5
    EXPECT_DOUBLE_EQ(table.GetYFromX(7.5), 0.8);
    // Bisection over many rows agrees with a scan.
    std::vector<double> x, y;
    for (int i = 0; i < 1000; ++i) {
        x.push_back(i * 0.5);
        y.push_back(i % 7 / 7.0);
    }
    D big(D::Step, "");
    big.SetTable(x, y);
    for (double probe = -1.0; probe < 510.0; probe += 0.37) {
        int last = 0;
        for (int i = 0; i < 1000; ++i) {
            if (x[static_cast<std::size_t>(i)] <= probe) last = i;
        }
        EXPECT_EQ(big.GetYFromX(probe), y[static_cast<std::size_t>(last)]) << probe;
    }
    D empty(D::Step, "");
    EXPECT_EQ(empty.GetYFromX(1.0), 0.0);
}

TEST(EmpiricalDistribution, BadFilesRaise14001ThroughTheGenericStore) {
    struct Bad {
        const char* name;
        const char* text;
        int type;
    };
    const Bad bads[] = {
        {"two-rows.txt", "0\t0.1\n1\t0.2\n", D::PiecewiseLinear},
        {"three-columns.txt", "0\t0.1\t3\n1\t0.2\t3\n2\t0.3\t3\n", D::PiecewiseLinear},
        {"one-column.txt", "0\n1\n2\n", D::PiecewiseLinear},
        {"spaces.txt", "0 0.1\n1 0.2\n2 0.3\n", D::PiecewiseLinear},
        {"word.txt", "0\t0.1\n1\tabc\n2\t0.3\n", D::PiecewiseLinear},
        {"negative.txt", "-1\t0.1\n1\t0.2\n2\t0.3\n", D::Step},
        {"probability.txt", "0\t0.1\n1\t1.2\n2\t0.3\n", D::Step},
        {"unordered.txt", "0\t0.1\n2\t0.2\n1\t0.3\n", D::PiecewiseLinear},
        {"nan.txt", "0\t0.1\n1\tnan\n2\t0.3\n", D::PiecewiseLinear},
        {"histogram.txt", "0\t5\n0.5\t6\n1.5\t7\n", D::Histogram},
        {"binary.txt", "\xff\xfe\x00\x01\t\x02\n", D::PiecewiseLinear},
        {"empty.txt", "", D::PiecewiseLinear},
    };
    for (const Bad& bad : bads) {
        std::string path = WriteFile(bad.name, std::string(bad.text, std::strlen(bad.text)));
        D table(bad.type, path.c_str());
        PLOVMessenger store;
        auto* output = new PLOVStringStream;
        store.SetErrorStream(output);
        int errors = 0;
        EXPECT_FALSE(table.Load(errors, &store)) << bad.name;
        EXPECT_EQ(errors, 1) << bad.name;
        EXPECT_EQ(table.GetNumberOfRows(), 0);
        ASSERT_EQ(store.GetNumberOfMessages(), 1) << bad.name;
        store.PrintErrorMessages();
        EXPECT_EQ(output->GetText(),
                  "Error code: 14001\nIncorrect or corrupted empirical distribution file '" + path + "'.\n---\n\n");
        std::remove(path.c_str());
    }
    // A file that does not exist; a registered pattern is used when there is one.
    D missing(D::Step, "/nonexistent/dir/table.txt");
    PLOVMessenger store;
    store.NewMessagePattern(14001, 1, "Incorrect or corrupted empirical distribution file '%1'.");
    int errors = 0;
    EXPECT_FALSE(missing.Load(errors, &store));
    EXPECT_EQ(store.GetMessages().back()->GetText(),
              "Incorrect or corrupted empirical distribution file '/nonexistent/dir/table.txt'.");
    // Nothing is done when errors were raised before.
    EXPECT_FALSE(missing.Load(errors, &store));
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(store.GetNumberOfMessages(), 1);
}

TEST(EmpiricalDistribution, HistogramMeansIntegrateTheInverseDistribution) {
    D histogram(D::Histogram, "");
    histogram.SetTable({0.0, 0.5, 1.0}, {2.0, 4.0, 10.0});
    // Integral of the piecewise-linear inverse: 0.5 (2+4)/2 + 0.5 (4+10)/2.
    EXPECT_DOUBLE_EQ(histogram.ComputeMean(), 5.0);
    D shifted(D::Histogram, "");
    shifted.SetTable({0.2, 0.6, 0.8}, {1.0, 3.0, 5.0});
    // 0.2 * 1 + 0.4 * 2 + 0.2 * 4 + 0.2 * 5
    EXPECT_DOUBLE_EQ(shifted.ComputeMean(), 0.2 + 0.8 + 0.8 + 1.0);
    D steps(D::Step, "");
    steps.SetTable({0.0, 0.25, 1.0}, {1.0, 3.0, 9.0});
    EXPECT_DOUBLE_EQ(steps.ComputeMean(), 0.25 * 1.0 + 0.75 * 3.0);
}

TEST(EmpiricalDistribution, ExpressionsReadTheOrdinateAtTheMissionTime) {
    KEFOModel model;
    KEFOExpressionEvaluator evaluator;
    auto* table = new D(D::PiecewiseLinear, "t");
    table->SetTable({0.0, 100.0, 200.0}, {0.0, 0.1, 0.3});
    std::unique_ptr<KEFOStochasticExpression> e(KEFOStochasticExpression::NewEmpiricalDistribution(&model, table));
    EXPECT_EQ(e->GetTable(), table);
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(e.get(), 50.0), 0.05);
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(e.get(), 150.0), 0.2);
    EXPECT_TRUE(e->IsTimeDependent());
    EXPECT_TRUE(e->IsRepairDependent());
    std::unique_ptr<KEFOStochasticExpression> none(KEFOStochasticExpression::NewEmpiricalDistribution(&model, nullptr));
    EXPECT_EQ(evaluator.EvaluateAsDouble(none.get(), 1.0), 0.0);
    // A histogram never drawn reads its mean.
    auto* bins = new D(D::Histogram, "h");
    bins->SetTable({0.0, 0.5, 1.0}, {2.0, 4.0, 10.0});
    std::unique_ptr<KEFOStochasticExpression> h(KEFOStochasticExpression::NewHistogram(&model, bins));
    EXPECT_DOUBLE_EQ(evaluator.EvaluateAsDouble(h.get(), 0.0), 5.0);
    EXPECT_FALSE(h->IsTimeDependent());
}

}  // namespace
