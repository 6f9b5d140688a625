// The commands of the main window, its menu, the enabled and checked rules and the small commands
// that belong to no other part of the program.
#include "InfoWindows.h"
#include "MainFormTexts.h"
#include "MainStatusBar.h"
#include "RecentFiles.h"
#include "SessionArea.h"
#include "StudentMainForm.h"

#include "ServerLinkView.h"
#include "WindowCaption.h"
#include "model/TextCodec.h"
#include "ports/Prompts.h"
#include "settings/SettingsFile.h"
#include "settings/UserStore.h"
#include "settings/gui/EndSoundPlayer.h"
#include "settings/gui/StudentAdditionConfigForm.h"
#include "ui/gui/PictureLabel.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/ShowQuestionImageForm.h"
#include "ui/gui/TestInfo.h"
#include "ui/gui/TextViewForm.h"

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

// The usual calculators of Linux desktops, the first one installed is started.
const QStringList& Calculators() {
    static const QStringList list = {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                     QStringLiteral("galculator"),       QStringLiteral("mate-calc"),
                                     QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
    return list;
}

} // namespace

void TStudentMainForm::ConnectCommands() {
    const MainActions& a = m_actions;
    auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
    on(a.openTest, [this] { AOpenTestExecute(); });
    on(a.getTest, [this] {
        if (m_serverView)
            m_serverView->FetchTest();
    });
    on(a.closeTest, [this] { ACloseTestExecute(); });
    on(a.exit, [this] { close(); });
    on(a.showTestInfo, [this] { AShowTestInfoExecute(); });
    on(a.showTestInstruction, [this] { aShowTestInstructionExecute(); });
    for (QAction* step : {a.fontSizeUp, a.fontSizeNormal, a.fontSizeDown})
        on(step, [this, step] { AFontSizeExecute(step->data().toInt()); });
    for (QAction* step : {a.zoomUp, a.zoomNormal, a.zoomDown})
        on(step, [this, step] { aZoomExecute(step->data().toInt()); });
    // The check items copy their new mark into their setting.
    for (auto [action, setting] : {std::pair{a.isUseWindowSettings, &TSettings::IsUseWindowSettings},
                                   std::pair{a.isSaveResult, &TSettings::IsSaveResult},
                                   std::pair{a.isSaveProtectionResult, &TSettings::IsSaveProtectionResult},
                                   std::pair{a.isSaveConfig, &TSettings::IsSaveConfig}})
        connect(action, &QAction::triggered, this,
                [this, setting](bool checked) { m_settings.*setting = checked; });
    on(a.additionConfig, [this] { AAdditionConfigExecute(); });
    on(a.saveConfigNow, [this] { ASaveConfigNowExecute(); });
    on(a.loadConfigNow, [this] { ALoadConfigNowExecute(); });
    on(a.showHelp, [this] { AShowHelpExecute(); });
    on(a.showLicense, [this] {
        TLicenseForm form(this);
        form.exec();
    });
    on(a.showDonate, [this] {
        TDonateForm form(this);
        form.exec();
    });
    on(a.showAbout, [this] {
        TAboutForm form(this);
        form.exec();
    });
    on(a.showREtoViewer, [this] { aShowREtoViewerExecute(); });
    on(a.showQuestionImage, [this] { AShowQuestionImageExecute(); });
    on(a.calcExe, [this] { aCalcExeExecute(); });
    connect(m_area, &TSessionArea::QuestionImageClicked, a.showQuestionImage, &QAction::trigger);

    // The session's commands run in the engine, then the window takes over the engine's state. The
    // engine asks the pupil itself where a command needs it ("Закінчити тест"), inside its guard
    // against a time limit running out meanwhile.
    auto run = [this](QAction* action, void (Session::*command)()) {
        connect(action, &QAction::triggered, this, [this, command] {
            (SessionEngine().*command)();
            SetSessionState(SessionEngine().State());
        });
    };
    run(a.beginTest, &Session::BeginTest);
    run(a.checkAskTask, &Session::CheckAskTask);
    run(a.iDoNotKnow, &Session::IDoNotKnow);
    run(a.skippingTask, &Session::SkipTask);
    // A task done is a pause in the pupil's work: the boxes of the reports that failed meanwhile.
    for (QAction* done : {a.checkAskTask, a.iDoNotKnow, a.skippingTask})
        connect(
            done, &QAction::triggered, this,
            [this] {
                if (m_serverView)
                    m_serverView->ShowWaitingNotices();
            },
            Qt::QueuedConnection);
    run(a.showPromptTask, &Session::ShowPromptTask);
    run(a.endTest, &Session::EndTest);
    // Every command may change what the rules allow.
    for (QAction* action : a.All())
        connect(action, &QAction::triggered, this, &TStudentMainForm::ActionList1Update,
                Qt::QueuedConnection);
    // The window frees the old test when it loads or closes one: the engine must let go first.
    connect(this, &TStudentMainForm::TestChanged, this, [this] { m_session->AttachLoadedTest(); });
}

