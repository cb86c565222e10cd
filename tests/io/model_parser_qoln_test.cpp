#include "model_io_test_support.h"

#include "model/aliasing.h"
#include "model/empirical_distribution.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

using namespace modeltest;

namespace {

// Reads a text, expecting success; answers the model's reader.
std::unique_ptr<Reader> Read(const std::string& text) {
    std::unique_ptr<Reader> reader(new Reader());
    reader->Text(text);
    EXPECT_EQ(reader->errors, 0) << reader->Messages();
    // Every model of these tests prints back the same way in both formats.
    if (reader->errors == 0 && text.size() < 100000) {
        ExpectTextRoundTrip(reader->model.get(), text);
        ExpectXMLRoundTrip(reader->model.get(), text);
    }
    return reader;
}

// Reads a text expecting exactly one error; answers its first two lines.
std::string Fail(const std::string& text) {
    Reader reader;
    reader.Text(text);
    EXPECT_EQ(reader.errors, 1);
    return reader.FirstMessage();
}

// The first two lines of a message about m.sbe.
std::string At(int code, int line, int column, const std::string& text) {
    return "ERROR code: " + std::to_string(code) + " file: m.sbe line: " + std::to_string(line) +
           " column: " + std::to_string(column) + "\n" + text;
}

}  // namespace

TEST(KEFOModelParserQOLNTest, EmptyInputsLoadEmptyModels) {
    EXPECT_EQ(Read("")->model->GetNumberOfDeclarations(), 0);
    EXPECT_EQ(Read("  // nothing\n /* at all */ \n")->model->GetNumberOfDeclarations(), 0);
    EXPECT_STREQ(Read("")->model->GetFormat(), "qoln-sbe");
}

TEST(KEFOModelParserQOLNTest, FormulaPrecedence) {
    auto r = Read(
        "gate g1 = a or b and not c;\n"
        "gate g2 = a or b or c;\n"
        "gate g3 = a or (b or c);\n"
        "gate g4 = not not a and b;\n"
        "gate g5 = (a or b) and c;\n"
        "gate g6 = atleast 2 (a, b, c);\n"
        "gate g7 = cardinality 1, 2 (a, b or c, d);\n"
        "gate g8 = atmost 1 (a, b) or nand(a, b) and nor(c);\n"
        "gate g9 = basic-event e or gate f or house-event h or state s.t or flow u or source v;\n"
        "house-event h = true;\n"
        "gate g10 = and(a, b, c) or or(d);\n");
    const KEFOModel* m = r->model.get();
    EXPECT_EQ(DefinitionOf(m, "g1"), "or(a, and(b, not(c)))");
    EXPECT_EQ(DefinitionOf(m, "g2"), "or(a, b, c)");
    EXPECT_EQ(DefinitionOf(m, "g3"), "or(a, or(b, c))");
    EXPECT_EQ(DefinitionOf(m, "g4"), "and(not(not(a)), b)");
    EXPECT_EQ(DefinitionOf(m, "g5"), "and(or(a, b), c)");
    EXPECT_EQ(DefinitionOf(m, "g6"), "atleast[2](a, b, c)");
    EXPECT_EQ(DefinitionOf(m, "g7"), "cardinality[1][2](a, or(b, c), d)");
    EXPECT_EQ(DefinitionOf(m, "g8"), "or(atmost[1](a, b), and(nand(a, b), nor(c)))");
    EXPECT_EQ(DefinitionOf(m, "g9"), "or(e, f, h, s.t, u, v)");
    EXPECT_EQ(DefinitionOf(m, "h"), "true");
    EXPECT_EQ(DefinitionOf(m, "g10"), "or(and(a, b, c), or(d))");
    // References carry the kind they were written with.
    const KEFOGate* g9 = Variable(m, "g9")->GetDefinitionAsGate();
    std::vector<int> kinds;
    for (const KEFOTerm* c : g9->GetChildren()) kinds.push_back(c->GetReferredPortType());
    EXPECT_EQ(kinds, (std::vector<int>{302, 303, 304, 302, 303, 304}));
    EXPECT_EQ(Variable(m, "g1")->GetDefinitionAsGate()->GetChild(1)->GetReferredPortType(), 301);
    // Paths are split at dots outside pure models.
    EXPECT_EQ(g9->GetChild(4)->GetReferredPortPath()->GetNumberOfIdentifiers(), 2);
}

