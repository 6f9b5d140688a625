#include "TestWriter.h"

#include "ByteWriter.h"

#include <zlib.h>

QByteArray BuildPayload(const TTest& test, const std::vector<TTask>& tasks,
                        const std::vector<Attachment>& files) {
    QByteArray payload;
    ByteWriter w(payload);
    test.WriteHeader(w);
    w.WriteInt32(qint32(tasks.size()));
    for (const TTask& t : tasks)
        t.WriteTask(w);
    w.WriteInt32(qint32(files.size()));
    for (const Attachment& f : files) {
        w.WriteString(f.name);
        w.WriteInt32(qint32(f.data.size()));
        w.WriteBytes(f.data);
    }
    return payload;
}

QByteArray WrapPayload(QByteArrayView payload, const KeyRecord& key) {
    QByteArray plain("Quizar");
    ByteWriter(plain).WriteString(QByteArray()); // the skipped string, empty
    const qsizetype prefix = plain.size();
    uLongf bound = compressBound(uLong(payload.size()));
    plain.resize(prefix + qsizetype(bound));
    if (compress2(reinterpret_cast<Bytef*>(plain.data() + prefix), &bound,
                  reinterpret_cast<const Bytef*>(payload.data()), uLong(payload.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    plain.resize(prefix + qsizetype(bound));
    return EncipherBuffer(plain, key);
}

QByteArray WriteTestFile(const TTest& test, const std::vector<TTask>& tasks,
                         const std::vector<Attachment>& files, const KeyRecord& key) {
    return WrapPayload(BuildPayload(test, tasks, files), key);
}
