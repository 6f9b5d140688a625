#pragma once
// The input of the metafile fuzzer as a file: the first byte chooses the header the rest is put
// behind, so that the fuzzer explores the records rather than the headers: 0 none (the bytes are
// the whole file), 1 a placeable WMF header, 2 a WMF header, 3 an EMF header.
#include <QByteArray>

inline QByteArray MetafileFuzzFrame(unsigned kind, QByteArray body) {
    auto le16 = [](QByteArray& b, int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto le32 = [](QByteArray& b, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    QByteArray out;
    switch (kind % 4) {
    case 1:
        le32(out, 0x9AC6CDD7u);
        le16(out, 0);
        le16(out, 0), le16(out, 0), le16(out, 1000), le16(out, 500);
        le16(out, 1440);
        le32(out, 0);
        le16(out, 0);
        [[fallthrough]];
    case 2:
        le16(out, 1), le16(out, 9), le16(out, 0x300);
        le32(out, quint32(9 + body.size() / 2)), le16(out, 16), le32(out, 64), le16(out, 0);
        return out + body;
    case 3: {
        le32(out, 1), le32(out, 88);
        for (const int v : {0, 0, 300, 200, 0, 0, 7937, 5291})
            le32(out, quint32(v));
        le32(out, 0x464D4520u), le32(out, 0x10000), le32(out, quint32(88 + body.size())), le32(out, 10);
        le16(out, 16), le16(out, 0);
        le32(out, 0), le32(out, 0), le32(out, 0);
        for (const int v : {960, 960, 254, 254})
            le32(out, quint32(v));
        return out + body;
    }
    default:
        return body;
    }
}