TEST(KEFOModelParserQOLNTest, ExpressionPrecedence) {
    auto r = Read(
        "parameter p1 = 1 + 2 - 3;\n"
        "parameter p2 = 1 * 2 / 3;\n"
        "parameter p3 = 1 - 2 + 3 * 4 + 5;\n"
        "parameter p4 = (1 - 2) - 3;\n"
        "parameter p5 = - - x * y;\n"
        "parameter p6 = a < b and not c == d or e;\n"
        "parameter p7 = if a >= 1 then 2.5 else pi;\n"
        "parameter p8 = switch { case a : 1, case b != 2 : 2, else 3 };\n"
        "parameter p9 = min(1, max(2, 3), mean(4, 5)) + exponential(1.0e-3);\n"
        "parameter p10 = parameter q.r * mission-time / 2;\n"
        "parameter p11 = switch(case(a, 1), 2) + ite(a, 1, 2);\n"
        "parameter p12 = 1 * 2 / 3 * 4;\n"
        "parameter p13 = true or false;\n"
        "parameter p14 = \"text\";\n"
        "parameter p15 = 5000000000;\n");
    const KEFOModel* m = r->model.get();
    EXPECT_EQ(ParameterOf(m, "p1"), "add(1, sub(2, 3))");
    EXPECT_EQ(ParameterOf(m, "p2"), "mul(1, div(2, 3))");
    EXPECT_EQ(ParameterOf(m, "p3"), "add(sub(1, 2), mul(3, 4), 5)");
    EXPECT_EQ(ParameterOf(m, "p4"), "sub(sub(1, 2), 3)");
    EXPECT_EQ(ParameterOf(m, "p5"), "mul(neg(neg($x)), $y)");
    EXPECT_EQ(ParameterOf(m, "p6"), "or(and(lt($a, $b), not(eq($c, $d))), $e)");
    EXPECT_EQ(ParameterOf(m, "p7"), "ite(geq($a, 1), 2.5, pi())");
    EXPECT_EQ(ParameterOf(m, "p8"), "switch(case($a, 1), case(df($b, 2), 2), 3)");
    EXPECT_EQ(ParameterOf(m, "p9"), "add(min(1, max(2, 3), mean(4, 5)), exponential(0.001))");
    EXPECT_EQ(ParameterOf(m, "p10"), "mul($q.r, div(mission-time(), 2))");
    EXPECT_EQ(ParameterOf(m, "p11"), "add(switch(case($a, 1), 2), ite($a, 1, 2))");
    EXPECT_EQ(ParameterOf(m, "p12"), "mul(1, div(2, 3), 4)");
    EXPECT_EQ(ParameterOf(m, "p13"), "or(true, false)");
    EXPECT_EQ(ParameterOf(m, "p14"), "\"text\"");
    EXPECT_EQ(ParameterOf(m, "p15"), "5000000000.0");
}

// The kinds, labels, order and nesting of declarations are pinned by the
// printer's tests; here what a printed model does not show.
TEST(KEFOModelParserQOLNTest, DottedDeclarationNamesArePathsAndLabelsAreKept) {
    auto r = Read("block plant\n  block train.a basic-event e \"\"\"Pump A fails\"\"\" = 0.5; end\nend\n");
    const KEFOBlock* plant = static_cast<const KEFOBlock*>(r->model->GetFirstDeclaration());
    ASSERT_EQ(plant->GetNumberOfDeclarations(), 1);
    const KEFOBlock* train = static_cast<const KEFOBlock*>(plant->GetFirstDeclaration());
    EXPECT_STREQ(train->GetPathAsString(), "train.a");
    EXPECT_EQ(train->GetPath()->GetNumberOfIdentifiers(), 2);
    EXPECT_STREQ(Variable(train, "e")->GetLabel(), "Pump A fails");
}

