#include "app/tfrm_wnnx_list.h"

#include "platform/ui/fonts.h"

#include <QCloseEvent>
#include <QVBoxLayout>

Tfrm_wnnx_list::Tfrm_wnnx_list(Tfrm_Main* main, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      frm_Main(main) {
    setObjectName(QStringLiteral("frm_wnnx_list"));
    // Closing this window must not end the program while the main window is hidden.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("我念你写－－字词列表"));
    setFont(pencora::ui::designFont(QStringLiteral("仿宋_GB2312"), 19));
    resize(680, 384);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pnl_main = new QWidget(this);
    pnl_main->setObjectName(QStringLiteral("pnl_main"));
    pnl_main->setAutoFillBackground(true);
    QPalette palette = pnl_main->palette();
    palette.setColor(QPalette::Window, Qt::black);
    pnl_main->setPalette(palette);
    layout->addWidget(pnl_main);
}

void Tfrm_wnnx_list::closeEvent(QCloseEvent* event) {
    // Hidden, not destroyed: every dictation reuses the one window.
    event->accept();
}
