#pragma once
// The commands of the main window, made in one place: each a QAction with the command's name as
// its object name, its caption, shortcut and tag. The window wires their handlers; menus and
// buttons show them.
#include <QList>

class QAction;
class QWidget;

struct MainActions {
    // The file menu.
    QAction* openTest = nullptr;
    QAction* getTest = nullptr;
    QAction* closeTest = nullptr;
    QAction* exit = nullptr;
    // The test menu.
    QAction* showTestInfo = nullptr;
    QAction* showTestInstruction = nullptr;
    QAction* beginTest = nullptr;
    QAction* endTest = nullptr;
    // The settings menu; the font-size and zoom steps carry their step as their tag.
    QAction* fontSizeUp = nullptr;
    QAction* fontSizeNormal = nullptr;
    QAction* fontSizeDown = nullptr;
    QAction* zoomUp = nullptr;
    QAction* zoomNormal = nullptr;
    QAction* zoomDown = nullptr;
    QAction* isUseWindowSettings = nullptr;
    QAction* isSaveResult = nullptr;
    QAction* isSaveProtectionResult = nullptr;
    QAction* isSaveConfig = nullptr;
    QAction* additionConfig = nullptr;
    QAction* saveConfigNow = nullptr;
    QAction* loadConfigNow = nullptr;
    // The help menu.
    QAction* showHelp = nullptr;
    QAction* showLicense = nullptr;
    QAction* showDonate = nullptr;
    QAction* showAbout = nullptr;
    // The session's commands, on buttons or keys only.
    QAction* checkAskTask = nullptr;
    QAction* iDoNotKnow = nullptr;
    QAction* skippingTask = nullptr;
    QAction* showPromptTask = nullptr;
    QAction* showREtoViewer = nullptr;
    QAction* showQuestionImage = nullptr;
    QAction* askTask = nullptr;
    QAction* calcExe = nullptr;

    // Makes every command, owned by `window` and added to it, so that shortcuts of commands on no
    // visible menu still work there.
    static MainActions Create(QWidget& window);
    QList<QAction*> All() const;
};
