// The commands of the main window, its menu, the enabled and checked rules and the small commands
// that belong to no other part of the program.
#include "InfoWindows.h"
#include "MainFormTexts.h"
#include "MainStatusBar.h"
#include "SessionWindowView.h"
#include "StudentMainForm.h"
#include "WindowCaption.h"
#include "model/Prompts.h"
#include "model/TextCodec.h"
#include "settings/SettingsFile.h"
#include "settings/UserStore.h"
#include "ui/PictureLabel.h"
#include "ui/RichText.h"
#include "ui/RichTextControl.h"
#include "ui/ShowQuestionImageForm.h"
#include "ui/TestInfo.h"
#include "ui/TextViewForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

// A button shows its command: caption, enabled state, visibility; a click runs it.
void BindButton(QPushButton* button, QAction* action) {
    auto sync = [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
        button->setVisible(action->isVisible());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

// The usual calculators of Linux desktops, the first one installed is started.
const QStringList& Calculators() {
    static const QStringList list = {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                     QStringLiteral("galculator"),       QStringLiteral("mate-calc"),
                                     QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
    return list;
}

} // namespace

QAction* TStudentMainForm::AddAction(const QString& name, const QString& caption,
                                     const QKeySequence& shortcut, int tag) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setData(tag);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    // Commands on no visible menu still need their shortcuts in this window.
    addAction(action);
    m_actions.insert(name, action);
    // Every command may change what the rules allow.
    connect(
        action, &QAction::triggered, this, [this] { ActionList1Update(); }, Qt::QueuedConnection);
    return action;
}

void TStudentMainForm::CreateActions() {
    auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
    on(AddAction(QStringLiteral("AOpenTest"), QStringLiteral("&Відкрити..."),
                 QKeySequence(Qt::CTRL | Qt::Key_O)),
       [this] { AOpenTestExecute(); });
    // Downloading a test and the session's commands are wired by their own parts.
    AddAction(QStringLiteral("AGetTest"), QStringLiteral("Отримати по мережі"));
    on(AddAction(QStringLiteral("ACloseTest"), QStringLiteral("Закрити")), [this] { ACloseTestExecute(); });
    on(AddAction(QStringLiteral("AExit"), QStringLiteral("В&ихід")), [this] { close(); });
    on(AddAction(QStringLiteral("AShowTestInfo"), QStringLiteral("Інформація")),
       [this] { AShowTestInfoExecute(); });
    on(AddAction(QStringLiteral("aShowTestInstruction"), QStringLiteral("Інструкція до тесту")),
       [this] { aShowTestInstructionExecute(); });
    AddAction(QStringLiteral("ABeginTest"), QStringLiteral("Розпочати тест"), QKeySequence(Qt::Key_F5));
    AddAction(QStringLiteral("AEndTest"), QStringLiteral("Закінчити тест"));
    for (auto [name, caption, tag] :
         {std::tuple{"AFontSizeUp", "Крупніше", 1}, std::tuple{"AFontSizeNormal", "Нормальний", 0},
          std::tuple{"AFontSizeDown", "Дрібніше", -1}}) {
        QAction* a = AddAction(QLatin1String(name), QString::fromUtf8(caption), {}, tag);
        a->setCheckable(true);
        on(a, [this, tag] { AFontSizeExecute(tag); });
    }
    for (auto [name, caption, key, tag] :
         {std::tuple{"aZoomUp", "Крупніше", QKeySequence(Qt::CTRL | Qt::Key_U), 10},
          std::tuple{"aZoomNormal", "Звичайний  (100%)", QKeySequence(), 0},
          std::tuple{"aZoomDown", "Дрібніше", QKeySequence(Qt::CTRL | Qt::Key_D), -10}}) {
        QAction* a = AddAction(QLatin1String(name), QString::fromUtf8(caption), key, tag);
        a->setCheckable(true);
        on(a, [this, tag] { aZoomExecute(tag); });
    }
    // The check items copy their new mark into their setting.
    for (auto [name, caption, setting] :
         {std::tuple{"AIsUseWindowSettings", "Використовувати налаштування вікна",
                     &TSettings::IsUseWindowSettings},
          std::tuple{"AIsSaveResult", "Зберігати результати", &TSettings::IsSaveResult},
          std::tuple{"AIsSaveProtectionResult", "Зберігати зах. результати",
                     &TSettings::IsSaveProtectionResult},
          std::tuple{"AIsSaveConfig", "Зберігати налаштування при виході", &TSettings::IsSaveConfig}}) {
        QAction* a = AddAction(QLatin1String(name), QString::fromUtf8(caption));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this,
                [this, setting](bool checked) { m_settings.*setting = checked; });
    }
    // The settings dialog is opened by its own part.
    AddAction(QStringLiteral("AAdditionConfig"), QStringLiteral("Додаткові налаштування..."));
    on(AddAction(QStringLiteral("ASaveConfigNow"), QStringLiteral("Зберегти налаштування зараз")),
       [this] { ASaveConfigNowExecute(); });
    on(AddAction(QStringLiteral("ALoadConfigNow"), QStringLiteral("Завантажити налаштування зараз")),
       [this] { ALoadConfigNowExecute(); });
    on(AddAction(QStringLiteral("AShowHelp"), QStringLiteral("Перегляд довідки"), QKeySequence(Qt::Key_F1)),
       [this] { AShowHelpExecute(); });
    on(AddAction(QStringLiteral("AShowLicense"), QStringLiteral("Ліцензія")), [this] {
        TLicenseForm form(this);
        form.exec();
    });
    on(AddAction(QStringLiteral("AShowDonate"), QStringLiteral("Підтримати програму")), [this] {
        TDonateForm form(this);
        form.exec();
    });
    on(AddAction(QStringLiteral("AShowAbout"), QStringLiteral("Про програму")), [this] {
        TAboutForm form(this);
        form.exec();
    });
    AddAction(QStringLiteral("ACheckAskTask"), QStringLiteral("Наступне (перевірити)"));
    AddAction(QStringLiteral("aIDoNotKnow"), QStringLiteral("Я не знаю..."))->setVisible(false);
    AddAction(QStringLiteral("aSkippingTask"), QStringLiteral("Пропустити..."))->setVisible(false);
    AddAction(QStringLiteral("aShowPromptTask"), QStringLiteral("Показати підказку"));
    on(AddAction(QStringLiteral("aShowREtoViewer"), QString(), QKeySequence(Qt::Key_F10)),
       [this] { aShowREtoViewerExecute(); });
    on(AddAction(QStringLiteral("AShowQuestionImage"), QString()), [this] { AShowQuestionImageExecute(); });
    AddAction(QStringLiteral("AAskTask"), QString());
    // Alt with the key of "=" and "+".
    on(AddAction(QStringLiteral("aCalcExe"), QStringLiteral("Запустити калькулятор"),
                 QKeySequence(Qt::ALT | Qt::Key_Equal)),
       [this] { aCalcExeExecute(); });

    BindButton(m_goCheck, Action(QStringLiteral("ACheckAskTask")));
    BindButton(m_dontKnowButton, Action(QStringLiteral("aIDoNotKnow")));
    BindButton(m_skipButton, Action(QStringLiteral("aSkippingTask")));
    BindButton(m_promptButton, Action(QStringLiteral("aShowPromptTask")));
}

