// A stand-in for the main window as a mode sees it. It records what the mode asked of the
// frame (sounds, stopped channels and activities, notices, panels shown, players made) and
// answers notices with `answer`, so a mode's tests build its panel and this, never the main
// window or the audio library.
#pragma once

#include "modes/mode_context.h"
#include "platform/xml/xml_document.h"

#include <QWidget>
#include <memory>
#include <vector>

namespace pencora::testing {

class FakeModeContext : public modes::ModeContext {
  public:
    // The frame window holds a client area of 760 x 470 in which mode panels are made.
    FakeModeContext();
    ~FakeModeContext() override;

    struct Played {
        int slot;
        QString path;
        bool operator==(const Played&) const = default;
    };
    struct Notice {
        ui::MessageIcon icon;
        QString title;
        QString text;
        ui::MessageButtons buttons;
    };

    StudyState state;
    xml::XmlDocument document;
    bool voicePrompts = true;
    ui::MessageResult answer = ui::MessageResult::Ok;

    std::vector<Played> played;
    std::vector<int> freedChannels;
    std::vector<Notice> notices;
    std::vector<QWidget*> shownPanels;
    std::vector<modes::Activity> stopped;
    std::vector<QString> playerNames;

    // A new mode panel in the client area, hidden, as the frame keeps its mode panels.
    QWidget* addPanel(const QString& name);
    QWidget* client() const { return client_; }
    bool wasStopped(modes::Activity activity) const;
    // The paths played on `slot`, in order.
    QStringList playedOn(int slot) const;
    void clearRecords();

    StudyState& studyState() override { return state; }
    const xml::XmlDocument& characterDocument() const override { return document; }
    void play_file(int slot, const QString& relativePath) override;
    void freeChannel(int slot) override;
    bool voicePromptsOn() const override { return voicePrompts; }
    ui::MessageResult showMessage(ui::MessageIcon icon, const QString& title, const QString& text,
                                  ui::MessageButtons buttons) override;
    void showOnlyPanel(QWidget* panel) override;
    void stop(modes::Activity activity) override;
    player::TsfFlashPlayer* createMoviePlayer(QWidget* parent, const QString& name) override;
    QWidget* frameWindow() override { return window_.get(); }

  private:
    std::unique_ptr<QWidget> window_;
    QWidget* client_ = nullptr;
    std::vector<QWidget*> panels_;
    uint32_t nextHandle_ = 1;
};

}  // namespace pencora::testing
