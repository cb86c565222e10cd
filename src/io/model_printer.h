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

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class KEFOBDDHandle;
class KEFOBDDManager;
class KEFOBlock;
class KEFOCCFGroup;
class KEFODeclaration;
class KEFOGate;
class KEFOHandle;
class KEFOInterpreter;
class KEFOMessenger;
class KEFOModel;
class KEFOParameter;
class KEFOStochasticExpression;
class KEFOTerm;
class KEFOVariable;
class PLOVCurve;
class PLOVManagedValue;
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

    // Reports on the cone of a variable (model_printer_statistics.cpp).
    //
    // PrintModules writes a tab-separated table with the header
    // "module\tparent\tbasic-events\tgates\tmodules" and one record per module
    // under the variable (the variable itself first, then each module's
    // sub-modules depth first in the order they are met): the module, the
    // nearest module above it ("-" for the top), and the numbers of basic events,
    // gates (the module included) and direct sub-modules that belong to the
    // module itself, not to one of its sub-modules. Modules are computed afresh
    // from the structure of the cone; the module records are not touched.
    //
    // PrintModelStatistics writes one line per indicator, its name, a tab and
    // its value: "#states", "#flows", "#sources" (variables of each kind in the
    // cone, the variable included), "mean #parents" (references to a variable,
    // over the variables below the top), "mean #children" (references in a
    // definition, over the defined variables), "depth" (longest chain of
    // definitions from the top: 0 for a variable without definition),
    // "#variable-references", "#constants", then one count of gate nodes per
    // connective ("#and", "#or", "#nand", "#nor", "#atleast", "#atmost",
    // "#cardinality", "#not").
    void PrintModules(KEFOVariable* top, PLOVStream* stream);
    void PrintModelStatistics(KEFOVariable* top, PLOVStream* stream);
    // One line per variable under the top: its name, a tab and its number of
    // parents (KEFOAnalyzer), by decreasing number of parents.
    void PrintNumbersOfParents(KEFOVariable* top, PLOVStream* stream);

    // The text of a real as both printers write it.
    static std::string FormatReal(double value);
    // The path a reference term designates (its own path, or the path of
    // the port it was resolved to).
    static std::string GetReferencePath(const KEFOTerm* term);

    // ---- Reports of the quantification commands (model_printer_reports.cpp).
    // Reals are written in the stream's "%.<n>g" form (n significant digits,
    // 6 by default). A report may run to millions of lines: lines are
    // assembled in a buffer and written whole, and the stream is flushed at
    // the end of each report and otherwise whenever a tenth of a second has
    // passed since the last flush, so that a reader of the file sees the
    // lines come while nothing costs a system call per line.

    // "Pr", "REA", "MCUB", "PUB" for the methods 1 to 4; "" otherwise.
    static const char* GetQuantificationMethodAcronym(int method);
    // Writes value as "%.<digits>g" does (digits from 1 to 17) into out,
    // which has room for 32 characters; answers the number written.
    static std::size_t FormatRealWithDigits(double value, int digits, char* out);

    // ---- Minimal cutsets. The columns asked for, in this order: rank,
    // order, probability, contribution, failure intensity.
    void SetMinimalCutsetColumns(bool rank, bool order, bool probability, bool contribution, bool failureIntensity) {
        _printRank = rank;
        _printOrder = order;
        _printProbability = probability;
        _printContribution = contribution;
        _printFailureIntensity = failureIntensity;
    }
    // The probability the contributions are divided by.
    void SetTopEventProbability(double p) { _topEventProbability = p; }
    // The header (variable, source handle, and the time and denominator
    // when a column needs them), then the cutsets of the handle.
    void PrintMinimalCutsetsAtTSVFormat(KEFOVariable* variable, KEFOHandle* handle, double missionTime,
                                        PLOVStream* stream);
    // The cutsets of a ZBDD, depth first from the root, the side with a
    // node's variable before the side without; variables in increasing
    // index order.
    void PrintMinimalCutsetsAtTSVFormat(KEFOBDDHandle* handle, PLOVStream* stream);

    // ---- Probabilities.
    // "variable", "source-handle" and "quantification-method" lines.
    void PrintProbabilisticCalculationHeader(KEFOHandle* handle, PLOVStream* stream);
    // The header, then "time\tQ" and the time with the probability.
    void PrintVariableProbability(KEFOHandle* handle, double t, double q, PLOVStream* stream);
    void SetUnavailabilityColumns(bool unavailability, bool meanUnavailability) {
        _printUnavailability = unavailability;
        _printMeanUnavailability = meanUnavailability;
    }
    // The header, the title line and one line per point of the curve: the
    // time, Q, and the mean of Q from the first time on (trapezoidal rule).
    void PrintUnavailability(KEFOHandle* handle, const PLOVCurve* curve, PLOVStream* stream);
    // "variable" and "time" lines, then "parameter\tvalue" and one line per
    // parameter with its value in serial form.
    void PrintValuesOfParameters(KEFOVariable* variable, double t, const std::vector<KEFOParameter*>& parameters,
                                 PLOVStream* stream);
    // "variable" and "time" lines, then "variable\tQ" and one line per basic
    // event with its probability.
    void PrintProbabilitiesOfStateVariables(KEFOVariable* variable, double t,
                                            const std::vector<KEFOVariable*>& variables, PLOVStream* stream);

    // ---- Counting reports.
    // One line per row of the matrix, the cells separated by the separator:
    // texts as they are, integers in decimal, reals that hold a whole
    // number below 2^53 in decimal and other reals in the stream's format.
    void PrintMatrixAtCSVFormat(const PLOVManagedValue& matrix, PLOVStream* stream);
    // "Variables\t#Occurrences", one line per variable of the handle's store
    // that occurs in a cutset or is a state variable of the handle (in index
    // order), then "#Occurrences" with the total and "#Variables" with the
    // number of variables that occur.
    void PrintNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOHandle* handle, PLOVStream* stream);

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

    // Reports.
    void _PrintCutsetsOfZBDD(KEFOBDDHandle* handle, PLOVStream* stream);
    void _Header(KEFOHandle* handle, PLOVStream* stream);
    // Line assembly, straight into the output buffer.
    void _Append(const char* text, std::size_t size) {
        if (_bufferUsed + size > _buffer.size()) _GrowBuffer(size);
        std::memcpy(_buffer.data() + _bufferUsed, text, size);
        _bufferUsed += size;
    }
    void _Text(const char* text);
    void _Text(const std::string& text) { _Append(text.data(), text.size()); }
    void _Separator() { _Append(_valueSeparator.data(), _valueSeparator.size()); }
    void _Real(double value);
    // Writes the text of a real at out, which has room for 32 characters;
    // the end of the text.
    char* _PutReal(char* out, double value);
    void _Integer(long long value);
    void _GrowBuffer(std::size_t size);
    // Ends the line; hands the buffer to the stream when it is full, and
    // flushes when a tenth of a second has passed since the last flush.
    void _EndLine(PLOVStream* stream);
    // Writes what is pending and flushes the stream.
    void _EndReport(PLOVStream* stream);
    void _BeginReport(PLOVStream* stream);

    bool _printRank = true;
    bool _printOrder = false;
    bool _printProbability = true;
    bool _printContribution = true;
    bool _printFailureIntensity = false;
    bool _printUnavailability = true;
    bool _printMeanUnavailability = false;
    double _topEventProbability = 0.0;
    long _rank = 0;
    KEFOBDDManager* _manager = nullptr;

    int _reportDigits = 6;
    // The last texts of reals written, by the bits of the value: the reals
    // of a long report (cutset probabilities, contributions) take few
    // distinct values, each written many times. Emptied when a report
    // starts, since the number of digits may change.
    struct RealText {
        std::uint64_t bits;
        unsigned char length;  // 0: empty
        char text[31];
    };
    static const int numberOfRealTexts = 256;
    RealText _realTexts[numberOfRealTexts] = {};
    std::vector<char> _buffer;
    std::size_t _bufferUsed = 0;
    int _linesSinceClockCheck = 0;
    std::chrono::steady_clock::time_point _lastFlush;
};

#endif
