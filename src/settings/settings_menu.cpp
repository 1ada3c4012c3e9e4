#include "settings/settings_menu.h"

#include "common/hint.h"
#include "content/integer_text.h"
#include "platform/ui/error_report.h"
#include "platform/ui/menu_images.h"
#include "settings/skins.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
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
    QAction* SettingsMenu::*item;
    const char* name;
    const char16_t* caption;
    const char* hint;
};

const SkinItem kSkinItems[] = {
    {&SettingsMenu::N4, "N4", u"默认皮肤", "0"},   {&SettingsMenu::N6, "N6", u"灰色简明", "1"},
    {&SettingsMenu::N41, "N41", u"黑蓝酷清", "2"}, {&SettingsMenu::N51, "N51", u"淡蓝清雅", "3"},
    {&SettingsMenu::N61, "N61", u"灰黑酷冷", "4"},
};

}  // namespace

SettingsMenu::SettingsMenu(const SettingsFrame& frame) : frame_(frame) {
    ui::showMenuImagesAt(frame.popset, 30);
    buildMenu(frame.popset);
    // Under a skin Qt stops passing a styled parent's font on to its children; the status
    // panels keep the window's design font by holding it themselves.
    if (frame.statusBar != nullptr) {
        for (QLabel* panel : frame.statusBar->findChildren<QLabel*>()) {
            panel->setFont(frame.statusBar->window()->font());
        }
    }
    if (frame.toolbar != nullptr) {
        giveWayToSkins(frame.toolbar);
    }
}

void SettingsMenu::buildMenu(QMenu* popset) {
    // Only the submenu has an image: a ticked item with an image shows no tick under a skin,
    // and the ticks are what these items are about.
    img_set = {paletteImage()};

    N1 = popset->addAction(QStringLiteral("语音提示"));
    N1->setObjectName(QStringLiteral("N1"));
    N1->setCheckable(true);  // the tick is the switch, read when a prompt would play
    N1->setChecked(true);
    N2 = popset->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    N3 = popset->addMenu(img_set[0], QStringLiteral("皮肤设置"));
    N3->setObjectName(QStringLiteral("N3"));

    // One radio group; the handler sets the marks itself, so a look that fails to apply can
    // leave them where they were.
    auto* looks = new QActionGroup(N3);
    looks->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const SkinItem& skin : kSkinItems) {
        QAction* item = N3->addAction(QString::fromUtf16(skin.caption));
        item->setObjectName(QString::fromLatin1(skin.name));
        item->setCheckable(true);
        setHint(item, QString::fromLatin1(skin.hint));
        looks->addAction(item);
        this->*skin.item = item;
        QObject::connect(item, &QAction::triggered, N3,
                         [this, item] { ui::guarded([&] { chooseSkin(item); }); });
    }
    markSkinItem(N4);
}

bool SettingsMenu::voicePromptsOn() const {
    return N1->isChecked();
}

QList<QAction*> SettingsMenu::skinItems() const {
    return {N4, N6, N41, N51, N61};
}

void SettingsMenu::markSkinItem(QAction* chosen) {
    for (QAction* item : skinItems()) {
        QFont font = item->font();
        font.setBold(item == chosen);
        item->setFont(font);
        item->setChecked(item == chosen);
    }
}

// The item that holds the default mark: the look in use.
QAction* SettingsMenu::currentSkinItem() const {
    for (QAction* item : skinItems()) {
        if (item->font().bold()) {
            return item;
        }
    }
    return N4;
}

void SettingsMenu::chooseSkin(QObject* Sender) {
    if (frame_.beforeLookChange) {
        frame_.beforeLookChange();
    }
    auto* clicked = qobject_cast<QAction*>(Sender);
    // A click has already moved the tick to the clicked item; until the look is in place
    // the marks stay on the look in use.
    QAction* current = currentSkinItem();
    try {
        applySkin(content::toInteger(Hint(Sender)));
    } catch (...) {
        markSkinItem(current);
        throw;
    }
    markSkinItem(clicked ? clicked : current);
}

void openHomePage() {
    // Nothing is checked or reported: without a browser the click simply does nothing.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage)));
}

}  // namespace pencora::settings
