#include "MainActions.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace {

QAction* Make(QWidget& window, const char* name, const QString& caption, const QKeySequence& shortcut = {},
              int tag = 0) {
    auto* action = new QAction(caption, &window);
    action->setObjectName(QLatin1String(name));
    action->setData(tag);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    window.addAction(action);
    return action;
}

QAction* Checkable(QAction* action) {
    action->setCheckable(true);
    return action;
}

} // namespace

MainActions MainActions::Create(QWidget& w) {
    MainActions a;
    a.openTest = Make(w, "AOpenTest", QStringLiteral("&Відкрити..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    a.getTest = Make(w, "AGetTest", QStringLiteral("Отримати по мережі"));
    a.closeTest = Make(w, "ACloseTest", QStringLiteral("Закрити"));
    a.exit = Make(w, "AExit", QStringLiteral("В&ихід"));
    a.showTestInfo = Make(w, "AShowTestInfo", QStringLiteral("Інформація"));
    a.showTestInstruction = Make(w, "aShowTestInstruction", QStringLiteral("Інструкція до тесту"));
    a.beginTest = Make(w, "ABeginTest", QStringLiteral("Розпочати тест"), QKeySequence(Qt::Key_F5));
    a.endTest = Make(w, "AEndTest", QStringLiteral("Закінчити тест"));
    a.fontSizeUp = Checkable(Make(w, "AFontSizeUp", QStringLiteral("Крупніше"), {}, 1));
    a.fontSizeNormal = Checkable(Make(w, "AFontSizeNormal", QStringLiteral("Нормальний"), {}, 0));
    a.fontSizeDown = Checkable(Make(w, "AFontSizeDown", QStringLiteral("Дрібніше"), {}, -1));
    a.zoomUp =
        Checkable(Make(w, "aZoomUp", QStringLiteral("Крупніше"), QKeySequence(Qt::CTRL | Qt::Key_U), 10));
    a.zoomNormal = Checkable(Make(w, "aZoomNormal", QStringLiteral("Звичайний  (100%)"), {}, 0));
    a.zoomDown =
        Checkable(Make(w, "aZoomDown", QStringLiteral("Дрібніше"), QKeySequence(Qt::CTRL | Qt::Key_D), -10));
    a.isUseWindowSettings =
        Checkable(Make(w, "AIsUseWindowSettings", QStringLiteral("Використовувати налаштування вікна")));
    a.isSaveResult = Checkable(Make(w, "AIsSaveResult", QStringLiteral("Зберігати результати")));
    a.isSaveProtectionResult =
        Checkable(Make(w, "AIsSaveProtectionResult", QStringLiteral("Зберігати зах. результати")));
    a.isSaveConfig = Checkable(Make(w, "AIsSaveConfig", QStringLiteral("Зберігати налаштування при виході")));
    a.additionConfig = Make(w, "AAdditionConfig", QStringLiteral("Додаткові налаштування..."));
    a.saveConfigNow = Make(w, "ASaveConfigNow", QStringLiteral("Зберегти налаштування зараз"));
    a.loadConfigNow = Make(w, "ALoadConfigNow", QStringLiteral("Завантажити налаштування зараз"));
    a.showHelp = Make(w, "AShowHelp", QStringLiteral("Перегляд довідки"), QKeySequence(Qt::Key_F1));
    a.showLicense = Make(w, "AShowLicense", QStringLiteral("Ліцензія"));
    a.showDonate = Make(w, "AShowDonate", QStringLiteral("Підтримати програму"));
    a.showAbout = Make(w, "AShowAbout", QStringLiteral("Про програму"));
    a.checkAskTask = Make(w, "ACheckAskTask", QStringLiteral("Наступне (перевірити)"));
    a.iDoNotKnow = Make(w, "aIDoNotKnow", QStringLiteral("Я не знаю..."));
    a.iDoNotKnow->setVisible(false);
    a.skippingTask = Make(w, "aSkippingTask", QStringLiteral("Пропустити..."));
    a.skippingTask->setVisible(false);
    a.showPromptTask = Make(w, "aShowPromptTask", QStringLiteral("Показати підказку"));
    a.showREtoViewer = Make(w, "aShowREtoViewer", QString(), QKeySequence(Qt::Key_F10));
    a.showQuestionImage = Make(w, "AShowQuestionImage", QString());
    a.askTask = Make(w, "AAskTask", QString());
    // Alt with the key of "=" and "+".
    a.calcExe =
        Make(w, "aCalcExe", QStringLiteral("Запустити калькулятор"), QKeySequence(Qt::ALT | Qt::Key_Equal));
    return a;
}

QList<QAction*> MainActions::All() const {
    return {openTest,
            getTest,
            closeTest,
            exit,
            showTestInfo,
            showTestInstruction,
            beginTest,
            endTest,
            fontSizeUp,
            fontSizeNormal,
            fontSizeDown,
            zoomUp,
            zoomNormal,
            zoomDown,
            isUseWindowSettings,
            isSaveResult,
            isSaveProtectionResult,
            isSaveConfig,
            additionConfig,
            saveConfigNow,
            loadConfigNow,
            showHelp,
            showLicense,
            showDonate,
            showAbout,
            checkAskTask,
            iDoNotKnow,
            skippingTask,
            showPromptTask,
            showREtoViewer,
            showQuestionImage,
            askTask,
            calcExe};
}
