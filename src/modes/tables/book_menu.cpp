#include "modes/tables/book_menu.h"

#include "common/hint.h"
#include "app/tfrm_main.h"
#include "content/book_group_table.h"
#include "content/content_paths.h"
#include "modes/flashcards/flashcards.h"
#include "modes/tables/tfrm_shengzi.h"
#include "platform/fs/program_path.h"
#include "platform/ui/error_report.h"
#include "platform/ui/fonts.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

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
    if (book % 2 == 0)
        cover = cover.darker(125);
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
    if (screen == nullptr)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace

void install(Tfrm_Main& frm) {
    for (int book = 1; book <= 12; ++book) {
        frm.ImageList_Popup << bookImage(book);
        QAction* item = frm.popshengzi->addAction(frm.ImageList_Popup.last(),
                                                  QString::fromUtf16(kCaptions[book - 1]));
        item->setObjectName(QStringLiteral("MenuItem%1").arg(book));
        item->setData(book);  // the item's Tag
        setHint(item, QString::number(book));
        QObject::connect(item, &QAction::triggered, &frm,
                         [&frm, item] { ui::guarded([&] { frm.MenuItem12Click(item); }); });
        frm.MenuItems << item;
    }
    frm.handlers.MenuItem12Click = &MenuItem12Click;
}

void MenuItem12Click(Tfrm_Main& frm, QObject* Sender) {
    const bool created = frm.frm_shengzi == nullptr;
    if (created)
        frm.frm_shengzi = new Tfrm_shengzi(&frm);
    Tfrm_shengzi& table = *frm.frm_shengzi;
    table.ShengziBook = Hint(Sender);
    table.ShengziFilePath =
        content::contentFile(fs::contentPath(u"Data\\xml\\hanzi", table.ShengziBook, u".xml"));
    table.ShengziUnits = content::BookGroupTable(table.ShengziBook);

    if (created)
        centreOnScreen(table);
    table.show();
    table.raise();
    table.activateWindow();
    // Also when the window is open already: the new book replaces the old one.
    table.FormShow(&table);

    flashcards::stopFlashcards(frm);
    frm.Timer1->stop();
}

}  // namespace pencora::tables
