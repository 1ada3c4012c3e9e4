#include "modes/tables/tables_mode.h"

#include "common/hint.h"
#include "content/book_group_table.h"
#include "content/content_paths.h"
#include "modes/mode_context.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/fs/program_path.h"
#include "platform/ui/error_report.h"
#include "platform/ui/fonts.h"
#include "platform/ui/menu_images.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>

namespace pencora::tables {

namespace {

const char16_t* const kCaptions[] = {u"一年级上册生字表", u"一年级下册生字表", u"二年级上册生字表",
                                     u"二年级下册生字表", u"三年级上册生字表", u"三年级下册生字表",
                                     u"四年级上册生字表", u"四年级下册生字表", u"五年级上册生字表",
                                     u"五年级下册生字表", u"六年级上册生字表", u"六年级下册生字表"};

// A closed book of 28 x 28: the six grades in six colours, the lower term a shade darker,
// the grade's numeral on the cover.
QIcon bookImage(int book) {
    static const QColor kGrades[] = {{229, 77, 66},  {242, 153, 41}, {76, 175, 80},
                                     {33, 150, 243}, {126, 87, 194}, {0, 150, 136}};
    const int grade = (book - 1) / 2;
    QColor cover = kGrades[grade];
    if (book % 2 == 0) {
        cover = cover.darker(125);
    }
    QPixmap image(28, 28);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawRoundedRect(QRectF(6, 3, 19, 23), 2, 2);  // pages
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(3, 2, 19, 23), 2, 2);
    p.setBrush(cover.darker(140));
    p.drawRect(QRectF(3, 2, 3, 23));  // spine
    p.setPen(Qt::white);
    QFont numeral = ui::designFont(QStringLiteral("宋体"), 14, true);
    p.setFont(numeral);
    p.drawText(QRectF(6, 3, 16, 21), Qt::AlignCenter, QString(QChar(u"一二三四五六"[grade])));
    return QIcon(image);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace

TablesMode::TablesMode(modes::ModeContext& context, QMenu* popshengzi) : context_(context) {
    ui::showMenuImagesAt(popshengzi, 28);
    for (int book = 1; book <= 12; ++book) {
        ImageList_Popup << bookImage(book);
        QAction* item =
            popshengzi->addAction(ImageList_Popup.last(), QString::fromUtf16(kCaptions[book - 1]));
        item->setObjectName(QStringLiteral("MenuItem%1").arg(book));
        item->setData(book);  // the item's Tag
        setHint(item, QString::number(book));
        QObject::connect(item, &QAction::triggered, popshengzi,
                         [this, item] { ui::guarded([&] { openBook(item); }); });
        MenuItems << item;
    }
}

void TablesMode::openBook(QObject* Sender) {
    const bool created = frm_shengzi == nullptr;
    if (created) {
        frm_shengzi = new Tfrm_shengzi(context_.frameWindow());
    }
    Tfrm_shengzi& table = *frm_shengzi;
    table.ShengziBook = Hint(Sender);
    table.ShengziFilePath =
        content::contentFile(fs::contentPath(u"Data\\xml\\hanzi", table.ShengziBook, u".xml"));
    table.ShengziUnits = content::BookGroupTable(table.ShengziBook);

    if (created) {
        centreOnScreen(table);
    }
    table.show();
    table.raise();
    table.activateWindow();
    // Also when the window is open already: the new book replaces the old one.
    table.FormShow(&table);

    context_.stop(modes::Activity::Flashcards);
    context_.stop(modes::Activity::NextQuestion);
}

}  // namespace pencora::tables
