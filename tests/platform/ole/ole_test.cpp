// The contract layer's own rules: identifiers, reference counting and interface lookup,
// VARIANT conversions, bind contexts and the class registry.
#include <gtest/gtest.h>

#include "platform/ole/binding.h"
#include "platform/ole/class_registry.h"
#include "platform/ole/dispatch.h"
#include "platform/ole/shockwave_flash.h"

namespace pencora::ole {
namespace {

TEST(Guid, ParsesTheWrittenFormsAndRejectsTheRest) {
    struct Row {
        const char* text;
        bool valid;
    };
    const Row rows[] = {
        {"{D27CDB6E-AE6D-11CF-96B8-444553540000}", true},
        {"D27CDB6E-AE6D-11CF-96B8-444553540000", true},
        {"{d27cdb6e-ae6d-11cf-96b8-444553540000}", true},
        {"{D27CDB6E-AE6D-11CF-96B8-44455354000}", false},    // a digit short
        {"{D27CDB6E-AE6D-11CF-96B8-4445535400000}", false},  // a digit over
        {"{D27CDB6E+AE6D-11CF-96B8-444553540000}", false},   // wrong separator
        {"{D27CDB6G-AE6D-11CF-96B8-444553540000}", false},   // not hex
        {"{D27CDB6E-AE6D-11CF-96B8-444553540000", false},    // unbalanced brace
        {"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(parseGuid(row.text).has_value(), row.valid) << row.text;
    }
    const GUID flash = *parseGuid("{d27cdb6e-ae6d-11cf-96b8-444553540000}");
    EXPECT_EQ(flash, CLSID_ShockwaveFlash);
    EXPECT_EQ(flash.Data1, 0xD27CDB6Eu);
    EXPECT_EQ(flash.Data4[7], 0x00);
    EXPECT_EQ(toString(flash), "{D27CDB6E-AE6D-11CF-96B8-444553540000}");
    EXPECT_EQ(toString(IID_IOleInPlaceSiteWindowless), "{922EADA0-3424-11CF-B670-00AA004CD6D8}");
}

TEST(Result, NamesKnownCodesAndPrintsOthersInHex) {
    EXPECT_EQ(describeResult(INPLACE_E_NOTOOLSPACE), "INPLACE_E_NOTOOLSPACE (0x800401A1)");
    EXPECT_EQ(describeResult(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND)),
              "ERROR_RESOURCE_NAME_NOT_FOUND (0x80070716)");
    EXPECT_EQ(describeResult(hr(0x80001234)), "0x80001234");
    EXPECT_TRUE(FAILED(DISP_E_MEMBERNOTFOUND));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

// A two-interface object whose destruction the test can see.
struct Counted final : ComObject<IPropertyNotifySink, IServiceProvider> {
    explicit Counted(bool* destroyed) : destroyed_(destroyed) {}
    ~Counted() override { *destroyed_ = true; }
    HRESULT OnChanged(DISPID) override { return S_OK; }
    HRESULT OnRequestEdit(DISPID) override { return S_OK; }
    HRESULT QueryService(REFGUID, REFIID, void**) override { return E_NOTIMPL; }
    bool* destroyed_;
};

TEST(ComObject, AnswersItsInterfacesWithOneIdentityAndDiesWithItsLastReference) {
    bool destroyed = false;
    {
        auto object = makeCom<Counted>(&destroyed);
        ComPtr<IServiceProvider> services = object.as<IServiceProvider>();
        ASSERT_TRUE(services);
        ComPtr<IUnknown> viaSink = object.as<IUnknown>();
        ComPtr<IUnknown> viaServices = services.as<IUnknown>();
        EXPECT_EQ(viaSink.get(), viaServices.get());

        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(object->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        object.reset();
        EXPECT_FALSE(destroyed);  // still held through the other interfaces
    }
    EXPECT_TRUE(destroyed);
}

TEST(Variant, ConvertsAsTheDispatchCallersExpect) {
    EXPECT_EQ(VARIANT::fromBool(true).boolVal, -1);
    EXPECT_EQ(VARIANT::fromBool(false).boolVal, 0);

    struct Row {
        const char* name;
        VARIANT value;
        std::optional<std::int32_t> asInt;
        std::optional<bool> asBool;
        std::optional<BSTR> asText;
    };
    const Row rows[] = {
        {"true", VARIANT::fromBool(true), -1, true, u"True"},
        {"integer", VARIANT::fromInt(42), 42, true, u"42"},
        {"zero", VARIANT::fromInt(0), 0, false, u"0"},
        {"double rounds half to even", VARIANT::fromDouble(2.5), 2, true, u"2.5"},
        {"numeric text", VARIANT::fromString(u" -7 "), -7, true, u" -7 "},
        {"Boolean text", VARIANT::fromString(u"FALSE"), std::nullopt, false, u"FALSE"},
        {"other text", VARIANT::fromString(u"abc"), std::nullopt, std::nullopt, u"abc"},
        {"empty", VARIANT{}, 0, false, u""},
        {"too large", VARIANT::fromDouble(1e12), std::nullopt, true, u"1000000000000"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(variantToInt(row.value), row.asInt) << row.name;
        EXPECT_EQ(variantToBool(row.value), row.asBool) << row.name;
        EXPECT_EQ(variantToString(row.value), row.asText) << row.name;
    }
    VARIANT unknown = VARIANT::fromUnknown(nullptr);
    EXPECT_FALSE(variantToString(unknown));
}

TEST(BindContext, KeepsObjectParametersByName) {
    ComPtr<IBindCtx> context;
    ASSERT_EQ(CreateBindCtx(0, context.put()), S_OK);
    bool destroyed = false;
    auto object = makeCom<Counted>(&destroyed);
    ComPtr<IUnknown> found;
    EXPECT_EQ(context->GetObjectParam(kBindStatusCallbackHolder, found.put()), E_FAIL);
    EXPECT_FALSE(found);
    ASSERT_EQ(context->RegisterObjectParam(kBindStatusCallbackHolder, object->identity()), S_OK);
    object.reset();
    EXPECT_FALSE(destroyed);  // the context holds it
    ASSERT_EQ(context->GetObjectParam(kBindStatusCallbackHolder, found.put()), S_OK);
    EXPECT_TRUE(found.as<IPropertyNotifySink>());
    EXPECT_EQ(context->GetObjectParam(u"_bscb_holder_", found.put()), E_FAIL);  // exact names
    found.reset();
    EXPECT_EQ(context->RevokeObjectParam(kBindStatusCallbackHolder), S_OK);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(context->RevokeObjectParam(kBindStatusCallbackHolder), S_FALSE);
}

TEST(ClassRegistry, CreatesOnlyRegisteredClasses) {
    const CLSID clsid = guid("{11111111-2222-3333-4444-555555555555}");
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    bool destroyed = false;
    {
        ScopedClassRegistration registration(clsid, [&](REFIID iid, void** out) {
            return makeCom<Counted>(&destroyed)->QueryInterface(iid, out);
        });
        ComPtr<IServiceProvider> made;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IServiceProvider,
                                   made.putVoid()),
                  S_OK);
        EXPECT_TRUE(made);
        ComPtr<IDispatch> wrong;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   wrong.putVoid()),
                  E_NOINTERFACE);
        EXPECT_FALSE(wrong);
        bool unused = false;
        auto outer = makeCom<Counted>(&unused);
        EXPECT_EQ(CoCreateInstance(clsid, outer->identity(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   &object),
                  CLASS_E_NOAGGREGATION);
    }
    EXPECT_TRUE(destroyed);  // the object made for the wrong interface did not leak
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
}

}  // namespace
}  // namespace pencora::ole
