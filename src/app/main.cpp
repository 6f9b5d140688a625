#include "GuiPrompts.h"
#include "WindowCaption.h"
#include "model/AppPaths.h"
#include "model/TestLoader.h"
#include "model/TextCodec.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quizar3"));
    QApplication::setApplicationName(QStringLiteral("QuizarStudent"));

    QMainWindow window;
    window.setObjectName(QStringLiteral("StudentMainForm"));
    auto* title = new QLabel(&window);
    title->setObjectName(QStringLiteral("TestTitleLabel"));
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    title->setFont(f);
    window.setCentralWidget(title);
    window.resize(800, 600);
    window.setWindowTitle(WindowCaption(false, {}));
    window.show();

    GuiPrompts prompts(&window);
    std::unique_ptr<LoadedTest> loaded;
    const QStringList args = app.arguments();
    if (args.size() > 1) {
        const AppPaths paths = AppPaths::Default();
        LoadOptions options;
        options.TempRoot = paths.tempFolder;
        options.ProgramFolder = paths.programFolder;
        options.Ask = &prompts;
        options.Now = QDateTime::currentDateTime();
        LoadTestResult result = LoadTest(args[1], nullptr, options);
        if (result.Ok()) {
            loaded = std::move(result.Loaded);
            window.setWindowTitle(WindowCaption(true, loaded->Test->FileName));
            title->setText(TextCodec::FromCp1251(loaded->Test->Title));
        } else if (!LoadFailureText(result.Failure).isEmpty()) {
            prompts.ShowMessage(LoadFailureCaption(), LoadFailureText(result.Failure), MsgIcon::Error);
        }
    }
    return app.exec();
}
