#include "app/views/frmPorts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmPorts::frmPorts(PortChooser chooser, QList<PortChooser::Device> devices, int currentCom,
                   const QString& currentSettings, QWidget* parent)
    : QDialog(parent), m_chooser(chooser), m_devices(std::move(devices))
{
    setObjectName(QStringLiteral("frmPorts"));
    setWindowTitle(QStringLiteral("Ports"));
    setAttribute(Qt::WA_DeleteOnClose); // the devices are listed afresh each time
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Serial devices of this computer:"), this));
    m_lstDevices = new QListWidget(this);
    m_lstDevices->setObjectName(QStringLiteral("lstDevices"));
    for (const PortChooser::Device& d : std::as_const(m_devices))
        m_lstDevices->addItem(PortChooser::label(d));
    if (m_devices.isEmpty())
        m_lstDevices->addItem(QStringLiteral("(no serial device found)"));
    else
        m_lstDevices->setCurrentRow(0);
    layout->addWidget(m_lstDevices);

    auto* form = new QFormLayout;
    m_cboCom = new QComboBox(this);
    m_cboCom->setObjectName(QStringLiteral("cboCom"));
    for (int i = 1; i <= 6; ++i)
        m_cboCom->addItem(QStringLiteral("COM%1").arg(i));
    m_cboCom->setCurrentIndex(currentCom >= 1 && currentCom <= 6 ? currentCom - 1 : 0);
    form->addRow(QStringLiteral("Use it as:"), m_cboCom);
    m_txtSetting = new QLineEdit(currentSettings, this);
    m_txtSetting->setObjectName(QStringLiteral("txtSetting"));
    m_txtSetting->setToolTip(QStringLiteral("speed, parity, data bits, stop bits: 9600,n,8,1"));
    form->addRow(QStringLiteral("Line settings:"), m_txtSetting);
    layout->addLayout(form);
    m_lblError = new QLabel(this);
    m_lblError->setObjectName(QStringLiteral("lblError"));
    m_lblError->setWordWrap(true);
    layout->addWidget(m_lblError);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_devices.isEmpty());
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPorts::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void frmPorts::apply()
{
    const int row = m_lstDevices->currentRow();
    if (row < 0 || row >= m_devices.size())
        return;
    QString error;
    if (!m_chooser.apply(m_cboCom->currentIndex() + 1, m_devices[row].stablePath(),
                         m_txtSetting->text().trimmed(), &error)) {
        m_lblError->setText(error);
        return;
    }
    accept();
}
