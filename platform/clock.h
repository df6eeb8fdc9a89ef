// The clock seam: local time, the tick count and the moment of the last input.
#pragma once

#include <cstdint>
#include <string>

struct LocalTime {
    int year = 0;
    int month = 0;      // 1 to 12
    int dayOfWeek = 0;  // 0 Sunday to 6 Saturday
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    virtual std::uint32_t TickCount() = 0;      // milliseconds since the system started, wrapping
    virtual std::uint32_t LastInputTick() = 0;  // tick count of the last user input
    // Milliseconds since the system started, without the wrap of the tick
    // count every 49.7 days: what a boot-time schedule counts from.
    virtual std::uint64_t UptimeMilliseconds() = 0;
    // The user's short date picture, such as "yyyy/M/d", as GBK text.
    virtual std::string ShortDatePicture() = 0;
};
