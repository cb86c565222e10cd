// Reader of models: the textual model language ("qoln-sbe") and the XML
// formats ("open-psa": the Open-PSA Model Exchange Format, its RiskSpectrum
// flavour and the system's own elements for blocks and classes).
//
// Errors go through a KEFOMessenger: every raise queues one coded message
// located at a token (file, line, column) or an XML node (file, line) and
// increments the caller's error counter by one; every routine does nothing
// when the counter is non-zero on entry, so the first error ends a load.
// The parser derives from the XML reader, whose own store holds the XML
// syntax codes 1001 to 1013; the interpreter initializes its messenger with
// that store (KEFOMessenger::Initialize(parser->GetMessenger())) so that
// every message lands in one queue. A parser made without a messenger makes
// its own, initialized that way.
//
// Both readers are recursive over nested formulas and blocks; they refuse a
// nesting deeper than maximumNestingDepth with message 10095 "Nesting deeper
// than %1 levels." at the token or node that goes past it, so that no input
// can exhaust the stack. Formulas of realistic size (gates with tens of
// thousands of children) are read in linear time.
#ifndef KEFO_IO_MODEL_PARSER_H
#define KEFO_IO_MODEL_PARSER_H

#include "io/model_lexer.h"
#include "support/memory_manager.h"
#include "support/xml_parser.h"

#include <cstdio>
#include <string>
#include <vector>

class KEFOBlock;
class KEFOCCFGroup;
class KEFODeclaration;
class KEFOGate;
class KEFOInterpreter;
class KEFOMessenger;
class KEFOModel;
class KEFOPath;
class KEFOStochasticExpression;
class KEFOToken;
class PLOVXMLDocument;
class PLOVXMLNode;

class KEFOModelParser : public PLOVXMLParser {
    PLOV_MANAGED_ALLOCATION(KEFOModelParser)
public:
    // Deepest nesting of blocks, formulas and expressions either reader
    // accepts.
    static const int maximumNestingDepth = 2000;
    // Code and text of the message raised past that depth.
    static const int nestingTooDeepCode = 10095;
    static const char* const nestingTooDeepText;

    // messenger: where errors are raised (not owned); null makes the
    // parser's own messenger on the parser's store. interpreter: the owner
    // (may be null).
    explicit KEFOModelParser(KEFOMessenger* messenger = nullptr, KEFOInterpreter* interpreter = nullptr);
    ~KEFOModelParser() override;

    KEFOMessenger* GetModelMessenger() const { return _modelMessenger; }
    // Replaces the messenger (not owned; null goes back to the parser's own).
    void SetModelMessenger(KEFOMessenger* messenger);
    KEFOInterpreter* GetInterpreter() const { return _interpreter; }
    void SetInterpreter(KEFOInterpreter* interpreter) { _interpreter = interpreter; }
    KEFOModelLexer* GetLexer() { return &_lexer; }

    // Textual language. The Import form opens the file (10001 for a null
    // name, 10003 when it cannot be opened), parses it and prints the
    // queued messages when anything failed; the Parse forms read an open
    // file, or a text held in memory, into the model and print nothing.
    // Reading stops at the end of the input or at an "end" at the top level.
    void ImportModelAtQOLNFormat(int& errors, const char* fileName, KEFOModel* model);
    void ParseModelAtQOLNFormat(int& errors, FILE* file, const char* fileName, KEFOModel* model);
    void ParseModelAtQOLNFormatFromText(int& errors, const std::string& text, const char* fileName,
                                        KEFOModel* model);

