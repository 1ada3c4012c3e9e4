#include "platform/ole/url_pull.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace pencora::ole {

namespace {

// Files beyond this are not pulled.
constexpr std::uintmax_t kMaxPullSize = 256u << 20;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool startsWithIgnoringCase(const std::string& s, const char* prefix) {
    for (std::size_t i = 0; prefix[i]; ++i) {
        if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// The local path of an address, or empty when it is not local.
std::string localPath(std::string address) {
    for (char& c : address) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (startsWithIgnoringCase(address, "file:")) {
        address.erase(0, 5);
        if (address.rfind("//", 0) == 0) {
            address.erase(0, 2);
            if (startsWithIgnoringCase(address, "localhost/")) {
                address.erase(0, 9);
            }
        }
        if (address.size() >= 3 && address[0] == '/' && address[2] == ':') {
            address.erase(0, 1);  // file:///C:/x
        }
    } else {
        // Any scheme but a drive letter is not ours to fetch.
        const auto colon = address.find(':');
        if (colon != std::string::npos && colon > 1 && address.find_first_of("/?#") > colon) {
            return {};
        }
    }
    std::string decoded;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size() && hexDigit(address[i + 1]) >= 0 &&
            hexDigit(address[i + 2]) >= 0) {
            decoded += static_cast<char>(hexDigit(address[i + 1]) * 16 + hexDigit(address[i + 2]));
            i += 2;
        } else {
            decoded += address[i];
        }
    }
    // A NUL would end the path early and name another file than the address does.
    if (decoded.find('\0') != std::string::npos) {
        return {};
    }
    return decoded;
}

bool readFile(const std::filesystem::path& path, std::vector<std::uint8_t>* bytes) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxPullSize) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes->resize(static_cast<std::size_t>(size));
    return in && (size == 0 || in.read(reinterpret_cast<char*>(bytes->data()),
                                       static_cast<std::streamsize>(size)));
}

}  // namespace

std::filesystem::path pullFile(const std::string& address) {
    const std::string path = localPath(address);
    if (path.empty()) {
        return {};
    }
    std::error_code ec;
    const std::filesystem::path whole(std::u8string(path.begin(), path.end()));
    if (std::filesystem::is_regular_file(whole, ec)) {
        return whole;
    }
    const auto query = path.find('?');
    if (query == std::string::npos) {
        return {};
    }
    const std::filesystem::path cut(std::u8string(path.begin(), path.begin() + query));
    return std::filesystem::is_regular_file(cut, ec) ? cut : std::filesystem::path();
}

HRESULT URLOpenPullStream(IUnknown*, const std::string& address, DWORD,
                          IBindStatusCallback* callback) {
    if (!callback) {
        return E_INVALIDARG;
    }
    if (localPath(address).empty()) {
        return INET_E_INVALID_URL;
    }
    std::vector<std::uint8_t> bytes;
    const std::filesystem::path file = pullFile(address);
    if (file.empty() || !readFile(file, &bytes)) {
        return INET_E_RESOURCE_NOT_FOUND;
    }
    ComPtr<IStream> stream = streamOnBytes(bytes);
    STGMEDIUM medium;
    medium.pstm = stream.get();
    const auto size = static_cast<ULONG>(bytes.size());
    callback->OnStartBinding(0, nullptr);
    callback->OnProgress(size, size, BINDSTATUS_ENDDOWNLOADDATA, u"");
    callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION, size, nullptr,
                              &medium);
    callback->OnStopBinding(S_OK, u"");
    return S_OK;
}

}  // namespace pencora::ole
