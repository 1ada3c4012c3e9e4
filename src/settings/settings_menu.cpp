#include "settings/settings_menu.h"

#include "app/hint.h"
#include "app/tfrm_main.h"
#include "content/integer_text.h"
#include "platform/ui/error_report.h"
#include "settings/skins.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>
#include <QUrl>

namespace pencora::settings {

namespace {

QPixmap blankImage() {
    QPixmap image(30, 30);
    image.fill(Qt::transparent);
    return image;
}

// A loudspeaker with two sound waves.
QIcon speakerImage() {
    QPixmap image = blankImage();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 94, 160));
    QPainterPath cone;
    cone.moveTo(4, 11);
    cone.lineTo(10, 11);
    cone.lineTo(17, 5);
    cone.lineTo(17, 25);
    cone.lineTo(10, 19);
    cone.lineTo(4, 19);
    cone.closeSubpath();
    p.drawPath(cone);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(52, 94, 160), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(14, 9, 8, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(13, 5, 14, 20), -50 * 16, 100 * 16);
    return QIcon(image);
}

// A painter's palette with four dabs of colour.
QIcon paletteImage() {
    QPixmap image = blankImage();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath board;
    board.addEllipse(QRectF(3, 5, 24, 20));
    QPainterPath thumb;
    thumb.addEllipse(QRectF(15, 16, 6, 6));
    p.setPen(QPen(QColor(120, 86, 50), 1.2));
    p.setBrush(QColor(226, 190, 140));
    p.drawPath(board.subtracted(thumb));
    p.setPen(Qt::NoPen);
    const QColor dabs[] = {{220, 60, 60}, {250, 190, 40}, {60, 160, 80}, {50, 110, 210}};
    const QPointF at[] = {{9, 11}, {15, 9}, {21, 11}, {9, 18}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(dabs[i]);
        p.drawEllipse(at[i], 2.6, 2.6);
    }
    return QIcon(image);
}

// A swatch of a look: its window colour, with a band of its accent.
QIcon swatchImage(const QColor& window, const QColor& accent) {
    QPixmap image = blankImage();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(window);
    p.drawRoundedRect(QRectF(4.5, 4.5, 21, 21), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(5, 17, 20, 8));
    return QIcon(image);
}

struct SkinItem {
    QAction* Tfrm_Main::*item;
    const char* name;
    const char16_t* caption;
    const char* hint;
    QColor window;
    QColor accent;
};

const SkinItem kSkinItems[] = {
    {&Tfrm_Main::N4, "N4", u"默认皮肤", "0", QColor(239, 253, 254), QColor(198, 211, 239)},
    {&Tfrm_Main::N6, "N6", u"灰色简明", "1", QColor(239, 239, 242), QColor(142, 137, 169)},
    {&Tfrm_Main::N41, "N41", u"黑蓝酷清", "2", QColor(22, 25, 30), QColor(31, 142, 224)},
    {&Tfrm_Main::N51, "N51", u"淡蓝清雅", "3", QColor(233, 243, 251), QColor(58, 141, 214)},
    {&Tfrm_Main::N61, "N61", u"灰黑酷冷", "4", QColor(35, 35, 35), QColor(142, 162, 182)},
};

QList<QAction*> skinItems(const Tfrm_Main& frm) {
    return {frm.N4, frm.N6, frm.N41, frm.N51, frm.N61};
}

void markSkinItem(Tfrm_Main& frm, QAction* chosen) {
    for (QAction* item : skinItems(frm)) {
        QFont font = item->font();
        font.setBold(item == chosen);
        item->setFont(font);
        item->setChecked(item == chosen);
    }
}

// The item that holds the default mark: the look in use.
QAction* currentSkinItem(const Tfrm_Main& frm) {
    for (QAction* item : skinItems(frm)) {
        if (item->font().bold())
            return item;
    }
    return frm.N4;
}

void buildMenu(Tfrm_Main& frm) {
    frm.img_set = {speakerImage(), paletteImage()};
    for (const SkinItem& skin : kSkinItems)
        frm.img_set << swatchImage(skin.window, skin.accent);

    QMenu* popset = frm.popset;
    frm.N1 = popset->addAction(frm.img_set[0], QStringLiteral("语音提示"));
    frm.N1->setObjectName(QStringLiteral("N1"));
    frm.N1->setCheckable(true);  // the tick is the switch, read when a prompt would play
    frm.N1->setChecked(true);
    frm.N2 = popset->addSeparator();
    frm.N2->setObjectName(QStringLiteral("N2"));
    frm.N3 = popset->addMenu(frm.img_set[1], QStringLiteral("皮肤设置"));
    frm.N3->setObjectName(QStringLiteral("N3"));

    for (size_t i = 0; i < std::size(kSkinItems); ++i) {
        const SkinItem& skin = kSkinItems[i];
        QAction* item = frm.N3->addAction(frm.img_set[static_cast<int>(i) + 2],
                                          QString::fromUtf16(skin.caption));
        item->setObjectName(QString::fromLatin1(skin.name));
        item->setCheckable(true);
        setHint(item, QString::fromLatin1(skin.hint));
        frm.*skin.item = item;
        QObject::connect(item, &QAction::triggered, &frm,
                         [&frm, item] { ui::guarded([&] { frm.N5Click(item); }); });
    }
    markSkinItem(frm, frm.N4);

    // Menu images are 30 px; the sheet holds nothing else, so a skin's menu colours apply.
    for (QMenu* menu : {popset, frm.N3})
        menu->setStyleSheet(QStringLiteral("QMenu { icon-size: 30px; }"));
}

}  // namespace

void install(Tfrm_Main& frm) {
    buildMenu(frm);
    giveWayToSkins(frm.TOBzhuanti);
    frm.handlers.N5Click = &N5Click;
    frm.handlers.ToolButton1Click = &ToolButton1Click;
}

void N5Click(Tfrm_Main& frm, QObject* Sender) {
    // The four quiz success animations are hidden here first, once the quizzes have them,
    // so none stays on screen across the change of look.
    auto* clicked = qobject_cast<QAction*>(Sender);
    // A click has already moved the tick to the clicked item; until the look is in place
    // the marks stay on the look in use.
    QAction* current = currentSkinItem(frm);
    try {
        applySkin(content::toInteger(Hint(Sender)));
    } catch (...) {
        markSkinItem(frm, current);
        throw;
    }
    markSkinItem(frm, clicked ? clicked : current);
}

void ToolButton1Click(Tfrm_Main& /*frm*/, QObject* /*Sender*/) {
    // Nothing is checked or reported: without a browser the click simply does nothing.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage)));
}

}  // namespace pencora::settings
