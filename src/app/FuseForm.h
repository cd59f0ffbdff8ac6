#pragma once
// Device > Fuse: the fuse and lock bits of the chosen part, read when the window opens and on
// Read, and the fuse bits written with Write. The exchanges, texts and busy state live in
// FuseControl; this window shows what it is told and forwards its events there.

#include <QDialog>
#include <array>
#include <string_view>

#include "fuse/FuseControl.h"
#include "fuse/FuseView.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kvqor::app {

class TFuseForm : public QDialog, public FuseView {
    Q_OBJECT
public:
    // Talks to the programmer over `link` (the main window's); the link must outlive the window.
    explicit TFuseForm(Link& link, QWidget* parent = nullptr);

    // The part the next showing is for (CurName, CurCode); the main window sets it first.
    void SetPart(std::string_view curName, std::string_view curCode) { control_.SetPart(curName, curCode); }
    FuseControl& Control() { return control_; }

    // --- handlers
    void FormActivate();
    void ReadFuseClick();
    void StartFuseClick();
    void CancleFuseClick();

    // --- FuseView
    void SetTitle(std::string_view text) override;
    void SetFuseResult(std::string_view text) override;
    void SetField(FuseField field, std::string_view text) override;
    int RadioIndex(FuseRadio radio) const override;
    void SetRadioIndex(FuseRadio radio, int index) override;
    void SetRadioCaption(FuseRadio radio, std::string_view text) override;
    void SetRadioEnabled(FuseRadio radio, bool enabled) override;
    void SetFuseBitLabel(FuseRadio radio, std::string_view text) override;
    void ShowBusy(bool busy) override;
    void FocusCancleFuse() override;
    void RequestClose() override;

public slots:
    // The title-bar close button (and any other close): kept until a running handler has
    // returned, then FormClose.
    void reject() override;

protected:
    // Each showing runs the activation step once, just after the window has appeared.
    void showEvent(QShowEvent* event) override;
    // Escape is the Exit/Cancle button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct RadioGroup {
        QGroupBox* box = nullptr;
        QButtonGroup* buttons = nullptr;
    };
    void BuildWindow();
    RadioGroup& Group(FuseRadio radio);
    const RadioGroup& Group(FuseRadio radio) const;
    QLineEdit* Field(FuseField field) const;

    FuseControl control_;
    // Counts showings, so an activation queued for a showing that ended before it ran is dropped.
    unsigned showing_ = 0;

    // Controls, by their form names.
    QGroupBox* FuseBitGroup = nullptr;
    RadioGroup Fuse1;
    RadioGroup Fuse2;
    QPushButton* StartFuse = nullptr;
    QGroupBox* LockBitGroup = nullptr;
    QLabel* FuseBit1 = nullptr;
    QLabel* FuseBit2 = nullptr;
    QLabel* LockBit1 = nullptr;
    QLabel* LockBit2 = nullptr;
    QLabel* LockBit3 = nullptr;
    std::array<QLineEdit*, 5> fields_{};  // DisplayFuse1, DisplayFuse2, DisplayLock1..3
    QPushButton* ReadFuse = nullptr;
    QPushButton* CancleFuse = nullptr;
    QGroupBox* FuseStatus = nullptr;
    QLabel* FuseResult = nullptr;
};

}  // namespace kvqor::app
