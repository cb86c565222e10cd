// The tab-separated reports of the quantification commands: minimal cutsets
// of a ZBDD handle with their rank, order, probability, contribution and
// failure intensity; the top-event probability and the unavailability table;
// values of parameters and probabilities of basic events; the counting
// matrices and the occurrences of variables in the minimal cutsets.
#include "io/model_printer.h"

#include "diagrams/bdd_entry.h"
#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/handle.h"
#include "diagrams/minimal_cutset.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "quantification/curve.h"
#include "support/managed_value.h"
#include "support/memory_manager.h"
#include "support/stream.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <unordered_set>

namespace {

// Pending text is handed to the stream in pieces of about this size.
const std::size_t pendingCapacity = 1 << 16;
// Lines between two looks at the clock.
const int linesPerClockCheck = 16;
const std::chrono::milliseconds flushInterval(100);

const char* NameOf(const KEFOVariable* variable) { return variable != nullptr ? variable->GetPathAsString() : ""; }

}  // namespace

namespace {

const unsigned __int128 one128 = 1;

// 10^n for n in [0, 17].
std::uint64_t PowerOfTen(int n) {
    std::uint64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// 5^k for k in [0, 32] (below 2^75).
struct PowersOfFive {
    unsigned __int128 value[33];
    PowersOfFive() {
        value[0] = 1;
        for (int k = 1; k <= 32; ++k) value[k] = value[k - 1] * 5;
    }
};
const PowersOfFive powersOfFive;

// The digits of round(v x 10^k) for v = m x 2^q (k in [0, 32], so that m x
// 5^k fits 128 bits), rounded half to even as printf rounds the exact
// binary value; false when the result leaves the 64-bit range.
bool ScaledRound(std::uint64_t m, int q, int k, std::uint64_t& n) {
    const unsigned __int128 x = static_cast<unsigned __int128>(m) * powersOfFive.value[k];
    const int shift = q + k;
    if (shift >= 0) {
        if (shift >= 64 || (x >> (64 - shift)) != 0) return false;
        n = static_cast<std::uint64_t>(x << shift);
        return true;
    }
    const int right = -shift;
    if (right >= 127) return false;
    const unsigned __int128 quotient = x >> right;
    const unsigned __int128 remainder = x & ((one128 << right) - 1);
    const unsigned __int128 half = one128 << (right - 1);
    if (quotient >> 64 != 0) return false;
    n = static_cast<std::uint64_t>(quotient);
    if (remainder > half || (remainder == half && (n & 1u) != 0)) ++n;
    return true;
}

}  // namespace

// "%.<digits>g" without printf: the exact decimal rounding of the binary
// value by 128-bit integer arithmetic for the usual magnitudes (1e-27 to
// 1e<digits>), std::to_chars (printf's own rules) otherwise.
std::size_t KEFOModelPrinter::FormatRealWithDigits(double value, int digits, char* out) {
    if (digits < 1) digits = 1;
    if (digits > 17) digits = 17;
    char* p = out;
    if (value == 0.0 && !std::signbit(value)) {
        *p = '0';
        return 1;
    }
    if (std::isfinite(value) && value != 0.0) {
        // value = m x 2^q with m below 2^53, read from the bits.
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        const int biased = static_cast<int>((bits >> 52) & 0x7ff);
        std::uint64_t m = bits & ((std::uint64_t(1) << 52) - 1);
        int q;
        if (biased == 0) {
            q = -1074;  // subnormal
        } else {
            m |= std::uint64_t(1) << 52;
            q = biased - 1075;
        }
        // floor(log10(value)) within one: log10(2) ~ 78913 / 2^18, applied
        // to the position of the highest bit.
        const int highest = 63 - __builtin_clzll(m);
        const int binaryExponent = q + highest;
        int e = binaryExponent >= 0 ? (binaryExponent * 78913) >> 18 : -((-binaryExponent * 78913 + (1 << 18) - 1) >> 18);
        const std::uint64_t low = PowerOfTen(digits - 1);
        const std::uint64_t high = low * 10;
        std::uint64_t n = 0;
        bool done = false;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const int k = digits - 1 - e;
            if (k < 0 || k > 32 || !ScaledRound(m, q, k, n)) break;
            if (n >= high) {
                ++e;
            } else if (n < low) {
                --e;
            } else {
                done = true;
                break;
            }
        }
        if (done) {
            if (value < 0.0) *p++ = '-';
            char d[20];
            for (int i = digits - 1; i >= 0; --i) {
                d[i] = static_cast<char>('0' + n % 10);
                n /= 10;
            }
            int significant = digits;
            while (significant > 1 && d[significant - 1] == '0') --significant;
            if (e >= -4 && e < digits) {
                if (e >= 0) {
                    for (int i = 0; i <= e; ++i) *p++ = d[i];
                    if (significant > e + 1) {
                        *p++ = '.';
                        for (int i = e + 1; i < significant; ++i) *p++ = d[i];
                    }
                } else {
                    *p++ = '0';
                    *p++ = '.';
                    for (int i = 0; i < -e - 1; ++i) *p++ = '0';
                    for (int i = 0; i < significant; ++i) *p++ = d[i];
                }
            } else {
                *p++ = d[0];
                if (significant > 1) {
                    *p++ = '.';
                    for (int i = 1; i < significant; ++i) *p++ = d[i];
                }
                *p++ = 'e';
                int x = e;
                if (x < 0) {
                    *p++ = '-';
                    x = -x;
                } else {
                    *p++ = '+';
                }
                if (x >= 100) *p++ = static_cast<char>('0' + x / 100);
                *p++ = static_cast<char>('0' + x / 10 % 10);
                *p++ = static_cast<char>('0' + x % 10);
            }
            return static_cast<std::size_t>(p - out);
        }
    }
    std::to_chars_result result = std::to_chars(out, out + 32, value, std::chars_format::general, digits);
    if (result.ec == std::errc()) return static_cast<std::size_t>(result.ptr - out);
    const std::string text = PLOVStream::FormatDouble(value, digits);
    std::memcpy(out, text.data(), text.size() < 32 ? text.size() : 32);
    return text.size() < 32 ? text.size() : 32;
}

