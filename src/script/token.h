// A token of the script and model lexers: kind, text, file name, line and
// column. Error locations of both languages are tokens.
#ifndef KEFO_SCRIPT_TOKEN_H
#define KEFO_SCRIPT_TOKEN_H

#include "support/memory_manager.h"

#include <memory>
#include <string>

class KEFOToken {
    PLOV_MANAGED_ALLOCATION(KEFOToken)
public:
    KEFOToken(int kind, std::string text, std::shared_ptr<const std::string> fileName, int line, int column)
        : _kind(kind), _text(std::move(text)), _fileName(std::move(fileName)), _line(line), _column(column) {}

    int GetKind() const { return _kind; }
    void SetKind(int kind) { _kind = kind; }
    const std::string& GetText() const { return _text; }
    const char* GetTextAsCString() const { return _text.c_str(); }
    // Null when the token does not come from a named file.
    const char* GetFileName() const { return _fileName ? _fileName->c_str() : nullptr; }
    const std::shared_ptr<const std::string>& GetSharedFileName() const { return _fileName; }
    int GetLine() const { return _line; }
    int GetColumn() const { return _column; }

private:
    int _kind;
    std::string _text;
    std::shared_ptr<const std::string> _fileName;
    int _line;
    int _column;
};

#endif
