// Report layouts: minimal cutsets of ZBDD handles (order of the walk,
// columns, contributions), the probability and unavailability reports and
// the counting matrices, checked line by line.
#include "io/model_printer.h"
#include "quantification/curve.h"
#include "quantification_test_support.h"

#include "support/managed_value.h"
#include "support/stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>

using quantificationtest::Products;
using quantificationtest::SumOfProducts;

namespace {

std::string CutsetReport(SumOfProducts& m, KEFOModelPrinter& printer, double top, double t = 0.0) {
    PLOVStringStream stream;
    printer.SetTopEventProbability(top);
    printer.PrintMinimalCutsetsAtTSVFormat(m.top, m.zbdd, t, &stream);
    return stream.GetText();
}

}  // namespace

TEST(MinimalCutsetReport, DefaultColumnsInDiagramOrder) {
    SumOfProducts m;
    m.AddEvents({0.1, 0.3, 0.2});
    m.Build({{1, 2}, {0}, {2}});
    m.LoadProbabilities();
    KEFOModelPrinter printer;
    // Rank, probability and contribution; the walk takes e0 (then-side)
    // before the cutsets without it. {e1, e2} is not minimal.
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t10\nrare-event-approximation\t0.28\n"
              "1\t0.1\t0.357143\te0\n2\t0.2\t0.714286\te2\n",
              CutsetReport(m, printer, 0.28, 10.0));
}

TEST(MinimalCutsetReport, EveryColumnAndNoColumn) {
    SumOfProducts m;
    m.AddEvents({0.5, 0.25, 0.001});
    m.Build({{0, 1}, {2}});
    m.LoadProbabilities();
    KEFOModelPrinter printer;
    printer.SetMinimalCutsetColumns(true, true, true, true, false);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t0.002\n"
              "1\t2\t0.125\t62.5\te0\te1\n2\t1\t0.001\t0.5\te2\n",
              CutsetReport(m, printer, 0.002));
    printer.SetMinimalCutsetColumns(false, false, false, false, false);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ne0\te1\ne2\n", CutsetReport(m, printer, 0.002));
    printer.SetMinimalCutsetColumns(false, true, false, false, false);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\n2\te0\te1\n1\te2\n", CutsetReport(m, printer, 0.002));
    // Contribution alone, with a top-event probability of 0.
    printer.SetMinimalCutsetColumns(false, false, false, true, false);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t0\n0\te0\te1\n0\te2\n",
              CutsetReport(m, printer, 0.0));
    // Failure intensities: sum over the events of w_i times the others' p.
    m.manager->SetFailureIntensity(1, 0.01);
    m.manager->SetFailureIntensity(2, 0.02);
    m.manager->SetFailureIntensity(3, 0.5);
    printer.SetMinimalCutsetColumns(false, false, false, false, true);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\n0.0125\te0\te1\n0.5\te2\n", CutsetReport(m, printer, 0.0));
}

TEST(MinimalCutsetReport, TerminalFamilies) {
    KEFOModelPrinter printer;
    {
        SumOfProducts m;
        m.AddEvents({0.5});
        m.Build({{}});
        m.LoadProbabilities();
        EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\nrare-event-approximation\t1\n1\t1\t1\n",
                  CutsetReport(m, printer, 1.0));
        printer.SetMinimalCutsetColumns(false, false, false, false, false);
        EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\n\n", CutsetReport(m, printer, 1.0));
    }
    SumOfProducts m;
    m.AddEvents({0.5});
    m.Build({});
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\n", CutsetReport(m, printer, 0.0));
}

TEST(MinimalCutsetReport, RanksCountEveryLineOfALargeFamilyInOrder) {
    // 12 events, products of two neighbours: 11 cutsets; and a deep chain
    // of 3000 events in one cutset (the walk keeps no machine stack).
    SumOfProducts m;
    m.AddEvents(std::vector<double>(3000, 0.5));
    Products products;
    for (int e = 0; e + 1 < 12; ++e) products.push_back({e, e + 1});
    std::vector<int> chain;
    for (int e = 12; e < 3000; ++e) chain.push_back(e);
    products.push_back(chain);
    m.Build(products);
    m.LoadProbabilities();
    KEFOModelPrinter printer;
    printer.SetMinimalCutsetColumns(true, true, false, false, false);
    const std::string text = CutsetReport(m, printer, 0.0);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    ASSERT_EQ(2u + 12u, lines.size());
    for (int k = 0; k < 11; ++k)
        EXPECT_EQ(std::to_string(k + 1) + "\t2\te" + std::to_string(k) + "\te" + std::to_string(k + 1), lines[2 + k]);
    EXPECT_EQ(0u, lines[13].find("12\t2988\te12\te13\t"));
}