const char* KEFOModelPrinter::GetQuantificationMethodAcronym(int method) {
    switch (method) {
    case KEFOHandle::ExactProbability: return "Pr";
    case KEFOHandle::RareEventApproximation: return "REA";
    case KEFOHandle::MincutUpperBound: return "MCUB";
    case KEFOHandle::PivotalUpperBound: return "PUB";
    default: return "";
    }
}

// --- line assembly -------------------------------------------------------------

void KEFOModelPrinter::_Text(const char* text) {
    if (text != nullptr) _Append(text, std::strlen(text));
}

void KEFOModelPrinter::_GrowBuffer(std::size_t size) {
    std::size_t capacity = _buffer.size() < pendingCapacity ? pendingCapacity : _buffer.size();
    while (_bufferUsed + size > capacity) capacity *= 2;
    _buffer.resize(capacity);
}

char* KEFOModelPrinter::_PutReal(char* out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    static_assert(numberOfRealTexts == 256, "the slot is the top byte of the scrambled bits");
    RealText& known = _realTexts[(bits * 0x9e3779b97f4a7c15ULL) >> 56];
    if (known.length != 0 && known.bits == bits) {
        std::memcpy(out, known.text, known.length);
        return out + known.length;
    }
    const std::size_t length = FormatRealWithDigits(value, _reportDigits, out);
    if (length < sizeof known.text) {
        known.bits = bits;
        known.length = static_cast<unsigned char>(length);
        std::memcpy(known.text, out, length);
    }
    return out + length;
}

void KEFOModelPrinter::_Real(double value) {
    if (_bufferUsed + 32 > _buffer.size()) _GrowBuffer(32);
    char* out = _buffer.data() + _bufferUsed;
    _bufferUsed += static_cast<std::size_t>(_PutReal(out, value) - out);
}

void KEFOModelPrinter::_Integer(long long value) {
    char text[32];
    std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
    _Append(text, static_cast<std::size_t>(result.ptr - text));
}

void KEFOModelPrinter::_BeginReport(PLOVStream* stream) {
    _reportDigits = stream != nullptr ? stream->GetNumberOfSignificantDigits() : 6;
    for (RealText& known : _realTexts) known.length = 0;
    _bufferUsed = 0;
    _linesSinceClockCheck = 0;
    _lastFlush = std::chrono::steady_clock::now();
}

void KEFOModelPrinter::_EndLine(PLOVStream* stream) {
    _Append("\n", 1);
    if (stream == nullptr) {
        _bufferUsed = 0;
        return;
    }
    if (_bufferUsed >= pendingCapacity) {
        stream->Write(_buffer.data(), _bufferUsed);
        _bufferUsed = 0;
    }
    if (++_linesSinceClockCheck < linesPerClockCheck) return;
    _linesSinceClockCheck = 0;
    const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    if (now - _lastFlush < flushInterval) return;
    if (_bufferUsed > 0) stream->Write(_buffer.data(), _bufferUsed);
    _bufferUsed = 0;
    stream->Flush();
    _lastFlush = now;
}

