#pragma once
// The program's five windows, created at start in a fixed order: the main window first, whose
// closing ends the program, then the four it shows modally.

namespace kvqor::app {

class Dialogs;
class WindowHost;
class PortOpener;
class TQORForm;
class TAboutBox;
class TEditForm;
class TFuseForm;
class TAdapterForm;

// The application's title and icon, set before any window is made.
void SetUpApplication();

struct Forms {
    TQORForm* QORForm;
    TAboutBox* AboutBox;
    TEditForm* EditForm;
    TFuseForm* FuseForm;
    TAdapterForm* AdapterForm;
};

// The four others belong to the main window and go with it. `host` and `ports` as for TQORForm.
Forms CreateForms(Dialogs& dialogs, WindowHost* host = nullptr, PortOpener* ports = nullptr);

}  // namespace kvqor::app
