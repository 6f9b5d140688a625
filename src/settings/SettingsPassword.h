#pragma once
// The password that keeps pupils out of the settings dialog. It lies in the per-user store as
// typed (after trimming), in clear, like every other value there; the store's file is readable by
// its user only. Anyone who can log in as that user can read or delete it: it only stops a pupil
// who sits at the running program.
#include "ConfigPages.h"

#include "model/Status.h"

#include <QByteArray>

class Prompts;
class UserStore;

struct StoredPassword {
    QByteArray password; // empty: none is set
    Status status;       // fails when the stored value is not a text
};
StoredPassword ReadSettingsPassword(const UserStore& store);

// Writes or removes the stored password as the password page says and makes the store private.
Status WriteSettingsPassword(UserStore& store, const PasswordChange& change);

// Whether the settings may be shown: at once when no password is stored; otherwise after the
// password prompt, when the typed text is the stored one byte for byte (letter case and blanks
// count). A cancelled prompt says nothing; a wrong password is told in a plain message box.
bool AskSettingsPassword(const QByteArray& stored, Prompts& prompts);