void KEFOModelPrinter::_EndReport(PLOVStream* stream) {
    if (stream != nullptr) {
        if (_bufferUsed > 0) stream->Write(_buffer.data(), _bufferUsed);
        stream->Flush();
    }
    _bufferUsed = 0;
    // A long report leaves no large buffer behind.
    if (_buffer.size() > 2 * pendingCapacity) std::vector<char>().swap(_buffer);
}

// --- minimal cutsets -----------------------------------------------------------

void KEFOModelPrinter::PrintMinimalCutsetsAtTSVFormat(KEFOVariable* variable, KEFOHandle* handle,
                                                       double missionTime, PLOVStream* stream) {
    _BeginReport(stream);
    _Text("variable");
    _Separator();
    _Text(NameOf(variable));
    _EndLine(stream);
    _Text("source-handle");
    _Separator();
    _Text(handle != nullptr ? handle->GetName() : "");
    _EndLine(stream);
    if (_printProbability || _printContribution || _printFailureIntensity) {
        _Text("time");
        _Separator();
        _Real(missionTime);
        _EndLine(stream);
    }
    if (_printContribution) {
        _Text("rare-event-approximation");
        _Separator();
        _Real(_topEventProbability);
        _EndLine(stream);
    }
    _rank = 0;
    if (handle != nullptr && handle->IsZBDDHandle()) _PrintCutsetsOfZBDD(handle->GetBDDHandle(), stream);
    _EndReport(stream);
}

void KEFOModelPrinter::PrintMinimalCutsetsAtTSVFormat(KEFOBDDHandle* handle, PLOVStream* stream) {
    _BeginReport(stream);
    _rank = 0;
    _PrintCutsetsOfZBDD(handle, stream);
    _EndReport(stream);
}

void KEFOModelPrinter::_PrintCutsetsOfZBDD(KEFOBDDHandle* handle, PLOVStream* stream) {
    if (handle == nullptr || handle->GetRootNode() == nullptr) return;
    _manager = handle->GetManager();
    KEFOBDDManager* manager = _manager;
    const bool anyColumn = _printRank || _printOrder || _printProbability || _printContribution || _printFailureIntensity;
    const bool contribution = _printContribution;
    const double top = _topEventProbability;

    // The walk: an explicit stack of the else-sides still to visit, each with
    // the length of the working cutset and the product of its probabilities
    // at the node. Along a descent the node's variable joins the cutset.
    struct Pending {
        KEFOBDDNode* node;
        int order;
        double probability;
    };
    std::vector<Pending> stack;
    KEFOMinimalCutset cutset(64);
    // What the lines need of each index, looked up once: the probability,
    // and the name copied into a pool where every name is followed by at
    // least 16 spare bytes, so that names are copied by whole 16-byte
    // blocks.
    struct Index {
        double probability;
        std::size_t offset;
        std::size_t size;
        bool known;
    };
    std::vector<Index> indices(static_cast<std::size_t>(manager->GetSizeOfEntryTable()) + 1,
                               Index{0.0, 0, 0, false});
    std::vector<char> pool;
    std::size_t longestName = 0;
    const char* const separator = _valueSeparator.data();
    const std::size_t separatorSize = _valueSeparator.size();
    // The first look-up of an index fills its record, out of line: the
    // others are one test.
    auto learn = [&](int index) __attribute__((noinline)) -> const Index& {
        if (index >= static_cast<int>(indices.size())) indices.resize(static_cast<std::size_t>(index) + 1, Index{0.0, 0, 0, false});
        Index& data = indices[static_cast<std::size_t>(index)];
        if (!data.known) {
            const char* name = NameOf(manager->GetModelVariable(index));
            data.probability = manager->GetProbability(index);
            data.size = std::strlen(name);
            data.offset = pool.size();
            pool.insert(pool.end(), name, name + data.size);
            pool.insert(pool.end(), 16, '\0');
            if (data.size > longestName) longestName = data.size;
            data.known = true;
        }
        return data;
    };
    auto lookUp = [&](int index) -> const Index& {
        if (static_cast<std::size_t>(index) < indices.size()) {
            const Index& data = indices[static_cast<std::size_t>(index)];
            if (data.known) return data;
        }
        return learn(index);
    };

    // The rank as text, counted up digit by digit at each line instead of
    // being converted again.
    char rankText[24];
    std::size_t rankLength =
        static_cast<std::size_t>(std::to_chars(rankText, rankText + sizeof rankText, _rank).ptr - rankText);
    auto countRank = [&]() {
        ++_rank;
        std::size_t i = rankLength;
        while (i > 0 && rankText[i - 1] == '9') rankText[--i] = '0';
        if (i > 0) {
            ++rankText[i - 1];
        } else {
            std::memmove(rankText + 1, rankText, rankLength);
            rankText[0] = '1';
            ++rankLength;
        }
    };

    stack.push_back(Pending{handle->GetRootNode(), 0, 1.0});
    while (!stack.empty()) {
        Pending item = stack.back();
        stack.pop_back();
        while (cutset.GetOrder() > item.order) cutset.PopIndex();
        KEFOBDDNode* node = item.node;
        double probability = item.probability;
        while (manager->IsInternalNode(node)) {
            KEFOBDDNode* elseSon = node->GetElseSon();
            if (!manager->IsLeafEmptySet(elseSon)) stack.push_back(Pending{elseSon, cutset.GetOrder(), probability});
            const int index = node->GetIndex();
            cutset.PushIndex(index);
            probability *= lookUp(index).probability;
            node = node->GetThenSon();
        }
        if (!manager->IsLeafEmptyProduct(node)) continue;
        // One line for the working cutset, written in place once the buffer
        // has room for the longest line it can be: five columns of at most
        // 32 characters and the names, each copied by whole 16-byte blocks.
        countRank();
        const int order = cutset.GetOrder();
        const std::size_t bound =
            5 * (32 + separatorSize) + static_cast<std::size_t>(order) * (longestName + 16 + separatorSize) + 1;
        if (_bufferUsed + bound > _buffer.size()) _GrowBuffer(bound);
        char* const start = _buffer.data() + _bufferUsed;
        char* out = start;
        auto separate = [&]() {
            if (separatorSize == 1) {
                *out++ = separator[0];
            } else {
                std::memcpy(out, separator, separatorSize);
                out += separatorSize;
            }
        };
        bool first = true;
        auto column = [&]() {
            if (!first) separate();
            first = false;
        };
        if (_printRank) {
            column();
            std::memcpy(out, rankText, rankLength);
            out += rankLength;
        }
        if (_printOrder) {
            column();
            out = std::to_chars(out, out + 32, order).ptr;
        }
        if (_printProbability) {
            column();
            out = _PutReal(out, probability);
        }
        if (contribution) {
            column();
            out = _PutReal(out, top != 0.0 ? probability / top : 0.0);
        }
        if (_printFailureIntensity) {
            column();
            out = _PutReal(out, manager->ComputeFailureIntensityOfMinimalCutset(&cutset));
        }
        const int* members = cutset.GetIndices();
        for (int k = 0; k < order; ++k) {
            if (anyColumn || k > 0) separate();
            const Index& data = lookUp(members[k]);
            const char* from = pool.data() + data.offset;
            for (std::size_t i = 0; i < data.size; i += 16) std::memcpy(out + i, from + i, 16);
            out += data.size;
        }
        _bufferUsed += static_cast<std::size_t>(out - start);
        _EndLine(stream);
    }
}

