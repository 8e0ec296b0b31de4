#include "app/views/DialogWarnings.h"

#include "app/Lifecycle.h"

#include <QMessageBox>

void DialogWarnings::showMessage(const UserMessage& message)
{
    auto* box = new QMessageBox(m_dialog);
    box->setWindowTitle(Lifecycle::ApplicationTitle);
    box->setText(message.text);
    box->setIcon(message.severity == MessageSeverity::Critical  ? QMessageBox::Critical
                 : message.severity == MessageSeverity::Warning ? QMessageBox::Warning
                                                                : QMessageBox::Information);
    box->setStandardButtons(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open(); // modal to the dialog only
    box->activateWindow();
    box->setFocus();
}
