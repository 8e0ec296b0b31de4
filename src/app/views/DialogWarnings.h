#pragma once

#include "platform/UserMessage.h"

class QWidget;

// Where a dialog's own warnings go: a box on the dialog, with the focus, so
// Return and Esc answer it. A fatal end is passed on to the program's sink.
class DialogWarnings : public MessageSink
{
public:
    DialogWarnings(QWidget* dialog, MessageSink& program) : m_dialog(dialog), m_program(program) {}

    void showMessage(const UserMessage& message) override;
    void requestFatalEnd() override { m_program.requestFatalEnd(); }

private:
    QWidget* m_dialog;
    MessageSink& m_program;
};
