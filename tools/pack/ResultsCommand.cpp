#include "ResultsCommand.h"

#include "results/ResultExport.h"
#include "results/ResultFiles.h"

#include <cstdio>

namespace {
void Print(const QByteArray& bytes, FILE* to = stdout) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}
} // namespace

int ResultsCommand(const QStringList& args) {
    QString path;
    bool csv = false;
    for (const QString& a : args) {
        if (a == u"--csv") {
            csv = true;
        } else if (path.isEmpty() && !a.startsWith(u"--")) {
            path = a;
        } else {
            path.clear();
            break;
        }
    }
    if (path.isEmpty()) {
        Print("usage: quizar-pack results FILE.qzpr [--csv]\n", stderr);
        return 2;
    }
    QList<TResultTest> records;
    const Status status = ReadProtectedResults(path, records);
    if (!status.Ok()) {
        Print("quizar-pack: cannot read the results: " + status.Detail().toUtf8() + '\n', stderr);
        return 1;
    }
    QList<ExportedResult> items;
    items.reserve(records.size());
    for (TResultTest& r : records)
        items.append({std::move(r), std::nullopt});
    Print(csv ? ResultsCsv(items, false) : ResultsJson(items));
    return std::fflush(stdout) == 0 ? 0 : 1;
}
