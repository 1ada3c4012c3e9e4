// The controls of the main window and their design settings.
#include "app/program_icon.h"
#include "app/tfrm_main.h"
#include "common/hint.h"
#include "platform/ui/error_report.h"
#include "platform/ui/fonts.h"
#include "platform/ui/status_panels.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

static void initFrameResources() {
    Q_INIT_RESOURCE(app_images);
}

using pencora::ui::designFont;

namespace {

const QColor kWindowColour(239, 253, 254);
const QColor kLineColour(127, 157, 185);
const QColor kClientColour(198, 211, 239);

QFrame* line(QWidget* parent, Qt::Orientation orientation, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::NoFrame);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, kLineColour);
    frame->setPalette(palette);
    if (orientation == Qt::Horizontal) {
        frame->setFixedHeight(1);
    } else {
        frame->setFixedWidth(1);
    }
    return frame;
}

void fillBackground(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

QList<QIcon> loadImages(const QString& folder, int count) {
    QList<QIcon> images;
    for (int i = 0; i < count; ++i) {
        images << QIcon(
            QStringLiteral(":/images/%1/%2.png").arg(folder).arg(i, 2, 10, QLatin1Char('0')));
    }
    return images;
}

}  // namespace

Tfrm_Main::Tfrm_Main(QWidget* parent) : QWidget(parent) {
    initFrameResources();
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QStringLiteral("Pencora"));
    setMinimumSize(600, 450);
    resize(906, 475);
    setFont(designFont(QStringLiteral("楷体_GB2312"), 20));
    fillBackground(this, kWindowColour);
    ImageList_Alpha = loadImages(QStringLiteral("toolbar"), 14);
    ImageList_Tree = loadImages(QStringLiteral("tree"), 3);
    setWindowIcon(pencora::app::programIcon());
    buildFrame();
    buildTimers();
    buildQuiz();
    buildMoviePlayers();
    buildLessonText();
    buildDictation();
    applyFrameStyle();
    buildModes();
}

void Tfrm_Main::buildModes() {
    Flashcards = std::make_unique<pencora::flashcards::FlashcardMode>(*this, pnlmain);
    Tables = std::make_unique<pencora::tables::TablesMode>(*this, popshengzi);
    // After the frame's own style: the toolbar's design sheet is what the skins set aside.
    Settings = std::make_unique<pencora::settings::SettingsMenu>(pencora::settings::SettingsFrame{
        popset, TOBzhuanti, sb_state, [this] { hideQuizAnimations(); }});
}

Tfrm_Main::~Tfrm_Main() = default;

void Tfrm_Main::buildFrame() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Shape1 = line(this, Qt::Horizontal, "Shape1");
    column->addWidget(Shape1);
    buildToolbar();
    column->addWidget(TOBzhuanti);
    Shape3 = line(this, Qt::Horizontal, "Shape3");
    column->addWidget(Shape3);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    buildTree();
    body->addWidget(tv_mulu);
    Shape2 = line(this, Qt::Vertical, "Shape2");
    body->addWidget(Shape2);
    pnl_rszc = new QWidget(this);
    pnl_rszc->setObjectName(QStringLiteral("pnl_rszc"));
    fillBackground(pnl_rszc, kClientColour);
    body->addWidget(pnl_rszc, 1);
    column->addLayout(body, 1);
    buildPanels();

    sb_state = new pencora::ui::StatusPanels(
        {{185, Qt::AlignHCenter, QString()}, {0, Qt::AlignLeft, QStringLiteral("→")}}, this);
    sb_state->setObjectName(QStringLiteral("sb_state"));
    sb_state->setFixedHeight(26);
    fillBackground(sb_state, kClientColour);
    column->addWidget(sb_state);
}

