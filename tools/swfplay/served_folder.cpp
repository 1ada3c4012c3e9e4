#include "served_folder.h"

#include <QString>
#include <QUrl>

#include "platform/flash/control/local_fetch.h"
#include "platform/ole/stream.h"

namespace pencora::swfplay {

using namespace ole;

namespace {

// The scheme of `s` in lower case ("http"), empty when it has none; a drive letter ("C:")
// is no scheme.
QString schemeOf(const QString& s) {
    const qsizetype colon = s.indexOf(u':');
    if (colon < 2) {
        return {};
    }
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = s[i];
        const bool ok =
            c.unicode() < 0x80 &&
            (c.isLetter() || (i > 0 && (c.isDigit() || c == u'+' || c == u'-' || c == u'.')));
        if (!ok) {
            return {};
        }
    }
    return s.left(colon).toLower();
}

// The path of `s` inside the served folder, '/'-separated and still escaped; nullopt when
// the address is not one the folder serves.
std::optional<QString> servedName(QString s) {
    s.truncate(std::min(s.indexOf(u'?') < 0 ? s.size() : s.indexOf(u'?'),
                        s.indexOf(u'#') < 0 ? s.size() : s.indexOf(u'#')));
    s.replace(u'\\', u'/');
    const QString scheme = schemeOf(s);
    if (scheme.isEmpty()) {
        return s.size() >= 2 && s[1] == u':' ? std::nullopt : std::optional(s);
    }
    QString rest = s.mid(scheme.size() + 1);
    if (!rest.startsWith(QLatin1String("//"))) {
        return std::nullopt;
    }
    rest.remove(0, 2);
    const qsizetype slash = rest.indexOf(u'/');
    QString host = slash < 0 ? rest : rest.left(slash);
    const QString path = slash < 0 ? QString() : rest.mid(slash);
    if (scheme == QLatin1String("file")) {
        if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive)) {
            return std::nullopt;
        }
        return path;
    }
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
        scheme != QLatin1String("ftp")) {
        return std::nullopt;
    }
    host.truncate(host.indexOf(u':') < 0 ? host.size() : host.indexOf(u':'));
    if (host.isEmpty()) {
        return std::nullopt;
    }
    return host + u'/' + path;
}

bool inside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::error_code error;
    const auto a = std::filesystem::weakly_canonical(file, error);
    const auto b = std::filesystem::weakly_canonical(folder, error);
    if (error) {
        return false;
    }
    auto [end, unused] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return end == b.end();
}

class Moniker final : public ComObject<IMoniker> {
  public:
    explicit Moniker(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}

    HRESULT BindToObject(IBindCtx*, IMoniker*, REFIID, void** object) override {
        if (object) {
            *object = nullptr;
        }
        return E_NOTIMPL;
    }
    // The file as a stream in `*object`; E_FAIL when there is none to read.
    HRESULT BindToStorage(IBindCtx*, IMoniker*, REFIID iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (iid != IID_IStream) {
            return E_NOINTERFACE;
        }
        const auto bytes = file_ ? flash::readLocalFile(*file_) : std::nullopt;
        if (!bytes) {
            return E_FAIL;
        }
        *object = streamOnBytes(*bytes).detach();
        return S_OK;
    }
    HRESULT GetDisplayName(IBindCtx*, IMoniker*, BSTR*) override { return E_NOTIMPL; }

  private:
    std::optional<std::filesystem::path> file_;
};

class BindHost final : public ComObject<IBindHost, ISocketHost> {
  public:
    BindHost(std::filesystem::path folder, ComPtr<ISocketHost> sockets)
        : folder_(std::move(folder)), sockets_(std::move(sockets)) {}

    HRESULT OpenSocket(const BSTR& host, ULONG port, ISocketSink* sink,
                       ISocketConnection** connection) override {
        if (connection) {
            *connection = nullptr;
        }
        if (!sockets_) {
            return E_ACCESSDENIED;
        }
        return sockets_->OpenSocket(host, port, sink, connection);
    }

    HRESULT CreateMoniker(const BSTR& name, IBindCtx*, IMoniker** moniker, DWORD) override {
        if (!moniker) {
            return E_POINTER;
        }
        *moniker = makeCom<Moniker>(servedPath(folder_, name)).detach();
        return S_OK;
    }
    HRESULT MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                 void** object) override {
        if (object) {
            *object = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                void** object) override {
        if (object) {
            *object = nullptr;
        }
        return E_NOTIMPL;
    }

  private:
    std::filesystem::path folder_;
    ComPtr<ISocketHost> sockets_;
};

}  // namespace

std::u16string servedAddress(const std::filesystem::path& movieFile) {
    const QString name = QString::fromStdU16String(movieFile.filename().u16string());
    return (QStringLiteral("file:///") +
            QString::fromLatin1(QUrl::toPercentEncoding(name, "/:~!$&'()*+,;=@")))
        .toStdU16String();
}

std::optional<std::filesystem::path> servedPath(const std::filesystem::path& folder,
                                                std::u16string_view address) {
    const auto name = servedName(QString::fromStdU16String(std::u16string(address)));
    if (!name) {
        return std::nullopt;
    }
    const QString decoded = QUrl::fromPercentEncoding(name->toUtf8());
    std::filesystem::path file = folder;
    for (const QString& step : decoded.split(u'/', Qt::SkipEmptyParts)) {
        if (step == QLatin1String("..")) {
            return std::nullopt;
        }
        if (step != QLatin1String(".")) {
            file /= step.toStdU16String();
        }
    }
    if (file == folder || !inside(file, folder)) {
        return std::nullopt;
    }
    return file;
}

ComPtr<IBindHost> makeServedFolder(const std::filesystem::path& folder,
                                   ComPtr<ISocketHost> sockets) {
    return makeCom<BindHost>(folder, std::move(sockets));
}

}  // namespace pencora::swfplay
