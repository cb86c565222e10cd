#include "diagrams/cutoff.h"

#include "support/stream.h"

void KEFOCutoff::Dump(FILE* file) const {
    if (file == nullptr) return;
    std::fprintf(file, "maximum-number\t%d\n", _maximumNumber);
    std::fprintf(file, "maximum-order\t%d\n", _maximumOrder);
    std::fprintf(file, "minimum-probability\t%g\n", _minimumProbability);
    std::fprintf(file, "mission-time\t%g\n", _missionTime);
    std::fprintf(file, "weight-scale-factor\t%g\n", _weightScaleFactor);
    std::fflush(file);
}

void KEFOCutoff::Dump(PLOVStream* stream) const {
    if (stream == nullptr) return;
    stream->Printf("maximum-number\t%d\n", _maximumNumber);
    stream->Printf("maximum-order\t%d\n", _maximumOrder);
    stream->Printf("minimum-probability\t%g\n", _minimumProbability);
    stream->Printf("mission-time\t%g\n", _missionTime);
    stream->Printf("weight-scale-factor\t%g\n", _weightScaleFactor);
    stream->Flush();
}
