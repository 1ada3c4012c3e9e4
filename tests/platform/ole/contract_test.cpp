// The contract layer as its callers lean on it: the identifiers and numbers the platform
// gives its interfaces and properties, the result codes, reference counting through ComPtr,
// the conversions of a VARIANT, the argument order of Invoke, and the edges of streams on
// memory, bind contexts and the class registry.
#include <gtest/gtest.h>

#include <limits>
#include <new>
#include <stdexcept>
#include <unordered_set>

#include "platform/ole/binding.h"
#include "platform/ole/class_registry.h"
#include "platform/ole/device_context.h"
#include "platform/ole/dispatch.h"
#include "platform/ole/shockwave_flash.h"
#include "platform/ole/stream.h"

namespace pencora::ole {
namespace {

// The count of references held, read by adding one and taking it back.
ULONG references(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

TEST(Identifiers, InterfacesAndClassesCarryThePlatformsGuids) {
    struct Row {
        GUID id;
        const char* text;
    };
    const Row rows[] = {
        {IID_IUnknown, "{00000000-0000-0000-C000-000000000046}"},
        {IID_IServiceProvider, "{6D5140C1-7436-11CE-8034-00AA006009FA}"},
        {IID_IMoniker, "{0000000F-0000-0000-C000-000000000046}"},
        {IID_IParseDisplayName, "{0000011A-0000-0000-C000-000000000046}"},
        {IID_IPropertyNotifySink, "{9BFBBC02-EFF1-101A-84ED-00AA00341D07}"},
        {IID_IOleInPlaceUIWindow, "{00000115-0000-0000-C000-000000000046}"},
        {IID_IOleWindow, "{00000114-0000-0000-C000-000000000046}"},
        {IID_IDispatch, "{00020400-0000-0000-C000-000000000046}"},
        {IID_IOleInPlaceFrame, "{00000116-0000-0000-C000-000000000046}"},
        {IID_IOleInPlaceSiteWindowless, "{922EADA0-3424-11CF-B670-00AA004CD6D8}"},
        {IID_IOleInPlaceSite, "{00000119-0000-0000-C000-000000000046}"},
        {IID_IOleControlSite, "{B196B289-BAB4-101A-B69C-00AA00341D07}"},
        {IID_IOleClientSite, "{00000118-0000-0000-C000-000000000046}"},
        {IID_IBindHost, "{FC4801A1-2BA9-11CF-A229-00AA003D7352}"},
        {IID_IOleControl, "{B196B288-BAB4-101A-B69C-00AA00341D07}"},
        {IID_IPerPropertyBrowsing, "{376BD3AA-3845-101B-84ED-08002B2EC713}"},
        {IID_IOleInPlaceObject, "{00000113-0000-0000-C000-000000000046}"},
        {IID_IOleInPlaceActiveObject, "{00000117-0000-0000-C000-000000000046}"},
        {IID_IOleInPlaceObjectWindowless, "{1C2056CC-5EF4-101B-8BC8-00AA003E3B29}"},
        {IID_IViewObject, "{0000010D-0000-0000-C000-000000000046}"},
        {IID_IBindStatusCallback, "{79EAC9C1-BAF9-11CE-8C82-00AA004BA90B}"},
        {IID_IOleObject, "{00000112-0000-0000-C000-000000000046}"},
        {IID_IPersistStreamInit, "{7FD52380-4E07-101B-AE2D-08002B2EC713}"},
        {IID_IStream, "{0000000C-0000-0000-C000-000000000046}"},
        {CLSID_ShockwaveFlash, "{D27CDB6E-AE6D-11CF-96B8-444553540000}"},
        {DIID__IShockwaveFlashEvents, "{D27CDB6D-AE6D-11CF-96B8-444553540000}"},
        {IID_IShockwaveFlash, "{D27CDB6C-AE6D-11CF-96B8-444553540000}"},
    };
    std::unordered_set<GUID> distinct;
    for (const Row& row : rows) {
        EXPECT_EQ(toString(row.id), row.text);
        EXPECT_EQ(parseGuid(row.text), row.id) << row.text;
        distinct.insert(row.id);
    }
    EXPECT_EQ(distinct.size(), std::size(rows));  // hashing tells every one apart
}

TEST(Identifiers, FlashPropertiesEventsAndAmbientsHaveThePlatformsNumbers) {
    const std::pair<DISPID, DISPID> rows[] = {
        {DISPID_FLASH_PLAYING, 125},
        {DISPID_FLASH_QUALITY, 105},
        {DISPID_FLASH_SCALEMODE, 120},
        {DISPID_FLASH_ALIGNMODE, 121},
        {DISPID_FLASH_BACKGROUNDCOLOR, 123},
        {DISPID_FLASH_LOOP, 106},
        {DISPID_FLASH_FRAMENUM, 107},
        {DISPID_FLASH_SALIGN, 134},
        {DISPID_FLASH_FLASHVARS, 170},
        {DISPID_FLASH_MOVIEDATA, 190},
        {DISPID_FLASH_MENU, 135},
        {DISPID_FLASH_BASE, 136},
        {DISPID_FLASH_SCALE, 137},
        {DISPID_FLASH_DEVICEFONT, 138},
        {DISPID_FLASH_EMBEDMOVIE, 139},
        {DISPID_FLASH_BGCOLOR, 140},
        {DISPID_FLASH_QUALITY2, 141},
        {DISPID_FLASH_SWREMOTE, 159},
        {DISPID_FLASH_ALLOWSCRIPTACCESS, 171},
        {DISPID_FLASH_SEAMLESSTABBING, 192},
        {DISPID_FLASH_WMODE, 133},
        {DISPID_FLASH_READYSTATECHANGE, -609},
        {DISPID_FLASH_PROGRESS, 1958},
        {DISPID_FLASH_FSCOMMAND, 150},
        {DISPID_FLASH_FLASHCALL, 197},
        {DISPID_AMBIENT_BACKCOLOR, -701},
        {DISPID_AMBIENT_DISPLAYNAME, -702},
        {DISPID_AMBIENT_FONT, -703},
        {DISPID_AMBIENT_FORECOLOR, -704},
        {DISPID_AMBIENT_LOCALEID, -705},
        {DISPID_AMBIENT_MESSAGEREFLECT, -706},
        {DISPID_AMBIENT_USERMODE, -709},
        {DISPID_AMBIENT_UIDEAD, -710},
        {DISPID_AMBIENT_SHOWGRABHANDLES, -711},
        {DISPID_AMBIENT_SHOWHATCHING, -712},
        {DISPID_AMBIENT_AUTOCLIP, -714},
        {DISPID_AMBIENT_SUPPORTSMNEMONICS, -715},
        {DISPID_BACKCOLOR, -501},
        {DISPID_ENABLED, -514},
        {DISPID_FONT, -512},
        {DISPID_FORECOLOR, -513},
    };
    for (const auto& [constant, number] : rows) {
        EXPECT_EQ(constant, number);
    }
    EXPECT_EQ(OLEIVERB_INPLACEACTIVATE, -5);
    EXPECT_EQ(XFORMCOORDS_HIMETRICTOCONTAINER, 4u);
    EXPECT_EQ(BINDSTATUS_ENDDOWNLOADDATA, 6u);
    EXPECT_EQ(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION, 5u);
    EXPECT_EQ(TYMED_ISTREAM, 4u);
    EXPECT_EQ(std::u16string(kBindStatusCallbackHolder), u"_BSCB_Holder_");
}

TEST(Guid, ReadsOnlyTheFullWrittenFormAndPrintsUpperCase) {
    const char* rejected[] = {
        "{D27CDB6E-AE6D-11CF-96B8-444553540000)",  // wrong closing mark
        "(D27CDB6E-AE6D-11CF-96B8-444553540000}",
        "xD27CDB6E-AE6D-11CF-96B8-444553540000x",  // 38 characters without braces
        "D27CDB6E-AE6D-11CF-96B8-444553540000}",   // closing brace alone
        "D27CDB6EAAE6D-11CF-96B8-444553540000",    // separator moved
        "D27CDB6E-AE6D-11CF-96B8 444553540000",   "D27CDB6E-AE6D-11CF-96B8-44455354000 ",
        "{{27CDB6E-AE6D-11CF-96B8-444553540000}", "-27CDB6E-AE6D-11CF-96B8-444553540000",
    };
    for (const char* text : rejected) {
        EXPECT_FALSE(parseGuid(text)) << text;
    }
    const GUID g = *parseGuid("0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9");
    EXPECT_EQ(g.Data1, 0x0A1B2C3Du);
    EXPECT_EQ(g.Data2, 0x4E5F);
    EXPECT_EQ(g.Data3, 0x6071);
    EXPECT_EQ(g.Data4[0], 0x82);
    EXPECT_EQ(g.Data4[7], 0xF9);
    EXPECT_EQ(toString(g), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
    EXPECT_EQ(toString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_NE(g, GUID_NULL);
}

TEST(Result, CodesTellSuccessFromFailureAndCarryWin32Errors) {
    EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), hr(0x80070002));
    EXPECT_EQ(HRESULT_FROM_WIN32(0x12345), hr(0x80072345));  // only the low word is kept
    EXPECT_TRUE(FAILED(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND)));
    EXPECT_TRUE(SUCCEEDED(OLE_S_USEREG));
    EXPECT_TRUE(FAILED(E_UNEXPECTED));
    EXPECT_EQ(E_ACCESSDENIED, HRESULT_FROM_WIN32(5));
    EXPECT_EQ(E_INVALIDARG, HRESULT_FROM_WIN32(87));
    EXPECT_EQ(describeResult(S_OK), "S_OK (0x00000000)");
    EXPECT_EQ(describeResult(E_FAIL), "E_FAIL (0x80004005)");
    EXPECT_EQ(describeResult(REGDB_E_CLASSNOTREG), "REGDB_E_CLASSNOTREG (0x80040154)");
    EXPECT_EQ(describeResult(hr(0x00000002)), "0x00000002");
}

// A sink whose destruction the test sees.
struct Probe final : ComObject<IPropertyNotifySink> {
    explicit Probe(int* destroyed) : destroyed_(destroyed) {}
    ~Probe() override { ++*destroyed_; }
    HRESULT OnChanged(DISPID) override { return S_OK; }
    HRESULT OnRequestEdit(DISPID) override { return S_OK; }
    int* destroyed_;
};

TEST(ComPtr, HoldsExactlyOneReferencePerHolder) {
    int destroyed = 0;
    {
        ComPtr<Probe> first = makeCom<Probe>(&destroyed);
        EXPECT_EQ(references(first.get()), 1u);
        ComPtr<Probe> copy = first;
        EXPECT_EQ(references(first.get()), 2u);
        ComPtr<Probe> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(references(first.get()), 2u);
        ComPtr<IPropertyNotifySink> widened = first;  // an interface of the same object
        EXPECT_EQ(references(first.get()), 3u);
        widened = widened;  // assignment to itself keeps the reference
        EXPECT_EQ(references(first.get()), 3u);

        Probe* raw = moved.detach();
        EXPECT_FALSE(moved);
        EXPECT_EQ(references(first.get()), 3u);  // the detached reference is the caller's
        ComPtr<Probe> adopted = ComPtr<Probe>::attach(raw);
        EXPECT_EQ(references(first.get()), 3u);

        *adopted.put() = nullptr;  // an out parameter drops what was held first
        EXPECT_EQ(references(first.get()), 2u);

        IPropertyNotifySink* out = nullptr;
        EXPECT_EQ(widened.copyTo(nullptr), E_POINTER);
        EXPECT_EQ(widened.copyTo(&out), S_OK);
        EXPECT_EQ(references(first.get()), 3u);
        out->Release();

        ComPtr<Probe> empty;
        EXPECT_FALSE(empty.as<IUnknown>());
        Probe* none = first.get();
        EXPECT_EQ(empty.copyTo(&none), S_OK);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);

    void* slot = reinterpret_cast<void*>(1);
    EXPECT_EQ(hand<IUnknown>(nullptr, &slot), E_NOINTERFACE);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(hand<IUnknown>(nullptr, nullptr), E_POINTER);
}

struct Row {
    const char* name;
    VARIANT value;
    std::optional<std::int32_t> asInt;
    std::optional<double> asDouble;
    std::optional<bool> asBool;
    std::optional<BSTR> asText;
};

VARIANT typed(VARTYPE vt, std::int32_t bits) {
    VARIANT v;
    v.vt = vt;
    v.lVal = bits;
    v.iVal = static_cast<std::int16_t>(bits);
    return v;
}

TEST(Variant, ConvertsEveryCarriedTypeOrRefuses) {
    std::int16_t nine = 9;
    VARIANT byRefShort;
    byRefShort.vt = VT_BYREF | VT_I2;
    byRefShort.piVal = &nine;
    VARIANT nullRefShort;
    nullRefShort.vt = VT_BYREF | VT_I2;
    BSTR word = u"词";
    VARIANT byRefText;
    byRefText.vt = VT_BYREF | VT_BSTR;
    byRefText.pbstrVal = &word;
    VARIANT nullRefText;
    nullRefText.vt = VT_BYREF | VT_BSTR;
    VARIANT dispatch;
    dispatch.vt = VT_DISPATCH;

    const Row rows[] = {
        {"short", typed(VT_I2, -5), -5, -5.0, true, u"-5"},
        {"unsigned keeps its bits", typed(VT_UI4, -1), -1, 4294967295.0, true, u"4294967295"},
        {"half rounds to even down", VARIANT::fromDouble(-2.5), -2, -2.5, true, u"-2.5"},
        {"half rounds to even up", VARIANT::fromDouble(3.5), 4, 3.5, true, u"3.5"},
        {"fraction", VARIANT::fromDouble(0.1), 0, 0.1, true, u"0.1"},
        {"beyond 32 bits", VARIANT::fromDouble(3e9), std::nullopt, 3e9, true, u"3000000000"},
        {"huge", VARIANT::fromDouble(1e300), std::nullopt, 1e300, true, u"1e+300"},
        {"negative zero", VARIANT::fromDouble(-0.0), 0, -0.0, false, u"0"},
        {"padded number", VARIANT::fromString(u"\t12  "), 12, 12.0, true, u"\t12  "},
        {"plus sign", VARIANT::fromString(u"+7"), 7, 7.0, true, u"+7"},
        {"exponent", VARIANT::fromString(u"1e3"), 1000, 1000.0, true, u"1e3"},
        {"two signs", VARIANT::fromString(u"+-3"), std::nullopt, std::nullopt, std::nullopt,
         u"+-3"},
        {"hex is no number", VARIANT::fromString(u"0x10"), std::nullopt, std::nullopt, std::nullopt,
         u"0x10"},
        {"infinity is no number", VARIANT::fromString(u"inf"), std::nullopt, std::nullopt,
         std::nullopt, u"inf"},
        {"nan is no number", VARIANT::fromString(u"NaN"), std::nullopt, std::nullopt, std::nullopt,
         u"NaN"},
        {"blank", VARIANT::fromString(u"  "), std::nullopt, std::nullopt, std::nullopt, u"  "},
        {"Boolean text", VARIANT::fromString(u"tRuE"), std::nullopt, std::nullopt, true, u"tRuE"},
        {"Chinese text", VARIANT::fromString(u"一"), std::nullopt, std::nullopt, std::nullopt,
         u"一"},
        {"false", VARIANT::fromBool(false), 0, 0.0, false, u"False"},
        {"short by reference", byRefShort, 9, 9.0, true, u"9"},
        {"null short reference", nullRefShort, std::nullopt, std::nullopt, std::nullopt,
         std::nullopt},
        {"text by reference", byRefText, std::nullopt, std::nullopt, std::nullopt, u"词"},
        {"null text reference", nullRefText, std::nullopt, std::nullopt, std::nullopt,
         std::nullopt},
        {"interface", dispatch, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(variantToInt(row.value), row.asInt) << row.name;
        EXPECT_EQ(variantToDouble(row.value), row.asDouble) << row.name;
        EXPECT_EQ(variantToBool(row.value), row.asBool) << row.name;
        EXPECT_EQ(variantToString(row.value), row.asText) << row.name;
    }
}

// Keeps what each Invoke received.
struct RecordingDispatch final : ComObject<IDispatch> {
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const BSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override {
        this->member = member;
        this->flags = flags;
        this->args = params->rgvarg;
        this->named = params->rgdispidNamedArgs;
        this->hadResult = result != nullptr;
        if (result) {
            *result = VARIANT::fromInt(77);
        }
        return answer;
    }
    DISPID member = 0;
    WORD flags = 0;
    std::vector<VARIANT> args;
    std::vector<DISPID> named;
    bool hadResult = false;
    HRESULT answer = S_OK;
};

TEST(Dispatch, HelpersInvokeWithThePlatformsFlagsAndArgumentOrder) {
    auto target = makeCom<RecordingDispatch>();
    VARIANT result;
    ASSERT_EQ(dispatchGet(target.get(), DISPID_FLASH_WMODE, &result), S_OK);
    EXPECT_EQ(target->member, DISPID_FLASH_WMODE);
    EXPECT_EQ(target->flags, DISPATCH_PROPERTYGET);
    EXPECT_TRUE(target->args.empty());
    EXPECT_EQ(result.lVal, 77);

    ASSERT_EQ(dispatchPut(target.get(), DISPID_FLASH_LOOP, VARIANT::fromBool(true)), S_OK);
    EXPECT_EQ(target->flags, DISPATCH_PROPERTYPUT);
    ASSERT_EQ(target->args.size(), 1u);
    EXPECT_EQ(target->args[0].boolVal, VARIANT_TRUE);
    EXPECT_EQ(target->named, std::vector<DISPID>{DISPID_PROPERTYPUT});
    EXPECT_FALSE(target->hadResult);

    // The rightmost argument comes first.
    ASSERT_EQ(dispatchCall(target.get(), DISPID_FLASH_FSCOMMAND,
                           {VARIANT::fromString(u"btnread"), VARIANT::fromString(u"朗读"),
                            VARIANT::fromInt(3)}),
              S_OK);
    EXPECT_EQ(target->flags, DISPATCH_METHOD);
    ASSERT_EQ(target->args.size(), 3u);
    EXPECT_EQ(target->args[0].lVal, 3);
    EXPECT_EQ(target->args[1].bstrVal, u"朗读");
    EXPECT_EQ(target->args[2].bstrVal, u"btnread");
    EXPECT_TRUE(target->named.empty());

    target->answer = DISP_E_MEMBERNOTFOUND;
    EXPECT_EQ(dispatchCall(target.get(), 1, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatchGet(nullptr, 1, &result), E_POINTER);
    EXPECT_EQ(dispatchPut(nullptr, 1, VARIANT{}), E_POINTER);
    EXPECT_EQ(dispatchCall(nullptr, 1, {}), E_POINTER);
}

ULARGE_INTEGER positionOf(IStream* s) {
    ULARGE_INTEGER p = 0;
    s->Seek(0, STREAM_SEEK_CUR, &p);
    return p;
}

TEST(MemoryStream, StreamsOnOneMemoryShareBytesButNotPositions) {
    auto memory = std::make_shared<std::vector<std::uint8_t>>(std::vector<std::uint8_t>{1, 2, 3});
    ComPtr<IStream> a, b;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, a.put()), S_OK);
    ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, b.put()), S_OK);
    std::uint8_t byte = 0;
    ULONG got = 0;
    a->Read(&byte, 1, &got);
    a->Read(&byte, 1, &got);
    EXPECT_EQ(byte, 2);
    EXPECT_EQ(positionOf(b.get()), 0u);
    const std::uint8_t seven = 7;
    b->Seek(0, STREAM_SEEK_END, nullptr);
    b->Write(&seven, 1, nullptr);
    a->Seek(-1, STREAM_SEEK_END, nullptr);
    a->Read(&byte, 1, &got);
    EXPECT_EQ(byte, 7);

