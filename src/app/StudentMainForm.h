#pragma once
// The pupil's main window: its commands with their menus and enabled rules, the status bar, the
// recent files and window placement, test files reaching it from the command line, later copies
// and dropping, and its life from creation to closing. The session area (TSessionArea) holds the
// wording and the answer widgets; the session itself is an engine (session/Session) that the
// session view (SessionWindowView) drives.
#include "MainActions.h"
#include "MainFormRules.h"
#include "MainFormServices.h"
#include "RecentFiles.h"
#include "SessionWindowView.h"
#include "model/TestLoader.h"
#include "results/ResultFiles.h"
#include "session/Session.h"
#include "settings/Settings.h"

#include <QMainWindow>
#include <QMargins>
#include <QSize>
#include <QUrl>

#include <memory>

class EndSoundPlayer;
class NetServerLink;
class ServerLinkView;
class QMenu;
class QTimer;
class RichTextControl;
class TMainStatusBar;
class TMainWindowPlacement;
class TRecentFilesMenu;
class TSessionArea;
class TShowQuestionImageForm;

class TStudentMainForm : public QMainWindow, private SessionWindowHost {
    Q_OBJECT
public:
    // The client size the window opens with when nothing is restored, and the room left for a
    // window manager's frame before the real one is known.
    static constexpr QSize DefaultSize{800, 600};
    static constexpr QMargins UsualFrame{6, 32, 6, 6};

    explicit TStudentMainForm(MainFormServices services, QWidget* parent = nullptr);
    ~TStudentMainForm() override;

    // ---- State ----
    SessionState State() const { return m_state; }
    // The session engine reports its state here.
    void SetSessionState(SessionState state) override;
    const TTest* Test() const { return m_loaded ? m_loaded->test.get() : nullptr; }
    const LoadedTest* Loaded() const override { return m_loaded.get(); }
    TSettings& Settings() { return m_settings; }
    int Zoom() const { return m_zoom; }
    int FontDelta() const { return m_fontDelta; }
    bool WindowSettingsRestored() const { return m_settings.WindowSettingsRestored; }
    // The kind of the task on screen during a session; the digit keys act on it.
    void SetCurrentTaskKind(int kind) override { m_currentKind = kind; }
    // The session engine the commands drive, and its view.
    Session& SessionEngine() { return m_session->Engine(); }
    SessionWindowView& SessionWindow() { return *m_session; }
    TSessionArea& Area() const { return *m_area; }

    // ---- Commands ----
    const MainActions& Actions() const { return m_actions; }
    // A command by its name ("ABeginTest"), as tests and the settings dialog find it.
    QAction* Action(const QString& name) const;
    QMenu* PreviousFilesMenu() const;
    const RecentFileList& RecentFiles() const;
    TMainStatusBar* StatusPanels() const { return m_statusBar; }
    TShowQuestionImageForm* QuestionImageForm() const { return m_imageForm.get(); }
    // The teacher's server, when the program was given one.
    ServerLinkView* ServerView() const { return m_serverView.get(); }
    NetServerLink* Network() const { return m_network.get(); }
    // Lets the reports still under way finish, at most `ms` milliseconds, once the window has
    // closed; what does not reach the server waits in the outbox for the next start.
    void WaitForServer(int ms);
    // Re-evaluates every enabled and checked rule, the caption and the status bar. Runs whenever
    // the program is idle, and after each command.
    void ActionList1Update();

    // ---- Test files ----
    // Discards the loaded test and loads another; no stream means `path` is a file. An empty path
    // or a file that does not exist changes nothing.
    void LoadTestFile(const QString& path, const QByteArray* stream = nullptr);
    // Drains the waiting hand-offs after bringing the window to the front.
    void HandOffMessage();
    // Dropped files: only the first, only a test file, only while no test is open. True when taken.
    bool WMDropFiles(const QList<QUrl>& urls);
    void RestoreMainWindow();

    // ---- Command handlers ----
    void ACloseTestExecute();
    void aZoomExecute(int tag);
    void AFontSizeExecute(int tag);
    void AShowHelpExecute();
    void aCalcExeExecute();
    void ASaveConfigNowExecute();
    void ALoadConfigNowExecute();
    // The digit keys of a session; true when the key was used.
    bool HandleDigitKey(int key);
    void PlayEndSound() override;

signals:
    // The waiting hand-offs have been handled.
    void HandOffHandled();
    // The loaded test was replaced, dropped or closed: Test() and Loaded() hold the new one (or
    // nothing). Whoever keeps a reference to the old test lets go of it here.
    void TestChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // SessionWindowHost
    QWidget& DialogOwner() override { return *this; }

    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void ShowChooseTestLine();
    // Centres the window on its screen and keeps it, with `frame` around it, within the screen's
    // available area.
    void PlaceOnScreen(const QMargins& frame);
    void CheckPlacementWithFrame();
    // The key is the shortcut of one of the window's commands.
    bool IsWindowShortcut(const QKeyEvent& key) const;

    // MainFormCommands.cpp
    void ConnectCommands();
    void BuildMainMenu();
    void GiveAccessLetters(QMenu& menu);
    void AOpenTestExecute();
    void AShowTestInfoExecute();
    void aShowTestInstructionExecute();
    void aShowREtoViewerExecute();
    void AShowQuestionImageExecute();
    void AAdditionConfigExecute();

    MainFormServices m_services;
    TSettings m_settings;
    SessionState m_state = SessionState::NoTest;
    std::unique_ptr<LoadedTest> m_loaded;
    int m_zoom = 100;
    int m_fontDelta = 0;
    int m_currentKind = 0;
    ResultFiles m_resultFiles;
    std::unique_ptr<EndSoundPlayer> m_sound;
    bool m_shown = false;
    bool m_closed = false;
    bool m_acceptDrops = false;

    MainActions m_actions;
    TSessionArea* m_area = nullptr;
    TMainStatusBar* m_statusBar = nullptr;
    TRecentFilesMenu* m_recent = nullptr;
    QMenu* m_sizeFont = nullptr;
    QMenu* m_zoomMenu = nullptr;
    std::unique_ptr<TMainWindowPlacement> m_placement;
    QTimer* m_idleTimer = nullptr;
    // The text that was double-clicked, while its viewer command runs.
    RichTextControl* m_viewerSource = nullptr;
    // The picture viewer lives for the whole run, a window of its own.
    std::unique_ptr<TShowQuestionImageForm> m_imageForm;
    // The engine reports through the link: it goes after the session view.
    std::unique_ptr<NetServerLink> m_network;
    std::unique_ptr<ServerLinkView> m_serverView;
    std::unique_ptr<SessionWindowView> m_session;
};
