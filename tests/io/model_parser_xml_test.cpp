#include "model_io_test_support.h"

#include "model/aliasing.h"
#include "model/empirical_distribution.h"
#include "support/messenger.h"
#include "support/xml_document.h"
#include "support/xml_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace modeltest;

namespace {

// textToo: the textual form reads back as well (a table given by its points
// has no textual form).
std::unique_ptr<Reader> ReadXML(const std::string& text, bool textToo = true) {
    std::unique_ptr<Reader> reader(new Reader());
    reader->XML(text);
    EXPECT_EQ(reader->errors, 0) << reader->Messages();
    if (reader->errors == 0 && text.size() < 100000) {
        ExpectXMLRoundTrip(reader->model.get(), text);
        if (textToo) ExpectTextRoundTrip(reader->model.get(), text);
    }
    return reader;
}

std::string FailXML(const std::string& text) {
    Reader reader;
    reader.XML(text);
    EXPECT_EQ(reader.errors, 1);
    return reader.FirstMessage();
}

// The first two lines of a message about m.xml.
std::string Line(int code, int line, const std::string& text) {
    return "ERROR code: " + std::to_string(code) + " file: m.xml line: " + std::to_string(line) + "\n" + text;
}

std::string InRoot(const std::string& body) { return "<?xml version=\"1.0\"?>\n<opsa-mef>\n" + body + "</opsa-mef>\n"; }

}  // namespace

TEST(KEFOModelParserXMLTest, RootsAndFormats) {
    for (const char* root : {"open-psa", "srf-psa", "opsa-mef", "riskspectrum:opsa-mef"}) {
        auto r = ReadXML(std::string("<?xml version=\"1.0\"?><!-- c --><") + root +
                         "><define-basic-event name=\"e\"><float value=\"0.5\"/></define-basic-event></" + root + ">");
        EXPECT_EQ(r->model->GetNumberOfDeclarations(), 1);
        EXPECT_STREQ(r->model->GetFormat(), std::string(root) == "riskspectrum:opsa-mef" ? "riskspectrum:opsa-mef" : "open-psa");
    }
    // The first root of the list wins, whatever the order in the file.
    auto r = ReadXML("<opsa-mef><define-basic-event name=\"a\"/></opsa-mef>"
                     "<open-psa><define-basic-event name=\"b\"/></open-psa>");
    EXPECT_STREQ(r->model->GetFirstDeclaration()->GetPathAsString(), "b");
    EXPECT_EQ(FailXML("<model/>"), "ERROR code: 10004 file: m.xml\nNo root element \"open-psa\".");
    EXPECT_EQ(FailXML("<open-psa pure=\"yes\"/>"), Line(10071, 1, "\"yes\" is not a Boolean value"));
    EXPECT_TRUE(ReadXML("<open-psa pure=\"true\"/>")->model->IsPure());
    EXPECT_FALSE(ReadXML("<open-psa pure=\"false\"/>")->model->IsPure());
}

