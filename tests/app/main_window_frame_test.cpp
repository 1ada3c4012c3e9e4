// The main window's frame against small catalogues of its own: the design of the toolbar,
// tree, status bar and panels, the first show on catalogues of odd shapes, the positions a
// tree node gives lesson selection, which resize hook runs, and what a failed selection
// leaves alone.
#include "app/catalogue_tree_widget.h"
#include "app/tfrm_main.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "platform/ui/status_panels.h"
#include "player/flash_player.h"
#include "support/application.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>

using pencora::ui::MessageIcon;
using pencora::ui::MessageRecorder;

namespace {

const QString kInvite = QStringLiteral("请选择相应的课文，进行每课生字的学习或练习！");

// A catalogue element: text, images and children.
QString node(const QString& tag, const QString& text, const QString& children = {},
             const QString& images = QStringLiteral(R"(ImageIndex="0" SelectedIndex="1")")) {
    return QStringLiteral("<%1 text=\"%2\" %3>%4</%1>").arg(tag, text, images, children);
}

class MainWindowFrame : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { pencora::testing::ensureApplication(); }
    void SetUp() override { pencora::fs::setProgramFolder(dir.path()); }
    void TearDown() override {
        frm.reset();
        pencora::fs::setProgramFolder(QString());
    }

    void write(const QString& relative, const QString& text) {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }
    void catalogue(const QString& topLevel) {
        write(QStringLiteral("Data/xml/unit.xml"), QStringLiteral("<unit>") + topLevel + "</unit>");
    }
    // Two books of two groups; book 1's lessons have characters, book 2's file is missing.
    void twoBooks() {
        const QString book1 = node("b", "一年级上册",
                                   node("g", "识字（一）", node("l", "一去") + node("l", "口耳")) +
                                       node("g", "课文（一）", node("l", "画")));
        const QString book2 = node("b", "一年级下册", node("g", "识字1", node("l", "春")));
        catalogue(node("r", "小学语文", book1 + book2));
        write(QStringLiteral("Data/xml/hanzi1.xml"),
              R"(<hanzi><lesson201 Chinese="一" PinYin1="yī"/><lesson201 Chinese="去" PinYin1="qù"/>
                 <lesson202 Chinese="口" PinYin1="kǒu"/><lesson301 Chinese="画" PinYin1="huà"/>
                 </hanzi>)");
    }
    Tfrm_Main& start() {
        frm = std::make_unique<Tfrm_Main>();
        frm->FormCreate(frm.get());
        frm->show();
        return *frm;
    }
    QString status() const { return frm->sb_state->panelText(1); }
    QTreeWidgetItem* item(std::initializer_list<int> path) const {
        QTreeWidgetItem* at = frm->tv_mulu->topLevelItem(*path.begin());
        for (auto it = path.begin() + 1; at && it != path.end(); ++it) {
            at = at->child(*it);
        }
        return at;
    }

    QTemporaryDir dir;
    MessageRecorder messages;
    std::unique_ptr<Tfrm_Main> frm;
};

}  // namespace

