#include "ConfigPages.h"

#include "Settings.h"

#include "model/TextCodec.h"
#include "model/Utils.h"
#include "net/ConnectionTest.h"

#include <QFileInfo>

namespace {

QString Text(const QByteArray& bytes) {
    return TextCodec::FromCp1251(bytes);
}
QByteArray Bytes(const QString& text) {
    return TextCodec::ToCp1251(text);
}

} // namespace

QByteArray TrimmedCp1251(const QString& text) {
    return TrimBlanks(Bytes(text));
}

// ---- Мережа --------------------------------------------------------------------------------

NetPage NetPageFrom(const TSettings& s) {
    return {Text(s.RemoteHost), QString::number(s.RemotePort), s.IsSendResult, s.IsAutoGetTestFromStart};
}

void ApplyNetPage(const NetPage& page, TSettings& s) {
    s.RemoteHost = Bytes(page.host);
    s.RemotePort = PortFromText(page.port);
    s.IsSendResult = page.sendResult;
    s.IsAutoGetTestFromStart = page.autoGetTestFromStart;
}

NetPageEnabled NetPageRules(const NetPage& page) {
    return {page.sendResult, !TrimmedCp1251(page.host).isEmpty() && !TrimmedCp1251(page.port).isEmpty()};
}

bool PortKeyAccepted(const QString& typedText, Qt::KeyboardModifiers modifiers) {
    if (typedText.isEmpty() || (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return true;
    for (const QChar c : typedText) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool dialogKey = c == u'\b' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\x1b';
        if (!digit && !dialogKey)
            return false;
    }
    return true;
}

// ---- Папки ---------------------------------------------------------------------------------

FolderPage FolderPageFrom(const TSettings& s) {
    return {Text(s.InitialDirOpenTest), Text(s.DirForResult)};
}

void ApplyFolderPage(const FolderPage& page, TSettings& s) {
    s.InitialDirOpenTest = TrimmedCp1251(page.initialDirOpenTest);
    s.DirForResult = TrimmedCp1251(page.dirForResult);
}

// ---- Збер. рез. ----------------------------------------------------------------------------

SaveResultPage SaveResultPageFrom(const TSettings& s) {
    return {s.IsSaveResult, Text(s.ResultFileName), s.IsSaveProtectionResult,
            Text(s.ProtectionResultFileName)};
}

void ApplySaveResultPage(const SaveResultPage& page, TSettings& s) {
    const TSettings defaults;
    s.IsSaveResult = page.saveResult;
    s.ResultFileName = Bytes(page.resultFileName);
    if (TrimBlanks(s.ResultFileName).isEmpty())
        s.ResultFileName = defaults.ResultFileName;
    s.IsSaveProtectionResult = page.saveProtectionResult;
    s.ProtectionResultFileName = Bytes(page.protectionResultFileName);
    if (TrimBlanks(s.ProtectionResultFileName).isEmpty())
        s.ProtectionResultFileName = defaults.ProtectionResultFileName;
}

// ---- Вивід рез. ----------------------------------------------------------------------------

ShowResultPage ShowResultPageFrom(const TSettings& s) {
    return {s.IsShowUserResult, s.IsShowDetailReportModeEducation, s.IsShowDetailReportModeNormal};
}

void ApplyShowResultPage(const ShowResultPage& page, TSettings& s) {
    s.IsShowUserResult = page.showUserResult;
    s.IsShowDetailReportModeEducation = page.showDetailReportModeEducation;
    s.IsShowDetailReportModeNormal = page.showDetailReportModeNormal;
}

// ---- Кольори -------------------------------------------------------------------------------

ColorsPage ColorsPageFrom(const TSettings& s) {
    ColorsPage page{};
    page[0] = s.ColorCorrect;
    page[1] = s.ColorError;
    for (size_t i = 0; i < s.ColorCollation.size(); ++i)
        page[i + 2] = s.ColorCollation[i];
    return page;
}

void ApplyColorsPage(const ColorsPage& page, TSettings& s) {
    s.ColorCorrect = page[0];
    s.ColorError = page[1];
    for (size_t i = 0; i < s.ColorCollation.size(); ++i)
        s.ColorCollation[i] = page[i + 2];
}

// ---- Ім’я ----------------------------------------------------------------------------------

UserNamePage UserNamePageFrom(const TSettings& s) {
    UserNamePage page;
    page.defaultUserName = Text(s.DefaultUserName);
    page.userNameExpression = Text(s.UserNameExpression);
    page.userNameExample = Text(s.UserNameExample);
    page.titleUserName = Text(s.TitleUserName);
    page.defaultUserGroup = Text(s.DefaultUserGroup);
    page.userGroupExpression = Text(s.UserGroupExpression);
    page.userGroupExample = Text(s.UserGroupExample);
    page.titleUserGroup = Text(s.TitleUserGroup);
    page.saveLastUser = s.IsSaveLastUser;
    return page;
}

void ApplyUserNamePage(const UserNamePage& page, TSettings& s) {
    s.TitleUserName = Bytes(page.titleUserName);
    s.TitleUserGroup = Bytes(page.titleUserGroup);
    s.DefaultUserName = Bytes(page.defaultUserName);
    s.UserNameExpression = Bytes(page.userNameExpression);
    s.UserNameExample = Bytes(page.userNameExample);
    s.DefaultUserGroup = Bytes(page.defaultUserGroup);
    s.UserGroupExpression = Bytes(page.userGroupExpression);
    s.UserGroupExample = Bytes(page.userGroupExample);
    s.IsSaveLastUser = page.saveLastUser;
}

// ---- Звук ----------------------------------------------------------------------------------

SoundPage SoundPageFrom(const TSettings& s) {
    return {s.IsUseSound, !s.IsUseDefaultSound, Text(s.SoundFileName), Text(s.SoundFileDir)};
}

void ApplySoundPage(const SoundPage& page, TSettings& s) {
    s.IsUseSound = page.useSound;
    if (page.useSound && page.userSoundFile) {
        s.IsUseDefaultSound = false;
        s.SoundFileName = TrimmedCp1251(page.fileName);
        s.SoundFileDir = TrimmedCp1251(page.fileDir);
    } else {
        s.IsUseDefaultSound = true;
        s.SoundFileName.clear();
        s.SoundFileDir.clear();
    }
}

SoundPageEnabled SoundPageRules(const SoundPage& page) {
    return {page.useSound, page.useSound && page.userSoundFile};
}

EndSoundChoice TrialSound(const SoundPage& page, const QString& programFolder) {
    if (!page.userSoundFile)
        return {EndSoundChoice::BuiltIn, {}};
    const QByteArray dir = TrimmedCp1251(page.fileDir);
    QString folder = dir.isEmpty() ? programFolder : Text(dir);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return {EndSoundChoice::WaveFile, folder + Text(TrimmedCp1251(page.fileName))};
}

SoundFileParts SplitSoundFile(const QString& path) {
    const QFileInfo info(path);
    QString dir = info.path();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return {info.fileName(), dir};
}

// ---- Пароль --------------------------------------------------------------------------------

PasswordPage PasswordPageFrom(const QByteArray& stored) {
    if (stored.isEmpty())
        return {};
    return {true, Text(stored)};
}

PasswordChange ApplyPasswordPage(const PasswordPage& page) {
    const QByteArray trimmed = TrimmedCp1251(page.password);
    if (page.usePassword)
        return {PasswordChange::Write, trimmed};
    if (!trimmed.isEmpty())
        return {PasswordChange::Remove, {}};
    return {PasswordChange::Write, {}};
}
