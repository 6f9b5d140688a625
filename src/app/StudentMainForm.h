#pragma once
// The pupil's main window: the question area, the answer area, the commands with their menus and
// enabled rules, the status bar, the recent files, window placement, the hand-off from later
// copies and dropped test files. The session itself is an engine (session/Session) that the window
// drives; the window only keeps the state that the commands read.
#include "MainFormRules.h"
#include "model/AppPaths.h"
#include "model/TestLoader.h"
#include "results/ResultFiles.h"
#include "session/Session.h"
#include "settings/NiceSettings.h"
#include "settings/Settings.h"

#include <QHash>
#include <QMainWindow>
#include <QMargins>
#include <QSize>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>

class Clock;
class EndSoundPlayer;
class Prompts;
class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSettings;
class QSplitter;
class QTimer;
class RichTextControl;
class SessionWindowView;
class QRadioButton;
class SingleInstance;
class TMainStatusBar;
class TShowQuestionImageForm;
class PictureLabel;

// What the window is given instead of reaching for globals, so tests run it in temporary folders
// with scripted prompts.
struct MainFormServices {
    Prompts* prompts = nullptr;
    QSettings* store = nullptr; // the per-user store
    AppPaths paths;
    const Clock* clock = nullptr;
    QStringList arguments;              // the command line without the program's name
    SingleInstance* instance = nullptr; // where hand-offs arrive; none in most tests
    // Where the help document lies: beside the executable unless a test says otherwise.
    QString helpFolder;
    // Opens a document with the desktop's handler; false when nothing opened it.
    std::function<bool(const QUrl&)> openUrl;
    // Starts a program (a name looked up on PATH) without waiting; false when it did not start.
    std::function<bool(const QString&)> startProgram;
    // Finds a program on PATH; empty when it is not installed.
    std::function<QString(const QString&)> findProgram;
};

// A size of a row or column of the answer grid: absolute pixels or per cent of what is left; 0
// hides it.
struct GridSize {
    bool percent = false;
    int value = 0;
};

class TStudentMainForm : public QMainWindow, public NicePropertyHost {
    Q_OBJECT
public:
    static constexpr int GridColumns = 7;
    static constexpr int GridRows = 10;
    // The answer-widget table: row r of each kind of control at slot r + 10 × kind.
    enum AnswerSlot {
        SlotRE1 = 0,
        SlotRE2 = 10,
        SlotRadio = 20,
        SlotCheck = 30,
        SlotCombo = 40,
        SlotLabel1 = 50,
        SlotLabel2 = 60
    };

    // The client size the window opens with when nothing is restored, and the room left for a
    // window manager's frame before the real one is known.
    static constexpr QSize DefaultSize{800, 600};
    static constexpr QMargins UsualFrame{6, 32, 6, 6};

    explicit TStudentMainForm(MainFormServices services, QWidget* parent = nullptr);
    ~TStudentMainForm() override;

    // ---- State ----
    SessionState State() const { return m_state; }
    // The session engine reports its state here.
    void SetSessionState(SessionState state);
    const TTest* Test() const { return m_loaded ? m_loaded->Test.get() : nullptr; }
    const LoadedTest* Loaded() const { return m_loaded.get(); }
    TSettings& Settings() { return m_settings; }
    int Zoom() const { return m_zoom; }
    int FontDelta() const { return m_fontDelta; }
    bool WindowSettingsRestored() const { return m_settings.WindowSettingsRestored; }
    // The kind of the task on screen during a session; the digit keys act on it.
    void SetCurrentTaskKind(int kind) { m_currentKind = kind; }
    // Used while a session runs and the pupil closes the window: true lets it close. Without it
    // the window only asks the question.
    std::function<bool()> SessionCloseRequest;
    // The name dialog of a session start; without one the fields are taken as given.
    std::function<bool(NameDialogData&)> UserNameDialog;
    // The session engine the commands drive.
    Session& SessionEngine();
    SessionWindowView& SessionWindow() { return *m_session; }

    // ---- Commands ----
    QAction* Action(const QString& name) const { return m_actions.value(name); }
    QMenu* PreviousFilesMenu() const { return m_previousFiles; }
    const RecentFileList& RecentFiles() const { return m_recent; }
    TMainStatusBar* StatusPanels() const { return m_statusBar; }
    // Re-evaluates every enabled and checked rule, the caption and the status bar. Runs whenever
    // the program is idle, and after each command.
    void ActionList1Update();

    // ---- Test files ----
    // Discards the loaded test and loads another; no stream means `path` is a file. An empty path
    // or a file that does not exist changes nothing.
    void LoadTestFile(const QString& path, const QByteArray* stream = nullptr);
    void AddRecentFile(const QString& path);
    void LoadRecentFiles();
    void SaveRecentFiles();
    void OpenRecentFile(const QString& path);
    // Drains the waiting hand-offs after bringing the window to the front.
    void HandOffMessage();
    // Dropped files: only the first, only a test file, only while no test is open. True when taken.
    bool WMDropFiles(const QList<QUrl>& urls);
    void RestoreMainWindow();

