#include "SettingsPassword.h"

#include "SettingsTexts.h"
#include "UserStore.h"

#include "model/Prompts.h"

StoredPassword ReadSettingsPassword(const UserStore& store) {
    if (!store.PasswordIsText()) {
        return {{},
                Status::Failed(Fault::Corrupt,
                               SettingsTexts::PasswordNotText.toString().arg(UserStore::PasswordName))};
    }
    return {store.Password(), {}};
}

Status WriteSettingsPassword(UserStore& store, const PasswordChange& change) {
    if (change.kind == PasswordChange::Remove)
        store.RemovePassword();
    else
        store.SetPassword(change.password);
    if (!store.Sync() || !store.KeepPrivate())
        return Status::Failed(Fault::WriteFailed, SettingsTexts::PasswordNotWritten.toString());
    return {};
}

bool AskSettingsPassword(const QByteArray& stored, Prompts& prompts) {
    if (stored.isEmpty())
        return true;
    QByteArray entered;
    if (!prompts.AskPassword(entered))
        return false;
    if (entered == stored)
        return true;
    prompts.ShowMessage(SettingsTexts::ProgramTitle.toString(), ConfigTexts::WrongPassword.toString(),
                        MsgIcon::None);
    return false;
}
