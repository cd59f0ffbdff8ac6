#include "app/QORForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "app/AboutBox.h"
#include "app/AdapterForm.h"
#include "app/DesktopPorts.h"
#include "app/EditForm.h"
#include "app/Fonts.h"
#include "app/FuseForm.h"
#include "app/ProgramInfo.h"
#include "device/Catalogue.h"
#include "link/PortName.h"
#include "ops/Texts.h"

namespace kvqor::app {

namespace {

// A hint as the program gives it: the short part as tooltip, the long part in the status bar.
void Hint(QWidget* w, const QString& shortHint, const QString& longHint = {}) {
    w->setToolTip(shortHint);
    w->setStatusTip(longHint.isEmpty() ? shortHint : longHint);
}

QFrame* Frame(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return f;
}

QLineEdit* Field(QWidget* parent, const char* name, int chars, bool enabled) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setEnabled(enabled);
    e->setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(chars, QLatin1Char('0'))) + 12);
    return e;
}

const QColor kYellow(0xFF, 0xFF, 0x00);  // clYellow
const QColor kBlue(0x00, 0x00, 0xFF);    // clBlue
const QColor kBlack(0x00, 0x00, 0x00);   // clBlack

constexpr int kWindowLineHeight = 17;
constexpr int kUpperResultLineHeight = 20;
constexpr int kLowerResultLineHeight = 16;

}  // namespace

void ListBox::showPopup() {
    emit AboutToShowList();
    QComboBox::showPopup();
}

