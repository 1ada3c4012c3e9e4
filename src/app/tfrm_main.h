// The main window frm_Main: the frame every study mode lives in. A toolbar of mode buttons
// across the top, the catalogue tree on the left, the client panel pnl_rszc on the right
// holding one mode panel at a time, and the status bar at the bottom.
//
// The frame owns the study state, the two XML documents and the mode objects. Each mode
// builds its controls inside the panel the frame hands it and sees the frame only through
// the mode context this window implements; the fixed handlers below are one call each into
// the mode they belong to. The program entry runs FormCreate and shows the window.
#pragma once

#include "common/study_state.h"
#include "modes/dictation/dictation_mode.h"
#include "modes/flashcards/flashcard_mode.h"
#include "modes/lessontext/lesson_text_mode.h"
#include "modes/mode_context.h"
#include "modes/quiz/quiz_mode.h"
#include "modes/tables/tables_mode.h"
#include "platform/xml/xml_document.h"
#include "settings/settings_menu.h"

#include <QIcon>
#include <QList>
#include <QWidget>
#include <memory>

class QButtonGroup;
class QFrame;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QAction;

namespace pencora::ui {
class StatusPanels;
}

class Tfrm_wnnx_list;
namespace pencora::player {
class TsfFlashPlayer;
}
using pencora::player::TsfFlashPlayer;

class Tfrm_Main : public QWidget, public pencora::modes::ModeContext {
    Q_OBJECT
  public:
    explicit Tfrm_Main(QWidget* parent = nullptr);
    ~Tfrm_Main() override;

    // What the modes see of this window (tfrm_main_context.cpp).
    pencora::StudyState& studyState() override;
    const pencora::xml::XmlDocument& characterDocument() const override;
    void play_file(int slot, const QString& relativePath) override;
    void freeChannel(int slot) override;
    bool voicePromptsOn() const override;
    pencora::ui::MessageResult showMessage(pencora::ui::MessageIcon icon, const QString& title,
                                           const QString& text,
                                           pencora::ui::MessageButtons buttons) override;
    void showOnlyPanel(QWidget* panel) override;
    void stop(pencora::modes::Activity activity) override;
    TsfFlashPlayer* createMoviePlayer(QWidget* parent, const QString& name) override;
    QWidget* frameWindow() override;

    // The lesson, its word lists, the item being practised and the sound slots.
    pencora::StudyState State;
    pencora::xml::XmlDocument XMLTree;  // the catalogue, read once at the first show
    pencora::xml::XmlDocument XMLRead;  // the selected book's character file

    // Frame.
    QFrame* Shape1 = nullptr;
    QToolBar* TOBzhuanti = nullptr;
    QFrame* Shape3 = nullptr;
    QTreeWidget* tv_mulu = nullptr;
    QFrame* Shape2 = nullptr;
    QWidget* pnl_rszc = nullptr;
    pencora::ui::StatusPanels* sb_state = nullptr;

    // Toolbar, left to right. The first seven form the check group.
    QToolButton* TBlesson = nullptr;
    QToolButton* tb_zcsj = nullptr;
    QToolButton* btn_kewen = nullptr;
    QToolButton* TB_rszc = nullptr;
    QToolButton* TBfirst = nullptr;
    QToolButton* TB_Mkcy = nullptr;
    QToolButton* TB_listenAndWrite = nullptr;
    QAction* ToolButton6 = nullptr;  // separator
    QToolButton* TB_Szb = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QButtonGroup* modeButtons = nullptr;  // at most one down
    QMenu* popshengzi = nullptr;          // books of the character tables
    QMenu* popset = nullptr;              // settings

    // Image lists: 14 toolbar images of 32 x 32 and 3 tree images of 16 x 16.
    QList<QIcon> ImageList_Alpha;
    QList<QIcon> ImageList_Tree;

    // Mode panels, children of pnl_rszc, each filling it; one is visible at a time.
    QWidget* pnl_info = nullptr;  // welcome
    QWidget* pnl_tyrz = nullptr;  // 听音认字
    QWidget* pnl_kyrz = nullptr;  // 看音认字
    QWidget* pnl_kzry = nullptr;  // 看字认音
    QWidget* pnl_tyby = nullptr;  // 听音辨音
    QWidget* pnl_wnnx = nullptr;  // 我念你写
    QWidget* pnlmain = nullptr;   // 字词速记
    QWidget* pnlrszc = nullptr;   // 同步学课文
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;

    // 字词速记 on pnlmain (its controls are Flashcards->panel), 生字表 from popshengzi, and
    // 设置 in popset, each its mode's own.
    std::unique_ptr<pencora::flashcards::FlashcardMode> Flashcards;
    std::unique_ptr<pencora::tables::TablesMode> Tables;
    std::unique_ptr<pencora::settings::SettingsMenu> Settings;

    // Movie players: the quizzes' success animations on pnl_tyrz, pnl_kyrz, pnl_kzry and
    // pnl_tyby (hidden at start-up), and the dictation loudspeaker on pnl_wnnx.
    TsfFlashPlayer* flash_right1 = nullptr;
    TsfFlashPlayer* flash_right2 = nullptr;
    TsfFlashPlayer* flash_right3 = nullptr;
    TsfFlashPlayer* flash_right4 = nullptr;
    TsfFlashPlayer* flash_laba = nullptr;

