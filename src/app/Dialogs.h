#pragma once
// Every modal question the program asks goes through this one interface: the message boxes, the
// stop question, the file dialogs, the program's own modal windows and the help viewer. The
// program uses QtDialogs; tests answer and record through their own implementation.

#include <QString>
#include <string_view>

#include "link/Host.h"

class QDialog;
class QWidget;

namespace kvqor::app {

// The core's texts as the widgets take them.
inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The application title, shown on the task bar and as the caption of plain boxes.
inline const QString kApplicationTitle = QStringLiteral("KV-QOR V3.01");

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The error box (error icon, OK), the plain box (no icon, the application title as caption,
    // OK) and the warning box (warning icon, OK).
    virtual void Message(MessageKind kind, const QString& text) = 0;

    // The confirmation box (question icon, Yes and No): true for Yes.
    virtual bool Confirm(const QString& text) = 0;

    // The open and save dialogs with one filter in the "Description|*.A;*.B" form. An empty
    // result means the user cancelled. The save dialog adds no extension and asks nothing about
    // an existing file.
    virtual QString OpenFileName(const QString& filter) = 0;
    virtual QString SaveFileName(const QString& filter) = 0;

    // Shows one of the program's own windows modally; returns when it has closed.
    virtual void ShowModal(QDialog& window) = 0;

    // Opens a local document in the desktop's viewer; false when no viewer took it.
    virtual bool OpenInViewer(const QString& path) = 0;
};

// The file-dialog filter for Qt: the description stays as written, and the patterns match the
// extension in any case, since files from other systems come as .hex, .HEX or .Hex.
QString DialogFilter(const QString& filter);

// The real boxes and dialogs, modal to `parent`.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Message(MessageKind kind, const QString& text) override;
    bool Confirm(const QString& text) override;
    QString OpenFileName(const QString& filter) override;
    QString SaveFileName(const QString& filter) override;
    void ShowModal(QDialog& window) override;
    bool OpenInViewer(const QString& path) override;

private:
    // The window the boxes belong to: the modal window open now, else the main window.
    QWidget* Owner() const;

    QWidget* parent_;
};

}  // namespace kvqor::app
