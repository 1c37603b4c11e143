#include "afx/ctime.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    const std::time_t made = std::mktime(&parts);
    time_ = made == static_cast<std::time_t>(-1) ? 0 : made;
}

CTime CTime::GetCurrentTime() {
    return CTime(static_cast<std::int64_t>(std::time(nullptr)));
}

std::tm CTime::Local() const {
    const auto seconds = static_cast<std::time_t>(time_);
    std::tm parts {};
    localtime_r(&seconds, &parts);
    return parts;
}