    // XML formats. Import opens the file (10001, 10003), reads the document
    // and fills the model, and prints the queued messages when anything
    // failed; the Download forms do the same from an open file, a text held
    // in memory or a document already read, and print nothing.
    void ImportModelAtXMLFormat(int& errors, const char* fileName, KEFOModel* model);
    void DownloadModelAtXMLFormat(int& errors, FILE* file, const char* fileName, KEFOModel* model);
    void DownloadModelAtXMLFormatFromText(int& errors, const std::string& text, const char* fileName,
                                          KEFOModel* model);
    void DownloadModelAtXMLFormat(int& errors, const PLOVXMLDocument* document, KEFOModel* model);
    // Every state variable, or variable of undetermined kind, held directly
    // in the model and without distribution receives one read afresh from
    // the expression element; an undetermined variable becomes a state
    // variable.
    void DownloadDefaultProbabilityDistributionOfBasicEvents(int& errors, const PLOVXMLNode* expression,
                                                             KEFOModel* model);

    // Places the factors read for a CCF group at the positions its model
    // expects, n being the number of members: beta-factor one factor at n,
    // MGL n-1 factors at 2 to n, alpha-factor and phi-factor n factors at 1
    // to n. False (and the factors deleted) when the count does not fit.
    static bool PlaceFactorsOfCCFGroup(KEFOCCFGroup* group, std::vector<KEFOStochasticExpression*>& factors);

private:
    using PLOVXMLParser::_RaiseError;
    // Queue one message located at a token, at a node or nowhere, and count it.
    void _RaiseError(int& errors, int code, const KEFOToken* token, const char* a1 = nullptr,
                     const char* a2 = nullptr);
    void _RaiseError(int& errors, int code, const PLOVXMLNode* node, const char* a1 = nullptr,
                     const char* a2 = nullptr);
    void _RaiseErrorInFile(int& errors, int code, const char* fileName, const char* a1 = nullptr);
    void _RaiseNestingTooDeep(int& errors, const KEFOToken* token, const PLOVXMLNode* node);
    // Moves the XML syntax messages of the parser's store into the
    // messenger's store when the two differ.
    void _ForwardXMLSyntaxMessages();
    void _PrintErrorMessages();

    // Empirical distributions and histograms read from a file.
    KEFOStochasticExpression* _NewTabulatedDistribution(int& errors, KEFOBlock* block, int type,
                                                        const char* fileName, int tableType,
                                                        const KEFOToken* token, const PLOVXMLNode* node);

