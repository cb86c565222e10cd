// Report layouts: minimal cutsets of ZBDD handles (order of the walk,
// columns, the texts of reals), the probability report and the counting
// matrices, checked line by line; and the formatting of reals.
#include "io/model_printer.h"
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

std::string CutsetReport(SumOfProducts& m, KEFOModelPrinter& printer, double top, int digits = 6) {
    PLOVStringStream stream;
    stream.SetNumberOfSignificantDigits(digits);
    printer.SetTopEventProbability(top);
    printer.PrintMinimalCutsetsAtTSVFormat(m.top, m.zbdd, 0.0, &stream);
    return stream.GetText();
}

}  // namespace

// The default columns, all of them and none are checked through "print
// minimal-cutsets" (ComputeTest.MinimalCutsetsWithTheirColumns): here the
// columns no script option reaches alone.
TEST(MinimalCutsetReport, OrderAloneFailureIntensitiesAndTheEmptyCutset) {
    KEFOModelPrinter printer;
    SumOfProducts m({0.5, 0.25, 0.001}, {{0, 1}, {2}});
    printer.SetMinimalCutsetColumns(false, true, false, false, false);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\n2\te0\te1\n1\te2\n", CutsetReport(m, printer, 0.002));
    // Failure intensities: sum over the events of w_i times the others' p.
    m.manager->SetFailureIntensity(1, 0.01);
    m.manager->SetFailureIntensity(2, 0.02);
    m.manager->SetFailureIntensity(3, 0.5);
    printer.SetMinimalCutsetColumns(false, false, false, false, true);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\ntime\t0\n0.0125\te0\te1\n0.5\te2\n", CutsetReport(m, printer, 0.0));
    // The empty cutset without any column is an empty line.
    SumOfProducts one({0.5}, {{}});
    printer.SetMinimalCutsetColumns(false, false, false, false, false);
    EXPECT_EQ("variable\ttop\nsource-handle\tZBDD\n\n", CutsetReport(one, printer, 1.0));
}

TEST(MinimalCutsetReport, RanksCountEveryLineOfALargeFamilyInOrder) {
    // 12 events, products of two neighbours: 11 cutsets; and a deep chain
    // of 3000 events in one cutset (the walk keeps no machine stack).
    Products products;
    for (int e = 0; e + 1 < 12; ++e) products.push_back({e, e + 1});
    products.push_back({});
    for (int e = 12; e < 3000; ++e) products.back().push_back(e);
    SumOfProducts m(std::vector<double>(3000, 0.5), products);
    KEFOModelPrinter printer;
    printer.SetMinimalCutsetColumns(true, true, false, false, false);
    std::vector<std::string> lines;
    std::istringstream text(CutsetReport(m, printer, 0.0));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_EQ(2u + 12u, lines.size());
    for (int k = 0; k < 11; ++k)
        EXPECT_EQ(std::to_string(k + 1) + "\t2\te" + std::to_string(k) + "\te" + std::to_string(k + 1), lines[2 + k]);
    EXPECT_EQ(0u, lines[13].find("12\t2988\te12\te13\t"));
}

