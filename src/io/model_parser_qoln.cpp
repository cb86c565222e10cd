// Reader of the textual model language: a recursive-descent parser over the
// tokens of KEFOModelLexer. Every routine answers null (or does nothing) once
// the error counter is non-zero, deleting what it built, so the first error
// ends the load; declarations are created as soon as their head is read.
#include "io/model_parser.h"

#include "model/aliasing.h"
#include "model/block.h"
#include "model/ccf_group.h"
#include "model/empirical_distribution.h"
#include "model/gate.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/path.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "script/messenger.h"
#include "script/token.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

typedef KEFOModelLexer L;
typedef KEFOStochasticExpression E;

const int endOfInput = 0;

void DeleteAll(std::vector<KEFOGate*>& gates) {
    for (KEFOGate* gate : gates) delete gate;
    gates.clear();
}

void DeleteAll(std::vector<E*>& expressions) {
    for (E* expression : expressions) delete expression;
    expressions.clear();
}

// The expression kind a functor keyword applies, or -1 for a keyword that is
// not written as a function call.
int FunctorTypeOfKeyword(int code) {
    switch (code) {
    case L::KwAnd: return E::And;
    case L::KwOr: return E::Or;
    case L::KwNot: return E::Not;
    case L::KwEq: return E::Eq;
    case L::KwDf: return E::Df;
    case L::KwLt: return E::Lt;
    case L::KwGt: return E::Gt;
    case L::KwLeq: return E::Leq;
    case L::KwGeq: return E::Geq;
    case L::KwNeg: return E::Neg;
    case L::KwAdd: return E::Add;
    case L::KwSub: return E::Sub;
    case L::KwMul: return E::Mul;
    case L::KwDiv: return E::Div;
    case L::KwAbs: return E::Abs;
    case L::KwExp: return E::Exp;
    case L::KwLog: return E::Log;
    case L::KwLog10: return E::Log10;
    case L::KwMod: return E::Mod;
    case L::KwPow: return E::Pow;
    case L::KwSqrt: return E::Sqrt;
    case L::KwCeil: return E::Ceil;
    case L::KwFloor: return E::Floor;
    case L::KwAcos: return E::Acos;
    case L::KwAsin: return E::Asin;
    case L::KwAtan: return E::Atan;
    case L::KwCos: return E::Cos;
    case L::KwCosh: return E::Cosh;
    case L::KwSin: return E::Sin;
    case L::KwSinh: return E::Sinh;
    case L::KwTan: return E::Tan;
    case L::KwTanh: return E::Tanh;
    case L::KwMin: return E::Min;
    case L::KwMax: return E::Max;
    case L::KwMean: return E::Mean;
    case L::KwIte: return E::Ite;
    case L::KwSwitch: return E::Switch;
    case L::KwCase: return E::Case;
    case L::KwDirac: return E::Dirac;
    case L::KwPeriodic: return E::Periodic;
    case L::KwExponential: return E::Exponential;
    case L::KwGLM: return E::GLM;
    case L::KwMTT: return E::MTT;
    case L::KwDormant: return E::Dormant;
    case L::KwWeibull: return E::Weibull;
    case L::KwStandby: return E::Standby;
    case L::KwPeriodicTest: return E::PeriodicTest;
    case L::KwBoundTime: return E::BoundTime;
    case L::KwFailureOnDemand: return E::FailureOnDemand;
    case L::KwUniformDeviate: return E::UniformDeviate;
    case L::KwNormalDeviate: return E::NormalDeviate;
    case L::KwLognormalDeviate: return E::LognormalDeviate;
    case L::KwBetaDeviate: return E::BetaDeviate;
    case L::KwGammaDeviate: return E::GammaDeviate;
    default: return -1;
    }
}

int ComparisonTypeOfToken(int code) {
    switch (code) {
    case '<': return E::Lt;
    case '>': return E::Gt;
    case L::Equal: return E::Eq;
    case L::Different: return E::Df;
    case L::LessOrEqual: return E::Leq;
    case L::GreaterOrEqual: return E::Geq;
    default: return -1;
    }
}

// Restores the parser's and the lexer's state when a (possibly nested)
// reading ends, however it ends.
struct ParsingScope {
    KEFOModelLexer& lexer;
    KEFOModelLexer::State lexerState;
    KEFOModel*& model;
    KEFOModel* savedModel;
    int& index;
    int savedIndex;
    bool& parsing;
    bool savedParsing;
    bool& pure;
    bool savedPure;
    int& depth;
    int savedDepth;
    const char*& fileName;
    const char* savedFileName;

