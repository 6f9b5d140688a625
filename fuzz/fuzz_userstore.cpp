// Feeds arbitrary bytes to the per-user store's readers, as the program finds
// ~/.config/Quizar3/Student.conf, a text file its user may edit: the settings password, the recent
// files, the run counters and the main window's placement. Any crash, leak or unbounded
// allocation is a fault, and so is
//   - a recent-file list longer than the menu shows,
//   - a run counter that does not count a start (two starts in a row must differ by one),
//   - a placement value outside what the window can apply.
#include "FuzzInput.h"
#include "app/RecentFileList.h"
#include "session/RunCounter.h"
#include "settings/NiceSettings.h"
#include "settings/PlacementValue.h"
#include "settings/UserStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <climits>

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

struct FileRemover {
    QString path;
    ~FileRemover() { QFile::remove(path); }
};

// The main window as TNiceSettings sees it, applying what the real one would.
class Window final : public NicePropertyHost {
public:
    QString ComponentName() const override { return UserStore::MainFormGroup; }
    bool HasComponent(const QString& component) const override { return component == u"PanelQuestion"; }
    std::optional<QString> GetProperty(const QString&, const QString&) const override { return {}; }
    bool SetProperty(const QString& component, const QString& property, const QString& value) override {
        const std::optional<PlacementValue> v = ParsePlacementValue(component, property, value);
        if (!v)
            return false;
        using Kind = PlacementValue::Kind;
        constexpr int Limit = PlacementValue::Limit;
        switch (v->kind) {
        case Kind::Left:
        case Kind::Top:
            FUZZ_CHECK(v->number >= -Limit && v->number <= Limit);
            break;
        case Kind::Width:
        case Kind::Height:
            FUZZ_CHECK(v->number > 0 && v->number <= Limit);
            break;
        case Kind::PanelHeight:
            FUZZ_CHECK(v->number >= 0 && v->number <= Limit);
            break;
        default:
            break;
        }
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static QTemporaryDir dir(FuzzTempPattern());
    // A new name each time: QSettings keeps what it parsed of a file by its name, and would not
    // see new content of the same size written within its clock's resolution.
    static int run = 0;
    const QString path = dir.filePath(QStringLiteral("Student%1.conf").arg(run++));
    const FileRemover remover{path};
    FUZZ_CHECK(Write(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    // As the program opens its store: values Qt would decode as objects go first.
    FUZZ_CHECK(UserStore::RemoveDecodedValues(path).Ok());
    QSettings settings(path, QSettings::IniFormat);
    UserStore store(settings);

    store.Password();
    store.PasswordIsText();

    RecentFileList recent;
    recent.Load(store.PreviousFiles());
    FUZZ_CHECK(recent.Items().size() <= RecentFileList::MaxCount);

    // The counters of every test the store names, and of one it does not.
    SettingsRunCounterStore counters(store, [] { return QByteArray("boot"); });
    QStringList tests = store.ValueNames(UserStore::CountRunTestGroup);
    tests.append(QStringLiteral("{NEW}"));
    for (const QString& id : tests.mid(0, 3)) {
        const QByteArray uid = id.toLatin1();
        const qint32 first = CountTestRun(counters, uid);
        const qint32 second = CountTestRun(counters, uid);
        FUZZ_CHECK(second == (first == INT_MAX ? first : first + 1) || (first == 0 && second == 1));
    }

    Window window;
    TNiceSettings nice(window);
    nice.SetUpForMainWindow();
    nice.SetStoreOpener(
        [&path](const QString&) { return std::make_unique<QSettings>(path, QSettings::IniFormat); });
    nice.LoadProps();
    return 0;
}
