#include <gtest/gtest.h>
#include <QFile>
#include <iostream>
#include "engine_fixture.h"
namespace pencora::runtime {
struct DbgHost : test::FakeHost {
    void trace(std::u16string_view l) override { std::cout << "TRACE " << QString::fromStdU16String(std::u16string(l)).toStdString() << "\n"; }
};
TEST(ZzDebug, Wild) {
    const char* path = getenv("DBG_MOVIE");
    if (!path) GTEST_SKIP();
    QFile f(path); ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray d = f.readAll();
    DbgHost host;
    auto engine = createSwfMovieEngine();
    engine->setHost(&host);
    ASSERT_TRUE(engine->loadMovie(0, swf::Bytes(d.begin(), d.end()), QString::fromUtf8(path).toStdU16String(), {}));
    int frames = atoi(getenv("DBG_FRAMES") ? getenv("DBG_FRAMES") : "3");
    for (int i = 0; i < frames; ++i) engine->runFrame();
    std::cout << "frame " << engine->currentFrame(u"_level0").value_or(-1) << " playing " << engine->isPlaying(u"_level0") << "\n";
    QString vars = getenv("DBG_VARS");
    for (const QString& v : vars.split(',')) {
        auto r = engine->getVariable(v.toStdU16String());
        std::cout << v.toStdString() << " = " << (r ? QString::fromStdU16String(*r).toStdString() : "<none>") << "\n";
    }
    if (getenv("DBG_HIDE")) for (const QString& v : QString(getenv("DBG_HIDE")).split(',')) engine->setPropertyNumber(v.toStdU16String(), 7, 0);
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    image.fill(0xFF00FF00);
    flash::RenderTarget t{image.bits(), 800, 600, int(image.bytesPerLine()), 0, 0, 800, 600};
    flash::RenderOptions o;
    o.paintBackground = getenv("DBG_BG") != nullptr;
    engine->render(t, o);
    image.save("/tmp/tl_dbg.png");
    for (auto& fe : host.fetches) std::cout << "FETCH " << QString::fromStdU16String(fe.url).toStdString() << "\n";
}
}
