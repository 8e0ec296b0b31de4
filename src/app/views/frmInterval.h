#pragma once

#include "app/IntervalModel.h"
#include "app/views/DialogWarnings.h"

#include <QDialog>
#include <QList>

#include <functional>

class QComboBox;
class QLineEdit;

// The Weather and Stock dialogs: the model's text fields and the update
// interval. "OK" stores them (or warns and stays open); closing it otherwise
// stores nothing.
class frmInterval : public QDialog
{
    Q_OBJECT
public:
    // The names and texts of one dialog; the fields in the model's order.
    struct Look
    {
        const char* objectName;
        QString title;
        QString frameTitle; // non-empty: the fields sit in this frame, labels beside them
        QList<std::pair<QString, const char*>> fields; // label, objectName
        const char* updateName;
        const char* okName;
    };
    static Look weatherLook();
    static Look stockLook();

    // The model is made with the sink for the dialog's warnings, boxes on
    // the dialog; program takes what the dialog cannot answer (a fatal end).
    using MakeModel = std::function<IntervalModel(MessageSink& warnings)>;
    frmInterval(const MakeModel& makeModel, MessageSink& program, const Look& look,
                QWidget* parent = nullptr);

private:
    void confirm();

    DialogWarnings m_warnings; // before the model, which keeps it
    IntervalModel m_model;
    QList<QLineEdit*> m_fields;
    QComboBox* m_update = nullptr;
};
