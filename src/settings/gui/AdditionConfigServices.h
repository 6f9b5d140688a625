#pragma once
// What the settings dialog is given instead of reaching for real pickers and devices, so that its
// tests drive every page without a modal picker, a sound device or the system's bell. Whatever is
// left empty is filled with the real thing by the dialog.
#include "net/NetLimits.h"
#include "settings/gui/BrowseForFolder.h"
#include "settings/CustomColorList.h"
#include "settings/DesktopContext.h"
#include "settings/EndSound.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class Prompts;
class QSettings;
class QWidget;

struct AdditionConfigServices {
    // Every message box and the password prompt.
    Prompts* prompts = nullptr;
    // The per-user store with the settings password; none means no password can be kept.
    QSettings* store = nullptr;
    // Where the trial sound looks for a wave file given without a folder.
    QString programFolder;

    // The folder picker, starting at `start`.
    std::function<FolderChoice(QWidget* owner, const QString& start)> browseForFolder;
    // The colour picker with `initial` preselected and the custom-colour slots it starts with and
    // leaves behind; the confirmed colour (0x00BBGGRR), nothing when cancelled.
    std::function<std::optional<quint32>(QWidget* owner, quint32 initial, CustomColorList::Slots& custom)>
        pickColor;
    // The file-open dialog for a wave file; the chosen path, empty when cancelled.
    std::function<QString(QWidget* owner)> openSoundFile;
    // Plays a sound without waiting, as the end of a test does.
    std::function<void(const EndSoundChoice&)> playSound;
    // The system's default beep.
    std::function<void()> beep;
    // The name the connection test introduces the computer with.
    std::function<QByteArray()> computerName;
    // Bounds of the connection test.
    ExchangeLimits netLimits;
    // The desktop that the association and shortcut pages write into, and the program file they
    // point to; without a runner, the running program's own.
    DesktopContext desktop;
};

// The real pickers.
std::optional<quint32> PickColorWithDialog(QWidget* owner, quint32 initial, CustomColorList::Slots& custom);
QString OpenSoundFileWithDialog(QWidget* owner);
