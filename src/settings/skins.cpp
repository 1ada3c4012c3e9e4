#include "settings/skins.h"

#include "platform/resources/program_resources.h"

#include <QApplication>
#include <QFont>
#include <QWidget>

// Resources are initialised by name in the global namespace.
static void initSkinResources() {
    Q_INIT_RESOURCE(skin_sheets);
    Q_INIT_RESOURCE(skin_images_aquagraphite);
    Q_INIT_RESOURCE(skin_images_carbon);
    Q_INIT_RESOURCE(skin_images_icebergclassico);
    Q_INIT_RESOURCE(skin_images_lavenderclassico);
}

namespace pencora::settings {

namespace {

const QString kStyleType = QStringLiteral("STYLE");
const char* const kDesignSheet = "pencoraDesignStyleSheet";
const char* const kDesignFont = "pencoraDesignFont";

void ensureResources() {
    static const bool done = (initSkinResources(), true);
    (void)done;
}

QList<std::pair<QString, QString>> embeddedStyles() {
    ensureResources();
    QList<std::pair<QString, QString>> styles;
    for (const QString& resource : resources::resourceNames(kStyleType)) {
        const std::optional<QByteArray> bytes = resources::findResource(kStyleType, resource);
        if (!bytes) {
            continue;
        }
        const QString sheet = QString::fromUtf8(*bytes);
        const QString name = recordedStyleName(sheet);
        if (!name.isEmpty()) {
            styles.append({name, sheet});
        }
    }
    return styles;
}

// Design sheets step aside under a skin and come back without one.
void placeDesignSheets(bool skinned) {
    for (QWidget* widget : QApplication::allWidgets()) {
        const QVariant design = widget->property(kDesignSheet);
        if (design.isValid()) {
            widget->setStyleSheet(skinned ? QString() : design.toString());
        }
    }
}

// A style sheet put on or taken off re-polishes every widget, and on some platforms a
// widget below a styled parent comes out of it with the application's font (the toolbar's
// 16-pixel captions at 12 pixels). The marked children take their design font back.
void restoreDesignFonts() {
    for (QWidget* widget : QApplication::allWidgets()) {
        const QVariant font = widget->property(kDesignFont);
        if (font.isValid()) {
            widget->setFont(font.value<QFont>());
        }
    }
}

}  // namespace

QStringList embeddedStyleNames() {
    QStringList names;
    for (const auto& [name, sheet] : embeddedStyles()) {
        names << name;
    }
    return names;
}

std::optional<QString> findStyle(const QString& styleName) {
    for (const auto& [name, sheet] : embeddedStyles()) {
        if (name.compare(styleName, Qt::CaseInsensitive) == 0) {
            return sheet;
        }
    }
    return std::nullopt;
}

void applySkin(int number) {
    const QString styleName = skinStyleName(number);
    QString sheet;
    if (!styleName.isEmpty()) {
        const std::optional<QString> found = findStyle(styleName);
        if (!found) {
            throw SkinError(QStringLiteral("Style '%1' not found").arg(styleName));
        }
        sheet = *found;
    }
    placeDesignSheets(!sheet.isEmpty());
    qApp->setStyleSheet(sheet);
    restoreDesignFonts();
}

void giveWayToSkins(QWidget* widget) {
    if (!widget->property(kDesignSheet).isValid()) {
        widget->setProperty(kDesignSheet, widget->styleSheet());
    }
    // Qt passes no font on from a styled parent once its sheet is set again, so the
    // children hold the parent's design font themselves and keep it in every look.
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        if (!child->testAttribute(Qt::WA_SetFont)) {
            child->setFont(widget->font());
        }
        if (!child->property(kDesignFont).isValid()) {
            child->setProperty(kDesignFont, child->font());
        }
    }
    if (!qApp->styleSheet().isEmpty()) {
        widget->setStyleSheet(QString());
    }
}

}  // namespace pencora::settings
