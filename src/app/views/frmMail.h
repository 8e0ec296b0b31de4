#pragma once

#include "app/views/DialogWarnings.h"

#include <QDialog>

class QLineEdit;
class modINI;

// The Mail dialog: the four [Mail] keys. The password is never asked for:
// a label says where it comes from. "OK" refuses an address that is no
// mailbox (a warning on the dialog) or saves the keys and closes; the mode
// uses them from the next time it is chosen.
class frmMail : public QDialog
{
    Q_OBJECT
public:
    frmMail(modINI& ini, MessageSink& program, QWidget* parent = nullptr);

private:
    void confirm();

    modINI& m_ini;
    DialogWarnings m_warnings;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_passwordCommand = nullptr;
    QLineEdit* m_caFile = nullptr;
};