void TStudentMainForm::AAdditionConfigExecute() {
    // The settings dialog lives for one opening; the end-of-test sound player is the window's, so
    // that a trial sound plays on after the dialog has closed.
    AdditionConfigServices services;
    services.prompts = m_services.prompts;
    services.store = m_services.store;
    services.programFolder = m_services.paths.programFolder;
    services.desktop = m_services.desktop;
    services.playSound = [this](const EndSoundChoice& choice) {
        if (!m_sound)
            m_sound = std::make_unique<EndSoundPlayer>();
        m_sound->Play(choice);
    };
    TStudentAdditionConfigForm form(m_settings, std::move(services), this);
    form.OpenWithPassword();
}

void TStudentMainForm::BuildMainMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("JvMainMenu"));
    const MainActions& a = m_actions;

    QMenu* file = bar->addMenu(MainFormTexts::MenuFile.toString());
    file->setObjectName(QStringLiteral("miFile"));
    file->addAction(a.openTest);
    file->addAction(a.getTest);
    file->addAction(a.closeTest);
    file->addSeparator();
    QMenu* previousFiles = file->addMenu(MainFormTexts::MenuPreviousFiles.toString());
    previousFiles->setObjectName(QStringLiteral("miListPreviousFiles"));
    m_recent = new TRecentFilesMenu(*previousFiles);
    connect(m_recent, &TRecentFilesMenu::OpenRequested, this,
            [this](const QString& path) { LoadTestFile(path); });
    file->addSeparator();
    file->addAction(a.exit);

    QMenu* test = bar->addMenu(MainFormTexts::MenuTest.toString());
    test->setObjectName(QStringLiteral("miTest"));
    test->addAction(a.showTestInfo);
    test->addAction(a.showTestInstruction);
    test->addSeparator();
    test->addAction(a.beginTest);
    test->addAction(a.endTest);

    QMenu* settings = bar->addMenu(MainFormTexts::MenuSettings.toString());
    settings->setObjectName(QStringLiteral("miSettings"));
    m_sizeFont = settings->addMenu(MainFormTexts::MenuSizeFont.toString());
    m_sizeFont->setObjectName(QStringLiteral("miSizeFont"));
    m_sizeFont->addAction(a.fontSizeUp);
    m_sizeFont->addAction(a.fontSizeNormal);
    m_sizeFont->addAction(a.fontSizeDown);
    // The font-size steps stay out of reach: the zoom does the same job without touching the texts.
    m_sizeFont->menuAction()->setVisible(false);
    m_sizeFont->menuAction()->setEnabled(false);
    m_zoomMenu = settings->addMenu(MainFormTexts::MenuZoom.toString());
    m_zoomMenu->setObjectName(QStringLiteral("miZoom"));
    m_zoomMenu->addAction(a.zoomUp);
    m_zoomMenu->addAction(a.zoomNormal);
    m_zoomMenu->addAction(a.zoomDown);
    settings->addSeparator();
    settings->addAction(a.isUseWindowSettings);
    settings->addSeparator();
    // These two are changed in the settings dialog; their menu items are hidden.
    for (QAction* hidden : {a.isSaveResult, a.isSaveProtectionResult}) {
        auto* item = new QAction(hidden->text(), settings);
        item->setObjectName(QStringLiteral("mi") + hidden->objectName());
        item->setVisible(false);
        connect(item, &QAction::triggered, hidden, &QAction::trigger);
        settings->addAction(item);
    }
    settings->addSeparator();
    settings->addAction(a.additionConfig);
    settings->addSeparator();
    settings->addAction(a.isSaveConfig);
    settings->addAction(a.saveConfigNow);
    settings->addAction(a.loadConfigNow);

    QMenu* help = bar->addMenu(MainFormTexts::MenuHelp.toString());
    help->setObjectName(QStringLiteral("miHelp"));
    help->addAction(a.showHelp);
    help->addSeparator();
    help->addAction(a.showLicense);
    help->addAction(a.showDonate);
    help->addSeparator();
    help->addAction(a.showAbout);

    // Every item reaches by an access letter, but the recent files (their captions are paths) and
    // the zoom steps.
    for (QMenu* menu : {file, test, settings, help, m_sizeFont})
        GiveAccessLetters(*menu);
}

