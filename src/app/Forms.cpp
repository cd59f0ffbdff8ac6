#include "app/Forms.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include "app/AboutBox.h"
#include "app/AdapterForm.h"
#include "app/EditForm.h"
#include "app/FuseForm.h"
#include "app/Pictures.h"
#include "app/QORForm.h"

namespace kvqor::app {

void SetUpApplication() {
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setApplicationDisplayName(kApplicationTitle);
    // The installed icon when there is one, so the window matches its menu entry.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("kvqor"), QIcon(QPixmap::fromImage(AboutPicture()))));
    QGuiApplication::setDesktopFileName(QStringLiteral("kvqor"));
}

Forms CreateForms(Dialogs& dialogs, WindowHost* host, PortOpener* ports) {
    Forms f{};
    f.QORForm = new TQORForm(dialogs, host, ports);
    f.AboutBox = new TAboutBox(f.QORForm);
    f.EditForm = new TEditForm(f.QORForm);
    f.FuseForm = new TFuseForm(f.QORForm->GetSession().GetLink(), f.QORForm);
    f.AdapterForm = new TAdapterForm(f.QORForm);
    f.QORForm->SetWindows(f.AboutBox, f.EditForm, f.FuseForm, f.AdapterForm);
    return f;
}

}  // namespace kvqor::app