TQORForm::TQORForm(Dialogs& dialogs, WindowHost* host, PortOpener* ports, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      ownHost_(host ? nullptr : std::make_unique<WindowHost>(dialogs)),
      ownPorts_(ports ? nullptr : MakeDesktopPorts()),
      host_(host ? *host : *ownHost_),
      ports_(ports ? *ports : *ownPorts_),
      helpFile_(FindHelpFile(QCoreApplication::applicationDirPath(), kHelpFileName)) {
    session_ = std::make_unique<Session>(host_, *this);
    setObjectName(QStringLiteral("QORForm"));
    setWindowTitle(kMainCaption);
    BuildWindow();
    BuildMenus();
    host_.SetStatusSink([this](const QString& text) { statusBar()->showMessage(text); });
    FormCreate();
}

TQORForm::~TQORForm() {
    // The session talks over the wire; it must not outlive it.
    session_->AttachWire(nullptr, {});
}

void TQORForm::SetWindows(TAboutBox* about, TEditForm* edit, TFuseForm* fuse, TAdapterForm* adapter) {
    aboutBox_ = about;
    editForm_ = edit;
    fuseForm_ = fuse;
    adapterForm_ = adapter;
    if (editForm_) {
        editForm_->SetRowSource([this] {
            QStringList rows;
            for (const std::string& row : GetWorkspace().ShowHexData())
                rows << QString::fromStdString(row);
            return rows;
        });
    }
}

// --- building

void TQORForm::BuildWindow() {
    auto* central = new QWidget(this);
    central->setFont(FixedPitchFont(kWindowLineHeight));
    setCentralWidget(central);

    // Top left: the counters.
    auto* counters = Frame(central, "Panel1");
    PassCount = new QLabel(counters);
    PassCount->setObjectName(QStringLiteral("PassCount"));
    FailCount = new QLabel(counters);
    FailCount->setObjectName(QStringLiteral("FailCount"));
    ResetCount = new QPushButton(QStringLiteral("Reset"), counters);
    ResetCount->setObjectName(QStringLiteral("ResetCount"));
    Hint(ResetCount, QStringLiteral("Reset Status Counter"));
    connect(ResetCount, &QPushButton::clicked, this, &TQORForm::ResetCountClick);
    auto* countersLayout = new QGridLayout(counters);
    countersLayout->addWidget(PassCount, 0, 0);
    countersLayout->addWidget(FailCount, 1, 0);
    countersLayout->addWidget(ResetCount, 0, 1, 2, 1, Qt::AlignVCenter);
    countersLayout->setColumnMinimumWidth(
        0, PassCount->fontMetrics().horizontalAdvance(QStringLiteral("Success : 255")));

    // Top right: port, programmer code, Connect.
    auto* port = Frame(central, "Panel2");
    SelectComPort = new ListBox(port);
    SelectComPort->setObjectName(QStringLiteral("SelectComPort"));
    SelectComPort->setEditable(false);
    SelectComPort->setMinimumContentsLength(20);
    SelectComPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Hint(SelectComPort, QStringLiteral("Select Comport To Connect"));
    connect(SelectComPort, &ListBox::AboutToShowList, this, &TQORForm::RefreshPortList);
    connect(SelectComPort, &QComboBox::activated, this, &TQORForm::SelectComPortChange);
    QOR_Code = Field(port, "QOR_Code", 10, true);
    CheckQOR = new QPushButton(QStringLiteral("Connect"), port);
    CheckQOR->setObjectName(QStringLiteral("CheckQOR"));
    Hint(CheckQOR, QStringLiteral("Check Hardware Connection"));
    connect(CheckQOR, &QPushButton::clicked, this, &TQORForm::CheckQORClick);
    auto* portLayout = new QGridLayout(port);
    portLayout->addWidget(new QLabel(QStringLiteral("Comport "), port), 0, 0);
    portLayout->addWidget(SelectComPort, 0, 1);
    portLayout->addWidget(new QLabel(QStringLiteral("Bios Code"), port), 1, 0);
    portLayout->addWidget(QOR_Code, 1, 1);
    portLayout->addWidget(CheckQOR, 0, 2, 2, 1, Qt::AlignVCenter);

    // Bottom left: what runs, its six result lines, the gauge, Run and Stop/Exit.
    auto* run = Frame(central, "Panel3");
    DisplayCommand = new QLabel(run);
    DisplayCommand->setObjectName(QStringLiteral("DisplayCommand"));
    QFont titleFont = FixedPitchFont(kUpperResultLineHeight + 2);
    titleFont.setBold(true);
    DisplayCommand->setFont(titleFont);
    DisplayCommand->setAlignment(Qt::AlignCenter);
    DisplayCommand->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(QString(20, QLatin1Char('W'))));
    auto* runLayout = new QVBoxLayout(run);
    runLayout->addWidget(DisplayCommand);
    const QFont upper = FixedPitchFont(kUpperResultLineHeight);
    const QFont lower = FixedPitchFont(kLowerResultLineHeight);
    for (int i = 0; i < kResultLines; ++i) {
        auto* line = new QLabel(run);
        line->setObjectName(QStringLiteral("DisplayRun%1").arg(i + 1));
        // Lines 4 to 6 are the lower steps of the automatic sequence, in a smaller size.
        line->setFont(i < 3 ? upper : lower);
        line->setMinimumHeight(QFontMetrics(line->font()).height());
        line->setTextFormat(Qt::PlainText);
        DisplayRun[static_cast<std::size_t>(i)] = line;
        runLayout->addWidget(line);
    }
    PercentRun = new QProgressBar(run);
    PercentRun->setObjectName(QStringLiteral("PercentRun"));
    QPalette gauge = PercentRun->palette();
    gauge.setColor(QPalette::Highlight, kBlue);
    PercentRun->setPalette(gauge);
    PercentRun->setVisible(false);
    // Keeps its room while hidden, so the window does not change size with every pass.
    QSizePolicy keep = PercentRun->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    PercentRun->setSizePolicy(keep);
    runLayout->addWidget(PercentRun);
    StartRun = new QPushButton(QStringLiteral("Run"), run);
    StartRun->setObjectName(QStringLiteral("StartRun"));
    Hint(StartRun, QStringLiteral("Run Command"));
    connect(StartRun, &QPushButton::clicked, this, &TQORForm::StartRunClick);
    StopRun = new QPushButton(QStringLiteral("Exit"), run);
    StopRun->setObjectName(QStringLiteral("StopRun"));
    Hint(StopRun, QStringLiteral("Stop or Exit Command"));
    connect(StopRun, &QPushButton::clicked, this, &TQORForm::StopRunClick);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(StartRun);
    buttons->addWidget(StopRun);
    runLayout->addLayout(buttons);

    // Bottom right: the part and the buffer.
    auto* part = Frame(central, "Panel4");
    SelectDevice = new QComboBox(part);
    SelectDevice->setObjectName(QStringLiteral("SelectDevice"));
    SelectDevice->setEditable(true);
    SelectDevice->setInsertPolicy(QComboBox::NoInsert);
    SelectDevice->setCompleter(nullptr);
    for (const StructureDevice& d : DeviceTable)
        SelectDevice->addItem(ToQString(d.DeviceName));
    SelectDevice->setMinimumContentsLength(10);
    Hint(SelectDevice, QStringLiteral("Select Device To Program"));
    connect(SelectDevice, &QComboBox::activated, this, &TQORForm::SelectDeviceChange);
    // Typing into the box is a change without a chosen entry.
    connect(SelectDevice->lineEdit(), &QLineEdit::textEdited, this, [this] { SelectDeviceChange(-1); });
    Device_Algo = Field(part, "Device_Algo", 10, false);
    Device_Vpp = Field(part, "Device_Vpp", 10, false);
    Device_End = Field(part, "Device_End", 10, false);
    SelectFileName = Field(part, "SelectFileName", 16, false);
    Buffer_End = Field(part, "Buffer_End", 10, false);
    Buffer_Sum = Field(part, "Buffer_Sum", 10, false);
    auto* partLayout = new QGridLayout(part);
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* w) {
        partLayout->addWidget(new QLabel(caption, part), row, 0);
        partLayout->addWidget(w, row, 1);
        ++row;
    };
    addRow(QStringLiteral("Device"), SelectDevice);
    addRow(QStringLiteral("Algorithm"), Device_Algo);
    addRow(QStringLiteral("+VPP Volt"), Device_Vpp);
    addRow(QStringLiteral("Device End"), Device_End);
    addRow(QStringLiteral("File Name"), SelectFileName);
    addRow(QStringLiteral("Buffer End"), Buffer_End);
    addRow(QStringLiteral("Checksum"), Buffer_Sum);
    partLayout->setRowStretch(row, 1);

    auto* grid = new QGridLayout(central);
    grid->addWidget(counters, 0, 0);
    grid->addWidget(port, 0, 1);
    grid->addWidget(run, 1, 0);
    grid->addWidget(part, 1, 1);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(false);
    // Fixed size: the window is as big as its contents and no bigger.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TQORForm::BuildMenus() {
    auto action = [this](const char* name, const QString& caption, const QKeySequence& key,
                         const QString& hint, void (TQORForm::*handler)()) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        a->setStatusTip(hint);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto themed = [this](const char* theme, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(theme), style()->standardIcon(fallback));
    };

    File1 = menuBar()->addMenu(QStringLiteral("File"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->menuAction()->setStatusTip(QStringLiteral("Active File Command"));
    FileOpen1 = action("FileOpen1", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
                       QStringLiteral("Open Intel-Hex File To Buffer"), &TQORForm::FileOpen1Execute);
    FileOpen1->setIcon(themed("document-open", QStyle::SP_DialogOpenButton));
    FileSave1 = action("FileSave1", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                       QStringLiteral("Save Intel-Hex File From Buffer"), &TQORForm::FileSave1Execute);
    FileSave1->setIcon(themed("document-save", QStyle::SP_DialogSaveButton));
    FileBuffer = action("FileBuffer", QStringLiteral("&Buffer"), QKeySequence(Qt::CTRL | Qt::Key_B),
                        QStringLiteral("Display Hex Data From Buffer"), &TQORForm::FileBufferExecute);
    FileBuffer->setToolTip(QStringLiteral("Display Hex Buffer"));
    FileBuffer->setIcon(themed("document-preview", QStyle::SP_FileDialogContentsView));
    FileExit1 = action("FileExit1", QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X),
                       QStringLiteral("Exit QOR Application"), &TQORForm::FileExit1Execute);
    File1->addAction(FileOpen1);
    File1->addAction(FileSave1);
    File1->addAction(FileBuffer);
    File1->addSeparator();
    File1->addAction(FileExit1);

    Operation1 = menuBar()->addMenu(QStringLiteral("Device"));
    Operation1->setObjectName(QStringLiteral("Operation1"));
    Operation1->menuAction()->setStatusTip(QStringLiteral("Active Device Run Command"));
    struct EntrySetup {
        DeviceEntry entry;
        const char* hint;
        std::optional<Operation> op;  // none for Fuse, which opens its own window
    };
    const std::array<EntrySetup, kDeviceEntryCount> entries{{
        {DeviceEntry::Erase, "Erase Device", Operation::Erase},
        {DeviceEntry::Blank, "Device Data Blank Check", Operation::Blank},
        {DeviceEntry::Program, "Program Flash on Device From Buffer", Operation::Program},
        {DeviceEntry::Verify, "Verify Flash on Device With Buffer", Operation::Verify},
        {DeviceEntry::Lock1, "Program Lock Bit 1", Operation::Lock1},
        {DeviceEntry::Lock2, "Program Lock Bit 1,2", Operation::Lock2},
        {DeviceEntry::Lock3, "Program Lock Bit 1,2,3", Operation::Lock3},
        {DeviceEntry::Fuse, "Edit & Display Fuse Bit", std::nullopt},
        {DeviceEntry::Read, "Read Flash From Device To Buffer", Operation::Read},
        {DeviceEntry::Auto, "", Operation::Auto},
    }};
    for (const EntrySetup& e : entries) {
        const DeviceEntryInfo& info = InfoOf(e.entry);
        auto* a = new QAction(ToQString(info.caption), this);
        a->setObjectName(ToQString(info.objectName));
        a->setStatusTip(QString::fromLatin1(e.hint));
        a->setEnabled(false);
        if (e.op) {
            const Operation op = *e.op;
            connect(a, &QAction::triggered, this, [this, op] { RunDeviceCommand(op); });
        } else {
            connect(a, &QAction::triggered, this, &TQORForm::FuseClick);
        }
        Operation1->addAction(a);
        deviceEntries_[static_cast<std::size_t>(e.entry)] = a;
    }

    Help1 = menuBar()->addMenu(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->menuAction()->setStatusTip(QStringLiteral("Help topics"));
    QORHelpItem = action("QORHelpItem", QStringLiteral("QOR &Help"), QKeySequence(Qt::CTRL | Qt::Key_H),
                         QStringLiteral("KV-QOR V3.0 User Help"), &TQORForm::QORHelpItemClick);
    HelpAbout1 =
        action("HelpAbout1", QStringLiteral("&About..."), QKeySequence(Qt::CTRL | Qt::Key_A),
               QStringLiteral("Show Program Information And Version Number"), &TQORForm::HelpAbout1Execute);
    HelpAbout1->setToolTip(QStringLiteral("About"));
    Help1->addAction(QORHelpItem);
    Help1->addAction(HelpAbout1);
}

void TQORForm::FormCreate() {
    ShowCounters(0, 0);
    // Before the first operation the title keeps the system's own text colour.
    DisplayCommand->setText(ToQString(kNoCommandSelect));
    for (QLabel* line : DisplayRun)
        line->clear();
    PercentRun->setVisible(false);
    QOR_Code->clear();
    SelectComPort->addItems(PortBoxItems(ports_.SystemPorts()));
    SelectComPort->setCurrentIndex(-1);
    SelectDevice->setCurrentIndex(-1);
    SelectDevice->setEditText(QString());
    ShowWorkspaceFields();
    ApplyControls();
    SelectComPort->setFocus();
}

// --- the window-state table

void TQORForm::ApplyControls() {
    const bool idle = runState_ == RunState::Idle;
    const bool pass = runState_ == RunState::Pass;
    StartRun->setEnabled(runState_ == RunState::WaitingForRun);
    StopRun->setText(pass ? QStringLiteral("Stop") : QStringLiteral("Exit"));
    StopRun->setEnabled(!idle);
    ResetCount->setEnabled(!pass);
    CheckQOR->setEnabled(idle && !identifying_);
    SelectComPort->setEnabled(idle && !identifying_);
    SelectDevice->setEnabled(idle);
    for (QMenu* menu : {File1, Operation1, Help1})
        menu->menuAction()->setEnabled(idle);
    // The shortcuts too: a file loaded or a window opened under a running transfer would change
    // the buffer it sends. Exit stays: closing ends the operation first.
    for (QAction* a : {FileOpen1, FileSave1, FileBuffer, QORHelpItem, HelpAbout1})
        a->setEnabled(idle);
}

void TQORForm::ApplyRunState(RunState state, std::string_view title) {
    const RunState previous = runState_;
    runState_ = state;
    QPalette colours = DisplayCommand->palette();
    if (state == RunState::Idle) {
        DisplayCommand->setText(ToQString(kNoCommandSelect));
        colours.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
        colours.setColor(QPalette::WindowText, kBlack);
    } else {
        DisplayCommand->setText(ToQString(title));
        colours.setColor(QPalette::Window, kYellow);
        colours.setColor(QPalette::WindowText, kBlue);
    }
    DisplayCommand->setAutoFillBackground(true);
    DisplayCommand->setPalette(colours);
    ApplyControls();
    if (state == RunState::WaitingForRun) {
        if (previous == RunState::Idle)
            StartRun->setFocus();
        if (previous == RunState::Pass)
            StopRun->setFocus();
    }
}

// --- Display

void TQORForm::SetLine(int line, std::string_view text) {
    if (line < 1 || line > kResultLines)
        return;
    DisplayRun[static_cast<std::size_t>(line - 1)]->setText(ToQString(text));
}

void TQORForm::ShowGauge(std::uint16_t max) {
    PercentRun->setRange(0, std::max<int>(max, 1));
    PercentRun->setValue(0);
    PercentRun->setVisible(true);
}

void TQORForm::SetProgress(std::uint16_t value) {
    PercentRun->setValue(value);
}

void TQORForm::HideGauge() {
    PercentRun->setVisible(false);
}

void TQORForm::ShowCounters(std::uint8_t passTotal, std::uint8_t failTotal) {
    PassCount->setText(QStringLiteral("Success : %1").arg(passTotal));
    FailCount->setText(QStringLiteral("Failure : %1").arg(failTotal));
}

void TQORForm::WorkspaceChanged() {
    ShowWorkspaceFields();
}

void TQORForm::ShowWorkspaceFields() {
    const Workspace& ws = GetWorkspace();
    Device_Algo->setText(QString::fromStdString(ws.Device_Algo));
    Device_Vpp->setText(QString::fromStdString(ws.Device_Vpp));
    Device_End->setText(QString::fromStdString(ws.Device_End));
    SelectFileName->setText(QString::fromStdString(ws.SelectFileName));
    Buffer_End->setText(QString::fromStdString(ws.Buffer_End));
    Buffer_Sum->setText(QString::fromStdString(ws.Buffer_Sum));
    for (std::size_t i = 0; i < kDeviceEntryCount; ++i) {
        deviceEntries_[i]->setEnabled(ws.IsEnabled(static_cast<DeviceEntry>(i)));
    }
}

void TQORForm::ShowNotices(const Notices& notices) {
    for (const Notice& n : notices) {
        const QString text = QString::fromStdString(n.text);
        switch (n.kind) {
            case Notice::Kind::Error:
                dialogs_.Message(MessageKind::Error, text);
                break;
            case Notice::Kind::Warning:
                dialogs_.Message(MessageKind::Warning, text);
                break;
            case Notice::Kind::Plain:
                dialogs_.Message(MessageKind::Plain, text);
                break;
            case Notice::Kind::AdapterPrompt:
                if (adapterForm_)
                    dialogs_.ShowModal(*adapterForm_);
                break;
        }
    }
}

// --- port and programmer

void TQORForm::RefreshPortList() {
    const QString current = SelectComPort->currentIndex() >= 0 ? SelectComPort->currentText() : QString();
    const QStringList items = PortBoxItems(ports_.SystemPorts());
    const QSignalBlocker quiet(SelectComPort);
    SelectComPort->clear();
    SelectComPort->addItems(items);
    SelectComPort->setCurrentIndex(current.isEmpty() ? -1 : static_cast<int>(items.indexOf(current)));
}

void TQORForm::SelectComPortChange(int index) {
    if (index >= 0 && index < SelectComPort->count()) {
        QOR_Code->clear();
        const QString entry = SelectComPort->itemText(index);
        // Choosing the open port again identifies again on it; another entry moves to that port.
        if (entry != openPort_ || !wire_ || !wire_->IsOpen()) {
            session_->AttachWire(nullptr, {});
            wire_.reset();
            openPort_.clear();
            QString error;
            wire_ = ports_.Open(entry, error);
            if (!wire_) {
                // No line: the Device commands must not go on believing in the last programmer.
                session_->PortOpenFailed();
                dialogs_.Message(MessageKind::Error, QStringLiteral("Cannot Open %1\n%2").arg(entry, error));
                return;
            }
            openPort_ = entry;
        }
        session_->AttachWire(wire_.get(), PortLabel(entry.toStdString()));
        Identify(&Session::ReadVersion);
    }
    CheckQOR->setFocus();
}

void TQORForm::CheckQORClick() {
    Identify(&Session::CheckQORClick);
}

void TQORForm::Identify(void (Session::*exchange)()) {
    // Connect and the port box wait with the identification, so no second one runs inside it.
    identifying_ = true;
    ApplyControls();
    ((*session_).*exchange)();
    identifying_ = false;
    ApplyControls();
    QOR_Code->setText(QString::fromStdString(session_->QorCode()));
    CloseIfPending();
}

// --- part and buffer

void TQORForm::SelectDeviceChange(int index) {
    const Notices notices = GetWorkspace().SelectDeviceChange(index);
    ShowWorkspaceFields();
    ShowNotices(notices);
    CheckQOR->setFocus();
}

void TQORForm::FileOpen1Execute() {
    const QString chosen = dialogs_.OpenFileName(kOpenFilter);
    if (chosen.isEmpty())
        return;
    const std::string bare = BareFileName(chosen.toStdString());
    SelectFileName->setText(QString::fromStdString(bare));
    const LoadReport report = GetWorkspace().OpenHexFile(chosen.toStdString(), bare);
    ShowWorkspaceFields();
    ShowNotices(report.notices);
    if (report.badChecksums > 0)
        statusBar()->showMessage(QString::fromStdString(BadChecksumText(report.badChecksums)));
    ResetCount->setFocus();
}

void TQORForm::FileSave1Execute() {
    const QString chosen = dialogs_.SaveFileName(kSaveFilter);
    if (!chosen.isEmpty()) {
        if (!QFileInfo::exists(chosen) || dialogs_.Confirm(kOverwriteQuestion)) {
            ShowNotices(GetWorkspace().SaveHexFile(chosen.toStdString()).notices);
        }
    }
    ResetCount->setFocus();
}

void TQORForm::FileBufferExecute() {
    if (editForm_)
        dialogs_.ShowModal(*editForm_);
    ResetCount->setFocus();
}

// --- program, help, counters

void TQORForm::FileExit1Execute() {
    // A transfer still waiting asks its stop question; closing then ends the operation.
    session_->Flags().StopRequest = true;
    close();
}

void TQORForm::HelpAbout1Execute() {
    if (aboutBox_)
        dialogs_.ShowModal(*aboutBox_);
    ResetCount->setFocus();
}

void TQORForm::QORHelpItemClick() {
    if (!QFileInfo(helpFile_).isFile()) {
        dialogs_.Message(MessageKind::Error,
                         QStringLiteral("The user guide was not found. It belongs beside the program:\n%1")
                             .arg(helpFile_));
        return;
    }
    if (!dialogs_.OpenInViewer(helpFile_)) {
        dialogs_.Message(MessageKind::Error,
                         QStringLiteral("No viewer could open the user guide:\n%1").arg(helpFile_));
    }
}

void TQORForm::ResetCountClick() {
    session_->ResetCountClick();
}

void TQORForm::StartRunClick() {
    session_->StartRunClick();
}

void TQORForm::StopRunClick() {
    session_->StopRunClick();
}

void TQORForm::FuseClick() {
    const Workspace& ws = GetWorkspace();
    if (kvqor::FuseClick(host_, session_->HardwareFound(), ws.IsEnabled(DeviceEntry::Fuse)) && fuseForm_) {
        fuseForm_->SetPart(ws.CurName, ws.CurCode);
        dialogs_.ShowModal(*fuseForm_);
    }
    ResetCount->setFocus();
}

void TQORForm::RunDeviceCommand(Operation op) {
    session_->RunOperation(op);
    CloseIfPending();
}

// --- closing

void TQORForm::closeEvent(QCloseEvent* event) {
    // An operation or identification is on the stack below this event: end it first (as after a
    // confirmed stop, so the programmer gets its CAN), and close once it has returned.
    if (session_->State() != RunState::Idle || identifying_) {
        closePending_ = true;
        session_->AbortForClose();
        event->ignore();
        return;
    }
    event->accept();
}

void TQORForm::CloseIfPending() {
    if (!closePending_)
        return;
    closePending_ = false;
    close();
}

}  // namespace kvqor::app
