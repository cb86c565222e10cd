// Output streams of reports. A real number is written in the shortest form of
// "%.<n>g" where n is the stream's number of significant digits (6 by
// default); integers as plain decimal numbers.
#ifndef KEFO_SUPPORT_STREAM_H
#define KEFO_SUPPORT_STREAM_H

#include "support/memory_manager.h"

#include <cstdio>
#include <string>

class PLOVStream {
    PLOV_MANAGED_ALLOCATION(PLOVStream)
public:
    PLOVStream();
    virtual ~PLOVStream();

    virtual void Write(const char* data, std::size_t size) = 0;
    virtual void Flush() {}

    void PrintString(const char* text);
    void PrintString(const std::string& text) { Write(text.data(), text.size()); }
    void PrintChar(char c) { Write(&c, 1); }
    void PrintInt(long value);
    void PrintDouble(double value);
    void PrintNewLine() { PrintChar('\n'); }
    // printf-style output for report lines whose layout is fixed.
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int GetNumberOfSignificantDigits() const { return _digits; }
    void SetNumberOfSignificantDigits(int digits);
    // The "%.<n>g" format built from the number of significant digits.
    const char* GetDoubleFormat() const { return _doubleFormat; }

    // Writes a double with the given number of significant digits into text.
    static std::string FormatDouble(double value, int digits = 6);

private:
    int _digits;
    char _doubleFormat[16];
};

// A stream on a C file. The stream does not close the file unless it was
// given ownership.
class PLOVFileStream : public PLOVStream {
    PLOV_MANAGED_ALLOCATION(PLOVFileStream)
public:
    explicit PLOVFileStream(FILE* file, bool owned = false);
    ~PLOVFileStream() override;

    void Write(const char* data, std::size_t size) override;
    void Flush() override;
    FILE* GetFile() const { return _file; }
    // Detaches the file from the stream without closing it.
    FILE* Release();

private:
    FILE* _file;
    bool _owned;
};

// A stream that collects its text in memory (used by printers that build a
// text before writing it, and by tests).
class PLOVStringStream : public PLOVStream {
    PLOV_MANAGED_ALLOCATION(PLOVStringStream)
public:
    void Write(const char* data, std::size_t size) override { _text.append(data, size); }
    const std::string& GetText() const { return _text; }
    void Clear() { _text.clear(); }

private:
    std::string _text;
};

#endif
