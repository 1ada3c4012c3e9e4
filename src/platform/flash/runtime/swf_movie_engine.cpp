#include "platform/flash/runtime/swf_movie_engine.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/flash/avm1/external_interface.h"
#include "platform/flash/runtime/display/active_areas.h"
#include "platform/flash/runtime/display/focus_highlight.h"
#include "platform/flash/runtime/display/player.h"
#include "platform/flash/runtime/drawing/draw_backend.h"
#include "platform/flash/runtime/drawing/draw_list.h"
#include "platform/flash/runtime/scripting/clip_properties.h"
#include "platform/flash/runtime/scripting/script_host.h"

namespace pencora::runtime {

namespace {

using flash::CursorShape;
using flash::InputEvent;
using flash::InputKind;
using flash::MovieInfo;

QString qs(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}
std::u16string u16(const QString& s) {
    return s.toStdU16String();
}

// An editing command as the text fields take it: the edit and whether it extends the
// selection.
std::optional<std::pair<TextEdit, bool>> textEditFor(flash::TextCommand command) {
    using C = flash::TextCommand;
    static const std::map<C, std::pair<TextEdit, bool>> kEdits = {
        {C::MoveLeft, {TextEdit::Left, false}},
        {C::MoveRight, {TextEdit::Right, false}},
        {C::MoveLeftWord, {TextEdit::WordLeft, false}},
        {C::MoveRightWord, {TextEdit::WordRight, false}},
        {C::MoveLeftLine, {TextEdit::LineStart, false}},
        {C::MoveRightLine, {TextEdit::LineEnd, false}},
        {C::MoveLeftDocument, {TextEdit::TextStart, false}},
        {C::MoveRightDocument, {TextEdit::TextEnd, false}},
        {C::SelectLeft, {TextEdit::Left, true}},
        {C::SelectRight, {TextEdit::Right, true}},
        {C::SelectLeftWord, {TextEdit::WordLeft, true}},
        {C::SelectRightWord, {TextEdit::WordRight, true}},
        {C::SelectLeftLine, {TextEdit::LineStart, true}},
        {C::SelectRightLine, {TextEdit::LineEnd, true}},
        {C::SelectLeftDocument, {TextEdit::TextStart, true}},
        {C::SelectRightDocument, {TextEdit::TextEnd, true}},
        {C::SelectAll, {TextEdit::SelectAll, false}},
        {C::Backspace, {TextEdit::Backspace, false}},
        {C::Delete, {TextEdit::Delete, false}},
        {C::Enter, {TextEdit::Enter, false}},
        {C::Copy, {TextEdit::Copy, false}},
        {C::Cut, {TextEdit::Cut, false}},
        {C::Paste, {TextEdit::Paste, false}},
    };
    const auto it = kEdits.find(command);
    if (it == kEdits.end()) {
        return std::nullopt;
    }
    return it->second;
}

// The scale modes by the names scripts give them, in the control's order.
const char* const kScaleModeNames[] = {"showAll", "noBorder", "exactFit", "noScale"};

// The control's alignment bits and the letters of Stage.align, in the order scripts read them.
const std::pair<char16_t, int> kAlignLetters[] = {
    {u'L', flash::kAlignLeft},
    {u'T', flash::kAlignTop},
    {u'R', flash::kAlignRight},
    {u'B', flash::kAlignBottom},
};

StageView stageViewOf(const flash::StageDisplay& display) {
    StageView view;
    const int mode = std::clamp(static_cast<int>(display.scaleMode), 0, 3);
    view.scaleMode = QString::fromLatin1(kScaleModeNames[mode]);
    for (const auto& [letter, bit] : kAlignLetters) {
        if (display.align & bit) {
            view.align += QChar(letter);
        }
    }
    view.size = QSizeF(std::max(0.0, display.width), std::max(0.0, display.height));
    return view;
}

flash::ScaleMode scaleModeOf(const QString& name) {
    for (int i = 0; i < 4; ++i) {
        if (name == QLatin1String(kScaleModeNames[i])) {
            return static_cast<flash::ScaleMode>(i);
        }
    }
    return flash::ScaleMode::ShowAll;
}

int alignBitsOf(const QString& letters) {
    int bits = 0;
    for (const auto& [letter, bit] : kAlignLetters) {
        if (letters.contains(QChar(letter))) {
            bits |= bit;
        }
    }
    return bits;
}

class SwfMovieEngine : public flash::MovieEngine, private PlayerEvents {
  public:
    explicit SwfMovieEngine(std::unique_ptr<DrawingFactory> drawings)
        : player_(std::move(drawings)) {
        player_.setEvents(this);
        auto script = std::make_unique<ScriptHost>(player_);
        script_ = script.get();
        player_.setActionRunner(std::move(script));
    }

