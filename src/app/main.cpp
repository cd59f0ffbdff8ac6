// The program's start: the application, its five windows in their fixed order, the event loop.

#include <QApplication>

#include "app/Dialogs.h"
#include "app/Forms.h"
#include "app/QORForm.h"

int main(int argc, char* argv[]) {
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
