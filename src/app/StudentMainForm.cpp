// The main window's life: creation, first showing, closing, test files reaching it from the
// command line, from later copies and by dropping, and the placement it keeps between runs.
#include "StudentMainForm.h"

#include "RecentFiles.h"
#include "ServerLinkView.h"
#include "SessionArea.h"
#include "net/NetServerLink.h"

#include "InfoWindows.h"
#include "MainFormTexts.h"
#include "MainStatusBar.h"
#include "SingleInstance.h"
#include "ports/Clock.h"
#include "ports/Prompts.h"
#include "settings/EndSound.h"
#include "settings/SettingsFile.h"
#include "settings/gui/EndSoundPlayer.h"
#include "settings/gui/MainWindowPlacement.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/ShowQuestionImageForm.h"
#include "ui/gui/TestInfo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTimer>

namespace {
// How often the rules run while nothing else happens: the clock panels tick with it.
constexpr int IdleUpdateMs = 250;
} // namespace

TStudentMainForm::TStudentMainForm(MainFormServices services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)),
      m_resultFiles(m_settings, m_services.paths.programFolder, *m_services.clock) {
    InitAppResources();
    setObjectName(QStringLiteral("StudentMainForm"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quizar-student.png")));
    resize(DefaultSize);
    m_actions = MainActions::Create(*this);
    m_area = new TSessionArea(
        {m_actions.checkAskTask, m_actions.iDoNotKnow, m_actions.skippingTask, m_actions.showPromptTask},
        this);
    setCentralWidget(m_area);
    m_statusBar = new TMainStatusBar(this);
    setStatusBar(m_statusBar);
    BuildMainMenu();
    m_imageForm = std::make_unique<TShowQuestionImageForm>(this);
    if (m_services.makeServerLink) {
        m_network = m_services.makeServerLink(m_settings);
        m_services.server = m_network.get();
        ServerLinkView::Host host;
        host.loadTest = [this](const QString& name, const QByteArray& bytes) {
            // A test may have been opened from disk while the download ran: that one stays.
            if (m_state == SessionState::NoTest)
                LoadTestFile(name, &bytes);
        };
        host.isWorking = [this] { return m_state == SessionState::Testing; };
        host.commandsChanged = [this] { ActionList1Update(); };
        m_serverView =
            std::make_unique<ServerLinkView>(*m_network, *m_services.prompts, *this, std::move(host));
    }
    m_session = std::make_unique<SessionWindowView>(
        static_cast<SessionWindowHost&>(*this),
        SessionWindowParts{*m_area, m_actions, *m_statusBar, *m_imageForm, m_resultFiles, m_settings},
        m_services);
    ConnectCommands();
    m_placement = std::make_unique<TMainWindowPlacement>(*this, *m_area->PanelQuestion(), *m_area->Splitter(),
                                                         m_services.store, m_services.paths.programFolder);
    // One filter on the application sees what the window must see before its controls: the digit
    // keys, the window's shortcuts and double clicks on the task texts.
    qApp->installEventFilter(this);
    FormCreate();
    // Results left over from earlier runs go to the server now and then while the window is open.
    if (m_network)
        m_network->StartOutboxRetry();
    m_idleTimer = new QTimer(this);
    connect(m_idleTimer, &QTimer::timeout, this, &TStudentMainForm::ActionList1Update);
    m_idleTimer->start(IdleUpdateMs);
    ActionList1Update();
}

TStudentMainForm::~TStudentMainForm() {
    qApp->removeEventFilter(this);
}

void TStudentMainForm::FormCreate() {
    setAcceptDrops(true);
    m_acceptDrops = true;
    m_state = SessionState::NoTest;
    m_zoom = 100;
    SetDefaultConfig(m_settings);
    if (!LoadConfig(m_settings, m_services.paths.programFolder).Ok())
        m_services.prompts->Show(ConfigLoadFailedNotice());
    if (m_settings.IsUseRecentFiles)
        m_recent->Load(m_services.store);
    m_area->ResetAnswerArea();
    ShowChooseTestLine();
    if (const std::optional<Notice> notice = ResultLogNotice(m_resultFiles.LogProgramStarted()))
        m_services.prompts->Show(*notice);
    if (m_settings.IsUseWindowSettings) {
        m_settings.WindowSettingsRestored = true;
        m_placement->LoadProps();
    } else {
        m_settings.WindowSettingsRestored = false;
    }
    m_area->SetListsCentred(m_settings.WindowSettingsRestored);
    // Whatever was restored, the window opens centred on its screen. The frame is not known before
    // the window manager has put it on, so room is left for a usual one; the first showing checks
    // with the real frame.
    PlaceOnScreen(UsualFrame);
}

void TStudentMainForm::PlaceOnScreen(const QMargins& frame) {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A maximised window's normal bounds are centred too, for when the pupil restores it.
    const bool maximized = isMaximized();
    if (maximized)
        setWindowState(windowState() & ~Qt::WindowMaximized);
    setGeometry(FitToScreen(geometry(), frame, screen->availableGeometry(), minimumSizeHint()));
    if (maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TStudentMainForm::CheckPlacementWithFrame() {
    const QScreen* screen = this->screen();
    if (!screen || isMaximized() || isFullScreen())
        return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    if (!screen->availableGeometry().contains(frame))
        PlaceOnScreen(QMargins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom()));
}

void TStudentMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_placement->ApplyPendingHeight();
    if (!m_shown) {
        m_shown = true;
        QTimer::singleShot(0, this, &TStudentMainForm::CheckPlacementWithFrame);
        // Loading may ask a password: do it once the window is up.
        QTimer::singleShot(0, this, &TStudentMainForm::FormShow);
    }
}

void TStudentMainForm::FormShow() {
    if (!m_services.arguments.isEmpty()) {
        LoadTestFile(m_services.arguments.constFirst());
    } else if (m_settings.IsSendResult && m_settings.IsAutoGetTestFromStart) {
        // The download from the teacher's server is the command "Отримати по мережі".
        ActionList1Update();
        m_actions.getTest->trigger();
    }
    // Hand-offs are taken from here on, after the start-up load: one that arrives while that load
    // asks its password waits, instead of being loaded inside the prompt and then replaced.
    // Those that came before are waiting.
    if (m_services.instance) {
        connect(m_services.instance, &SingleInstance::MessageArrived, this, &TStudentMainForm::HandOffMessage,
                Qt::QueuedConnection);
        if (m_services.instance->HasMessages())
            HandOffMessage();
    }
    ActionList1Update();
}

void TStudentMainForm::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    m_closed = true;
    event->accept();
}

bool TStudentMainForm::FormCloseQuery() {
    if (m_state != SessionState::Testing)
        return true;
    // The engine asks the pupil and finishes the session when the answer is yes.
    const bool mayClose = SessionEngine().RequestClose();
    SetSessionState(SessionEngine().State());
    return mayClose;
}

void TStudentMainForm::FormClose() {
    ACloseTestExecute();
    if (const std::optional<Notice> notice = ResultLogNotice(m_resultFiles.LogProgramClosed()))
        m_services.prompts->Show(*notice);
    if (m_settings.IsSaveConfig)
        if (!SaveConfig(m_settings, m_services.paths.programFolder).Ok())
            m_services.prompts->Show(ConfigSaveFailedNotice());
    if (m_settings.IsUseRecentFiles)
        m_recent->Save(m_services.store);
    setAcceptDrops(false);
    m_acceptDrops = false;
    if (m_settings.IsUseWindowSettings)
        m_placement->SaveProps();
    m_idleTimer->stop();
}

void TStudentMainForm::SetSessionState(SessionState state) {
    m_state = state;
    ActionList1Update();
    // Out of a session the pupil is not interrupted by a box: the waiting ones are shown, once the
    // command that changed the state has run.
    if (m_serverView && state != SessionState::Testing)
        QTimer::singleShot(0, m_serverView.get(), &ServerLinkView::ShowWaitingNotices);
}

void TStudentMainForm::WaitForServer(int ms) {
    if (!m_network || m_network->IsIdle())
        return;
    m_network->StopOutboxRetry();
    QEventLoop loop;
    connect(m_network.get(), &NetServerLink::Idle, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// ---- Test files ----------------------------------------------------------------------------

void TStudentMainForm::LoadTestFile(const QString& givenPath, const QByteArray* stream) {
    // Nothing to load leaves the loaded test alone.
    if (givenPath.isEmpty() || (!stream && !QFileInfo(givenPath).isFile()))
        return;
    // A file is known by its full path, so that a recent-file entry made from a relative command
    // line still opens from another folder.
    const QString path = stream ? givenPath : QFileInfo(givenPath).absoluteFilePath();
    m_loaded.reset();
    m_state = SessionState::NoTest;
    LoadOptions options;
    options.tempRoot = m_services.paths.tempFolder;
    options.programFolder = m_services.paths.programFolder;
    options.ask = m_services.prompts;
    options.now = m_services.clock->Now();
    LoadTestResult result = LoadTest(path, stream, options);
    if (!result.Ok()) {
        if (const std::optional<Notice> notice = LoadFailureNotice(result.status.Failure()))
            m_services.prompts->Show(*notice);
        ShowChooseTestLine();
        ActionList1Update();
        emit TestChanged();
        return;
    }
    m_loaded = std::move(result.loaded);
    // A folder of attached files that cannot be removed when the test goes is told, with the
    // system's text, in a plain box.
    Prompts* prompts = m_services.prompts;
    m_loaded->test->OnDeleteFolderFailure = [prompts](const QString& text) {
        prompts->ShowMessage(QString(), text, MsgIcon::None);
    };
    if (m_loaded->fromFile)
        m_recent->Add(path);
    m_state = SessionState::TestLoaded;
    ShowLoadedTest(TestInfoFrom(*m_loaded->test, int(m_loaded->tasks.size())), *m_area->QuestionText(),
                   *this);
    m_area->ApplyZoomToTexts(m_zoom);
    ActionList1Update();
    emit TestChanged();
}

void TStudentMainForm::HandOffMessage() {
    RestoreMainWindow();
    if (!m_services.instance) {
        emit HandOffHandled();
        return;
    }
    while (true) {
        const QByteArray message = m_services.instance->ReadMessage();
        if (message.isEmpty())
            break;
        const QString path = QString::fromUtf8(message);
        if (m_state == SessionState::NoTest && IsTestFileName(path))
            LoadTestFile(path);
    }
    emit HandOffHandled();
}

void TStudentMainForm::RestoreMainWindow() {
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool TStudentMainForm::WMDropFiles(const QList<QUrl>& urls) {
    if (m_state != SessionState::NoTest || urls.isEmpty())
        return false;
    const QUrl& first = urls.constFirst();
    if (!first.isLocalFile())
        return false;
    const QString path = first.toLocalFile();
    if (!IsTestFileName(path))
        return false;
    LoadTestFile(path);
    return true;
}

void TStudentMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (m_acceptDrops && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TStudentMainForm::dropEvent(QDropEvent* event) {
    if (!m_acceptDrops || !event->mimeData()->hasUrls())
        return;
    if (WMDropFiles(event->mimeData()->urls()))
        event->acceptProposedAction();
}

// ---- Keys and clicks -----------------------------------------------------------------------

bool TStudentMainForm::IsWindowShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : m_actions.All()) {
        if (!action->shortcut().isEmpty() && action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
            return true;
    }
    return false;
}

bool TStudentMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        // The window's shortcuts win over the key bindings of its controls: under X11 a line edit
        // takes Ctrl+U as "delete the line" and Ctrl+D as "delete", which would wipe a typed answer
        // instead of zooming. Left unclaimed, the shortcut runs; when its command is disabled the key
        // reaches the control as a key press, and is swallowed here.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget != this && widget->window() == this &&
            IsWindowShortcut(*static_cast<QKeyEvent*>(event))) {
            if (event->type() == QEvent::ShortcutOverride)
                event->ignore();
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride)
            break;
        // The window sees the digit keys before its controls do.
        if (m_state == SessionState::Testing && widget && (widget == this || isAncestorOf(widget)) &&
            widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && HandleDigitKey(key->key()))
                return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (m_state == SessionState::Testing && watched->parent() &&
            qobject_cast<RichTextControl*>(watched->parent()) &&
            isAncestorOf(static_cast<QWidget*>(watched))) {
            m_viewerSource = static_cast<RichTextControl*>(watched->parent());
            m_actions.showREtoViewer->trigger();
            m_viewerSource = nullptr;
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TStudentMainForm::keyPressEvent(QKeyEvent* event) {
    // "Наступне (перевірити)" is the default button: Enter that no control took checks the answer.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QPushButton* check = m_area->GoCheckButton();
    if (enter && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && check->isEnabled() &&
        check->isVisibleTo(this)) {
        check->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TStudentMainForm::PlayEndSound() {
    if (!m_sound)
        m_sound = std::make_unique<EndSoundPlayer>();
    m_sound->Play(ChooseEndSound(m_settings, m_services.paths.programFolder));
}

QAction* TStudentMainForm::Action(const QString& name) const {
    for (QAction* action : m_actions.All()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}

QMenu* TStudentMainForm::PreviousFilesMenu() const {
    return &m_recent->Menu();
}

const RecentFileList& TStudentMainForm::RecentFiles() const {
    return m_recent->List();
}