// --- probabilities ---------------------------------------------------------------

void KEFOModelPrinter::PrintProbabilisticCalculationHeader(KEFOHandle* handle, PLOVStream* stream) {
    _BeginReport(stream);
    _Header(handle, stream);
    _EndReport(stream);
}

void KEFOModelPrinter::_Header(KEFOHandle* handle, PLOVStream* stream) {
    _Text("variable");
    _Separator();
    _Text(handle != nullptr ? NameOf(handle->GetVariable()) : "");
    _EndLine(stream);
    _Text("source-handle");
    _Separator();
    _Text(handle != nullptr ? handle->GetName() : "");
    _EndLine(stream);
    _Text("quantification-method");
    _Separator();
    _Text(GetQuantificationMethodAcronym(handle != nullptr ? handle->GetQuantificationMethod() : 0));
    _EndLine(stream);
}

void KEFOModelPrinter::PrintVariableProbability(KEFOHandle* handle, double t, double q, PLOVStream* stream) {
    _BeginReport(stream);
    _Header(handle, stream);
    _Text("time");
    _Separator();
    _Text("Q");
    _EndLine(stream);
    _Real(t);
    _Separator();
    _Real(q);
    _EndLine(stream);
    _EndReport(stream);
}

void KEFOModelPrinter::PrintUnavailability(KEFOHandle* handle, const PLOVCurve* curve, PLOVStream* stream) {
    _BeginReport(stream);
    _Header(handle, stream);
    _Text("time");
    if (_printUnavailability) {
        _Separator();
        _Text("Q");
    }
    if (_printMeanUnavailability) {
        _Separator();
        _Text("Qavg");
    }
    _EndLine(stream);
    if (curve != nullptr) {
        bool first = true;
        double t0 = 0.0, previousT = 0.0, previousQ = 0.0, integral = 0.0;
        for (const auto& point : curve->GetPoints()) {
            const double t = point.first;
            const double q = point.second;
            double mean = q;
            if (first) {
                t0 = t;
            } else {
                if (t == previousT) continue;
                integral += (q + previousQ) / 2.0 * (t - previousT);
                mean = integral / (t - t0);
            }
            first = false;
            previousT = t;
            previousQ = q;
            _Real(t);
            if (_printUnavailability) {
                _Separator();
                _Real(q);
            }
            if (_printMeanUnavailability) {
                _Separator();
                _Real(mean);
            }
            _EndLine(stream);
        }
    }
    _EndReport(stream);
}

