// Opens the main window on a course, starts the flashcards, opens book 1's character table
// and the settings menu, and saves a picture of each in every one of the five looks:
//
//   xvfb-run -s '-screen 0 1280x800x24' skin_shots <program folder with Data> <out folder>
//
// Pictures: <out>/<n>_main.png, <n>_quiz.png, <n>_table.png, <n>_menu.png for skins 0 (the
// platform's own look) to 4.
#include "app/tfrm_main.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/fs/program_path.h"
#include "platform/ui/error_report.h"
#include "platform/ui/message_service.h"
#include "settings/settings_menu.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

namespace {

void settle(int ms = 300) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: skin_shots <program folder> <out folder>\n");
        return 2;
    }
    pencora::ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pencora"));
    pencora::fs::setProgramFolder(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());

    // No box may wait for a click here: notices go to the terminal.
    pencora::ui::setMessageSink([](const pencora::ui::Message& m) {
        std::fprintf(stderr, "message: %s\n", qUtf8Printable(m.text));
        return pencora::ui::MessageResult::Ok;
    });

    Tfrm_Main frm;
    frm.FormCreate(&frm);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    frm.setGeometry(screen.adjusted(0, 0, -screen.width() / 4, -screen.height() / 6));
    frm.show();
    settle();

    // The first card on view, the timers stopped so the picture holds still.
    auto showFlashcards = [&frm] {
        frm.tb_zcsj->click();
        frm.Flashcards->Timer11->stop();
        frm.Flashcards->cardStep();
        frm.Flashcards->Timer11->stop();
        while (frm.Flashcards->Timer21->isActive()) {
            frm.Flashcards->slideStep();
        }
    };
    showFlashcards();

    frm.Tables->MenuItems[0]->trigger();
    Tfrm_shengzi* table = frm.Tables->frm_shengzi;
    table->resize(900, 560);
    table->move(screen.width() - 900, screen.height() - 560);
    settle();

    const QList<QAction*> looks = {frm.Settings->N4, frm.Settings->N6, frm.Settings->N41,
                                   frm.Settings->N51, frm.Settings->N61};
    for (int n = 0; n < looks.size(); ++n) {
        frm.N5Click(looks[n]);
        settle();
        frm.grab().save(out.filePath(QStringLiteral("%1_main.png").arg(n)));
        frm.btn_kewen->click();  // a quiz, for its buttons
        settle();
        frm.grab().save(out.filePath(QStringLiteral("%1_quiz.png").arg(n)));
        showFlashcards();
        table->grab().save(out.filePath(QStringLiteral("%1_table.png").arg(n)));
        frm.popset->popup(frm.ToolButton3->mapToGlobal(QPoint(0, frm.ToolButton3->height())));
        settle(150);
        frm.Settings->N3->popup(frm.popset->geometry().topRight() + QPoint(0, 40));
        settle(150);
        QPixmap menus(frm.popset->width() + frm.Settings->N3->width(),
                      std::max(frm.popset->height(), frm.Settings->N3->height() + 40));
        menus.fill(Qt::white);
        frm.popset->render(&menus);
        frm.Settings->N3->render(&menus, QPoint(frm.popset->width(), 40));
        menus.save(out.filePath(QStringLiteral("%1_menu.png").arg(n)));
        frm.Settings->N3->hide();
        frm.popset->hide();
        settle(100);
    }
    return 0;
}
