#pragma once

#include "lcd/LcdLink.h"
#include "support/LinkHarness.h"

#include <QLocale>
#include <QSignalSpy>
#include <QtTest>

#include <cstdlib>
#include <ctime>
#include <optional>

// Sets TZ for the C library (and Qt's local time, which follows tzset) for
// the scope's lifetime, then puts the previous value back.
class TzScope
{
public:
    explicit TzScope(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = QByteArray(old);
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TzScope()
    {
        if (m_old)
            ::setenv("TZ", m_old->constData(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TzScope(const TzScope&) = delete;
    TzScope& operator=(const TzScope&) = delete;

private:
    std::optional<QByteArray> m_old;
};

// Sets the default QLocale for the scope's lifetime.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_old); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale m_old;
};

// A link whose COM1 is a simulated module on a pseudo-terminal. The harness
// is declared first so the link closes its port before the pty goes away.
class PtyLink
{
public:
    PtyLink() : module(harness.addModule()), spy(&link, &LcdLink::sent)
    {
        std::array<QString, LcdLink::PortCount> paths;
        paths.fill(module->slavePath());
        link.setPortPaths(paths);
        link.setPortNumber(1);
    }

    bool open() { return link.openPort(); }

    // The writes the link made so far, in order, and forgets them.
    QList<QByteArray> takeWrites()
    {
        QList<QByteArray> writes;
        for (const QList<QVariant>& args : std::as_const(spy))
            writes << args.at(0).toByteArray();
        spy.clear();
        return writes;
    }

    // Waits for the module to have received count bytes in all.
    bool waitFor(qsizetype count) { return module->waitForBytes(int(count), 5000); }

    LinkHarness harness;
    PtyLcdModule* module;
    LcdLink link;
    QSignalSpy spy;
};

// "FE2E09 FE320109DF" -> two writes.
inline QList<QByteArray> hexWrites(const QString& spaced)
{
    QList<QByteArray> writes;
    const QStringList parts = spaced.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        writes << QByteArray::fromHex(part.toLatin1());
    return writes;
}

inline QByteArray joined(const QList<QByteArray>& writes)
{
    QByteArray all;
    for (const QByteArray& w : writes)
        all += w;
    return all;
}