TEST(KEFOModelParserXMLTest, DeclarationsFormulasAndExpressions) {
    auto r = ReadXML(InRoot(
        "<label>The model</label>\n"
        "<define-fault-tree name=\"ft\">\n"
        "  <define-gate name=\"top\"><label>  Top\n event </label><attributes><attribute name=\"x\" value=\"1\"/>"
        "</attributes>\n"
        "    <or><gate name=\"g1\"/><basic-event name=\"e1\"/><house-event name=\"h\"/><event name=\"u\"/>"
        "<state-variable name=\"s\"/><flow-variable name=\"f\"/><source-variable name=\"v\"/></or>\n"
        "  </define-gate>\n"
        "  <define-component name=\"c\">\n"
        "    <define-gate name=\"g1\"><and><not><basic-event name=\"e1\"/></not><atleast min=\"2\"><event name=\"a\"/>"
        "<event name=\"b\"/><event name=\"c\"/></atleast><atmost max=\"1\"><event name=\"a\"/></atmost>"
        "<cardinality min=\"1\" max=\"2\"><event name=\"a\"/></cardinality><nand><true/><false/></nand>"
        "<nor><constant value=\"true\"/></nor></and></define-gate>\n"
        "    <define-gate name=\"x\"><xor><event name=\"a\"/><event name=\"b\"/></xor></define-gate>\n"
        "  </define-component>\n"
        "</define-fault-tree>\n"
        "<model-data>\n"
        "  <define-basic-event name=\"e1\" riskspectrum:model=\"probability\"><!-- p --><float value=\"1e-3\"/>"
        "</define-basic-event>\n"
        "  <define-state name=\"e2\"><exponential><parameter name=\"lambda\"/><mission-time/></exponential>"
        "</define-state>\n"
        "  <define-parameter name=\"lambda\" unit=\"1/h\" riskspectrum:type=\"rate\"><label>rate</label>"
        "<mul><int value=\"2\"/><float value=\"0.25\"/><bool value=\"true\"/><pi/></mul></define-parameter>\n"
        "  <define-house-event name=\"h\"><constant value=\"false\"/></define-house-event>\n"
        "  <define-source name=\"v\"><true/></define-source>\n"
        "  <define-flow name=\"f\"><event name=\"a\"/></define-flow>\n"
        "  <define-basic-event name=\"e3\"/>\n"
        "  <define-parameter name=\"s\"><string value=\"a &amp; b\"/></define-parameter>\n"
        "  <define-parameter name=\"w\"><Weibull><float value=\"1\"/><float value=\"2\"/><float value=\"3\"/>"
        "</Weibull></define-parameter>\n"
        "</model-data>\n"));
    const KEFOModel* m = r->model.get();
    EXPECT_STREQ(m->GetLabel(), "The model");
    std::vector<std::string> names;
    for (const KEFODeclaration* d : m->GetDeclarations()) names.push_back(d->GetPathAsString());
    EXPECT_EQ(names, (std::vector<std::string>{"top", "g1", "x", "e1", "e2", "lambda", "h", "v", "f", "e3", "s", "w"}));
    EXPECT_STREQ(Variable(m, "top")->GetLabel(), " Top event ");
    EXPECT_EQ(DefinitionOf(m, "top"), "or(g1, e1, h, u, s, f, v)");
    std::vector<int> kinds;
    for (const KEFOTerm* c : Variable(m, "top")->GetDefinition()->GetChildren()) kinds.push_back(c->GetReferredPortType());
    EXPECT_EQ(kinds, (std::vector<int>{303, 302, 304, 301, 302, 303, 304}));
    EXPECT_EQ(DefinitionOf(m, "g1"),
              "and(not(e1), atleast[2](a, b, c), atmost[1](a), cardinality[1][2](a), nand(true, false), nor(true))");
    // xor over two formulas: exactly one of them.
    EXPECT_EQ(DefinitionOf(m, "x"), "cardinality[1][1](a, b)");
    EXPECT_EQ(DefinitionOf(m, "e1"), "0.001");
    EXPECT_STREQ(Variable(m, "e1")->GetAttributeAsString("riskspectrum:model", ""), "probability");
    EXPECT_EQ(DefinitionOf(m, "e2"), "exponential($lambda, mission-time())");
    EXPECT_EQ(ParameterOf(m, "lambda"), "mul(2, 0.25, true, pi())");
    bool mismatch = false;
    const KEFOParameter* lambda = m->LookForParameter("lambda", mismatch);
    EXPECT_STREQ(lambda->GetAttributeAsString("unit", ""), "1/h");
    EXPECT_STREQ(lambda->GetAttributeAsString("riskspectrum:type", ""), "rate");
    EXPECT_STREQ(lambda->GetLabel(), "rate");
    EXPECT_TRUE(Variable(m, "h")->IsSourceVariable());
    EXPECT_EQ(DefinitionOf(m, "h"), "false");
    EXPECT_TRUE(Variable(m, "v")->IsSourceVariable());
    EXPECT_TRUE(Variable(m, "f")->IsFlowVariable());
    EXPECT_EQ(Variable(m, "e3")->GetProbabilityDistribution(), nullptr);
    EXPECT_EQ(ParameterOf(m, "s"), "\"a & b\"");
    EXPECT_EQ(ParameterOf(m, "w"), "Weibull(1.0, 2.0, 3.0)");
}

