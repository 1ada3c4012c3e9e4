// How the control decides where an address's bytes come from: through its site's bind host
// (delivered, failed, or refused), and only when the host refuses, from a local file of its
// own. Against a bind host whose every answer the test chooses.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

#include "fake_engine.h"
#include "idle_client_site.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/control/local_fetch.h"
#include "platform/flash/control/site_fetch.h"
#include "platform/ole/shockwave_flash.h"

namespace pencora::flash::testing {
namespace {

using namespace ole;

// A client site that only fetches: its service provider hands out the bind host, the bind
// host its one moniker, and binding the moniker runs `bind`.
class FetchSite final : public IdleClientSite<IServiceProvider, IBindHost, IMoniker> {
  public:
    HRESULT serviceAnswer = S_OK;
    HRESULT createAnswer = S_OK;
    bool handOutMoniker = true;
    std::function<HRESULT(IBindStatusCallback*, void** object)> bind;
    std::vector<std::u16string> names;
    ComPtr<IBindCtx> lastContext;

    HRESULT QueryService(REFGUID service, REFIID iid, void** object) override {
        *object = nullptr;
        if (FAILED(serviceAnswer)) {
            return serviceAnswer;
        }
        EXPECT_EQ(service, SID_SBindHost);
        return QueryInterface(iid, object);
    }
    HRESULT CreateMoniker(const BSTR& name, IBindCtx* context, IMoniker** moniker, DWORD) override {
        names.push_back(name);
        lastContext = ComPtr<IBindCtx>(context);
        *moniker = nullptr;
        if (FAILED(createAnswer) || !handOutMoniker) {
            return createAnswer;
        }
        return hand(static_cast<IMoniker*>(this), reinterpret_cast<void**>(moniker));
    }
    HRESULT MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                 void**) override {
        return S_OK;
    }
    HRESULT MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                void**) override {
        return S_OK;
    }
    HRESULT BindToObject(IBindCtx*, IMoniker*, REFIID, void** object) override {
        *object = nullptr;
        return E_NOTIMPL;
    }
    HRESULT BindToStorage(IBindCtx* context, IMoniker*, REFIID, void** object) override {
        ComPtr<IUnknown> holder;
        if (FAILED(context->GetObjectParam(kBindStatusCallbackHolder, holder.put()))) {
            return E_FAIL;
        }
        auto callback = holder.as<IBindStatusCallback>();
        if (!callback) {
            return E_FAIL;
        }
        return bind ? bind(callback.get(), object) : S_OK;
    }
    HRESULT GetDisplayName(IBindCtx*, IMoniker*, BSTR*) override { return E_NOTIMPL; }
};

// A site with nothing to fetch through.
using BareSite = IdleClientSite<>;

