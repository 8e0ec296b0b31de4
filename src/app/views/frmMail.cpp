#include "app/views/frmMail.h"

#include "screens/mail/MailSettings.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMail::frmMail(modINI& ini, MessageSink& program, QWidget* parent)
    : QDialog(parent), m_ini(ini), m_warnings(this, program)
{
    setObjectName(QStringLiteral("frmMail"));
    setWindowTitle(QStringLiteral("Configure Mail"));
    setAttribute(Qt::WA_DeleteOnClose); // every opening loads afresh

    const MailSettings::Entries saved = MailSettings::entries(ini);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto field = [this, form](const char* name, const QString& label, const QString& text,
                                    const QString& placeholder) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(QLatin1String(name));
        edit->setPlaceholderText(placeholder);
        edit->setMinimumWidth(280);
        form->addRow(label, edit);
        return edit;
    };
    m_url = field("txtUrl", QStringLiteral("Mailbox"), saved.url,
                  QStringLiteral("imaps://mail.example.org/INBOX"));
    m_user = field("txtUser", QStringLiteral("User"), saved.user, QString());
    m_passwordCommand = field("txtPasswordCommand", QStringLiteral("Password command"),
                              saved.passwordCommand, QStringLiteral("pass show mail"));
    m_caFile = field("txtCaFile", QStringLiteral("Extra CA file"), saved.caFile,
                     QStringLiteral("the system's certificates only"));
    layout->addLayout(form);

    auto* password = new QLabel(
        QStringLiteral("Brellix never stores the password. It is the first line the password "
                       "command prints; without a command, it comes from ~/.netrc (\"machine "
                       "HOST login USER password ...\", mode 600)."),
        this);
    password->setObjectName(QStringLiteral("lblPassword"));
    password->setWordWrap(true);
    layout->addWidget(password);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdDone"));
    ok->setDefault(true);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &frmMail::confirm);
}

void frmMail::confirm()
{
    const MailSettings::Entries entries{m_url->text().trimmed(), m_user->text().trimmed(),
                                        m_passwordCommand->text().trimmed(),
                                        m_caFile->text().trimmed()};
    const QString problem = MailSettings::urlProblem(entries.url);
    if (!problem.isEmpty()) {
        m_warnings.showMessage({problem, MessageSeverity::Warning, MessageCategory::Settings});
        return;
    }
    MailSettings::save(m_ini, entries);
    accept();
}
