#pragma once
// The program's start, shared by the program and by the test program that stands in for it in
// the hand-off tests: take the single-instance lock, hand off and end, or build the main window
// and run until it closes.
#include <QString>

#include <functional>
#include <memory>

class Prompts;
class QSettings;
class TStudentMainForm;
struct MainFormServices;

struct ProgramEnvironment {
    // Folder of the lock and the socket; empty means the user's runtime folder.
    QString instanceFolder;
    // Adjusts the window's services before the window is made (tests: store, folders, prompts).
    std::function<void(MainFormServices&)> adjustServices;
    // Called once the window exists, before it is shown.
    std::function<void(TStudentMainForm&)> windowReady;
};

int RunStudentProgram(int argc, char** argv, const ProgramEnvironment& env);