TEST(MinimalCutsetReport, EveryColumnWithALongSeparatorLongNamesAndRanksPastAHundred) {
    // 110 events with names of 36 to 38 characters (three blocks of the
    // copy), and the 109 cutsets of two neighbours, written with every
    // column and a separator of three characters; each line is rebuilt
    // here with printf.
    SumOfProducts m;
    std::vector<std::string> names;
    std::vector<double> p;
    std::vector<double> w;
    for (int e = 0; e < 110; ++e) {
        names.push_back("a-basic-event-with-a-rather-long-name-" + std::to_string(e));
        p.push_back(0.5 / (e + 2));
        w.push_back(1e-3 * (e + 1));
        KEFOVariable* event = m.model->NewVariable(KEFOType::StateVariable, names.back().c_str());
        event->SetProbabilityDistribution(m.model->NewRealExpression(p.back()));
        event->SetBDDIndex(e + 1);
        m.manager->SetModelVariable(e + 1, event);
        m.events.push_back(event);
    }
    Products products;
    for (int e = 0; e + 1 < 110; ++e) products.push_back({e, e + 1});
    m.Build(products);
    m.LoadProbabilities();
    for (int e = 0; e < 110; ++e) m.manager->SetFailureIntensity(e + 1, w[static_cast<std::size_t>(e)]);
    KEFOModelPrinter printer;
    printer.SetMinimalCutsetColumns(true, true, true, true, true);
    printer.SetValueSeparator(" | ");
    const double top = 0.37;
    std::string expected = "variable | top\nsource-handle | ZBDD\ntime | 0\nrare-event-approximation | 0.37\n";
    for (std::size_t k = 0; k + 1 < 110; ++k) {
        const double probability = p[k] * p[k + 1];
        const double intensity = w[k] * p[k + 1] + w[k + 1] * p[k];
        char line[400];
        std::snprintf(line, sizeof line, "%zu | 2 | %.6g | %.6g | %.6g | %s | %s\n", k + 1, probability,
                      probability / top, intensity, names[k].c_str(), names[k + 1].c_str());
        expected += line;
    }
    EXPECT_EQ(expected, CutsetReport(m, printer, top));
}

TEST(MinimalCutsetReport, RepeatedAndDistinctRealsKeepTheirTextAcrossReportsAndDigits) {
    // 1500 single-event cutsets: three probabilities repeated over 600
    // events, then 900 distinct ones sharing slots of the printer's table of
    // recent texts. Each text must be printf's, with the digits of its
    // report, or a text kept from another value or report would show.
    std::vector<double> p;
    for (int e = 0; e < 600; ++e) p.push_back(e % 3 == 0 ? 1e-3 : e % 3 == 1 ? 2.5e-4 : 1.0 / 3.0);
    for (int e = 600; e < 1500; ++e) p.push_back(1e-6 * (e + 1) + 1e-9 * e * e);
    Products products;
    for (int e = 0; e < 1500; ++e) products.push_back({e});
    SumOfProducts m(p, products);
    KEFOModelPrinter printer;
    const double top = 0.7;
    for (int digits : {6, 3, 6, 10}) {
        std::istringstream lines(CutsetReport(m, printer, top, digits));
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

// The layouts of the probability, unavailability and counting reports are
// checked through the compute commands (ComputeTest); here the digits and
// separator of the stream, and the cells of kinds no command writes.
TEST(ProbabilityReports, StreamDigitsSeparatorAndMatrixCells) {
    SumOfProducts m({0.5}, {{0}}, false);
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    stream.SetNumberOfSignificantDigits(3);
    printer.SetValueSeparator(";");
    printer.PrintVariableProbability(m.bdd, 1e-7, 2.0 / 3.0, &stream);
    EXPECT_EQ("variable;top\nsource-handle;BDD\nquantification-method;Pr\ntime;Q\n1e-07;0.667\n", stream.GetText());
    EXPECT_STREQ("", KEFOModelPrinter::GetQuantificationMethodAcronym(0));
    PLOVManagedValue matrix = PLOVManagedValue::NewMatrix(3, 2);
    matrix.SetValueInMatrix(0, 0, PLOVManagedValue::NewSymbol("variable"));
    matrix.SetValueInMatrix(0, 1, PLOVManagedValue::NewSymbol("top"));
    matrix.SetValueInMatrix(1, 0, PLOVManagedValue::NewSymbol("number-of-products"));
    matrix.SetValueInMatrix(1, 1, PLOVManagedValue::NewDouble(130281976.0));
    matrix.SetValueInMatrix(2, 0, PLOVManagedValue::NewString("ratio"));
    matrix.SetValueInMatrix(2, 1, PLOVManagedValue::NewDouble(0.25));
    stream.Clear();
    stream.SetNumberOfSignificantDigits(6);
    printer.SetValueSeparator("\t");
    printer.PrintMatrixAtCSVFormat(matrix, &stream);
    EXPECT_EQ("variable\ttop\nnumber-of-products\t130281976\nratio\t0.25\n", stream.GetText());
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
    // The infinities and NaN last (read at six digits at least).
    for (double v : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()})
        values.push_back(v);
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
}