void TStudentMainForm::GiveAccessLetters(QMenu& menu) {
    QList<QAction*> items;
    QStringList captions;
    for (QAction* item : menu.actions()) {
        if (item->isSeparator() || !item->isVisible())
            continue;
        items.append(item);
        captions.append(item->text());
    }
    const QStringList lettered = WithAccessLetters(captions);
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i]->setText(lettered[i]);
}

void TStudentMainForm::ActionList1Update() {
    CommandRuleInput in;
    in.state = m_state;
    in.settings = &m_settings;
    in.test = Test();
    in.recentCount = int(m_recent->List().Items().size());
    in.zoom = m_zoom;
    in.fontDelta = m_fontDelta;
    in.fetching = m_serverView && m_serverView->IsFetching();
    const CommandRuleState r = EvaluateCommandRules(in);
    auto enable = [](QAction* a, bool on) {
        if (a->isEnabled() != on)
            a->setEnabled(on);
    };
    auto check = [](QAction* a, bool on) {
        if (a->isChecked() != on)
            a->setChecked(on);
    };
    const MainActions& a = m_actions;
    enable(a.openTest, r.openTest);
    enable(a.getTest, r.getTest);
    enable(a.closeTest, r.closeTest);
    enable(a.beginTest, r.beginTest);
    enable(a.endTest, r.endTest);
    if (!r.checkAskTaskAllowed)
        enable(a.checkAskTask, false);
    enable(a.showTestInfo, r.showTestInfo);
    enable(a.showTestInstruction, r.showTestInstruction);
    for (QAction* setting : {a.isSaveResult, a.isSaveProtectionResult, a.isSaveConfig, a.isUseWindowSettings,
                             a.additionConfig, a.saveConfigNow, a.loadConfigNow})
        enable(setting, r.settingsCommands);
    enable(a.showREtoViewer, r.showREtoViewer);
    const QString caption = WindowCaption(Test() != nullptr, Test() ? Test()->FileName : QString());
    if (windowTitle() != caption)
        setWindowTitle(caption);
    if (r.resetProgress && m_area->Progress()->value() != 0)
        m_area->Progress()->setValue(0);
    QAction* previousFiles = m_recent->Menu().menuAction();
    if (previousFiles->isEnabled() != r.previousFiles)
        previousFiles->setEnabled(r.previousFiles);
    check(a.isSaveResult, r.isSaveResult);
    check(a.isSaveProtectionResult, r.isSaveProtectionResult);
    check(a.isSaveConfig, r.isSaveConfig);
    check(a.isUseWindowSettings, r.isUseWindowSettings);
    check(a.fontSizeUp, r.fontSizeUp);
    check(a.fontSizeNormal, r.fontSizeNormal);
    check(a.fontSizeDown, r.fontSizeDown);
    check(a.zoomUp, r.zoomUp);
    check(a.zoomNormal, r.zoomNormal);
    check(a.zoomDown, r.zoomDown);
    const StatusPanelTexts texts = StatusTexts(m_state, Test(), m_services.clock->Now());
    for (int i = 0; i < TMainStatusBar::PanelCount; ++i) {
        if (texts.panels[size_t(i)])
            m_statusBar->SetPanelText(i, *texts.panels[size_t(i)]);
    }
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
    ClearRichText(*m_area->QuestionText());
    setUpdatesEnabled(false);
    m_area->QuestionText()->append(MainFormTexts::ChooseTest.toString());
    m_area->ApplyZoomToTexts(m_zoom);
    setUpdatesEnabled(true);
}

