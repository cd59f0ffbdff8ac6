#include "app/AboutBox.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/Pictures.h"
#include "app/ProgramInfo.h"

namespace kvqor::app {

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About KV-QOR Version3.01"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setPixmap(QPixmap::fromImage(AboutPicture()));

    auto* productName = new QLabel(QStringLiteral("Micro Controller Programmer"), panel);
    productName->setObjectName(QStringLiteral("ProductName"));
    auto* version = new QLabel(QStringLiteral("KV-QOR Version 3.01"), panel);
    version->setObjectName(QStringLiteral("Version"));
    QFont big = productName->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    productName->setFont(big);
    version->setFont(big);
    // The build's own version, the one kvqor --version prints.
    auto* build = new QLabel(QStringLiteral("kvqor %1").arg(ProgramVersion()), panel);
    build->setObjectName(QStringLiteral("ProgramVersion"));

    auto* copyright = new QLabel(QStringLiteral("Made by the kvqor developers"), panel);
    copyright->setObjectName(QStringLiteral("Copyright"));
    auto* comments =
        new QLabel(QStringLiteral("For AT89C, AT89S and AT90S parts on a serial-port programmer.\n"
                                  "Questions and reports: see QOR Help in the Help menu."),
                   panel);
    comments->setObjectName(QStringLiteral("Comments"));

    auto* grid = new QGridLayout(panel);
    grid->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(productName, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(build, 2, 1);
    grid->addWidget(copyright, 3, 0, 1, 2);
    grid->addWidget(comments, 4, 0, 1, 2);
    grid->setHorizontalSpacing(16);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(okButton_, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    okButton_->setFocus();
}

}  // namespace kvqor::app
