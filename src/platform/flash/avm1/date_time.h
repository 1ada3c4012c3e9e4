// Time arithmetic of the Date class: milliseconds since 1970-01-01 UTC as a double, split into
// calendar fields and put back together, with out-of-range fields rolling over (month 13 is
// January of the next year, day 0 the last day of the month before). The local zone comes from
// the C library (TZ); the arithmetic itself is pure so it can be tested without one.
#pragma once

#include <QString>

namespace pencora::avm1 {

struct DateFields {
    double year = 0;   // full year, e.g. 2001
    double month = 0;  // 0..11
    double date = 1;   // 1..31
    double hours = 0;
    double minutes = 0;
    double seconds = 0;
    double ms = 0;
    double day = 0;  // weekday, 0 = Sunday; read only
};

// Fields of a finite time; every field is NaN when `t` is not finite.
DateFields splitTime(double t);
// The time of the fields, each truncated towards zero first; NaN if any field is not finite.
// `day` is ignored.
double makeTime(const DateFields& f);

// Offset of local time from UTC at the UTC time `t`, in milliseconds (east is positive).
double localOffset(double t);
double toLocal(double t);
double fromLocal(double local);

// "Sat Feb 3 04:05:06 GMT+0545 2001"; "Invalid Date" when `t` is not finite.
QString dateToString(double t, double offsetMs);

}  // namespace pencora::avm1
