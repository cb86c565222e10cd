#include "support/timer.h"

#include <cstdio>

void PLOVTimer::Reset() {
    _wallSeconds = 0.0;
    _ticks = 0;
    _running = false;
}

void PLOVTimer::Start() {
    _wallStart = std::time(nullptr);
    _tickStart = std::clock();
    _running = true;
}

void PLOVTimer::Stop() {
    if (!_running) return;
    _wallSeconds += std::difftime(std::time(nullptr), _wallStart);
    _ticks += std::clock() - _tickStart;
    _running = false;
}

double PLOVTimer::GetWallClockSeconds() const { return _wallSeconds; }

double PLOVTimer::GetProcessorSeconds() const { return static_cast<double>(_ticks) / CLOCKS_PER_SEC; }

std::string PLOVTimer::ToString() const { return Format(GetProcessorSeconds(), GetWallClockSeconds()); }

std::string PLOVTimer::Format(double processorSeconds, double wallClockSeconds) {
    char buffer[64];
    if (wallClockSeconds < 60.0) {
        long hundredths = static_cast<long>(processorSeconds * 100.0 + 0.5);
        if (hundredths < 0) hundredths = 0;
        std::snprintf(buffer, sizeof buffer, "%ld.%02ld", hundredths / 100, hundredths % 100);
    } else {
        std::snprintf(buffer, sizeof buffer, "%g", wallClockSeconds);
    }
    return buffer;
}