    // ---- Command handlers ----
    void ACloseTestExecute();
    void aZoomExecute(int tag);
    void AFontSizeExecute(int tag);
    void ResizeTaskTexts(int delta);
    void AShowHelpExecute();
    void aCalcExeExecute();
    void ASaveConfigNowExecute();
    void ALoadConfigNowExecute();
    // The digit keys of a session; true when the key was used.
    bool HandleDigitKey(int key);
    void PlayEndSound();

    // ---- The session area ----
    void ResetAnswerArea();
    void SetGridColumnSizes(const std::array<GridSize, GridColumns>& sizes);
    void SetGridRowSizes(const std::array<GridSize, GridRows>& sizes);
    const std::array<GridSize, GridColumns>& GridColumnSizes() const { return m_columnSizes; }
    const std::array<GridSize, GridRows>& GridRowSizes() const { return m_rowSizes; }
    void GridPanelResize();
    QWidget* AnswerWidget(int slot) const { return m_answerWidgets.at(size_t(slot)); }
    RichTextControl* QuestionText() const { return m_questionText; }
    QList<RichTextControl*> VariantTexts1() const;
    QList<RichTextControl*> VariantTexts2() const;
    QPushButton* GoCheckButton() const { return m_goCheck; }
    QProgressBar* Progress() const { return m_progress; }
    TShowQuestionImageForm* QuestionImageForm() const { return m_imageForm.get(); }

    // NicePropertyHost
    QString ComponentName() const override;
    bool HasComponent(const QString& component) const override;
    std::optional<QString> GetProperty(const QString& component, const QString& property) const override;
    bool SetProperty(const QString& component, const QString& property, const QString& value) override;

    TNiceSettings& NiceSettings() { return m_nice; }

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
    friend class SessionWindowView;
    friend class AnswerArea;
    void FormCreate();
    void ConnectSessionCommands();
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

    // MainFormLayout.cpp
    void BuildSessionArea();
    QWidget* BuildAnswerGrid(QWidget* parent);
    void ApplyGridSizes();
    void ApplyZoomToTexts();

    // MainFormCommands.cpp
    void CreateActions();
    void BuildMainMenu();
    void RebuildPreviousFilesMenu();
    void AOpenTestExecute();
    void AShowTestInfoExecute();
    void aShowTestInstructionExecute();
    void aShowREtoViewerExecute();
    void AShowQuestionImageExecute();
    QAction* AddAction(const QString& name, const QString& caption, const QKeySequence& shortcut = {},
                       int tag = 0);

    MainFormServices m_s;
    TSettings m_settings;
    SessionState m_state = SessionState::NoTest;
    std::unique_ptr<LoadedTest> m_loaded;
    int m_zoom = 100;
    int m_fontDelta = 0;
    int m_currentKind = 0;
    RecentFileList m_recent;
    TNiceSettings m_nice;
    ResultFiles m_resultFiles;
    std::unique_ptr<EndSoundPlayer> m_sound;
    bool m_shown = false;
    bool m_closed = false;
    bool m_acceptDrops = false;
    // Restored height of the task panel, applied once the splitter has its size.
    int m_pendingQuestionHeight = -1;

    QHash<QString, QAction*> m_actions;
    QMenu* m_previousFiles = nullptr;
    QMenu* m_sizeFont = nullptr;
    QMenu* m_zoomMenu = nullptr;
    TMainStatusBar* m_statusBar = nullptr;
    QTimer* m_idleTimer = nullptr;
    // The text that was double-clicked, while its viewer command runs.
    RichTextControl* m_viewerSource = nullptr;
    // The picture viewer lives for the whole run, a window of its own.
    std::unique_ptr<TShowQuestionImageForm> m_imageForm;
    std::unique_ptr<SessionWindowView> m_session;

    // The session area.
    QLabel* m_questionLabel = nullptr;
    QWidget* m_panelQuestion = nullptr;
    RichTextControl* m_questionText = nullptr;
    PictureLabel* m_questionImage = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_panelPromptTask = nullptr;
    QLabel* m_variantLabel = nullptr;
    QWidget* m_panelInputNum = nullptr;
    QLineEdit* m_editInputNum = nullptr;
    QWidget* m_panelInputText = nullptr;
    QLineEdit* m_editInputText = nullptr;
    QWidget* m_panelImgRect = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    PictureLabel* m_image = nullptr;
    QWidget* m_shapePoint = nullptr;
    QWidget* m_shape = nullptr;
    QWidget* m_panelVariant = nullptr;
    QWidget* m_gridPanel = nullptr;
    QGridLayout* m_grid = nullptr;
    QWidget* m_panelGoToTask = nullptr;
    QComboBox* m_comboBoxEx1 = nullptr;
    QPushButton* m_goCheck = nullptr;
    QPushButton* m_promptButton = nullptr;
    QPushButton* m_dontKnowButton = nullptr;
    QPushButton* m_skipButton = nullptr;
    QProgressBar* m_progress = nullptr;
    std::array<QWidget*, 70> m_answerWidgets{};
    std::array<GridSize, GridColumns> m_columnSizes{};
    std::array<GridSize, GridRows> m_rowSizes{};
};
