#include "app/views/frmWorldTime.h"

#include "screens/clock/modTimeZone.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

frmWorldTime::frmWorldTime(WorldTimeModel model, QWidget* parent)
    : QDialog(parent), m_model(std::move(model))
{
    setObjectName(QStringLiteral("frmWorldTime"));
    setWindowTitle(QStringLiteral("World Time"));
    setAttribute(Qt::WA_DeleteOnClose); // every opening loads afresh

    auto* grid = new QGridLayout(this);
    auto* label1 = new QLabel(QStringLiteral("Select Destination Time Zone:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    m_cboTimeZone = new QComboBox(this);
    m_cboTimeZone->setObjectName(QStringLiteral("cboTimeZone"));
    auto* label2 = new QLabel(QStringLiteral("Destination"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    m_txtDest = new QLineEdit(this);
    m_txtDest->setObjectName(QStringLiteral("txtDest"));
    m_txtDest->setMaxLength(WorldTimeModel::MaxDestinationLength);
    m_chkDaylight = new QCheckBox(QStringLiteral("Observe Daylight Saving"), this);
    m_chkDaylight->setObjectName(QStringLiteral("chkDaylight"));
    m_lblLocalTime = new QLabel(this);
    m_lblLocalTime->setObjectName(QStringLiteral("lblLocalTime"));
    m_lblDestTime = new QLabel(this);
    m_lblDestTime->setObjectName(QStringLiteral("lblDestTime"));
    grid->addWidget(label1, 0, 0, 1, 2);
    grid->addWidget(m_cboTimeZone, 1, 0, 1, 2);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(m_txtDest, 2, 1);
    grid->addWidget(m_chkDaylight, 3, 0, 1, 2);
    grid->addWidget(m_lblLocalTime, 4, 0, 1, 2);
    grid->addWidget(m_lblDestTime, 5, 0, 1, 2);

    // Local time first, then the list, the destination in use and its time.
    m_lblLocalTime->setText(m_model.localTimeText());
    for (const char* label : modTimeZone::ZoneLabels)
        m_cboTimeZone->addItem(QString::fromLatin1(label));
    const WorldTimeModel::Choice saved = m_model.load();
    m_cboTimeZone->setCurrentIndex(saved.zoneIndex);
    m_txtDest->setText(saved.destination);
    m_chkDaylight->setChecked(saved.daylight);
    m_lblDestTime->setText(m_model.destinationTimeText(saved.zoneIndex, saved.daylight));

    // With the main window's clock, so the two never show different seconds.
    connect(&m_timer1, &SecondTimer::tick, this, &frmWorldTime::refresh);
    m_timer1.start();
}

WorldTimeModel::Choice frmWorldTime::choice() const
{
    return {m_cboTimeZone->currentIndex(), m_txtDest->text(), m_chkDaylight->isChecked()};
}

void frmWorldTime::refresh()
{
    m_lblLocalTime->setText(m_model.localTimeText());
    m_lblDestTime->setText(
        m_model.destinationTimeText(m_cboTimeZone->currentIndex(), m_chkDaylight->isChecked()));
}

void frmWorldTime::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_timer1.stop();
    m_model.unload(choice());
}

void frmWorldTime::closeEvent(QCloseEvent* event)
{
    unload();
    QDialog::closeEvent(event);
}

void frmWorldTime::done(int result)
{
    unload();
    QDialog::done(result);
}
