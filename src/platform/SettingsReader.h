#pragma once

#include <QString>
#include <QtGlobal>

class modINI;

// Reads the keys of one section of brellix.ini for the section's owner. A
// missing or empty key takes the default quietly; an unusable value takes it
// with one warning of one form:
//   FILE: [Section] Key = "value" why; using the default X
class SettingsReader
{
public:
    SettingsReader(const modINI& ini, const char* section)
        : m_ini(ini), m_section(QLatin1String(section))
    {
    }
    // A section whose name is made at run time ("Screen Home").
    SettingsReader(const modINI& ini, QString section) : m_ini(ini), m_section(std::move(section))
    {
    }

    // The value as the file holds it; empty when missing.
    QString raw(const char* key) const;
    QString text(const char* key, const QString& fallback) const;
    // An integer in lo..hi, or fallback.
    qint64 number(const char* key, qint64 fallback, qint64 lo, qint64 hi) const;
    // An integer: 0 is no, any other yes.
    bool flag(const char* key, bool fallback) const;
    // A device or file name: one with control characters is refused.
    QString path(const char* key, const QString& fallback) const;
    // Kept as written when it is an integer at all: callers only compare it.
    QString integerText(const char* key, const QString& fallback) const;

    // Logs the refusal of value; fallback empty shows as "(none)".
    void reject(const QString& key, const QString& value, const QString& why,
                const QString& fallback) const;
    const modINI& ini() const { return m_ini; }
    QString section() const { return m_section; }

private:
    const modINI& m_ini;
    QString m_section;
};
