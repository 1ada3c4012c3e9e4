// TsfCommandHandler: the one process-wide receiver of movie-command notices. A player stores
// its pending command and posts a notice here; the notice is handled later from the event
// loop, so a command handler never runs inside the control's own call and may load, stop or
// replace the movie. A notice for a player destroyed meanwhile is dropped.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

namespace pencora::player {

class TsfFlashPlayer;

class TsfCommandHandler : public QObject {
    Q_OBJECT
  public:
    // The handler of the running application (made on first use, owned by the application).
    static TsfCommandHandler* instance();
    // Posts the notice for `player`'s pending command.
    void post(TsfFlashPlayer* player);

  protected:
    bool event(QEvent* event) override;

  private:
    using QObject::QObject;
};

// The notice: message 0x08C4 with the player as its parameter.
inline constexpr int kFSCommandNotice = 0x08C4;

}  // namespace pencora::player
