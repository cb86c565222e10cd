#include "model_io_test_support.h"

#include "model/aliasing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace modeltest;

namespace {

std::unique_ptr<Reader> Read(const std::string& text) {
    std::unique_ptr<Reader> reader(new Reader());
    reader->Text(text);
    EXPECT_EQ(reader->errors, 0) << reader->Messages() << "\nin:\n" << text;
    return reader;
}

}  // namespace

TEST(KEFOModelPrinterTest, FormulasPrintWithTheParenthesesTheyNeed) {
    auto r = Read(
        "gate g1 = a or b and c;\n"
        "gate g2 = a and (b or c);\n"
        "gate g3 = a or (b or c);\n"
        "gate g4 = not (a and b) or not not c;\n"
        "gate g5 = atleast 2 (a, b or c, d) and cardinality 1, 3 (a, b);\n"
        "gate g6 = nand(a, b) or nor(a and b) or atmost 0 (x.y);\n"
        "gate g7 = and(a) or or() or true and false;\n");
    EXPECT_EQ(PrintText(r->model.get()),
              "gate g1 = a or b and c;\n"
              "gate g2 = a and (b or c);\n"
              "gate g3 = a or (b or c);\n"
              "gate g4 = not (a and b) or not not c;\n"
              "gate g5 = atleast 2 (a, b or c, d) and cardinality 1, 3 (a, b);\n"
              "gate g6 = nand(a, b) or nor(a and b) or atmost 0 (x.y);\n"
              "gate g7 = and(a) or or() or true and false;\n");
}

TEST(KEFOModelPrinterTest, ExpressionsPrintInFunctionFormAndInfix) {
    auto r = Read(
        "parameter p1 = 1 + 2 - 3 * 4 / x;\n"
        "parameter p2 = not (a and b) or a < b and not c == d;\n"
        "parameter p3 = (a < b) == (c > d) or (not a) <= b;\n"
        "parameter p4 = if a then 1 else if b then 2 else 3;\n"
        "parameter p5 = (if a then 1 else 2) < switch(case(a, 1), 2);\n"
        "parameter p6 = switch { case a : 1, case b : 2.5, else - 3 };\n"
        "parameter p7 = -1 - -1.5 + - x;\n"
        "parameter p8 = exponential(1.0e-3) + GLM(0.1, 1e-4, 0.05, mission-time) + pi;\n"
        "parameter p9 = \"text\" == true;\n"
        "parameter p10 = switch(case(a, 1));\n");
    EXPECT_EQ(PrintText(r->model.get()),
              "parameter p1 = add(1, sub(2, mul(3, div(4, x))));\n"
              "parameter p2 = not (a and b) or a < b and not c == d;\n"
              "parameter p3 = (a < b) == (c > d) or (not a) <= b;\n"
              "parameter p4 = if a then 1 else if b then 2 else 3;\n"
              "parameter p5 = (if a then 1 else 2) < (switch { case a : 1, else 2 });\n"
              "parameter p6 = switch { case a : 1, case b : 2.5, else -3 };\n"
              "parameter p7 = add(sub(-1, -1.5), neg(x));\n"
              "parameter p8 = add(exponential(0.001), GLM(0.1, 0.0001, 0.05, mission-time), pi);\n"
              "parameter p9 = \"text\" == true;\n"
              "parameter p10 = switch(case(a, 1));\n");
    ExpectTextRoundTrip(r->model.get(), "expressions");
}

