#include "app/tfrm_main.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "platform/fs/program_path.h"
#include "platform/ui/message_service.h"
#include "platform/ui/status_panels.h"
#include "support/application.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using pencora::ui::MessageIcon;
using pencora::ui::MessageRecorder;

namespace {

const QString kInvite = QStringLiteral("请选择相应的课文，进行每课生字的学习或练习！");

class MainWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { pencora::testing::ensureApplication(); }
    void TearDown() override { pencora::fs::setProgramFolder(QString()); }

    // Runs the program entry's start-up on the content below `folder`.
    std::unique_ptr<Tfrm_Main> start(const QString& folder) {
        pencora::fs::setProgramFolder(folder);
        auto frm = std::make_unique<Tfrm_Main>();
        frm->FormCreate(frm.get());
        frm->show();
        return frm;
    }
    static QString sampleCourse() { return QStringLiteral(PENCORA_SOURCE_DIR "/sample-content"); }
    static QString status(const Tfrm_Main& frm) { return frm.sb_state->panelText(1); }
    static QTreeWidgetItem* lesson(Tfrm_Main& frm, int book, int group, int lesson) {
        return frm.tv_mulu->topLevelItem(0)->child(book)->child(group)->child(lesson);
    }
    static QStringList downButtons(const Tfrm_Main& frm) {
        QStringList names;
        for (QToolButton* b : frm.checkButtons()) {
            if (b->isChecked()) {
                names << b->objectName();
            }
        }
        return names;
    }

    MessageRecorder messages;
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

TEST_F(MainWindow, FirstShowFillsTheTreeAndSelectsTheFirstLessonQuietly) {
    auto frm = start(sampleCourse());
    EXPECT_TRUE(messages.messages().empty());
    ASSERT_EQ(frm->tv_mulu->topLevelItemCount(), 1);
    EXPECT_EQ(frm->tv_mulu->topLevelItem(0)->childCount(), 12);
    QTreeWidgetItem* first = lesson(*frm, 0, 0, 0);
    EXPECT_EQ(frm->tv_mulu->currentItem(), first);
    EXPECT_TRUE(first->isSelected());
    EXPECT_TRUE(first->parent()->isExpanded());
    EXPECT_TRUE(first->parent()->parent()->isExpanded());
    EXPECT_TRUE(frm->tv_mulu->topLevelItem(0)->isExpanded());
    EXPECT_EQ(status(*frm), kInvite);  // not the "正在学习：" text of the selection
    EXPECT_EQ(frm->State.LessonCode, "010201");
    EXPECT_EQ(frm->State.CurrentWords.size(), frm->State.CurrentPinyin.size());
    EXPECT_GE(frm->State.CurrentWords.size(), 4);
    EXPECT_EQ(frm->State.CurrentWords.first(), QStringLiteral("一"));  // read from GB2312
    EXPECT_EQ(frm->State.CurrentPinyin.first(), QStringLiteral("yī"));
    EXPECT_FALSE(frm->pnl_info->isHidden());
    for (QWidget* panel : frm->resizablePanels()) {
        EXPECT_TRUE(panel->isHidden());
    }
    EXPECT_TRUE(downButtons(*frm).isEmpty());
    EXPECT_FALSE(frm->Timer1->isActive());
}

TEST_F(MainWindow, PickingLessonsWritesTheStatusAndLaterShowsChangeNothing) {
    auto frm = start(sampleCourse());
    QTreeWidgetItem* picked = lesson(*frm, 1, 0, 1);
    frm->selectNode(picked);
    EXPECT_EQ(status(*frm), QStringLiteral("正在学习：一年级下册→【春雨的色彩】"));
    EXPECT_EQ(frm->State.LessonCode, "020102");
    EXPECT_EQ(frm->State.HanziFilePath, sampleCourse() + "/Data/xml/hanzi2.xml");

    // A group node keeps every lesson field.
    frm->selectNode(picked->parent());
    EXPECT_EQ(frm->State.LessonCode, "020102");
    EXPECT_EQ(frm->State.CurrentLessonTitle, QStringLiteral("一年级下册→【春雨的色彩】"));

    frm->hide();
    frm->show();  // as when the dictation list hands the screen back
    EXPECT_EQ(frm->tv_mulu->currentItem(), picked->parent());
    EXPECT_EQ(frm->tv_mulu->topLevelItemCount(), 1);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(MainWindow, MissingCatalogueGivesOneErrorAndAnEmptyTree) {
    QTemporaryDir empty;
    auto frm = start(empty.path());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.messages()[0].text.contains("unit.xml"));
    EXPECT_EQ(frm->tv_mulu->topLevelItemCount(), 0);
    EXPECT_EQ(status(*frm), QStringLiteral("→"));
    EXPECT_FALSE(frm->State.lessonSelected());
    EXPECT_FALSE(frm->pnl_info->isHidden());
}

TEST_F(MainWindow, MissingCharacterFileIsReportedAndTheFirstShowGoesOn) {
    QTemporaryDir dir;
    writeFile(
        dir.filePath("Data/xml/unit.xml"),
        R"(<u><r text="r" ImageIndex="0" SelectedIndex="0"><b text="一年级上册" ImageIndex="0" SelectedIndex="0">
                 <g text="g" ImageIndex="1" SelectedIndex="1"><l text="画" ImageIndex="2" SelectedIndex="2"/></g></b></r></u>)");
    auto frm = start(dir.path());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0].text.contains("hanzi1.xml"));
    EXPECT_EQ(frm->State.CurrentLessonTitle, QStringLiteral("一年级上册→【画】"));
    EXPECT_TRUE(frm->State.LessonCode.isEmpty());
    EXPECT_TRUE(frm->State.CurrentWords.isEmpty());
    EXPECT_EQ(status(*frm), kInvite);
}

