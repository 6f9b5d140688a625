#include "TestShelf.h"

#include "model/TextCodec.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

TestShelf::TestShelf(QString folder) : m_folder(std::move(folder)) {}

QList<TestShelf::Found> TestShelf::Scan() const {
    QList<Found> found;
    const QString root = QFileInfo(m_folder).canonicalFilePath();
    if (root.isEmpty())
        return found;
    const QDir rootDir(root);
    QDirIterator it(root, {QStringLiteral("*.qzf")}, QDir::Files | QDir::Readable,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        // A link may point anywhere; only what really lies inside the folder is offered.
        const QString real = info.canonicalFilePath();
        if (real.isEmpty() || !real.startsWith(root + u'/') || info.size() > MaxTestBytes)
            continue;
        const QString relative = rootDir.relativeFilePath(it.filePath());
        const QByteArray entry = TextCodec::ToCp1251(relative);
        if (TextCodec::FromCp1251(entry) != relative || entry.contains('\n') || entry.contains('\r'))
            continue;
        found.append({entry, real});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.entry < b.entry; });
    return found;
}

QList<QByteArray> TestShelf::Entries() const {
    QList<QByteArray> entries;
    for (const Found& f : Scan())
        entries.append(f.entry);
    return entries;
}

Status TestShelf::Read(const QByteArray& entry, QByteArray& bytes) const {
    bytes.clear();
    for (const Found& f : Scan()) {
        if (f.entry != entry)
            continue;
        QFile file(f.path);
        if (!file.open(QIODevice::ReadOnly))
            return Status::Failed(Fault::ReadFailed, file.errorString());
        bytes = file.read(MaxTestBytes + 1);
        if (file.error() != QFileDevice::NoError || bytes.size() > MaxTestBytes) {
            bytes.clear();
            return Status::Failed(Fault::ReadFailed, QStringLiteral("cannot read %1").arg(f.path));
        }
        return {};
    }
    return Status::Failed(Fault::NotFound, QStringLiteral("no test is offered as this entry"));
}
