#pragma once

#include "app/StockModel.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// The Stock dialog: symbol and update interval. "OK" stores them (or warns
// and stays open); closing it otherwise stores nothing.
class frmStock : public QDialog
{
    Q_OBJECT
public:
    explicit frmStock(StockModel model, QWidget* parent = nullptr);

private:
    void confirm();

    StockModel m_model;
    QLineEdit* m_txtStock = nullptr;
    QComboBox* m_cboUpdateStock = nullptr;
    QPushButton* m_cmdDone = nullptr;
};
