// The steady clock for the benchmarks, in a file of its own: in C++20 <chrono>
// holds a "µs" literal that has no GBK form, so it cannot be included where
// narrow literals are compiled to GBK.
#pragma once

// Microseconds on std::chrono::steady_clock, from an arbitrary start.
double SteadyMicroseconds();