TEST(KEFOModelParserXMLTest, BlocksClassesAndCCFGroups) {
    auto r = ReadXML(InRoot(
        "<class name=\"Pump\"><label>pump</label><define-basic-event name=\"fails\"/></class>\n"
        "<block name=\"plant\">\n"
        "  <instance name=\"p1\" class=\"Pump\"><define-basic-event name=\"extra\"/></instance>\n"
        "  <extends extended=\"base\"/>\n"
        "  <clones name=\"p2\" block=\"p1\"/>\n"
        "  <embeds name=\"alias\" embedded=\"main.plant.p1\"><label>al</label></embeds>\n"
        "  <define-CCF-group name=\"ccf\" model=\"MGL\"><label>pumps</label>\n"
        "    <members><basic-event name=\"a\"/><state-variable name=\"b\"/><basic-event name=\"c\"/></members>\n"
        "    <factors><float value=\"0.1\"/><float value=\"0.2\"/></factors>\n"
        "    <float value=\"0.001\"/>\n"
        "  </define-CCF-group>\n"
        "</block>\n"));
    const KEFOModel* m = r->model.get();
    const KEFOBlock* pump = static_cast<const KEFOBlock*>(m->GetFirstDeclaration());
    EXPECT_EQ(pump->GetType(), KEFOType::Class);
    EXPECT_STREQ(pump->GetLabel(), "pump");
    const KEFOBlock* plant = static_cast<const KEFOBlock*>(m->GetLastDeclaration());
    std::vector<int> types;
    for (const KEFODeclaration* d : plant->GetDeclarations()) types.push_back(d->GetType());
    EXPECT_EQ(types, (std::vector<int>{104, 105, 106, 107, 402}));
    const KEFOBlock* p1 = static_cast<const KEFOBlock*>(plant->GetFirstDeclaration());
    EXPECT_STREQ(p1->GetCloningPathAsString(), "Pump");
    EXPECT_EQ(p1->GetNumberOfDeclarations(), 1);
    const KEFOAliasing* alias = static_cast<const KEFOAliasing*>(plant->GetLastDeclaration()->GetPreviousDeclaration());
    EXPECT_STREQ(alias->GetAliasedPathAsString(), "main.plant.p1");
    EXPECT_STREQ(alias->GetLabel(), "al");
    const KEFOCCFGroup* group = static_cast<const KEFOCCFGroup*>(plant->GetLastDeclaration());
    EXPECT_STREQ(group->GetLabel(), "pumps");
    EXPECT_EQ(group->GetNumberOfMembers(), 3);
    EXPECT_EQ(Dump(group->GetMember(2)), "b");
    EXPECT_EQ(group->GetFactor(1), nullptr);
    EXPECT_EQ(Dump(group->GetFactor(2)), "0.1");
    EXPECT_EQ(Dump(group->GetFactor(3)), "0.2");
    EXPECT_EQ(Dump(group->GetDistribution()), "0.001");
    // A gate without formula has no definition (the checker reports it).
    auto bare = ReadXML("<open-psa><define-gate name=\"g\"><label>l</label></define-gate></open-psa>");
    EXPECT_TRUE(Variable(bare->model.get(), "g")->IsFlowVariable());
    EXPECT_EQ(Variable(bare->model.get(), "g")->GetDefinition(), nullptr);
    // Pure models take names whole and refuse structural elements.
    auto pure = ReadXML("<open-psa pure=\"true\"><define-gate name=\"a.b\"><event name=\"c.d\"/></define-gate></open-psa>");
    EXPECT_EQ(pure->model->GetFirstDeclaration()->GetPath()->GetNumberOfIdentifiers(), 1);
    EXPECT_EQ(Variable(pure->model.get(), "a.b")->GetDefinition()->GetReferredPortPath()->GetNumberOfIdentifiers(), 1);
    EXPECT_EQ(FailXML("<open-psa pure=\"true\">\n<block name=\"b\"/></open-psa>"), Line(10090, 2, "Syntax error"));
}

