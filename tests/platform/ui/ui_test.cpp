// The user-interface services every window leans on: notices through the one message
// service (and the real box behind it), the general error report, the status bar's panels,
// clicks on widgets without a click signal, and the design fonts.
#include "platform/ui/click_filter.h"
#include "platform/ui/error_report.h"
#include "platform/ui/fonts.h"
#include "platform/ui/menu_images.h"
#include "platform/ui/message_service.h"
#include "platform/ui/status_panels.h"
#include "platform/ui/translations.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <stdexcept>

using namespace pencora::ui;

namespace {

// The program's own application object, so that its last line of error handling is the one
// under test.
void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "test_platform_ui";
        static char* argv[] = {name, nullptr};
        new Application(argc, argv);  // kept for the whole run
    }
}

class Ui : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ensureApplication(); }
};

// Answers the next message box by the button of role `answer`, after noting what it shows.
struct BoxAnswer {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
};

void answerNextBox(QMessageBox::StandardButton answer, BoxAnswer* seen) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, seen] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            seen->text = box->text();
            seen->title = box->windowTitle();
            seen->icon = box->icon();
            seen->buttons = box->standardButtons();
            seen->parent = box->parentWidget();
            box->button(answer)->click();
            poll->deleteLater();
            poll->stop();
            return;
        }
    });
    poll->start();
}

TEST_F(Ui, RecordersNestAndHandTheSinkBack) {
    QWidget owner;
    MessageRecorder outer(MessageResult::Yes);
    {
        MessageRecorder inner(MessageResult::No);
        showInformation(&owner, QStringLiteral("Pencora生字练习说明！"), QStringLiteral("先选课"));
        EXPECT_EQ(showMessage({MessageIcon::Question, QStringLiteral("t"), QStringLiteral("?"),
                               nullptr, MessageButtons::YesNo}),
                  MessageResult::No);
        ASSERT_EQ(inner.messages().size(), 2u);
        const auto& info = inner.messages()[0];
        EXPECT_EQ(info.icon, MessageIcon::Information);
        EXPECT_EQ(info.title, QStringLiteral("Pencora生字练习说明！"));
        EXPECT_EQ(info.text, QStringLiteral("先选课"));
        EXPECT_EQ(info.owner, &owner);
        EXPECT_EQ(info.buttons, MessageButtons::Ok);
        EXPECT_EQ(inner.messages()[1].buttons, MessageButtons::YesNo);
        inner.clear();
        EXPECT_TRUE(inner.messages().empty());
    }
    EXPECT_EQ(showMessage({MessageIcon::Warning, QString(), QStringLiteral("x"), nullptr,
                           MessageButtons::OkCancel}),
              MessageResult::Yes);
    ASSERT_EQ(outer.messages().size(), 1u);  // only what came after the inner one went
    EXPECT_TRUE(outer.messages()[0].title.isEmpty());

    // A sink set by hand is handed back as the previous one.
    int calls = 0;
    MessageSink mine = [&](const Message&) {
        ++calls;
        return MessageResult::Cancel;
    };
    MessageSink before = setMessageSink(mine);
    EXPECT_EQ(showMessage({}), MessageResult::Cancel);
    MessageSink back = setMessageSink(std::move(before));
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(back);
    EXPECT_EQ(back({}), MessageResult::Cancel);
    showMessage({});
    EXPECT_EQ(outer.messages().size(), 2u);
}

TEST_F(Ui, WithoutASinkAModalBoxShowsTheTextAndReportsTheButtonChosen) {
    QWidget owner;
    struct Row {
        MessageIcon icon;
        MessageButtons buttons;
        QMessageBox::StandardButton press;
        QMessageBox::Icon boxIcon;
        QMessageBox::StandardButtons shown;
        MessageResult result;
    };
    const Row rows[] = {
        {MessageIcon::Information, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Information,
         QMessageBox::Ok, MessageResult::Ok},
        {MessageIcon::Question, MessageButtons::YesNo, QMessageBox::No, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No, MessageResult::No},
        {MessageIcon::Question, MessageButtons::YesNo, QMessageBox::Yes, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No, MessageResult::Yes},
        {MessageIcon::Error, MessageButtons::OkCancel, QMessageBox::Cancel, QMessageBox::Critical,
         QMessageBox::Ok | QMessageBox::Cancel, MessageResult::Cancel},
        {MessageIcon::Warning, MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Warning,
         QMessageBox::Ok, MessageResult::Ok},
    };
    for (const Row& row : rows) {
        BoxAnswer seen;
        answerNextBox(row.press, &seen);
        const MessageResult result =
            showMessage({row.icon, QStringLiteral("Pencora"),
                         QStringLiteral("第一行\r第二行\r\n第三行"), &owner, row.buttons});
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(seen.icon, row.boxIcon);
        EXPECT_EQ(seen.buttons, row.shown);
        // A carriage return alone breaks the line too.
        EXPECT_EQ(seen.text, QStringLiteral("第一行\n第二行\n第三行"));
        EXPECT_EQ(seen.title, QStringLiteral("Pencora"));
        EXPECT_EQ(seen.parent, &owner);
    }
}

