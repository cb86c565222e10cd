#include "support/bin_table.h"
#include "support/exception.h"
#include "support/measure.h"
#include "support/memory_manager.h"
#include "support/mersenne_twister_randomizer.h"
#include "support/quantile_table.h"
#include "support/quantilizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using Table = std::unique_ptr<PLOVQuantileTable>;

TEST(PLOVMeasureTest, MomentsOfAKnownSample) {
    PLOVMeasure m;
    for (double x : {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0}) m.AddValue(x);
    EXPECT_EQ(m.GetNumberOfValues(), 8);
    EXPECT_DOUBLE_EQ(m.GetSum(), 40.0);
    EXPECT_DOUBLE_EQ(m.GetSumOfSquares(), 232.0);
    EXPECT_DOUBLE_EQ(m.GetLastValue(), 9.0);
    EXPECT_DOUBLE_EQ(m.GetMinimum(), 2.0);
    EXPECT_DOUBLE_EQ(m.GetMaximum(), 9.0);
    EXPECT_DOUBLE_EQ(m.ComputeMean(), 5.0);
    double sd = std::sqrt(32.0 / 7.0);
    EXPECT_DOUBLE_EQ(m.ComputeStandardDeviation(), sd);
    EXPECT_DOUBLE_EQ(m.ComputeNinetyFivePercentConfidenceSlack(), 1.959963984540054 * sd / std::sqrt(8.0));
    EXPECT_DOUBLE_EQ(m.ComputeConfidenceSlack(1.0), sd / std::sqrt(8.0));
    double s = std::sqrt(std::log(1.0 + (sd / 5.0) * (sd / 5.0)));
    EXPECT_DOUBLE_EQ(m.ComputeNinetyFivePercentErrorFactor(), std::exp(1.9599 * s));
}

TEST(PLOVMeasureTest, EmptyOneValueAndReset) {
    PLOVMeasure m;
    EXPECT_EQ(m.ComputeMean(), 0.0);
    EXPECT_EQ(m.ComputeStandardDeviation(), 0.0);
    EXPECT_EQ(m.ComputeNinetyFivePercentConfidenceSlack(), 0.0);
    m.AddValue(0.25);
    EXPECT_EQ(m.ComputeMean(), 0.25);
    EXPECT_EQ(m.ComputeStandardDeviation(), 0.0);  // one value
    EXPECT_EQ(m.ComputeNinetyFivePercentConfidenceSlack(), 0.0);
    EXPECT_EQ(m.ComputeNinetyFivePercentErrorFactor(), 1.0);
    m.CreateQuantilizer(4);
    m.CreateBinTable(3);
    m.AddValue(0.5);
    m.Reset();
    EXPECT_EQ(m.GetNumberOfValues(), 0);
    EXPECT_EQ(m.GetSum(), 0.0);
    EXPECT_EQ(m.GetSumOfSquares(), 0.0);
    EXPECT_EQ(m.GetMinimum(), 1.7976931348623157e308);
    EXPECT_EQ(m.GetMaximum(), 2.2250738585072014e-308);
    ASSERT_NE(m.GetQuantilizer(), nullptr);
    EXPECT_EQ(m.GetQuantilizer()->GetNumberOfValues(), 0);
    ASSERT_NE(m.GetBinTable(), nullptr);
    EXPECT_EQ(m.GetBinTable()->GetSize(), 0);
    EXPECT_EQ(m.GetBinTable()->GetTotalWeight(), 0.0);
}

TEST(PLOVMeasureTest, ZerosAndNegativeValuesGetTheirTrueExtremes) {
    PLOVMeasure zeros;
    for (int i = 0; i < 5; ++i) zeros.AddValue(0.0);
    EXPECT_EQ(zeros.GetMaximum(), 0.0);
    EXPECT_EQ(zeros.GetMinimum(), 0.0);
    EXPECT_EQ(zeros.ComputeNinetyFivePercentErrorFactor(), 0.0);  // no lognormal fits a zero mean
    PLOVMeasure negative;
    negative.AddValue(-3.0);
    negative.AddValue(-1.0);
    EXPECT_EQ(negative.GetMaximum(), -1.0);
    EXPECT_EQ(negative.GetMinimum(), -3.0);
}

