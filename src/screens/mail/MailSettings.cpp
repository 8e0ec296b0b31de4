#include "screens/mail/MailSettings.h"

#include "platform/Logging.h"
#include "platform/PrintableText.h"
#include "platform/SettingsReader.h"
#include "platform/modINI.h"

#include <QDir>
#include <QUrl>

namespace {

bool isMailbox(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty() &&
           QStringList{QStringLiteral("imaps"), QStringLiteral("imap"), QStringLiteral("pop3s"),
                       QStringLiteral("pop3")}
               .contains(url.scheme().toLower());
}

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
    const SettingsReader r(ini, Section);
    MailSettings s;
    MailAccount& a = s.account;
    a.user = r.raw(UserKey);
    if (!r.raw(PasswordKey).isEmpty())
        warnPassword(ini, QLatin1String(PasswordKey));

    const QString url = r.raw(UrlKey);
    if (!url.isEmpty()) {
        QUrl parsed(url, QUrl::StrictMode);
        if (!isMailbox(parsed)) {
            r.reject(QLatin1String(UrlKey), addressForLog(url),
                     QStringLiteral("is not an imaps://, imap://, pop3s:// or pop3:// address"),
                     QStringLiteral("(no mailbox)"));
        } else {
            if (!parsed.password().isEmpty())
                warnPassword(ini, QStringLiteral("Url's password"));
            if (a.user.isEmpty())
                a.user = parsed.userName();
            parsed.setUserInfo(QString());
            a.url = parsed.toString();
        }
    }

    const QString command = r.raw(PasswordCommandKey);
    if (!command.isEmpty() && !splitCommand(command, a.passwordCommand)) {
        a.passwordCommand.clear();
        r.reject(QLatin1String(PasswordCommandKey), command,
                 QStringLiteral("has an unclosed quote"), QStringLiteral("(~/.netrc)"));
    }

    a.caFile = r.raw(CaFileKey);
    if (a.caFile.startsWith(QLatin1String("~/")))
        a.caFile = QDir::homePath() + a.caFile.mid(1);
    return s;
}

MailSettings::Entries MailSettings::entries(const modINI& ini)
{
    const SettingsReader r(ini, Section);
    return {r.raw(UrlKey), r.raw(UserKey), r.raw(PasswordCommandKey), r.raw(CaFileKey)};
}

bool MailSettings::save(modINI& ini, const Entries& e)
{
    const QString section = QLatin1String(Section);
    return ini.WriteIniKeys({{section, QLatin1String(UrlKey), e.url},
                             {section, QLatin1String(UserKey), e.user},
                             {section, QLatin1String(PasswordCommandKey), e.passwordCommand},
                             {section, QLatin1String(CaFileKey), e.caFile}});
}

QString MailSettings::urlProblem(const QString& url)
{
    if (url.isEmpty())
        return {};
    const QUrl parsed(url, QUrl::StrictMode);
    if (!isMailbox(parsed))
        return QStringLiteral("The mailbox address must begin with imaps://, imap://, pop3s:// "
                              "or pop3:// and name a server.");
    if (!parsed.password().isEmpty())
        return QStringLiteral("The mailbox address must not hold a password: Brellix never "
                              "stores one.");
    return {};
}

bool MailSettings::sameAccount(const MailAccount& a, const MailAccount& b)
{
    return a.url == b.url && a.user == b.user && a.passwordCommand == b.passwordCommand &&
           a.caFile == b.caFile;
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