Session& TStudentMainForm::SessionEngine() {
    return m_session->Engine();
}

void TStudentMainForm::ConnectSessionCommands() {
    m_session = std::make_unique<SessionWindowView>(*this);
    // Each command runs in the engine, then the window takes over the engine's state.
    auto run = [this](const char* name, auto command) {
        connect(Action(QLatin1String(name)), &QAction::triggered, this, [this, command] {
            command(SessionEngine());
            SetSessionState(SessionEngine().State());
        });
    };
    run("ABeginTest", [](Session& s) { s.BeginTest(); });
    run("ACheckAskTask", [](Session& s) { s.CheckAskTask(); });
    run("aIDoNotKnow", [](Session& s) { s.IDoNotKnow(); });
    run("aSkippingTask", [](Session& s) { s.SkipTask(); });
    run("aShowPromptTask", [](Session& s) { s.ShowPromptTask(); });
    // The engine asks the pupil itself, inside its guard against a time limit running out meanwhile.
    run("AEndTest", [](Session& s) { s.EndTest(); });
    SessionCloseRequest = [this] {
        const bool mayClose = SessionEngine().RequestClose();
        SetSessionState(SessionEngine().State());
        return mayClose;
    };
    // The window frees the old test when it loads or closes one: the engine must let go first.
    connect(this, &TStudentMainForm::TestChanged, this, [this] { m_session->AttachLoadedTest(); });
}

