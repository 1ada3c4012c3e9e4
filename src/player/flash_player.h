// TsfFlashPlayer: the movie player control. It hosts the Shockwave Flash control windowless
// (TsfOleControl), adds the movie operations, the volume mechanism and the deferred delivery
// of movie commands, and is the control's bind host: the control asks it for a moniker for
// every address, and it serves movies from memory streams, the program's raw-data resources,
// its movie list and local files. It reaches the control only through the component
// contract; a player whose control cannot be created is "unavailable" and does nothing.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <map>

#include "platform/ole/binding.h"
#include "platform/ole/shockwave_flash.h"
#include "player/flash_list.h"
#include "player/ole_control.h"

namespace pencora::player {

enum class TsfFLVSkins { flvclearskin = 0, flvsteelskin = 1, flvmojaveskin = 2, flvnoneskin = 3 };

// The skin movie's name, empty for flvnoneskin.
QString skinMovieName(TsfFLVSkins skin);

// The resource type of the program's raw-data movies.
inline constexpr char16_t kRawDataType[] = u"RCDATA";

class TsfFlashPlayer : public TsfOleControl, public ole::IBindHost, public ole::IMoniker {
    Q_OBJECT
  public:
    explicit TsfFlashPlayer(QWidget* parent = nullptr);
    ~TsfFlashPlayer() override;

    ole::HRESULT QueryInterface(ole::REFIID iid, void** object) override {
        return TsfOleControl::QueryInterface(iid, object);
    }
    ole::ULONG AddRef() override { return TsfOleControl::AddRef(); }
    ole::ULONG Release() override { return TsfOleControl::Release(); }

    // --- Events
    std::function<void(TsfFlashPlayer*, int newState)> OnReadyStateChange;
    std::function<void(TsfFlashPlayer*, int percentDone)> OnProgress;
    std::function<void(TsfFlashPlayer*, const QString& command, const QString& args)>
        OnHandleFSCommand;
    std::function<void(TsfFlashPlayer*, const QString& request)> OnFlashCall;

    // --- Loading
    void LoadMovie(int layer, const QString& url);
    void LoadMovieFromStream(int layer, ole::IStream* stream);
    void LoadMovieFromStreamAsync(int layer, ole::IStream* stream);
    // Raises the not-found error when the program has no raw-data resource of that name.
    void LoadMovieFromResource(int layer, const QString& resName);

    QString Movie() const { return FMovieProperty; }
    void setMovie(const QString& value);
    TsfFlashList* FlashList() const { return FFlashList; }
    void setFlashList(TsfFlashList* list);
    int FlashIndex() const { return FFlashIndex; }
    void setFlashIndex(int index);
    TsfFLVSkins FLVPlaybackSkin() const { return FFLVPlaybackSkin; }
    void setFLVPlaybackSkin(TsfFLVSkins skin);

    // --- Sound
    int Volume() const { return FVolume; }
    void setVolume(int volume);
    bool VolumeControl() const { return FVolumeControl; }
    void setVolumeControl(bool on);
    void DisableFlashSounds(bool value);

    // --- Playback and frames
    void Play();
    void Stop();
    void Back();
    void Forward();
    void Rewind();
    void StopPlay();
    void GotoFrame(int frameNum);
    int CurrentFrame();
    ole::VARIANT_BOOL IsPlaying();
    int PercentLoaded();
    ole::VARIANT_BOOL FrameLoaded(int frameNum);
    int FlashVersion();

    // --- Timeline targets
    void TGotoFrame(const QString& target, int frameNum);
    void TGotoLabel(const QString& target, const QString& label);
    int TCurrentFrame(const QString& target);
    QString TCurrentLabel(const QString& target);
    void TPlay(const QString& target);
    void TStopPlay(const QString& target);
    void TCallFrame(const QString& target, int frameNum);
    void TCallLabel(const QString& target, const QString& label);

    // --- Variables and clip properties
    void SetVariable(const QString& name, const QString& value);
    QString GetVariable(const QString& name);
    void TSetProperty(const QString& target, int property, const QString& value);
    QString TGetProperty(const QString& target, int property);
    void TSetPropertyNum(const QString& target, int property, double value);
    double TGetPropertyNum(const QString& target, int property);
    double TGetPropertyAsNumber(const QString& target, int property);

    // --- External calls (control version 8 and later)
    QString CallFunction(const QString& request);
    void SetReturnValue(const QString& returnValue);