    // Textual language (model_parser_qoln.cpp).
    void _ParseModelAtQOLNFormat(int& errors, KEFOModel* model);
    void _ParseDeclarationsAtQOLNFormat(int& errors, KEFOBlock* block, bool topLevel);
    void _ParseDeclarationAtQOLNFormat(int& errors, KEFOBlock* block);
    void _ParseDirectiveAtQOLNFormat(int& errors, KEFOBlock* block);
    void _ParseContainerAtQOLNFormat(int& errors, KEFOBlock* block);
    void _ParseBodyAtQOLNFormat(int& errors, KEFOBlock* container, bool optional);
    void _ParseVariableAtQOLNFormat(int& errors, KEFOBlock* block, int type);
    void _ParseParameterAtQOLNFormat(int& errors, KEFOBlock* block);
    void _ParseCCFGroupAtQOLNFormat(int& errors, KEFOBlock* block);
    void _ParseLabel(KEFODeclaration* declaration);
    KEFOGate* _ParseGateAtQOLNFormat(int& errors, KEFOBlock* block);
    KEFOGate* _ParseGateTerm(int& errors, KEFOBlock* block);
    KEFOGate* _ParseGateFactor(int& errors, KEFOBlock* block);
    KEFOGate* _ParseGateTail(int& errors, KEFOBlock* block, KEFOGate* first, int connective);
    KEFOGate* _ParseGatePrimary(int& errors, KEFOBlock* block);
    bool _ParseGateList(int& errors, KEFOBlock* block, std::vector<KEFOGate*>& children);
    KEFOStochasticExpression* _ParseStochasticExpressionAtQOLNFormat(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseDisjunction(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseConjunction(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseNegation(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseComparison(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseSum(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseDifference(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseProduct(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseQuotient(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseUnary(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseExpressionTail(int& errors, KEFOBlock* block, KEFOStochasticExpression* first,
                                                   int operation);
    KEFOStochasticExpression* _ParseOperand(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseConditional(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseSwitch(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseTabulated(int& errors, KEFOBlock* block);
    KEFOStochasticExpression* _ParseFunctorApplication(int& errors, KEFOBlock* block, int type);

    // Tokens.
    KEFOToken* _Token() { return _lexer.GetToken(_index); }
    KEFOToken* _Token(int offset) { return _lexer.GetToken(_index + offset); }
    int _Kind();
    int _Kind(int offset);
    void _Next() { ++_index; }
    bool _IsPathToken(int kind) const;
    // Accepts the expected token and advances; otherwise raises 10093 (or
    // 10091 at the end of the input).
    bool _ParseGivenToken(int& errors, int code);
    // A path or identifier token; null after raising 10093 "path".
    KEFOPath* _ParsePath(int& errors, const KEFOBlock* block);
    bool _ParseInteger(int& errors, int& value);
    void _RaiseUnexpected(int& errors, int code);
    void _RaiseSyntaxError(int& errors);
    void _RaiseEndOfFile(int& errors);
    bool _EnterNesting(int& errors, const KEFOToken* token, const PLOVXMLNode* node);
    void _LeaveNesting() { --_depth; }

    // XML formats (model_parser_xml.cpp).
    void _DownloadModel(int& errors, const PLOVXMLDocument* document, KEFOModel* model);
    void _DownloadDeclarations(int& errors, const PLOVXMLNode* element, KEFOBlock* block);
    void _DownloadDeclaration(int& errors, const PLOVXMLNode* element, KEFOBlock* block);
    void _DownloadContainer(int& errors, const PLOVXMLNode* element, KEFOBlock* block);
    void _DownloadVariable(int& errors, const PLOVXMLNode* element, KEFOBlock* block, int type);
    void _DownloadParameter(int& errors, const PLOVXMLNode* element, KEFOBlock* block);
    void _DownloadCCFGroupDeclaration(int& errors, const PLOVXMLNode* element, KEFOBlock* block);
    void _DownloadLabel(const PLOVXMLNode* element, KEFODeclaration* declaration);
    KEFOGate* _DownloadGate(int& errors, const PLOVXMLNode* element, KEFOBlock* block);
    bool _DownloadGateChildren(int& errors, const PLOVXMLNode* element, KEFOBlock* block, KEFOGate* gate);
    KEFOStochasticExpression* _DownloadStochasticExpression(int& errors, const PLOVXMLNode* element,
                                                           KEFOBlock* block);
    bool _DownloadStochasticExpressionChildren(int& errors, const PLOVXMLNode* element, KEFOBlock* block,
                                               KEFOStochasticExpression* expression);
    KEFOStochasticExpression* _DownloadCurve(int& errors, const PLOVXMLNode* element, KEFOBlock* block,
                                             int type, int tableType);
    const char* _GetRequiredAttribute(int& errors, const PLOVXMLNode* element, const char* name);
    bool _GetBooleanAttribute(int& errors, const PLOVXMLNode* element, const char* name, bool& value);
    bool _GetIntegerAttribute(int& errors, const PLOVXMLNode* element, const char* name, int& value);
    bool _GetRealAttribute(int& errors, const PLOVXMLNode* element, const char* name, double& value);
    KEFOPath* _NewPathFromAttribute(int& errors, const PLOVXMLNode* element, const char* name,
                                    const KEFOBlock* block);

    KEFOMessenger* _modelMessenger;
    KEFOMessenger* _ownMessenger;
    KEFOInterpreter* _interpreter;
    KEFOModelLexer _lexer;
    // Textual parsing state.
    KEFOModel* _model = nullptr;
    int _index = 0;
    bool _parsing = false;
    bool _pure = false;
    const char* _fileName = nullptr;
    // Nesting depth of the recursion in progress.
    int _depth = 0;
};

#endif
