// The runner's bind host: which file of the served folder an address names, that nothing
// outside the folder is ever delivered, and what a bound moniker hands back.
#include <gtest/gtest.h>

#include <QString>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ole/stream.h"
#include "served_folder.h"

namespace pencora::swfplay {
namespace {

namespace fs = std::filesystem;
using namespace ole;

struct ServedFolder : testing::Test {
    // Each test has a folder of its own: ctest runs the tests of this fixture side by side.
    fs::path root =
        fs::temp_directory_path() / (std::string("swfplay_served_folder_") +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path folder = root / "site";

    ServedFolder() {
        fs::remove_all(root);
        fs::create_directories(folder / "localhost" / "deep");
        std::ofstream(folder / "test.swf") << "movie";
        std::ofstream(folder / "a b.txt") << "spaced";
        std::ofstream(folder / "localhost" / "deep" / "x.swf") << "remote";
        std::ofstream(root / "secret.txt") << "outside";
        fs::create_directory_symlink(root, folder / "escape");
    }
    ~ServedFolder() override { fs::remove_all(root); }

    std::string served(std::u16string_view address) {
        const auto path = servedPath(folder, address);
        return path ? path->lexically_relative(folder).generic_string() : "<none>";
    }
};

TEST_F(ServedFolder, AddressesNameFilesOfTheFolder) {
    EXPECT_EQ(servedAddress(folder / "test.swf"), u"file:///test.swf");
    EXPECT_EQ(servedAddress(folder / "a b.txt"), u"file:///a%20b.txt");

    EXPECT_EQ(served(u"file:///test.swf"), "test.swf");
    EXPECT_EQ(served(u"file://localhost/test.swf"), "test.swf");
    EXPECT_EQ(served(u"FILE:///a%20b.txt?x=1#top"), "a b.txt");
    EXPECT_EQ(served(u"test.swf?var=1"), "test.swf");
    EXPECT_EQ(served(u"./localhost\\deep/x.swf"), "localhost/deep/x.swf");
    EXPECT_EQ(served(u"/test.swf"), "test.swf");
    // A network address reads from the subfolder of its host, whatever the port.
    EXPECT_EQ(served(u"http://localhost:8000/deep/x.swf"), "localhost/deep/x.swf");
    EXPECT_EQ(served(u"https://localhost/deep/x.swf"), "localhost/deep/x.swf");
}

TEST_F(ServedFolder, NothingOutsideTheFolderIsServed) {
    for (std::u16string_view address :
         {u"../secret.txt", u"file:///../secret.txt", u"deep/%2e%2e/%2E%2E/secret.txt",
          u"file://otherhost/test.swf", u"escape/secret.txt", u"C:/secret.txt",
          u"javascript:alert(1)", u"mailto:x@y", u"http:///x.swf", u"", u"file:///"}) {
        EXPECT_EQ(served(address), "<none>")
            << QString::fromStdU16String(std::u16string(address)).toStdString();
    }
}

TEST_F(ServedFolder, AMonikerDeliversItsFileOrFails) {
    auto host = makeServedFolder(folder);
    auto bind = [&](std::u16string_view address, std::string* text) {
        ComPtr<IMoniker> moniker;
        EXPECT_EQ(host->CreateMoniker(std::u16string(address), nullptr, moniker.put(), 0), S_OK)
            << "every address gets a moniker, so the control never reads files itself";
        ComPtr<IStream> stream;
        const HRESULT h = moniker->BindToStorage(nullptr, nullptr, IID_IStream, stream.putVoid());
        if (SUCCEEDED(h)) {
            std::vector<std::uint8_t> bytes;
            readAll(stream.get(), &bytes, 1 << 20);
            text->assign(bytes.begin(), bytes.end());
        }
        return h;
    };
    std::string text;
    EXPECT_EQ(bind(u"file:///test.swf", &text), S_OK);
    EXPECT_EQ(text, "movie");
    EXPECT_EQ(bind(u"http://localhost:8000/deep/x.swf", &text), S_OK);
    EXPECT_EQ(text, "remote");
    EXPECT_TRUE(FAILED(bind(u"missing.swf", &text)));
    EXPECT_TRUE(FAILED(bind(u"../secret.txt", &text)));
    EXPECT_TRUE(FAILED(bind(u"localhost", &text))) << "a folder is no file";
}

}  // namespace
}  // namespace pencora::swfplay
