// Date: calendar arithmetic, rollover of out-of-range fields, the local zone and the class.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/flash/avm1/date_time.h"
#include "test_host.h"

using namespace pencora::avm1;
using namespace pencora::avm1::test;

namespace {

// Pins the local zone to a fixed GMT+0545 (no summer time) for the test's lifetime, the zone the
// conformance movies were recorded in.
class FixedZone {
  public:
    FixedZone() {
        if (const char* tz = std::getenv("TZ")) {
            saved_ = tz;
            had_ = true;
        }
        setenv("TZ", "<+0545>-5:45", 1);
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
