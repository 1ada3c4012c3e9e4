#include "platform/flash/avm1/date_time.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace pencora::avm1 {

namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Days from 1970-01-01 to the first day of `year` (proleptic Gregorian).
double daysFromCivil(double year) {
    return 365.0 * (year - 1970) + std::floor((year - 1969) / 4) - std::floor((year - 1901) / 100) +
           std::floor((year - 1601) / 400);
}

bool isLeap(double year) {
    return std::fmod(year, 4) == 0 && (std::fmod(year, 100) != 0 || std::fmod(year, 400) == 0);
}

double daysBeforeMonth(int month, bool leap) {
    static const int kCumulative[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return kCumulative[month] + (leap && month >= 2 ? 1 : 0);
}

double positiveMod(double a, double b) {
    double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

}  // namespace

DateFields splitTime(double t) {
    DateFields f;
    if (!std::isfinite(t)) {
        f.year = f.month = f.date = f.hours = f.minutes = f.seconds = f.ms = f.day = kNaN;
        return f;
    }
    double day = std::floor(t / kMsPerDay);
    double inDay = t - day * kMsPerDay;
    f.ms = std::floor(positiveMod(inDay, 1000));
    f.seconds = std::floor(inDay / 1000);
    f.minutes = std::floor(f.seconds / 60);
    f.hours = std::floor(f.minutes / 60);
    f.seconds -= f.minutes * 60;
    f.minutes -= f.hours * 60;
    f.day = positiveMod(day + 4, 7);  // 1970-01-01 was a Thursday

    double year = std::floor(day / 365.2425) + 1970;
    while (daysFromCivil(year) > day) {
        --year;
    }
    while (daysFromCivil(year + 1) <= day) {
        ++year;
    }
    f.year = year;
    double inYear = day - daysFromCivil(year);
    bool leap = isLeap(year);
    int month = 11;
    while (month > 0 && daysBeforeMonth(month, leap) > inYear) {
        --month;
    }
    f.month = month;
    f.date = inYear - daysBeforeMonth(month, leap) + 1;
    return f;
}

double makeTime(const DateFields& f) {
    const double parts[] = {f.year, f.month, f.date, f.hours, f.minutes, f.seconds, f.ms};
    for (double p : parts) {
        if (!std::isfinite(p)) {
            return kNaN;
        }
    }
    double month = std::trunc(f.month);
    double year = std::trunc(f.year) + std::floor(month / 12);
    int inYear = static_cast<int>(positiveMod(month, 12));
    double day =
        daysFromCivil(year) + daysBeforeMonth(inYear, isLeap(year)) + std::trunc(f.date) - 1;
    double time = std::trunc(f.hours) * 3600000.0 + std::trunc(f.minutes) * 60000.0 +
                  std::trunc(f.seconds) * 1000.0 + std::trunc(f.ms);
    return day * kMsPerDay + time;
}

double localOffset(double t) {
    if (!std::isfinite(t)) {
        return kNaN;
    }
    // Far outside what time_t and the zone database cover, the offset of the nearest year the
    // C library still answers for is as good as any.
    constexpr double kLimit = 8.64e15;
    std::time_t seconds =
        static_cast<std::time_t>(std::floor(std::fmin(std::fmax(t, -kLimit), kLimit) / 1000));
    std::tm tm{};
    if (!localtime_r(&seconds, &tm)) {
        return 0;
    }
    return double(tm.tm_gmtoff) * 1000.0;
}

double toLocal(double t) {
    return t + localOffset(t);
}

double fromLocal(double local) {
    double guess = local - localOffset(local);
    return local - localOffset(guess);
}

QString dateToString(double t, double offsetMs) {
    if (!std::isfinite(t) || !std::isfinite(offsetMs)) {
        return QStringLiteral("Invalid Date");
    }
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    DateFields f = splitTime(t + offsetMs);
    long long offsetMinutes = std::llround(offsetMs / 60000);
    long long absMinutes = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    auto two = [](double v) {
        return QStringLiteral("%1").arg(qlonglong(v), 2, 10, QLatin1Char('0'));
    };
    return QStringLiteral("%1 %2 %3 %4:%5:%6 GMT%7%8%9 %10")
        .arg(QLatin1String(kDays[int(f.day)]), QLatin1String(kMonths[int(f.month)]))
        .arg(qlonglong(f.date))
        .arg(two(f.hours), two(f.minutes), two(f.seconds))
        .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(two(double(absMinutes / 60)), two(double(absMinutes % 60)))
        .arg(qlonglong(f.year));
}

}  // namespace pencora::avm1