void KEFOModelPrinter::PrintValuesOfParameters(KEFOVariable* variable, double t,
                                                const std::vector<KEFOParameter*>& parameters, PLOVStream* stream) {
    _BeginReport(stream);
    _Text("variable");
    _Separator();
    _Text(NameOf(variable));
    _EndLine(stream);
    _Text("time");
    _Separator();
    _Real(t);
    _EndLine(stream);
    _Text("parameter");
    _Separator();
    _Text("value");
    _EndLine(stream);
    for (const KEFOParameter* parameter : parameters) {
        _Text(parameter->GetPathAsString());
        _Separator();
        const KEFOStochasticExpression* definition = parameter->GetDefinitionAsExpression();
        _Text(definition != nullptr ? definition->GetValue().ToString() : PLOVManagedValue().ToString());
        _EndLine(stream);
    }
    _EndReport(stream);
}

void KEFOModelPrinter::PrintProbabilitiesOfStateVariables(KEFOVariable* variable, double t,
                                                           const std::vector<KEFOVariable*>& variables,
                                                           PLOVStream* stream) {
    _BeginReport(stream);
    _Text("variable");
    _Separator();
    _Text(NameOf(variable));
    _EndLine(stream);
    _Text("time");
    _Separator();
    _Real(t);
    _EndLine(stream);
    _Text("variable");
    _Separator();
    _Text("Q");
    _EndLine(stream);
    for (const KEFOVariable* event : variables) {
        _Text(NameOf(event));
        _Separator();
        _Real(event->GetProbability());
        _EndLine(stream);
    }
    _EndReport(stream);
}

// --- counting reports -------------------------------------------------------------

void KEFOModelPrinter::PrintMatrixAtCSVFormat(const PLOVManagedValue& matrix, PLOVStream* stream) {
    _BeginReport(stream);
    const int rows = matrix.GetNumberOfRows();
    const int columns = matrix.GetNumberOfColumns();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) _Separator();
            const PLOVManagedValue& cell = matrix.GetValueInMatrix(r, c);
            if (cell.IsInt()) {
                _Integer(cell.GetInt());
            } else if (cell.IsDouble()) {
                const double v = cell.GetDouble();
                if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9007199254740992.0)
                    _Integer(static_cast<long long>(v));
                else
                    _Real(v);
            } else if (!cell.IsNil()) {
                _Text(cell.ToRawString());
            }
        }
        _EndLine(stream);
    }
    _EndReport(stream);
}

void KEFOModelPrinter::PrintNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOHandle* handle,
                                                                              PLOVStream* stream) {
    _BeginReport(stream);
    _Text("Variables");
    _Separator();
    _Text("#Occurrences");
    _EndLine(stream);
    KEFOVariable** variables = nullptr;
    int* counts = nullptr;
    int highest = 0;
    long long total = 0;
    long long occurring = 0;
    if (handle != nullptr) {
        handle->ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(variables, counts, highest);
        std::unordered_set<const KEFOVariable*> own(handle->GetStateVariables().begin(),
                                                    handle->GetStateVariables().end());
        if (variables != nullptr && counts != nullptr) {
            for (int i = 1; i <= highest; ++i) {
                const KEFOVariable* variable = variables[i];
                if (variable == nullptr || (counts[i] == 0 && own.count(variable) == 0)) continue;
                _Text(NameOf(variable));
                _Separator();
                _Integer(counts[i]);
                _EndLine(stream);
                total += counts[i];
                if (counts[i] > 0) ++occurring;
            }
        }
        if (variables != nullptr) PLOVMemoryManager::DeleteCell(variables);
        if (counts != nullptr) PLOVMemoryManager::DeleteCell(counts);
    }
    _Text("#Occurrences");
    _Separator();
    _Integer(total);
    _EndLine(stream);
    _Text("#Variables");
    _Separator();
    _Integer(occurring);
    _EndLine(stream);
    _EndReport(stream);
}