TEST(MinimalCutsetReport, RepeatedAndDistinctRealsKeepTheirTextAcrossReportsAndDigits) {
    // 1500 single-event cutsets: three probabilities repeated over the first
    // 600 events, then 900 distinct ones, many of them sharing a slot of the
    // printer's table of recent texts. Every probability and contribution
    // must read as printf writes it, with the digits of each report's
    // stream, so that a text kept from another value or from a report with
    // other digits would show.
    std::vector<double> p;
    for (int e = 0; e < 600; ++e) p.push_back(e % 3 == 0 ? 1e-3 : e % 3 == 1 ? 2.5e-4 : 1.0 / 3.0);
    for (int e = 600; e < 1500; ++e) p.push_back(1e-6 * (e + 1) + 1e-9 * e * e);
    SumOfProducts m;
    m.AddEvents(p);
    Products products;
    for (int e = 0; e < 1500; ++e) products.push_back({e});
    m.Build(products);
    m.LoadProbabilities();
    KEFOModelPrinter printer;
    const double top = 0.7;
    printer.SetTopEventProbability(top);
    for (int digits : {6, 3, 6, 10}) {
        PLOVStringStream stream;
        stream.SetNumberOfSignificantDigits(digits);
        printer.PrintMinimalCutsetsAtTSVFormat(m.top, m.zbdd, 0.0, &stream);
        const std::string text = stream.GetText();
        std::istringstream lines(text);
        std::string line;
        for (int skip = 0; skip < 4; ++skip) std::getline(lines, line);
        int seen = 0;
        while (std::getline(lines, line)) {
            // rank, probability, contribution, event "e<n>"
            const std::size_t a = line.find('\t');
            const std::size_t b = line.find('\t', a + 1);
            const std::size_t c = line.find('\t', b + 1);
            ASSERT_NE(c, std::string::npos) << line;
            const int event = std::stoi(line.substr(c + 2));
            char expected[64];
            std::snprintf(expected, sizeof expected, "%.*g", digits, p[static_cast<std::size_t>(event)]);
            EXPECT_EQ(expected, line.substr(a + 1, b - a - 1)) << digits << " " << line;
            std::snprintf(expected, sizeof expected, "%.*g", digits, p[static_cast<std::size_t>(event)] / top);
            EXPECT_EQ(expected, line.substr(b + 1, c - b - 1)) << digits << " " << line;
            ++seen;
        }
        EXPECT_EQ(1500, seen);
    }
}

TEST(ProbabilityReports, HeaderProbabilityAndUnavailabilityTable) {
    SumOfProducts m;
    m.AddEvents({0.5});
    m.Build({{0}});
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    m.zbdd->SetQuantificationMethod(KEFOHandle::MincutUpperBound);
    printer.PrintVariableProbability(m.zbdd, 0.0, 1.0 / 3.0, &stream);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\nquantification-method\tMCUB\ntime\tQ\n0\t0.333333\n",
              stream.GetText());
    stream.Clear();
    PLOVCurve curve;
    curve.NewPoint(10.0, 0.1);
    curve.NewPoint(0.0, 0.0);
    curve.NewPoint(30.0, 0.3);
    printer.SetUnavailabilityColumns(true, true);
    printer.PrintUnavailability(m.bdd, &curve, &stream);
    // Means: 0; (0 + 0.1) / 2 x 10 / 10; (0.5 + 4) / 30.
    EXPECT_EQ("variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQ\tQavg\n0\t0\t0\n10\t0.1\t0.05\n"
              "30\t0.3\t0.15\n",
              stream.GetText());
    stream.Clear();
    printer.SetUnavailabilityColumns(false, true);
    printer.PrintUnavailability(m.bdd, &curve, &stream);
    EXPECT_EQ("variable\ttop\nsource-handle\tBDD\nquantification-method\tPr\ntime\tQavg\n0\t0\n10\t0.05\n30\t0.15\n",
              stream.GetText());
    EXPECT_STREQ("", KEFOModelPrinter::GetQuantificationMethodAcronym(0));
    EXPECT_STREQ("PUB", KEFOModelPrinter::GetQuantificationMethodAcronym(4));
    EXPECT_STREQ("REA", KEFOModelPrinter::GetQuantificationMethodAcronym(2));
}

