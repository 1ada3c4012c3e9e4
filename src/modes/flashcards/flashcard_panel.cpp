#include "modes/flashcards/flashcard_panel.h"

#include "platform/ui/click_filter.h"
#include "platform/ui/fonts.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
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

void buildCards(FlashcardPanel& p) {
    p.lblword = label(p.pnlmain, "lblword", QString(),
                      designFont(QStringLiteral("仿宋_GB2312"), 147, true), kYellowOnBlack);
    p.lblword->setGeometry(5, 147, 751, 149);
    p.lblword->setAlignment(Qt::AlignCenter);
    p.lblword->setWordWrap(true);
    p.lblword->setCursor(Qt::PointingHandCursor);

    p.lblpinyin = label(p.pnlmain, "lblpinyin", QString(),
                        designFont(QStringLiteral("宋体"), 48, true), kLimeOnBlack);
    p.lblpinyin->setGeometry(5, 91, 751, 70);
    p.lblpinyin->setAlignment(Qt::AlignCenter);
    p.lblpinyin->setWordWrap(true);
    p.lblpinyin->setCursor(Qt::PointingHandCursor);

    // The progress line follows the bottom edge; the labels above are placed by hand.
    auto* column = new QVBoxLayout(p.pnlmain);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch(1);
    p.lblstate =
        label(p.pnlmain, "lblstate", QString(), designFont(QStringLiteral("宋体"), 14), kYellow);
    p.lblstate->setAlignment(Qt::AlignCenter);
    p.lblstate->setFixedHeight(44);
    column->addWidget(p.lblstate);
}

void buildSwitches(FlashcardPanel& p) {
    p.pnl_nandu = new QWidget(p.pnlmain);
    p.pnl_nandu->setObjectName(QStringLiteral("pnl_nandu"));
    p.pnl_nandu->setAutoFillBackground(true);
    QPalette black = p.pnl_nandu->palette();
    black.setColor(QPalette::Window, Qt::black);
    p.pnl_nandu->setPalette(black);
    p.pnl_nandu->setGeometry(714 - 320 - 3, 8, 320, 38);

    p.Label3 = label(p.pnl_nandu, "Label3", QStringLiteral("浏览速度："),
                     designFont(QStringLiteral("宋体"), 16), kLime);
    p.Label3->setGeometry(5, 8, 80, 22);
    p.Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    p.rb_easy = switchWithCaption<QRadioButton>(p.pnl_nandu, "rb_easy", 82, p.Label1, "Label1", 97,
                                                QStringLiteral("慢"));
    p.rb_normal = switchWithCaption<QRadioButton>(p.pnl_nandu, "rb_normal", 127, p.Label4, "Label4",
                                                  140, QStringLiteral("中"));
    p.rb_hard = switchWithCaption<QRadioButton>(p.pnl_nandu, "rb_hard", 170, p.Label5, "Label5",
                                                183, QStringLiteral("快"));
    p.chkpinyin = switchWithCaption<QCheckBox>(p.pnl_nandu, "chkpinyin", 227, p.Label8, "Label8",
                                               241, QStringLiteral("开启拼音"));
    // The three speed buttons share pnl_nandu and so form one group by themselves.
    p.rb_normal->setChecked(true);
    p.chkpinyin->setChecked(true);
}

}  // namespace

FlashcardPanel buildFlashcardPanel(QWidget* pnlmain) {
    FlashcardPanel panel;
    panel.pnlmain = pnlmain;
    buildCards(panel);
    buildSwitches(panel);
    return panel;
}

}  // namespace pencora::flashcards
