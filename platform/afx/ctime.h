// CTime: a moment in whole seconds since 1970 (UTC), shown in local time.
// The archive stores it as a 64-bit count of seconds.
#pragma once

#include <cstdint>
#include <ctime>

#include "afx/archive.h"

class CTime {
public:
    CTime() = default;
    explicit CTime(std::int64_t seconds) : time_(seconds) {}
    // A local date and time; an impossible one gives 0.
    CTime(int year, int month, int day, int hour, int minute, int second);
    static CTime GetCurrentTime();

    std::int64_t GetTime() const { return time_; }
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }

    friend bool operator==(const CTime& a, const CTime& b) { return a.time_ == b.time_; }
    friend bool operator<(const CTime& a, const CTime& b) { return a.time_ < b.time_; }
    friend std::int64_t operator-(const CTime& a, const CTime& b) { return a.time_ - b.time_; }
    friend CArchive& operator<<(CArchive& archive, const CTime& time) { return archive << LONGLONG {time.time_}; }
    friend CArchive& operator>>(CArchive& archive, CTime& time) {
        LONGLONG seconds = 0;
        archive >> seconds;
        time.time_ = seconds;
        return archive;
    }

private:
    std::tm Local() const;
    std::int64_t time_ = 0;
};