    void setHost(flash::MovieEngineHost* host) override { host_ = host; }

    bool loadMovie(int layer, std::span<const std::uint8_t> bytes, std::u16string_view url,
                   const std::vector<std::pair<std::u16string, std::u16string>>& params) override {
        if (layer == 0) {
            pendingVariables_.clear();
        }
        swf::ReadResult read = swf::readMovie(bytes);
        if (!read) {
            player_.unload(layer);
            changed(true);
            return false;
        }
        if (layer == 0) {
            // The player keeps this rate when a script replaces _level0 later.
            frameRate_ = read.movie->header.frameRate;
            // A new movie from the host runs its scripts again after a hung one.
            script_->machine().resumeScripts();
            script_->machine().setDefaultVersion(read.movie->header.version);
        }
        player_.load(layer, read.movie, qs(url));
        if (DisplayObject* root = player_.root(layer)) {
            avm1::Object* object = script_->scriptObject(*root);
            for (const auto& [name, value] : params) {
                script_->machine().set(object, qs(name), avm1::Value(qs(value)));
            }
        }
        changed(true);
        return true;
    }

    void unloadMovie(int layer) override {
        player_.unload(layer);
        changed(true);
    }

    void fetchCompleted(int id, std::span<const std::uint8_t> bytes) override {
        answerFetch(
            id, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }

    void fetchFailed(int id) override { answerFetch(id, std::nullopt); }

    // The script machine holds each report back until its timers run, so nothing runs here.
    void socketConnected(int id, bool ok) override {
        const auto it = sockets_.find(id);
        if (it == sockets_.end()) {
            return;
        }
        const avm1::SocketEvents events = it->second;
        if (!ok) {
            sockets_.erase(it);
        }
        if (events.connected) {
            events.connected(ok);
        }
    }
    void socketReceived(int id, std::span<const std::uint8_t> bytes) override {
        const auto it = sockets_.find(id);
        if (it == sockets_.end() || !it->second.received) {
            return;
        }
        // A copy: the machine may close the connection while it reads.
        const auto received = it->second.received;
        received(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    }
    void socketClosed(int id) override {
        const auto it = sockets_.find(id);
        if (it == sockets_.end()) {
            return;
        }
        const avm1::SocketEvents events = std::move(it->second);
        sockets_.erase(it);
        if (events.closed) {
            events.closed();
        }
    }

    MovieInfo movieInfo() const override {
        MovieInfo info;
        const DisplayObject* root = player_.root(0);
        if (!root || !root->movie || !root->movie->movie) {
            return info;
        }
        const swf::Movie& m = *root->movie->movie;
        info.loaded = true;
        info.swfVersion = m.header.version;
        info.stageWidth = (m.header.frameSize.xMax - m.header.frameSize.xMin) / 20.0;
        info.stageHeight = (m.header.frameSize.yMax - m.header.frameSize.yMin) / 20.0;
        info.frameRate = frameRate_.value_or(m.header.frameRate);
        info.frameCount = m.header.frameCount;
        info.framesLoaded = int(m.timeline.frames.size());
        info.scriptsStopped = script_->machine().scriptsStopped();
        if (m.backgroundColor) {
            info.backgroundColor = (uint32_t(m.backgroundColor->r) << 16) |
                                   (uint32_t(m.backgroundColor->g) << 8) | m.backgroundColor->b;
        }
        return info;
    }

    void runFrame() override {
        player_.runFrame();
        for (const auto& [path, value] : std::exchange(pendingVariables_, {})) {
            setVariable(path, value);
        }
        sound_.feed(player_.sounds(), frameMilliseconds());
        changed(false);
    }

    // Moves the clock on; frames a stream sound has run ahead of are played at once, so only
    // the last of them is drawn.
    void advanceClock(double milliseconds) override {
        script_->advanceClock(milliseconds);
        for (int owed = player_.framesOwedToClock(milliseconds, frameMilliseconds()); owed > 0;
             --owed) {
            runFrame();
        }
        changed(false);
    }

    double frameMilliseconds() const {
        const double rate = movieInfo().frameRate;
        return rate > 0 ? 1000.0 / rate : 1000.0 / 12;
    }
    void pinWallClock(double millisecondsSinceEpoch) override {
        script_->pinWallClock(millisecondsSinceEpoch);
    }
    void setLoop(bool loop) override { player_.setLoop(loop); }

    void setStageDisplay(const flash::StageDisplay& display) override {
        showStage(*script_, stageViewOf(display));
        changed(false);
    }

    void render(const flash::RenderTarget& target, const flash::RenderOptions& options) override {
        if (!target.bits || target.width <= 0 || target.height <= 0) {
            return;
        }
        QImage image(target.bits, target.width, target.height, target.stride,
                     QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        const QRect clip = QRect(QPoint(target.clipLeft, target.clipTop),
                                 QPoint(target.clipRight - 1, target.clipBottom - 1))
                               .intersected(image.rect());
        if (clip.isEmpty()) {
            return;
        }
        painter.setClipRect(clip);
        const auto& m = options.matrix;
        const QTransform stageToDevice(m.a, m.b, m.c, m.d, m.tx, m.ty);
        if (options.paintBackground) {
            const uint32_t rgb = options.backgroundOverride.value_or(movieInfo().backgroundColor);
            painter.fillRect(clip, QColor::fromRgb(QRgb(0xFF000000u | rgb)));
        }
        const bool antialias = options.quality != flash::Quality::Low && player_.highQuality();
        painter.setRenderHint(QPainter::Antialiasing, antialias);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, antialias);
        PainterBackend backend(painter);
        backend.execute(buildDrawList(player_), stageToDevice);
        paintFocusHighlight(painter, player_, stageToDevice);
    }

    void handleInput(const InputEvent& e) override {
        const QPointF p(e.x, e.y);
        switch (e.kind) {
            case InputKind::MouseMove:
                player_.mouseMove(p);
                break;
            case InputKind::MouseDown:
                if (e.button == flash::MouseButton::Left) {
                    player_.mouseDown(p);
                }
                break;
            case InputKind::MouseUp:
                if (e.button == flash::MouseButton::Left) {
                    player_.mouseUp(p);
                }
                break;
            case InputKind::MouseLeave:
                player_.mouseLeave();
                break;
            case InputKind::MouseWheel:
                player_.mouseWheel(e.wheelDelta);
                break;
            case InputKind::KeyDown:
                player_.keyDown(e.keyCode, e.character);
                break;
            case InputKind::KeyUp:
                player_.keyUp(e.keyCode);
                break;
            case InputKind::TextInput:
                player_.textInput(e.character);
                break;
            case InputKind::Composition:
                player_.composition(QString::fromStdU16String(e.text));
                break;
            case InputKind::TextCommand:
                if (const auto edit = textEditFor(e.command)) {
                    player_.textEdit(edit->first, edit->second);
                }
                break;
            default:
                return;
        }
        changed(false);
    }

    std::optional<flash::StageRect> caretRect() const override {
        const std::optional<QRectF> r = player_.caretRect();
        if (!r) {
            return std::nullopt;
        }
        return flash::StageRect{r->left() / 20, r->top() / 20, r->right() / 20, r->bottom() / 20};
    }

    std::vector<flash::StageRect> activeAreas() override {
        std::vector<flash::StageRect> areas;
        for (const QRectF& r : runtime::activeAreas(player_)) {
            areas.push_back({r.left(), r.top(), r.right(), r.bottom()});
        }
        return areas;
    }

    CursorShape cursor() const override {
        if (!script_->cursorVisible()) {
            return CursorShape::Hidden;
        }
        return player_.wantsHandCursor() ? CursorShape::Hand : CursorShape::Arrow;
    }

    bool gotoFrame(std::u16string_view target, int frame, bool play) override {
        return withClip(target, [&](DisplayObject& c) { player_.gotoFrame(c, frame, play); });
    }
    bool gotoLabel(std::u16string_view target, std::u16string_view label, bool play) override {
        bool found = false;
        withClip(target, [&](DisplayObject& c) { found = player_.gotoLabel(c, qs(label), play); });
        return found;
    }
    bool play(std::u16string_view target) override {
        return withClip(target, [](DisplayObject& c) { c.playing = true; });
    }
    bool stop(std::u16string_view target) override {
        return withClip(target, [](DisplayObject& c) { c.playing = false; });
    }
    std::optional<int> currentFrame(std::u16string_view target) const override {
        const DisplayObject* c = clip(target);
        return c ? std::optional<int>(std::max(c->frame, 0)) : std::nullopt;
    }
    std::optional<std::u16string> currentLabel(std::u16string_view target) const override {
        const DisplayObject* c = clip(target);
        return c ? std::optional(u16(player_.currentLabel(*c))) : std::nullopt;
    }
    std::optional<int> totalFrames(std::u16string_view target) const override {
        const DisplayObject* c = clip(target);
        return c ? std::optional<int>(c->reportedTotalFrames()) : std::nullopt;
    }
    bool isPlaying(std::u16string_view target) const override {
        const DisplayObject* c = clip(target);
        return c && c->playing && c->totalFrames > 1;
    }
    bool callFrame(std::u16string_view target, int frame) override {
        return withClip(target, [&](DisplayObject& c) { player_.callFrame(c, frame); });
    }
    bool callLabel(std::u16string_view target, std::u16string_view label) override {
        bool found = false;
        withClip(target, [&](DisplayObject& c) {
            if (auto f = player_.labelFrame(c, qs(label))) {
                player_.callFrame(c, *f);
                found = true;
            }
        });
        return found;
    }

    std::optional<std::u16string> getVariable(std::u16string_view path) const override {
        auto [c, name] = variable(path);
        if (!c) {
            return std::nullopt;
        }
        const avm1::Value v = script_->machine().get(script_->scriptObject(*c), name);
        if (v.isUndefined()) {
            return std::nullopt;
        }
        return u16(script_->machine().toString(v));
    }
    bool setVariable(std::u16string_view path, std::u16string_view value) override {
        auto [c, name] = variable(path);
        if (!c && firstFrameDue()) {
            // A host sets a clip's variables right after loading (the FLV player movie's
            // "flv.contentPath"): the clip appears with the first frame, so they wait for it.
            pendingVariables_.emplace_back(path, value);
            return true;
        }
        if (!c || name.isEmpty()) {
            return false;
        }
        script_->machine().set(script_->scriptObject(*c), name, avm1::Value(qs(value)));
        player_.runQueuedActions();
        return true;
    }

    std::optional<std::u16string> getProperty(std::u16string_view target,
                                              int index) const override {
        const DisplayObject* c = clip(target);
        if (!c) {
            return std::nullopt;
        }
        auto t = clipPropertyText(player_, *c, index);
        return t ? std::optional(u16(*t)) : std::nullopt;
    }
    std::optional<double> getPropertyNumber(std::u16string_view target, int index) const override {
        const DisplayObject* c = clip(target);
        if (!c) {
            return std::nullopt;
        }
        if (auto n = clipPropertyNumber(player_, *c, index)) {
            return n;
        }
        auto t = clipPropertyText(player_, *c, index);
        bool ok = false;
        const double n = t ? t->toDouble(&ok) : 0;
        return ok ? std::optional(n) : std::nullopt;
    }
    bool setProperty(std::u16string_view target, int index, std::u16string_view value) override {
        bool done = false;
        withClip(target,
                 [&](DisplayObject& c) { done = setClipProperty(player_, c, index, qs(value)); });
        return done;
    }
    bool setPropertyNumber(std::u16string_view target, int index, double value) override {
        return setProperty(target, index, u16(numberText(value)));
    }

    std::optional<std::u16string> callFunction(std::u16string_view request) override {
        const DisplayObject* root = player_.root(0);
        const int version = root && root->movie ? root->movie->version() : 8;
        auto answer = avm1::answerExternalCall(script_->machine(), qs(request), version);
        player_.runQueuedActions();
        changed(false);
        return answer ? std::optional(u16(*answer)) : std::nullopt;
    }

  private:
    // PlayerEvents
    void fsCommand(const QString& command, const QString& args) override {
        if (host_) {
            host_->fsCommand(u16(command), u16(args));
        }
    }
    void loadMovie(int layer, const QString& url) override {
        if (url.isEmpty()) {
            player_.unload(layer);
            return;
        }
        fetch(url, QStringLiteral("GET"), {}, [this, layer, url](std::optional<QByteArray> data) {
            if (data) {
                const auto* begin = reinterpret_cast<const std::uint8_t*>(data->constData());
                loadMovie(layer, std::span(begin, size_t(data->size())), u16(url), {});
            }
        });
    }
    void fetch(const QString& url, const QString& method, const QByteArray& body,
               std::function<void(std::optional<QByteArray>)> done) override {
        if (!host_) {
            return;
        }
        const int id = ++lastFetch_;
        fetches_[id] = std::move(done);
        host_->requestFetch({id, u16(url), u16(method), body.toStdString()});
    }
    int openSocket(const QString& host, int port, avm1::SocketEvents events) override {
        const int id = ++lastSocket_;
        if (!host_) {
            if (events.connected) {
                events.connected(false);
            }
            return id;
        }
        sockets_[id] = std::move(events);
        host_->openSocket({id, u16(host), port});
        return id;
    }
    void sendSocket(int id, const QByteArray& bytes) override {
        if (host_ && sockets_.count(id)) {
            const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.constData());
            host_->sendSocket(id, std::span(begin, size_t(bytes.size())));
        }
    }
    void closeSocket(int id) override {
        if (sockets_.erase(id) && host_) {
            host_->closeSocket(id);
        }
    }
    void stageModeChanged(const QString& scaleMode, const QString& align) override {
        if (host_) {
            host_->stageDisplayChanged(scaleModeOf(scaleMode), alignBitsOf(align));
        }
    }
    QString flashCall(const QString& request) override {
        return host_ ? qs(host_->flashCall(u16(request))) : QString();
    }
    void trace(const QString& line) override {
        if (host_) {
            host_->trace(u16(line));
        }
    }
    void openUrl(const QString&, const QString&) override {}  // no browser here

    void answerFetch(int id, std::optional<QByteArray> data) {
        auto it = fetches_.find(id);
        if (it == fetches_.end()) {
            return;
        }
        auto done = std::move(it->second);
        fetches_.erase(it);
        if (done) {
            done(std::move(data));
        }
        player_.runQueuedActions();
        changed(true);
    }

    DisplayObject* clip(std::u16string_view target) const {
        const QString t = qs(target);
        DisplayObject* base = player_.root(0);
        if (t.isEmpty() || t == u"/") {
            return base;
        }
        return player_.resolveTarget(base, t);
    }

    template <class F>
    bool withClip(std::u16string_view target, F&& f) {
        DisplayObject* c = clip(target);
        if (!c) {
            return false;
        }
        f(*c);
        player_.runQueuedActions();
        changed(false);
        return true;
    }

    // "name", "/clip:name", "_level0.clip.name".
    // Layer 0 holds a movie whose first frame has not been shown yet.
    bool firstFrameDue() const {
        const DisplayObject* root = player_.root(0);
        return root && root->frame < 0;
    }

    std::pair<DisplayObject*, QString> variable(std::u16string_view path) const {
        const QString p = qs(path);
        qsizetype cut = p.lastIndexOf(u':');
        if (cut < 0) {
            cut = p.lastIndexOf(u'.');
        }
        if (cut < 0) {
            cut = p.lastIndexOf(u'/');
        }
        if (cut < 0) {
            return {player_.root(0), p};
        }
        return {clip(path.substr(0, size_t(cut))), p.mid(cut + 1)};
    }

    // Tells the host what to redraw: everything after a load, else what the frame changed.
    void changed(bool everything) {
        std::vector<DrawCommand> now = buildDrawList(player_);
        if (host_) {
            if (everything) {
                host_->invalidate(std::nullopt);
            } else if (auto area = changedArea(last_, now)) {
                host_->invalidate(
                    flash::StageRect{area->left(), area->top(), area->right(), area->bottom()});
            }
        }
        last_ = std::move(now);
    }

    Player player_;
    // Variables set before layer 0 showed its first frame, set once it has.
    std::vector<std::pair<std::u16string, std::u16string>> pendingVariables_;
    SoundOutput sound_;
    ScriptHost* script_ = nullptr;  // owned by player_
    flash::MovieEngineHost* host_ = nullptr;
    std::vector<DrawCommand> last_;
    std::map<int, std::function<void(std::optional<QByteArray>)>> fetches_;
    int lastFetch_ = 0;
    std::map<int, avm1::SocketEvents> sockets_;  // XMLSocket connections by id
    int lastSocket_ = 0;
    std::optional<double> frameRate_;
};

}  // namespace

std::unique_ptr<flash::MovieEngine> createSwfMovieEngine(std::unique_ptr<DrawingFactory> drawings) {
    return std::make_unique<SwfMovieEngine>(std::move(drawings));
}

}  // namespace pencora::runtime
