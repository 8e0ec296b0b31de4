#include "app/views/frmStock.h"

#include "app/UpdateMinutes.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmStock::frmStock(StockModel model, QWidget* parent) : QDialog(parent), m_model(std::move(model))
{
    setObjectName(QStringLiteral("frmStock"));
    setWindowTitle(QStringLiteral("Configure Stock Symbol"));
    setAttribute(Qt::WA_DeleteOnClose); // every opening loads afresh

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter Stock Symbol to Monitor"), this));
    m_txtStock = new QLineEdit(this);
    m_txtStock->setObjectName(QStringLiteral("txtStock"));
    m_txtStock->setMaxLength(StockModel::MaxLength);
    layout->addWidget(m_txtStock);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Update Frequency (Minutes)"), this));
    m_cboUpdateStock = new QComboBox(this);
    m_cboUpdateStock->setObjectName(QStringLiteral("cboUpdateStock"));
    m_cboUpdateStock->setEditable(true);
    m_cboUpdateStock->setInsertPolicy(QComboBox::NoInsert);
    row->addWidget(m_cboUpdateStock);
    layout->addLayout(row);
    m_cmdDone = new QPushButton(QStringLiteral("OK"), this);
    m_cmdDone->setObjectName(QStringLiteral("cmdDone"));
    m_cmdDone->setDefault(true);
    layout->addWidget(m_cmdDone);

    const StockModel::Choice saved = m_model.load();
    m_txtStock->setText(saved.symbol);
    m_cboUpdateStock->addItems(UpdateMinutes::Choices());
    m_cboUpdateStock->setEditText(saved.update);
    connect(m_cmdDone, &QPushButton::clicked, this, &frmStock::confirm);
}

void frmStock::confirm()
{
    if (m_model.confirm({m_txtStock->text(), m_cboUpdateStock->currentText()}))
        accept();
}