TEST(KEFOModelParserQOLNTest, CCFGroupsPlaceTheirFactors) {
    auto r = Read(
        "CCF-group b = beta-factor \"\"\"pumps\"\"\" [p1, p2, p3] [0.1] exponential(1e-4);\n"
        "CCF-group m = MGL [p1, p2, p3] [0.1, 0.2] 1e-3;\n"
        "CCF-group a = alpha-factor [p1, p2] [0.9, 0.1] q;\n"
        "CCF-group f = phi-factor [x.p1] [1] q;\n"
        "CCF-group m1 = MGL [p1] [] q;\n");
    const KEFOModel* m = r->model.get();
    bool mismatch = false;
    KEFOCCFGroup* beta = m->LookForCCFGroup("b", mismatch);
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(beta->GetType(), KEFOType::BetaFactorCCFGroup);
    EXPECT_STREQ(beta->GetLabel(), "pumps");
    ASSERT_EQ(beta->GetNumberOfMembers(), 3);
    EXPECT_EQ(Dump(beta->GetMember(2)), "p2");
    EXPECT_EQ(beta->GetMember(2)->GetReferredPortType(), 302);
    EXPECT_EQ(beta->GetNumberOfFactors(), 1);
    EXPECT_EQ(beta->GetFactor(1), nullptr);
    EXPECT_EQ(Dump(beta->GetFactor(3)), "0.1");
    EXPECT_EQ(Dump(beta->GetDistribution()), "exponential(0.0001)");
    KEFOCCFGroup* mgl = m->LookForCCFGroup("m", mismatch);
    EXPECT_EQ(mgl->GetFactor(1), nullptr);
    EXPECT_EQ(Dump(mgl->GetFactor(2)), "0.1");
    EXPECT_EQ(Dump(mgl->GetFactor(3)), "0.2");
    KEFOCCFGroup* alpha = m->LookForCCFGroup("a", mismatch);
    EXPECT_EQ(Dump(alpha->GetFactor(1)), "0.9");
    EXPECT_EQ(Dump(alpha->GetFactor(2)), "0.1");
    EXPECT_EQ(Dump(alpha->GetDistribution()), "$q");
    KEFOCCFGroup* phi = m->LookForCCFGroup("f", mismatch);
    EXPECT_EQ(Dump(phi->GetFactor(1)), "1");
    EXPECT_EQ(m->LookForCCFGroup("m1", mismatch)->GetNumberOfFactors(), 0);
}

TEST(KEFOModelParserQOLNTest, PureModels) {
    auto r = Read("#pure-model\nbasic-event a.b = 0.1;\ngate g = a.b or c.d;\nparameter p = x.y;\n");
    const KEFOModel* m = r->model.get();
    EXPECT_TRUE(m->IsPure());
    KEFODeclaration* e = m->GetFirstDeclaration();
    EXPECT_EQ(e->GetPath()->GetNumberOfIdentifiers(), 1);
    EXPECT_STREQ(e->GetIdentifier(), "a.b");
    const KEFOGate* g = Variable(m, "g")->GetDefinitionAsGate();
    EXPECT_EQ(g->GetChild(1)->GetReferredPortPath()->GetNumberOfIdentifiers(), 1);
    EXPECT_EQ(ParameterOf(m, "p"), "$x.y");
    // The form older printers wrote is read too.
    EXPECT_TRUE(Read("#pure_model\n")->model->IsPure());
    EXPECT_TRUE(Read("# pure-model basic-event e;")->model->IsPure());
    EXPECT_FALSE(Read("basic-event e;")->model->IsPure());
}

