#include "app/EditForm.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/Fonts.h"

namespace kvqor::app {

namespace {
constexpr int kClientWidth = 705;
constexpr int kClientHeight = 435;
constexpr int kListTop = 22;
constexpr int kListHeight = 385;
constexpr int kDumpLineHeight = 17;
}  // namespace

TEditForm::TEditForm(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("EditForm"));
    setWindowTitle(kEditFormCaption);
    setFixedSize(kClientWidth, kClientHeight);

    auto column = [this](const char* name, const QString& text, int x) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        label->move(x, 3);
    };
    column("Label1", QStringLiteral("Addr"), 0);
    column("Label2", QStringLiteral("Hex Data"), 247);
    column("Label3", QStringLiteral("ASCII"), 569);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("TextDisplay"));
    text_->setReadOnly(true);
    text_->setFont(FixedPitchFont(kDumpLineHeight));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setGeometry(0, kListTop, kClientWidth, kListHeight);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("EditOK"));
    ok->setDefault(true);
    const QSize okSize(75, 25);
    ok->setGeometry((kClientWidth - okSize.width()) / 2, kListTop + kListHeight + 2, okSize.width(),
                    okSize.height());
    connect(ok, &QPushButton::clicked, this, &TEditForm::EditOKClick);
}

void TEditForm::ShowHexData() {
    setWindowTitle(kEditFormShownCaption);
    text_->clear();
    if (rows_)
        text_->setPlainText(rows_().join(QLatin1Char('\n')));
    text_->moveCursor(QTextCursor::Start);
}

void TEditForm::EditOKClick() {
    accept();
}

void TEditForm::showEvent(QShowEvent* event) {
    ShowHexData();
    QDialog::showEvent(event);
}

}  // namespace kvqor::app
