#include "EndSound.h"

#include "Settings.h"

#include "model/TextCodec.h"

EndSoundChoice ChooseEndSound(const TSettings& settings, const QString& programFolder) {
    if (!settings.IsUseSound)
        return {};
    if (settings.IsUseDefaultSound)
        return {EndSoundChoice::BuiltIn, {}};
    QString folder =
        settings.SoundFileDir.isEmpty() ? programFolder : TextCodec::FromCp1251(settings.SoundFileDir);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return {EndSoundChoice::WaveFile, folder + TextCodec::FromCp1251(settings.SoundFileName)};
}
