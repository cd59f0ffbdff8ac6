#pragma once
// File > Buffer: the code buffer as a hex dump, rebuilt from the buffer at every opening.

#include <QDialog>
#include <QStringList>
#include <functional>

class QPlainTextEdit;

namespace kvqor::app {

inline const QString kEditFormCaption = QStringLiteral("Display HEX Buffer");
inline const QString kEditFormShownCaption = QStringLiteral("Display Hex Buffer");

class TEditForm : public QDialog {
    Q_OBJECT
public:
    // The dump rows of the buffer as it is now, one per line.
    using RowSource = std::function<QStringList()>;

    explicit TEditForm(QWidget* parent = nullptr);

    void SetRowSource(RowSource source) { rows_ = std::move(source); }

    // Fills TextDisplay from the buffer.
    void ShowHexData();
    void EditOKClick();

    QPlainTextEdit* TextDisplay() const { return text_; }

protected:
    // Every opening rebuilds the list, so it always shows the buffer as it is now.
    void showEvent(QShowEvent* event) override;

private:
    RowSource rows_;
    QPlainTextEdit* text_;
};

}  // namespace kvqor::app
