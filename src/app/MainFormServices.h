#pragma once
// Everything the main window is given instead of reaching for globals: the program's entry wires
// the real ones, tests wire temporary folders, scripted prompts and a clock that stands still.
#include "model/AppPaths.h"
#include "settings/DesktopContext.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class Clock;
class NetServerLink;
class Prompts;
class QSettings;
class RandomGenerator;
class ServerLink;
class SingleInstance;
class Workstation;
struct NameDialogData;
struct TSettings;

struct MainFormServices {
    Prompts* prompts = nullptr;
    QSettings* store = nullptr; // the per-user store
    AppPaths paths;
    const Clock* clock = nullptr;
    QStringList arguments;              // the command line without the program's name
    SingleInstance* instance = nullptr; // where hand-offs arrive; none in most tests
    // The teacher's server, the computer's identity and the program's one random generator, as the
    // session engine uses them.
    ServerLink* server = nullptr;
    Workstation* workstation = nullptr;
    RandomGenerator* random = nullptr;
    // The link to the teacher's server, made by the window from its settings (which the link reads
    // at every use): it takes the session's reports in place of `server` and fetches tests. Without
    // it the fetch command does nothing.
    std::function<std::unique_ptr<NetServerLink>(const TSettings&)> makeServerLink;
    // The name dialog of a session start; false when the pupil closed it otherwise. Without one the
    // fields are taken as given.
    std::function<bool(NameDialogData&)> askUserName;
    // Where the help document lies: beside the executable unless a test says otherwise.
    QString helpFolder;
    // Opens a document with the desktop's handler; false when nothing opened it.
    std::function<bool(const QUrl&)> openUrl;
    // Starts a program (a name looked up on PATH) without waiting; false when it did not start.
    std::function<bool(const QString&)> startProgram;
    // Finds a program on PATH; empty when it is not installed.
    std::function<QString(const QString&)> findProgram;
    // The desktop the settings dialog's association and shortcut pages act on; without a runner,
    // the running program's own.
    DesktopContext desktop;
};