    // Timers, all off at start-up.
    QTimer* Timer1 = nullptr;  // next quiz question, 1000 ms
    QTimer* Timer2 = nullptr;  // quiz label slide-in, 1 ms
    QTimer* tim_tx = nullptr;  // dictation interval, 5000 ms (Dictation's own)

    // The hidden dictation word-list window, created by the program entry right after this
    // window; not owned.
    Tfrm_wnnx_list* frm_wnnx_list = nullptr;
    void setWordListWindow(Tfrm_wnnx_list* list);

    // Window handlers.
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormResize(QObject* Sender);
    void FormClose(QObject* Sender);
    void tv_muluChange(QObject* Sender, QTreeWidgetItem* Node);

    // Toolbar handlers; each calls its mode, btn_kewenClick the practice modes below.
    void TBlessonClick(QObject* Sender);
    void tb_zcsjClick(QObject* Sender);
    void btn_kewenClick(QObject* Sender);
    void tb_zcsjMouseEnter(QObject* Sender);
    void ToolButton1Click(QObject* Sender);

    // Flashcards, character tables and settings; each calls its mode.
    void Timer11Timer(QObject* Sender);
    void Timer21Timer(QObject* Sender);
    void rb_easyClick(QObject* Sender);
    void chkpinyinClick(QObject* Sender);
    void lblwordClick(QObject* Sender);
    void MenuItem12Click(QObject* Sender);
    void N5Click(QObject* Sender);
    // The flashcards' resize hook.
    void placeFlashcards();

    // The lesson movie's commands ("read_lx", "lesson_page", "lesson_play").
    void FlashbgHandleFSCommand(TsfFlashPlayer* ASender, const QString& command,
                                const QString& args);
    // 同步学课文 on pnlrszc: the lesson movie (Flashbg) and its reading.
    std::unique_ptr<pencora::lessontext::LessonTextMode> LessonText;

    // Hides the four success animations (before a change of look).
    void hideQuizAnimations();

    // The mode panels in the order FormResize looks at them.
    QList<QWidget*> resizablePanels() const;
    // Every mode panel, pnl_info first.
    QList<QWidget*> modePanels() const;
    // The check group in the order lesson selection restarts them.
    QList<QToolButton*> checkButtons() const;

    // Raises every button of the check group.
    void raiseModeButtons();

    // Opens the window maximised; restoring it later gives the design size, centred.
    void showMaximized();

    // Makes `item` the selected node, expanding its parents (runs lesson selection).
    void selectNode(QTreeWidgetItem* item);

    // Practice modes: the four quizzes and the hand-over to dictation. The quizzes' controls
    // and work live in Quiz; these handlers call it.
    pencora::quiz::QuizMode Quiz;
    void btn_tyrzcaption();  // question builders
    void btn_kyrzcaption();
    void btn_kzrycaption();
    void btn_tybycaption();
    void btn_tyrzshow();  // layout, also the panels' resize hooks
    void btn_kyrzshow();
    void btn_kzryshow();
    void btn_tybyshow();
    void Timer1Timer(QObject* Sender);     // next question after a right answer
    void Timer2Timer(QObject* Sender);     // label slide-in
    void btn_kyrz1Click(QObject* Sender);  // answers of 听音认字 and 看音认字
    void btn_kzry1Click(QObject* Sender);
    void btn_tyby1Click(QObject* Sender);
    void btn_tyrz_readClick(QObject* Sender);
    void btn_tyby_readClick(QObject* Sender);
    void btn_tyrz_readMouseEnter(QObject* Sender);
    void btn_tyby_readMouseEnter(QObject* Sender);

    // 我念你写: the panel's controls, the timer tim_tx and the work live in Dictation; these
    // handlers call it.
    pencora::dictation::DictationMode Dictation{*this};
    void btn_wnnxshow();  // layout of the view on show, also pnl_wnnx's resize hook
    void btn_wnnx1Click(QObject* Sender);
    void btn_wnnx1MouseEnter(QObject* Sender);
    void cmb_timerChange(QObject* Sender);
    void tingxie();
    void tim_txTimer(QObject* Sender);
    // The loudspeaker's movie commands ("btnread", "btnnext").
    void flash_labaHandleFSCommand(TsfFlashPlayer* ASender, const QString& command,
                                   const QString& args);

  private:
    void buildQuiz();
    void buildDictation();
    void buildModes();
    void buildMoviePlayers();
    void buildLessonText();
    void loadStartupMovies();
    void askQuestion(pencora::quiz::QuizKind kind);
    void layOutQuiz(pencora::quiz::QuizKind kind);

  signals:
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFrame();
    void buildToolbar();
    void buildTree();
    void buildPanels();
    void buildTimers();
    void applyFrameStyle();
    void selectFirstLesson();
    void restartActiveMode();
    void centreAtDesignSize();
};
