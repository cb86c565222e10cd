// libFuzzer target of the XML model reader: arbitrary bytes are read as an
// XML model. Whatever the input, the reading ends in a model or in exactly
// one coded message (of the XML reader or of the model reader), without a
// crash, a leak or undefined behaviour. A model that was read prints as XML
// into a document that reads again and prints the same way; its textual
// form prints too.
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
    parser.DownloadModelAtXMLFormatFromText(errors, text, "fuzz.xml", &model);
    if (errors != 0) {
        Check(errors == 1 && store->GetNumberOfMessages() == 1);
        PrintXML(model);
        store->ResetMessages();
        return 0;
    }
    Check(store->GetNumberOfMessages() == 0);
    std::string first = PrintXML(model);
    KEFOModel again;
    parser.DownloadModelAtXMLFormatFromText(errors, first, "printed.xml", &again);
    Check(errors == 0);
    Check(PrintXML(again) == first);
    // Names from XML need not be words of the textual language: the text
    // is printed, not read back.
    KEFOModelPrinter printer;
    PLOVStringStream stream;
    printer.PrintModelAtQOLNFormat(errors, &model, &stream);
    return 0;
}
