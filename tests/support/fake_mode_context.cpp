#include "support/fake_mode_context.h"

#include "player/flash_player.h"
#include "support/application.h"

#include <QVBoxLayout>
#include <algorithm>

namespace pencora::testing {

FakeModeContext::FakeModeContext() {
    ensureApplication();
    window_ = std::make_unique<QWidget>();
    window_->resize(760, 470);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    client_ = new QWidget(window_.get());
    client_->setObjectName(QStringLiteral("pnl_rszc"));
    layout->addWidget(client_);
    // Mode panels fill the client area, one shown at a time.
    auto* stack = new QVBoxLayout(client_);
    stack->setContentsMargins(0, 0, 0, 0);
    layout->activate();
}

FakeModeContext::~FakeModeContext() = default;

QWidget* FakeModeContext::addPanel(const QString& name) {
    auto* panel = new QWidget(client_);
    panel->setObjectName(name);
    panel->hide();
    client_->layout()->addWidget(panel);
    panels_.push_back(panel);
    return panel;
}

bool FakeModeContext::wasStopped(modes::Activity activity) const {
    return std::find(stopped.begin(), stopped.end(), activity) != stopped.end();
}

QStringList FakeModeContext::playedOn(int slot) const {
    QStringList paths;
    for (const Played& p : played) {
        if (p.slot == slot) {
            paths << p.path;
        }
    }
    return paths;
}

void FakeModeContext::clearRecords() {
    played.clear();
    freedChannels.clear();
    notices.clear();
    shownPanels.clear();
    stopped.clear();
    playerNames.clear();
}

void FakeModeContext::play_file(int slot, const QString& relativePath) {
    played.push_back({slot, relativePath});
    // Each sound gets a handle of its own, as a started stream would.
    if (slot >= 0 && slot < static_cast<int>(state.ChannelSlots.size())) {
        state.ChannelSlots[static_cast<size_t>(slot)] = nextHandle_++;
    }
}

void FakeModeContext::freeChannel(int slot) {
    freedChannels.push_back(slot);
}

ui::MessageResult FakeModeContext::showMessage(ui::MessageIcon icon, const QString& title,
                                               const QString& text, ui::MessageButtons buttons) {
    notices.push_back({icon, title, text, buttons});
    return answer;
}

void FakeModeContext::showOnlyPanel(QWidget* panel) {
    for (QWidget* other : panels_) {
        if (other != panel) {
            other->hide();
        }
    }
    panel->show();
    client_->layout()->activate();
    shownPanels.push_back(panel);
}

void FakeModeContext::stop(modes::Activity activity) {
    stopped.push_back(activity);
}

player::TsfFlashPlayer* FakeModeContext::createMoviePlayer(QWidget* parent, const QString& name) {
    playerNames.push_back(name);
    auto* player = new player::TsfFlashPlayer(parent);
    player->setObjectName(name);
    return player;
}

}  // namespace pencora::testing
