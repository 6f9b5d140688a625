#include "TextCommand.h"

#include "model/TextCodec.h"
#include "ui/RichDocument.h"

#include <QFile>

#include <cstdio>

int TextCommand(const QStringList& args) {
    if (args.size() != 1) {
        std::fputs("usage: quizar-pack text FRAGMENT-FILE\n", stderr);
        return 2;
    }
    QFile file(args[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quizar-pack: %s: %s\n", qPrintable(args[0]), qPrintable(file.errorString()));
        return 1;
    }
    const QByteArray plain = RichTextToPlain(file.readAll());
    QByteArray out = TextCodec::FromCp1251(plain).toUtf8();
    out.replace("\r\n", "\n");
    if (!out.isEmpty())
        out += '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}