TEST(KEFOModelParserQOLNTest, TopLevelEndStopsTheReading) {
    auto r = Read("basic-event a = 0.1;\nend\nthis is not read ( at all");
    EXPECT_EQ(r->model->GetNumberOfDeclarations(), 1);
    auto s = Read("block b basic-event x; end end gate ignored = ;");
    EXPECT_EQ(s->model->GetNumberOfDeclarations(), 1);
}

// Every message of the textual reader, with its exact text and location.
TEST(KEFOModelParserQOLNTest, ErrorMessagesAndLocations) {
    EXPECT_EQ(Fail("parameter p = 1 - 2 - 3;"), At(10093, 1, 21, "A ';' was expected."));
    EXPECT_EQ(Fail("parameter p = 1 < 2 < 3;"), At(10093, 1, 21, "A ';' was expected."));
    EXPECT_EQ(Fail("block b\n  class c end\nend"), At(12101, 2, 3, "This declaration is not allowed here."));
    EXPECT_EQ(Fail("basic-event a;\n#pure-model"), At(12101, 2, 1, "This declaration is not allowed here."));
    EXPECT_EQ(Fail("block b # pure-model end"), At(12101, 1, 9, "This declaration is not allowed here."));
    EXPECT_EQ(Fail("#pure-model\nblock b end"), At(12101, 2, 1, "This declaration is not allowed here."));
    EXPECT_EQ(Fail("#pure-model\nPump p;"), At(12101, 2, 1, "This declaration is not allowed here."));
    EXPECT_EQ(Fail("# model"), At(10090, 1, 3, "Syntax error"));
    EXPECT_EQ(Fail("CCF-group g = MGL [a, b, c] [0.1] 0.01;"), At(12103, 1, 1, "Wrong number of factors."));
    EXPECT_EQ(Fail("\n  CCF-group g = beta-factor [a, b] [] 0.01;"), At(12103, 2, 3, "Wrong number of factors."));
    EXPECT_EQ(Fail("CCF-group g = alpha-factor [a, b] [1, 2, 3] 0.01;"), At(12103, 1, 1, "Wrong number of factors."));
    EXPECT_EQ(Fail("CCF-group g = gamma [a] [] 1;"), At(10082, 1, 15, "A CCF model was expected"));
    EXPECT_EQ(Fail("gate g = a or;"), At(10090, 1, 14, "Syntax error"));
    EXPECT_EQ(Fail("= a;"), At(10090, 1, 1, "Syntax error"));
    EXPECT_EQ(Fail("parameter p = end;"), At(10090, 1, 15, "Syntax error"));
    EXPECT_EQ(Fail("gate g = a"), At(10091, 1, 10, "Unexpected end of file"));
    EXPECT_EQ(Fail("block b\n basic-event e;"), At(10091, 2, 15, "Unexpected end of file"));
    EXPECT_EQ(Fail("basic-event = 1;"), At(10093, 1, 13, "A path was expected."));
    EXPECT_EQ(Fail("gate g a;"), At(10093, 1, 8, "A '=' was expected."));
    EXPECT_EQ(Fail("gate g = atleast x (a, b);"), At(10093, 1, 18, "A integer was expected."));
    EXPECT_EQ(Fail("gate g = cardinality 1 2 (a);"), At(10093, 1, 24, "A ',' was expected."));
    EXPECT_EQ(Fail("clones a b;"), At(10093, 1, 10, "A as was expected."));
    EXPECT_EQ(Fail("parameter p = if a 1 else 2;"), At(10093, 1, 20, "A then was expected."));
    EXPECT_EQ(Fail("parameter p = exponential(1, 2, 3);"), At(10094, 1, 15, "Unexpected number of children"));
    EXPECT_EQ(Fail("parameter p = sub(1, 2, 3);"), At(10094, 1, 15, "Unexpected number of children"));
    EXPECT_EQ(Fail("basic-event e = empirical-distribution(\"/nonexistent/table.txt\");"),
              At(14001, 1, 40, "Incorrect or corrupted empirical distribution file '/nonexistent/table.txt'."));
    EXPECT_EQ(Fail("gate g = a ? b;"), At(10093, 1, 12, "A ';' was expected."));
    EXPECT_EQ(Fail("gate g = \"\"\"unclosed label"), At(10090, 1, 10, "Syntax error"));
}

