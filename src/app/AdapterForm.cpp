#include "app/AdapterForm.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Pictures.h"

namespace kvqor::app {

TAdapterForm::TAdapterForm(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AdapterForm"));
    setWindowTitle(kAdapterCaption);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto picture = [panel](const char* name, const QImage& image) {
        auto* label = new QLabel(panel);
        label->setObjectName(QString::fromLatin1(name));
        label->setPixmap(QPixmap::fromImage(image));
        label->setFixedSize(image.size());
        return label;
    };
    auto* board = picture("Image1", AdapterBoardPicture());
    auto* fitted = picture("Image2", ProgrammerWithAdapterPicture());

    auto boldLabel = [panel](const char* name, const QString& text) {
        auto* label = new QLabel(text, panel);
        label->setObjectName(QString::fromLatin1(name));
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        return label;
    };
    auto* insert = boldLabel("Label1", QStringLiteral("Insert Adapter"));
    auto* part = boldLabel("Label2", QStringLiteral("AT90S8535"));

    auto* grid = new QGridLayout(panel);
    grid->addWidget(board, 0, 0, Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(insert, 1, 0, Qt::AlignHCenter);
    grid->addWidget(part, 2, 0, Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(fitted, 0, 1, 4, 1);
    grid->setRowStretch(3, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKAdapter"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TAdapterForm::OKAdapterClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAdapterForm::OKAdapterClick() {
    accept();
}

}  // namespace kvqor::app
