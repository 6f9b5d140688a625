#include "StudentAdditionConfigForm.h"

#include "AssociationSheet.h"
#include "ColorsSheet.h"
#include "EndSoundPlayer.h"
#include "FolderSheet.h"
#include "LnkSheet.h"
#include "MultiRowTabWidget.h"
#include "NetConfigSheet.h"
#include "PasswordSheet.h"
#include "SaveResultSheet.h"
#include "ShowResultSheet.h"
#include "SoundSheet.h"
#include "UserNameSheet.h"

#include "model/Utils.h"
#include "ports/Prompts.h"
#include "settings/SettingsPassword.h"
#include "settings/SettingsTexts.h"
#include "settings/UserStore.h"

#include <QApplication>
#include <QTabWidget>
#include <QVBoxLayout>

// Outside any namespace, as the resource initialiser requires: the pages' pictures are in the
// program's resources, which a static library does not register by itself.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

static void InitPagePictures() {
    static const bool done = (RegisterResources(), true);
    (void)done;
}

TStudentAdditionConfigForm::TStudentAdditionConfigForm(TSettings& settings, AdditionConfigServices services,
                                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings), m_services(std::move(services)), m_tabs(new MultiRowTabWidget(this)) {
    InitPagePictures();
    setObjectName(QStringLiteral("StudentAdditionConfigForm"));
    setWindowTitle(ConfigTexts::Caption.toString());
    setModal(true);

    // What the caller left out is the real thing.
    if (!m_services.browseForFolder)
        m_services.browseForFolder = [](QWidget* owner, const QString& start) {
            return BrowseForFolder(owner, start);
        };
    if (!m_services.pickColor)
        m_services.pickColor = PickColorWithDialog;
    if (!m_services.openSoundFile)
        m_services.openSoundFile = OpenSoundFileWithDialog;
    if (!m_services.playSound) {
        m_player = std::make_unique<EndSoundPlayer>();
        m_services.playSound = [player = m_player.get()](const EndSoundChoice& choice) {
            player->Play(choice);
        };
    }
    if (!m_services.beep)
        m_services.beep = [] { QApplication::beep(); };
    if (!m_services.computerName)
        m_services.computerName = [] { return GetComputerNameStr(); };
    if (!m_services.desktop.run)
        m_services.desktop = DesktopContext::ForThisProgram();

    QTabWidget* pages = m_tabs->Pages();
    pages->setObjectName(QStringLiteral("PageControl"));
    const std::pair<ConfigSheet*, QStringView> sheets[] = {
        {new AssociationSheet(m_services), ConfigTexts::AssociationCaption},
        {new LnkSheet(m_services), ConfigTexts::LnkCaption},
        {new NetConfigSheet(m_settings, m_services), ConfigTexts::NetCaption},
        {new FolderSheet(m_settings, m_services), ConfigTexts::FolderCaption},
        {new SaveResultSheet(m_settings), ConfigTexts::SaveResultCaption},
        {new ShowResultSheet(m_settings), ConfigTexts::ShowResultCaption},
        {new ColorsSheet(m_settings, m_services), ConfigTexts::ColorsCaption},
        {new UserNameSheet(m_settings), ConfigTexts::UserNameCaption},
        {new SoundSheet(m_settings, m_services), ConfigTexts::SoundCaption},
        {new PasswordSheet(m_services), ConfigTexts::PasswordCaption},
    };
    for (const auto& [sheet, caption] : sheets)
        pages->addTab(sheet, caption.toString());
    pages->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_tabs);
    FitSize();
}

TStudentAdditionConfigForm::~TStudentAdditionConfigForm() = default;

QTabWidget* TStudentAdditionConfigForm::PageControl() const {
    return m_tabs->Pages();
}

ConfigSheet* TStudentAdditionConfigForm::Page(const QString& objectName) const {
    return PageControl()->findChild<ConfigSheet*>(objectName);
}

void TStudentAdditionConfigForm::FitSize() {
    // The window keeps its size; only a desktop whose fonts need more room for a page makes it
    // larger, so that nothing is cut off.
    int width = ClientSize.width();
    width = std::max(width, layout()->minimumSize().width());
    const int height = std::max(ClientSize.height(), layout()->totalHeightForWidth(width));
    setFixedSize(width, height);
}

void TStudentAdditionConfigForm::OpenWithPassword() {
    QByteArray stored;
    if (m_services.store) {
        const StoredPassword read = ReadSettingsPassword(UserStore(*m_services.store));
        if (!read.status.Ok()) {
            if (m_services.prompts)
                m_services.prompts->ShowMessage(SettingsTexts::ProgramTitle.toString(), read.status.Detail(),
                                                MsgIcon::Error);
            return;
        }
        stored = read.password;
    }
    if (!stored.isEmpty() && (!m_services.prompts || !AskSettingsPassword(stored, *m_services.prompts)))
        return;
    exec();
}