TEST(KEFOModelParserQOLNTest, FileEntryPoints) {
    {
        Reader reader;
        reader.parser.ImportModelAtQOLNFormat(reader.errors, nullptr, reader.model.get());
        EXPECT_EQ(reader.errors, 1);
        // Import prints the messages itself.
        EXPECT_EQ(reader.errorStream->GetText(), "ERROR code: 10001\nFile name missing.\n---\n\n");
    }
    {
        Reader reader;
        reader.parser.ImportModelAtQOLNFormat(reader.errors, "/nonexistent/model.sbe", reader.model.get());
        EXPECT_EQ(reader.errors, 1);
        EXPECT_EQ(reader.errorStream->GetText(),
                  "ERROR code: 10003\nUnable to open file /nonexistent/model.sbe\n---\n\n");
    }
    {
        std::string path = TemporaryPath("import.sbe");
        WriteWholeFile(path, "basic-event a = 0.5;\ngate g = a and b;\ngate h = ;\n");
        Reader reader;
        reader.parser.ImportModelAtQOLNFormat(reader.errors, path.c_str(), reader.model.get());
        EXPECT_EQ(reader.errors, 1);
        EXPECT_EQ(reader.errorStream->GetText(),
                  "ERROR code: 10090 file: " + path + " line: 3 column: 10\nSyntax error\n---\n\n");
        // What was read before the error stays in the model.
        EXPECT_EQ(reader.model->GetNumberOfDeclarations(), 3);
        std::remove(path.c_str());
    }
    {
        // An error counter already non-zero: nothing is done.
        Reader reader;
        reader.errors = 1;
        reader.Text("basic-event a;");
        EXPECT_EQ(reader.errors, 1);
        EXPECT_EQ(reader.model->GetNumberOfDeclarations(), 0);
    }
}

TEST(KEFOModelParserQOLNTest, EmpiricalDistributionsAndHistograms) {
    std::string table = TemporaryPath("table.txt");
    WriteWholeFile(table, "0\t0.1\n10\t0.2\n20\t0.4\n");
    std::string histogram = TemporaryPath("histogram.txt");
    WriteWholeFile(histogram, "0\t1\n0.5\t2\n1\t3\n");
    std::string bad = TemporaryPath("bad.txt");
    WriteWholeFile(bad, "0\t0.1\n10\t1.5\n20\t0.4\n");
    auto r = Read("basic-event e1 = empirical-distribution(\"" + table + "\");\n" +
                  "basic-event e2 = empirical-distribution(\"" + table + "\", step);\n" +
                  "parameter p = histogram(\"" + histogram + "\");\n" + "basic-event e3 = (empirical-distribution(\"" +
                  table + "\", piecewise-linear)) * 2;\n");
    const KEFOModel* m = r->model.get();
    const KEFOStochasticExpression* e1 = Variable(m, "e1")->GetProbabilityDistribution();
    ASSERT_EQ(e1->GetType(), KEFOStochasticExpression::EmpiricalDistribution);
    ASSERT_NE(e1->GetEmpiricalDistribution(), nullptr);
    EXPECT_EQ(e1->GetEmpiricalDistribution()->GetType(), KEFOEmpiricalDistribution::PiecewiseLinear);
    EXPECT_EQ(e1->GetEmpiricalDistribution()->GetNumberOfRows(), 3);
    EXPECT_DOUBLE_EQ(e1->GetEmpiricalDistribution()->GetYFromX(5), 0.15);
    EXPECT_EQ(Variable(m, "e2")->GetProbabilityDistribution()->GetEmpiricalDistribution()->GetType(),
              KEFOEmpiricalDistribution::Step);
    bool mismatch = false;
    const KEFOStochasticExpression* p =
        m->LookForParameter("p", mismatch)->GetDefinitionAsExpression();
    ASSERT_EQ(p->GetType(), KEFOStochasticExpression::Histogram);
    ASSERT_NE(p->GetHistogram(), nullptr);
    EXPECT_EQ(p->GetHistogram()->GetType(), KEFOEmpiricalDistribution::Histogram);
    EXPECT_EQ(Fail("basic-event e = empirical-distribution(\"" + bad + "\");"),
              At(14001, 1, 40, "Incorrect or corrupted empirical distribution file '" + bad + "'."));
    EXPECT_EQ(Fail("basic-event e = empirical-distribution(\"" + table + "\", linear);"),
              At(10090, 1, 44 + static_cast<int>(table.size()), "Syntax error"));
    EXPECT_EQ(Fail("basic-event e = histogram(x);"), At(10093, 1, 27, "A keyword was expected."));
    // Only at the start of an expression (elsewhere it needs parentheses).
    EXPECT_EQ(Fail("basic-event e = 2 * histogram(\"" + histogram + "\");"), At(10090, 1, 21, "Syntax error"));
    std::remove(table.c_str());
    std::remove(histogram.c_str());
    std::remove(bad.c_str());
}