TEST_F(Ui, GuardedHandlersReportWhatEscapesThemAndTheProgramRunsOn) {
    QCoreApplication::setApplicationName(QStringLiteral("Pencora"));
    MessageRecorder messages;
    bool ran = false;
    EXPECT_TRUE(guarded([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(messages.messages().empty());

    EXPECT_FALSE(guarded([] { throw std::runtime_error("找不到文件 hanzi7.xml"); }));
    EXPECT_FALSE(guarded([] { throw 42; }));
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages.messages()[0].title, QStringLiteral("Pencora"));
    EXPECT_EQ(messages.messages()[0].text, QStringLiteral("找不到文件 hanzi7.xml"));
    EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.messages()[1].text, QStringLiteral("Unknown error"));

    reportException(nullptr);
    EXPECT_EQ(messages.messages().back().text, QStringLiteral("Unknown error"));
}

// An object whose handling of user events throws, as an unguarded handler would.
class Throwing : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++handled;
            throw std::logic_error("handler failed");
        }
        return QObject::event(e);
    }
    int handled = 0;
};

TEST_F(Ui, TheApplicationReportsErrorsEscapingAnEventAndDeliversTheNext) {
    MessageRecorder messages;
    Throwing target;
    QEvent direct(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &direct));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&target, QEvent::User);
    EXPECT_EQ(target.handled, 3);
    ASSERT_EQ(messages.messages().size(), 3u);
    for (const auto& m : messages.messages()) {
        EXPECT_EQ(m.text, QStringLiteral("handler failed"));
        EXPECT_EQ(m.icon, MessageIcon::Error);
    }
}

TEST_F(Ui, StatusPanelsKeepTheirWidthsAndShowPlainText) {
    StatusPanels bar({{185, Qt::AlignHCenter, QString()}, {0, Qt::AlignLeft, QStringLiteral("→")}});
    bar.resize(800, 26);
    bar.show();
    bar.layout()->activate();
    ASSERT_EQ(bar.panelCount(), 2);
    EXPECT_EQ(bar.panel(0)->width(), 185);
    EXPECT_GT(bar.panel(1)->width(), 500);  // the rest of the bar
    EXPECT_LE(bar.panel(1)->geometry().right(), 800);
    EXPECT_TRUE(bar.panel(0)->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(bar.panel(1)->alignment() & Qt::AlignLeft);
    EXPECT_EQ(bar.panelText(0), QString());
    EXPECT_EQ(bar.panelText(1), QStringLiteral("→"));

    bar.resize(1200, 26);
    bar.layout()->activate();
    EXPECT_EQ(bar.panel(0)->width(), 185);
    EXPECT_GT(bar.panel(1)->width(), 900);

    // Course texts are shown as they are, never as markup.
    bar.setPanelText(1, QStringLiteral("正在学习：<b>一年级上册</b>→【画】"));
    EXPECT_EQ(bar.panelText(1), QStringLiteral("正在学习：<b>一年级上册</b>→【画】"));
    EXPECT_EQ(bar.panel(1)->textFormat(), Qt::PlainText);

    // Panels that do not exist read empty and ignore writes.
    bar.setPanelText(2, QStringLiteral("x"));
    bar.setPanelText(-1, QStringLiteral("x"));
    EXPECT_EQ(bar.panelText(2), QString());
    EXPECT_EQ(bar.panel(-1), nullptr);
    EXPECT_EQ(bar.panel(2), nullptr);
}

void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::MouseButtons();
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST_F(Ui, AClickIsALeftPressAndReleaseOverTheWidget) {
    QWidget label;
    label.resize(100, 40);
    int clicks = 0;
    onClick(&label, [&] { ++clicks; });
    const QPoint inside(50, 20), outside(150, 20);

    mouse(&label, QEvent::MouseButtonPress, Qt::LeftButton, inside);
    mouse(&label, QEvent::MouseButtonRelease, Qt::LeftButton, inside);
    EXPECT_EQ(clicks, 1);

    // Released outside: taken back.
    mouse(&label, QEvent::MouseButtonPress, Qt::LeftButton, inside);
    mouse(&label, QEvent::MouseButtonRelease, Qt::LeftButton, outside);
    EXPECT_EQ(clicks, 1);
    // A release with no press before it, and the other buttons, are no click.
    mouse(&label, QEvent::MouseButtonRelease, Qt::LeftButton, inside);
    mouse(&label, QEvent::MouseButtonPress, Qt::RightButton, inside);
    mouse(&label, QEvent::MouseButtonRelease, Qt::RightButton, inside);
    EXPECT_EQ(clicks, 1);
    // A right press after the left one takes the click back.
    mouse(&label, QEvent::MouseButtonPress, Qt::LeftButton, inside);
    mouse(&label, QEvent::MouseButtonPress, Qt::RightButton, inside);
    mouse(&label, QEvent::MouseButtonRelease, Qt::LeftButton, inside);
    EXPECT_EQ(clicks, 1);

    // Two watchers on one widget each hear the click.
    int second = 0;
    onClick(&label, [&] { ++second; });
    mouse(&label, QEvent::MouseButtonPress, Qt::LeftButton, inside);
    mouse(&label, QEvent::MouseButtonRelease, Qt::LeftButton, inside);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(second, 1);
}

TEST_F(Ui, DesignFontsNameTheDesignFaceFirstAtItsPixelHeight) {
    const QFont kai = designFont(QStringLiteral("楷体_GB2312"), 20);
    ASSERT_FALSE(kai.families().isEmpty());
    EXPECT_EQ(kai.families().first(), QStringLiteral("楷体_GB2312"));
    EXPECT_TRUE(kai.families().contains(QStringLiteral("KaiTi")));
    EXPECT_EQ(kai.pixelSize(), 20);
    EXPECT_FALSE(kai.bold());

    const QFont song = designFont(QStringLiteral("宋体"), 14);
    EXPECT_TRUE(song.families().contains(QStringLiteral("SimSun")));
    const QFont fang = designFont(QStringLiteral("仿宋_GB2312"), 32, true);
    EXPECT_TRUE(fang.families().contains(QStringLiteral("FangSong")));
    EXPECT_TRUE(fang.bold());
    EXPECT_EQ(fang.pixelSize(), 32);

    // Any other face still falls back on a face with Chinese characters.
    const QFont other = designFont(QStringLiteral("Tahoma"), 12);
    EXPECT_EQ(other.families().first(), QStringLiteral("Tahoma"));
    EXPECT_GT(other.families().size(), 1);
}

}  // namespace