    // Releasing every stream leaves the memory with its last holder.
    a.reset();
    b.reset();
    EXPECT_EQ(*memory, (std::vector<std::uint8_t>{1, 2, 3, 7}));
    EXPECT_EQ(memory.use_count(), 1);

    // A copy made by streamOnBytes does not follow its source.
    std::vector<std::uint8_t> source = {5, 6};
    ComPtr<IStream> copy = streamOnBytes(source);
    source[0] = 0;
    std::vector<std::uint8_t> read;
    ASSERT_EQ(readAll(copy.get(), &read), S_OK);
    EXPECT_EQ(read, (std::vector<std::uint8_t>{5, 6}));
}

TEST(MemoryStream, RefusesBadPointersAndSizesBeyondItsLimitWithoutChange) {
    ComPtr<IStream> s = streamOnBytes(std::vector<std::uint8_t>{1, 2, 3, 4});
    ULONG count = 99;
    EXPECT_EQ(s->Write(nullptr, 2, &count), STG_E_INVALIDPOINTER);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(s->Read(nullptr, 2, &count), STG_E_INVALIDPOINTER);
    EXPECT_EQ(s->Write(nullptr, 0, &count), S_OK);  // nothing to write needs no buffer
    EXPECT_EQ(s->Read(nullptr, 0, nullptr), S_OK);
    EXPECT_EQ(positionOf(s.get()), 0u);

    // 2 GiB is the most a stream holds: a write ending beyond it fails before growing.
    ULARGE_INTEGER p = 0;
    ASSERT_EQ(s->Seek(LARGE_INTEGER{1} << 31, STREAM_SEEK_SET, &p), S_OK);
    const std::uint8_t one = 1;
    EXPECT_EQ(s->Write(&one, 1, &count), STG_E_MEDIUMFULL);
    EXPECT_EQ(s->SetSize((ULARGE_INTEGER{1} << 31) + 1), STG_E_MEDIUMFULL);
    STATSTG stat;
    s->Stat(&stat, STATFLAG_DEFAULT);
    EXPECT_EQ(stat.cbSize, 4u);
    // Reading far past the end gives nothing, still S_OK.
    std::uint8_t buffer[4];
    EXPECT_EQ(s->Read(buffer, 4, &count), S_OK);
    EXPECT_EQ(count, 0u);

    // A seek that would overflow the position fails and leaves it.
    EXPECT_EQ(s->Seek(std::numeric_limits<LARGE_INTEGER>::max(), STREAM_SEEK_CUR, &p),
              STG_E_INVALIDFUNCTION);
    EXPECT_EQ(positionOf(s.get()), ULARGE_INTEGER{1} << 31);
    EXPECT_EQ(s->Seek(std::numeric_limits<LARGE_INTEGER>::min(), STREAM_SEEK_END, &p),
              STG_E_INVALIDFUNCTION);

    // A stream is also its own sequential stream.
    ComPtr<ISequentialStream> sequential = s.as<ISequentialStream>();
    ASSERT_TRUE(sequential);
    EXPECT_EQ(sequential.as<IUnknown>().get(), s.as<IUnknown>().get());

    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_INVALIDARG);
    HGLOBAL memory;
    EXPECT_EQ(GetHGlobalFromStream(s.get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(GetHGlobalFromStream(nullptr, &memory), E_INVALIDARG);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(readAll(nullptr, &out), E_POINTER);
    EXPECT_EQ(readAll(s.get(), nullptr), E_POINTER);
}

// A stream that fails the way a broken medium does.
struct FailingStream final : ComObject<IStream> {
    HRESULT Read(void*, ULONG, ULONG*) override { return STG_E_READFAULT; }
    HRESULT Write(const void*, ULONG, ULONG*) override { return STG_E_MEDIUMFULL; }
    HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return seekAnswer; }
    HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT seekAnswer = S_OK;
};

