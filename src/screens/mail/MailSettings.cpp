#include "screens/mail/MailSettings.h"

#include "platform/Logging.h"
#include "platform/modINI.h"

#include <QDir>
#include <QUrl>

namespace {
const QString Section = QStringLiteral("Mail");

void warnPassword(const modINI& ini, const QString& where)
{
    qCWarning(lcSettings).noquote()
        << QStringLiteral("%1: [Mail] %2 is ignored: Brellix never takes a mail password from its "
                          "settings file. Remove it, and put the password in ~/.netrc (\"machine "
                          "HOST login USER password ...\", mode 600) or in a password store that "
                          "[Mail] PasswordCommand reads, e.g. PasswordCommand=secret-tool lookup "
                          "service mail")
               .arg(ini.path(), where);
}
} // namespace

MailSettings MailSettings::load(const modINI& ini)
{
    MailSettings s;
    MailAccount& a = s.account;
    a.user = ini.ReadIni(Section, QStringLiteral("User"));
    if (!ini.ReadIni(Section, QStringLiteral("Password")).isEmpty())
        warnPassword(ini, QStringLiteral("Password"));

    const QString url = ini.ReadIni(Section, QStringLiteral("Url"));
    if (!url.isEmpty()) {
        QUrl parsed(url, QUrl::StrictMode);
        const QString scheme = parsed.scheme().toLower();
        if (!parsed.isValid() || parsed.host().isEmpty() ||
            !QStringList{QStringLiteral("imaps"), QStringLiteral("imap"), QStringLiteral("pop3s"),
                         QStringLiteral("pop3")}
                 .contains(scheme)) {
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1: [Mail] Url = \"%2\" is not an imaps://, imap://, pop3s:// "
                                  "or pop3:// address; using the default (no mailbox)")
                       .arg(ini.path(), url);
        } else {
            if (!parsed.password().isEmpty())
                warnPassword(ini, QStringLiteral("Url's password"));
            if (a.user.isEmpty())
                a.user = parsed.userName();
            parsed.setUserInfo(QString());
            a.url = parsed.toString();
        }
    }

    const QString command = ini.ReadIni(Section, QStringLiteral("PasswordCommand"));
    if (!command.isEmpty() && !splitCommand(command, a.passwordCommand)) {
        a.passwordCommand.clear();
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1: [Mail] PasswordCommand = \"%2\" has an unclosed quote; using "
                              "the default (~/.netrc)")
                   .arg(ini.path(), command);
    }

    a.caFile = ini.ReadIni(Section, QStringLiteral("CaFile"));
    if (a.caFile.startsWith(QLatin1String("~/")))
        a.caFile = QDir::homePath() + a.caFile.mid(1);
    return s;
}

bool MailSettings::splitCommand(const QString& line, QStringList& arguments)
{
    arguments.clear();
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < line.size() &&
                QStringLiteral("\"`$\\").contains(line.at(i + 1))) {
                word += line.at(++i);
            } else if (c == u'"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord)
                arguments.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        arguments.clear();
        return false;
    }
    if (inWord)
        arguments.append(word);
    return !arguments.isEmpty();
}
