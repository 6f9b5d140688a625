// Feeds arbitrary messages to the single running copy, as later copies of the program (or anyone
// else who can reach the user's socket) hand it files to open. The input is cut into up to four
// messages at each "\0\0"; the low bits of the first byte make a message too long to take by
// repeating it. Any crash, leak or hang is a fault, and so is a message that is lost, altered,
// reordered or taken although it is too long.
#include "FuzzInput.h"
#include "app/SingleInstance.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    MakeCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir(FuzzTempPattern());
    static SingleInstance first(SingleInstance::DefaultName, dir.path());
    static const bool listening = first.Start() == SingleInstance::Role::First;
    FUZZ_CHECK(listening);
    static int arrived = 0;
    static const bool connected =
        QObject::connect(&first, &SingleInstance::MessageArrived, [] { ++arrived; });
    FUZZ_CHECK(connected);

    FuzzInput in(data, size);
    const quint8 longOnes = in.Byte();
    QList<QByteArray> sent;
    while (!in.Empty() && sent.size() < 4) {
        QByteArray message = in.Part(QByteArrayView("\0\0", 2));
        if (longOnes & (1 << sent.size()))
            message = message.repeated(
                SingleInstance::MaxMessageBytes / std::max<qsizetype>(1, message.size()) + 1);
        sent.append(message);
    }

    arrived = 0;
    const SingleInstance later(SingleInstance::DefaultName, dir.path());
    for (const QByteArray& m : sent)
        FUZZ_CHECK(later.SendMessage(m));
    QElapsedTimer waited;
    waited.start();
    while (arrived < sent.size() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    FUZZ_CHECK(arrived == sent.size());

    QList<QByteArray> taken;
    for (int round = 0; round <= sent.size() && first.HasMessages(); ++round)
        while (first.HasMessages())
            taken.append(first.ReadMessage());
    QList<QByteArray> expected;
    for (const QByteArray& m : sent)
        if (m.size() <= SingleInstance::MaxMessageBytes)
            expected.append(m);
    FUZZ_CHECK(taken == expected);
    // What the main window makes of one: a path, opened only when it names a test file.
    for (const QByteArray& m : taken)
        QFileInfo(QString::fromUtf8(m)).fileName();
    return 0;
}
