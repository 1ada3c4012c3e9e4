// The forms of a local address the URL pull reads, and those it leaves alone: what a movie
// resolved against the program's folder may hand it, spelt the ways paths get spelt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "platform/ole/url_pull.h"

namespace pencora::ole {
namespace {

struct Counting final : ComObject<IBindStatusCallback> {
    HRESULT OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT OnProgress(ULONG, ULONG, ULONG, const BSTR&) override { return S_OK; }
    HRESULT OnStopBinding(HRESULT, const BSTR&) override {
        ++stops;
        return S_OK;
    }
    HRESULT OnDataAvailable(DWORD, DWORD size, FORMATETC*, STGMEDIUM* medium) override {
        ++notifications;
        announced = size;
        tymed = medium->tymed;
        readAll(medium->pstm, &bytes);
        return S_OK;
    }
    int notifications = 0;
    int stops = 0;
    DWORD announced = 0;
    DWORD tymed = 0;
    std::vector<std::uint8_t> bytes;
};

class UrlPullForms : public ::testing::Test {
  protected:
    void SetUp() override {
        // One folder per test and process: the cases may run side by side.
        folder = std::filesystem::temp_directory_path() /
                 ("pencora pull forms " + std::to_string(::getpid()) + " " +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder / "sub dir");
        std::ofstream(folder / "sub dir" / "movie.swf", std::ios::binary) << "CWS\x0A";
        std::ofstream(folder / "empty.txt", std::ios::binary);
        file = (folder / "sub dir" / "movie.swf").generic_string();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    HRESULT pull(const std::string& address, Counting** seen = nullptr) {
        last = makeCom<Counting>();
        if (seen) {
            *seen = last.get();
        }
        return URLOpenPullStream(nullptr, address, 0, last.get());
    }
    static std::string backslashed(std::string s) {
        for (char& c : s) {
            if (c == '/') {
                c = '\\';
            }
        }
        return s;
    }
    static std::string escaped(const std::string& s) {
        std::string out;
        for (char c : s) {
            out += c == ' ' ? std::string("%20") : std::string(1, c);
        }
        return out;
    }

    std::filesystem::path folder;
    std::string file;
    ComPtr<Counting> last;
};

TEST_F(UrlPullForms, ReadsEveryLocalSpellingOfOneFile) {
    const std::string forms[] = {
        file,
        backslashed(file),
        "file://" + file,
        "FILE://" + escaped(file),
        "file://localhost" + escaped(file),
        "file:" + file,
        file + "?lesson=010201&x=%20",
        escaped(file),
    };
    for (const std::string& address : forms) {
        Counting* seen = nullptr;
        ASSERT_EQ(pull(address, &seen), S_OK) << address;
        EXPECT_EQ(seen->notifications, 1) << address;
        EXPECT_EQ(seen->stops, 1) << address;
        EXPECT_EQ(seen->announced, 4u) << address;
        EXPECT_EQ(seen->tymed, TYMED_ISTREAM);
        EXPECT_EQ(seen->bytes, (std::vector<std::uint8_t>{'C', 'W', 'S', 0x0A})) << address;
    }
}

TEST_F(UrlPullForms, EmptyFilesArriveEmptyAndEverythingElseFailsSilently) {
    Counting* seen = nullptr;
    ASSERT_EQ(pull((folder / "empty.txt").generic_string(), &seen), S_OK);
    EXPECT_EQ(seen->notifications, 1);
    EXPECT_EQ(seen->announced, 0u);
    EXPECT_TRUE(seen->bytes.empty());

    struct Row {
        std::string address;
        HRESULT result;
    };
    const Row rows[] = {
        {(folder / "sub dir").generic_string(), INET_E_RESOURCE_NOT_FOUND},  // a folder
        {folder.generic_string() + "/sub dir/none.swf?movie.swf", INET_E_RESOURCE_NOT_FOUND},
        {"C:/lessons/movie.swf", INET_E_RESOURCE_NOT_FOUND},  // a drive path, not a scheme
        {"", INET_E_INVALID_URL},
        {"mailto:someone@example.com", INET_E_INVALID_URL},
        {"javascript:alert(1)", INET_E_INVALID_URL},
        {"rtmp://example.com" + file, INET_E_INVALID_URL},
        {"HTTP://example.com/movie.swf", INET_E_INVALID_URL},
        // An escaped NUL would cut the path short at "movie.swf".
        {file + "%00.txt", INET_E_INVALID_URL},
        {"file://" + file + "%00", INET_E_INVALID_URL},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(pull(row.address, &seen), row.result) << row.address;
        EXPECT_EQ(seen->notifications + seen->stops, 0) << row.address;
    }
}

}  // namespace
}  // namespace pencora::ole