// Inputs that are not models end in one coded message.
TEST(KEFOModelParserQOLNTest, MalformedInputsEndInACodedMessage) {
    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 16));
    }
    const std::string inputs[] = {
        garbage,
        "gate g = a and (b or",
        "block b\n block c\n gate g = x;\n end",
        "basic-event e = exponential(",
        "/* unclosed comment",
        "basic-event e \"unclosed string",
        std::string("gate g = a\0b;", 13),
        "parameter p = 1e;",
        "CCF-group g = MGL [a, b] [0.1",
    };
    for (const std::string& input : inputs) {
        Reader reader;
        reader.Text(input);
        EXPECT_EQ(reader.errors, 1);
        std::string message = reader.Messages();
        EXPECT_EQ(message.compare(0, 12, "ERROR code: "), 0) << message;
    }
    // A 10 MB single line: a gate over 200,000 children.
    const std::string name = "basic_event_with_a_rather_long_name_for_this_test_";
    std::string line = "gate g = " + name + "0";
    for (int i = 1; i < 200000; ++i) line += " or " + name + std::to_string(i);
    line += ";";
    ASSERT_GT(line.size(), 10000000u);
    Reader reader;
    auto start = std::chrono::steady_clock::now();
    reader.Text(line);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(reader.errors, 0);
    EXPECT_EQ(Variable(reader.model.get(), "g")->GetDefinition()->GetNumberOfChildren(), 200000);
    EXPECT_LT(seconds, 20.0);
    // A 10 MB label.
    Reader label;
    label.Text("basic-event e \"\"\"" + std::string(10000000, 'x') + "\"\"\";");
    EXPECT_EQ(label.errors, 0);
    EXPECT_EQ(std::strlen(Variable(label.model.get(), "e")->GetLabel()), 10000000u);
    // The same line cut short.
    Reader truncated;
    truncated.Text(line.substr(0, line.size() - 2));
    EXPECT_EQ(truncated.errors, 1);
    EXPECT_EQ(truncated.FirstMessage().substr(0, 17), "ERROR code: 10091");
}