TEST_F(Ui, StandardButtonsSpeakChineseOnceTheToolkitTranslationsAreIn) {
    ASSERT_TRUE(installToolkitTranslations());
    QMessageBox box(
        QMessageBox::Question, QStringLiteral("字词速记学习完毕！"),
        QStringLiteral("点击确定，将重新开始字词速记的学习，点击取消，将停止字词速记学习。"),
        QMessageBox::Ok | QMessageBox::Cancel);
    // The captions the buttons paint, mnemonics aside.
    auto caption = [&](QMessageBox::StandardButton which) {
        return box.button(which)->text().remove(QLatin1Char('&'));
    };
    EXPECT_EQ(caption(QMessageBox::Ok), QStringLiteral("确定"));
    EXPECT_EQ(caption(QMessageBox::Cancel), QStringLiteral("取消"));
    QMessageBox yesNo(QMessageBox::Question, QString(), QString(),
                      QMessageBox::Yes | QMessageBox::No);
    // With the toolkit's key hint: 是(Y), 否(N).
    EXPECT_TRUE(yesNo.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
    EXPECT_TRUE(yesNo.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
    // An unknown locale leaves the toolkit as it was.
    EXPECT_FALSE(installToolkitTranslations(QStringLiteral("xx_XX")));
}

// The bounding box of the pixels of `colour` in `image`.
static QRect areaOf(const QImage& image, QRgb colour) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    return area;
}

TEST_F(Ui, MenuImagesAreDrawnAtTheirOwnSizeInEveryLook) {
    QPixmap book(28, 28);
    book.fill(QColor(229, 77, 66));
    for (const QString& sheet :
         {QString(), QStringLiteral("QMenu { background: white; color: black; }")}) {
        SCOPED_TRACE(sheet.toStdString());
        qApp->setStyleSheet(sheet);
        QMenu menu;
        menu.addAction(QIcon(book), QStringLiteral("一年级上册生字表"));
        showMenuImagesAt(&menu, 28);
        menu.adjustSize();
        const QRect drawn = areaOf(menu.grab().toImage(), qRgb(229, 77, 66));
        EXPECT_EQ(drawn.size(), QSize(28, 28));
    }
    qApp->setStyleSheet(QString());
}
