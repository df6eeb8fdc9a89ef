#pragma once

#include "platform/clock.h"

struct _SYSTEMTIME;
LocalTime LocalTimeFrom(const _SYSTEMTIME& t);

class Win32Clock : public Clock {
public:
    LocalTime Now() override;
    std::uint32_t TickCount() override;
    std::uint32_t LastInputTick() override;
    std::uint64_t UptimeMilliseconds() override;
    std::string ShortDatePicture() override;
};