    ParsingScope(KEFOModelLexer& l, KEFOModel*& m, int& i, bool& p, bool& u, int& d, const char*& f)
        : lexer(l), model(m), savedModel(m), index(i), savedIndex(i), parsing(p), savedParsing(p), pure(u),
          savedPure(u), depth(d), savedDepth(d), fileName(f), savedFileName(f) {
        lexer.SaveState(lexerState);
    }
    ~ParsingScope() {
        lexer.Finalize();
        lexer.RestoreState(lexerState);
        model = savedModel;
        index = savedIndex;
        parsing = savedParsing;
        pure = savedPure;
        depth = savedDepth;
        fileName = savedFileName;
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Entry points

void KEFOModelParser::ImportModelAtQOLNFormat(int& errors, const char* fileName, KEFOModel* model) {
    if (errors) return;
    if (fileName == nullptr) {
        _RaiseError(errors, 10001, static_cast<const KEFOToken*>(nullptr));
        _PrintErrorMessages();
        return;
    }
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        _RaiseError(errors, 10003, static_cast<const KEFOToken*>(nullptr), fileName);
        _PrintErrorMessages();
        return;
    }
    ParseModelAtQOLNFormat(errors, file, fileName, model);
    std::fclose(file);
    if (errors) _PrintErrorMessages();
}

void KEFOModelParser::ParseModelAtQOLNFormat(int& errors, FILE* file, const char* fileName, KEFOModel* model) {
    if (errors || model == nullptr) return;
    ParsingScope scope(_lexer, _model, _index, _parsing, _pure, _depth, _fileName);
    _lexer.Initialize(fileName, file);
    _fileName = fileName;
    _ParseModelAtQOLNFormat(errors, model);
}

void KEFOModelParser::ParseModelAtQOLNFormatFromText(int& errors, const std::string& text, const char* fileName,
                                                     KEFOModel* model) {
    if (errors || model == nullptr) return;
    ParsingScope scope(_lexer, _model, _index, _parsing, _pure, _depth, _fileName);
    _lexer.InitializeFromText(fileName, text);
    _fileName = fileName;
    _ParseModelAtQOLNFormat(errors, model);
}

void KEFOModelParser::_ParseModelAtQOLNFormat(int& errors, KEFOModel* model) {
    _model = model;
    _index = 0;
    _parsing = true;
    _pure = model->IsPure();
    _depth = 0;
    model->SetFormat("qoln-sbe");
    _ParseDeclarationsAtQOLNFormat(errors, model, true);
    _parsing = false;
}

// ---------------------------------------------------------------------------
// Tokens

int KEFOModelParser::_Kind() {
    KEFOToken* token = _Token();
    return token != nullptr ? token->GetKind() : endOfInput;
}

int KEFOModelParser::_Kind(int offset) {
    KEFOToken* token = _Token(offset);
    return token != nullptr ? token->GetKind() : endOfInput;
}

bool KEFOModelParser::_IsPathToken(int kind) const { return kind == L::Identifier || kind == L::Path; }

void KEFOModelParser::_RaiseEndOfFile(int& errors) {
    int n = _lexer.GetNumberOfTokens();
    KEFOToken* last = n > 0 ? _lexer.GetToken(n - 1) : nullptr;
    if (last != nullptr)
        _RaiseError(errors, 10091, last);
    else
        _RaiseErrorInFile(errors, 10091, _fileName);
}

void KEFOModelParser::_RaiseUnexpected(int& errors, int code) {
    KEFOToken* token = _Token();
    if (token == nullptr)
        _RaiseEndOfFile(errors);
    else
        _RaiseError(errors, 10093, token, _lexer.GetNameOfToken(code));
}

void KEFOModelParser::_RaiseSyntaxError(int& errors) {
    KEFOToken* token = _Token();
    if (token == nullptr)
        _RaiseEndOfFile(errors);
    else
        _RaiseError(errors, 10090, token);
}

bool KEFOModelParser::_ParseGivenToken(int& errors, int code) {
    if (errors) return false;
    if (_Kind() != code) {
        _RaiseUnexpected(errors, code);
        return false;
    }
    _Next();
    return true;
}

KEFOPath* KEFOModelParser::_ParsePath(int& errors, const KEFOBlock*) {
    if (errors) return nullptr;
    KEFOToken* token = _Token();
    if (token == nullptr || !_IsPathToken(token->GetKind())) {
        _RaiseUnexpected(errors, L::Path);
        return nullptr;
    }
    _Next();
    return new KEFOPath(token->GetTextAsCString(), _pure);
}

bool KEFOModelParser::_ParseInteger(int& errors, int& value) {
    if (errors) return false;
    KEFOToken* token = _Token();
    if (token == nullptr || token->GetKind() != L::Integer) {
        _RaiseUnexpected(errors, L::Integer);
        return false;
    }
    errno = 0;
    long long n = std::strtoll(token->GetTextAsCString(), nullptr, 10);
    if (errno == ERANGE || n > INT_MAX) n = INT_MAX;
    value = static_cast<int>(n);
    _Next();
    return true;
}

// ---------------------------------------------------------------------------
// Declarations

void KEFOModelParser::_ParseDeclarationsAtQOLNFormat(int& errors, KEFOBlock* block, bool topLevel) {
    while (!errors) {
        int kind = _Kind();
        if (kind == endOfInput) {
            if (!topLevel) _RaiseEndOfFile(errors);
            return;
        }
        if (kind == L::KwEnd) {
            // At the top level an "end" ends the reading: the rest is ignored.
            if (!topLevel) _Next();
            return;
        }
        _ParseDeclarationAtQOLNFormat(errors, block);
        // No token before the last one read is looked at again.
        _lexer.ReleaseTokensBefore(_index - 1);
    }
}

void KEFOModelParser::_ParseDeclarationAtQOLNFormat(int& errors, KEFOBlock* block) {
    if (errors) return;
    switch (_Kind()) {
    case '#': _ParseDirectiveAtQOLNFormat(errors, block); return;
    case L::KwBlock:
    case L::KwClass:
    case L::KwExtends:
    case L::KwClones:
    case L::KwEmbeds:
    case L::Identifier:
    case L::Path: _ParseContainerAtQOLNFormat(errors, block); return;
    case L::KwBasicEvent:
    case L::KwState: _ParseVariableAtQOLNFormat(errors, block, KEFOType::StateVariable); return;
    case L::KwGate:
    case L::KwFlow: _ParseVariableAtQOLNFormat(errors, block, KEFOType::FlowVariable); return;
    case L::KwHouseEvent:
    case L::KwSource: _ParseVariableAtQOLNFormat(errors, block, KEFOType::SourceVariable); return;
    case L::KwParameter: _ParseParameterAtQOLNFormat(errors, block); return;
    case L::KwCCFGroup: _ParseCCFGroupAtQOLNFormat(errors, block); return;
    default: _RaiseSyntaxError(errors); return;
    }
}

// "#" "pure-model": only in the model, before its first declaration. The
// printer of older versions wrote "#pure_model", which is read the same.
void KEFOModelParser::_ParseDirectiveAtQOLNFormat(int& errors, KEFOBlock* block) {
    KEFOToken* hash = _Token();
    if (block != _model || _model->GetNumberOfDeclarations() > 0) {
        _RaiseError(errors, 12101, hash);
        return;
    }
    _Next();
    KEFOToken* word = _Token();
    if (word == nullptr) {
        _RaiseEndOfFile(errors);
        return;
    }
    bool pure = word->GetKind() == L::KwPureModel ||
                (word->GetKind() == L::Identifier && word->GetText() == "pure_model");
    if (!pure) {
        _RaiseError(errors, 10090, word);
        return;
    }
    _Next();
    _model->SetPure(true);
    _pure = true;
}

void KEFOModelParser::_ParseLabel(KEFODeclaration* declaration) {
    KEFOToken* token = _Token();
    if (token != nullptr && token->GetKind() == L::Label) {
        declaration->SetLabel(token->GetTextAsCString());
        _Next();
    }
}

// Blocks, classes, instances and the extends, clones and embeds directives.
void KEFOModelParser::_ParseContainerAtQOLNFormat(int& errors, KEFOBlock* block) {
    KEFOToken* head = _Token();
    int kind = head->GetKind();
    if (_pure || (kind == L::KwClass && block != _model)) {
        _RaiseError(errors, 12101, head);
        return;
    }
    switch (kind) {
    case L::KwBlock:
    case L::KwClass: {
        _Next();
        KEFOPath* path = _ParsePath(errors, block);
        if (path == nullptr) return;
        KEFOBlock* container = kind == L::KwBlock ? block->NewBlock(path) : block->NewClass(path);
        _ParseLabel(container);
        _ParseBodyAtQOLNFormat(errors, container, false);
        return;
    }
    case L::KwExtends: {
        _Next();
        KEFOPath* path = _ParsePath(errors, block);
        if (path == nullptr) return;
        KEFOBlock* directive = block->NewExtendsDirective(path);
        _ParseLabel(directive);
        _ParseBodyAtQOLNFormat(errors, directive, true);
        return;
    }
    case L::KwClones:
    case L::KwEmbeds: {
        _Next();
        KEFOPath* copied = _ParsePath(errors, block);
        if (copied == nullptr) return;
        KEFOPath* path = nullptr;
        if (_ParseGivenToken(errors, L::KwAs)) path = _ParsePath(errors, block);
        if (path == nullptr) {
            delete copied;
            return;
        }
        if (kind == L::KwClones) {
            KEFOBlock* directive = block->NewClonesDirective(path, copied);
            _ParseLabel(directive);
            _ParseBodyAtQOLNFormat(errors, directive, true);
        } else {
            KEFOAliasing* aliasing = block->NewEmbedsDirective(path, copied);
            _ParseLabel(aliasing);
            _ParseGivenToken(errors, ';');
        }
        return;
    }
    default: {
        // ClassPath Path Label ( ";" or body "end" ): an instance.
        KEFOPath* classPath = _ParsePath(errors, block);
        if (classPath == nullptr) return;
        KEFOPath* path = _ParsePath(errors, block);
        if (path == nullptr) {
            delete classPath;
            return;
        }
        KEFOBlock* instance = block->NewInstance(path, classPath);
        _ParseLabel(instance);
        _ParseBodyAtQOLNFormat(errors, instance, true);
        return;
    }
    }
}

void KEFOModelParser::_ParseBodyAtQOLNFormat(int& errors, KEFOBlock* container, bool optional) {
    if (errors) return;
    if (optional && _Kind() == ';') {
        _Next();
        return;
    }
    if (!_EnterNesting(errors, _Token(), nullptr)) return;
    _ParseDeclarationsAtQOLNFormat(errors, container, false);
    _LeaveNesting();
}

// "basic-event" Path Label "=" Expression ";" and the like for gates and
// house events. A declaration without definition ("basic-event e;"), as the
// printer writes it, is read too.
void KEFOModelParser::_ParseVariableAtQOLNFormat(int& errors, KEFOBlock* block, int type) {
    _Next();
    KEFOPath* path = _ParsePath(errors, block);
    if (path == nullptr) return;
    KEFOVariable* variable = block->NewVariable(type, path);
    _ParseLabel(variable);
    if (_Kind() == ';') {
        _Next();
        return;
    }
    if (!_ParseGivenToken(errors, '=')) return;
    if (type == KEFOType::StateVariable) {
        E* distribution = _ParseStochasticExpressionAtQOLNFormat(errors, block);
        if (distribution == nullptr) return;
        variable->SetProbabilityDistribution(distribution);
    } else {
        KEFOGate* definition = _ParseGateAtQOLNFormat(errors, block);
        if (definition == nullptr) return;
        variable->SetDefinition(definition);
    }
    _ParseGivenToken(errors, ';');
}

void KEFOModelParser::_ParseParameterAtQOLNFormat(int& errors, KEFOBlock* block) {
    _Next();
    KEFOPath* path = _ParsePath(errors, block);
    if (path == nullptr) return;
    KEFOParameter* parameter = block->NewParameter(path);
    _ParseLabel(parameter);
    if (_Kind() == ';') {
        _Next();
        return;
    }
    if (!_ParseGivenToken(errors, '=')) return;
    E* definition = _ParseStochasticExpressionAtQOLNFormat(errors, block);
    if (definition == nullptr) return;
    parameter->SetDefinition(definition);
    _ParseGivenToken(errors, ';');
}

// "CCF-group" Path "=" Model Label "[" Members "]" "[" Factors "]"
// Expression ";"
void KEFOModelParser::_ParseCCFGroupAtQOLNFormat(int& errors, KEFOBlock* block) {
    KEFOToken* head = _Token();
    _Next();
    KEFOPath* path = _ParsePath(errors, block);
    if (path == nullptr) return;
    if (!_ParseGivenToken(errors, '=')) {
        delete path;
        return;
    }
    int type = 0;
    switch (_Kind()) {
    case L::KwBetaFactor: type = KEFOType::BetaFactorCCFGroup; break;
    case L::KwMGL: type = KEFOType::MGLCCFGroup; break;
    case L::KwAlphaFactor: type = KEFOType::AlphaFactorCCFGroup; break;
    case L::KwPhiFactor: type = KEFOType::PhiFactorCCFGroup; break;
    case endOfInput:
        delete path;
        _RaiseEndOfFile(errors);
        return;
    default:
        delete path;
        _RaiseError(errors, 10082, _Token());
        return;
    }
    _Next();
    KEFOCCFGroup* group = block->NewCCFGroup(type, path);
    _ParseLabel(group);
    if (!_ParseGivenToken(errors, '[')) return;
    for (;;) {
        KEFOPath* member = _ParsePath(errors, block);
        if (member == nullptr) return;
        group->AddMember(block->NewVariableReference(KEFOType::StateVariable, member));
        if (_Kind() != ',') break;
        _Next();
    }
    if (!_ParseGivenToken(errors, ']')) return;
    if (!_ParseGivenToken(errors, '[')) return;
    std::vector<E*> factors;
    if (_Kind() != ']') {
        for (;;) {
            E* factor = _ParseStochasticExpressionAtQOLNFormat(errors, block);
            if (factor == nullptr) {
                DeleteAll(factors);
                return;
            }
            factors.push_back(factor);
            if (_Kind() != ',') break;
            _Next();
        }
    }
    if (!_ParseGivenToken(errors, ']')) {
        DeleteAll(factors);
        return;
    }
    if (!PlaceFactorsOfCCFGroup(group, factors)) {
        _RaiseError(errors, 12103, head);
        return;
    }
    E* distribution = _ParseStochasticExpressionAtQOLNFormat(errors, block);
    if (distribution == nullptr) return;
    group->SetDistribution(distribution);
    _ParseGivenToken(errors, ';');
}

// ---------------------------------------------------------------------------
// Formulas, lowest precedence first.

// Formula: Term { "or" Term }. The operand lists are gathered apart from
// the recursive path (in the tail routines), so that every nesting level
// costs as little stack as possible.
KEFOGate* KEFOModelParser::_ParseGateAtQOLNFormat(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    if (!_EnterNesting(errors, _Token(), nullptr)) return nullptr;
    KEFOGate* result = _ParseGateTerm(errors, block);
    if (result != nullptr && _Kind() == L::KwOr) result = _ParseGateTail(errors, block, result, L::KwOr);
    _LeaveNesting();
    return result;
}

// Term: Factor { "and" Factor }
KEFOGate* KEFOModelParser::_ParseGateTerm(int& errors, KEFOBlock* block) {
    KEFOGate* result = _ParseGateFactor(errors, block);
    if (result != nullptr && _Kind() == L::KwAnd) result = _ParseGateTail(errors, block, result, L::KwAnd);
    return result;
}

// The operands after the first of an or (terms) or of an and (factors),
// made into one gate.
KEFOGate* KEFOModelParser::_ParseGateTail(int& errors, KEFOBlock* block, KEFOGate* first, int connective) {
    std::vector<KEFOGate*> children{first};
    while (_Kind() == connective) {
        _Next();
        KEFOGate* operand =
            connective == L::KwOr ? _ParseGateTerm(errors, block) : _ParseGateFactor(errors, block);
        if (operand == nullptr) {
            DeleteAll(children);
            return nullptr;
        }
        children.push_back(operand);
    }
    return connective == L::KwOr ? block->NewOr(children) : block->NewAnd(children);
}

// Factor: "not" Factor | Primary
KEFOGate* KEFOModelParser::_ParseGateFactor(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    if (_Kind() != L::KwNot) return _ParseGatePrimary(errors, block);
    if (!_EnterNesting(errors, _Token(), nullptr)) return nullptr;
    _Next();
    KEFOGate* child = _ParseGateFactor(errors, block);
    _LeaveNesting();
    return child != nullptr ? block->NewNot(child) : nullptr;
}

bool KEFOModelParser::_ParseGateList(int& errors, KEFOBlock* block, std::vector<KEFOGate*>& children) {
    if (!_ParseGivenToken(errors, '(')) return false;
    if (_Kind() != ')') {
        for (;;) {
            KEFOGate* child = _ParseGateAtQOLNFormat(errors, block);
            if (child == nullptr) {
                DeleteAll(children);
                return false;
            }
            children.push_back(child);
            if (_Kind() != ',') break;
            _Next();
        }
    }
    if (!_ParseGivenToken(errors, ')')) {
        DeleteAll(children);
        return false;
    }
    return true;
}

KEFOGate* KEFOModelParser::_ParseGatePrimary(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    KEFOToken* token = _Token();
    if (token == nullptr) {
        _RaiseEndOfFile(errors);
        return nullptr;
    }
    int kind = token->GetKind();
    switch (kind) {
    case '(': {
        _Next();
        KEFOGate* gate = _ParseGateAtQOLNFormat(errors, block);
        if (gate != nullptr && !_ParseGivenToken(errors, ')')) {
            delete gate;
            return nullptr;
        }
        return gate;
    }
    case L::Identifier:
    case L::Path:
        _Next();
        return block->NewVariableReference(KEFOType::Variable, new KEFOPath(token->GetTextAsCString(), _pure));
    case L::KwBasicEvent:
    case L::KwState:
    case L::KwGate:
    case L::KwFlow:
    case L::KwHouseEvent:
    case L::KwSource: {
        int type = (kind == L::KwBasicEvent || kind == L::KwState) ? KEFOType::StateVariable
                   : (kind == L::KwGate || kind == L::KwFlow)    ? KEFOType::FlowVariable
                                                                 : KEFOType::SourceVariable;
        _Next();
        KEFOPath* path = _ParsePath(errors, block);
        return path != nullptr ? block->NewVariableReference(type, path) : nullptr;
    }
    case L::KwFalse:
    case L::KwTrue:
        _Next();
        return block->NewConstant(kind == L::KwTrue);
    case L::KwAnd:
    case L::KwOr:
    case L::KwNand:
    case L::KwNor: {
        _Next();
        std::vector<KEFOGate*> children;
        if (!_ParseGateList(errors, block, children)) return nullptr;
        switch (kind) {
        case L::KwAnd: return block->NewAnd(children);
        case L::KwOr: return block->NewOr(children);
        case L::KwNand: return block->NewNand(children);
        default: return block->NewNor(children);
        }
    }
    case L::KwAtLeast:
    case L::KwAtMost: {
        _Next();
        int k = 0;
        if (!_ParseInteger(errors, k)) return nullptr;
        std::vector<KEFOGate*> children;
        if (!_ParseGateList(errors, block, children)) return nullptr;
        return kind == L::KwAtLeast ? block->NewAtLeast(k, children) : block->NewAtMost(k, children);
    }
    case L::KwCardinality: {
        _Next();
        int low = 0, high = 0;
        if (!_ParseInteger(errors, low) || !_ParseGivenToken(errors, ',') || !_ParseInteger(errors, high))
            return nullptr;
        std::vector<KEFOGate*> children;
        if (!_ParseGateList(errors, block, children)) return nullptr;
        return block->NewCardinality(low, high, children);
    }
    default:
        _RaiseError(errors, 10090, token);
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Stochastic expressions, lowest precedence first.

KEFOStochasticExpression* KEFOModelParser::_ParseStochasticExpressionAtQOLNFormat(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    if (!_EnterNesting(errors, _Token(), nullptr)) return nullptr;
    E* result = nullptr;
    switch (_Kind()) {
    case L::KwIf: result = _ParseConditional(errors, block); break;
    case L::KwSwitch:
        // The function-call form switch(...) is an operand like any other.
        result = _Kind(1) == '{' ? _ParseSwitch(errors, block) : _ParseDisjunction(errors, block);
        break;
    case L::KwEmpiricalDistribution:
    case L::KwHistogram: result = _ParseTabulated(errors, block); break;
    default: result = _ParseDisjunction(errors, block); break;
    }
    _LeaveNesting();
    return result;
}

// "if" Expression "then" Expression "else" Expression
KEFOStochasticExpression* KEFOModelParser::_ParseConditional(int& errors, KEFOBlock* block) {
    _Next();
    E* condition = _ParseStochasticExpressionAtQOLNFormat(errors, block);
    E* then = nullptr;
    E* otherwise = nullptr;
    if (condition != nullptr && _ParseGivenToken(errors, L::KwThen))
        then = _ParseStochasticExpressionAtQOLNFormat(errors, block);
    if (then != nullptr && _ParseGivenToken(errors, L::KwElse))
        otherwise = _ParseStochasticExpressionAtQOLNFormat(errors, block);
    if (otherwise == nullptr) {
        delete condition;
        delete then;
        return nullptr;
    }
    return block->NewStochasticExpression(E::Ite, condition, then, otherwise);
}

// "switch" "{" { "case" Expression ":" Expression "," } "else" Expression "}"
KEFOStochasticExpression* KEFOModelParser::_ParseSwitch(int& errors, KEFOBlock* block) {
    _Next();
    _Next();  // "{"
    std::vector<E*> children;
    while (!errors && _Kind() == L::KwCase) {
        _Next();
        E* condition = _ParseStochasticExpressionAtQOLNFormat(errors, block);
        E* value = nullptr;
        if (condition != nullptr && _ParseGivenToken(errors, ':'))
            value = _ParseStochasticExpressionAtQOLNFormat(errors, block);
        if (value == nullptr || !_ParseGivenToken(errors, ',')) {
            delete condition;
            delete value;
            break;
        }
        children.push_back(block->NewStochasticExpression(E::Case, condition, value));
    }
    E* otherwise = nullptr;
    if (!errors && _ParseGivenToken(errors, L::KwElse)) otherwise = _ParseStochasticExpressionAtQOLNFormat(errors, block);
    if (otherwise == nullptr || !_ParseGivenToken(errors, '}')) {
        delete otherwise;
        DeleteAll(children);
        return nullptr;
    }
    children.push_back(otherwise);
    return block->NewStochasticExpression(E::Switch, children);
}

// "empirical-distribution" "(" String [ "," ( "step" | "piecewise-linear" ) ] ")"
// "histogram" "(" String ")"
KEFOStochasticExpression* KEFOModelParser::_ParseTabulated(int& errors, KEFOBlock* block) {
    bool histogram = _Kind() == L::KwHistogram;
    _Next();
    if (!_ParseGivenToken(errors, '(')) return nullptr;
    KEFOToken* name = _Token();
    if (name == nullptr || name->GetKind() != L::String) {
        _RaiseUnexpected(errors, L::String);
        return nullptr;
    }
    _Next();
    int tableType = histogram ? KEFOEmpiricalDistribution::Histogram : KEFOEmpiricalDistribution::PiecewiseLinear;
    if (!histogram && _Kind() == ',') {
        _Next();
        if (_Kind() == L::KwStep) {
            tableType = KEFOEmpiricalDistribution::Step;
        } else if (_Kind() != L::KwPiecewiseLinear) {
            _RaiseSyntaxError(errors);
            return nullptr;
        }
        _Next();
    }
    if (!_ParseGivenToken(errors, ')')) return nullptr;
    return _NewTabulatedDistribution(errors, block, histogram ? E::Histogram : E::EmpiricalDistribution,
                                     name->GetTextAsCString(), tableType, name, nullptr);
}

// Disjunction: Conjunction { "or" Conjunction }
KEFOStochasticExpression* KEFOModelParser::_ParseDisjunction(int& errors, KEFOBlock* block) {
    E* result = _ParseConjunction(errors, block);
    if (result != nullptr && _Kind() == L::KwOr) result = _ParseExpressionTail(errors, block, result, L::KwOr);
    return result;
}

// Conjunction: Negation { "and" Negation }
KEFOStochasticExpression* KEFOModelParser::_ParseConjunction(int& errors, KEFOBlock* block) {
    E* result = _ParseNegation(errors, block);
    if (result != nullptr && _Kind() == L::KwAnd) result = _ParseExpressionTail(errors, block, result, L::KwAnd);
    return result;
}

// Negation: "not" Negation | Comparison
KEFOStochasticExpression* KEFOModelParser::_ParseNegation(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    if (_Kind() != L::KwNot) return _ParseComparison(errors, block);
    if (!_EnterNesting(errors, _Token(), nullptr)) return nullptr;
    _Next();
    E* operand = _ParseNegation(errors, block);
    _LeaveNesting();
    return operand != nullptr ? block->NewStochasticExpression(E::Not, operand) : nullptr;
}

// Comparison: Sum [ Operator Sum ], at most one comparison.
KEFOStochasticExpression* KEFOModelParser::_ParseComparison(int& errors, KEFOBlock* block) {
    E* left = _ParseSum(errors, block);
    if (left == nullptr) return nullptr;
    int type = ComparisonTypeOfToken(_Kind());
    if (type < 0) return left;
    _Next();
    E* right = _ParseSum(errors, block);
    if (right == nullptr) {
        delete left;
        return nullptr;
    }
    return block->NewStochasticExpression(type, left, right);
}

// Sum: Difference { "+" Product [ "-" Product ] }; a + b - c is
// add(a, sub(b, c)).
KEFOStochasticExpression* KEFOModelParser::_ParseSum(int& errors, KEFOBlock* block) {
    E* result = _ParseDifference(errors, block);
    if (result != nullptr && _Kind() == '+') result = _ParseExpressionTail(errors, block, result, '+');
    return result;
}

// Difference: Product [ "-" Product ]; a second "-" is left unread.
KEFOStochasticExpression* KEFOModelParser::_ParseDifference(int& errors, KEFOBlock* block) {
    E* left = _ParseProduct(errors, block);
    if (left == nullptr || _Kind() != '-') return left;
    _Next();
    E* right = _ParseProduct(errors, block);
    if (right == nullptr) {
        delete left;
        return nullptr;
    }
    return block->NewStochasticExpression(E::Sub, left, right);
}

// Product: Quotient { "*" Unary [ "/" Unary ] }; a * b / c is
// mul(a, div(b, c)).
KEFOStochasticExpression* KEFOModelParser::_ParseProduct(int& errors, KEFOBlock* block) {
    E* result = _ParseQuotient(errors, block);
    if (result != nullptr && _Kind() == '*') result = _ParseExpressionTail(errors, block, result, '*');
    return result;
}

// The operands after the first of an or, an and, a sum or a product, made
// into one node: or over conjunctions, and over negations, add over
// products (each optionally minus a product), mul over unary expressions
// (each optionally divided by one).
KEFOStochasticExpression* KEFOModelParser::_ParseExpressionTail(int& errors, KEFOBlock* block, E* first,
                                                                int operation) {
    std::vector<E*> children{first};
    while (_Kind() == operation) {
        _Next();
        E* operand = nullptr;
        switch (operation) {
        case L::KwOr: operand = _ParseConjunction(errors, block); break;
        case L::KwAnd: operand = _ParseNegation(errors, block); break;
        case '+': operand = _ParseProduct(errors, block); break;
        default: operand = _ParseUnary(errors, block); break;
        }
        int inverse = operation == '+' ? '-' : operation == '*' ? '/' : 0;
        if (operand != nullptr && inverse != 0 && _Kind() == inverse) {
            _Next();
            E* second = inverse == '-' ? _ParseProduct(errors, block) : _ParseUnary(errors, block);
            if (second == nullptr) {
                delete operand;
                operand = nullptr;
            } else {
                operand = block->NewStochasticExpression(inverse == '-' ? E::Sub : E::Div, operand, second);
            }
        }
        if (operand == nullptr) {
            DeleteAll(children);
            return nullptr;
        }
        children.push_back(operand);
    }
    int type = operation == L::KwOr ? E::Or : operation == L::KwAnd ? E::And : operation == '+' ? E::Add : E::Mul;
    return block->NewStochasticExpression(type, children);
}

// Quotient: Unary [ "/" Unary ]
KEFOStochasticExpression* KEFOModelParser::_ParseQuotient(int& errors, KEFOBlock* block) {
    E* left = _ParseUnary(errors, block);
    if (left == nullptr || _Kind() != '/') return left;
    _Next();
    E* right = _ParseUnary(errors, block);
    if (right == nullptr) {
        delete left;
        return nullptr;
    }
    return block->NewStochasticExpression(E::Div, left, right);
}

// Unary: "-" Unary | Operand
KEFOStochasticExpression* KEFOModelParser::_ParseUnary(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    if (_Kind() != '-') return _ParseOperand(errors, block);
    if (!_EnterNesting(errors, _Token(), nullptr)) return nullptr;
    _Next();
    E* operand = _ParseUnary(errors, block);
    _LeaveNesting();
    return operand != nullptr ? block->NewStochasticExpression(E::Neg, operand) : nullptr;
}

KEFOStochasticExpression* KEFOModelParser::_ParseOperand(int& errors, KEFOBlock* block) {
    if (errors) return nullptr;
    KEFOToken* token = _Token();
    if (token == nullptr) {
        _RaiseEndOfFile(errors);
        return nullptr;
    }
    int kind = token->GetKind();
    switch (kind) {
    case L::KwFalse:
    case L::KwTrue:
        _Next();
        return block->NewBooleanExpression(kind == L::KwTrue);
    case L::Integer: {
        _Next();
        errno = 0;
        long long n = std::strtoll(token->GetTextAsCString(), nullptr, 10);
        // An integer beyond the 32-bit range is kept as a real.
        if (errno == ERANGE || n > INT_MAX) return block->NewRealExpression(std::strtod(token->GetTextAsCString(), nullptr));
        return block->NewIntegerExpression(static_cast<int>(n));
    }
    case L::Real:
        _Next();
        return block->NewRealExpression(std::strtod(token->GetTextAsCString(), nullptr));
    case L::String:
        // A string constant (the printers write string constants so).
        _Next();
        return block->NewStringExpression(token->GetTextAsCString());
    case '(': {
        _Next();
        E* expression = _ParseStochasticExpressionAtQOLNFormat(errors, block);
        if (expression != nullptr && !_ParseGivenToken(errors, ')')) {
            delete expression;
            return nullptr;
        }
        return expression;
    }
    case L::Identifier:
    case L::Path:
        _Next();
        return block->NewParameterReference(new KEFOPath(token->GetTextAsCString(), _pure));
    case L::KwParameter: {
        _Next();
        KEFOPath* path = _ParsePath(errors, block);
        return path != nullptr ? block->NewParameterReference(path) : nullptr;
    }
    case L::KwPi:
        _Next();
        return block->NewStochasticExpression(E::Pi);
    case L::KwMissionTime:
        _Next();
        return block->NewStochasticExpression(E::MissionTime);
    default: break;
    }
    int type = FunctorTypeOfKeyword(kind);
    if (type < 0) {
        _RaiseError(errors, 10090, token);
        return nullptr;
    }
    return _ParseFunctorApplication(errors, block, type);
}

// Functor "(" Expression { "," Expression } ")", with the number of children
// checked against the functor.
KEFOStochasticExpression* KEFOModelParser::_ParseFunctorApplication(int& errors, KEFOBlock* block, int type) {
    KEFOToken* functor = _Token();
    _Next();
    if (!_ParseGivenToken(errors, '(')) return nullptr;
    std::vector<E*> children;
    for (;;) {
        E* child = _ParseStochasticExpressionAtQOLNFormat(errors, block);
        if (child == nullptr) {
            DeleteAll(children);
            return nullptr;
        }
        children.push_back(child);
        if (_Kind() != ',') break;
        _Next();
    }
    if (!_ParseGivenToken(errors, ')')) {
        DeleteAll(children);
        return nullptr;
    }
    if (!E::CheckNumberOfChildren(type, static_cast<int>(children.size()))) {
        DeleteAll(children);
        _RaiseError(errors, 10094, functor);
        return nullptr;
    }
    return block->NewStochasticExpression(type, children);
}