// The declarations read back as they were written: kinds (state, source and
// flow are the basic-event, house-event and gate of the text), labels (empty
// ones too), order, nesting and directives.
TEST(KEFOModelPrinterTest, DeclarationsLabelsBlocksAndPureModels) {
    auto r = Read(
        "#pure_model\n"
        "basic-event e;\n"
        "basic-event f \"\"\"Pump \"A\" fails\"\"\" = 0.25;\n"
        "state e1 = exponential(1.0e-3);\n"
        "gate g;\n"
        "house-event h \"\"\"house\"\"\" = true;\n"
        "source s = true;\n"
        "flow u = h and e;\n"
        "parameter p = 1;\n"
        "parameter q \"\"\"\"\"\" = 2e-5;\n"
        "CCF-group c = MGL \"\"\"pumps\"\"\" [a, b, c] [0.1, 0.2] q;\n"
        "CCF-group d = beta-factor [a, b] [0.1] q;\n");
    EXPECT_EQ(PrintText(r->model.get()),
              "#pure-model\n"
              "basic-event e;\n"
              "basic-event f \"\"\"Pump \"A\" fails\"\"\" = 0.25;\n"
              "basic-event e1 = exponential(0.001);\n"
              "gate g;\n"
              "house-event h \"\"\"house\"\"\" = true;\n"
              "house-event s = true;\n"
              "gate u = h and e;\n"
              "parameter p = 1;\n"
              "parameter q \"\"\"\"\"\" = 2e-05;\n"
              "CCF-group c = MGL \"\"\"pumps\"\"\" [a, b, c] [0.1, 0.2] q;\n"
              "CCF-group d = beta-factor [a, b] [0.1] q;\n");
    ExpectTextRoundTrip(r->model.get(), "pure");
    auto b = Read(
        "class C \"\"\"a class\"\"\"\n basic-event x = 0.1;\nend\n"
        "block top\n"
        "  block inner.b gate g = x.y; end\n"
        "  C i1;\n"
        "  C i2 basic-event z; end\n"
        "  extends C;\n"
        "  clones i1 as i3;\n"
        "  clones owner.x as i4 basic-event y; end\n"
        "  embeds main.top.i1 as al \"\"\"alias\"\"\";\n"
        "end\n");
    EXPECT_EQ(PrintText(b->model.get()),
              "class C \"\"\"a class\"\"\"\n"
              "  basic-event x = 0.1;\n"
              "end\n"
              "block top\n"
              "  block inner.b\n"
              "    gate g = x.y;\n"
              "  end\n"
              "  C i1\n"
              "  end\n"
              "  C i2\n"
              "    basic-event z;\n"
              "  end\n"
              "  extends C\n"
              "  end\n"
              "  clones i1 as i3\n"
              "  end\n"
              "  clones owner.x as i4\n"
              "    basic-event y;\n"
              "  end\n"
              "  embeds main.top.i1 as al \"\"\"alias\"\"\";\n"
              "end\n");
    ExpectTextRoundTrip(b->model.get(), "blocks");
    ExpectXMLRoundTrip(b->model.get(), "blocks");
}