TEST_F(MainWindow, CapitalisedDataFolderAndGb2312Catalogue) {
    auto frm = start(QStringLiteral(PENCORA_SOURCE_DIR "/tests/content/fixtures/gb2312"));
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(frm->tv_mulu->topLevelItem(0)->text(0), QStringLiteral("小学语文"));
    EXPECT_EQ(frm->State.CurrentWords, (QStringList{"一", "去", "绿"}));
    EXPECT_EQ(frm->State.CurrentPinyin, (QStringList{"yī", "qù", "lǜ"}));
}

TEST_F(MainWindow, ResizeCallsOnlyTheHookOfTheFirstVisibleModePanel) {
    auto frm = start(sampleCourse());
    // Each hook puts its panel's controls in place; these are put out of place first.
    QWidget* answer = frm->Quiz.panels.kyrz.buttons[0];
    QWidget* card = frm->Flashcards->panel.lblword;
    auto displace = [&] {
        answer->move(-999, -999);
        card->resize(1, card->height());
    };
    displace();
    frm->FormResize(frm.get());
    EXPECT_EQ(answer->pos(), QPoint(-999, -999));  // the welcome panel follows by layout alone
    EXPECT_EQ(card->width(), 1);

    frm->pnl_info->hide();
    frm->pnl_kyrz->show();
    frm->pnlmain->show();
    frm->resize(800, 600);
    displace();
    frm->FormResize(frm.get());
    EXPECT_NE(answer->pos(), QPoint(-999, -999));
    EXPECT_EQ(card->width(), 1);  // the flashcards' panel comes later in the order
}

TEST_F(MainWindow, LessonSelectionRestartsTheModeWhoseButtonIsDown) {
    auto frm = start(sampleCourse());
    QStringList calls;
    // A practice start frees the lesson-reading slot first thing; that marks each restart.
    frm->Quiz.sound.play = {};
    frm->Quiz.sound.free = [&, f = frm.get()](uint32_t&) {
        calls << QStringLiteral("practice:") + f->State.LessonCode;
    };

    frm->TB_Mkcy->click();
    frm->TB_rszc->click();
    EXPECT_EQ(downButtons(*frm), QStringList{"TB_rszc"});  // one of the group at most
    frm->TB_rszc->click();                                 // asking again keeps it down
    EXPECT_EQ(downButtons(*frm), QStringList{"TB_rszc"});
    calls.clear();

    frm->selectNode(lesson(*frm, 2, 0, 1));
    frm->selectNode(lesson(*frm, 2, 0, 1)->parent());
    EXPECT_EQ(calls, (QStringList{"practice:030102", "practice:030102"}));
    EXPECT_FALSE(frm->pnl_kyrz->isHidden());

    calls.clear();
    frm->TBlesson->click();
    calls.clear();
    frm->selectNode(lesson(*frm, 2, 1, 0));
    EXPECT_TRUE(calls.isEmpty()) << "the lesson text, not a practice restart";
    EXPECT_EQ(frm->State.OpenLessonCode, frm->State.LessonCode);
    EXPECT_FALSE(frm->State.OpenLessonCode.isEmpty());
    EXPECT_TRUE(messages.messages().empty()) << "the sample course has every lesson's movie";
}

TEST_F(MainWindow, PointerOverAToolbarButtonAsksForItsPrompt) {
    auto frm = start(sampleCourse());
    uint32_t& slot0 = frm->State.ChannelSlots[0];
    for (QToolButton* button : {frm->TBlesson, frm->TB_Szb, frm->ToolButton1}) {
        const uint32_t before = slot0;
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(button, &enter);
        // Each prompt of the sample course starts on a new stream of slot 0.
        EXPECT_NE(slot0, before) << button->objectName().toStdString();
        EXPECT_NE(slot0, 0u) << button->objectName().toStdString();
    }
    EXPECT_TRUE(frm->TBlesson->toolTip().isEmpty());  // a Hint is data, never a tooltip

    // With 语音提示 unticked the pointer is silent and what played plays on.
    frm->Settings->N1->trigger();
    const uint32_t playing = slot0;
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(frm->tb_zcsj, &enter);
    EXPECT_EQ(slot0, playing);
}

TEST_F(MainWindow, ExceptionInAHandlerIsReportedAndTheProgramRunsOn) {
    auto frm = start(sampleCourse());
    // A look item whose Hint names no look makes its handler throw.
    frm->Settings->N61->setProperty("Hint", QStringLiteral("9"));
    frm->Settings->N61->trigger();
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.messages()[0].text.contains(QStringLiteral("9")));
    frm->Settings->N51->trigger();
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    frm->Settings->N4->trigger();
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(MainWindow, DictationListWindowStartsHiddenAndOnlyHidesOnClose) {
    auto frm = start(sampleCourse());
    Tfrm_wnnx_list list;
    EXPECT_TRUE(list.isHidden());
    list.show();
    list.close();
    EXPECT_TRUE(list.isHidden());
    EXPECT_EQ(list.windowTitle(), QStringLiteral("我念你写－－字词列表"));
}
