#include "TestEntries.h"

#include "model/TextCodec.h"

QByteArray EntryFileName(QByteArrayView entry) {
    const qsizetype cut = std::max(entry.lastIndexOf('\\'), entry.lastIndexOf(':'));
    return entry.sliced(cut + 1).toByteArray();
}

QStringList SelectTestItems(const QList<QByteArray>& entries) {
    QStringList items;
    items.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        items.append(
            QStringLiteral("%1) %2").arg(i + 1).arg(TextCodec::FromCp1251(EntryFileName(entries[i]))));
    return items;
}
