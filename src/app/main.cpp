// The program's start: the application, its five windows in their fixed order, the event loop.

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include "app/Dialogs.h"
#include "app/Forms.h"
#include "app/ProgramInfo.h"
#include "app/QORForm.h"

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (kvqor::app::IsInfoRequest(arguments)) {
        // Answered without the window system, so that it works with no display.
        const QCoreApplication core(argc, argv);
        QTextStream out(stdout);
        return kvqor::app::AnswerInfoRequest(
            arguments,
            kvqor::app::FindHelpFile(QCoreApplication::applicationDirPath(), kvqor::app::kHelpFileName), out);
    }

    QApplication app(argc, argv);
    kvqor::app::SetUpApplication();

    kvqor::app::QtDialogs dialogs;
    const kvqor::app::Forms forms = kvqor::app::CreateForms(dialogs);
    dialogs.SetParent(forms.QORForm);
    forms.QORForm->show();
    const int result = QApplication::exec();
    delete forms.QORForm;  // the other four go with it
    return result;
}
