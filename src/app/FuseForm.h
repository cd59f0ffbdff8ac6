#pragma once
// The fuse and lock-bit window, opened from Device > Fuse.

#include <QDialog>

namespace kvqor::app {

inline const QString kFuseFormCaption = QStringLiteral("Display & Program Fuse Bit");

class TFuseForm : public QDialog {
    Q_OBJECT
public:
    explicit TFuseForm(QWidget* parent = nullptr);
};

}  // namespace kvqor::app
