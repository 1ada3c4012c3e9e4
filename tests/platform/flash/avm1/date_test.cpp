// Date: calendar arithmetic, rollover of out-of-range fields, the local zone and the class.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/flash/avm1/date_time.h"
#include "platform/flash/avm1/function_object.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

// Pins the local zone for the test's lifetime; by default a fixed GMT+0545 without summer time,
// an offset that is not a whole hour.
class FixedZone {
  public:
    explicit FixedZone(const char* zone = "<+0545>-5:45") {
        if (const char* tz = std::getenv("TZ")) {
            saved_ = tz;
            had_ = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~FixedZone() {
        if (had_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::string saved_;
    bool had_ = false;
};

}  // namespace

TEST(DateTime, FieldsRoundTripAndRollOver) {
    struct Row {
        const char* name;
        DateFields in;
        double time;  // UTC ms
        double year, month, date, day;
    };
    const Row rows[] = {
        {"epoch", {1970, 0, 1, 0, 0, 0, 0}, 0, 1970, 0, 1, 4},
        {"leap day", {2000, 1, 29, 12, 0, 0, 0}, 951825600000, 2000, 1, 29, 2},
        {"1900 is not leap", {1900, 1, 29, 0, 0, 0, 0}, -2203891200000, 1900, 2, 1, 4},
        {"month 13", {2000, 13, 1, 0, 0, 0, 0}, 980985600000, 2001, 1, 1, 4},
        {"month -1", {2000, -1, 1, 0, 0, 0, 0}, 944006400000, 1999, 11, 1, 3},
        {"day 0 is the month before's last",
         {2001, 2, 0, 0, 0, 0, 0},
         983318400000,
         2001,
         1,
         28,
         3},
        {"hours 24 and minutes 60", {2000, 11, 31, 24, 60, 0, 0}, 978310800000, 2001, 0, 1, 1},
        {"fractions truncate", {2000.9, 0.9, 1.9, 0.9, 0.9, 0.9, 0.9}, 946684800000, 2000, 0, 1, 6},
        {"before 1970", {1919, 5, 19, 3, 40, 12, 347}, -1594844387653, 1919, 5, 19, 4},
        {"far future", {275760, 8, 13, 0, 0, 0, 0}, 8.64e15, 275760, 8, 13, 6},
        {"far past", {-271821, 3, 20, 0, 0, 0, 0}, -8.64e15, -271821, 3, 20, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(makeTime(r.in), r.time);
        DateFields out = splitTime(r.time);
        EXPECT_EQ(out.year, r.year);
        EXPECT_EQ(out.month, r.month);
        EXPECT_EQ(out.date, r.date);
        EXPECT_EQ(out.day, r.day);
    }
    // Negative times split towards the past: -500 ms is 23:59:59.500 the day before.
    DateFields before = splitTime(-500);
    EXPECT_EQ(before.year, 1969);
    EXPECT_EQ(before.hours, 23);
    EXPECT_EQ(before.seconds, 59);
    EXPECT_EQ(before.ms, 500);
    EXPECT_TRUE(std::isnan(makeTime({2000, NAN, 1, 0, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(makeTime({INFINITY, 0, 1, 0, 0, 0, 0})));
    EXPECT_TRUE(std::isnan(splitTime(INFINITY).year));
}

TEST(DateTime, PrintsInTheFlashFormat) {
    const double offset = 345 * 60000.0;
    EXPECT_EQ(dateToString(981152406000, offset), "Sat Feb 3 04:05:06 GMT+0545 2001");
    EXPECT_EQ(dateToString(0, -3.5 * 3600000), "Wed Dec 31 20:30:00 GMT-0330 1969");
    EXPECT_EQ(dateToString(-8.64e15, 0), "Tue Apr 20 00:00:00 GMT+0000 -271821");
    EXPECT_EQ(dateToString(NAN, 0), "Invalid Date");
    EXPECT_EQ(dateToString(INFINITY, 0), "Invalid Date");
}

TEST(DateTime, LocalZoneFromTheCLibrary) {
    FixedZone zone;
    EXPECT_EQ(localOffset(0), 345 * 60000.0);
    EXPECT_EQ(toLocal(0), 345 * 60000.0);
    EXPECT_EQ(fromLocal(345 * 60000.0), 0);
    EXPECT_EQ(localOffset(8.64e15), 345 * 60000.0);  // beyond the zone data: still answered
    EXPECT_TRUE(std::isnan(localOffset(NAN)));
}

namespace {

struct DateClass : ::testing::Test {
    FixedZone zone;
    Fixture f;
    Machine& m = f.machine;

    Value make(std::vector<Value> args) {
        return m.construct(m.get(m.global(), QStringLiteral("Date")), args);
    }
    Value callOn(const Value& target, const char* method, std::vector<Value> args = {}) {
        RunResult r = m.callValue(m.getMember(target, QString::fromLatin1(method)), target,
                                  std::move(args), 8);
        EXPECT_TRUE(r.ok());
        return r.value;
    }
    double num(const Value& target, const char* method, std::vector<Value> args = {}) {
        return m.toNumber(callOn(target, method, std::move(args)));
    }
    QString text(const Value& v) { return m.toString(v); }
};

}  // namespace

TEST_F(DateClass, ConstructorForms) {
    EXPECT_EQ(text(make({})), "Sat Feb 3 04:05:06 GMT+0545 2001");  // the host's clock
    EXPECT_EQ(num(make({Value(5.5)}), "getTime"), 5.5);             // kept as given
    Value d = make({Value(2001), Value(1), Value(3), Value(4), Value(5), Value(6)});
    EXPECT_EQ(num(d, "getTime"), 981152406000);
    EXPECT_EQ(m.toNumber(d), 981152406000);  // valueOf
    // Years below 100 are 1900 + year; negative ones too, before the month rolls over.
    EXPECT_EQ(num(make({Value(1), Value(2)}), "getFullYear"), 1901);
    EXPECT_EQ(num(make({Value(-1), Value(-2), Value(-3)}), "getFullYear"), 1898);
    EXPECT_EQ(num(make({Value(7002.5), Value(13.5), Value(32.5)}), "getMonth"), 2);
    EXPECT_EQ(text(make({Value(NAN)})), "Invalid Date");
    EXPECT_EQ(text(make({Value(0), Value(0), Value(NAN)})), "Invalid Date");
    // Called as a function it prints the current time and ignores its arguments.
    RunResult r = m.callValue(m.get(m.global(), QStringLiteral("Date")), Value(), {Value(0)}, 8);
    EXPECT_EQ(text(r.value), "Sat Feb 3 04:05:06 GMT+0545 2001");
}

TEST_F(DateClass, UtcNeedsYearAndMonth) {
    Value date = m.get(m.global(), QStringLiteral("Date"));
    EXPECT_TRUE(callOn(date, "UTC", {Value(1)}).isUndefined());
    EXPECT_EQ(num(date, "UTC", {Value(1), Value(2)}), -2172355200000);
    EXPECT_EQ(num(date, "UTC",
                  {Value(-1), Value(-2), Value(-3), Value(-4), Value(-5), Value(-6), Value(-7)}),
              -2246155506007);
}

TEST_F(DateClass, LocalAndUtcGettersDiffer) {
    Value d = make({Value(1594844387653.0)});
    EXPECT_EQ(num(d, "getDate"), 16);
    EXPECT_EQ(num(d, "getUTCDate"), 15);
    EXPECT_EQ(num(d, "getHours"), 2);
    EXPECT_EQ(num(d, "getUTCHours"), 20);
    EXPECT_EQ(num(d, "getMinutes"), 4);
    EXPECT_EQ(num(d, "getUTCMinutes"), 19);
    EXPECT_EQ(num(d, "getDay"), 4);
    EXPECT_EQ(num(d, "getUTCDay"), 3);
    EXPECT_EQ(num(d, "getYear"), 120);
    EXPECT_EQ(num(d, "getMilliseconds"), 653);
    EXPECT_EQ(num(d, "getTimezoneOffset"), -345);
    EXPECT_TRUE(std::isnan(num(make({Value(NAN)}), "getTimezoneOffset")));
}

TEST_F(DateClass, SettersRollOverAndReturnTheTime) {
    struct Row {
        const char* method;
        std::vector<Value> args;
        const char* expected;
    };
    const Row rows[] = {
        {"setFullYear", {Value(2000)}, "Sun Jul 16 02:04:47 GMT+0545 2000"},
        {"setFullYear", {Value(2000), Value(13), Value(31)}, "Sat Mar 3 02:04:47 GMT+0545 2001"},
        {"setYear", {Value(0)}, "Mon Jul 16 02:04:47 GMT+0545 1900"},
        {"setYear", {Value(-1)}, "Fri Jul 16 02:04:47 GMT+0545 -1"},
        {"setYear", {Value(99.5), Value(0), Value(2)}, "Sat Jan 2 02:04:47 GMT+0545 1999"},
        {"setYear", {Value(100)}, "Fri Jul 16 02:04:47 GMT+0545 100"},
        {"setYear", {Value(0), Value(NAN)}, "Invalid Date"},
        {"setMonth", {Value(1)}, "Sun Feb 16 02:04:47 GMT+0545 2020"},
        {"setDate", {Value(0)}, "Tue Jun 30 02:04:47 GMT+0545 2020"},
        {"setHours", {Value(25), Value(0)}, "Fri Jul 17 01:00:47 GMT+0545 2020"},
        {"setMinutes", {Value(-1)}, "Thu Jul 16 01:59:47 GMT+0545 2020"},
        {"setSeconds", {Value(60), Value(1000)}, "Thu Jul 16 02:05:01 GMT+0545 2020"},
        {"setUTCHours", {Value(0)}, "Wed Jul 15 06:04:47 GMT+0545 2020"},
        {"setUTCDate", {Value(1)}, "Thu Jul 2 02:04:47 GMT+0545 2020"},
        {"setFullYear", {}, "Invalid Date"},  // a missing argument is NaN
        {"setTime", {Value(0)}, "Thu Jan 1 05:45:00 GMT+0545 1970"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.method);
        Value d = make({Value(1594844387653.0)});
        Value result = callOn(d, r.method, r.args);
        EXPECT_EQ(text(d).toStdString(), r.expected);
        EXPECT_EQ(text(result), text(Value(m.toNumber(d))));
    }
    // An invalid date stays invalid whatever is set, except through setTime.
    Value bad = make({Value(NAN)});
    EXPECT_TRUE(std::isnan(num(bad, "setFullYear", {Value(2000)})));
    EXPECT_EQ(num(bad, "setTime", {Value(1000)}), 1000);
}

TEST_F(DateClass, TimesOutsideTheRangeAreInvalid) {
    const double kMax = 8.64e15;
    Value date = m.get(m.global(), QStringLiteral("Date"));
    EXPECT_EQ(num(make({Value(kMax)}), "getTime"), kMax);
    EXPECT_EQ(num(make({Value(-kMax)}), "getUTCFullYear"), -271821);
    for (double t : {kMax + 1, -kMax - 1, double(INFINITY), -double(INFINITY)}) {
        SCOPED_TRACE(t);
        Value d = make({Value(t)});
        EXPECT_TRUE(std::isnan(num(d, "getTime")));
        EXPECT_TRUE(std::isnan(num(d, "getFullYear")));
        EXPECT_TRUE(std::isnan(num(d, "getUTCHours")));
        EXPECT_EQ(text(d), "Invalid Date");
    }
    // Fields that add up to a time past the range, or a field that is not finite.
    EXPECT_EQ(text(make({Value(275760), Value(8), Value(14)})), "Invalid Date");
    EXPECT_TRUE(std::isnan(
        num(date, "UTC",
            {Value(275760), Value(8), Value(13), Value(0), Value(0), Value(0), Value(1)})));
    EXPECT_EQ(num(date, "UTC", {Value(275760), Value(8), Value(13)}), kMax);
    EXPECT_TRUE(std::isnan(num(date, "UTC", {Value(0), Value(0), Value(INFINITY)})));
    EXPECT_TRUE(std::isnan(num(date, "UTC", {Value(123456789), Value(0)})));

    // setTime keeps whole milliseconds and clips; a setter that moves the time out of the range
    // leaves an invalid date, which later setters do not revive.
    Value d = make({Value(0)});
    EXPECT_EQ(num(d, "setTime", {Value(5.7)}), 5);
    EXPECT_EQ(num(d, "setTime", {Value(-5.7)}), -5);
    EXPECT_TRUE(std::isnan(num(d, "setTime", {Value(kMax + 1)})));
    EXPECT_TRUE(std::isnan(num(d, "setTime", {})));
    Value edge = make({Value(kMax)});
    EXPECT_TRUE(std::isnan(num(edge, "setUTCMilliseconds", {Value(1)})));
    EXPECT_EQ(text(edge), "Invalid Date");
    EXPECT_TRUE(std::isnan(num(edge, "setUTCMilliseconds", {Value(0)})));
    Value far = make({Value(1594844387653.0)});
    EXPECT_TRUE(std::isnan(num(far, "setFullYear", {Value(123456789)})));
    EXPECT_TRUE(std::isnan(num(far, "getTime")));
}

namespace {

// Records the order in which argument objects are converted; the first one also moves the date
// it is handed to the epoch while it is being read.
QString gConversions;
Value gDateUnderChange;

Value firstValue(Machine& m, const Value&, std::vector<Value>&) {
    gConversions += QLatin1Char('a');
    std::vector<Value> zero{Value(0)};
    m.callValue(m.getMember(gDateUnderChange, QStringLiteral("setTime")), gDateUnderChange, zero,
                8);
    return Value(1);
}
Value secondValue(Machine&, const Value&, std::vector<Value>&) {
    gConversions += QLatin1Char('b');
    return Value(2);
}
Value thirdValue(Machine&, const Value&, std::vector<Value>&) {
    gConversions += QLatin1Char('c');
    return Value(3);
}

}  // namespace

TEST_F(DateClass, SettersReadTheTimeFirstAndConvertOnlyTheArgumentsTheyTake) {
    auto withValueOf = [&](NativeFn fn) {
        Object* o = m.makeObject();
        o->put(QStringLiteral("valueOf"), Value(m.makeNative(fn)));
        return Value(o);
    };
    Value a = withValueOf(firstValue);
    Value b = withValueOf(secondValue);
    Value c = withValueOf(thirdValue);

    // 2020-07-16 02:04:47.653 local: the hours and minutes come from the arguments, the day and
    // seconds from the time as it was before the first argument reset it.
    gDateUnderChange = make({Value(1594844387653.0)});
    gConversions.clear();
    callOn(gDateUnderChange, "setHours", {a, b});
    EXPECT_EQ(gConversions, "ab");
    EXPECT_EQ(text(gDateUnderChange), "Thu Jul 16 01:02:47 GMT+0545 2020");

    // setDate takes one argument: the second is never converted.
    gConversions.clear();
    callOn(gDateUnderChange, "setDate", {b, c});
    EXPECT_EQ(gConversions, "b");
    EXPECT_EQ(num(gDateUnderChange, "getDate"), 2);
    EXPECT_EQ(num(gDateUnderChange, "getMonth"), 6);

    // The UTC setters read their arguments the same way.
    gConversions.clear();
    callOn(gDateUnderChange, "setUTCMinutes", {c, b, a, b});
    EXPECT_EQ(gConversions, "cba");
    EXPECT_EQ(num(gDateUnderChange, "getUTCMinutes"), 3);
    EXPECT_EQ(num(gDateUnderChange, "getUTCSeconds"), 2);
    EXPECT_EQ(num(gDateUnderChange, "getUTCMilliseconds"), 1);
    EXPECT_EQ(num(gDateUnderChange, "getUTCFullYear"), 2020);
    gDateUnderChange = Value();
}

TEST_F(DateClass, ArgumentsOfOtherTypesAreConvertedToNumbers) {
    EXPECT_EQ(num(make({Value(QStringLiteral("1000"))}), "getTime"), 1000);
    EXPECT_EQ(num(make({Value(true)}), "getTime"), 1);
    EXPECT_EQ(text(make({Value(QStringLiteral("Feb 3 2001"))})), "Invalid Date");
    EXPECT_EQ(num(make({make({Value(86400000.0)})}), "getTime"), 86400000);  // its valueOf
    Value d = make({Value(QStringLiteral("2001")), Value(QStringLiteral("1")), Value(true)});
    EXPECT_EQ(text(d), "Thu Feb 1 00:00:00 GMT+0545 2001");
    callOn(d, "setHours", {Value(QStringLiteral("13")), Value(false)});
    EXPECT_EQ(text(d), "Thu Feb 1 13:00:00 GMT+0545 2001");
    callOn(d, "setMonth", {Value(QStringLiteral("x"))});
    EXPECT_EQ(text(d), "Invalid Date");
}

namespace {

Value makeDate(Machine& m, std::vector<Value> args) {
    return m.construct(m.get(m.global(), QStringLiteral("Date")), args);
}

}  // namespace

TEST(DateVersions, UndefinedArgumentsFollowTheMoviesNumberRules) {
    FixedZone zone;
    // Before SWF 7 undefined counts as 0; from SWF 7 on it is NaN. A missing argument is no
    // number at all in either.
    for (int version : {6, 7}) {
        SCOPED_TRACE(version);
        Fixture f(version);
        Machine& m = f.machine;
        std::vector<Value> fields{Value(2001), Value()};
        Value d = makeDate(m, fields);
        EXPECT_EQ(m.toString(d), version < 7 ? "Mon Jan 1 00:00:00 GMT+0545 2001" : "Invalid Date");
        Value e = makeDate(m, {Value(981152406000.0)});
        std::vector<Value> undefinedHour{Value()};
        m.callValue(m.getMember(e, QStringLiteral("setHours")), e, undefinedHour, version);
        EXPECT_EQ(m.toString(e), version < 7 ? "Sat Feb 3 00:05:06 GMT+0545 2001" : "Invalid Date");
        Value g = makeDate(m, {Value(981152406000.0)});
        std::vector<Value> none;
        m.callValue(m.getMember(g, QStringLiteral("setMinutes")), g, none, version);
        EXPECT_EQ(m.toString(g), "Invalid Date");
    }
}

TEST(DateZones, LocalTimeFollowsTheHostZoneAndItsSummerTime) {
    // Five hours west of UTC, four in summer (second Sunday of March to first of November).
    FixedZone zone("EST5EDT,M3.2.0,M11.1.0");
    Fixture f;
    Machine& m = f.machine;
    auto call = [&](const Value& d, const char* method, std::vector<Value> args = {}) {
        return m.toNumber(
            m.callValue(m.getMember(d, QString::fromLatin1(method)), d, std::move(args), 8).value);
    };
    Value winter = makeDate(m, {Value(2001), Value(0), Value(15), Value(9)});
    EXPECT_EQ(m.toString(winter), "Mon Jan 15 09:00:00 GMT-0500 2001");
    EXPECT_EQ(call(winter, "getTimezoneOffset"), 300);
    EXPECT_EQ(call(winter, "getUTCHours"), 14);
    Value summer = makeDate(m, {Value(2001), Value(6), Value(15), Value(9)});
    EXPECT_EQ(m.toString(summer), "Sun Jul 15 09:00:00 GMT-0400 2001");
    EXPECT_EQ(call(summer, "getTimezoneOffset"), 240);
    EXPECT_EQ(call(summer, "getUTCHours"), 13);
    // Moving a winter date into summer keeps its local hour, not its UTC one.
    call(winter, "setMonth", {Value(6)});
    EXPECT_EQ(call(winter, "getHours"), 9);
    EXPECT_EQ(call(winter, "getTimezoneOffset"), 240);
    // The UTC setters leave the local hour to follow the zone.
    call(summer, "setUTCMonth", {Value(0)});
    EXPECT_EQ(call(summer, "getHours"), 8);
}

TEST(DateZones, OffsetsOfPartHoursPrintTheirMinutes) {
    FixedZone zone("<-0330>3:30");
    Fixture f;
    Machine& m = f.machine;
    Value d = makeDate(m, {Value(0.0)});
    EXPECT_EQ(m.toString(d), "Wed Dec 31 20:30:00 GMT-0330 1969");
    std::vector<Value> none;
    EXPECT_EQ(
        m.toNumber(
            m.callValue(m.getMember(d, QStringLiteral("getTimezoneOffset")), d, none, 8).value),
        210);
    // Years before 1 and past 9999 print as plain numbers.
    EXPECT_EQ(m.toString(makeDate(m, {Value(-62167219200000.0 + 12600000)})),
              "Sat Jan 1 00:00:00 GMT-0330 0");
    EXPECT_EQ(m.toString(makeDate(m, {Value(12345), Value(0), Value(1)})),
              "Mon Jan 1 00:00:00 GMT-0330 12345");
}
