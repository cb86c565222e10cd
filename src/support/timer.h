// Timer of the running-time lines: accumulates wall-clock seconds and
// processor-clock ticks between Start and Stop.
#ifndef KEFO_SUPPORT_TIMER_H
#define KEFO_SUPPORT_TIMER_H

#include "support/memory_manager.h"

#include <ctime>
#include <string>

class PLOVTimer {
    PLOV_MANAGED_ALLOCATION(PLOVTimer)
public:
    PLOVTimer() = default;
    void Reset();
    void Start();
    void Stop();
    double GetWallClockSeconds() const;
    double GetProcessorSeconds() const;
    // Whole seconds, a point and two digits of hundredths of the processor
    // time while the wall-clock time is under a minute; the wall-clock
    // seconds in "%g" from a minute on.
    std::string ToString() const;
    // The same text for given processor and wall-clock times.
    static std::string Format(double processorSeconds, double wallClockSeconds);

private:
    double _wallSeconds = 0.0;
    std::clock_t _ticks = 0;
    std::time_t _wallStart = 0;
    std::clock_t _tickStart = 0;
    bool _running = false;
};

#endif
