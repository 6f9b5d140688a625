// Feeds arbitrary bytes to the RTF reader, as a fragment of a test would reach it. Any crash, hang,
// leak or unbounded allocation is a fault; every input must give some document.
#include "ui/RtfReader.h"

#include <QByteArray>
#include <QTextDocument>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    // The fuzzer's bytes behind the header, so that they are read as RTF and not refused at once.
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg1251 ");
    rtf.append(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument doc;
    Rtf::ReadRtf(rtf, doc);
    return 0;
}
