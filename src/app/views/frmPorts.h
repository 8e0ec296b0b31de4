#pragma once

#include "app/PortChooser.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

// "Ports": the serial devices there are; one of them becomes COMn with its
// line settings, and Brellix switches to it as from the COM menu.
class frmPorts : public QDialog
{
    Q_OBJECT
public:
    frmPorts(PortChooser chooser, QList<PortChooser::Device> devices, int currentCom,
             const QString& currentSettings, QWidget* parent = nullptr);

private:
    void apply();

    PortChooser m_chooser;
    QList<PortChooser::Device> m_devices;
    QListWidget* m_lstDevices = nullptr;
    QComboBox* m_cboCom = nullptr;
    QLineEdit* m_txtSetting = nullptr;
    QLabel* m_lblError = nullptr;
};