    // --- View
    void SetZoomRect(int left, int top, int right, int bottom);
    void Zoom(int factor);
    void Pan(int x, int y, int mode);

    // --- Capture
    // The current frame over transparent black, size of the player; empty without a control.
    QImage GrabToBmp();
    std::unique_ptr<TsfBitmap> GrabToBmpAlpha();
    // The frame as a 24-bit JPEG; raises an error when there is nothing to grab.
    QByteArray GrabToJpg(int quality = 90);

    bool IsFlashAviable() const { return !FFlashNotExists; }

    // --- Pass-through properties of the control
    bool Playing() { return boolProperty(ole::DISPID_FLASH_PLAYING); }
    void setPlaying(bool v) { setBoolProperty(ole::DISPID_FLASH_PLAYING, v); }
    int Quality() { return intProperty(ole::DISPID_FLASH_QUALITY); }
    void setQuality(int v) { setIntProperty(ole::DISPID_FLASH_QUALITY, v); }
    int ScaleMode() { return intProperty(ole::DISPID_FLASH_SCALEMODE); }
    void setScaleMode(int v) { setIntProperty(ole::DISPID_FLASH_SCALEMODE, v); }
    int AlignMode() { return intProperty(ole::DISPID_FLASH_ALIGNMODE); }
    void setAlignMode(int v) { setIntProperty(ole::DISPID_FLASH_ALIGNMODE, v); }
    int BackgroundColor() { return intProperty(ole::DISPID_FLASH_BACKGROUNDCOLOR); }
    void setBackgroundColor(int v) { setIntProperty(ole::DISPID_FLASH_BACKGROUNDCOLOR, v); }
    bool Loop() { return boolProperty(ole::DISPID_FLASH_LOOP); }
    void setLoop(bool v) { setBoolProperty(ole::DISPID_FLASH_LOOP, v); }
    int FrameNum() { return intProperty(ole::DISPID_FLASH_FRAMENUM); }
    void setFrameNum(int v) { setIntProperty(ole::DISPID_FLASH_FRAMENUM, v); }
    QString SAlign() { return stringProperty(ole::DISPID_FLASH_SALIGN); }
    void setSAlign(const QString& v) { setStringProperty(ole::DISPID_FLASH_SALIGN, v); }
    bool Menu() { return boolProperty(ole::DISPID_FLASH_MENU); }
    void setMenu(bool v) { setBoolProperty(ole::DISPID_FLASH_MENU, v); }
    QString Base() { return stringProperty(ole::DISPID_FLASH_BASE); }
    void setBase(const QString& v) { setStringProperty(ole::DISPID_FLASH_BASE, v); }
    QString Scale() { return stringProperty(ole::DISPID_FLASH_SCALE); }
    void setScale(const QString& v) { setStringProperty(ole::DISPID_FLASH_SCALE, v); }
    bool DeviceFont() { return boolProperty(ole::DISPID_FLASH_DEVICEFONT); }
    void setDeviceFont(bool v) { setBoolProperty(ole::DISPID_FLASH_DEVICEFONT, v); }
    bool EmbedMovie() { return boolProperty(ole::DISPID_FLASH_EMBEDMOVIE); }
    void setEmbedMovie(bool v) { setBoolProperty(ole::DISPID_FLASH_EMBEDMOVIE, v); }
    QString BGColor() { return stringProperty(ole::DISPID_FLASH_BGCOLOR); }
    void setBGColor(const QString& v) { setStringProperty(ole::DISPID_FLASH_BGCOLOR, v); }
    QString Quality2() { return stringProperty(ole::DISPID_FLASH_QUALITY2); }
    void setQuality2(const QString& v) { setStringProperty(ole::DISPID_FLASH_QUALITY2, v); }
    QString SWRemote() { return stringProperty(ole::DISPID_FLASH_SWREMOTE); }
    void setSWRemote(const QString& v) { setStringProperty(ole::DISPID_FLASH_SWREMOTE, v); }
    QString FlashVars() { return stringProperty(ole::DISPID_FLASH_FLASHVARS); }
    void setFlashVars(const QString& v) { setStringProperty(ole::DISPID_FLASH_FLASHVARS, v); }
    QString AllowScriptAccess() { return stringProperty(ole::DISPID_FLASH_ALLOWSCRIPTACCESS); }
    void setAllowScriptAccess(const QString& v) {
        setStringProperty(ole::DISPID_FLASH_ALLOWSCRIPTACCESS, v);
    }
    QString MovieData() { return stringProperty(ole::DISPID_FLASH_MOVIEDATA); }
    void setMovieData(const QString& v) { setStringProperty(ole::DISPID_FLASH_MOVIEDATA, v); }
    bool SeamlessTabbing() { return boolProperty(ole::DISPID_FLASH_SEAMLESSTABBING); }
    void setSeamlessTabbing(bool v) { setBoolProperty(ole::DISPID_FLASH_SEAMLESSTABBING, v); }

