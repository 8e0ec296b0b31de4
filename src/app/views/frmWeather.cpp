#include "app/views/frmWeather.h"

#include "app/UpdateMinutes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmWeather::frmWeather(WeatherModel model, QWidget* parent)
    : QDialog(parent), m_model(std::move(model))
{
    setObjectName(QStringLiteral("frmWeather"));
    setWindowTitle(QStringLiteral("Configure Weather Tracking"));
    setAttribute(Qt::WA_DeleteOnClose); // every opening loads afresh

    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("International Major Cities"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    m_txtCity = new QLineEdit(frame);
    m_txtCity->setObjectName(QStringLiteral("txtCity"));
    m_txtCity->setMaxLength(WeatherModel::MaxLength);
    m_txtCountry = new QLineEdit(frame);
    m_txtCountry->setObjectName(QStringLiteral("txtCountry"));
    m_txtCountry->setMaxLength(WeatherModel::MaxLength);
    grid->addWidget(new QLabel(QStringLiteral("CITY"), frame), 0, 0);
    grid->addWidget(m_txtCity, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("COUNTRY"), frame), 1, 0);
    grid->addWidget(m_txtCountry, 1, 1);
    layout->addWidget(frame);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Update Frequency (Minutes)"), this));
    m_cboUpdateW = new QComboBox(this);
    m_cboUpdateW->setObjectName(QStringLiteral("cboUpdateW"));
    m_cboUpdateW->setEditable(true);
    m_cboUpdateW->setInsertPolicy(QComboBox::NoInsert);
    row->addWidget(m_cboUpdateW);
    layout->addLayout(row);
    m_cmdUpdateW = new QPushButton(QStringLiteral("OK"), this);
    m_cmdUpdateW->setObjectName(QStringLiteral("cmdUpdateW"));
    m_cmdUpdateW->setDefault(true);
    layout->addWidget(m_cmdUpdateW);

    const WeatherModel::Choice saved = m_model.load();
    m_txtCity->setText(saved.city);
    m_txtCountry->setText(saved.country);
    m_cboUpdateW->addItems(UpdateMinutes::Choices());
    m_cboUpdateW->setEditText(saved.update);
    connect(m_cmdUpdateW, &QPushButton::clicked, this, &frmWeather::confirm);
}

void frmWeather::confirm()
{
    if (m_model.confirm({m_txtCity->text(), m_txtCountry->text(), m_cboUpdateW->currentText()}))
        accept();
}
