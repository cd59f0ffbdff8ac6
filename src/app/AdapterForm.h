#pragma once
// The prompt shown when the AT90S8535 is chosen: that part sits in an adapter board, and the
// operator must fit it before running anything.

#include <QDialog>

namespace kvqor::app {

inline const QString kAdapterCaption = QStringLiteral("This Device Used With Adapter AT90S8535");

class TAdapterForm : public QDialog {
    Q_OBJECT
public:
    explicit TAdapterForm(QWidget* parent = nullptr);

    void OKAdapterClick();
};

}  // namespace kvqor::app
