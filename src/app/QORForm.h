#pragma once
// The main window: counters, port and programmer code, the run display with Run and Stop/Exit,
// the part and buffer fields, the menus. Every device function is reached from here; the rules
// live in the Session, the window shows what it is told and turns clicks into calls.

#include <QComboBox>
#include <QMainWindow>
#include <array>
#include <memory>

#include "app/Dialogs.h"
#include "app/Ports.h"
#include "app/WindowHost.h"
#include "device/Notice.h"
#include "device/Workspace.h"
#include "ops/Display.h"
#include "ops/Session.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace kvqor::app {

class TAboutBox;
class TEditForm;
class TFuseForm;
class TAdapterForm;

inline const QString kMainCaption = QStringLiteral("KV-QOR V3.01......Micro Controller Programmer");
inline const QString kHelpFileName = QStringLiteral("QORWIN1.html");
inline const QString kOpenFilter = QStringLiteral("All Hex  Files (*.Hex,*.Rom)|*.HEX;*.ROM");
inline const QString kSaveFilter = QStringLiteral("All Hex  Files (*.Hex)|*.Hex");
inline const QString kOverwriteQuestion = QStringLiteral("Do you want to overwrite?");

// A drop-down box that tells before its list opens, so the list can be brought up to date.
class ListBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void AboutToShowList();
};

class TQORForm : public QMainWindow, public Display {
    Q_OBJECT
public:
    // `host` and `ports` may be left out: the window then makes the desktop's own. Tests pass a
    // host on a virtual clock and ports of their own. Neither is owned when passed.
    explicit TQORForm(Dialogs& dialogs, WindowHost* host = nullptr, PortOpener* ports = nullptr,
                      QWidget* parent = nullptr);
    ~TQORForm() override;

    // The other four windows, created after this one; shown modally from here.
    void SetWindows(TAboutBox* about, TEditForm* edit, TFuseForm* fuse, TAdapterForm* adapter);

    Session& GetSession() { return *session_; }
    Workspace& GetWorkspace() { return session_->GetWorkspace(); }

    // Where Help looks for the user guide; beside the program unless set.
    void SetHelpFile(const QString& path) { helpFile_ = path; }
    const QString& HelpFile() const { return helpFile_; }

    // --- Display
    void ApplyRunState(RunState state, std::string_view title) override;
    void SetLine(int line, std::string_view text) override;
    void ShowGauge(std::uint16_t max) override;
    void SetProgress(std::uint16_t value) override;
    void HideGauge() override;
    void ShowCounters(std::uint8_t passTotal, std::uint8_t failTotal) override;
    void WorkspaceChanged() override;

    // --- handlers
    void SelectComPortChange(int index);
    void CheckQORClick();
    void SelectDeviceChange(int index);
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileBufferExecute();
    void FileExit1Execute();
    void HelpAbout1Execute();
    void QORHelpItemClick();
    void ResetCountClick();
    void StartRunClick();
    void StopRunClick();
    void FuseClick();
    void RunDeviceCommand(Operation op);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    void BuildMenus();
    void FormCreate();

    // The one place that decides which controls are usable: the run state of the table, plus
    // Connect and the port box held off while an identification waits.
    void ApplyControls();
    void ShowNotices(const Notices& notices);
    void ShowWorkspaceFields();
    void RefreshPortList();
    // Runs an identification (ReadVersion, or Connect's retry) with Connect and the port box held.
    void Identify(void (Session::*exchange)());
    // A close that came while an operation or identification was on the stack.
    void CloseIfPending();

    Dialogs& dialogs_;
    std::unique_ptr<WindowHost> ownHost_;
    std::unique_ptr<PortOpener> ownPorts_;
    WindowHost& host_;
    PortOpener& ports_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<Wire> wire_;
    QString openPort_;  // the box entry whose port is open; empty when none

    TAboutBox* aboutBox_ = nullptr;
    TEditForm* editForm_ = nullptr;
    TFuseForm* fuseForm_ = nullptr;
    TAdapterForm* adapterForm_ = nullptr;
    QString helpFile_;

    RunState runState_ = RunState::Idle;
    bool identifying_ = false;
    bool closePending_ = false;

    // Controls, by their form names.
    QLabel* PassCount = nullptr;
    QLabel* FailCount = nullptr;
    QPushButton* ResetCount = nullptr;
    ListBox* SelectComPort = nullptr;
    QLineEdit* QOR_Code = nullptr;
    QPushButton* CheckQOR = nullptr;
    QLabel* DisplayCommand = nullptr;
    std::array<QLabel*, kResultLines> DisplayRun{};
    QProgressBar* PercentRun = nullptr;
    QPushButton* StartRun = nullptr;
    QPushButton* StopRun = nullptr;
    QComboBox* SelectDevice = nullptr;
    QLineEdit* Device_Algo = nullptr;
    QLineEdit* Device_Vpp = nullptr;
    QLineEdit* Device_End = nullptr;
    QLineEdit* SelectFileName = nullptr;
    QLineEdit* Buffer_End = nullptr;
    QLineEdit* Buffer_Sum = nullptr;

    QMenu* File1 = nullptr;
    QMenu* Operation1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* FileBuffer = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* QORHelpItem = nullptr;
    QAction* HelpAbout1 = nullptr;
    std::array<QAction*, kDeviceEntryCount> deviceEntries_{};
};

}  // namespace kvqor::app
