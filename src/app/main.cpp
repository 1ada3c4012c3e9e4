// The program entry: the application object, the main window, the hidden dictation
// word-list window, and the message loop until the main window closes.
#include "app/program_icon.h"
#include "app/tfrm_main.h"
#include "modes/dictation/tfrm_wnnx_list.h"
#include "platform/flash/control/flash_control.h"
#include "platform/flash/default_engine/default_engine.h"
#include "platform/ui/error_report.h"
#include "platform/ui/translations.h"

int main(int argc, char** argv) {
    pencora::ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pencora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pencora"));
    // Standard buttons read 确定 and 取消, as the notices ask a child to click.
    pencora::ui::installToolkitTranslations();
    // Every window carries the program's icon; the desktop file name ties the windows to the
    // installed menu entry.
    QApplication::setWindowIcon(pencora::app::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("example.pencora.Pencora"));

    // The movie player control the window's players create, as an installed control would
    // be found by its class identifier.
    pencora::flash::registerFlashControl(pencora::flash::createDefaultMovieEngine);

    Tfrm_Main frm_Main;
    pencora::ui::guarded([&] { frm_Main.FormCreate(&frm_Main); });
    Tfrm_wnnx_list frm_wnnx_list;
    frm_Main.setWordListWindow(&frm_wnnx_list);
    QObject::connect(&frm_Main, &Tfrm_Main::closed, &app, &QApplication::quit);

    frm_Main.showMaximized();
    return QApplication::exec();
}