TEST(KEFOModelPrinterTest, RealsReadBackExactly) {
    EXPECT_EQ(KEFOModelPrinter::FormatReal(0.1), "0.1");
    EXPECT_EQ(KEFOModelPrinter::FormatReal(1.0), "1.0");
    EXPECT_EQ(KEFOModelPrinter::FormatReal(-2.0), "-2.0");
    EXPECT_EQ(KEFOModelPrinter::FormatReal(1e20), "1e+20");
    EXPECT_EQ(KEFOModelPrinter::FormatReal(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(KEFOModelPrinter::FormatReal(2e-5), "2e-05");
    EXPECT_EQ(KEFOModelPrinter::FormatReal(HUGE_VAL), "1e999");
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        double value;
        std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        std::string text = KEFOModelPrinter::FormatReal(value);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    // Through both formats.
    auto r = Read("basic-event a = 0.1234567890123456789;\nbasic-event b = 1e-300;\nparameter c = 7.0;\n");
    ExpectTextRoundTrip(r->model.get(), "reals");
    ExpectXMLRoundTrip(r->model.get(), "reals");
    EXPECT_EQ(PrintText(r->model.get()),
              "basic-event a = 0.12345678901234568;\nbasic-event b = 1e-300;\nparameter c = 7.0;\n");
    // Literals beyond the range of doubles read as infinity in both formats.
    auto huge = Read("basic-event a = 1e999;\n");
    EXPECT_TRUE(std::isinf(Variable(huge->model.get(), "a")->GetProbabilityDistribution()->GetValueAsDouble()));
    ExpectTextRoundTrip(huge->model.get(), "infinity");
    ExpectXMLRoundTrip(huge->model.get(), "infinity");
}

TEST(KEFOModelPrinterTest, XMLOutput) {
    auto r = Read(
        "#pure-model\n"
        "basic-event e \"\"\"a <b> & \"c\" d\"\"\" = exponential(1e-3);\n"
        "gate g = e or not basic-event f and atleast 2 (gate g1, house-event h, x);\n"
        "parameter p = if x < 1 then true else 2;\n"
        "CCF-group c = beta-factor [a, b] [0.1] q;\n");
    EXPECT_EQ(PrintXML(r->model.get()),
              "<?xml version=\"1.0\"?>\n"
              "<open-psa pure=\"true\">\n"
              "  <define-basic-event name=\"e\">\n"
              "    <label>a &lt;b&gt; &amp; &quot;c&quot; d</label>\n"
              "    <exponential>\n"
              "      <float value=\"0.001\"/>\n"
              "    </exponential>\n"
              "  </define-basic-event>\n"
              "  <define-gate name=\"g\">\n"
              "    <or>\n"
              "      <event name=\"e\"/>\n"
              "      <and>\n"
              "        <not>\n"
              "          <basic-event name=\"f\"/>\n"
              "        </not>\n"
              "        <atleast min=\"2\">\n"
              "          <gate name=\"g1\"/>\n"
              "          <house-event name=\"h\"/>\n"
              "          <event name=\"x\"/>\n"
              "        </atleast>\n"
              "      </and>\n"
              "    </or>\n"
              "  </define-gate>\n"
              "  <define-parameter name=\"p\">\n"
              "    <ite>\n"
              "      <lt>\n"
              "        <parameter name=\"x\"/>\n"
              "        <int value=\"1\"/>\n"
              "      </lt>\n"
              "      <bool value=\"true\"/>\n"
              "      <int value=\"2\"/>\n"
              "    </ite>\n"
              "  </define-parameter>\n"
              "  <define-CCF-group name=\"c\" model=\"beta-factor\">\n"
              "    <members>\n"
              "      <basic-event name=\"a\"/>\n"
              "      <basic-event name=\"b\"/>\n"
              "    </members>\n"
              "    <factors>\n"
              "      <float value=\"0.1\"/>\n"
              "    </factors>\n"
              "    <parameter name=\"q\"/>\n"
              "  </define-CCF-group>\n"
              "</open-psa>\n");
    ExpectXMLRoundTrip(r->model.get(), "xml");
    // Labels read back as they were, markup characters and white space
    // included.
    auto spaced = Read("basic-event s \"\"\"  two\n lines\t\"\"\";\n");
    ExpectXMLRoundTrip(spaced->model.get(), "spaced label");
    Reader back;
    back.XML(PrintXML(spaced->model.get()));
    EXPECT_STREQ(Variable(back.model.get(), "s")->GetLabel(), "  two\n lines\t");
    // The label with its markup characters reads back as it was.
    Reader again;
    again.XML(PrintXML(r->model.get()));
    EXPECT_STREQ(Variable(again.model.get(), "e")->GetLabel(), "a <b> & \"c\" d");
}

TEST(KEFOModelPrinterTest, ExportToFiles) {
    auto r = Read("basic-event e = 0.5;\n");
    KEFOModelPrinter printer;
    PLOVStringStream* errorStream = new PLOVStringStream();
    printer.GetModelMessenger()->SetErrorStream(errorStream);
    int errors = 0;
    std::string text = TemporaryPath("export.sbe");
    std::string xml = TemporaryPath("export.xml");
    printer.ExportModelAtQOLNFormat(errors, r->model.get(), text.c_str());
    printer.ExportModelAtXMLFormat(errors, r->model.get(), xml.c_str());
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(ReadWholeFile(text), "basic-event e = 0.5;\n");
    EXPECT_EQ(ReadWholeFile(xml).substr(0, 22), "<?xml version=\"1.0\"?>\n");
    printer.ExportModelAtQOLNFormat(errors, r->model.get(), "/nonexistent/directory/m.sbe");
    EXPECT_EQ(errors, 1);
    printer.GetModelMessenger()->PrintErrorMessages();
    EXPECT_EQ(errorStream->GetText(), "ERROR code: 10003\nUnable to open file /nonexistent/directory/m.sbe\n---\n\n");
    std::remove(text.c_str());
    std::remove(xml.c_str());
}

// Every benchmark model loads, a gate first as in its file; then load -> print
// -> load -> print, in each format.
TEST(KEFOModelPrinterTest, BenchmarkModelsLoadAndRoundTripInBothFormats) {
    std::vector<std::string> files = BenchmarkModelFiles();
    ASSERT_GE(files.size(), 20u);
    for (const std::string& file : files) {
        Reader reader;
        reader.parser.ImportModelAtXMLFormat(reader.errors, file.c_str(), reader.model.get());
        ASSERT_EQ(reader.errors, 0) << file << "\n" << reader.errorStream->GetText();
        EXPECT_GT(reader.model->GetNumberOfDeclarations(), 10) << file;
        EXPECT_EQ(reader.model->GetFirstDeclaration()->GetType(), KEFOType::FlowVariable) << file;
        // The twelve xor gates of das9601 read as cardinality gates.
        int cardinalities = 0;
        for (const KEFODeclaration* d : reader.model->GetDeclarations()) {
            const KEFOGate* g = d->GetType() == KEFOType::FlowVariable
                                    ? static_cast<const KEFOVariable*>(d)->GetDefinitionAsGate() : nullptr;
            if (g != nullptr && g->GetType() == KEFOGate::Cardinality) ++cardinalities;
        }
        if (file.find("/das9601.xml") != std::string::npos) {
            EXPECT_EQ(cardinalities, 12);
        }
        ExpectXMLRoundTrip(reader.model.get(), file);
        ExpectTextRoundTrip(reader.model.get(), file);
        // Text of the XML model, read back, gives the same declarations.
        Reader text;
        text.Text(PrintText(reader.model.get()));
        ASSERT_EQ(text.errors, 0);
        ASSERT_EQ(text.model->GetNumberOfDeclarations(), reader.model->GetNumberOfDeclarations());
        for (const KEFODeclaration* d = reader.model->GetFirstDeclaration(), *e = text.model->GetFirstDeclaration();
             d != nullptr; d = d->GetNextDeclaration(), e = e->GetNextDeclaration()) {
            ASSERT_EQ(d->GetType(), e->GetType());
            EXPECT_EQ(DefinitionOf(reader.model.get(), d->GetPathAsString()),
                      DefinitionOf(text.model.get(), e->GetPathAsString()));
        }
    }
}

namespace {

// Random formulas and expressions: what is printed must read back into the
// same tree.
struct RandomTerms {
    std::mt19937 random;
    explicit RandomTerms(unsigned seed) : random(seed) {}
    int Pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

    std::string Name() {
        static const char* const names[] = {"a", "b", "c", "x.y", "main.z", "owner.w"};
        return names[Pick(6)];
    }

    KEFOGate* Gate(KEFOBlock* block, int depth) {
        int kind = depth <= 0 ? Pick(2) : Pick(10);
        switch (kind) {
        case 0: return block->NewVariableReference(KEFOType::Variable, Name().c_str());
        case 1: return block->NewConstant(Pick(2) == 0);
        case 9: return block->NewNot(Gate(block, depth - 1));
        default: break;
        }
        std::vector<KEFOGate*> children;
        int n = (kind == KEFOGate::And || kind == KEFOGate::Or) ? Pick(5) : 1 + Pick(3);
        for (int i = 0; i < n; ++i) children.push_back(Gate(block, depth - 1));
        switch (kind) {
        case KEFOGate::And: return block->NewAnd(children);
        case KEFOGate::Or: return block->NewOr(children);
        case KEFOGate::Nand: return block->NewNand(children);
        case KEFOGate::Nor: return block->NewNor(children);
        case KEFOGate::AtLeast: return block->NewAtLeast(Pick(4), children);
        case KEFOGate::AtMost: return block->NewAtMost(Pick(4), children);
        default: return block->NewCardinality(Pick(3), Pick(4), children);
        }
    }

    KEFOStochasticExpression* Expression(KEFOBlock* block, int depth) {
        typedef KEFOStochasticExpression E;
        if (depth <= 0 || Pick(4) == 0) {
            switch (Pick(8)) {
            case 0: return block->NewBooleanExpression(Pick(2) == 0);
            case 1: return block->NewIntegerExpression(Pick(1000));
            case 2: return block->NewRealExpression(std::ldexp(static_cast<double>(random()), -Pick(60)));
            case 3: return block->NewStringExpression("s");
            case 4: return block->NewStochasticExpression(E::Pi);
            case 5: return block->NewStochasticExpression(E::MissionTime);
            default: return block->NewParameterReference(Name().c_str());
            }
        }
        static const int kinds[] = {E::And, E::Or, E::Not, E::Eq, E::Df, E::Lt, E::Gt, E::Leq, E::Geq, E::Neg,
                                    E::Add, E::Sub, E::Mul, E::Div, E::Exp, E::Pow, E::Min, E::Max, E::Ite,
                                    E::Switch, E::Case, E::Dirac, E::GLM, E::Weibull, E::PeriodicTest,
                                    E::FailureOnDemand, E::UniformDeviate, E::LognormalDeviate, E::Mean};
        int type = kinds[Pick(static_cast<int>(sizeof kinds / sizeof kinds[0]))];
        std::vector<E*> children;
        if (type == E::Switch) {
            int cases = Pick(3);
            for (int i = 0; i < cases; ++i)
                children.push_back(block->NewStochasticExpression(E::Case, Expression(block, depth - 1),
                                                                  Expression(block, depth - 1)));
            if (cases == 0 || Pick(3) != 0) children.push_back(Expression(block, depth - 1));
        } else {
            int n = 0;
            while (!E::CheckNumberOfChildren(type, n)) ++n;
            while (n < 4 && E::CheckNumberOfChildren(type, n + 1) && Pick(3) == 0) ++n;
            for (int i = 0; i < n; ++i) children.push_back(Expression(block, depth - 1));
        }
        return block->NewStochasticExpression(type, children);
    }
};

}  // namespace

TEST(KEFOModelPrinterTest, RandomFormulasAndExpressionsReadBackIdentically) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomTerms terms(seed);
        KEFOModel model;
        for (int i = 0; i < 4; ++i) {
            std::string name = "g" + std::to_string(i);
            model.NewVariable(KEFOType::FlowVariable, name.c_str())->SetDefinition(terms.Gate(&model, 5));
            name = "p" + std::to_string(i);
            model.NewParameter(name.c_str())->SetDefinition(terms.Expression(&model, 5));
        }
        std::string text = PrintText(&model);
        Reader reader;
        reader.Text(text);
        ASSERT_EQ(reader.errors, 0) << reader.Messages() << "\n" << text;
        for (int i = 0; i < 4; ++i) {
            std::string g = "g" + std::to_string(i), p = "p" + std::to_string(i);
            ASSERT_EQ(DefinitionOf(reader.model.get(), g.c_str()), DefinitionOf(&model, g.c_str())) << text;
            ASSERT_EQ(ParameterOf(reader.model.get(), p.c_str()), ParameterOf(&model, p.c_str())) << text;
        }
        std::string xml = PrintXML(&model);
        Reader fromXML;
        fromXML.XML(xml);
        ASSERT_EQ(fromXML.errors, 0) << fromXML.Messages() << "\n" << xml;
        for (int i = 0; i < 4; ++i) {
            std::string g = "g" + std::to_string(i), p = "p" + std::to_string(i);
            ASSERT_EQ(DefinitionOf(fromXML.model.get(), g.c_str()), DefinitionOf(&model, g.c_str()));
            ASSERT_EQ(ParameterOf(fromXML.model.get(), p.c_str()), ParameterOf(&model, p.c_str()));
        }
        EXPECT_EQ(PrintXML(fromXML.model.get()), xml);
    }
}

