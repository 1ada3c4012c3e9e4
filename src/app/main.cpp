#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pencora");
    QLabel placeholder("Pencora");
    placeholder.show();
    return app.exec();
}
