#include "bench/stopwatch.h"

#include <chrono>

double SteadyMicroseconds() {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