void TStudentMainForm::aZoomExecute(int tag) {
    m_zoom = NextZoom(m_zoom, tag);
    m_area->ApplyZoomToTexts(m_zoom);
}

void TStudentMainForm::AFontSizeExecute(int tag) {
    if (tag != 0) {
        m_area->ResizeTaskTexts(tag);
        m_fontDelta += tag;
    } else {
        m_area->ResizeTaskTexts(-m_fontDelta);
        m_fontDelta = 0;
    }
}

void TStudentMainForm::AShowHelpExecute() {
    // A help file of the old kind beside the program wins; otherwise our own page.
    const QDir folder(m_services.helpFolder.isEmpty() ? AppPaths::HelpFolder() : m_services.helpFolder);
    QString path = folder.filePath(QStringLiteral("Help.chm"));
    if (!QFileInfo::exists(path))
        path = folder.filePath(QStringLiteral("Help.html"));
    if (m_services.openUrl)
        m_services.openUrl(QUrl::fromLocalFile(path));
}

void TStudentMainForm::aCalcExeExecute() {
    if (m_state != SessionState::Testing)
        return;
    bool started = false;
    for (const QString& name : Calculators()) {
        const QString program = m_services.findProgram ? m_services.findProgram(name) : QString();
        if (!program.isEmpty()) {
            started = m_services.startProgram && m_services.startProgram(program);
            break;
        }
    }
    if (!started)
        m_services.prompts->ShowMessage(MainFormTexts::ProgramTitle.toString(),
                                        MainFormTexts::CalcFailed.toString(), MsgIcon::None);
}

void TStudentMainForm::ASaveConfigNowExecute() {
    if (m_state == SessionState::Testing)
        return;
    if (m_services.prompts->AskYesNo(MainFormTexts::ConfigQuestionCaption.toString(),
                                     MainFormTexts::SaveConfigQuestion.toString(), MsgIcon::Question))
        if (!SaveConfig(m_settings, m_services.paths.programFolder).Ok())
            m_services.prompts->Show(ConfigSaveFailedNotice());
}

void TStudentMainForm::ALoadConfigNowExecute() {
    if (m_state == SessionState::Testing)
        return;
    if (m_services.prompts->AskYesNo(MainFormTexts::ConfigQuestionCaption.toString(),
                                     MainFormTexts::LoadConfigQuestion.toString(), MsgIcon::Question))
        if (!LoadConfig(m_settings, m_services.paths.programFolder).Ok())
            m_services.prompts->Show(ConfigLoadFailedNotice());
}

void TStudentMainForm::AShowTestInfoExecute() {
    if (m_loaded)
        ShowTestInfo(TestInfoFrom(*m_loaded->test, int(m_loaded->tasks.size())), this);
}

void TStudentMainForm::aShowTestInstructionExecute() {
    if (m_loaded)
        ShowTestInstruction(TestInfoFrom(*m_loaded->test, int(m_loaded->tasks.size())), this);
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
    PictureLabel* picture = m_area->QuestionImage();
    if (!picture->isVisible() || picture->CurrentPicture().IsNull())
        return;
    m_imageForm->ShowPicture(picture->CurrentPicture());
}

bool TStudentMainForm::HandleDigitKey(int key) {
    if (m_state != SessionState::Testing)
        return false;
    const std::optional<int> row = DigitKeyRow(key);
    return row && m_area->ChooseRowByDigit(m_currentKind, *row);
}