// Every message of the XML reader, with its exact text and line.
TEST(KEFOModelParserXMLTest, ErrorMessagesAndLocations) {
    const struct {
        const char* body;
        int code, line;
        const char* text;
    } cases[] = {
        {"<define-gate/>", 10070, 3, "Attribute \"name\" is missing"},
        {"<define-gate name=\"\"/>", 10070, 3, "Attribute \"name\" is missing"},
        {"<instance name=\"i\"/>", 10070, 3, "Attribute \"class\" is missing"},
        {"<define-gate name=\"g\">\n<constant value=\"1\"/></define-gate>", 10071, 4, "\"1\" is not a Boolean value"},
        {"<define-gate name=\"g\"><atleast min=\"two\"/></define-gate>", 10072, 3, "\"two\" is not an integer"},
        {"<define-parameter name=\"p\"><int value=\"99999999999\"/></define-parameter>",
         10072, 3, "\"99999999999\" is not an integer"},
        {"<define-parameter name=\"p\"><float value=\"0.1x\"/></define-parameter>", 10073, 3, "\"0.1x\" is not a real"},
        {"<define-basic-event name=\"e\">\n<float value=\"0.1\"/>\n<float value=\"0.2\"/>"
         "</define-basic-event>", 10094, 5, "Unexpected number of children"},
        {"<define-parameter name=\"p\"><exponential/></define-parameter>", 10094, 3, "Unexpected number of children"},
        {"<define-gate name=\"g\"><xor><event name=\"a\"/></xor></define-gate>",
         10094, 3, "Unexpected number of children"},
        {"<define-gate name=\"g\"><xor><event name=\"a\"/><event name=\"b\"/><event name=\"c\"/>"
         "</xor></define-gate>", 10094, 3, "Unexpected number of children"},
        {"<define-gate name=\"g\"><not/></define-gate>", 10094, 3, "Unexpected number of children"},
        {"<define-gate name=\"g\"><event name=\"a\"/>\n<event name=\"b\"/></define-gate>",
         10012, 4, "Definition with more than one body"},
        {"<class name=\"c\"/><class name=\"c\"/>", 10020, 3, "Already defined c."},
        {"<define-basic-event name=\"c\"/>\n<class name=\"c\"/>", 10021, 4, "Already defined with another type c."},
        {"<block name=\"b\"><class name=\"c\"/></block>", 12101, 3, "This declaration is not allowed here."},
        {"<define-CCF-group name=\"g\" model=\"beta\"/>", 10083, 3, "Unknown CCF model"},
        {"<define-CCF-group name=\"g\"/>", 10070, 3, "Attribute \"model\" is missing"},
        {"<define-CCF-group name=\"g\" model=\"MGL\"><members><basic-event name=\"a\"/>"
         "</members></define-CCF-group>", 10081, 3, "Incorrect CCF group definition"},
        {"<define-CCF-group name=\"g\" model=\"MGL\">\n<factors/></define-CCF-group>",
         10081, 4, "Incorrect CCF group definition"},
        {"<define-CCF-group name=\"g\" model=\"MGL\"><members><basic-event name=\"a\"/></members>"
         "<factors/><float value=\"1\"/>\n<float value=\"1\"/></define-CCF-group>",
         10081, 4, "Incorrect CCF group definition"},
        {"<define-CCF-group name=\"g\" model=\"MGL\"><members>\n<gate name=\"a\"/></members>"
         "</define-CCF-group>", 10087, 4, "Ill formed CCF group member"},
        {"<define-CCF-group name=\"g\" model=\"alpha-factor\"><members><basic-event name=\"a\"/>"
         "<basic-event name=\"b\"/></members><factors><float value=\"1\"/></factors>"
         "<float value=\"1\"/></define-CCF-group>", 12103, 3, "Wrong number of factors."},
        {"<define-basic-event name=\"e\" riskspectrum:model=\"rate\"/>", 10099, 3, "Unknown RiskSpectum Model"},
        {"<define-event name=\"e\"/>", 10090, 3, "Syntax error"},
        {"some text", 10090, 3, "Syntax error"},
        {"<define-gate name=\"g\"><xand/></define-gate>", 10090, 3, "Syntax error"},
        {"<define-parameter name=\"p\"><plus/></define-parameter>", 10090, 3, "Syntax error"},
        {"<define-parameter name=\"p\"><empirical-distribution file=\"f\" type=\"spline\"/>"
         "</define-parameter>", 10090, 3, "Syntax error"},
        {"<define-parameter name=\"p\"><histogram file=\"/nonexistent/h.txt\"/>"
         "</define-parameter>", 14001, 3, "Incorrect or corrupted empirical distribution file '/nonexistent/h.txt'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(FailXML(InRoot(c.body)), Line(c.code, c.line, c.text));
    }
    // Syntax errors of the XML reader land in the same queue.
    EXPECT_EQ(FailXML("<open-psa>\n<block name=\"b\">\n</open-psa>"),
              Line(1011, 3, "Open and close tags do not correspond"));
    EXPECT_EQ(FailXML("<open-psa>\n<block name=\"b\">"), Line(1013, 2, "Unclosed tag(s)"));
    EXPECT_EQ(FailXML(""), Line(1001, 1, "Unexpected end of file"));
}

TEST(KEFOModelParserXMLTest, FileEntryPointsAndMessengers) {
    {
        Reader reader;
        reader.parser.ImportModelAtXMLFormat(reader.errors, nullptr, reader.model.get());
        EXPECT_EQ(reader.errorStream->GetText(), "ERROR code: 10001\nFile name missing.\n---\n\n");
    }
    {
        Reader reader;
        reader.parser.ImportModelAtXMLFormat(reader.errors, "/nonexistent/m.xml", reader.model.get());
        EXPECT_EQ(reader.errorStream->GetText(), "ERROR code: 10003\nUnable to open file /nonexistent/m.xml\n---\n\n");
    }
    {
        std::string path = TemporaryPath("import.xml");
        WriteWholeFile(path, "<open-psa>\n<define-gate name=\"g\">\n<and></or>\n</define-gate></open-psa>");
        Reader reader;
        reader.parser.ImportModelAtXMLFormat(reader.errors, path.c_str(), reader.model.get());
        EXPECT_EQ(reader.errors, 1);
        EXPECT_EQ(reader.errorStream->GetText(),
                  "ERROR code: 1011 file: " + path + " line: 3\nOpen and close tags do not correspond\n---\n\n");
        std::remove(path.c_str());
    }
    // The interpreter's way: its messenger on the parser's store.
    {
        KEFOMessenger messenger;
        KEFOModelParser parser(&messenger);
        messenger.Initialize(parser.GetMessenger());
        KEFOModel model;
        int errors = 0;
        parser.DownloadModelAtXMLFormatFromText(errors, "<open-psa><x/></open-psa>", "a.xml", &model);
        parser.DownloadModelAtXMLFormatFromText(errors, "<open-psa>", "a.xml", &model);
        errors = 0;
        parser.DownloadModelAtXMLFormatFromText(errors, "<open-psa>", "b.xml", &model);
        EXPECT_EQ(errors, 1);
        ASSERT_EQ(parser.GetMessenger()->GetNumberOfMessages(), 2);
        EXPECT_EQ(parser.GetMessenger()->GetMessages().front()->GetCode(), 10090u);
        EXPECT_EQ(parser.GetMessenger()->GetMessages().back()->GetCode(), 1013u);
    }
    // A messenger on another store receives the XML syntax errors too.
    {
        PLOVMessenger store;
        KEFOMessenger messenger;
        messenger.Initialize(&store);
        KEFOModelParser parser(&messenger);
        KEFOModel model;
        int errors = 0;
        parser.DownloadModelAtXMLFormatFromText(errors, "<open-psa><", "c.xml", &model);
        EXPECT_EQ(errors, 1);
        ASSERT_EQ(store.GetNumberOfMessages(), 1);
        EXPECT_TRUE(PLOVXMLParser::IsXMLSyntaxError(static_cast<int>(store.GetMessages().front()->GetCode())));
        EXPECT_EQ(store.GetMessages().front()->GetFileName(), "c.xml");
        EXPECT_EQ(parser.GetMessenger()->GetNumberOfMessages(), 0);
    }
}

TEST(KEFOModelParserXMLTest, DefaultDistributionOfBasicEvents) {
    auto r = ReadXML(InRoot("<define-basic-event name=\"a\"/><define-basic-event name=\"b\"><float value=\"0.5\"/>"
                            "</define-basic-event><block name=\"k\"><define-basic-event name=\"c\"/></block>"));
    KEFOModel* m = r->model.get();
    KEFOVariable* u = m->NewVariable(KEFOType::Variable, "u");
    m->NewVariable(KEFOType::FlowVariable, "g");
    PLOVXMLDocument document;
    int errors = 0;
    PLOVXMLParser xml;
    ASSERT_EQ(xml.ParseString(errors, &document, "<exponential><float value=\"1e-4\"/></exponential>"), 0);
    r->parser.DownloadDefaultProbabilityDistributionOfBasicEvents(errors, document.GetRootElement(), m);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(DefinitionOf(m, "a"), "exponential(0.0001)");
    EXPECT_EQ(DefinitionOf(m, "b"), "0.5");
    EXPECT_TRUE(u->IsStateVariable());
    EXPECT_EQ(Dump(u->GetProbabilityDistribution()), "exponential(0.0001)");
    // Each variable gets its own copy; only the model's own variables.
    EXPECT_NE(Variable(m, "a")->GetProbabilityDistribution(), u->GetProbabilityDistribution());
    bool mismatch = false;
    EXPECT_EQ(m->LookForVariable("k.c", mismatch)->GetProbabilityDistribution(), nullptr);
    EXPECT_EQ(Variable(m, "g")->GetProbabilityDistribution(), nullptr);
}

TEST(KEFOModelParserXMLTest, CurvesAndTables) {
    std::string table = TemporaryPath("xml-table.txt");
    WriteWholeFile(table, "0\t0.1\n10\t0.2\n20\t0.4\n");
    auto r = ReadXML(InRoot("<define-basic-event name=\"a\"><empirical-distribution file=\"" + table +
                            "\" type=\"step\"/></define-basic-event>"
                            "<define-basic-event name=\"b\"><empirical-distribution>"
                            "<point time=\"0\" probability=\"0.1\"/><point time=\"5\" probability=\"0.2\"/>"
                            "<point time=\"10\" probability=\"0.3\"/></empirical-distribution></define-basic-event>"),
                     false);
    const KEFOStochasticExpression* a = Variable(r->model.get(), "a")->GetProbabilityDistribution();
    ASSERT_NE(a->GetEmpiricalDistribution(), nullptr);
    EXPECT_EQ(a->GetEmpiricalDistribution()->GetType(), KEFOEmpiricalDistribution::Step);
    EXPECT_DOUBLE_EQ(a->GetEmpiricalDistribution()->GetYFromX(15), 0.2);
    const KEFOStochasticExpression* b = Variable(r->model.get(), "b")->GetProbabilityDistribution();
    ASSERT_NE(b->GetEmpiricalDistribution(), nullptr);
    EXPECT_DOUBLE_EQ(b->GetEmpiricalDistribution()->GetYFromX(7.5), 0.25);
    EXPECT_EQ(FailXML(InRoot("<define-basic-event name=\"b\"><empirical-distribution>"
                             "<point time=\"0\" probability=\"0.1\"/></empirical-distribution></define-basic-event>")),
              Line(14001, 3, "Incorrect or corrupted empirical distribution file ''."));
    std::remove(table.c_str());
}

TEST(KEFOModelParserXMLTest, MalformedAndDeepDocuments) {
    const int limit = KEFOModelParser::maximumNestingDepth;
    std::string deepGate = "<open-psa><define-gate name=\"g\">";
    for (int i = 0; i < 100000; ++i) deepGate += "<not>";
    deepGate += "<event name=\"a\"/>";
    for (int i = 0; i < 100000; ++i) deepGate += "</not>";
    deepGate += "</define-gate></open-psa>";
    const std::string deeper = "Nesting deeper than " + std::to_string(limit) + " levels.";
    EXPECT_EQ(FailXML(deepGate), Line(10095, 1, deeper));
    std::string deepBlocks = "<open-psa>";
    for (int i = 0; i < 100000; ++i) deepBlocks += "<block name=\"b\">\n";
    for (int i = 0; i < 100000; ++i) deepBlocks += "</block>";
    deepBlocks += "</open-psa>";
    EXPECT_EQ(FailXML(deepBlocks), Line(10095, limit + 1, deeper));
    std::string deepGroups = "<open-psa>";
    for (int i = 0; i < 100000; ++i) deepGroups += "<fault-tree>";
    for (int i = 0; i < 100000; ++i) deepGroups += "</fault-tree>";
    deepGroups += "</open-psa>";
    EXPECT_EQ(FailXML(deepGroups).substr(0, 17), "ERROR code: 10095");
    std::string deepExpression = "<open-psa><define-parameter name=\"p\">";
    for (int i = 0; i < 100000; ++i) deepExpression += "<neg>";
    deepExpression += "</open-psa>";
    EXPECT_EQ(FailXML(deepExpression).substr(0, 16), "ERROR code: 1011");
    // Garbage, truncation.
    std::string garbage;
    unsigned state = 99;
    for (int i = 0; i < 100000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(state >> 16));
    }
    Reader reader;
    reader.XML(garbage);
    EXPECT_EQ(reader.errors, 1);
    std::string truncated = modeltest::ReadWholeFile(std::string(KEFO_TEST_DATA_DIR) + "/models/chinese.xml");
    ASSERT_GT(truncated.size(), 1000u);
    truncated.resize(truncated.size() / 2);
    EXPECT_EQ(FailXML(truncated).substr(0, 12), "ERROR code: ");
    // A 10 MB single line.
    auto named = ReadXML("<open-psa><define-basic-event name=\"" + std::string(10000000, 'n') + "\"/></open-psa>");
    EXPECT_EQ(std::strlen(named->model->GetFirstDeclaration()->GetPathAsString()), 10000000u);
    // A gate of 100,000 children.
    std::string wide = "<open-psa><define-gate name=\"g\"><or>";
    for (int i = 0; i < 100000; ++i) wide += "<basic-event name=\"e" + std::to_string(i) + "\"/>";
    wide += "</or></define-gate></open-psa>";
    auto r = ReadXML(wide);
    EXPECT_EQ(Variable(r->model.get(), "g")->GetDefinition()->GetNumberOfChildren(), 100000);
}