void TStudentMainForm::BuildMainMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("JvMainMenu"));
    auto act = [this](const char* name) { return Action(QLatin1String(name)); };

    QMenu* file = bar->addMenu(MainFormTexts::MenuFile.toString());
    file->setObjectName(QStringLiteral("miFile"));
    file->addAction(act("AOpenTest"));
    file->addAction(act("AGetTest"));
    file->addAction(act("ACloseTest"));
    file->addSeparator();
    m_previousFiles = file->addMenu(MainFormTexts::MenuPreviousFiles.toString());
    m_previousFiles->setObjectName(QStringLiteral("miListPreviousFiles"));
    file->addSeparator();
    file->addAction(act("AExit"));

    QMenu* test = bar->addMenu(MainFormTexts::MenuTest.toString());
    test->setObjectName(QStringLiteral("miTest"));
    test->addAction(act("AShowTestInfo"));
    test->addAction(act("aShowTestInstruction"));
    test->addSeparator();
    test->addAction(act("ABeginTest"));
    test->addAction(act("AEndTest"));

    QMenu* settings = bar->addMenu(MainFormTexts::MenuSettings.toString());
    settings->setObjectName(QStringLiteral("miSettings"));
    m_sizeFont = settings->addMenu(MainFormTexts::MenuSizeFont.toString());
    m_sizeFont->setObjectName(QStringLiteral("miSizeFont"));
    m_sizeFont->addAction(act("AFontSizeUp"));
    m_sizeFont->addAction(act("AFontSizeNormal"));
    m_sizeFont->addAction(act("AFontSizeDown"));
    // The font-size steps stay out of reach: the zoom does the same job without touching the texts.
    m_sizeFont->menuAction()->setVisible(false);
    m_sizeFont->menuAction()->setEnabled(false);
    m_zoomMenu = settings->addMenu(MainFormTexts::MenuZoom.toString());
    m_zoomMenu->setObjectName(QStringLiteral("miZoom"));
    m_zoomMenu->addAction(act("aZoomUp"));
    m_zoomMenu->addAction(act("aZoomNormal"));
    m_zoomMenu->addAction(act("aZoomDown"));
    settings->addSeparator();
    settings->addAction(act("AIsUseWindowSettings"));
    settings->addSeparator();
    // These two are changed in the settings dialog; their menu items are hidden.
    for (const char* hidden : {"AIsSaveResult", "AIsSaveProtectionResult"}) {
        auto* item = new QAction(act(hidden)->text(), settings);
        item->setObjectName(QLatin1String("mi") + QLatin1String(hidden));
        item->setVisible(false);
        connect(item, &QAction::triggered, act(hidden), &QAction::trigger);
        settings->addAction(item);
    }
    settings->addSeparator();
    settings->addAction(act("AAdditionConfig"));
    settings->addSeparator();
    settings->addAction(act("AIsSaveConfig"));
    settings->addAction(act("ASaveConfigNow"));
    settings->addAction(act("ALoadConfigNow"));

    QMenu* help = bar->addMenu(MainFormTexts::MenuHelp.toString());
    help->setObjectName(QStringLiteral("miHelp"));
    help->addAction(act("AShowHelp"));
    help->addSeparator();
    help->addAction(act("AShowLicense"));
    help->addAction(act("AShowDonate"));
    help->addSeparator();
    help->addAction(act("AShowAbout"));
}

