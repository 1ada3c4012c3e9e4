#include "modes/dictation/dictation_panel.h"

#include "modes/dictation/intervals.h"
#include "platform/ui/fonts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pencora::dictation {

namespace {

using ui::designFont;

constexpr int kLoudspeakerSize = 250;
constexpr int kImageSize = 32;
constexpr int kImageToCaption = 20;

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

// The picture with transparent room on its right, so the caption keeps its distance from it.
QIcon imageWithGap(const QIcon& image) {
    QPixmap padded(kImageSize + kImageToCaption - 4, kImageSize);
    padded.fill(Qt::transparent);
    QPainter painter(&padded);
    painter.drawPixmap(0, 0, image.pixmap(kImageSize, kImageSize));
    painter.end();
    return QIcon(padded);
}

void buildStartView(DictationPanel& p, const QIcon& startImage) {
    QWidget* panel = p.pnl_wnnx;
    // Two lines of two blanks under the request lift it above the start button.
    p.Label2 = label(panel, "Label2", QStringLiteral("小朋友，请准备好纸和笔！\r\n  \r\n  "));
    p.Label2->setAlignment(Qt::AlignCenter);
    p.Label2->setFont(designFont(QStringLiteral("宋体"), 48, true));
    p.Label2->setStyleSheet(QStringLiteral("color: rgb(255,255,0); background: black;"));

    p.btn_wnnx1 = new QPushButton(panel);
    p.btn_wnnx1->setObjectName(QStringLiteral("btn_wnnx1"));
    p.btn_wnnx1->setText(QStringLiteral("点击我，开始听写"));
    p.btn_wnnx1->setIcon(imageWithGap(startImage));
    p.btn_wnnx1->setIconSize(QSize(kImageSize + kImageToCaption - 4, kImageSize));
    p.btn_wnnx1->setFocusPolicy(Qt::NoFocus);
    p.btn_wnnx1->setCursor(Qt::PointingHandCursor);
    p.btn_wnnx1->setFont(designFont(QStringLiteral("宋体"), 16));
    setTextColour(p.btn_wnnx1, QColor(0, 128, 0));
    p.btn_wnnx1->setGeometry(132, 218, 449, 48);

    const QFont boxFont = designFont(QStringLiteral("仿宋_GB2312"), 19, true);
    p.lbl_timer = label(panel, "lbl_timer", QStringLiteral("每词间隔"));
    p.lbl_timer->setFont(boxFont);
    p.lbl_timer->setStyleSheet(QStringLiteral("color: rgb(255,0,0); background: transparent;"));
    p.lbl_timer->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    p.lbl_timer->setGeometry(549, 10, 96, 25);

    p.cmb_timer = new QComboBox(panel);
    p.cmb_timer->setObjectName(QStringLiteral("cmb_timer"));
    p.cmb_timer->setEditable(false);
    p.cmb_timer->addItems(intervalItems());
    p.cmb_timer->setCurrentIndex(kDefaultIntervalItem);
    p.cmb_timer->setFont(boxFont);
    p.cmb_timer->setStyleSheet(
        QStringLiteral("QComboBox#cmb_timer { color: rgb(255,0,0); background: rgb(0,64,64);"
                       "  border: 1px solid rgb(0,96,96); padding-left: 2px; }"
                       "QComboBox#cmb_timer QAbstractItemView { color: rgb(255,0,0);"
                       "  background: rgb(0,64,64); selection-background-color: rgb(0,96,96); }"));
    p.cmb_timer->setGeometry(642, 8, 67, 29);
}

void buildRunningView(DictationPanel& p, const PlayerFactory& makePlayer) {
    p.pnl_wnnx_main = new QWidget(p.pnl_wnnx);
    p.pnl_wnnx_main->setObjectName(QStringLiteral("pnl_wnnx_main"));
    p.pnl_wnnx_main->setAutoFillBackground(true);
    QPalette black = p.pnl_wnnx_main->palette();
    black.setColor(QPalette::Window, Qt::black);
    p.pnl_wnnx_main->setPalette(black);

    p.flash_laba = makePlayer(p.pnl_wnnx_main);
    p.flash_laba->resize(kLoudspeakerSize, kLoudspeakerSize);
    p.flash_laba->setCursor(Qt::PointingHandCursor);

    p.lbl_wnnx_state = label(p.pnl_wnnx_main, "lbl_wnnx_state", QString());
    p.lbl_wnnx_state->setAlignment(Qt::AlignCenter);
    p.lbl_wnnx_state->setFixedHeight(44);
    p.lbl_wnnx_state->setFont(designFont(QStringLiteral("宋体"), 14));
    p.lbl_wnnx_state->setStyleSheet(
        QStringLiteral("color: rgb(255,255,0); background: transparent;"));

    p.prog_In = new QProgressBar(p.pnl_wnnx_main);
    p.prog_In->setObjectName(QStringLiteral("prog_In"));
    p.prog_In->setRange(0, 100);
    p.prog_In->setValue(0);
    p.prog_In->setTextVisible(false);
    p.prog_In->setFixedHeight(30);

    // The line and the bar lie along the bottom; the loudspeaker is placed by the layout
    // method in the room above them.
    auto* bottom = new QVBoxLayout(p.pnl_wnnx_main);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    bottom->addStretch(1);
    bottom->addWidget(p.lbl_wnnx_state);
    bottom->addWidget(p.prog_In);
}

}  // namespace

DictationPanel buildDictationPanel(QWidget* pnl_wnnx, const PlayerFactory& loudspeaker,
                                   const QIcon& startImage) {
    DictationPanel p;
    p.pnl_wnnx = pnl_wnnx;
    pnl_wnnx->setFont(designFont(QStringLiteral("仿宋_GB2312"), 20));
    buildStartView(p, startImage);
    buildRunningView(p, loudspeaker);

    // The request and the running view both fill the panel; the running view, once shown,
    // covers the start view.
    auto* fill = new QGridLayout(pnl_wnnx);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(p.Label2, 0, 0);
    fill->addWidget(p.pnl_wnnx_main, 0, 0);
    p.btn_wnnx1->raise();
    p.lbl_timer->raise();
    p.cmb_timer->raise();
    p.pnl_wnnx_main->raise();
    p.pnl_wnnx_main->hide();
    return p;
}

}  // namespace pencora::dictation