TEST(ProbabilityReports, StreamDigitsAndSeparator) {
    SumOfProducts m;
    m.AddEvents({0.5});
    m.Build({{0}});
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    stream.SetNumberOfSignificantDigits(3);
    printer.SetValueSeparator(";");
    printer.PrintVariableProbability(m.bdd, 1e-7, 2.0 / 3.0, &stream);
    EXPECT_EQ("variable;top\nsource-handle;BDD\nquantification-method;Pr\ntime;Q\n1e-07;0.667\n", stream.GetText());
}

TEST(CountingReports, MatrixCellsAndOccurrences) {
    PLOVManagedValue matrix = PLOVManagedValue::NewMatrix(3, 2);
    matrix.SetValueInMatrix(0, 0, PLOVManagedValue::NewSymbol("variable"));
    matrix.SetValueInMatrix(0, 1, PLOVManagedValue::NewSymbol("top"));
    matrix.SetValueInMatrix(1, 0, PLOVManagedValue::NewSymbol("number-of-products"));
    matrix.SetValueInMatrix(1, 1, PLOVManagedValue::NewDouble(130281976.0));
    matrix.SetValueInMatrix(2, 0, PLOVManagedValue::NewString("ratio"));
    matrix.SetValueInMatrix(2, 1, PLOVManagedValue::NewDouble(0.25));
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    printer.PrintMatrixAtCSVFormat(matrix, &stream);
    EXPECT_EQ("variable\ttop\nnumber-of-products\t130281976\nratio\t0.25\n", stream.GetText());

    SumOfProducts m;
    m.AddEvents({0.1, 0.2, 0.3, 0.4});
    m.Build({{0, 1}, {0, 2}});
    stream.Clear();
    printer.PrintNumbersOfOccurrencesOfVariablesInMinimalCutsets(m.zbdd, &stream);
    EXPECT_EQ("Variables\t#Occurrences\ne0\t2\ne1\t1\ne2\t1\n#Occurrences\t4\n#Variables\t3\n", stream.GetText());
}

TEST(RealFormat, SameTextAsPrintfOverMagnitudesDigitsAndTies) {
    std::mt19937_64 random(7);
    std::vector<double> values = {0.0, -0.0, 1.0, 0.5, 2.5, 0.125, 1e-5, 1e-4, 9.9999949e-5, 9.9999951e-5, 999999.5,
                                  999999.4, 1e6, 123456789.0, 1e-27, 1e-28, 1e-300, 5e-324, 1.7976931348623157e308,
                                  0.3, 0.1 + 0.2, 100.0, 1e21, -3.75, 0.0009999995, 0.00099999949};
    for (int i = 0; i < 200000; ++i) {
        // Uniform mantissas over a wide range of magnitudes, and short
        // decimals (where ties and exact roundings sit).
        const double exponent = std::uniform_real_distribution<double>(-32.0, 9.0)(random);
        values.push_back(std::pow(10.0, exponent));
        values.push_back(static_cast<double>(random() % 2000001) / std::pow(10.0, static_cast<double>(random() % 12)));
    }
    char mine[64];
    char theirs[64];
    for (int digits = 1; digits <= 17; ++digits) {
        char format[16];
        std::snprintf(format, sizeof format, "%%.%dg", digits);
        const std::size_t step = digits == 6 ? 1 : 7;
        for (std::size_t i = 0; i < values.size(); i += step) {
            const std::size_t n = KEFOModelPrinter::FormatRealWithDigits(values[i], digits, mine);
            std::snprintf(theirs, sizeof theirs, format, values[i]);
            ASSERT_EQ(std::string(theirs), std::string(mine, n)) << "digits " << digits << " value " << values[i];
        }
    }
    const double specials[] = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (double v : specials) {
        const std::size_t n = KEFOModelPrinter::FormatRealWithDigits(v, 6, mine);
        std::snprintf(theirs, sizeof theirs, "%g", v);
        EXPECT_EQ(std::string(theirs), std::string(mine, n));
    }
}
