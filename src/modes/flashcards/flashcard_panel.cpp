#include "modes/flashcards/flashcard_panel.h"

#include "app/tfrm_main.h"
#include "modes/flashcards/flashcards.h"
#include "modes/flashcards/toolbar_prompt.h"
#include "platform/ui/click_filter.h"
#include "platform/ui/error_report.h"
#include "platform/ui/fonts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace pencora::flashcards {

namespace {

using ui::designFont;

const char* const kYellowOnBlack = "color: rgb(255,255,0); background: black;";
const char* const kLimeOnBlack = "color: rgb(0,255,0); background: black;";
const char* const kYellow = "color: rgb(255,255,0); background: transparent;";
const char* const kLime = "color: rgb(0,255,0); background: transparent;";

QLabel* label(QWidget* parent, const char* name, const QString& text, const QFont& font,
              const char* colours) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    l->setStyleSheet(QString::fromLatin1(colours));
    l->setTextFormat(Qt::PlainText);
    return l;
}

// One of the switches of pnl_nandu: the button at x, its caption at labelX. The caption
// passes a click on to its button.
template <typename Button>
Button* switchWithCaption(QWidget* panel, const char* name, int x, QLabel*& caption,
                          const char* captionName, int labelX, const QString& text) {
    auto* button = new Button(panel);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(x, 11, 16, 16);
    caption = label(panel, captionName, text, designFont(QStringLiteral("宋体"), 16), kLime);
    caption->setGeometry(labelX, 8, text.size() * 16 + 6, 22);
    caption->setCursor(Qt::PointingHandCursor);
    ui::onClick(caption, [button] { button->click(); });
    return button;
}

void buildControls(Tfrm_Main& frm) {
    QWidget* panel = frm.pnlmain;

    frm.lblword = label(panel, "lblword", QString(),
                        designFont(QStringLiteral("仿宋_GB2312"), 147, true), kYellowOnBlack);
    frm.lblword->setGeometry(5, 147, 751, 149);
    frm.lblword->setAlignment(Qt::AlignCenter);
    frm.lblword->setWordWrap(true);
    frm.lblword->setCursor(Qt::PointingHandCursor);

    frm.lblpinyin = label(panel, "lblpinyin", QString(),
                          designFont(QStringLiteral("宋体"), 48, true), kLimeOnBlack);
    frm.lblpinyin->setGeometry(5, 91, 751, 70);
    frm.lblpinyin->setAlignment(Qt::AlignCenter);
    frm.lblpinyin->setWordWrap(true);
    frm.lblpinyin->setCursor(Qt::PointingHandCursor);

    // The progress line follows the bottom edge; the labels above are placed by hand.
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch(1);
    frm.lblstate =
        label(panel, "lblstate", QString(), designFont(QStringLiteral("宋体"), 14), kYellow);
    frm.lblstate->setAlignment(Qt::AlignCenter);
    frm.lblstate->setFixedHeight(44);
    column->addWidget(frm.lblstate);

    frm.pnl_nandu = new QWidget(panel);
    frm.pnl_nandu->setObjectName(QStringLiteral("pnl_nandu"));
    frm.pnl_nandu->setAutoFillBackground(true);
    QPalette black = frm.pnl_nandu->palette();
    black.setColor(QPalette::Window, Qt::black);
    frm.pnl_nandu->setPalette(black);
    frm.pnl_nandu->setGeometry(714 - 320 - 3, 8, 320, 38);

    frm.Label3 = label(frm.pnl_nandu, "Label3", QStringLiteral("浏览速度："),
                       designFont(QStringLiteral("宋体"), 16), kLime);
    frm.Label3->setGeometry(5, 8, 80, 22);
    frm.Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    frm.rb_easy = switchWithCaption<QRadioButton>(frm.pnl_nandu, "rb_easy", 82, frm.Label1,
                                                  "Label1", 97, QStringLiteral("慢"));
    frm.rb_normal = switchWithCaption<QRadioButton>(frm.pnl_nandu, "rb_normal", 127, frm.Label4,
                                                    "Label4", 140, QStringLiteral("中"));
    frm.rb_hard = switchWithCaption<QRadioButton>(frm.pnl_nandu, "rb_hard", 170, frm.Label5,
                                                  "Label5", 183, QStringLiteral("快"));
    frm.chkpinyin = switchWithCaption<QCheckBox>(frm.pnl_nandu, "chkpinyin", 227, frm.Label8,
                                                 "Label8", 241, QStringLiteral("开启拼音"));
    // The three speed buttons share pnl_nandu and so form one group by themselves.
    frm.rb_normal->setChecked(true);
    frm.chkpinyin->setChecked(true);
}

template <typename Handler>
void guardedCall(Tfrm_Main& frm, QObject* sender, Handler handler) {
    ui::guarded([&] { (frm.*handler)(sender); });
}

void connectControls(Tfrm_Main& frm) {
    QObject::connect(frm.Timer11, &QTimer::timeout, &frm,
                     [&frm] { guardedCall(frm, frm.Timer11, &Tfrm_Main::Timer11Timer); });
    QObject::connect(frm.Timer21, &QTimer::timeout, &frm,
                     [&frm] { guardedCall(frm, frm.Timer21, &Tfrm_Main::Timer21Timer); });
    for (QRadioButton* speed : {frm.rb_easy, frm.rb_normal, frm.rb_hard}) {
        QObject::connect(speed, &QAbstractButton::clicked, &frm,
                         [&frm, speed] { guardedCall(frm, speed, &Tfrm_Main::rb_easyClick); });
    }
    QObject::connect(frm.chkpinyin, &QAbstractButton::clicked, &frm,
                     [&frm] { guardedCall(frm, frm.chkpinyin, &Tfrm_Main::chkpinyinClick); });
    for (QLabel* card : {frm.lblword, frm.lblpinyin})
        ui::onClick(card, [&frm, card] { guardedCall(frm, card, &Tfrm_Main::lblwordClick); });
}

}  // namespace

void install(Tfrm_Main& frm) {
    buildControls(frm);
    connectControls(frm);
    Tfrm_Main::Handlers& h = frm.handlers;
    h.tb_zcsjClick = &tb_zcsjClick;
    h.Timer11Timer = &Timer11Timer;
    h.Timer21Timer = &Timer21Timer;
    h.rb_easyClick = &rb_easyClick;
    h.chkpinyinClick = &chkpinyinClick;
    h.lblwordClick = &lblwordClick;
    h.tb_zcsjMouseEnter = &tb_zcsjMouseEnter;
    frm.setResizeHook(frm.pnlmain, &placeControls);
}

}  // namespace pencora::flashcards
