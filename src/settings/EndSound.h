#pragma once
// Which sound ends a test, decided apart from playing it so that the decision can be tested.
#include <QString>

struct TSettings;

struct EndSoundChoice {
    enum Kind {
        Silent,   // sounds are switched off
        BuiltIn,  // the program's own wave ENDTEST
        WaveFile, // the user's wave file at `path`; when it cannot be played, the system's alert
    };
    Kind kind = Silent;
    QString path;
};

// `SoundFileDir` (or the program's folder when empty), a separator, and `SoundFileName`. With both
// empty the path is the program's folder alone, which cannot be played.
EndSoundChoice ChooseEndSound(const TSettings& settings, const QString& programFolder);
