// The main window's part in taking up the sessions that earlier runs left unfinished: the engine
// and the journals do the work (session/SessionRecovery); the window lends its test loading, its
// prompts and result files, and the dialog.
#include "StudentMainForm.h"

#include "model/AppPaths.h"
#include "session/SessionRecovery.h"
#include "session/gui/ResumeSessionForm.h"
#include "settings/UserStore.h"

bool TStudentMainForm::RecoverSessions() {
    if (m_services.paths.journalFolder.isEmpty())
        return false;
    QSettings* store = m_services.store;
    RecoveryServices services{SessionEngine(),
                              *m_services.prompts,
                              *m_session,
                              *m_services.server,
                              m_settings,
                              *m_services.clock,
                              m_services.paths.journalFolder,
                              [store] { return store ? UserStore(*store).Password() : QByteArray(); },
                              m_services.askResume,
                              [this](const QString& path) {
                                  LoadTestFile(path);
                                  return m_loaded != nullptr;
                              }};
    if (!services.askResume)
        services.askResume = [this](const ResumeOffer& offer) {
            return TResumeSessionForm::Ask(offer, this);
        };
    const bool resumed = SessionRecovery(std::move(services)).Run();
    SetSessionState(SessionEngine().State());
    return resumed;
}
