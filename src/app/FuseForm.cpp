#include "app/FuseForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/Dialogs.h"

namespace kvqor::app {

namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Wide enough for the longest text a field shows.
int FieldWidth(const QWidget* w) {
    return w->fontMetrics().horizontalAdvance(ToQString(kEnableProgram) + QStringLiteral("00")) + 12;
}

std::size_t FieldSlot(FuseField field) {
    return static_cast<std::size_t>(field);
}

}  // namespace

TFuseForm::TFuseForm(Link& link, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      control_(link, *this) {
    setObjectName(QStringLiteral("FuseForm"));
    setWindowTitle(ToQString(kFuseFormCaption));
    BuildWindow();
    ShowBusy(false);
}

void TFuseForm::BuildWindow() {
    // Left: the two fuses to write.
    FuseBitGroup = Named(new QGroupBox(QStringLiteral("Edit Fuse Bit"), this), "FuseBitGroup");
    auto radioGroup = [this](RadioGroup& group, const char* name) {
        group.box = Named(new QGroupBox(QString::fromLatin1(name), FuseBitGroup), name);
        group.buttons = new QButtonGroup(group.box);
        auto* column = new QVBoxLayout(group.box);
        int index = 0;
        for (std::string_view item : {kEnableProgram, kDisableErase}) {
            auto* button = new QRadioButton(ToQString(item), group.box);
            button->setObjectName(QStringLiteral("%1Item%2").arg(QString::fromLatin1(name)).arg(index));
            group.buttons->addButton(button, index++);
            column->addWidget(button);
        }
    };
    radioGroup(Fuse1, "Fuse1");
    radioGroup(Fuse2, "Fuse2");
    StartFuse = Named(new QPushButton(QStringLiteral("Write"), FuseBitGroup), "StartFuse");
    connect(StartFuse, &QPushButton::clicked, this, &TFuseForm::StartFuseClick);
    auto* edit = new QVBoxLayout(FuseBitGroup);
    edit->addWidget(Fuse1.box);
    edit->addWidget(Fuse2.box);
    edit->addStretch(1);
    edit->addWidget(StartFuse, 0, Qt::AlignHCenter);

    // Right: what the device reports.
    LockBitGroup = Named(new QGroupBox(QStringLiteral("Fuse,Lock Bit Status"), this), "LockBitGroup");
    auto* status = new QGridLayout(LockBitGroup);
    auto row = [this, status](QLabel*& label, const char* labelName, const char* caption, FuseField field,
                              const char* fieldName) {
        const int r = static_cast<int>(FieldSlot(field));
        label = Named(new QLabel(QString::fromLatin1(caption), LockBitGroup), labelName);
        auto* e = Named(new QLineEdit(LockBitGroup), fieldName);
        e->setReadOnly(true);
        e->setFixedWidth(FieldWidth(e));
        fields_[FieldSlot(field)] = e;
        status->addWidget(label, r, 0);
        status->addWidget(e, r, 1);
    };
    row(FuseBit1, "FuseBit1", "Fuse Bit1", FuseField::DisplayFuse1, "DisplayFuse1");
    row(FuseBit2, "FuseBit2", "Fuse Bit2", FuseField::DisplayFuse2, "DisplayFuse2");
    row(LockBit1, "LockBit1", "Lock Bit1", FuseField::DisplayLock1, "DisplayLock1");
    row(LockBit2, "LockBit2", "Lock Bit2", FuseField::DisplayLock2, "DisplayLock2");
    row(LockBit3, "LockBit3", "Lock Bit3", FuseField::DisplayLock3, "DisplayLock3");
    ReadFuse = Named(new QPushButton(QStringLiteral("Read"), LockBitGroup), "ReadFuse");
    connect(ReadFuse, &QPushButton::clicked, this, &TFuseForm::ReadFuseClick);
    status->addWidget(ReadFuse, static_cast<int>(fields_.size()), 0, 1, 2, Qt::AlignHCenter);

    // Bottom: the status line and Exit/Cancle.
    FuseStatus = Named(new QGroupBox(this), "FuseStatus");
    FuseResult = Named(new QLabel(FuseStatus), "FuseResult");
    FuseResult->setTextFormat(Qt::PlainText);
    // Room for the longest status text, so the window keeps its size.
    FuseResult->setMinimumWidth(FuseResult->fontMetrics().horizontalAdvance(
        ToQString(kReadLockTexts.waiting) + QStringLiteral("0000")));
    (new QHBoxLayout(FuseStatus))->addWidget(FuseResult);
    CancleFuse = Named(new QPushButton(ToQString(kExitCaption), this), "CancleFuse");
    // Wide enough for both captions: the button does not jump between them.
    CancleFuse->setMinimumWidth(
        CancleFuse->fontMetrics().horizontalAdvance(ToQString(kCancleCaption) + QStringLiteral("0000")));
    connect(CancleFuse, &QPushButton::clicked, this, &TFuseForm::CancleFuseClick);

    auto* grid = new QGridLayout(this);
    grid->addWidget(FuseBitGroup, 0, 0);
    grid->addWidget(LockBitGroup, 0, 1);
    grid->addWidget(FuseStatus, 1, 0, 1, 2);
    grid->addWidget(CancleFuse, 2, 0, 1, 2, Qt::AlignHCenter);
    // Fixed border: the window is as big as its contents.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    CancleFuse->setFocus();
}

// --- handlers

void TFuseForm::FormActivate() {
    control_.FormActivate();
}

void TFuseForm::ReadFuseClick() {
    control_.ReadFuseClick();
}

void TFuseForm::StartFuseClick() {
    control_.StartFuseClick();
}

void TFuseForm::CancleFuseClick() {
    control_.CancleFuseClick();
}

void TFuseForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;  // the desktop showing it again (restored), not a new opening
    // Queued, so the reads run inside the modal loop with the window on screen and painting.
    // Activations after this one (a box of this window closing, the user coming back from
    // another program) do not read again; Read does.
    const unsigned showing = ++showing_;
    QMetaObject::invokeMethod(
        this,
        [this, showing] {
            if (showing == showing_ && isVisible())
                FormActivate();
        },
        Qt::QueuedConnection);
}

void TFuseForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancleFuse->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFuseForm::reject() {
    if (!control_.QueryClose())
        return;  // a handler is running: FuseControl closes once it has returned
    control_.FormClose();
    ++showing_;
    QDialog::reject();
}

// --- FuseView

void TFuseForm::SetTitle(std::string_view text) {
    setWindowTitle(ToQString(text));
}

void TFuseForm::SetFuseResult(std::string_view text) {
    FuseResult->setText(ToQString(text));
}

QLineEdit* TFuseForm::Field(FuseField field) const {
    return fields_[FieldSlot(field)];
}

void TFuseForm::SetField(FuseField field, std::string_view text) {
    Field(field)->setText(ToQString(text));
}

TFuseForm::RadioGroup& TFuseForm::Group(FuseRadio radio) {
    return radio == FuseRadio::Fuse1 ? Fuse1 : Fuse2;
}

const TFuseForm::RadioGroup& TFuseForm::Group(FuseRadio radio) const {
    return radio == FuseRadio::Fuse1 ? Fuse1 : Fuse2;
}

int TFuseForm::RadioIndex(FuseRadio radio) const {
    return Group(radio).buttons->checkedId();
}

void TFuseForm::SetRadioIndex(FuseRadio radio, int index) {
    QButtonGroup* buttons = Group(radio).buttons;
    if (QAbstractButton* button = buttons->button(index)) {
        button->setChecked(true);
        return;
    }
    // No selection: an exclusive group will not let its checked button go.
    buttons->setExclusive(false);
    for (QAbstractButton* button : buttons->buttons())
        button->setChecked(false);
    buttons->setExclusive(true);
}

void TFuseForm::SetRadioCaption(FuseRadio radio, std::string_view text) {
    Group(radio).box->setTitle(ToQString(text));
}

void TFuseForm::SetRadioEnabled(FuseRadio radio, bool enabled) {
    Group(radio).box->setEnabled(enabled);
}

void TFuseForm::SetFuseBitLabel(FuseRadio radio, std::string_view text) {
    (radio == FuseRadio::Fuse1 ? FuseBit1 : FuseBit2)->setText(ToQString(text));
}

void TFuseForm::ShowBusy(bool busy) {
    StartFuse->setEnabled(!busy);
    ReadFuse->setEnabled(!busy);
    CancleFuse->setEnabled(true);
    CancleFuse->setText(ToQString(busy ? kCancleCaption : kExitCaption));
}

void TFuseForm::FocusCancleFuse() {
    CancleFuse->setFocus();
}

void TFuseForm::RequestClose() {
    close();
}

}  // namespace kvqor::app
