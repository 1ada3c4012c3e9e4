#include "settings/settings_menu.h"

#include "common/hint.h"
#include "app/tfrm_main.h"
#include "content/integer_text.h"
#include "platform/ui/error_report.h"
#include "platform/ui/status_panels.h"
#include "settings/skins.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QLabel>
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

struct SkinItem {
    QAction* Tfrm_Main::*item;
    const char* name;
    const char16_t* caption;
    const char* hint;
};

const SkinItem kSkinItems[] = {
    {&Tfrm_Main::N4, "N4", u"默认皮肤", "0"},   {&Tfrm_Main::N6, "N6", u"灰色简明", "1"},
    {&Tfrm_Main::N41, "N41", u"黑蓝酷清", "2"}, {&Tfrm_Main::N51, "N51", u"淡蓝清雅", "3"},
    {&Tfrm_Main::N61, "N61", u"灰黑酷冷", "4"},
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
    // Only the submenu has an image: a ticked item with an image shows no tick under a skin,
    // and the ticks are what these items are about.
    frm.img_set = {paletteImage()};

    QMenu* popset = frm.popset;
    frm.N1 = popset->addAction(QStringLiteral("语音提示"));
    frm.N1->setObjectName(QStringLiteral("N1"));
    frm.N1->setCheckable(true);  // the tick is the switch, read when a prompt would play
    frm.N1->setChecked(true);
    frm.N2 = popset->addSeparator();
    frm.N2->setObjectName(QStringLiteral("N2"));
    frm.N3 = popset->addMenu(frm.img_set[0], QStringLiteral("皮肤设置"));
    frm.N3->setObjectName(QStringLiteral("N3"));

    // One radio group; the handler sets the marks itself, so a look that fails to apply can
    // leave them where they were.
    auto* looks = new QActionGroup(frm.N3);
    looks->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const SkinItem& skin : kSkinItems) {
        QAction* item = frm.N3->addAction(QString::fromUtf16(skin.caption));
        item->setObjectName(QString::fromLatin1(skin.name));
        item->setCheckable(true);
        setHint(item, QString::fromLatin1(skin.hint));
        looks->addAction(item);
        frm.*skin.item = item;
        QObject::connect(item, &QAction::triggered, &frm,
                         [&frm, item] { ui::guarded([&] { frm.N5Click(item); }); });
    }
    markSkinItem(frm, frm.N4);
}

}  // namespace

void install(Tfrm_Main& frm) {
    buildMenu(frm);
    // Under a skin Qt stops passing a styled parent's font on to its children; the status
    // panels keep the window's design font by holding it themselves.
    for (QLabel* panel : frm.sb_state->findChildren<QLabel*>())
        panel->setFont(frm.font());
    giveWayToSkins(frm.TOBzhuanti);
    frm.handlers.N5Click = &N5Click;
    frm.handlers.ToolButton1Click = &ToolButton1Click;
}

void N5Click(Tfrm_Main& frm, QObject* Sender) {
    // The four quiz success animations are hidden first, so none stays on screen across the
    // change of look.
    frm.hideQuizAnimations();
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
