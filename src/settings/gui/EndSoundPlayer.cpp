#include "EndSoundPlayer.h"

#include "settings/EndSound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>

EndSoundPlayer::EndSoundPlayer(QObject* parent) : QObject(parent) {}

EndSoundPlayer::~EndSoundPlayer() = default;

void EndSoundPlayer::Play(const EndSoundChoice& choice) {
    switch (choice.kind) {
    case EndSoundChoice::Silent:
        return;
    case EndSoundChoice::BuiltIn:
        PlayUrl(QUrl(BuiltInUrl), false);
        return;
    case EndSoundChoice::WaveFile:
        if (!QFileInfo(choice.path).isFile()) {
            QApplication::beep();
            return;
        }
        PlayUrl(QUrl::fromLocalFile(choice.path), true);
        return;
    }
}

void EndSoundPlayer::PlayUrl(const QUrl& url, bool alertOnFailure) {
    // A new effect per sound: the previous one may still be loading another file.
    m_effect = std::make_unique<QSoundEffect>();
    QSoundEffect* effect = m_effect.get();
    if (alertOnFailure) {
        connect(effect, &QSoundEffect::statusChanged, this, [effect] {
            if (effect->status() == QSoundEffect::Error)
                QApplication::beep();
        });
    }
    // The effect loads asynchronously; play once it is ready.
    connect(effect, &QSoundEffect::statusChanged, this, [effect] {
        if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
            effect->play();
    });
    effect->setSource(url);
    if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
        effect->play();
}