void Tfrm_Main::buildToolbar() {
    TOBzhuanti = new QToolBar(this);
    TOBzhuanti->setObjectName(QStringLiteral("TOBzhuanti"));
    TOBzhuanti->setFixedHeight(63);
    TOBzhuanti->setMovable(false);
    TOBzhuanti->setFloatable(false);
    TOBzhuanti->setIconSize(QSize(32, 32));
    TOBzhuanti->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    TOBzhuanti->setContentsMargins(0, 0, 0, 0);
    TOBzhuanti->setFont(designFont(QStringLiteral("宋体"), 16));
    modeButtons = new QButtonGroup(this);
    modeButtons->setExclusive(true);

    auto addButton = [this](QToolButton*& button, const char* name, const QString& caption,
                            const char* hint, int image, bool check) {
        button = new QToolButton(TOBzhuanti);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setIcon(ImageList_Alpha.value(image));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFixedHeight(63);
        button->setMinimumWidth(72);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        pencora::setHint(button, QString::fromLatin1(hint));
        button->installEventFilter(this);  // OnMouseEnter
        if (check) {
            button->setCheckable(true);
            modeButtons->addButton(button);
        }
        TOBzhuanti->addWidget(button);
    };
    addButton(TBlesson, "TBlesson", QStringLiteral("同步学课文"), "tbxkw", 1, true);
    TBlesson->setFixedWidth(93);
    addButton(tb_zcsj, "tb_zcsj", QStringLiteral(" 字词速记 "), "zcsj", 0, true);
    addButton(btn_kewen, "btn_kewen", QStringLiteral(" 听音认字 "), "tyrz", 13, true);
    addButton(TB_rszc, "TB_rszc", QStringLiteral(" 看音认字 "), "kyrz", 4, true);
    addButton(TBfirst, "TBfirst", QStringLiteral(" 听音辨音 "), "tyby", 2, true);
    addButton(TB_Mkcy, "TB_Mkcy", QStringLiteral(" 看字认音 "), "kzry", 6, true);
    addButton(TB_listenAndWrite, "TB_listenAndWrite", QStringLiteral(" 我念你写 "), "wnnx", 3,
              true);
    ToolButton6 = TOBzhuanti->addSeparator();
    ToolButton6->setObjectName(QStringLiteral("ToolButton6"));
    addButton(TB_Szb, "TB_Szb", QStringLiteral(" 生字表 "), "szb", 7, false);
    addButton(ToolButton3, "ToolButton3", QStringLiteral(" 设 置 "), "set", 10, false);
    addButton(ToolButton1, "ToolButton1", QStringLiteral("  网 站  "), "home", 9, false);

    popshengzi = new QMenu(this);
    popshengzi->setObjectName(QStringLiteral("popshengzi"));
    TB_Szb->setMenu(popshengzi);
    TB_Szb->setPopupMode(QToolButton::InstantPopup);
    popset = new QMenu(this);
    popset->setObjectName(QStringLiteral("popset"));
    ToolButton3->setMenu(popset);
    ToolButton3->setPopupMode(QToolButton::MenuButtonPopup);

    auto connectClick = [this](QToolButton* button, void (Tfrm_Main::*handler)(QObject*)) {
        connect(button, &QToolButton::clicked, this, [this, button, handler] {
            pencora::ui::guarded([&] { (this->*handler)(button); });
        });
    };
    connectClick(TBlesson, &Tfrm_Main::TBlessonClick);
    connectClick(tb_zcsj, &Tfrm_Main::tb_zcsjClick);
    for (QToolButton* b : {btn_kewen, TB_rszc, TBfirst, TB_Mkcy, TB_listenAndWrite}) {
        connectClick(b, &Tfrm_Main::btn_kewenClick);
    }
    connectClick(ToolButton1, &Tfrm_Main::ToolButton1Click);
}

void Tfrm_Main::buildTree() {
    tv_mulu = new QTreeWidget(this);
    tv_mulu->setObjectName(QStringLiteral("tv_mulu"));
    tv_mulu->setFixedWidth(190);
    tv_mulu->setFrameShape(QFrame::NoFrame);
    tv_mulu->setHeaderHidden(true);
    tv_mulu->setColumnCount(1);
    tv_mulu->setFont(designFont(QStringLiteral("宋体"), 14));
    tv_mulu->setIndentation(19);
    tv_mulu->setIconSize(QSize(16, 16));
    tv_mulu->setRootIsDecorated(false);
    tv_mulu->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv_mulu->setSelectionMode(QAbstractItemView::SingleSelection);
    tv_mulu->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tv_mulu->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tv_mulu->header()->setStretchLastSection(false);
    QPalette palette = tv_mulu->palette();
    palette.setColor(QPalette::Base, Qt::white);
    // The selection stays highlighted when the tree loses focus.
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    tv_mulu->setPalette(palette);
    connect(tv_mulu, &QTreeWidget::itemSelectionChanged, this, [this] {
        pencora::ui::guarded([this] { tv_muluChange(tv_mulu, tv_mulu->currentItem()); });
    });
}

