#pragma once

#include "app/WeatherModel.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// The Weather dialog: city, country and update interval. "OK" stores them
// (or warns and stays open); closing it otherwise stores nothing.
class frmWeather : public QDialog
{
    Q_OBJECT
public:
    explicit frmWeather(WeatherModel model, QWidget* parent = nullptr);

private:
    void confirm();

    WeatherModel m_model;
    QLineEdit* m_txtCity = nullptr;
    QLineEdit* m_txtCountry = nullptr;
    QComboBox* m_cboUpdateW = nullptr;
    QPushButton* m_cmdUpdateW = nullptr;
};