std::vector<std::uint8_t> bytesOf(const char* text) {
    return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

// Hands `stream` to the callback in one notification per entry of `flags`, then stops
// with `stop`.
void deliver(IBindStatusCallback* callback, IStream* stream, std::vector<DWORD> flags,
             HRESULT stop = S_OK) {
    callback->OnStartBinding(0, nullptr);
    STGMEDIUM medium;
    medium.pstm = stream;
    for (DWORD f : flags) {
        callback->OnDataAvailable(f, 0, nullptr, &medium);
    }
    callback->OnStopBinding(stop, u"");
}

TEST(SiteFetch, HostsWithoutABindHostOrAMonikerLeaveTheAddressToTheControl) {
    EXPECT_EQ(fetchThroughSite(nullptr, u"a.swf").outcome, SiteFetch::Outcome::Refused);
    auto bare = makeCom<BareSite>();
    EXPECT_EQ(fetchThroughSite(bare.get(), u"a.swf").outcome, SiteFetch::Outcome::Refused);

    auto site = makeCom<FetchSite>();
    site->serviceAnswer = E_NOINTERFACE;
    EXPECT_EQ(fetchThroughSite(site.get(), u"a.swf").outcome, SiteFetch::Outcome::Refused);
    EXPECT_TRUE(site->names.empty());
    site->serviceAnswer = S_OK;
    site->createAnswer = E_NOTIMPL;
    EXPECT_EQ(fetchThroughSite(site.get(), u"a.swf").outcome, SiteFetch::Outcome::Refused);
    site->createAnswer = S_OK;
    site->handOutMoniker = false;  // success without a moniker is no moniker
    EXPECT_EQ(fetchThroughSite(site.get(), u"a.swf").outcome, SiteFetch::Outcome::Refused);
    // The address reaches the bind host as written.
    EXPECT_EQ(site->names.back(), u"a.swf");
    fetchThroughSite(site.get(), u"http://zzz/课文 1.swf?x=%20");
    EXPECT_EQ(site->names.back(), u"http://zzz/课文 1.swf?x=%20");
}

TEST(SiteFetch, DeliveredDataIsEverythingTheNotificationsCarried) {
    auto site = makeCom<FetchSite>();
    bool holderDuringBind = false;
    site->bind = [&](IBindStatusCallback* callback, void**) {
        holderDuringBind = true;
        auto stream = streamOnBytes(bytesOf("FWS movie"));
        deliver(callback, stream.get(), {BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION});
        return S_OK;
    };
    SiteFetch got = fetchThroughSite(site.get(), u"m.swf");
    EXPECT_TRUE(holderDuringBind);
    EXPECT_EQ(got.outcome, SiteFetch::Outcome::Delivered);
    EXPECT_EQ(got.bytes, bytesOf("FWS movie"));
    // The callback is taken back from the bind context once the bind is over.
    ComPtr<IUnknown> left;
    EXPECT_EQ(site->lastContext->GetObjectParam(kBindStatusCallbackHolder, left.put()), E_FAIL);

    // In several notifications over one stream that grows between them.
    site->bind = [](IBindStatusCallback* callback, void**) {
        auto memory = std::make_shared<std::vector<std::uint8_t>>(bytesOf("FWS "));
        ComPtr<IStream> stream;
        CreateStreamOnHGlobal(memory, TRUE, stream.put());
        callback->OnStartBinding(0, nullptr);
        STGMEDIUM medium;
        medium.pstm = stream.get();
        callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION, 4, nullptr, &medium);
        for (char c : std::string("in parts")) {
            memory->push_back(static_cast<std::uint8_t>(c));
        }
        callback->OnDataAvailable(BSCF_LASTDATANOTIFICATION, 12, nullptr, &medium);
        callback->OnStopBinding(S_OK, u"");
        return S_OK;
    };
    got = fetchThroughSite(site.get(), u"m.swf");
    EXPECT_EQ(got.outcome, SiteFetch::Outcome::Delivered);
    EXPECT_EQ(got.bytes, bytesOf("FWS in parts"));

    // Data with no stop notice at all still counts; an empty movie is still data.
    site->bind = [](IBindStatusCallback* callback, void**) {
        auto stream = streamOnBytes({});
        STGMEDIUM medium;
        medium.pstm = stream.get();
        callback->OnDataAvailable(BSCF_LASTDATANOTIFICATION, 0, nullptr, &medium);
        return S_OK;
    };
    got = fetchThroughSite(site.get(), u"empty.txt");
    EXPECT_EQ(got.outcome, SiteFetch::Outcome::Delivered);
    EXPECT_TRUE(got.bytes.empty());

    // A moniker that answers with the stream itself, from its start.
    site->bind = [](IBindStatusCallback*, void** object) {
        ComPtr<IStream> stream = streamOnBytes(bytesOf("FWS direct"));
        stream->Seek(4, STREAM_SEEK_SET, nullptr);
        *object = stream.detach();
        return S_OK;
    };
    got = fetchThroughSite(site.get(), u"m.swf");
    EXPECT_EQ(got.outcome, SiteFetch::Outcome::Delivered);
    EXPECT_EQ(got.bytes, bytesOf("FWS direct"));
}

TEST(SiteFetch, AHostThatTookTheAddressButDeliveredNothingHasFailed) {
    auto site = makeCom<FetchSite>();
    struct Row {
        const char* name;
        std::function<HRESULT(IBindStatusCallback*, void**)> bind;
    };
    const Row rows[] = {
        {"bind fails", [](IBindStatusCallback*, void**) { return E_FAIL; }},
        {"bind succeeds with nothing", [](IBindStatusCallback*, void**) { return S_OK; }},
        {"data, then a failed stop",
         [](IBindStatusCallback* callback, void**) {
             auto stream = streamOnBytes(bytesOf("FWS half"));
             deliver(callback, stream.get(), {BSCF_FIRSTDATANOTIFICATION}, INET_E_DOWNLOAD_FAILURE);
             return S_OK;
         }},
        {"a medium without a stream",
         [](IBindStatusCallback* callback, void**) {
             STGMEDIUM medium;
             EXPECT_EQ(callback->OnDataAvailable(BSCF_LASTDATANOTIFICATION, 0, nullptr, &medium),
                       E_INVALIDARG);
             medium.tymed = 1;  // a memory handle, which no host here hands out
             medium.pstm = nullptr;
             EXPECT_EQ(callback->OnDataAvailable(BSCF_LASTDATANOTIFICATION, 0, nullptr, &medium),
                       E_INVALIDARG);
             callback->OnStopBinding(S_OK, u"");
             return S_OK;
         }},
        {"the direct stream fails to read",
         [](IBindStatusCallback*, void** object) {
             struct Broken final : ComObject<IStream> {
                 HRESULT Read(void*, ULONG, ULONG*) override { return STG_E_READFAULT; }
                 HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
                 HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return S_OK; }
                 HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
                 HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
             };
             *object = makeCom<Broken>().detach();
             return S_OK;
         }},
    };
    for (const Row& row : rows) {
        site->bind = row.bind;
        const SiteFetch got = fetchThroughSite(site.get(), u"m.swf");
        EXPECT_EQ(got.outcome, SiteFetch::Outcome::Failed) << row.name;
    }
}