TEST(KEFOModelParserQOLNTest, NestingIsBounded) {
    const int limit = KEFOModelParser::maximumNestingDepth;
    const std::string deeper = "Nesting deeper than " + std::to_string(limit) + " levels.";
    // Up to the limit, everything is read (a formula counts one level for
    // itself, so the deepest parenthesis is limit - 1 levels in).
    {
        std::string functions;
        for (int i = 0; i < limit - 1; ++i) functions += "exp(";
        const std::string texts[] = {
            "gate g = " + std::string(limit - 1, '(') + "a" + std::string(limit - 1, ')') + ";",
            "parameter p = " + std::string(limit - 1, '(') + "1" + std::string(limit - 1, ')') + ";",
            "parameter p = " + functions + "1" + std::string(limit - 1, ')') + ";",
        };
        for (const std::string& text : texts) {
            Reader reader;
            reader.Text(text);
            EXPECT_EQ(reader.errors, 0) << reader.Messages();
        }
        std::string blocks;
        for (int i = 0; i < limit; ++i) blocks += "block b\n";
        for (int i = 0; i < limit; ++i) blocks += "end\n";
        Reader reader;
        reader.Text(blocks);
        EXPECT_EQ(reader.errors, 0) << reader.Messages();
        // Such a model prints (and reads back).
        std::string printed = PrintText(reader.model.get());
        Reader again;
        again.Text(printed);
        EXPECT_EQ(again.errors, 0);
    }
    struct Case {
        std::string text;
        int column;
    };
    const Case cases[] = {
        {"gate g = " + std::string(100000, '(') + "a", 10 + limit},
        {"gate g = " + [] {
             std::string s;
             for (int i = 0; i < 100000; ++i) s += "not ";
             return s;
         }() + "a;",
         10 + 4 * (limit - 1)},
        {"parameter p = " + std::string(100000, '-') + "1;", 15 + limit - 1},
        {"parameter p = " + [] {
             std::string s;
             for (int i = 0; i < 100000; ++i) s += "exp(";
             return s;
         }() + "1",
         15 + 4 * limit},
    };
    for (const Case& c : cases) {
        Reader reader;
        reader.Text(c.text);
        EXPECT_EQ(reader.errors, 1);
        EXPECT_EQ(reader.FirstMessage(), At(10095, 1, c.column, deeper));
    }
    std::string blocks;
    for (int i = 0; i < 100000; ++i) blocks += "block b\n";
    Reader reader;
    reader.Text(blocks);
    EXPECT_EQ(reader.errors, 1);
    EXPECT_EQ(reader.FirstMessage(), At(10095, limit + 2, 1, deeper));
}

TEST(KEFOModelParserQOLNTest, WideFormulasAreReadInLinearTime) {
    const int n = 200000;
    std::string text = "gate g = atleast 2 (";
    for (int i = 0; i < n; ++i) text += (i ? ", e" : "e") + std::to_string(i);
    text += ");\nparameter p = 0";
    for (int i = 0; i < n; ++i) text += " + " + std::to_string(i);
    text += ";\n";
    auto start = std::chrono::steady_clock::now();
    auto r = Read(text);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(Variable(r->model.get(), "g")->GetDefinition()->GetNumberOfChildren(), n);
    bool mismatch = false;
    EXPECT_EQ(r->model->LookForParameter("p", mismatch)->GetDefinition()->GetNumberOfChildren(), n + 1);
    EXPECT_LT(seconds, 10.0);
}

TEST(KEFOModelParserQOLNTest, TheParserCanBeReusedAndReentered) {
    Reader reader;
    reader.Text("basic-event a;");
    KEFOModel other;
    reader.parser.ParseModelAtQOLNFormatFromText(reader.errors, "gate g = a;", "n.sbe", &other);
    reader.Text("basic-event b;");
    EXPECT_EQ(reader.errors, 0);
    EXPECT_EQ(reader.model->GetNumberOfDeclarations(), 2);
    EXPECT_EQ(other.GetNumberOfDeclarations(), 1);
    // A second model after an error reads from a clean state.
    reader.Text("gate");
    EXPECT_EQ(reader.errors, 1);
    reader.Messages();
    int errors = 0;
    KEFOModel third;
    reader.parser.ParseModelAtQOLNFormatFromText(errors, "#pure-model\nbasic-event x;", "t.sbe", &third);
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(third.IsPure());
}
