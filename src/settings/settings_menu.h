// The settings menu popset of ToolButton3 — the voice-prompt switch N1 and the skin submenu
// N3 with its five looks — and the web-site button ToolButton1. The main window owns one
// SettingsMenu; its fixed handlers N5Click and ToolButton1Click call it.
#pragma once

#include <QIcon>
#include <QList>
#include <functional>

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace pencora::settings {

// The product's home page, opened by ToolButton1.
inline constexpr char kHomePage[] = "https://pencora.example/";

// What the menu needs of the frame.
struct SettingsFrame {
    QMenu* popset = nullptr;       // filled by the menu
    QWidget* toolbar = nullptr;    // keeps its design sheet only in the platform's own look
    QWidget* statusBar = nullptr;  // its panels keep the window's font in every look
    // Runs before a change of look: the frame hides the quizzes' success animations, so
    // none stays on screen across it.
    std::function<void()> beforeLookChange;
};

class SettingsMenu {
  public:
    explicit SettingsMenu(const SettingsFrame& frame);
    SettingsMenu(const SettingsMenu&) = delete;
    SettingsMenu& operator=(const SettingsMenu&) = delete;

    QAction* N1 = nullptr;   // 语音提示, ticked at start-up
    QAction* N2 = nullptr;   // separator
    QMenu* N3 = nullptr;     // 皮肤设置
    QAction* N4 = nullptr;   // 默认皮肤
    QAction* N6 = nullptr;   // 灰色简明
    QAction* N41 = nullptr;  // 黑蓝酷清
    QAction* N51 = nullptr;  // 淡蓝清雅
    QAction* N61 = nullptr;  // 灰黑酷冷
    QList<QIcon> img_set;    // 30 x 30

    // The voice-prompt switch as it stands now.
    bool voicePromptsOn() const;

    // N5Click: skin choice from one of the five items of N3 (its Hint is the skin number):
    // applies the look, then ticks the item and makes it the bold default, all others
    // unticked. A look that cannot be applied goes on to the general error report with the
    // marks as they were.
    void chooseSkin(QObject* Sender);

    // The items of N3 in menu order.
    QList<QAction*> skinItems() const;

  private:
    void buildMenu(QMenu* popset);
    void markSkinItem(QAction* chosen);
    QAction* currentSkinItem() const;

    SettingsFrame frame_;
};

// ToolButton1Click: opens the home page in the user's browser; a failure is silent.
void openHomePage();

}  // namespace pencora::settings
