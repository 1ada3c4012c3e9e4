// Date: the constructor forms, Date.UTC, the local and UTC getters and setters, toString.
// A date is a Date-kind primitive object holding milliseconds since 1970 UTC (NaN when invalid).
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/flash/avm1/date_time.h"
#include "platform/flash/avm1/function_object.h"
#include "platform/flash/avm1/machine_impl.h"
#include "platform/flash/avm1/primitive_object.h"

namespace pencora::avm1 {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

PrimitiveObject* thisDate(const Value& self) {
    Object* o = nativeOf(self.object());
    return o && o->kind() == ObjectKind::Date ? static_cast<PrimitiveObject*>(o) : nullptr;
}

double timeOf(const Value& self) {
    PrimitiveObject* d = thisDate(self);
    return d ? d->primitive.number() : kNaN;
}

// The largest distance from 1970 a date may lie, 100 million days either way in milliseconds;
// beyond it the date is invalid.
constexpr double kMaxTime = 8.64e15;

// A time as a date may hold it: whole milliseconds within the range, NaN otherwise.
double clipTime(double t) {
    return std::isfinite(t) && std::fabs(t) <= kMaxTime ? std::trunc(t) + 0.0 : kNaN;
}

// setYear reads 0..99 as 1900..1999; any other year, negative ones too, is a full year.
double fullYear(double y) {
    double whole = std::trunc(y);
    return whole >= 0 && whole <= 99 ? 1900 + whole : y;
}

// The constructor and Date.UTC add 1900 to every year below 100, negative ones too: new Date(-1,
// 0) is January 1899.
double constructorYear(double y) {
    return y < 100 ? 1900 + std::trunc(y) : y;
}

// Year, month[, date, hours, minutes, seconds, ms] from the arguments, converted in order;
// missing ones keep the defaults (day 1, midnight).
DateFields fieldsFromArgs(Machine& m, const std::vector<Value>& args) {
    DateFields f;
    double* parts[] = {&f.year, &f.month, &f.date, &f.hours, &f.minutes, &f.seconds, &f.ms};
    for (size_t i = 0; i < args.size() && i < 7; ++i) {
        *parts[i] = m.toNumber(args[i]);
    }
    f.year = constructorYear(f.year);
    return f;
}

double nowOrArgs(Machine& m, const std::vector<Value>& args) {
    if (args.empty()) {
        return m.host().wallClock();
    }
    if (args.size() == 1) {
        // A time value is kept as given, fractions of a millisecond too, when it is in range.
        double t = m.toNumber(args[0]);
        return std::isfinite(t) && std::fabs(t) <= kMaxTime ? t : kNaN;
    }
    return clipTime(fromLocal(makeTime(fieldsFromArgs(m, args))));
}

Value dateCtor(Machine& m, const Value&, std::vector<Value>&) {
    // Called as a function, Date ignores its arguments and prints the current time.
    double now = m.host().wallClock();
    return Value(dateToString(now, localOffset(now)));
}

Value dateConstruct(Machine& m, const Value&, std::vector<Value>& args) {
    double t = nowOrArgs(m, args);
    return Value(m.heap().make<PrimitiveObject>(m.protos().date, ObjectKind::Date, Value(t)));
}

Value dateUtc(Machine& m, const Value&, std::vector<Value>& args) {
    if (args.size() < 2) {
        return Value();
    }
    return Value(clipTime(makeTime(fieldsFromArgs(m, args))));
}

Value dateValueOf(Machine&, const Value& self, std::vector<Value>&) {
    return Value(timeOf(self));
}

Value dateToStringNative(Machine&, const Value& self, std::vector<Value>&) {
    double t = timeOf(self);
    return Value(dateToString(t, localOffset(t)));
}

Value dateTimezoneOffset(Machine&, const Value& self, std::vector<Value>&) {
    double t = timeOf(self);
    return Value(std::isfinite(t) ? -localOffset(t) / 60000 : kNaN);
}

// One getter: the field of the time split in local time or UTC.
template <double DateFields::*Field, bool Utc, int Bias = 0>
Value dateGet(Machine&, const Value& self, std::vector<Value>&) {
    double t = timeOf(self);
    return Value(splitTime(Utc ? t : toLocal(t)).*Field - Bias);
}

// A setter replaces fields from `first` on, as many as it was given and the method accepts,
// and stores the new time, clipped to the valid range. The time is read before any argument is
// converted, so a valueOf that changes the date does not change what the setter starts from;
// arguments past the ones the method accepts are not converted at all. With no argument the
// date becomes invalid; an invalid date stays invalid.
enum Slot { Year, Month, Day, Hours, Minutes, Seconds, Ms };

template <Slot First, int Count, bool Utc, bool TwoDigitYear = false>
Value dateSet(Machine& m, const Value& self, std::vector<Value>& args) {
    PrimitiveObject* d = thisDate(self);
    if (!d) {
        return Value(kNaN);
    }
    double t = d->primitive.number();
    size_t count = std::min<size_t>(args.size(), Count);
    double given[Count];
    for (size_t i = 0; i < count; ++i) {
        given[i] = m.toNumber(args[i]);
    }
    if (count == 0 || std::isnan(t)) {
        d->primitive = Value(kNaN);
        return Value(kNaN);
    }
    DateFields f = splitTime(Utc ? t : toLocal(t));
    double* parts[] = {&f.year, &f.month, &f.date, &f.hours, &f.minutes, &f.seconds, &f.ms};
    for (size_t i = 0; i < count; ++i) {
        *parts[First + i] = given[i];
    }
    if (TwoDigitYear) {
        f.year = fullYear(f.year);
    }
    double local = makeTime(f);
    t = clipTime(Utc ? local : fromLocal(local));
    d->primitive = Value(t);
    return Value(t);
}

Value dateSetTime(Machine& m, const Value& self, std::vector<Value>& args) {
    PrimitiveObject* d = thisDate(self);
    if (!d) {
        return Value(kNaN);
    }
    double t = args.empty() ? kNaN : clipTime(m.toNumber(args[0]));
    d->primitive = Value(t);
    return Value(t);
}

using F = DateFields;

const NativeEntry kPrototype[] = {
    {"getFullYear", dateGet<&F::year, false>},
    {"getYear", dateGet<&F::year, false, 1900>},
    {"getMonth", dateGet<&F::month, false>},
    {"getDate", dateGet<&F::date, false>},
    {"getDay", dateGet<&F::day, false>},
    {"getHours", dateGet<&F::hours, false>},
    {"getMinutes", dateGet<&F::minutes, false>},
    {"getSeconds", dateGet<&F::seconds, false>},
    {"getMilliseconds", dateGet<&F::ms, false>},
    {"getUTCFullYear", dateGet<&F::year, true>},
    {"getUTCYear", dateGet<&F::year, true, 1900>},
    {"getUTCMonth", dateGet<&F::month, true>},
    {"getUTCDate", dateGet<&F::date, true>},
    {"getUTCDay", dateGet<&F::day, true>},
    {"getUTCHours", dateGet<&F::hours, true>},
    {"getUTCMinutes", dateGet<&F::minutes, true>},
    {"getUTCSeconds", dateGet<&F::seconds, true>},
    {"getUTCMilliseconds", dateGet<&F::ms, true>},
    {"getTime", dateValueOf},
    {"getTimezoneOffset", dateTimezoneOffset},
    {"setFullYear", dateSet<Year, 3, false>},
    {"setYear", dateSet<Year, 3, false, true>},
    {"setMonth", dateSet<Month, 2, false>},
    {"setDate", dateSet<Day, 1, false>},
    {"setHours", dateSet<Hours, 4, false>},
    {"setMinutes", dateSet<Minutes, 3, false>},
    {"setSeconds", dateSet<Seconds, 2, false>},
    {"setMilliseconds", dateSet<Ms, 1, false>},
    {"setUTCFullYear", dateSet<Year, 3, true>},
    {"setUTCMonth", dateSet<Month, 2, true>},
    {"setUTCDate", dateSet<Day, 1, true>},
    {"setUTCHours", dateSet<Hours, 4, true>},
    {"setUTCMinutes", dateSet<Minutes, 3, true>},
    {"setUTCSeconds", dateSet<Seconds, 2, true>},
    {"setUTCMilliseconds", dateSet<Ms, 1, true>},
    {"setTime", dateSetTime},
    {"toString", dateToStringNative},
    {"valueOf", dateValueOf},
};

const NativeEntry kStatics[] = {
    {"UTC", dateUtc},
};

}  // namespace

void installDateClass(Machine& m) {
    Object* proto =
        m.heap().make<PrimitiveObject>(m.protos().object, ObjectKind::Date, Value(kNaN));
    m.protos().date = proto;
    installTable(m, proto, kPrototype);
    FunctionObject* ctor = m.makeClass(dateCtor, proto, dateConstruct);
    installTable(m, ctor, kStatics);
    m.global()->put(QStringLiteral("Date"), Value(ctor), kDontEnum);
}

}  // namespace pencora::avm1
