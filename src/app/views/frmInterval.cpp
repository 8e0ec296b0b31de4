#include "app/views/frmInterval.h"

#include "screens/web/UpdateMinutes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmInterval::Look frmInterval::weatherLook()
{
    return {"frmWeather",
            QStringLiteral("Configure Weather Tracking"),
            QStringLiteral("International Major Cities"),
            {{QStringLiteral("CITY"), "txtCity"}, {QStringLiteral("COUNTRY"), "txtCountry"}},
            "cboUpdateW",
            "cmdUpdateW"};
}

frmInterval::Look frmInterval::stockLook()
{
    return {"frmStock",
            QStringLiteral("Configure Stock Symbol"),
            QString(),
            {{QStringLiteral("Enter Stock Symbol to Monitor"), "txtStock"}},
            "cboUpdateStock",
            "cmdDone"};
}

frmInterval::frmInterval(const MakeModel& makeModel, MessageSink& program, const Look& look,
                         QWidget* parent)
    : QDialog(parent), m_warnings(this, program), m_model(makeModel(m_warnings))
{
    setObjectName(QLatin1String(look.objectName));
    setWindowTitle(look.title);
    setAttribute(Qt::WA_DeleteOnClose); // every opening loads afresh

    auto* layout = new QVBoxLayout(this);
    QWidget* owner = this;
    QGridLayout* grid = nullptr;
    if (!look.frameTitle.isEmpty()) {
        auto* frame = new QGroupBox(look.frameTitle, this);
        frame->setObjectName(QStringLiteral("Frame1"));
        grid = new QGridLayout(frame);
        layout->addWidget(frame);
        owner = frame;
    }
    const IntervalModel::Choice saved = m_model.load();
    for (int i = 0; i < look.fields.size(); ++i) {
        auto* edit = new QLineEdit(owner);
        edit->setObjectName(QLatin1String(look.fields[i].second));
        edit->setMaxLength(m_model.fields()[std::size_t(i)].maxLength);
        edit->setText(saved.texts.value(i));
        auto* label = new QLabel(look.fields[i].first, owner);
        if (grid) { // label beside the field
            grid->addWidget(label, i, 0);
            grid->addWidget(edit, i, 1);
        } else { // label above it
            layout->addWidget(label);
            layout->addWidget(edit);
        }
        m_fields.append(edit);
    }

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Update Frequency (Minutes)"), this));
    m_update = new QComboBox(this);
    m_update->setObjectName(QLatin1String(look.updateName));
    m_update->setEditable(true);
    m_update->setInsertPolicy(QComboBox::NoInsert);
    m_update->addItems(UpdateMinutes::Choices());
    m_update->setEditText(saved.update);
    row->addWidget(m_update);
    layout->addLayout(row);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QLatin1String(look.okName));
    ok->setDefault(true);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &frmInterval::confirm);
}

void frmInterval::confirm()
{
    QStringList texts;
    for (const QLineEdit* edit : m_fields)
        texts.append(edit->text());
    if (m_model.confirm({texts, m_update->currentText()}))
        accept();
}
