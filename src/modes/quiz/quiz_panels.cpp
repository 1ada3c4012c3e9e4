#include "modes/quiz/quiz_panels.h"

#include "platform/ui/fonts.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace pencora::quiz {

using ui::designFont;

namespace {

const QColor kGreen(0, 128, 0);
const QColor kNavy(0, 0, 128);

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel* questionLabel(QWidget* panel, const char* name, int width, int height) {
    auto* label = new QLabel(panel);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(0, 0, width, height);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setFont(designFont(QStringLiteral("宋体"), 96, true));
    label->setStyleSheet(QStringLiteral("color: rgb(255,255,0); background: black;"));
    return label;
}

QPushButton* replayButton(QWidget* panel, const char* name) {
    auto* button = new QPushButton(QStringLiteral("再读一遍"), panel);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(670, 8, 72, 33);
    button->setFont(designFont(QStringLiteral("宋体"), 14));
    button->setFocusPolicy(Qt::NoFocus);
    setTextColour(button, kNavy);
    return button;
}

struct ButtonDesign {
    int width;
    int height;
    std::array<int, 4> lefts;
    int top;
    QString family;
    int pixelSize;
};

void answerButtons(QuizControls& quiz, const char* stem, const ButtonDesign& design) {
    for (int k = 0; k < 4; ++k) {
        auto* button = new QPushButton(quiz.panel);
        button->setObjectName(QStringLiteral("btn_%1%2").arg(QLatin1String(stem)).arg(k + 1));
        button->setGeometry(design.lefts[k], design.top, design.width, design.height);
        button->setFont(designFont(design.family, design.pixelSize, true));
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        setTextColour(button, kGreen);
        quiz.buttons[k] = button;
    }
}

void preparePanel(QWidget* panel) {
    // Panels paint double-buffered as every Qt widget does; only the font is ours to set.
    panel->setFont(designFont(QStringLiteral("仿宋_GB2312"), 20));
}

class EnterFilter : public QObject {
  public:
    EnterFilter(QWidget* widget, std::function<void()> handler)
        : QObject(widget), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter && handler_) {
            handler_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
};

}  // namespace

QuizControls& QuizPanels::operator[](QuizKind kind) {
    return const_cast<QuizControls&>(std::as_const(*this)[kind]);
}

const QuizControls& QuizPanels::operator[](QuizKind kind) const {
    switch (kind) {
        case QuizKind::Tyrz:
            return tyrz;
        case QuizKind::Kyrz:
            return kyrz;
        case QuizKind::Kzry:
            return kzry;
        case QuizKind::Tyby:
            break;
    }
    return tyby;
}

QuizPanels buildQuizPanels(QWidget* pnl_tyrz, QWidget* pnl_kyrz, QWidget* pnl_kzry,
                           QWidget* pnl_tyby) {
    const QString fangSong = QStringLiteral("仿宋_GB2312");
    const QString heiTi = QStringLiteral("黑体");
    const ButtonDesign character{120, 90, {56, 232, 408, 575}, 168, fangSong, 69};
    const ButtonDesign pinyin{160, 73, {56, 232, 403, 575}, 216, heiTi, 48};

    QuizPanels panels;
    panels.tyrz = {QuizKind::Tyrz, pnl_tyrz};
    panels.kyrz = {QuizKind::Kyrz, pnl_kyrz};
    panels.kzry = {QuizKind::Kzry, pnl_kzry};
    panels.tyby = {QuizKind::Tyby, pnl_tyby};
    for (QWidget* panel : {pnl_tyrz, pnl_kyrz, pnl_kzry, pnl_tyby}) {
        preparePanel(panel);
    }

    panels.tyrz.replay = replayButton(pnl_tyrz, "btn_tyrz_read");
    answerButtons(panels.tyrz, "tyrz", character);

    panels.kyrz.label = questionLabel(pnl_kyrz, "lbl_kyrz_pinyin", 760, 210);
    ButtonDesign kyrz = character;
    kyrz.top = 216;
    answerButtons(panels.kyrz, "kyrz", kyrz);

    panels.kzry.label = questionLabel(pnl_kzry, "lbl_kzry_zi", 760, 210);
    answerButtons(panels.kzry, "kzry", pinyin);

    panels.tyby.replay = replayButton(pnl_tyby, "btn_tyby_read");
    panels.tyby.label = questionLabel(pnl_tyby, "lbl_tyby_pinyin", 657, 121);
    panels.tyby.label->hide();
    answerButtons(panels.tyby, "tyby", pinyin);

    // The labels stay behind the answer buttons while they slide in.
    for (QLabel* label : {panels.kyrz.label, panels.kzry.label}) {
        label->lower();
    }
    return panels;
}

void onMouseEnter(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(new EnterFilter(widget, std::move(handler)));
}

bool isShown(const QWidget* widget) {
    return widget != nullptr && !widget->isHidden();
}

}  // namespace pencora::quiz