TEST(PLOVMeasureTest, StandardDeviationOfLargeNearlyConstantValues) {
    // The absolute value guards the rounding of sum of squares - sum^2 / n.
    PLOVMeasure m;
    for (int i = 0; i < 1000; ++i) m.AddValue(0.1 + 1e-17 * (i % 2));
    EXPECT_GE(m.ComputeStandardDeviation(), 0.0);
    EXPECT_LT(m.ComputeStandardDeviation(), 1e-7);
}

// ---- Quantiles ---------------------------------------------------------------

std::vector<double> OneToHundredShuffled() {
    std::vector<double> v;
    for (int i = 1; i <= 100; ++i) v.push_back(i);
    std::mt19937 g(7);
    std::shuffle(v.begin(), v.end(), g);
    return v;
}

// The ranks themselves are checked on random samples below.
TEST(PLOVQuantilizerTest, QuantileCountsAbscissasAndEmptyCases) {
    PLOVMeasure m;
    m.CreateQuantilizer(4);
    for (double x : OneToHundredShuffled()) m.AddValue(x);
    const PLOVQuantilizer* q = m.GetQuantilizer();
    Table t(q->ExtractQuantiles());  // the count given at creation
    ASSERT_EQ(t->GetSize(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(t->GetAbscissa(i), (i + 1) / 4.0);
    EXPECT_EQ(t->GetValue(3), 100);
    Table many(q->ExtractQuantiles(200));  // more quantiles than values
    EXPECT_EQ(many->GetValue(0), 1);
    EXPECT_EQ(many->GetValue(1), 1);
    EXPECT_EQ(many->GetValue(2), 2);
    EXPECT_EQ(many->GetValue(199), 100);
    Table none(q->ExtractQuantiles(0));
    EXPECT_EQ(none->GetSize(), 0);
    PLOVQuantilizer empty;
    Table nothing(empty.ExtractQuantiles(5));
    EXPECT_EQ(nothing->GetSize(), 0);
}

TEST(PLOVQuantilizerTest, ExactWhileTheValuesFitTheBuffers) {
    std::mt19937_64 g(99);
    for (int trial = 0; trial < 30; ++trial) {
        int n = 1 + static_cast<int>(g() % 16384);
        PLOVQuantilizer q;
        std::vector<double> values;
        std::lognormal_distribution<double> law(0.0, 2.0);
        for (int i = 0; i < n; ++i) {
            double x = law(g);
            values.push_back(x);
            q.AddValue(x);
        }
        ASSERT_TRUE(q.IsExact());
        std::sort(values.begin(), values.end());
        for (int k : {1, 3, 10, 99}) {
            Table t(q.ExtractQuantiles(k));
            for (int i = 1; i <= k; ++i) {
                long rank = static_cast<long>(std::ceil(static_cast<double>(i) * n / k - 1e-9));
                ASSERT_EQ(t->GetValue(i - 1), values[static_cast<std::size_t>(std::max(rank, 1L) - 1)])
                    << "n " << n << " k " << k << " i " << i;
            }
        }
    }
}

// Rank error of each extracted quantile of a known sample, as a fraction of n.
double WorstRankError(const PLOVQuantilizer& q, const std::vector<double>& sorted, int k) {
    Table t(q.ExtractQuantiles(k));
    double worst = 0.0, n = static_cast<double>(sorted.size());
    for (int i = 1; i <= k; ++i) {
        double v = t->GetValue(i - 1);
        double below = std::upper_bound(sorted.begin(), sorted.end(), v) - sorted.begin();
        double atOrAbove = std::lower_bound(sorted.begin(), sorted.end(), v) - sorted.begin();
        double wanted = i * n / k;
        double error = wanted < atOrAbove ? atOrAbove - wanted : (wanted > below ? wanted - below : 0.0);
        worst = std::max(worst, error / n);
    }
    return worst;
}

TEST(PLOVQuantilizerTest, ApproximationBeyondTheBuffers) {
    const int n = 1000000;
    PLOVMersenneTwisterRandomizer r;
    std::vector<double> values;
    PLOVQuantilizer random, increasing, decreasing;
    for (int i = 0; i < n; ++i) {
        double x = r.UniformDraw();
        values.push_back(x);
        random.AddValue(x);
    }
    std::sort(values.begin(), values.end());
    for (int i = 0; i < n; ++i) increasing.AddValue(values[static_cast<std::size_t>(i)]);
    for (int i = n - 1; i >= 0; --i) decreasing.AddValue(values[static_cast<std::size_t>(i)]);
    EXPECT_FALSE(random.IsExact());
    EXPECT_EQ(random.GetNumberOfValues(), n);
    EXPECT_LT(WorstRankError(random, values, 20), 0.002);
    EXPECT_LT(WorstRankError(increasing, values, 20), 0.002);
    EXPECT_LT(WorstRankError(decreasing, values, 20), 0.002);
    EXPECT_LT(WorstRankError(random, values, 1000), 0.002);
    // Small buffers still give usable quantiles.
    PLOVQuantilizer small(0, 64, 4);
    std::vector<double> sample;
    for (int i = 0; i < 100000; ++i) {
        sample.push_back(values[static_cast<std::size_t>((i * 7919L) % n)]);
        small.AddValue(sample.back());
    }
    std::sort(sample.begin(), sample.end());
    EXPECT_LT(WorstRankError(small, sample, 10), 0.05);
    // Total weight is kept through collapses: the last quantile is close to the maximum.
    Table top(random.ExtractQuantiles(1));
    EXPECT_GT(top->GetValue(0), values[static_cast<std::size_t>(n * 0.995)]);
}

TEST(PLOVQuantilizerTest, BinsAndDistributionsOfOneToHundred) {
    PLOVQuantilizer q(4);
    for (double x : OneToHundredShuffled()) q.AddValue(x);
    Table bins(q.ExtractBins(4));
    ASSERT_EQ(bins->GetSize(), 4);
    const double means[] = {13, 38, 63, 88};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(bins->GetValue(i), means[i], 1e-12);
    Table thirds(q.ExtractBins(3));
    EXPECT_NEAR(thirds->GetValue(0), (561.0 + 34.0 / 3.0) / (100.0 / 3.0), 1e-9);
    EXPECT_NEAR(thirds->GetValue(1), 50.5, 1e-9);

    Table d(q.ExtractDistribution(0.0, 100.0, 4));
    ASSERT_EQ(d->GetSize(), 4);
    const double fractions[] = {0.24, 0.25, 0.25, 0.26};  // [0,25) [25,50) [50,75) [75,100]
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(d->GetValue(i), fractions[i], 1e-15);
        EXPECT_DOUBLE_EQ(d->GetAbscissa(i), 25.0 * (i + 1));
    }
    Table half(q.ExtractDistribution(0.0, 50.0, 2));  // values above 50 count in the whole
    EXPECT_NEAR(half->GetValue(0), 0.24, 1e-15);
    EXPECT_NEAR(half->GetValue(1), 0.26, 1e-15);
    Table c(q.ExtractCumulativeDistribution(0.0, 100.0, 4));
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(c->GetValue(i), 0.25 * (i + 1), 1e-15);
    Table c2(q.ExtractCumulativeDistribution(10.0, 20.0, 10));
    EXPECT_NEAR(c2->GetValue(0), 0.11, 1e-15);
    EXPECT_NEAR(c2->GetValue(9), 0.20, 1e-15);
    Table bad(q.ExtractDistribution(1.0, 1.0, 3));
    EXPECT_EQ(bad->GetSize(), 0);
}

TEST(PLOVQuantilizerTest, NotANumberDoesNotBreakTheOrder) {
    PLOVQuantilizer q(0, 8, 2);
    for (int i = 0; i < 200; ++i) q.AddValue(i % 17 == 0 ? std::nan("") : static_cast<double>(i));
    Table t(q.ExtractQuantiles(4));
    EXPECT_EQ(t->GetSize(), 4);
    EXPECT_FALSE(std::isnan(t->GetValue(0)));
}

// ---- Bin tables ----------------------------------------------------------------

TEST(PLOVBinTableTest, MergesTheClosestNeighboursFirst) {
    PLOVBinTable b(2, 4);
    for (double x : {10.0, 1.0, 11.0, 2.0}) b.AddValue(x);
    EXPECT_EQ(b.GetSize(), 4);
    b.AddValue(20.0);  // full: 1 and 2 merge first (leftmost of the two gaps of 1)
    ASSERT_EQ(b.GetSize(), 4);
    EXPECT_DOUBLE_EQ(b.GetValue(0), 1.5);
    EXPECT_DOUBLE_EQ(b.GetWeight(0), 2.0);
    EXPECT_DOUBLE_EQ(b.GetValue(3), 20.0);
    EXPECT_DOUBLE_EQ(b.GetTotalWeight(), 5.0);
    Table t(b.ExtractBins());  // 10 and 11 merge, then 1.5 and 10.5
    ASSERT_EQ(t->GetSize(), 2);
    EXPECT_DOUBLE_EQ(t->GetValue(0), 6.0);
    EXPECT_DOUBLE_EQ(t->GetAbscissa(0), 0.8);
    EXPECT_DOUBLE_EQ(t->GetValue(1), 20.0);
    EXPECT_DOUBLE_EQ(t->GetAbscissa(1), 1.0);
    EXPECT_EQ(b.GetSize(), 4);  // extraction leaves the table as it is
    b.Shrink(2);
    EXPECT_EQ(b.GetSize(), 2);
    EXPECT_DOUBLE_EQ(b.GetValue(0), 6.0);
    EXPECT_DOUBLE_EQ(b.GetWeight(0), 4.0);
    b.Reset();
    EXPECT_EQ(b.GetSize(), 0);
    Table empty(b.ExtractBins(3));
    EXPECT_EQ(empty->GetSize(), 0);
}

TEST(PLOVBinTableTest, BatchShrinkMakesTheSameMergesAsOneAtATime) {
    std::mt19937_64 g(5);
    for (int trial = 0; trial < 50; ++trial) {
        PLOVBinTable a(1, 300), c(1, 300);
        int n = 20 + static_cast<int>(g() % 280);
        for (int i = 0; i < n; ++i) {
            // Coarse values make equal gaps, to exercise the leftmost rule.
            double x = static_cast<double>(g() % 50);
            a.AddValue(x);
            c.AddValue(x);
        }
        int k = 1 + static_cast<int>(g() % 20);
        a.Shrink(k);
        while (c.GetSize() > k) c.Shrink(c.GetSize() - 1);
        ASSERT_EQ(a.GetSize(), c.GetSize());
        for (int i = 0; i < a.GetSize(); ++i) {
            ASSERT_DOUBLE_EQ(a.GetValue(i), c.GetValue(i)) << trial;
            ASSERT_DOUBLE_EQ(a.GetWeight(i), c.GetWeight(i)) << trial;
        }
    }
}

TEST(PLOVBinTableTest, MeasureBinsKeepTheMeanAndTheOrder) {
    PLOVMersenneTwisterRandomizer r;
    PLOVMeasure m;
    m.CreateBinTable(10);
    for (int i = 0; i < 100000; ++i) m.AddValue(r.GammaDraw(2.0));
    PLOVBinTable* b = m.GetBinTable();
    EXPECT_DOUBLE_EQ(b->GetTotalWeight(), 100000.0);
    b->Shrink(10);
    ASSERT_EQ(b->GetSize(), 10);
    double weighted = 0.0;
    for (int i = 0; i < 10; ++i) {
        weighted += b->GetValue(i) * b->GetWeight(i);
        if (i > 0) {
            EXPECT_LT(b->GetValue(i - 1), b->GetValue(i));
        }
    }
    EXPECT_NEAR(weighted / 100000.0, m.ComputeMean(), 1e-9);
    EXPECT_GE(b->GetValue(0), m.GetMinimum());
    EXPECT_LE(b->GetValue(9), m.GetMaximum());
}

// ---- Import, copy, accounting ------------------------------------------------------

TEST(PLOVMeasureTest, ImportTransformsTheOtherValues) {
    PLOVMeasure a, b, expected;
    a.CreateQuantilizer(5);
    b.CreateQuantilizer(5);
    expected.CreateQuantilizer(5);
    a.CreateBinTable(5);
    b.CreateBinTable(5);
    for (double x : {1.0, 2.0, 3.0}) {
        a.AddValue(x);
        expected.AddValue(x);
    }
    for (double x : {4.0, 5.0}) {
        b.AddValue(x);
        expected.AddValue(2.0 * x + 1.0);
    }
    a.Import(&b, 2.0, 1.0);
    EXPECT_EQ(a.GetNumberOfValues(), 5);
    EXPECT_DOUBLE_EQ(a.GetSum(), expected.GetSum());
    EXPECT_DOUBLE_EQ(a.GetSumOfSquares(), expected.GetSumOfSquares());
    EXPECT_DOUBLE_EQ(a.GetMinimum(), 1.0);
    EXPECT_DOUBLE_EQ(a.GetMaximum(), 11.0);
    EXPECT_DOUBLE_EQ(a.GetLastValue(), 11.0);
    Table qa(a.GetQuantilizer()->ExtractQuantiles());
    Table qe(expected.GetQuantilizer()->ExtractQuantiles());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(qa->GetValue(i), qe->GetValue(i));
    EXPECT_DOUBLE_EQ(a.GetBinTable()->GetTotalWeight(), 5.0);
    // A negative scale swaps the extremes.
    PLOVMeasure n;
    n.Import(&b, -1.0, 0.0);
    EXPECT_DOUBLE_EQ(n.GetMinimum(), -5.0);
    EXPECT_DOUBLE_EQ(n.GetMaximum(), -4.0);
    a.Import(&a, 1.0, 0.0);
    EXPECT_EQ(a.GetNumberOfValues(), 5);
}

TEST(PLOVMeasureTest, CopiesAreIndependentAndEverythingIsAccounted) {
    PLOVMemoryManager::Start();
    {
        PLOVMeasure m("x");
        m.CreateQuantilizer(3, 16);
        m.CreateBinTable(3, 8);
        m.CreateQuantilizer(3, 16);  // replaces the first
        for (int i = 0; i < 100; ++i) m.AddValue(i);
        std::unique_ptr<PLOVMeasure> c(m.Copy());
        EXPECT_EQ(c->GetName(), "x");
        EXPECT_EQ(c->GetNumberOfValues(), 100);
        c->AddValue(1000.0);
        EXPECT_EQ(m.GetNumberOfValues(), 100);
        EXPECT_EQ(m.GetMaximum(), 99.0);
        EXPECT_EQ(c->GetQuantilizer()->GetNumberOfValues(), 101);
        EXPECT_EQ(m.GetQuantilizer()->GetNumberOfValues(), 100);
        EXPECT_EQ(c->GetBinTable()->GetTotalWeight(), 101.0);
        m.DeleteQuantilizer();
        m.DeleteBinTable();
        EXPECT_EQ(m.GetQuantilizer(), nullptr);
        m.AddValue(1.0);
        PLOVMeasure* heap = new PLOVMeasure("heap");
        heap->CreateBinTable(4);
        delete heap;
    }
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

TEST(PLOVMeasureTest, MemoryExhaustionWhileCreatingATableLeavesTheMeasureWhole) {
    PLOVMeasure m;
    m.CreateQuantilizer(2, 8);
    m.AddValue(1.0);
    PLOVMemoryManager::SetAllocationFailureCountdown(0);
    EXPECT_THROW(m.CreateQuantilizer(2, 8), PLOVException);
    PLOVMemoryManager::SetAllocationFailureCountdown(-1);
    ASSERT_NE(m.GetQuantilizer(), nullptr);
    EXPECT_EQ(m.GetQuantilizer()->GetNumberOfValues(), 1);
}

}  // namespace
