#include "ResultsCommand.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args[1] == u"results")
        return ResultsCommand(args.mid(2));
    std::fputs("usage: quizar-pack dump|build|results ...\n", stderr);
    return 2;
}
