#include "player/command_handler.h"

#include <QCoreApplication>

#include "platform/ui/error_report.h"
#include "player/flash_player.h"

namespace pencora::player {

namespace {

const QEvent::Type kNoticeType = static_cast<QEvent::Type>(QEvent::User + kFSCommandNotice);

class FSCommandNotice final : public QEvent {
  public:
    explicit FSCommandNotice(TsfFlashPlayer* player) : QEvent(kNoticeType), player(player) {}
    QPointer<TsfFlashPlayer> player;
};

}  // namespace

TsfCommandHandler* TsfCommandHandler::instance() {
    static QPointer<TsfCommandHandler> handler;
    if (!handler) {
        handler = new TsfCommandHandler(QCoreApplication::instance());
    }
    return handler;
}

void TsfCommandHandler::post(TsfFlashPlayer* player) {
    QCoreApplication::postEvent(this, new FSCommandNotice(player));
}

bool TsfCommandHandler::event(QEvent* event) {
    if (event->type() != kNoticeType) {
        return QObject::event(event);
    }
    TsfFlashPlayer* player = static_cast<FSCommandNotice*>(event)->player;
    if (player) {
        player->DeliverFSCommand();
    }
    return true;
}

}  // namespace pencora::player