TEST_F(MainWindowFrame, ToolbarButtonsCarryTheirCaptionsPromptsAndKinds) {
    twoBooks();
    Tfrm_Main& w = start();
    struct Row {
        QToolButton* button;
        const char* name;
        QString caption;
        const char* hint;
        bool check;
    };
    const Row rows[] = {
        {w.TBlesson, "TBlesson", QStringLiteral("同步学课文"), "tbxkw", true},
        {w.tb_zcsj, "tb_zcsj", QStringLiteral(" 字词速记 "), "zcsj", true},
        {w.btn_kewen, "btn_kewen", QStringLiteral(" 听音认字 "), "tyrz", true},
        {w.TB_rszc, "TB_rszc", QStringLiteral(" 看音认字 "), "kyrz", true},
        {w.TBfirst, "TBfirst", QStringLiteral(" 听音辨音 "), "tyby", true},
        {w.TB_Mkcy, "TB_Mkcy", QStringLiteral(" 看字认音 "), "kzry", true},
        {w.TB_listenAndWrite, "TB_listenAndWrite", QStringLiteral(" 我念你写 "), "wnnx", true},
        {w.TB_Szb, "TB_Szb", QStringLiteral(" 生字表 "), "szb", false},
        {w.ToolButton3, "ToolButton3", QStringLiteral(" 设 置 "), "set", false},
        {w.ToolButton1, "ToolButton1", QStringLiteral("  网 站  "), "home", false},
    };
    // Left to right as listed, the separator after the check group.
    QList<QWidget*> order;
    int separatorAt = -1;
    for (QAction* action : w.TOBzhuanti->actions()) {
        if (action->isSeparator()) {
            separatorAt = static_cast<int>(order.size());
        } else if (QWidget* widget = w.TOBzhuanti->widgetForAction(action)) {
            order << widget;
        }
    }
    ASSERT_EQ(order.size(), static_cast<qsizetype>(std::size(rows)));
    EXPECT_EQ(separatorAt, 7);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(order[static_cast<qsizetype>(i)], row.button) << row.name;
        EXPECT_EQ(row.button->objectName(), row.name);
        EXPECT_EQ(row.button->text(), row.caption) << row.name;
        EXPECT_EQ(row.button->property("Hint").toString(), row.hint) << row.name;
        EXPECT_EQ(row.button->isCheckable(), row.check) << row.name;
        EXPECT_EQ(w.modeButtons->buttons().contains(row.button), row.check) << row.name;
        EXPECT_FALSE(row.button->isChecked()) << row.name;
        EXPECT_FALSE(row.button->icon().isNull()) << row.name;
        EXPECT_TRUE(row.button->toolTip().isEmpty()) << row.name;
    }
    EXPECT_EQ(w.TBlesson->width(), 93);
    EXPECT_EQ(w.TB_Szb->menu(), w.popshengzi);
    EXPECT_EQ(w.TB_Szb->popupMode(), QToolButton::InstantPopup);  // a click drops the menu
    EXPECT_EQ(w.ToolButton3->menu(), w.popset);
    EXPECT_EQ(w.ImageList_Alpha.size(), 14);
    EXPECT_EQ(w.ImageList_Tree.size(), 3);
    for (const QIcon& icon : w.ImageList_Alpha + w.ImageList_Tree) {
        EXPECT_FALSE(icon.isNull());
    }
}

