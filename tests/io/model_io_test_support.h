// Helpers shared by the model reader and printer tests: reading a model from
// text with the messages collected, printing it back, and a compact dump of
// formulas and expressions ("or(a, and(b, not(c)))") to check trees.
#ifndef KEFO_TESTS_IO_MODEL_IO_TEST_SUPPORT_H
#define KEFO_TESTS_IO_MODEL_IO_TEST_SUPPORT_H

#include "io/model_parser.h"
#include "io/model_printer.h"
#include "model/block.h"
#include "model/ccf_group.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "script/messenger.h"
#include "support/stream.h"
#include "support/xml_test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace modeltest {

using xmltest::ReadWholeFile;

inline void WriteWholeFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

inline std::string TemporaryPath(const std::string& name) {
    const char* directory = std::getenv("TMPDIR");
    return std::string(directory != nullptr ? directory : "/tmp") + "/kefo-io-test-" + name;
}

// A parser whose messages are printed into a string.
struct Reader {
    KEFOModelParser parser;
    PLOVStringStream* errorStream = new PLOVStringStream();
    std::unique_ptr<KEFOModel> model{new KEFOModel()};
    int errors = 0;

    Reader() { parser.GetModelMessenger()->SetErrorStream(errorStream); }

    // The printed messages ("ERROR ..." blocks), emptying the queue.
    std::string Messages() {
        parser.GetModelMessenger()->PrintErrorMessages();
        std::string text = errorStream->GetText();
        errorStream->Clear();
        return text;
    }
    // The first line of the first message and its text line.
    std::string FirstMessage() {
        std::string all = Messages();
        std::size_t first = all.find('\n');
        if (first == std::string::npos) return all;
        std::size_t second = all.find('\n', first + 1);
        return all.substr(0, second);
    }

    Reader& Text(const std::string& text, const char* fileName = "m.sbe") {
        parser.ParseModelAtQOLNFormatFromText(errors, text, fileName, model.get());
        return *this;
    }
    Reader& XML(const std::string& text, const char* fileName = "m.xml") {
        parser.DownloadModelAtXMLFormatFromText(errors, text, fileName, model.get());
        return *this;
    }
};

inline std::string PrintText(const KEFOModel* model) {
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    int errors = 0;
    printer.PrintModelAtQOLNFormat(errors, model, &stream);
    return stream.GetText();
}

inline std::string PrintXML(const KEFOModel* model) {
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    int errors = 0;
    printer.PrintModelAtXMLFormat(errors, model, &stream);
    return stream.GetText();
}

// Text printed, read back and printed again must be the same.
inline void ExpectTextRoundTrip(const KEFOModel* model, const std::string& what) {
    std::string first = PrintText(model);
    Reader again;
    again.Text(first);
    ASSERT_EQ(again.errors, 0) << what << ": " << again.Messages() << "\n" << first;
    EXPECT_EQ(PrintText(again.model.get()), first) << what;
}

inline void ExpectXMLRoundTrip(const KEFOModel* model, const std::string& what) {
    std::string first = PrintXML(model);
    Reader again;
    again.XML(first);
    ASSERT_EQ(again.errors, 0) << what << ": " << again.Messages() << "\n" << first;
    EXPECT_EQ(PrintXML(again.model.get()), first) << what;
}

// Compact dumps (recursive: the test inputs are small).
inline std::string Dump(const KEFOTerm* term) {
    if (term == nullptr) return "null";
    std::string text;
    if (term->IsGate()) {
        const KEFOGate* gate = static_cast<const KEFOGate*>(term);
        switch (gate->GetType()) {
        case KEFOGate::Reference: return KEFOModelPrinter::GetReferencePath(gate);
        case KEFOGate::Constant: return gate->GetConstantValue() ? "true" : "false";
        default: break;
        }
        text = KEFOGate::GetFunctor(gate->GetType());
        if (gate->GetType() == KEFOGate::AtLeast || gate->GetType() == KEFOGate::Cardinality)
            text += "[" + std::to_string(gate->GetAttributeAsInt("__min__", -1)) + "]";
        if (gate->GetType() == KEFOGate::AtMost || gate->GetType() == KEFOGate::Cardinality)
            text += "[" + std::to_string(gate->GetAttributeAsInt("__max__", -1)) + "]";
    } else {
        const KEFOStochasticExpression* e = static_cast<const KEFOStochasticExpression*>(term);
        switch (e->GetType()) {
        case KEFOStochasticExpression::Parameter: return "$" + KEFOModelPrinter::GetReferencePath(e);
        case KEFOStochasticExpression::Boolean:
        case KEFOStochasticExpression::Integer:
        case KEFOStochasticExpression::String: return e->GetValueAsString();
        case KEFOStochasticExpression::Real: return KEFOModelPrinter::FormatReal(e->GetValueAsDouble());
        default: break;
        }
        text = KEFOStochasticExpression::GetFunctorFromType(e->GetType());
    }
    text += "(";
    for (const KEFOTerm* child = term->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (child != term->GetFirstChild()) text += ", ";
        text += Dump(child);
    }
    return text + ")";
}

inline KEFOVariable* Variable(const KEFOBlock* block, const char* name) {
    bool mismatch = false;
    return block->LookForVariable(name, mismatch);
}

inline std::string DefinitionOf(const KEFOBlock* block, const char* name) {
    KEFOVariable* variable = Variable(block, name);
    if (variable == nullptr) return "missing";
    if (variable->IsStateVariable()) return Dump(variable->GetProbabilityDistribution());
    return Dump(variable->GetDefinition());
}

inline std::string ParameterOf(const KEFOBlock* block, const char* name) {
    bool mismatch = false;
    KEFOParameter* parameter = block->LookForParameter(name, mismatch);
    return parameter != nullptr ? Dump(parameter->GetDefinition()) : "missing";
}

// The public benchmark models, tests/data/models/*.xml, in name order.
inline std::vector<std::string> BenchmarkModelFiles() {
    std::vector<std::string> files;
    std::string directory = std::string(KEFO_TEST_DATA_DIR) + "/models";
    if (DIR* d = opendir(directory.c_str())) {
        while (dirent* entry = readdir(d)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0) files.push_back(directory + "/" + name);
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace modeltest

#endif
