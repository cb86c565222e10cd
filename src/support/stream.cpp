#include "support/stream.h"

#include <cstdarg>
#include <cstring>
#include <vector>

PLOVStream::PLOVStream() : _digits(6) { std::snprintf(_doubleFormat, sizeof _doubleFormat, "%%.%dg", _digits); }

PLOVStream::~PLOVStream() = default;

void PLOVStream::PrintString(const char* text) {
    if (text != nullptr) Write(text, std::strlen(text));
}

void PLOVStream::PrintInt(long value) {
    char buffer[32];
    int n = std::snprintf(buffer, sizeof buffer, "%ld", value);
    Write(buffer, static_cast<std::size_t>(n));
}

void PLOVStream::PrintDouble(double value) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, _doubleFormat, value);
    Write(buffer, static_cast<std::size_t>(n));
}

void PLOVStream::Printf(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof buffer) {
        Write(buffer, static_cast<std::size_t>(n));
    } else {
        std::vector<char> big(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), format, copy);
        Write(big.data(), static_cast<std::size_t>(n));
    }
    va_end(copy);
}

void PLOVStream::SetNumberOfSignificantDigits(int digits) {
    if (digits < 1) digits = 1;
    if (digits > 17) digits = 17;
    _digits = digits;
    std::snprintf(_doubleFormat, sizeof _doubleFormat, "%%.%dg", _digits);
}

std::string PLOVStream::FormatDouble(double value, int digits) {
    char format[16];
    std::snprintf(format, sizeof format, "%%.%dg", digits);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

PLOVFileStream::PLOVFileStream(FILE* file, bool owned) : _file(file), _owned(owned) {}

PLOVFileStream::~PLOVFileStream() {
    if (_file != nullptr) {
        std::fflush(_file);
        if (_owned) std::fclose(_file);
    }
}

void PLOVFileStream::Write(const char* data, std::size_t size) {
    if (_file != nullptr && size > 0) std::fwrite(data, 1, size, _file);
}

void PLOVFileStream::Flush() {
    if (_file != nullptr) std::fflush(_file);
}

FILE* PLOVFileStream::Release() {
    FILE* file = _file;
    _file = nullptr;
    return file;
}