void TStudentMainForm::ActionList1Update() {
    CommandRuleInput in;
    in.state = m_state;
    in.settings = &m_settings;
    in.test = Test();
    in.recentCount = int(m_recent.Items().size());
    in.zoom = m_zoom;
    in.fontDelta = m_fontDelta;
    const CommandRuleState r = EvaluateCommandRules(in);
    auto enable = [this](const char* name, bool on) {
        QAction* a = Action(QLatin1String(name));
        if (a->isEnabled() != on)
            a->setEnabled(on);
    };
    auto check = [this](const char* name, bool on) {
        QAction* a = Action(QLatin1String(name));
        if (a->isChecked() != on)
            a->setChecked(on);
    };
    enable("AOpenTest", r.openTest);
    enable("AGetTest", r.getTest);
    enable("ACloseTest", r.closeTest);
    enable("ABeginTest", r.beginTest);
    enable("AEndTest", r.endTest);
    if (!r.checkAskTaskAllowed)
        enable("ACheckAskTask", false);
    enable("AShowTestInfo", r.showTestInfo);
    enable("aShowTestInstruction", r.showTestInstruction);
    for (const char* name : {"AIsSaveResult", "AIsSaveProtectionResult", "AIsSaveConfig",
                             "AIsUseWindowSettings", "AAdditionConfig", "ASaveConfigNow", "ALoadConfigNow"})
        enable(name, r.settingsCommands);
    enable("aShowREtoViewer", r.showREtoViewer);
    const QString caption = WindowCaption(Test() != nullptr, Test() ? Test()->FileName : QString());
    if (windowTitle() != caption)
        setWindowTitle(caption);
    if (r.resetProgress && m_progress->value() != 0)
        m_progress->setValue(0);
    if (m_previousFiles->menuAction()->isEnabled() != r.previousFiles)
        m_previousFiles->menuAction()->setEnabled(r.previousFiles);
    check("AIsSaveResult", r.isSaveResult);
    check("AIsSaveProtectionResult", r.isSaveProtectionResult);
    check("AIsSaveConfig", r.isSaveConfig);
    check("AIsUseWindowSettings", r.isUseWindowSettings);
    check("AFontSizeUp", r.fontSizeUp);
    check("AFontSizeNormal", r.fontSizeNormal);
    check("AFontSizeDown", r.fontSizeDown);
    check("aZoomUp", r.zoomUp);
    check("aZoomNormal", r.zoomNormal);
    check("aZoomDown", r.zoomDown);
    const StatusPanelTexts texts = StatusTexts(m_state, Test(), m_s.clock->Now());
    for (int i = 0; i < TMainStatusBar::PanelCount; ++i) {
        if (texts.panels[size_t(i)])
            m_statusBar->SetPanelText(i, *texts.panels[size_t(i)]);
    }
}

// ---- Recent files --------------------------------------------------------------------------

void TStudentMainForm::AddRecentFile(const QString& path) {
    m_recent.Add(path);
    RebuildPreviousFilesMenu();
}

void TStudentMainForm::LoadRecentFiles() {
    if (!m_s.store)
        return;
    m_recent.Load(UserStore(*m_s.store).PreviousFiles());
    RebuildPreviousFilesMenu();
}

void TStudentMainForm::SaveRecentFiles() {
    if (!m_s.store)
        return;
    UserStore store(*m_s.store);
    store.SetPreviousFiles(m_recent.Items());
    store.Sync();
}

