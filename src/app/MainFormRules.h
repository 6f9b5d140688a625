#pragma once
// The decisions of the main window that do not need the window: which commands the state allows,
// what the status bar shows between sessions, the zoom step, the digit keys and the recent files.
#include "session/Session.h"

#include <QDateTime>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

struct TSettings;
class TTest;

// What the enabled and checked rules read.
struct CommandRuleInput {
    SessionState state = SessionState::NoTest;
    const TSettings* settings = nullptr;
    const TTest* test = nullptr; // the loaded test, if any
    int recentCount = 0;
    int zoom = 100;
    int fontDelta = 0;
    bool fetching = false; // a test is being fetched from the teacher's server
};

// The outcome of the rules, one field per command (or menu) they govern.
struct CommandRuleState {
    bool openTest = false;
    bool getTest = false;
    bool closeTest = false;
    bool beginTest = false;
    bool endTest = false;
    bool checkAskTaskAllowed =
        false; // false forces "Наступне (перевірити)" off; true leaves it to the session
    bool showTestInfo = false;
    bool showTestInstruction = false;
    bool settingsCommands = false; // the seven commands of the settings menu
    bool showREtoViewer = false;
    bool previousFiles = false;
    bool resetProgress = false; // the progress bar goes back to 0
    // Check marks.
    bool isSaveResult = false;
    bool isSaveProtectionResult = false;
    bool isSaveConfig = false;
    bool isUseWindowSettings = false;
    bool fontSizeUp = false;
    bool fontSizeNormal = false;
    bool fontSizeDown = false;
    bool zoomUp = false;
    bool zoomNormal = false;
    bool zoomDown = false;
};

CommandRuleState EvaluateCommandRules(const CommandRuleInput& in);

// The zoom after a step of `tag` per cent (0: back to 100); never below MinZoom, no upper bound.
inline constexpr int MinZoom = 50;
int NextZoom(int zoom, int tag);

// The answer row a digit key stands for: "1" to "9" rows 0 to 8, "0" row 9; nothing for other keys.
std::optional<int> DigitKeyRow(int key);

// The captions of one menu with an access letter each: a caption that has one keeps it, the others
// take the first of their letters or digits that no other item of the menu uses yet (letter case
// aside). A caption with no free letter stays as it is.
QStringList WithAccessLetters(const QStringList& captions);

// The window's client rectangle when it is first placed: centred on the screen's available area
// and, together with its frame, no larger than that area (but never below `minimum`).
QRect FitToScreen(const QRect& client, const QMargins& frame, const QRect& available, const QSize& minimum);

// A handed-over or dropped path is taken only with the extension ".qzf" in any letter case.
bool IsTestFileName(const QString& path);

// Panels 0, 2, 3 and 6 to 9 of the status bar outside a session; panel 0 and 6 to 9 during one
// (the session writes the clocks then). Panels 1, 10 and 11 are emptied outside a session.
struct StatusPanelTexts {
    std::array<std::optional<QString>, 12> panels;
};
StatusPanelTexts StatusTexts(SessionState state, const TTest* test, const QDateTime& now);