void Tfrm_Main::buildPanels() {
    auto* stack = new QGridLayout(pnl_rszc);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    auto panel = [this, stack](const char* name, bool visible) {
        auto* p = new QWidget(pnl_rszc);
        p->setObjectName(QString::fromLatin1(name));
        fillBackground(p, Qt::black);
        stack->addWidget(p, 0, 0);
        p->setVisible(visible);
        if (!visible) {
            p->hide();
        }
        return p;
    };
    pnl_info = panel("pnl_info", true);
    pnl_tyrz = panel("pnl_tyrz", false);
    pnl_kyrz = panel("pnl_kyrz", false);
    pnl_kzry = panel("pnl_kzry", false);
    pnl_tyby = panel("pnl_tyby", false);
    pnl_wnnx = panel("pnl_wnnx", false);
    pnlmain = panel("pnlmain", false);
    pnlrszc = panel("pnlrszc", false);

    auto* info = new QVBoxLayout(pnl_info);
    info->setContentsMargins(0, 0, 0, 0);
    info->setSpacing(0);
    Label6 = new QLabel(QStringLiteral("有效、全面、易用的同步课文学习与生字练习软件！"), pnl_info);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setAlignment(Qt::AlignCenter);
    Label6->setWordWrap(true);
    Label6->setFont(designFont(QStringLiteral("仿宋_GB2312"), 32, true));
    Label6->setStyleSheet(QStringLiteral("color: rgb(255,255,0); background: black;"));
    info->addWidget(Label6, 1);
    Label7 = new QLabel(
        QStringLiteral(
            "全面解决孩子自学课文、家长为孩子听写生字、掌握生字等问题，小学语文同步学习事半功倍！"),
        pnl_info);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setAlignment(Qt::AlignCenter);
    Label7->setWordWrap(true);
    Label7->setFixedHeight(44);
    Label7->setFont(designFont(QStringLiteral("宋体"), 14));
    Label7->setStyleSheet(QStringLiteral("color: rgb(0,255,0); background: transparent;"));
    info->addWidget(Label7);
}

void Tfrm_Main::buildTimers() {
    auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        return t;
    };
    Timer1 = timer("Timer1", 1000);
    Timer2 = timer("Timer2", 1);
    tim_tx = &Dictation.tim_tx;
}

void Tfrm_Main::applyFrameStyle() {
    TOBzhuanti->setStyleSheet(QStringLiteral(
        "QToolBar#TOBzhuanti { border: none; padding: 0px; spacing: 0px;"
        "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        "    stop:0 rgb(205,240,247), stop:1 rgb(198,211,239)); }"
        "QToolBar#TOBzhuanti::separator { width: 8px; }"
        "QToolBar#TOBzhuanti QToolButton { color: black; border: 1px solid transparent;"
        "  border-radius: 3px; padding: 0px 2px; background: transparent; }"
        "QToolBar#TOBzhuanti QToolButton:hover { background: rgb(180,180,218);"
        "  border-color: rgb(90,113,160); }"
        "QToolBar#TOBzhuanti QToolButton:checked { background: rgba(90,113,160,110);"
        "  border-color: rgb(90,113,160); }"
        "QToolBar#TOBzhuanti QToolButton:pressed { background: rgba(90,113,160,150); }"
        "QToolBar#TOBzhuanti QToolButton::menu-button { border: none; width: 12px; }"));
}

void Tfrm_Main::showMaximized() {
    // Cover the screen first, so the window is full size also where no window manager
    // honours the maximised state (a bare X server).
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        setGeometry(s->availableGeometry());
    }
    QWidget::showMaximized();
}

void Tfrm_Main::centreAtDesignSize() {
    resize(906, 475);
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
}

void Tfrm_Main::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    const auto old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if ((old & Qt::WindowMaximized) &&
        !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
        centreAtDesignSize();
    }
}

void Tfrm_Main::raiseModeButtons() {
    modeButtons->setExclusive(false);
    for (QToolButton* b : checkButtons()) {
        b->setChecked(false);
    }
    modeButtons->setExclusive(true);
}