TEST(MemoryStream, ReadAllPassesOnTheFailureOfForeignStreams) {
    auto broken = makeCom<FailingStream>();
    std::vector<std::uint8_t> out = {1};
    EXPECT_EQ(readAll(broken.get(), &out), STG_E_READFAULT);
    EXPECT_TRUE(out.empty());
    broken->seekAnswer = STG_E_INVALIDFUNCTION;
    EXPECT_EQ(readAll(broken.get(), &out), STG_E_INVALIDFUNCTION);
    HGLOBAL memory;
    EXPECT_EQ(GetHGlobalFromStream(broken.get(), &memory), E_INVALIDARG);
}

TEST(BindContext, HoldsOneObjectPerNameUntilRevokedOrReleased) {
    EXPECT_EQ(CreateBindCtx(0, nullptr), E_INVALIDARG);
    ComPtr<IBindCtx> context;
    ASSERT_EQ(CreateBindCtx(0, context.put()), S_OK);
    EXPECT_EQ(context->RegisterObjectParam(u"x", nullptr), E_INVALIDARG);
    EXPECT_EQ(context->GetObjectParam(u"x", nullptr), E_POINTER);

    int destroyed = 0;
    auto first = makeCom<Probe>(&destroyed);
    auto second = makeCom<Probe>(&destroyed);
    IUnknown* firstIdentity = first->identity();
    ASSERT_EQ(context->RegisterObjectParam(u"x", firstIdentity), S_OK);
    ASSERT_EQ(context->RegisterObjectParam(u"x", second->identity()), S_OK);
    first.reset();
    EXPECT_EQ(destroyed, 1);  // the replaced object was let go
    ComPtr<IUnknown> found;
    ASSERT_EQ(context->GetObjectParam(u"x", found.put()), S_OK);
    EXPECT_EQ(found.get(), second->identity());
    EXPECT_EQ(context->RegisterObjectParam(u"y", second->identity()), S_OK);
    found.reset();
    second.reset();
    EXPECT_EQ(destroyed, 1);
    context.reset();  // the context's end releases what it held
    EXPECT_EQ(destroyed, 2);
}

