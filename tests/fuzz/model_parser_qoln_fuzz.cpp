// libFuzzer target of the textual model reader: arbitrary bytes are read as
// a model. Whatever the input, the reading ends in a model or in exactly one
// coded message, without a crash, a leak or undefined behaviour. A model
// that was read prints into a text that reads again and prints the same
// way, and likewise through the XML format.
#include "io/model_parser.h"
#include "io/model_printer.h"
#include "model/model.h"
#include "script/messenger.h"
#include "support/messenger.h"
#include "support/stream.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

KEFOModelParser& Parser() {
    static KEFOModelParser* parser = [] {
        KEFOModelParser* made = new KEFOModelParser();
        made->GetModelMessenger()->SetErrorStream(new PLOVStringStream());
        return made;
    }();
    return *parser;
}

std::string PrintText(const KEFOModel& model) {
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    int errors = 0;
    printer.PrintModelAtQOLNFormat(errors, &model, &stream);
    return stream.GetText();
}

std::string PrintXML(const KEFOModel& model) {
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    int errors = 0;
    printer.PrintModelAtXMLFormat(errors, &model, &stream);
    return stream.GetText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KEFOModelParser& parser = Parser();
    PLOVMessenger* store = parser.GetMessenger();
    store->ResetMessages();
    std::string text(reinterpret_cast<const char*>(data), size);
    KEFOModel model;
    int errors = 0;
    parser.ParseModelAtQOLNFormatFromText(errors, text, "fuzz.sbe", &model);
    if (errors != 0) {
        Check(errors == 1 && store->GetNumberOfMessages() == 1);
        // Whatever was read before the error still prints.
        PrintText(model);
        store->ResetMessages();
        return 0;
    }
    Check(store->GetNumberOfMessages() == 0);
    std::string first = PrintText(model);
    KEFOModel again;
    parser.ParseModelAtQOLNFormatFromText(errors, first, "printed.sbe", &again);
    Check(errors == 0);
    Check(PrintText(again) == first);
    std::string xml = PrintXML(model);
    KEFOModel fromXML;
    parser.DownloadModelAtXMLFormatFromText(errors, xml, "printed.xml", &fromXML);
    Check(errors == 0);
    Check(PrintXML(fromXML) == xml);
    return 0;
}
