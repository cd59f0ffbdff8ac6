#include "app/Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace kvqor::app {

QString DialogFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return filter;
    QStringList patterns;
    for (const QString& p : filter.mid(bar + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        for (const QString& variant : {p, p.toLower(), p.toUpper()}) {
            if (!patterns.contains(variant))
                patterns << variant;
        }
    }
    return filter.left(bar) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QWidget* QtDialogs::Owner() const {
    // A box raised inside a modal window of the program (the fuse window's stop question and its
    // "Write Fuse Error") belongs to that window: it opens over it and hands the focus back to it.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return parent_;
}

void QtDialogs::Message(MessageKind kind, const QString& text) {
    QWidget* parent = Owner();
    switch (kind) {
        case MessageKind::Error:
            QMessageBox::critical(parent, QStringLiteral("Error"), text);
            return;
        case MessageKind::Warning:
            QMessageBox::warning(parent, QStringLiteral("Warning"), text);
            return;
        case MessageKind::Plain: {
            QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent);
            box.exec();
            return;
        }
    }
}

bool QtDialogs::Confirm(const QString& text) {
    return QMessageBox::question(Owner(), QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

QString QtDialogs::OpenFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, QStringLiteral("Open"), QString(), DialogFilter(filter));
}

QString QtDialogs::SaveFileName(const QString& filter) {
    // The program asks about an existing file itself, after the dialog.
    return QFileDialog::getSaveFileName(parent_, QStringLiteral("Save As"), QString(), DialogFilter(filter),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

void QtDialogs::ShowModal(QDialog& window) {
    window.exec();
}

bool QtDialogs::OpenInViewer(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace kvqor::app
