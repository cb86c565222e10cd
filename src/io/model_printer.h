// Writes models back out: in the textual model language ("qoln-sbe") and as
// XML ("open-psa", the vocabulary the XML reader reads). What is printed
// reads back into the same declarations, formulas, expressions, labels and
// CCF groups, and printing that again gives the same text.
//
// Reals are written in the shortest "%.<n>g" form (n from 15 to 17) that
// reads back to the same double, with ".0" added when that form looks like
// an integer, so that a real stays a real. Formulas are walked with an
// explicit stack, so any depth prints.
#ifndef KEFO_IO_MODEL_PRINTER_H
#define KEFO_IO_MODEL_PRINTER_H

#include "support/memory_manager.h"
#include "support/xml_printer.h"

#include <string>

class KEFOBlock;
class KEFOCCFGroup;
class KEFODeclaration;
class KEFOGate;
class KEFOInterpreter;
class KEFOMessenger;
class KEFOModel;
class KEFOStochasticExpression;
class KEFOTerm;
class PLOVMessenger;
class PLOVStream;
class PLOVXMLDocument;
class PLOVXMLNode;

class KEFOModelPrinter : public PLOVXMLPrinter {
    PLOV_MANAGED_ALLOCATION(KEFOModelPrinter)
public:
    // messenger: where errors are raised (not owned); null makes the
    // printer's own messenger on a store of its own.
    explicit KEFOModelPrinter(KEFOMessenger* messenger = nullptr, KEFOInterpreter* interpreter = nullptr);
    ~KEFOModelPrinter() override;
    KEFOModelPrinter(const KEFOModelPrinter&) = delete;
    KEFOModelPrinter& operator=(const KEFOModelPrinter&) = delete;

    KEFOMessenger* GetModelMessenger() const { return _messenger; }
    // Null goes back to the printer's own messenger.
    void SetModelMessenger(KEFOMessenger* messenger);
    KEFOInterpreter* GetInterpreter() const { return _interpreter; }
    void SetInterpreter(KEFOInterpreter* interpreter) { _interpreter = interpreter; }

    // Separator of the tab-separated outputs (a tab unless set).
    void SetValueSeparator(const char* separator) { _valueSeparator = separator != nullptr ? separator : ""; }
    const std::string& GetValueSeparator() const { return _valueSeparator; }

    // Textual language. Export opens (truncates) the file, raising 10003
    // when it cannot, and prints the model into it.
    void ExportModelAtQOLNFormat(int& errors, const KEFOModel* model, const char* fileName);
    void PrintModelAtQOLNFormat(int& errors, const KEFOModel* model, PLOVStream* stream);
    void PrintDeclarationsOfBlockAtQOLNFormat(const KEFOBlock* block, PLOVStream* stream);
    void PrintDeclarationAtQOLNFormat(const KEFODeclaration* declaration, PLOVStream* stream);
    void PrintGateAtQOLNFormat(const KEFOGate* gate, PLOVStream* stream);
    void PrintStochasticExpressionAtQOLNFormat(const KEFOStochasticExpression* expression, PLOVStream* stream);

    // XML. Upload builds the document (cleared first) of a model: root
    // "open-psa", one element per declaration. Export opens the file
    // (10003) and prints the document; Print writes it onto a stream.
    void UploadModelAtOpenPSAFormat(int& errors, const KEFOModel* model, PLOVXMLDocument* document);
    void ExportModelAtXMLFormat(int& errors, const KEFOModel* model, const char* fileName);
    void PrintModelAtXMLFormat(int& errors, const KEFOModel* model, PLOVStream* stream);
    // The element of one declaration (with its label, and for a block its
    // contents), appended under `parent` (a null parent makes a top-level
    // node).
    void UploadDeclarationAtOpenPSAFormat(PLOVXMLDocument* document, PLOVXMLNode* parent,
                                          const KEFODeclaration* declaration) {
        _UploadDeclaration(document, parent, declaration);
    }
    // The element of one formula or expression, appended under `parent` (a
    // null parent makes a top-level node).
    PLOVXMLNode* UploadGate(PLOVXMLDocument* document, PLOVXMLNode* parent, const KEFOGate* gate);
    PLOVXMLNode* UploadStochasticExpression(PLOVXMLDocument* document, PLOVXMLNode* parent,
                                            const KEFOStochasticExpression* expression);

    // The text of a real as both printers write it.
    static std::string FormatReal(double value);
    // The path a reference term designates (its own path, or the path of
    // the port it was resolved to).
    static std::string GetReferencePath(const KEFOTerm* term);

private:
    void _PrintLabel(const KEFODeclaration* declaration, PLOVStream* stream);
    void _PrintBody(const KEFOBlock* block, PLOVStream* stream);
    void _PrintCCFGroupAtQOLNFormat(const KEFOCCFGroup* group, PLOVStream* stream);
    void _UploadDeclarations(PLOVXMLDocument* document, PLOVXMLNode* parent, const KEFOBlock* block);
    void _UploadDeclaration(PLOVXMLDocument* document, PLOVXMLNode* parent, const KEFODeclaration* declaration);
    void _UploadLabel(PLOVXMLDocument* document, PLOVXMLNode* element, const KEFODeclaration* declaration);
    void _RaiseUnableToOpen(int& errors, const char* fileName);

    KEFOMessenger* _messenger;
    KEFOMessenger* _ownMessenger = nullptr;
    PLOVMessenger* _ownStore = nullptr;
    KEFOInterpreter* _interpreter;
    std::string _valueSeparator = "\t";
};

#endif
