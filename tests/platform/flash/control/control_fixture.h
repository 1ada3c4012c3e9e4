// A fresh control over the fake engine, whose movie is a 200 x 100 stage of ten frames at 25
// a second, with a scripted site and an event sink ready for a test to embed it as it needs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_engine.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/control/flash_control_tooling.h"
#include "scripted_site.h"

namespace pencora::flash::testing {

// Bytes the fake engine takes for a movie.
inline const std::vector<std::uint8_t> kMovie = {'F', 'W', 'S', 6, 1, 2, 3, 4};

class ControlFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.info.stageWidth = 200;
        engine.info.stageHeight = 100;
        engine.info.frameRate = 25;
        engine.info.frameCount = 10;
        engine.info.framesLoaded = 10;
        site = makeCom<ScriptedSite>();
        sink = makeCom<EventSink>();
        ASSERT_EQ(createFlashControl([this] { return makeFakeEngine(engine); }, IID_IOleObject,
                                     object.putVoid()),
                  S_OK);
        flash = object.as<IShockwaveFlash>();
        tooling = object.as<IFlashControlTooling>();
        ASSERT_TRUE(flash && tooling);
    }

    void loadServedMovie(const std::u16string& url = u"http://zzz/movie.swf") {
        site->served[url] = kMovie;
        ASSERT_EQ(flash->LoadMovie(0, url), S_OK);
        ASSERT_TRUE(engine.loaded);
    }

    // A property written through dispatch, and the one read back after it with what it holds.
    struct PutThenGet {
        DISPID put;
        VARIANT value;
        DISPID get;
        VARIANT expected;
    };
    void expectPutThenGet(const PutThenGet& row) {
        ASSERT_EQ(dispatchPut(flash.get(), row.put, row.value), S_OK) << row.put;
        VARIANT got;
        ASSERT_EQ(dispatchGet(flash.get(), row.get, &got), S_OK) << row.get;
        EXPECT_EQ(got.vt, row.expected.vt) << row.put << " " << row.get;
        EXPECT_EQ(got.boolVal, row.expected.boolVal) << row.put << " " << row.get;
        EXPECT_EQ(got.lVal, row.expected.lVal) << row.put << " " << row.get;
        EXPECT_EQ(got.bstrVal, row.expected.bstrVal) << row.put << " " << row.get;
    }

    LRESULT send(UINT message, WPARAM w, LPARAM l, HRESULT expected = S_OK) {
        LRESULT result = -1;
        EXPECT_EQ(windowless->OnWindowMessage(message, w, l, &result), expected) << message;
        return result;
    }

    FakeEngineState engine;
    ComPtr<ScriptedSite> site;
    ComPtr<EventSink> sink;
    ComPtr<IOleObject> object;
    ComPtr<IShockwaveFlash> flash;
    ComPtr<IFlashControlTooling> tooling;
    ComPtr<IOleInPlaceObjectWindowless> windowless;
    ComPtr<IConnectionPoint> eventPoint;
    DWORD eventCookie = 0;
};

}  // namespace pencora::flash::testing