TEST(ClassRegistry, RegistrationsStackAndFailedFactoriesHandOutNothing) {
    const CLSID clsid = guid("{A1B2C3D4-0000-1111-2222-333344445555}");
    int made = 0;
    int destroyed = 0;
    auto factory = [&](int tag) {
        return [&, tag](REFIID iid, void** out) {
            made = tag;
            return makeCom<Probe>(&destroyed)->QueryInterface(iid, out);
        };
    };
    void* object = nullptr;
    {
        ScopedClassRegistration outer(clsid, factory(1));
        {
            ScopedClassRegistration inner(clsid, factory(2));
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
                      S_OK);
            EXPECT_EQ(made, 2);
            static_cast<IUnknown*>(object)->Release();
        }
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object),
                  S_OK);
        EXPECT_EQ(made, 1);  // the outer registration is back
        static_cast<IUnknown*>(object)->Release();

        CoRegisterClass(clsid, {});  // an empty factory forgets the class
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
                  REGDB_E_CLASSNOTREG);
    }
    EXPECT_EQ(destroyed, 2);

    // A factory that fails after writing its out parameter still hands out nothing.
    ScopedClassRegistration sloppy(clsid, [](REFIID, void** out) {
        *out = reinterpret_cast<void*>(0x1234);
        return E_OUTOFMEMORY;
    });
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);

    // A factory that throws (an engine that cannot be made) is a failure, not a crash of the
    // caller's constructor.
    ScopedClassRegistration throwing(
        clsid, [](REFIID, void**) -> HRESULT { throw std::runtime_error("no engine"); });
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              E_FAIL);
    EXPECT_EQ(object, nullptr);
    ScopedClassRegistration exhausted(clsid,
                                      [](REFIID, void**) -> HRESULT { throw std::bad_alloc(); });
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              E_OUTOFMEMORY);
}