    // --- IBindHost
    ole::HRESULT CreateMoniker(const ole::BSTR& name, ole::IBindCtx* context,
                               ole::IMoniker** moniker, ole::DWORD reserved) override;
    ole::HRESULT MonikerBindToStorage(ole::IMoniker*, ole::IBindCtx*, ole::IBindStatusCallback*,
                                      ole::REFIID, void**) override {
        return ole::S_OK;
    }
    ole::HRESULT MonikerBindToObject(ole::IMoniker*, ole::IBindCtx*, ole::IBindStatusCallback*,
                                     ole::REFIID, void**) override {
        return ole::S_OK;
    }

    // --- IMoniker: one moniker for every address the player serves
    ole::HRESULT BindToObject(ole::IBindCtx*, ole::IMoniker*, ole::REFIID, void** object) override;
    ole::HRESULT BindToStorage(ole::IBindCtx* context, ole::IMoniker* left, ole::REFIID iid,
                               void** object) override;
    ole::HRESULT GetDisplayName(ole::IBindCtx*, ole::IMoniker*, ole::BSTR*) override {
        return ole::E_NOTIMPL;
    }

    // Called by TsfCommandHandler: hands the pending command to OnHandleFSCommand, if any,
    // and clears it.
    void DeliverFSCommand();

    // For tests and diagnostics: the pending request of the bind host and the folder of the
    // last LoadMovie address.
    const std::string& PendingRequest() const { return Furl; }
    const std::string& FlashPath() const { return FFlashPath; }
    bool IsFlv() const { return FFlv; }
    QString LoadedMovie() const { return FMovie; }

  protected:
    TControlClass* DefineControlClass() override;
    void* queryHostInterface(ole::REFIID iid) override;
    void HandleControlEvent(ole::DISPID id, ole::DISPPARAMS* params) override;

  private:
    ole::IShockwaveFlash* Intf();
    void QueueFSCommand(const QString& command, const QString& args);
    void ApplySoundVolume(int volume);
    void LoadFromStream(int layer, ole::IStream* stream, bool async);
    void SetFlvVariables(const QString& contentPath);
    // The stream a token names, or none for a token that names no live stream.
    ole::ComPtr<ole::IStream> StreamOfToken(std::string_view token) const;
    ole::HRESULT Deliver(ole::IBindStatusCallback* callback, ole::IStream* stream);
    // Whether a movie's request for the local address `a` may be read.
    bool MayServeToMovie(const std::string& a, bool relative) const;
    bool boolProperty(ole::DISPID id);
    void setBoolProperty(ole::DISPID id, bool v);
    int intProperty(ole::DISPID id);
    void setIntProperty(ole::DISPID id, int v);
    QString stringProperty(ole::DISPID id);
    void setStringProperty(ole::DISPID id, const QString& v);

    bool FFlashNotExists = false;
    ole::ComPtr<ole::IShockwaveFlash> FIntf;
    QString FMovie;
    QString FMovieProperty;
    bool FFlv = false;
    int FVolume = 100;
    bool FVolumeControl = false;
    TsfFLVSkins FFLVPlaybackSkin = TsfFLVSkins::flvclearskin;
    int FFlashIndex = -1;
    QPointer<TsfFlashList> FFlashList;
    QString FFScommand;
    QString FFSargs;
    std::string FFlashPath;
    std::string Furl;
    // The address the host last named itself (a movie or an FLV's content), and whether the
    // pending request is that address. The host may load from anywhere; a movie's own
    // requests read only files inside the program's folder (or, relative, the movie's folder).
    std::u16string FHostAddress;
    bool FurlFromHost = false;
    std::function<void(const QString&, const QString&)> FOnFSCommand;
    // Live streams by token: a stream load registers its stream under a fresh token, kept
    // until the next stream load into that layer or the player's end. A token the player did
    // not hand out, or one of a replaced load, names nothing.
    struct LiveStream {
        int layer;
        ole::ComPtr<ole::IStream> stream;
    };
    std::map<std::string, LiveStream> FStreams;
    std::uint32_t FNextToken = 0;
};

}  // namespace pencora::player
