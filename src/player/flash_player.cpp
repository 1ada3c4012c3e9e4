#include "player/flash_player.h"

#include <QBuffer>
#include <cstdio>

#include "platform/fs/program_path.h"
#include "platform/ole/file_scope.h"
#include "platform/ole/url_pull.h"
#include "platform/resources/program_resources.h"
#include "platform/ui/error_report.h"
#include "player/address_rules.h"
#include "player/command_handler.h"
#include "player/jpeg_writer.h"
#include "player/ole_error.h"

namespace pencora::player {

using namespace ole;

namespace {

constexpr std::string_view kRes = "<res>";
constexpr std::string_view kList = "<list>";
constexpr std::string_view kStream = "<stream>";
constexpr std::string_view kAStream = "<astream>";
constexpr int kVolumeByte = 99;

BSTR wide(const QString& s) {
    return s.toStdU16String();
}

QString text(const BSTR& s) {
    return QString::fromStdU16String(s);
}

std::string exeFolder() {
    return fs::programFolder().toStdString() + "/";
}

QString argText(DISPPARAMS* params, std::size_t fromRight) {
    if (!params || params->rgvarg.size() <= fromRight) {
        return {};
    }
    return text(variantToString(params->rgvarg[fromRight]).value_or(BSTR{}));
}

int argInt(DISPPARAMS* params, std::size_t fromRight) {
    if (!params || params->rgvarg.size() <= fromRight) {
        return 0;
    }
    return variantToInt(params->rgvarg[fromRight]).value_or(0);
}

}  // namespace

QString skinMovieName(TsfFLVSkins skin) {
    switch (skin) {
        case TsfFLVSkins::flvclearskin:
            return QStringLiteral("clearoverall.swf");
        case TsfFLVSkins::flvsteelskin:
            return QStringLiteral("steel.swf");
        case TsfFLVSkins::flvmojaveskin:
            return QStringLiteral("mojave.swf");
        case TsfFLVSkins::flvnoneskin:
            break;
    }
    return {};
}

// ---------------------------------------------------------------- life cycle

TsfFlashPlayer::TsfFlashPlayer(QWidget* parent) : TsfOleControl(parent) {
    TsfCommandHandler::instance();
    CreateControl();
    FFlashNotExists = !FOleObject;
    if (FFlashNotExists) {
        return;
    }
    SetDispatchProperty(DISPID_FLASH_WMODE, VARIANT::fromString(u"Transparent"));
    FOnFSCommand = [this](const QString& command, const QString& args) {
        QueueFSCommand(command, args);
    };
    ActivateInPlace();
}

TsfFlashPlayer::~TsfFlashPlayer() {
    FIntf.reset();
    FStreams.clear();
}

TControlClass* TsfFlashPlayer::DefineControlClass() {
    static TControlClass record{CLSID_ShockwaveFlash, DIID__IShockwaveFlashEvents};
    return &record;
}

void* TsfFlashPlayer::queryHostInterface(REFIID iid) {
    if (iid == IID_IBindHost) {
        return static_cast<IBindHost*>(this);
    }
    if (iid == IID_IMoniker) {
        return static_cast<IMoniker*>(this);
    }
    return nullptr;
}

IShockwaveFlash* TsfFlashPlayer::Intf() {
    if (!FIntf && !FFlashNotExists) {
        CreateControlRuntime();
        if (FControlDispatch) {
            FIntf = FControlDispatch.as<IShockwaveFlash>();
        }
        if (!FIntf) {
            throw OleError(E_NOINTERFACE);
        }
    }
    return FIntf.get();
}

// ---------------------------------------------------------------- events

void TsfFlashPlayer::HandleControlEvent(DISPID id, DISPPARAMS* params) {
    switch (id) {
        case DISPID_FLASH_READYSTATECHANGE:
            if (OnReadyStateChange) {
                ui::guarded([&] { OnReadyStateChange(this, argInt(params, 0)); });
            }
            break;
        case DISPID_FLASH_PROGRESS:
            if (OnProgress) {
                ui::guarded([&] { OnProgress(this, argInt(params, 0)); });
            }
            break;
        case DISPID_FLASH_FSCOMMAND:
            if (FOnFSCommand) {
                FOnFSCommand(argText(params, 1), argText(params, 0));
            }
            break;
        case DISPID_FLASH_FLASHCALL:
            if (OnFlashCall) {
                ui::guarded([&] { OnFlashCall(this, argText(params, 0)); });
            }
            break;
        default:
            break;
    }
}

void TsfFlashPlayer::QueueFSCommand(const QString& command, const QString& args) {
    FFScommand = command;
    FFSargs = args;
    TsfCommandHandler::instance()->post(this);
}

void TsfFlashPlayer::DeliverFSCommand() {
    const QString command = std::exchange(FFScommand, QString());
    const QString args = std::exchange(FFSargs, QString());
    if (OnHandleFSCommand) {
        ui::guarded([&] { OnHandleFSCommand(this, command, args); });
    }
}

// ---------------------------------------------------------------- loading

void TsfFlashPlayer::LoadMovie(int layer, const QString& url) {
    if (FFlashNotExists) {
        return;
    }
    const int major = FlashVersion() >> 16;
    // The folder of the address, which relative requests of the movie are read against. An
    // absolute path of this platform has neither '\' nor ':', so its last '/' counts.
    const qsizetype cut =
        url.startsWith(QLatin1Char('/'))
            ? url.lastIndexOf(QLatin1Char('/'))
            : std::max(url.lastIndexOf(QLatin1Char('\\')), url.lastIndexOf(QLatin1Char(':')));
    FFlashPath = cut < 0 ? std::string() : url.left(cut + 1).toStdString();
    const QString prefix = QString::fromLatin1(kHostPrefix.data(), kHostPrefix.size());
    if (!url.contains(QLatin1String(".flv"))) {
        FHostAddress = wide(url.contains(QLatin1String(":/")) && major < 10 ? url : prefix + url);
        check(Intf()->LoadMovie(layer, FHostAddress));
        FMovie = url;
        FFlv = false;
    } else {
        QString u = url;
        u.replace(QLatin1Char('\\'), QLatin1Char('/'));
        check(Intf()->LoadMovie(layer, u"flvplayback.swf"));
        SetFlvVariables(u.contains(QLatin1String(":/")) && major < 10 ? u : prefix + u);
        FMovie = u;
        FFlv = true;
    }
    SetBounds(x(), y(), width(), height());
}

void TsfFlashPlayer::SetFlvVariables(const QString& contentPath) {
    FHostAddress = wide(contentPath);
    SetVariable(QStringLiteral("flv.contentPath"), contentPath);
    SetVariable(QStringLiteral("flv.skin"), skinMovieName(FFLVPlaybackSkin));
    SetVariable(QStringLiteral("flv.volume"), QString::number(FVolume));
}

void TsfFlashPlayer::LoadMovieFromStream(int layer, IStream* stream) {
    LoadFromStream(layer, stream, false);
}

void TsfFlashPlayer::LoadMovieFromStreamAsync(int layer, IStream* stream) {
    LoadFromStream(layer, stream, true);
}

void TsfFlashPlayer::LoadFromStream(int layer, IStream* stream, bool async) {
    if (FFlashNotExists || !stream) {
        return;
    }
    check(stream->Seek(0, STREAM_SEEK_SET, nullptr));
    std::uint8_t head[3]{};
    ULONG got = 0;
    check(stream->Read(head, 3, &got));
    check(stream->Seek(0, STREAM_SEEK_SET, nullptr));

    // A fresh token for this load; the layer's earlier stream is forgotten.
    for (auto it = FStreams.begin(); it != FStreams.end();) {
        it = it->second.layer == layer ? FStreams.erase(it) : std::next(it);
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", ++FNextToken);
    const std::string token(digits, 8);
    FStreams[token] = LiveStream{layer, ComPtr<IStream>(stream)};

    const QString prefix = QString::fromLatin1(kHostPrefix.data(), kHostPrefix.size()) +
                           QString::fromLatin1(async ? kAStream.data() : kStream.data()) +
                           QString::fromLatin1(digits);
    if (got == 3 && head[0] == 'F' && head[1] == 'L' && head[2] == 'V') {
        check(Intf()->LoadMovie(layer, u"flvplayback.swf"));
        SetFlvVariables(prefix + QStringLiteral(".flv"));
        FMovie.clear();
        FFlv = true;
    } else {
        check(Intf()->LoadMovie(layer, wide(prefix + QStringLiteral(".swf"))));
        FMovie.clear();
        FFlv = false;
    }
}

void TsfFlashPlayer::LoadMovieFromResource(int layer, const QString& resName) {
    const auto bytes = resources::findResource(kRawDataType, resName);
    if (!bytes) {
        throw OleError(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
                       "resource not found: " + resName.toStdString());
    }
    const ComPtr<IStream> stream = streamOnBytes(
        {reinterpret_cast<const std::uint8_t*>(bytes->constData()), std::size_t(bytes->size())});
    LoadMovieFromStream(layer, stream.get());
}

void TsfFlashPlayer::setMovie(const QString& value) {
    if (value == FMovieProperty) {
        return;
    }
    FMovieProperty = value;
    FFlashIndex = -1;
    LoadMovie(0, value);
}

void TsfFlashPlayer::setFlashList(TsfFlashList* list) {
    FFlashList = list;
    if (!list) {
        FFlashIndex = -1;
    }
}

void TsfFlashPlayer::setFlashIndex(int index) {
    FFlashIndex = index;
    if (!FFlashList || FFlashList->Flashs().Count() == 0 || index < 0) {
        return;
    }
    FFlashIndex = std::min(index, FFlashList->Flashs().Count() - 1);
    TsfFlashStream* entry = FFlashList->Flashs().Items(FFlashIndex);
    if (!entry->Flash().isEmpty()) {
        const ComPtr<IStream> stream =
            streamOnBytes({reinterpret_cast<const std::uint8_t*>(entry->Flash().constData()),
                           std::size_t(entry->Flash().size())});
        LoadMovieFromStream(0, stream.get());
    }
}

void TsfFlashPlayer::setFLVPlaybackSkin(TsfFLVSkins skin) {
    if (skin == FFLVPlaybackSkin) {
        return;
    }
    FFLVPlaybackSkin = skin;
    SetVariable(QStringLiteral("flv.skin"), skinMovieName(skin));
}

// ---------------------------------------------------------------- sound

void TsfFlashPlayer::setVolume(int volume) {
    if (volume < 0 || volume > 100 || volume == FVolume) {
        return;
    }
    FVolume = volume;
    ApplySoundVolume(volume);
}

void TsfFlashPlayer::setVolumeControl(bool on) {
    FVolumeControl = on;
    if (on) {
        ApplySoundVolume(FVolume);
    }
}

void TsfFlashPlayer::DisableFlashSounds(bool value) {
    if (FVolumeControl) {
        ApplySoundVolume(value ? 0 : FVolume);
    }
}

void TsfFlashPlayer::ApplySoundVolume(int volume) {
    if (FFlashNotExists) {
        return;
    }
    if (FFlv) {
        SetVariable(QStringLiteral("flv.volume"), QString::number(volume));
        return;
    }
    auto bytes = resources::findResource(kRawDataType, u"SETVOLUME");
    if (!bytes || bytes->size() <= kVolumeByte) {
        throw OleError(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
                       "resource not found: SETVOLUME");
    }
    (*bytes)[kVolumeByte] = static_cast<char>(volume);
    const ComPtr<IStream> stream = streamOnBytes(
        {reinterpret_cast<const std::uint8_t*>(bytes->constData()), std::size_t(bytes->size())});
    // The volume movie lives in layer 1 and leaves what the player knows of layer 0 alone.
    const QString movie = FMovie;
    LoadMovieFromStream(1, stream.get());
    FMovie = movie;
}

// ---------------------------------------------------------------- playback

#define PENCORA_PLAYER_COMMAND(expr) \
    if (FFlashNotExists) {           \
        return;                      \
    }                                \
    check(Intf()->expr)

void TsfFlashPlayer::Play() {
    PENCORA_PLAYER_COMMAND(Play());
    if (FFlv) {
        CallFunction(QStringLiteral("<invoke name=\"playflv\" returntype=\"xml\"></invoke>"));
    }
}

void TsfFlashPlayer::Stop() {
    PENCORA_PLAYER_COMMAND(Stop());
    if (FFlv) {
        CallFunction(QStringLiteral("<invoke name=\"stopflv\" returntype=\"xml\"></invoke>"));
    }
}

void TsfFlashPlayer::Back() {
    PENCORA_PLAYER_COMMAND(Back());
}
void TsfFlashPlayer::Forward() {
    PENCORA_PLAYER_COMMAND(Forward());
}
void TsfFlashPlayer::Rewind() {
    PENCORA_PLAYER_COMMAND(Rewind());
}
void TsfFlashPlayer::StopPlay() {
    PENCORA_PLAYER_COMMAND(StopPlay());
}
void TsfFlashPlayer::GotoFrame(int frameNum) {
    PENCORA_PLAYER_COMMAND(GotoFrame(frameNum));
}
void TsfFlashPlayer::TGotoFrame(const QString& target, int frameNum) {
    PENCORA_PLAYER_COMMAND(TGotoFrame(wide(target), frameNum));
}
void TsfFlashPlayer::TGotoLabel(const QString& target, const QString& label) {
    PENCORA_PLAYER_COMMAND(TGotoLabel(wide(target), wide(label)));
}
void TsfFlashPlayer::TPlay(const QString& target) {
    PENCORA_PLAYER_COMMAND(TPlay(wide(target)));
}
void TsfFlashPlayer::TStopPlay(const QString& target) {
    PENCORA_PLAYER_COMMAND(TStopPlay(wide(target)));
}
void TsfFlashPlayer::TCallFrame(const QString& target, int frameNum) {
    PENCORA_PLAYER_COMMAND(TCallFrame(wide(target), frameNum));
}
void TsfFlashPlayer::TCallLabel(const QString& target, const QString& label) {
    PENCORA_PLAYER_COMMAND(TCallLabel(wide(target), wide(label)));
}
void TsfFlashPlayer::SetVariable(const QString& name, const QString& value) {
    PENCORA_PLAYER_COMMAND(SetVariable(wide(name), wide(value)));
}
void TsfFlashPlayer::TSetProperty(const QString& target, int property, const QString& value) {
    PENCORA_PLAYER_COMMAND(TSetProperty(wide(target), property, wide(value)));
}
void TsfFlashPlayer::TSetPropertyNum(const QString& target, int property, double value) {
    PENCORA_PLAYER_COMMAND(TSetPropertyNum(wide(target), property, value));
}
void TsfFlashPlayer::SetZoomRect(int left, int top, int right, int bottom) {
    PENCORA_PLAYER_COMMAND(SetZoomRect(left, top, right, bottom));
}
void TsfFlashPlayer::Zoom(int factor) {
    PENCORA_PLAYER_COMMAND(Zoom(factor));
}
void TsfFlashPlayer::Pan(int x, int y, int mode) {
    PENCORA_PLAYER_COMMAND(Pan(x, y, mode));
}

#undef PENCORA_PLAYER_COMMAND

#define PENCORA_PLAYER_QUERY(T, expr) \
    T value{};                        \
    if (FFlashNotExists) {            \
        return value;                 \
    }                                 \
    check(Intf()->expr);              \
    return value

int TsfFlashPlayer::CurrentFrame() {
    PENCORA_PLAYER_QUERY(LONG, CurrentFrame(&value));
}
VARIANT_BOOL TsfFlashPlayer::IsPlaying() {
    PENCORA_PLAYER_QUERY(VARIANT_BOOL, IsPlaying(&value));
}
int TsfFlashPlayer::PercentLoaded() {
    PENCORA_PLAYER_QUERY(LONG, PercentLoaded(&value));
}
VARIANT_BOOL TsfFlashPlayer::FrameLoaded(int frameNum) {
    PENCORA_PLAYER_QUERY(VARIANT_BOOL, FrameLoaded(frameNum, &value));
}
int TsfFlashPlayer::FlashVersion() {
    PENCORA_PLAYER_QUERY(LONG, FlashVersion(&value));
}
int TsfFlashPlayer::TCurrentFrame(const QString& target) {
    PENCORA_PLAYER_QUERY(LONG, TCurrentFrame(wide(target), &value));
}
double TsfFlashPlayer::TGetPropertyNum(const QString& target, int property) {
    PENCORA_PLAYER_QUERY(double, TGetPropertyNum(wide(target), property, &value));
}
double TsfFlashPlayer::TGetPropertyAsNumber(const QString& target, int property) {
    PENCORA_PLAYER_QUERY(double, TGetPropertyAsNumber(wide(target), property, &value));
}

#undef PENCORA_PLAYER_QUERY

QString TsfFlashPlayer::TCurrentLabel(const QString& target) {
    if (FFlashNotExists) {
        return {};
    }
    BSTR value;
    check(Intf()->TCurrentLabel(wide(target), &value));
    return text(value);
}

QString TsfFlashPlayer::GetVariable(const QString& name) {
    if (FFlashNotExists) {
        return {};
    }
    BSTR value;
    check(Intf()->GetVariable(wide(name), &value));
    return text(value);
}

QString TsfFlashPlayer::TGetProperty(const QString& target, int property) {
    if (FFlashNotExists) {
        return {};
    }
    BSTR value;
    check(Intf()->TGetProperty(wide(target), property, &value));
    return text(value);
}

QString TsfFlashPlayer::CallFunction(const QString& request) {
    if (FFlashNotExists || FlashVersion() <= 0x7FFFF) {
        return {};
    }
    BSTR response;
    check(Intf()->CallFunction(wide(request), &response));
    return text(response);
}

void TsfFlashPlayer::SetReturnValue(const QString& returnValue) {
    if (FFlashNotExists || FlashVersion() <= 0x7FFFF) {
        return;
    }
    check(Intf()->SetReturnValue(wide(returnValue)));
}

// ---------------------------------------------------------------- pass-through properties

bool TsfFlashPlayer::boolProperty(DISPID id) {
    return !FFlashNotExists && variantToBool(GetDispatchProperty(id)).value_or(false);
}
void TsfFlashPlayer::setBoolProperty(DISPID id, bool v) {
    if (!FFlashNotExists) {
        SetDispatchProperty(id, VARIANT::fromBool(v));
    }
}
int TsfFlashPlayer::intProperty(DISPID id) {
    return FFlashNotExists ? 0 : variantToInt(GetDispatchProperty(id)).value_or(0);
}
void TsfFlashPlayer::setIntProperty(DISPID id, int v) {
    if (!FFlashNotExists) {
        SetDispatchProperty(id, VARIANT::fromInt(v));
    }
}
QString TsfFlashPlayer::stringProperty(DISPID id) {
    return FFlashNotExists ? QString()
                           : text(variantToString(GetDispatchProperty(id)).value_or(BSTR{}));
}
void TsfFlashPlayer::setStringProperty(DISPID id, const QString& v) {
    if (!FFlashNotExists) {
        SetDispatchProperty(id, VARIANT::fromString(wide(v)));
    }
}

// ---------------------------------------------------------------- capture

QImage TsfFlashPlayer::GrabToBmp() {
    if (FFlashNotExists) {
        return {};
    }
    const auto frame = GrabToBitmap();
    if (frame->empty()) {
        return {};
    }
    return frame->image().copy();
}

std::unique_ptr<TsfBitmap> TsfFlashPlayer::GrabToBmpAlpha() {
    if (FFlashNotExists) {
        return std::make_unique<TsfBitmap>();
    }
    return GrabAlphaFrame();
}

QByteArray TsfFlashPlayer::GrabToJpg(int quality) {
    const auto frame = FFlashNotExists ? std::make_unique<TsfBitmap>() : GrabToBitmap();
    if (frame->empty()) {
        throw std::runtime_error("GrabToJpg: the player has no frame to grab");
    }
    return encodeJpeg(*frame, quality);
}

// ---------------------------------------------------------------- bind host and moniker

HRESULT TsfFlashPlayer::CreateMoniker(const BSTR& name, IBindCtx* context, IMoniker** moniker,
                                      DWORD) {
    const ComPtr<IBindCtx> hold(context);
    if (!moniker) {
        return E_POINTER;
    }
    *moniker = static_cast<IMoniker*>(this);
    AddRef();
    const auto refuse = [&] {
        *moniker = nullptr;
        Release();
        return E_NOTIMPL;
    };
    std::string s = text(name).toStdString();
    if (startsWith(s, "./")) {
        s.erase(0, 2);
    }
    if (s == "file://") {
        return S_OK;
    }
    if (!hasServedTrigger(s) || s.empty()) {
        return refuse();
    }
    const std::string before = Furl;
    const std::string fileName = UrlFileName(s);
    if (FFlashList && FFlashList->FindFlash(QString::fromStdString(fileName))) {
        Furl = std::string(kList) + fileName;
    } else if (resources::findResource(kRawDataType, QString::fromStdString(StripExtension(s)))) {
        Furl = std::string(kRes) + s;
    } else {
        const std::string exe = exeFolder();
        const bool ours = startsWith(s, kHostPrefix);
        const std::string rest = ours ? s.substr(kHostPrefix.size()) : std::string();
        if (ours && LocalFileExists(exe + rest)) {
            Furl = exe + rest;
        } else if (LocalFileExists(exe + s)) {
            Furl = exe + s;
        } else if (ours) {
            std::string t = rest;
            if (startsWith(t, "./")) {
                t.erase(0, 2);
            }
            // A drive path (or an absolute path of this platform) that names no file leaves
            // the request as it was.
            const bool absolute = (t.size() > 2 && t[1] == ':') || startsWith(t, "/");
            if (!(absolute && !LocalFileExists(t))) {
                Furl = t;
            }
        } else if (!startsWith(s, "file://") || LocalFileExists(s)) {
            Furl = s;
        }
    }
    if (Furl != before) {
        FurlFromHost = name == FHostAddress;
    }
    for (auto& c : Furl) {
        if (c == '\\') {
            c = '/';
        }
    }
    return S_OK;
}

HRESULT TsfFlashPlayer::BindToObject(IBindCtx*, IMoniker*, REFIID, void** object) {
    if (object) {
        *object = nullptr;
    }
    return E_NOTIMPL;
}

ComPtr<IStream> TsfFlashPlayer::StreamOfToken(std::string_view token) const {
    const auto it = FStreams.find(std::string(token));
    return it == FStreams.end() ? ComPtr<IStream>() : it->second.stream;
}

HRESULT TsfFlashPlayer::Deliver(IBindStatusCallback* callback, IStream* stream) {
    Furl.clear();
    FurlFromHost = false;
    STATSTG stat;
    stream->Stat(&stat, STATFLAG_NONAME);
    callback->OnStartBinding(0, nullptr);
    callback->OnProgress(100, 100, BINDSTATUS_ENDDOWNLOADDATA, u"");
    STGMEDIUM medium{TYMED_ISTREAM, stream, nullptr};
    callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION,
                              static_cast<DWORD>(stat.cbSize), nullptr, &medium);
    callback->OnStopBinding(S_OK, u"");
    return S_OK;
}

HRESULT TsfFlashPlayer::BindToStorage(IBindCtx* context, IMoniker*, REFIID, void**) {
    if (!context) {
        return E_FAIL;
    }
    ComPtr<IUnknown> holder;
    if (FAILED(context->GetObjectParam(kBindStatusCallbackHolder, holder.put())) || !holder) {
        return E_FAIL;
    }
    const auto callback = holder.as<IBindStatusCallback>();
    if (!callback) {
        return E_FAIL;
    }
    if (startsWith(Furl, kRes)) {
        const std::string name = Furl.substr(kRes.size());
        const auto bytes =
            resources::findResource(kRawDataType, QString::fromStdString(StripExtension(name)));
        if (!bytes) {
            return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
        }
        const ComPtr<IStream> stream =
            streamOnBytes({reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                           std::size_t(bytes->size())});
        return Deliver(callback.get(), stream.get());
    }
    if (startsWith(Furl, kList)) {
        Furl.erase(0, kList.size());
        TsfFlashStream* entry =
            FFlashList ? FFlashList->FindFlash(QString::fromStdString(Furl)) : nullptr;
        if (!entry) {
            return E_FAIL;
        }
        const ComPtr<IStream> copy =
            streamOnBytes({reinterpret_cast<const std::uint8_t*>(entry->Flash().constData()),
                           std::size_t(entry->Flash().size())});
        return Deliver(callback.get(), copy.get());
    }
    if (startsWith(Furl, kStream) || startsWith(Furl, kAStream)) {
        const bool copyIt = startsWith(Furl, kStream);
        const std::size_t at = copyIt ? kStream.size() : kAStream.size();
        const ComPtr<IStream> stream =
            Furl.size() >= at + 8 ? StreamOfToken(std::string_view(Furl).substr(at, 8)) : nullptr;
        if (!stream) {
            // A forged or stale token names nothing.
            Furl.clear();
            return E_FAIL;
        }
        if (!copyIt) {
            stream->Seek(0, STREAM_SEEK_SET, nullptr);
            return Deliver(callback.get(), stream.get());
        }
        std::vector<std::uint8_t> bytes;
        if (FAILED(readAll(stream.get(), &bytes))) {
            return E_FAIL;
        }
        const ComPtr<IStream> copy = streamOnBytes(bytes);
        return Deliver(callback.get(), copy.get());
    }
    std::string a = std::exchange(Furl, std::string());
    const bool fromHost = std::exchange(FurlFromHost, false);
    const bool relative = a.find(':') == std::string::npos && !startsWith(a, "/");
    if (relative) {
        a = (FFlashPath.empty() ? exeFolder() : FFlashPath) + a;
    }
    // What a movie may not read is answered as a missing file.
    if (!fromHost && !MayServeToMovie(a, relative)) {
        return E_FAIL;
    }
    return URLOpenPullStream(nullptr, a, 0, callback.get()) == S_OK ? S_OK : E_FAIL;
}

bool TsfFlashPlayer::MayServeToMovie(const std::string& a, bool relative) const {
    const std::filesystem::path file = pullFile(a);
    if (file.empty()) {
        return false;
    }
    const auto utf8 = [](const std::string& s) {
        return std::filesystem::path(std::u8string(s.begin(), s.end()));
    };
    return liesBelow(file, utf8(exeFolder())) ||
           (relative && !FFlashPath.empty() && liesBelow(file, utf8(FFlashPath)));
}

}  // namespace pencora::player