// The same decisions seen from LoadMovie: a refused address may still be a readable file;
// one the host took and failed is not read behind its back.
TEST(SiteFetch, OnlyARefusedAddressFallsBackOnALocalFile) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("pencora site fetch " + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "lessons");
    const std::vector<std::uint8_t> movie = {'F', 'W', 'S', 6, 9, 9};
    for (const char* name : {"a.swf", "lessons/b.swf"}) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(movie.data()),
                   static_cast<std::streamsize>(movie.size()));
    }
    const std::u16string file = (folder / "a.swf").generic_u16string();

    FakeEngineState engine;
    ComPtr<IShockwaveFlash> flash;
    ASSERT_EQ(createFlashControl([&] { return makeFakeEngine(engine); }, IID_IShockwaveFlash,
                                 flash.putVoid()),
              S_OK);
    auto object = flash.as<IOleObject>();
    auto site = makeCom<FetchSite>();
    object->SetClientSite(site.get());

    site->createAnswer = E_NOTIMPL;
    ASSERT_EQ(flash->LoadMovie(0, file), S_OK);
    EXPECT_TRUE(engine.loaded);
    EXPECT_EQ(engine.loadedBytes, movie);

    site->createAnswer = S_OK;
    site->bind = [](IBindStatusCallback*, void**) { return E_FAIL; };
    ASSERT_EQ(flash->LoadMovie(0, file), S_OK);
    EXPECT_FALSE(engine.loaded);
    EXPECT_EQ(engine.calls.back(), "unload 0");

    // Relative addresses the host refuses resolve against Base when it is set.
    site->createAnswer = E_NOTIMPL;
    ASSERT_EQ(dispatchPut(flash.get(), DISPID_FLASH_BASE,
                          VARIANT::fromString((folder / "lessons").generic_u16string() + u"/")),
              S_OK);
    ASSERT_EQ(flash->LoadMovie(0, u"b.swf"), S_OK);
    EXPECT_TRUE(engine.loaded);
    EXPECT_EQ(engine.loadedUrl, u"b.swf");
    ASSERT_EQ(flash->LoadMovie(0, u"../a.swf"), S_OK);  // never above the base
    EXPECT_FALSE(engine.loaded);

    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    std::filesystem::remove_all(folder);
}

TEST(LocalFetch, NamesNoFileThroughANulAndReadsOnlyWholeRegularFiles) {
    const std::u16string nul(1, u'\0');
    const std::u16string cut[] = {
        u"file:///m/a.swf%00.png",
        u"/m/a.swf%00",  // escapes in a plain path are part of its name
        u"/m/a.swf" + nul + u".png",
        u"a.swf" + nul + u".png",
    };
    for (const std::u16string& address : cut) {
        const auto path = localFilePath(address, u"/m/");
        EXPECT_TRUE(!path || path->string().find('\0') == std::string::npos)
            << std::string(address.begin(), address.end());
    }
    EXPECT_FALSE(localFilePath(u"file:///m/a.swf%00.png", u""));
    EXPECT_FALSE(localFilePath(u"a.swf" + nul + u".png", u"/m/"));
    EXPECT_EQ(localFilePath(u"file:///m/a%2Eswf", u"")->generic_string(), "/m/a.swf");
    EXPECT_EQ(localFolderOf(u"C:\\lessons\\a.swf"), u"C:/lessons/");
    EXPECT_EQ(localFolderOf(u"a.swf"), u"");

    const auto folder = std::filesystem::temp_directory_path() /
                        ("pencora local fetch " + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "dir.swf");
    std::ofstream(folder / "empty.swf", std::ios::binary);
    std::ofstream(folder / "big.swf", std::ios::binary) << "0123456789";
    EXPECT_FALSE(readLocalFile(folder / "dir.swf"));
    const auto empty = readLocalFile(folder / "empty.swf");
    ASSERT_TRUE(empty);  // an empty file is a file, with no bytes
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(readLocalFile(folder / "big.swf", 9));
    EXPECT_EQ(readLocalFile(folder / "big.swf", 10)->size(), 10u);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pencora::flash::testing
