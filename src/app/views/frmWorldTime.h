#pragma once

#include "app/WorldTimeModel.h"

#include "screens/base/SecondTimer.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The World Time dialog: destination zone, name and daylight rule, with the
// local and destination time refreshed every second. Closing it saves.
class frmWorldTime : public QDialog
{
    Q_OBJECT
public:
    explicit frmWorldTime(WorldTimeModel model, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override; // Esc closes and saves too

private:
    void refresh();
    void unload();
    WorldTimeModel::Choice choice() const;

    WorldTimeModel m_model;
    QComboBox* m_cboTimeZone = nullptr;
    QLineEdit* m_txtDest = nullptr;
    QCheckBox* m_chkDaylight = nullptr;
    QLabel* m_lblLocalTime = nullptr;
    QLabel* m_lblDestTime = nullptr;
    SecondTimer m_timer1;
    bool m_unloaded = false;
};
