// The URL pull serves local files in one notification and never the network.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/ole/url_pull.h"

namespace pencora::ole {
namespace {

struct Recorder final : ComObject<IBindStatusCallback> {
    HRESULT OnStartBinding(DWORD, IBinding*) override {
        calls.push_back("start");
        return S_OK;
    }
    HRESULT OnProgress(ULONG progress, ULONG, ULONG status, const BSTR&) override {
        calls.push_back("progress " + std::to_string(progress) + " " + std::to_string(status));
        return S_OK;
    }
    HRESULT OnStopBinding(HRESULT result, const BSTR&) override {
        calls.push_back("stop " + std::to_string(result));
        return S_OK;
    }
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium) override {
        calls.push_back("data " + std::to_string(flags) + " " + std::to_string(size));
        readAll(medium->pstm, &bytes);
        return S_OK;
    }
    std::vector<std::string> calls;
    std::vector<std::uint8_t> bytes;
};

TEST(UrlPull, ServesLocalFilesOnly) {
    const auto folder = std::filesystem::temp_directory_path() / "pencora ole pull";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.swf", std::ios::binary) << "FWS";
    const std::string file = (folder / "a.swf").generic_string();
    std::string escaped = "file://";
    for (char c : file) {
        escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    }
    struct Row {
        std::string address;
        HRESULT result;
    };
    const Row rows[] = {
        {file, S_OK},
        {escaped, S_OK},
        {file + "?x=1", S_OK},
        {file + ".missing", INET_E_RESOURCE_NOT_FOUND},
        {"http://example.com/a.swf", INET_E_INVALID_URL},
        {"https://example.com/a.swf", INET_E_INVALID_URL},
        {"ftp://example.com" + file, INET_E_INVALID_URL},
    };
    for (const Row& row : rows) {
        auto recorder = makeCom<Recorder>();
        EXPECT_EQ(URLOpenPullStream(nullptr, row.address, 0, recorder.get()), row.result)
            << row.address;
        if (row.result == S_OK) {
            const std::vector<std::string> expected = {"start", "progress 3 6", "data 5 3",
                                                       "stop 0"};
            EXPECT_EQ(recorder->calls, expected) << row.address;
            EXPECT_EQ(recorder->bytes, (std::vector<std::uint8_t>{'F', 'W', 'S'}));
        } else {
            EXPECT_TRUE(recorder->calls.empty()) << row.address;
        }
    }
    EXPECT_EQ(URLOpenPullStream(nullptr, file, 0, nullptr), E_INVALIDARG);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pencora::ole
