// The main window's handlers: start-up, first show, resize, close and lesson selection.
// Each mode's own work lives with the mode; these handlers only call it.
#include "app/tfrm_main.h"

#include "app/catalogue_tree_widget.h"
#include "content/catalogue.h"
#include "content/lesson_selection.h"
#include "platform/ui/error_report.h"
#include "platform/ui/message_service.h"
#include "platform/ui/status_panels.h"
#include "sound/audio_startup.h"
#include "sound/play_file.h"

#include <QAction>
#include <QCloseEvent>
#include <QToolButton>
#include <QTreeWidget>

void Tfrm_Main::FormCreate(QObject* /*Sender*/) {
    // 1. Success movie "lose" into flash_right1..4; 2. loudspeaker movie "laba" into
    //    flash_laba.
    loadStartupMovies();
    // 3. The catalogue; an error leaves XMLTree without content, reported at the first show.
    pencora::content::loadCatalogue(XMLTree);
    // 4. Audio start-up: version check and initialisation; each failure is an error box
    //    without owner or title, and start-up goes on after it.
    pencora::sound::startAudio(this, [](const QString& text) {
        pencora::ui::showMessage({pencora::ui::MessageIcon::Error, QString(), text, nullptr});
    });
    // 5.
    State.FirstShow = true;
    // 6. The movie-command argument list, split at commas.
    State.CommandArgs.clear();
    // 7. Welcome cue, whether or not voice prompts are on.
    pencora::sound::play_file(State.ChannelSlots[0], u"Data\\sndsoft\\begin.mp3");
}

void Tfrm_Main::FormShow(QObject* /*Sender*/) {
    if (!State.FirstShow) {
        return;
    }
    State.FirstShow = false;
    pencora::TreeWidgetCatalogue tree(tv_mulu, ImageList_Tree);
    // A catalogue that cannot be read ends the first show here, leaving "→" in the status.
    pencora::content::FillCatalogueTree(tree, XMLTree);
    selectFirstLesson();
    sb_state->setPanelText(1, QStringLiteral("请选择相应的课文，进行每课生字的学习或练习！"));
}

void Tfrm_Main::selectFirstLesson() {
    QTreeWidgetItem* root = tv_mulu->topLevelItem(0);
    QTreeWidgetItem* book = root ? root->child(0) : nullptr;
    QTreeWidgetItem* group = book ? book->child(0) : nullptr;
    QTreeWidgetItem* lesson = group ? group->child(0) : nullptr;
    if (lesson != nullptr) {
        selectNode(lesson);
    }
}

void Tfrm_Main::selectNode(QTreeWidgetItem* item) {
    for (QTreeWidgetItem* up = item ? item->parent() : nullptr; up; up = up->parent()) {
        up->setExpanded(true);
    }
    tv_mulu->setCurrentItem(item);
    if (item) {
        tv_mulu->scrollToItem(item);
    }
}

void Tfrm_Main::FormResize(QObject* /*Sender*/) {
    // Only the first visible mode panel is re-placed; the welcome and lesson-text panels
    // follow by their layouts alone.
    const std::pair<QWidget*, void (Tfrm_Main::*)()> hooks[] = {
        {pnl_tyrz, &Tfrm_Main::btn_tyrzshow}, {pnl_kyrz, &Tfrm_Main::btn_kyrzshow},
        {pnl_kzry, &Tfrm_Main::btn_kzryshow}, {pnl_tyby, &Tfrm_Main::btn_tybyshow},
        {pnl_wnnx, &Tfrm_Main::btn_wnnxshow}, {pnlmain, &Tfrm_Main::placeFlashcards}};
    for (const auto& [panel, hook] : hooks) {
        if (!panel->isHidden()) {
            (this->*hook)();
            return;
        }
    }
}

void Tfrm_Main::FormClose(QObject* /*Sender*/) {
    // Every stream of both slots stops at once; the slots keep numbers that name nothing.
    pencora::sound::shutdownAudio();
}

void Tfrm_Main::tv_muluChange(QObject* /*Sender*/, QTreeWidgetItem* /*Node*/) {
    // The selected node is read from the tree: the notification's node may be stale.
    const QList<QTreeWidgetItem*> selected = tv_mulu->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* node = selected.first();
    if (const auto lesson = pencora::lessonNodeOf(node)) {
        pencora::content::selectLesson(State, XMLRead, *lesson, [this](const QString& text) {
            sb_state->setPanelText(1, text);
        });
        if (TBlesson->isChecked()) {
            TBlessonClick(TBlesson);
        }
    }
    restartActiveMode();
}

void Tfrm_Main::restartActiveMode() {
    if (tb_zcsj->isChecked()) {
        tb_zcsjClick(tb_zcsj);
        return;
    }
    for (QToolButton* button : {btn_kewen, TBfirst, TB_rszc, TB_Mkcy, TB_listenAndWrite}) {
        if (button->isChecked()) {
            btn_kewenClick(button);
            return;
        }
    }
}

void Tfrm_Main::TBlessonClick(QObject* /*Sender*/) {
    LessonText->TBlessonClick();
}

void Tfrm_Main::tb_zcsjClick(QObject* /*Sender*/) {
    Flashcards->start();
}

void Tfrm_Main::tb_zcsjMouseEnter(QObject* Sender) {
    pencora::flashcards::toolbarPrompt(*this, Sender);
}

void Tfrm_Main::ToolButton1Click(QObject* /*Sender*/) {
    pencora::settings::openHomePage();
}

void Tfrm_Main::Timer11Timer(QObject* /*Sender*/) {
    Flashcards->cardStep();
}

void Tfrm_Main::Timer21Timer(QObject* /*Sender*/) {
    Flashcards->slideStep();
}

void Tfrm_Main::rb_easyClick(QObject* /*Sender*/) {
    Flashcards->speedChanged();
}

void Tfrm_Main::chkpinyinClick(QObject* /*Sender*/) {
    Flashcards->switchPinyin();
}

void Tfrm_Main::lblwordClick(QObject* /*Sender*/) {
    Flashcards->replay();
}

void Tfrm_Main::placeFlashcards() {
    Flashcards->placeControls();
}

void Tfrm_Main::MenuItem12Click(QObject* Sender) {
    Tables->openBook(Sender);
}

void Tfrm_Main::N5Click(QObject* Sender) {
    Settings->chooseSkin(Sender);
}

QList<QWidget*> Tfrm_Main::resizablePanels() const {
    return {pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby, pnl_wnnx, pnlmain};
}

QList<QWidget*> Tfrm_Main::modePanels() const {
    return {pnl_info, pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby, pnl_wnnx, pnlmain, pnlrszc};
}

QList<QToolButton*> Tfrm_Main::checkButtons() const {
    return {TBlesson, tb_zcsj, btn_kewen, TB_rszc, TBfirst, TB_Mkcy, TB_listenAndWrite};
}

void Tfrm_Main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    pencora::ui::guarded([this] { FormShow(this); });
}

void Tfrm_Main::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pencora::ui::guarded([this] { FormResize(this); });
}

void Tfrm_Main::closeEvent(QCloseEvent* event) {
    pencora::ui::guarded([this] { FormClose(this); });
    event->accept();
    emit closed();
}

bool Tfrm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter && qobject_cast<QToolButton*>(watched)) {
        pencora::ui::guarded([this, watched] { tb_zcsjMouseEnter(watched); });
    }
    return QWidget::eventFilter(watched, event);
}
