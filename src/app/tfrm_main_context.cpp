// The main window as the modes see it: the mode context.
#include "app/tfrm_main.h"

#include "platform/ui/message_service.h"
#include "sound/play_file.h"

#include <QLayout>
#include <QTimer>

namespace {

// Slot numbers come from the modes; one outside the two slots plays nothing.
uint32_t* channelSlot(pencora::StudyState& state, int slot) {
    if (slot < 0 || slot >= static_cast<int>(state.ChannelSlots.size())) {
        return nullptr;
    }
    return &state.ChannelSlots[static_cast<size_t>(slot)];
}

}  // namespace

pencora::StudyState& Tfrm_Main::studyState() {
    return State;
}

const pencora::xml::XmlDocument& Tfrm_Main::characterDocument() const {
    return XMLRead;
}

void Tfrm_Main::play_file(int slot, const QString& relativePath) {
    if (uint32_t* handle = channelSlot(State, slot)) {
        pencora::sound::play_file(*handle, relativePath);
    }
}

void Tfrm_Main::freeChannel(int slot) {
    if (uint32_t* handle = channelSlot(State, slot)) {
        pencora::sound::free_slot(*handle);
    }
}

bool Tfrm_Main::voicePromptsOn() const {
    return Settings->voicePromptsOn();
}

pencora::ui::MessageResult Tfrm_Main::showMessage(pencora::ui::MessageIcon icon,
                                                  const QString& title, const QString& text,
                                                  pencora::ui::MessageButtons buttons) {
    return pencora::ui::showMessage({icon, title, text, this, buttons});
}

void Tfrm_Main::showOnlyPanel(QWidget* panel) {
    for (QWidget* other : modePanels()) {
        if (other != panel) {
            other->hide();
        }
    }
    panel->show();
    // The panel's size is often read right away; give it the client panel's size now rather
    // than when the layout next runs.
    if (QLayout* layout = pnl_rszc->layout()) {
        layout->activate();
    }
}

void Tfrm_Main::stop(pencora::modes::Activity activity) {
    using pencora::modes::Activity;
    switch (activity) {
        case Activity::NextQuestion:
            Timer1->stop();
            return;
        case Activity::Flashcards:
            Flashcards->stop();
            return;
        case Activity::Dictation:
            tim_tx->stop();
            return;
        case Activity::LessonReading:
            freeChannel(pencora::modes::kReadingSlot);
            return;
    }
}

QWidget* Tfrm_Main::frameWindow() {
    return this;
}
