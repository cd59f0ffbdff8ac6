#include "app/Forms.h"

#include "app/AboutBox.h"
#include "app/AdapterForm.h"
#include "app/EditForm.h"
#include "app/FuseForm.h"
#include "app/QORForm.h"

namespace kvqor::app {

Forms CreateForms(Dialogs& dialogs, WindowHost* host, PortOpener* ports) {
    Forms f{};
    f.QORForm = new TQORForm(dialogs, host, ports);
    f.AboutBox = new TAboutBox(f.QORForm);
    f.EditForm = new TEditForm(f.QORForm);
    f.FuseForm = new TFuseForm(f.QORForm);
    f.AdapterForm = new TAdapterForm(f.QORForm);
    f.QORForm->SetWindows(f.AboutBox, f.EditForm, f.FuseForm, f.AdapterForm);
    return f;
}

}  // namespace kvqor::app
