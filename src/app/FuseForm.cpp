#include "app/FuseForm.h"

namespace kvqor::app {

TFuseForm::TFuseForm(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FuseForm"));
    setWindowTitle(kFuseFormCaption);
    setFixedSize(420, 300);
}

}  // namespace kvqor::app