TEST_F(MainWindowFrame, WindowTreeStatusBarPanelsAndTimersStartAsDesigned) {
    twoBooks();
    frm = std::make_unique<Tfrm_Main>();
    Tfrm_Main& w = *frm;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Pencora"));
    EXPECT_EQ(w.minimumSize(), QSize(600, 450));
    EXPECT_EQ(w.TOBzhuanti->height(), 63);

    EXPECT_EQ(w.tv_mulu->width(), 190);
    EXPECT_EQ(w.tv_mulu->indentation(), 19);
    EXPECT_EQ(w.tv_mulu->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(w.tv_mulu->rootIsDecorated());
    EXPECT_EQ(w.tv_mulu->topLevelItemCount(), 0);  // filled at the first show only

    ASSERT_EQ(w.sb_state->panelCount(), 2);
    EXPECT_EQ(w.sb_state->panel(0)->width(), 185);
    EXPECT_TRUE(w.sb_state->panelText(0).isEmpty());
    EXPECT_EQ(w.sb_state->panelText(1), QStringLiteral("→"));
    EXPECT_EQ(w.sb_state->height(), 26);

    for (QWidget* panel : w.modePanels()) {
        EXPECT_EQ(panel->parentWidget(), w.pnl_rszc) << panel->objectName().toStdString();
        EXPECT_EQ(panel->isHidden(), panel != w.pnl_info) << panel->objectName().toStdString();
    }
    EXPECT_EQ(w.modePanels().size(), 8);
    EXPECT_EQ(w.Label6->text(), QStringLiteral("有效、全面、易用的同步课文学习与生字练习软件！"));
    EXPECT_EQ(w.Label7->text(),
              QStringLiteral("全面解决孩子自学课文、家长为孩子听写生字、掌握生字等问题，"
                             "小学语文同步学习事半功倍！"));
    EXPECT_EQ(w.Label7->height(), 44);

    const std::pair<QTimer*, int> timers[] = {{w.Timer1, 1000},
                                              {w.Timer2, 1},
                                              {w.tim_tx, 5000},
                                              {w.Flashcards->Timer11, 4000},
                                              {w.Flashcards->Timer21, 1}};
    for (const auto& [timer, interval] : timers) {
        EXPECT_EQ(timer->interval(), interval) << timer->objectName().toStdString();
        EXPECT_FALSE(timer->isActive()) << timer->objectName().toStdString();
    }
    EXPECT_TRUE(w.State.FirstShow);
    EXPECT_TRUE(w.voicePromptsOn());  // 语音提示 ticked at start-up
}

TEST_F(MainWindowFrame, TwoTopLevelNodesAndCaptionsKeptAsStored) {
    const QString lesson = node("l", "【画】 春 晓 ");
    catalogue(
        node("r", "小学语文（人教版）", node("b", "一年级上册", node("g", " 识字（一）", lesson))) +
        node("r", "second", node("b", "other", node("g", "g", node("l", "x")))));
    write(QStringLiteral("Data/xml/hanzi1.xml"), R"(<hanzi><lesson201 Chinese="画"/></hanzi>)");
    start();
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_EQ(frm->tv_mulu->topLevelItemCount(), 2);
    EXPECT_EQ(item({0})->text(0), QStringLiteral("小学语文（人教版）"));
    EXPECT_EQ(item({0, 0, 0})->text(0), QStringLiteral(" 识字（一）"));
    EXPECT_EQ(item({0, 0, 0, 0})->text(0), QStringLiteral("【画】 春 晓 "));
    EXPECT_EQ(frm->tv_mulu->currentItem(), item({0, 0, 0, 0}));  // the first root's lesson
    EXPECT_FALSE(item({1})->isExpanded());
    EXPECT_EQ(frm->State.CurrentLessonTitle, QStringLiteral("一年级上册→【【画】 春 晓 】"));
    EXPECT_EQ(frm->State.CurrentWords, QStringList{QStringLiteral("画")});
    EXPECT_EQ(frm->State.CurrentPinyin, QStringList{QString()});  // parallel, empty pinyin
    EXPECT_FALSE(item({0, 0, 0, 0})->icon(0).isNull());
}

TEST_F(MainWindowFrame, CataloguesWithoutAFirstLessonSelectNothingAndStillInvite) {
    const QString shapes[] = {
        node("r", "root", node("b", "book", node("g", "empty group"))),
        node("r", "root",
             node("b", "empty book") + node("b", "book", node("g", "g", node("l", "l")))),
        node("r", "lonely root"),
    };
    for (const QString& shape : shapes) {
        catalogue(shape);
        start();
        EXPECT_TRUE(messages.messages().empty()) << shape.toStdString();
        EXPECT_EQ(status(), kInvite) << shape.toStdString();
        EXPECT_FALSE(frm->State.lessonSelected()) << shape.toStdString();
        EXPECT_TRUE(frm->State.LessonCode.isEmpty());
        EXPECT_TRUE(frm->State.CurrentWords.isEmpty());
        EXPECT_FALSE(frm->State.FirstShow);
        frm.reset();
    }
}

TEST_F(MainWindowFrame, ABadImageIndexStopsTheFirstShowWithOneReport) {
    catalogue(
        node("r", "root",
             node("b", "good book") +
                 node("b", "bad book", {}, QStringLiteral(R"(ImageIndex="x" SelectedIndex="1")")) +
                 node("b", "never read")));
    start();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
    ASSERT_EQ(frm->tv_mulu->topLevelItemCount(), 1);
    EXPECT_EQ(item({0, 0})->text(0), QStringLiteral("good book"));
    EXPECT_EQ(status(), QStringLiteral("→"));  // the rest of the first show was skipped
    EXPECT_EQ(frm->tv_mulu->currentItem(), nullptr);
    // A later show neither fills nor reports again.
    frm->hide();
    frm->show();
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(MainWindowFrame, ALessonNodeGivesItsOwnItsGroupsAndItsBooksPositions) {
    QTreeWidget tree;
    auto* root = new QTreeWidgetItem(&tree, {QStringLiteral("root")});
    new QTreeWidgetItem(&tree, {QStringLiteral("second root")});
    QTreeWidgetItem* book = nullptr;
    for (int b = 0; b < 3; ++b) {
        book = new QTreeWidgetItem(root, {QStringLiteral("book %1").arg(b)});
    }
    QTreeWidgetItem* group = nullptr;
    for (int g = 0; g < 2; ++g) {
        group = new QTreeWidgetItem(book, {QStringLiteral("group %1").arg(g)});
    }
    QTreeWidgetItem* lesson = nullptr;
    for (int l = 0; l < 10; ++l) {
        lesson = new QTreeWidgetItem(group, {QStringLiteral("lesson %1").arg(l)});
    }

    const auto found = pencora::lessonNodeOf(lesson);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bookPosition, 2);
    EXPECT_EQ(found->groupPosition, 1);
    EXPECT_EQ(found->lessonPosition, 9);
    EXPECT_EQ(found->bookCaption, QStringLiteral("book 2"));
    EXPECT_EQ(found->lessonCaption, QStringLiteral("lesson 9"));

    for (QTreeWidgetItem* notALesson :
         {root, book, group, static_cast<QTreeWidgetItem*>(nullptr)}) {
        EXPECT_FALSE(pencora::lessonNodeOf(notALesson));
    }
    EXPECT_EQ(pencora::siblingIndex(tree.topLevelItem(1)), 1);
    EXPECT_EQ(pencora::siblingIndex(root), 0);
    EXPECT_EQ(pencora::siblingIndex(lesson), 9);
}

// Puts each mode panel's re-placed control out of place, then names the panels whose control
// a resize hook has put back.
class HookWatch {
  public:
    explicit HookWatch(Tfrm_Main& w) : w_(w) {
        for (pencora::quiz::QuizKind kind : pencora::quiz::kQuizKinds) {
            watched_.push_back({w.Quiz.panels[kind].panel, w.Quiz.panels[kind].buttons[0]});
        }
        watched_.push_back({w.pnlmain, w.Flashcards->panel.lblword});
    }
    void displace() {
        for (const auto& [panel, control] : watched_) {
            control->setGeometry(-999, -999, 1, control->height());
        }
    }
    QStringList replaced() const {
        QStringList names;
        for (const auto& [panel, control] : watched_) {
            if (control->geometry().topLeft() != QPoint(-999, -999) || control->width() != 1) {
                names << panel->objectName();
            }
        }
        return names;
    }

  private:
    Tfrm_Main& w_;
    std::vector<std::pair<QWidget*, QWidget*>> watched_;
};

TEST_F(MainWindowFrame, ResizeRunsTheHookOfTheVisibleModePanelOnly) {
    twoBooks();
    Tfrm_Main& w = start();
    HookWatch hooks(w);
    for (QWidget* shown : w.modePanels()) {
        for (QWidget* panel : w.modePanels()) {
            panel->setVisible(panel == shown);
        }
        hooks.displace();
        w.FormResize(&w);
        // Dictation's panel has its hook too (btn_wnnxshow), with no control here to watch.
        const bool watched = shown != w.pnl_wnnx && w.resizablePanels().contains(shown);
        EXPECT_EQ(hooks.replaced(), watched ? QStringList{shown->objectName()} : QStringList())
            << shown->objectName().toStdString();
    }
    // A real change of size reaches the hook through the window's own resize handling.
    for (QWidget* panel : w.modePanels()) {
        panel->setVisible(panel == w.pnl_tyby);
    }
    hooks.displace();
    w.resize(w.width() + 40, w.height() + 30);
    EXPECT_EQ(hooks.replaced(), QStringList{QStringLiteral("pnl_tyby")});
}

TEST_F(MainWindowFrame, AnUnreadableCharacterFileEndsTheSelectionWithoutARestart) {
    twoBooks();
    Tfrm_Main& w = start();
    // A start of the flashcards sets the card timer to its start delay.
    int restarts = 0;
    auto countRestart = [&] {
        restarts += w.Flashcards->Timer11->interval() == 500 ? 1 : 0;
        w.Flashcards->Timer11->setInterval(1234);
    };
    w.Flashcards->Timer11->setInterval(1234);
    w.tb_zcsj->setChecked(true);
    w.selectNode(item({0, 0, 0, 1}));
    countRestart();
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(w.State.LessonCode, QStringLiteral("010202"));
    EXPECT_EQ(w.State.CurrentWords, QStringList{QStringLiteral("口")});
    ASSERT_TRUE(messages.messages().empty());

    w.selectNode(item({0, 1, 0, 0}));  // book 2 has no character file
    countRestart();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.messages()[0].text.contains(QStringLiteral("hanzi2.xml")));
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(w.State.LessonCode, QStringLiteral("010202"));  // still the last lesson read
    EXPECT_EQ(w.State.CurrentWords, QStringList{QStringLiteral("口")});
    EXPECT_EQ(w.State.CurrentLessonTitle, QStringLiteral("一年级下册→【春】"));
    EXPECT_EQ(w.State.BookNo, 2);
    EXPECT_EQ(status(), QStringLiteral("正在学习：一年级下册→【春】"));

    // The next readable lesson is selected and restarts the mode as usual.
    w.selectNode(item({0, 0, 1, 0}));
    countRestart();
    EXPECT_EQ(restarts, 2);
    EXPECT_EQ(w.State.LessonCode, QStringLiteral("010301"));
    EXPECT_EQ(w.State.CurrentWords, QStringList{QStringLiteral("画")});
}

