#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel w(QStringLiteral("Quizar Student"));
    w.setWindowTitle(QStringLiteral("Quizar Student"));
    w.show();
    return app.exec();
}