TEST(DeviceContext, BitmapsWithoutAreaReadAsEmpty) {
    DibSection dib(-3, 5);
    EXPECT_EQ(dib.width(), 0);
    EXPECT_EQ(dib.height(), 5);
    dib.fill(0xFFFFFFFF);  // nothing to fill
    EXPECT_EQ(dib.pixelAt(0, 0), 0u);
    dib.resize(2, 2);
    dib.fill(0x80402010);
    EXPECT_EQ(dib.pixelAt(1, 1), 0x80402010u);
    EXPECT_EQ(dib.pixelAt(-1, 0), 0u);
    EXPECT_EQ(dib.dc()->stride, 8);
    EXPECT_EQ(dib.dc()->pixel(1, 1), dib.bits() + 12);
    dib.resize(2, 2);  // resizing clears
    EXPECT_EQ(dib.pixelAt(1, 1), 0u);
    EXPECT_FALSE(SetWindowOrgEx(nullptr, 1, 1, nullptr));
    EXPECT_FALSE(OffsetWindowOrgEx(nullptr, 1, 1, nullptr));
}

TEST(WindowMessages, MousePositionsPackAsSignedWordsBothWays) {
    const std::pair<int, int> points[] = {{0, 0}, {5, 7}, {-1, -2}, {32767, -32768}, {-300, 400}};
    for (const auto& [x, y] : points) {
        const LPARAM l = MAKELPARAM(x, y);
        EXPECT_EQ(GET_X_LPARAM(l), x) << x << "," << y;
        EXPECT_EQ(GET_Y_LPARAM(l), y) << x << "," << y;
    }
    EXPECT_EQ(MAKELPARAM(1, 2), LPARAM{0x00020001});
    EXPECT_EQ(MAKELPARAM(-1, 0), LPARAM{0x0000FFFF});  // the high word stays clear
    EXPECT_EQ(GET_X_LPARAM(0x02000001), 1);            // WM_SETCURSOR's HTCLIENT
    EXPECT_EQ(GET_Y_LPARAM(0x02000001), 0x0200);       // and its mouse message
}

}  // namespace
}  // namespace pencora::ole
