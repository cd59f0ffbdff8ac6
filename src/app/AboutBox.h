#pragma once
// Help > About: the program, its version and its maker.

#include <QDialog>

class QPushButton;

namespace kvqor::app {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* okButton_;
};

}  // namespace kvqor::app
