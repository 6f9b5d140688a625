#pragma once
// Plays the end-of-test sound without waiting for it. The built-in chime is a resource; a user's
// wave file that is missing or cannot be played gives the system's alert instead. Having no sound
// device is not an error: then nothing is heard.
#include <QObject>
#include <QUrl>

#include <memory>

class QSoundEffect;
struct EndSoundChoice;

class EndSoundPlayer : public QObject {
    Q_OBJECT
public:
    static inline const QString BuiltInUrl = QStringLiteral("qrc:/sounds/ENDTEST.wav");

    explicit EndSoundPlayer(QObject* parent = nullptr);
    ~EndSoundPlayer() override;

    void Play(const EndSoundChoice& choice);

private:
    void PlayUrl(const QUrl& url, bool alertOnFailure);

    std::unique_ptr<QSoundEffect> m_effect;
};