TEST_F(MainWindowFrame, RaisingTheModeButtonsLeavesTheGroupExclusive) {
    twoBooks();
    Tfrm_Main& w = start();
    w.TB_Mkcy->setChecked(true);
    w.raiseModeButtons();
    for (QToolButton* b : w.checkButtons()) {
        EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    }
    w.TBfirst->setChecked(true);
    w.TBlesson->setChecked(true);
    int down = 0;
    for (QToolButton* b : w.checkButtons()) {
        down += b->isChecked() ? 1 : 0;
    }
    EXPECT_EQ(down, 1);
    EXPECT_TRUE(w.TBlesson->isChecked());
    EXPECT_EQ(w.checkButtons().size(), 7);
}

TEST_F(MainWindowFrame, RestoringFromMaximisedGivesTheDesignSizeCentred) {
    twoBooks();
    frm = std::make_unique<Tfrm_Main>();
    frm->FormCreate(frm.get());
    frm->showMaximized();
    EXPECT_TRUE(frm->isMaximized());
    frm->showNormal();
    EXPECT_EQ(frm->size(), QSize(906, 475));
    const QRect screen = frm->screen()->availableGeometry();
    EXPECT_LE(std::abs(frm->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frm->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(MainWindowFrame, TheDictationListIsItsOwnWindowThatNeverEndsTheProgram) {
    twoBooks();
    Tfrm_Main& w = start();
    Tfrm_wnnx_list list;
    w.setWordListWindow(&list);
    EXPECT_TRUE(list.isWindow());
    EXPECT_FALSE(list.testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(list.context(), static_cast<pencora::modes::ModeContext*>(&w));
    EXPECT_EQ(list.pnl_main->parentWidget(), &list);
    bool lastClosed = false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { lastClosed = true; });
    w.hide();
    list.show();
    list.close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(lastClosed);
    EXPECT_TRUE(list.isHidden());
}

TEST_F(MainWindowFrame, EachFixedHandlerIsACallIntoItsMode) {
    catalogue(node("r", "root"));  // nothing to select
    write(QStringLiteral("Data/xml/hanzi1.xml"),
          QStringLiteral(R"(<hanzi><lesson201 Chinese="一"/></hanzi>)"));
    Tfrm_Main& w = start();
    messages.clear();
    pencora::flashcards::FlashcardMode& cards = *w.Flashcards;

    // Flashcards: without a lesson the start explains why; the card step asks whether to
    // begin again; the switches and the slide act on the panel.
    w.tb_zcsjClick(w.tb_zcsj);
    w.Timer11Timer(cards.Timer11);
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(messages.messages()[0].text,
              QStringLiteral("请通过左侧目录，先选择用于学习的具体课程！"));
    EXPECT_EQ(messages.messages()[1].title, QStringLiteral("字词速记学习完毕！"));
    for (const auto& m : messages.messages()) {
        EXPECT_EQ(m.owner, &w);
    }
    messages.clear();
    cards.panel.rb_hard->setChecked(true);
    w.rb_easyClick(cards.panel.rb_hard);
    EXPECT_EQ(cards.Timer11->interval(), 2000);
    const bool pinyinHidden = cards.panel.lblpinyin->isHidden();
    w.chkpinyinClick(cards.panel.chkpinyin);
    EXPECT_NE(cards.panel.lblpinyin->isHidden(), pinyinHidden);
    cards.panel.lblword->move(0, -151);
    w.Timer21Timer(cards.Timer21);
    EXPECT_EQ(cards.panel.lblword->y(), -121);
    w.lblwordClick(cards.panel.lblword);
    w.tb_zcsjMouseEnter(w.tb_zcsj);

    // Character tables and looks.
    w.MenuItem12Click(w.Tables->MenuItems[0]);
    ASSERT_NE(w.Tables->frm_shengzi, nullptr);
    EXPECT_EQ(w.Tables->frm_shengzi->ShengziBook, QStringLiteral("1"));
    w.Tables->frm_shengzi->hide();
    w.N5Click(w.Settings->N51);
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    w.N5Click(w.Settings->N4);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    // Dictation attaches here; until then these do nothing.
    w.flash_labaHandleFSCommand(w.flash_laba, QStringLiteral("btnread"), QStringLiteral("朗读"));
    w.btn_wnnxshow();
    w.hideQuizAnimations();
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_FALSE(w.pnl_info->isHidden());

    // The practice buttons are the window's own: without a lesson they only explain why.
    w.btn_kewen->click();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("Pencora生字练习说明！"));
    EXPECT_EQ(messages.messages()[0].text,
              QStringLiteral("请通过左侧目录，先选择用于练习的具体课程！"));
    EXPECT_EQ(messages.messages()[0].owner, &w);
    EXPECT_FALSE(w.pnl_info->isHidden());
    for (QWidget* panel : w.resizablePanels()) {
        EXPECT_TRUE(panel->isHidden()) << panel->objectName().toStdString();
    }

    // 同步学课文 is the window's own too: before any lesson it shows its black panel and
    // reports nothing.
    messages.clear();
    w.TBlessonClick(w.TBlesson);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_FALSE(w.pnlrszc->isHidden());
    EXPECT_TRUE(w.pnl_info->isHidden());
}

TEST_F(MainWindowFrame, AsAModeContextTheWindowShowsOnePanelStopsWorkAndGuardsItsSlots) {
    twoBooks();
    Tfrm_Main& w = start();
    pencora::modes::ModeContext& context = w;
    EXPECT_EQ(&context.studyState(), &w.State);
    EXPECT_EQ(&context.characterDocument(), &w.XMLRead);
    EXPECT_EQ(context.frameWindow(), &w);

    context.showOnlyPanel(w.pnl_wnnx);
    for (QWidget* panel : w.modePanels()) {
        EXPECT_EQ(panel->isHidden(), panel != w.pnl_wnnx) << panel->objectName().toStdString();
    }
    // At the client area's size at once, not when the layout next runs.
    EXPECT_EQ(w.pnl_wnnx->size(), w.pnl_rszc->size());

    QTimer* const timer11 = w.Flashcards->Timer11;
    QTimer* const timer21 = w.Flashcards->Timer21;
    for (QTimer* timer : {w.Timer1, timer11, timer21, w.tim_tx}) {
        timer->start(60000);
    }
    context.stop(pencora::modes::Activity::Flashcards);
    EXPECT_FALSE(timer11->isActive());
    EXPECT_FALSE(timer21->isActive());
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_TRUE(w.tim_tx->isActive());
    context.stop(pencora::modes::Activity::NextQuestion);
    context.stop(pencora::modes::Activity::Dictation);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(w.tim_tx->isActive());

    // A slot number outside the two slots plays and frees nothing.
    const auto before = w.State.ChannelSlots;
    context.play_file(2, QStringLiteral("Data\\sndsoft\\begin.mp3"));
    context.play_file(-1, QStringLiteral("Data\\sndsoft\\begin.mp3"));
    context.freeChannel(7);
    EXPECT_EQ(w.State.ChannelSlots, before);

    const auto answer = context.showMessage(MessageIcon::Information, QStringLiteral("标题"),
                                            QStringLiteral("正文"));
    EXPECT_EQ(answer, pencora::ui::MessageResult::Ok);
    ASSERT_FALSE(messages.messages().empty());
    EXPECT_EQ(messages.messages().back().owner, &w);

    auto* player = context.createMoviePlayer(w.pnlrszc, QStringLiteral("flash_test"));
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->parentWidget(), w.pnlrszc);
    EXPECT_EQ(player->objectName(), QStringLiteral("flash_test"));
}

// Through the catalogue: picking another lesson while the flashcards run starts them again
// on that lesson.
TEST_F(MainWindowFrame, AnotherLessonRestartsTheFlashcardsAtTheFirstCard) {
    catalogue(node("root", "小学语文",
                   node("book", "一年级上册",
                        node("group", "识字（一）",
                             node("lesson", "1 一去二三里") + node("lesson", "2 口耳目")))));
    write(QStringLiteral("Data/xml/hanzi1.xml"),
          QStringLiteral(R"(<hanzi><lesson201 Chinese="一" PinYin1="yī"/>
            <lesson201 Chinese="去" PinYin1="qù"/><lesson202 Chinese="口" PinYin1="kǒu"/>
            <lesson202 Chinese="耳" PinYin1="ěr"/><lesson202 Chinese="目" PinYin1="mù"/></hanzi>)"));
    Tfrm_Main& w = start();
    ASSERT_TRUE(messages.messages().empty());
    pencora::flashcards::FlashcardMode& cards = *w.Flashcards;
    w.tb_zcsj->click();
    EXPECT_TRUE(w.tb_zcsj->isChecked());
    w.Timer11Timer(cards.Timer11);
    w.Timer11Timer(cards.Timer11);
    EXPECT_EQ(cards.panel.lblword->text(), QStringLiteral("去"));

    w.selectNode(item({0, 0, 0, 1}));
    EXPECT_EQ(cards.panel.lblstate->text(),
              QStringLiteral("学习内容：【一年级上册→【2 口耳目】】，当前是第1个，字词总量：3"));
    EXPECT_EQ(cards.Timer11->interval(), 500);
    w.Timer11Timer(cards.Timer11);
    EXPECT_EQ(cards.panel.lblword->text(), QStringLiteral("口"));
}
