// The main window's life: creation, first showing, closing, test files reaching it from the
// command line, from later copies and by dropping, and the placement it keeps between runs.
#include "StudentMainForm.h"
#include "SessionWindowView.h"

#include "EndSoundPlayer.h"
#include "InfoWindows.h"
#include "MainFormTexts.h"
#include "MainStatusBar.h"
#include "SingleInstance.h"
#include "model/Clock.h"
#include "model/Prompts.h"
#include "settings/EndSound.h"
#include "settings/SettingsFile.h"
#include "ui/PictureLabel.h"
#include "ui/RichText.h"
#include "ui/RichTextControl.h"
#include "ui/ShowQuestionImageForm.h"
#include "ui/TestInfo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
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
    : QMainWindow(parent), m_s(std::move(services)), m_nice(*this),
      m_resultFiles(m_settings, m_s.paths.programFolder, *m_s.clock, *m_s.prompts) {
    InitAppResources();
    setObjectName(QStringLiteral("StudentMainForm"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quizar-student.png")));
    resize(DefaultSize);
    BuildSessionArea();
    m_statusBar = new TMainStatusBar(this);
    setStatusBar(m_statusBar);
    CreateActions();
    BuildMainMenu();
    m_imageForm = std::make_unique<TShowQuestionImageForm>(this);
    ConnectSessionCommands();
    m_nice.SetUpForMainWindow();
    if (m_s.store) {
        // The placement goes into the same per-user store as the rest.
        QSettings* store = m_s.store;
        m_nice.SetStoreOpener([store](const QString&) {
            auto s = std::make_unique<QSettings>(store->fileName(), store->format());
            return s;
        });
    }
    m_nice.SetProgramFolder(m_s.paths.programFolder);
    if (m_s.instance)
        connect(m_s.instance, &SingleInstance::MessageArrived, this, &TStudentMainForm::HandOffMessage,
                Qt::QueuedConnection);
    // One filter on the application sees what the window must see before its controls: the digit
    // keys, double clicks on the task texts, clicks on the picture and the grid's resizing.
    qApp->installEventFilter(this);
    FormCreate();
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
    LoadConfig(m_settings, m_s.paths.programFolder, *m_s.prompts);
    if (m_settings.IsUseRecentFiles)
        LoadRecentFiles();
    ResetAnswerArea();
    ShowChooseTestLine();
    m_resultFiles.LogProgramStarted();
    if (m_settings.IsUseWindowSettings) {
        m_settings.WindowSettingsRestored = true;
        m_nice.LoadProps();
    } else {
        m_settings.WindowSettingsRestored = false;
    }
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
    if (m_pendingQuestionHeight >= 0) {
        const int total = m_splitter->height();
        const int top =
            std::clamp(m_pendingQuestionHeight, m_panelQuestion->minimumHeight(), std::max(0, total - 150));
        m_splitter->setSizes({top, std::max(0, total - top)});
        m_pendingQuestionHeight = -1;
    }
    if (!m_shown) {
        m_shown = true;
        QTimer::singleShot(0, this, &TStudentMainForm::CheckPlacementWithFrame);
        // Loading may ask a password: do it once the window is up.
        QTimer::singleShot(0, this, &TStudentMainForm::FormShow);
    }
}

void TStudentMainForm::FormShow() {
    if (!m_s.arguments.isEmpty()) {
        LoadTestFile(m_s.arguments.constFirst());
    } else if (m_settings.IsSendResult && m_settings.IsAutoGetTestFromStart) {
        // The download from the teacher's server is the command "Отримати по мережі".
        ActionList1Update();
        Action(QStringLiteral("AGetTest"))->trigger();
    }
    // Hand-offs that came before the window was ready are waiting.
    if (m_s.instance && m_s.instance->HasMessages())
        HandOffMessage();
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
    if (SessionCloseRequest)
        return SessionCloseRequest();
    return m_s.prompts->AskYesNo(MainFormTexts::CloseDuringTestCaption.toString(),
                                 MainFormTexts::CloseDuringTestText.toString(), MsgIcon::Question);
}

void TStudentMainForm::FormClose() {
    ACloseTestExecute();
    m_resultFiles.LogProgramClosed();
    if (m_settings.IsSaveConfig)
        SaveConfig(m_settings, m_s.paths.programFolder, *m_s.prompts);
    if (m_settings.IsUseRecentFiles)
        SaveRecentFiles();
    setAcceptDrops(false);
    m_acceptDrops = false;
    if (m_settings.IsUseWindowSettings)
        m_nice.SaveProps();
    m_idleTimer->stop();
}

void TStudentMainForm::SetSessionState(SessionState state) {
    m_state = state;
    ActionList1Update();
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
    options.TempRoot = m_s.paths.tempFolder;
    options.ProgramFolder = m_s.paths.programFolder;
    options.Ask = m_s.prompts;
    options.Now = m_s.clock->Now();
    LoadTestResult result = LoadTest(path, stream, options);
    if (!result.Ok()) {
        if (!LoadFailureText(result.Failure).isEmpty())
            m_s.prompts->ShowMessage(LoadFailureCaption(), LoadFailureText(result.Failure), MsgIcon::Error);
        ShowChooseTestLine();
        ActionList1Update();
        emit TestChanged();
        return;
    }
    m_loaded = std::move(result.Loaded);
    if (m_loaded->FromFile)
        AddRecentFile(path);
    m_state = SessionState::TestLoaded;
    ShowLoadedTest(TestInfoFrom(*m_loaded->Test, int(m_loaded->Tasks.size())), *m_questionText, *this);
    ApplyZoomToTexts();
    ActionList1Update();
    emit TestChanged();
}

void TStudentMainForm::HandOffMessage() {
    RestoreMainWindow();
    if (!m_s.instance) {
        emit HandOffHandled();
        return;
    }
    while (true) {
        const QByteArray message = m_s.instance->ReadMessage();
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
    for (const QAction* action : m_actions) {
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
            Action(QStringLiteral("aShowREtoViewer"))->trigger();
            m_viewerSource = nullptr;
            return true;
        }
        break;
    case QEvent::Resize:
        // The window or the splitter changed the grid's size: matching texts share the width again.
        if (watched == m_gridPanel && m_panelVariant->isEnabled())
            GridPanelResize();
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_questionImage) {
            Action(QStringLiteral("AShowQuestionImage"))->trigger();
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
    if (enter && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && m_goCheck->isEnabled() &&
        m_goCheck->isVisibleTo(this)) {
        m_goCheck->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TStudentMainForm::PlayEndSound() {
    if (!m_sound)
        m_sound = std::make_unique<EndSoundPlayer>();
    m_sound->Play(ChooseEndSound(m_settings, m_s.paths.programFolder));
}

// ---- Window placement ----------------------------------------------------------------------

QString TStudentMainForm::ComponentName() const {
    return objectName();
}

bool TStudentMainForm::HasComponent(const QString& component) const {
    return component == QStringLiteral("PanelQuestion");
}

std::optional<QString> TStudentMainForm::GetProperty(const QString& component,
                                                     const QString& property) const {
    if (component == QStringLiteral("PanelQuestion")) {
        if (property == QStringLiteral("Height"))
            return QString::number(m_panelQuestion->height());
        return std::nullopt;
    }
    if (!component.isEmpty())
        return std::nullopt;
    // A maximised window keeps the size it had before, as it will have when restored.
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    if (property == QStringLiteral("Left"))
        return QString::number(normal.x());
    if (property == QStringLiteral("Top"))
        return QString::number(normal.y());
    if (property == QStringLiteral("Width"))
        return QString::number(normal.width());
    if (property == QStringLiteral("Height"))
        return QString::number(normal.height());
    if (property == QStringLiteral("Position"))
        return QStringLiteral("poScreenCenter");
    if (property == QStringLiteral("WindowState"))
        return isMaximized()   ? QStringLiteral("wsMaximized")
               : isMinimized() ? QStringLiteral("wsMinimized")
                               : QStringLiteral("wsNormal");
    return std::nullopt;
}

bool TStudentMainForm::SetProperty(const QString& component, const QString& property, const QString& value) {
    bool ok = false;
    if (component == QStringLiteral("PanelQuestion")) {
        const int h = value.toInt(&ok);
        if (property != QStringLiteral("Height") || !ok || h < 0)
            return false;
        m_pendingQuestionHeight = h;
        if (isVisible())
            m_splitter->setSizes({h, std::max(0, m_splitter->height() - h)});
        return true;
    }
    if (!component.isEmpty())
        return false;
    if (property == QStringLiteral("Position"))
        return value.startsWith(QStringLiteral("po"));
    if (property == QStringLiteral("WindowState")) {
        if (value == QStringLiteral("wsMaximized"))
            setWindowState(windowState() | Qt::WindowMaximized);
        else if (value == QStringLiteral("wsNormal") || value == QStringLiteral("wsMinimized"))
            // A window never opens minimised: the pupil would not find it.
            setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        else
            return false;
        return true;
    }
    const int n = value.toInt(&ok);
    if (!ok)
        return false;
    QRect g = geometry();
    if (property == QStringLiteral("Left"))
        g.moveLeft(n);
    else if (property == QStringLiteral("Top"))
        g.moveTop(n);
    else if (property == QStringLiteral("Width") && n > 0)
        g.setWidth(n);
    else if (property == QStringLiteral("Height") && n > 0)
        g.setHeight(n);
    else
        return false;
    setGeometry(g);
    return true;
}
