// The script machine plugged into the runtime: it runs every action block of the movie (frame
// scripts, init actions, button and clip events) and answers the machine's questions about
// the display list (avm1/host.h). Each display object that scripts reach gets a script object
// whose built-in properties (_x, _currentframe, children by name ...) read and write the
// object itself; MovieClip.prototype carries the timeline methods.
#pragma once

#include <memory>
#include <set>

#include "platform/flash/avm1/clip_object.h"
#include "platform/flash/avm1/host.h"
#include "platform/flash/avm1/machine.h"
#include "platform/flash/runtime/player.h"

namespace pencora::runtime {

// _focusrect as scripts read and write it (input_scripts.cpp): before SWF 6 one movie-wide
// number, 0 or 1, whatever object is asked; from SWF 6 a level's root holds the movie-wide
// Boolean and every other object its own, null until set.
avm1::Value focusRectValue(avm1::Machine& m, Player& player, DisplayObject& object);
void setFocusRect(avm1::Machine& m, Player& player, DisplayObject& object, const avm1::Value& v);

class ScriptHost : public ActionRunner, public avm1::Host {
  public:
    explicit ScriptHost(Player& player);
    ~ScriptHost() override;

    avm1::Machine& machine() { return *machine_; }
    // The script object of a display object, made on first use.
    avm1::ClipObject* scriptObject(DisplayObject& object);
    // The display object behind a script object, if it is still on a list.
    DisplayObject* displayOf(avm1::Object* object) const;
    void advanceClock(double milliseconds);

    // ActionRunner
    void run(Player& player, DisplayObject& clip,
             const std::shared_ptr<const swf::ActionBlock>& block) override;
    void enterFrameEvent(Player& player, DisplayObject& clip) override;
    void placed(Player& player, DisplayObject& clip) override;
    void afterTick(Player& player) override;
    bool handlesMouse(DisplayObject& clip) override;
    void mouseEvent(Player& player, DisplayObject& target, const QString& handler) override;
    // Keys, the mouse and the focus (input_scripts.cpp).
    void broadcastInput(Player& player, const QString& handler, int wheelDelta) override;
    void focusChanged(Player& player, DisplayObject* old, DisplayObject* now) override;
    std::optional<double> scriptNumber(DisplayObject& object, const QString& name) override;
    std::optional<bool> scriptFlag(DisplayObject& object, const QString& name) override;
    std::optional<QString> scriptText(DisplayObject& object, const QString& name) override;

    // avm1::Host
    double milliseconds() override { return clock_; }
    void trace(const QString& line) override;
    avm1::Object* resolveTarget(avm1::Object* base, const QString& path) override;
    QString targetPath(avm1::Object* clip, bool slashForm) override;
    avm1::Object* root(avm1::Object* base) override;
    avm1::Object* level(int n) override;
    avm1::Value getClipProperty(avm1::Object* clip, avm1::ClipProperty p) override;
    void setClipProperty(avm1::Object* clip, avm1::ClipProperty p, const avm1::Value& v) override;
    void play(avm1::Object* clip) override;
    void stop(avm1::Object* clip) override;
    void nextFrame(avm1::Object* clip) override;
    void prevFrame(avm1::Object* clip) override;
    void gotoFrame(avm1::Object* clip, int frame, bool andPlay) override;
    bool gotoLabel(avm1::Object* clip, const QString& label, bool andPlay) override;
    bool frameLoaded(avm1::Object* clip, int frame) override;
    void cloneSprite(avm1::Object* source, const QString& name, int depth) override;
    void removeSprite(avm1::Object* clip) override;
    void toggleQuality() override;
    void getUrl(const avm1::UrlRequest& request) override;
    void startDrag(avm1::Object* clip, bool lockCenter, const double* rectOrNull) override;
    void stopDrag() override;

    // Mouse.hide/show: whether the movie wants the cursor shown over the stage.
    bool cursorVisible() const { return cursorVisible_; }
    void setCursorVisible(bool on) { cursorVisible_ = on; }

    Player& player() { return player_; }
    // The bindings of every display object that has a script object.
    std::set<avm1::ClipBinding*>& bindings() { return bindings_; }

  private:
    void runClipEvent(DisplayObject& clip, uint32_t event);
    void installMovieClip();
    void installInputClasses();
    // The class prototype scripts see on a display object of this kind.
    avm1::Object* classPrototype(const DisplayObject& object);

    Player& player_;
    std::unique_ptr<avm1::Machine> machine_;
    std::set<avm1::ClipBinding*> bindings_;
    double clock_ = 0;
    bool cursorVisible_ = true;
};

}  // namespace pencora::runtime