// The example models load and print back the same way.
TEST(KEFOModelPrinterTest, ExampleModels) {
    std::string directory = std::string(KEFO_SOURCE_DIR) + "/examples/";
    Reader text;
    text.parser.ImportModelAtQOLNFormat(text.errors, (directory + "pumps.sbe").c_str(), text.model.get());
    ASSERT_EQ(text.errors, 0) << text.errorStream->GetText();
    EXPECT_EQ(text.model->GetNumberOfDeclarations(), 9);
    EXPECT_EQ(DefinitionOf(text.model.get(), "no-flow"), "or(and(pump-a, pump-b), power-loss)");
    ExpectTextRoundTrip(text.model.get(), "pumps.sbe");
    ExpectXMLRoundTrip(text.model.get(), "pumps.sbe");
    Reader xml;
    xml.parser.ImportModelAtXMLFormat(xml.errors, (directory + "pumps.xml").c_str(), xml.model.get());
    ASSERT_EQ(xml.errors, 0) << xml.errorStream->GetText();
    EXPECT_EQ(xml.model->GetNumberOfDeclarations(), 7);
    EXPECT_EQ(DefinitionOf(xml.model.get(), "top"), "or(no-flow, tank-rupture)");
    ExpectTextRoundTrip(xml.model.get(), "pumps.xml");
    ExpectXMLRoundTrip(xml.model.get(), "pumps.xml");
}
