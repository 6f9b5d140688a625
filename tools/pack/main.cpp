#include "TextCommand.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("text"))
        return TextCommand(app.arguments().mid(2));
    std::fputs("usage: quizar-pack dump|build ...\n", stderr);
    return 2;
}