void TStudentMainForm::RebuildPreviousFilesMenu() {
    m_previousFiles->clear();
    for (const QString& path : m_recent.Items()) {
        // The caption is the path itself: an ampersand in it is a character, not an access letter.
        QString caption = path;
        caption.replace(u'&', QStringLiteral("&&"));
        QAction* item = m_previousFiles->addAction(caption);
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
}

void TStudentMainForm::OpenRecentFile(const QString& path) {
    LoadTestFile(path);
}

// ---- Commands ------------------------------------------------------------------------------

void TStudentMainForm::AOpenTestExecute() {
    const QString folder = TextCodec::FromCp1251(m_settings.InitialDirOpenTest);
    QFileDialog dialog(this, QString(), folder, MainFormTexts::OpenFilter.toString());
    dialog.setDefaultSuffix(QStringLiteral("qzf"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        LoadTestFile(dialog.selectedFiles().constFirst());
}

void TStudentMainForm::ACloseTestExecute() {
    m_state = SessionState::NoTest;
    const bool hadTest = m_loaded != nullptr;
    m_loaded.reset();
    ShowChooseTestLine();
    if (hadTest)
        emit TestChanged();
}

void TStudentMainForm::ShowChooseTestLine() {
    ClearRichText(*m_questionText);
    setUpdatesEnabled(false);
    m_questionText->append(MainFormTexts::ChooseTest.toString());
    ApplyZoomToTexts();
    setUpdatesEnabled(true);
}

void TStudentMainForm::aZoomExecute(int tag) {
    m_zoom = NextZoom(m_zoom, tag);
    ApplyZoomToTexts();
}

void TStudentMainForm::AFontSizeExecute(int tag) {
    if (tag != 0) {
        ResizeTaskTexts(tag);
        m_fontDelta += tag;
    } else {
        ResizeTaskTexts(-m_fontDelta);
        m_fontDelta = 0;
    }
}

void TStudentMainForm::ResizeTaskTexts(int delta) {
    if (delta == 0)
        return;
    setUpdatesEnabled(false);
    ChangeRichTextSize(*m_questionText, delta);
    for (RichTextControl* text : VariantTexts1() + VariantTexts2())
        ChangeRichTextSize(*text, delta);
    setUpdatesEnabled(true);
}

void TStudentMainForm::AShowHelpExecute() {
    // A help file of the old kind beside the program wins; otherwise our own page.
    const QDir folder(m_s.helpFolder.isEmpty() ? AppPaths::ExecutableFolder() : m_s.helpFolder);
    QString path = folder.filePath(QStringLiteral("Help.chm"));
    if (!QFileInfo::exists(path))
        path = folder.filePath(QStringLiteral("Help.html"));
    if (m_s.openUrl)
        m_s.openUrl(QUrl::fromLocalFile(path));
}

void TStudentMainForm::aCalcExeExecute() {
    if (m_state != SessionState::Testing)
        return;
    bool started = false;
    for (const QString& name : Calculators()) {
        const QString program = m_s.findProgram ? m_s.findProgram(name) : QString();
        if (!program.isEmpty()) {
            started = m_s.startProgram && m_s.startProgram(program);
            break;
        }
    }
    if (!started)
        m_s.prompts->ShowMessage(MainFormTexts::ProgramTitle.toString(), MainFormTexts::CalcFailed.toString(),
                                 MsgIcon::None);
}

void TStudentMainForm::ASaveConfigNowExecute() {
    if (m_state == SessionState::Testing)
        return;
    if (m_s.prompts->AskYesNo(MainFormTexts::ConfigQuestionCaption.toString(),
                              MainFormTexts::SaveConfigQuestion.toString(), MsgIcon::Question))
        SaveConfig(m_settings, m_s.paths.programFolder, *m_s.prompts);
}

void TStudentMainForm::ALoadConfigNowExecute() {
    if (m_state == SessionState::Testing)
        return;
    if (m_s.prompts->AskYesNo(MainFormTexts::ConfigQuestionCaption.toString(),
                              MainFormTexts::LoadConfigQuestion.toString(), MsgIcon::Question))
        LoadConfig(m_settings, m_s.paths.programFolder, *m_s.prompts);
}

void TStudentMainForm::AShowTestInfoExecute() {
    if (m_loaded)
        ShowTestInfo(TestInfoFrom(*m_loaded->Test, int(m_loaded->Tasks.size())), this);
}

void TStudentMainForm::aShowTestInstructionExecute() {
    if (m_loaded)
        ShowTestInstruction(TestInfoFrom(*m_loaded->Test, int(m_loaded->Tasks.size())), this);
}

void TStudentMainForm::aShowREtoViewerExecute() {
    if (m_state != SessionState::Testing)
        return;
    // The double-clicked text; for F10 the focused task text, and nothing when the focus is on
    // anything else (a button, a list).
    if (m_viewerSource)
        ViewRichControl(*m_viewerSource, QByteArray(), this);
    else
        ShowFocusedTextInViewer(*this, true);
}

void TStudentMainForm::AShowQuestionImageExecute() {
    if (!m_questionImage->isVisible() || m_questionImage->CurrentPicture().IsNull())
        return;
    m_imageForm->ShowPicture(m_questionImage->CurrentPicture());
}

bool TStudentMainForm::HandleDigitKey(int key) {
    if (m_state != SessionState::Testing)
        return false;
    const std::optional<int> row = DigitKeyRow(key);
    if (!row)
        return false;
    auto focusCheck = [this] {
        if (m_goCheck->isEnabled())
            m_goCheck->setFocus();
    };
    switch (m_currentKind) {
    case SingleChoice: {
        auto* radio = static_cast<QRadioButton*>(AnswerWidget(SlotRadio + *row));
        if (!radio->isEnabled() || !radio->isVisibleTo(this))
            return false;
        radio->click();
        focusCheck();
        return true;
    }
    case MultipleChoice: {
        auto* box = static_cast<QCheckBox*>(AnswerWidget(SlotCheck + *row));
        if (!box->isEnabled() || !box->isVisibleTo(this))
            return false;
        box->click();
        focusCheck();
        return true;
    }
    case Ordering:
    case Matching:
    case TrueFalse: {
        auto* combo = static_cast<QComboBox*>(AnswerWidget(SlotCombo + *row));
        if (!combo->isEnabled() || !combo->isVisibleTo(this) || combo->count() == 0)
            return false;
        // The session reacts to the choice through the list's activation, as for a click.
        const int next = combo->currentIndex() + 1 < combo->count() ? combo->currentIndex() + 1 : 0;
        combo->setCurrentIndex(next);
        emit combo->activated(next);
        focusCheck();
        return true;
    }
    default:
        return false;
    }
}
