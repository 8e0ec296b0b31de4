#pragma once

#include "sim/PtyLcdModule.h"

#include <QtTest>

// A throw-away settings file and simulated modules on pseudo-terminals.
class LinkHarness
{
public:
    LinkHarness() { QVERIFY(m_dir.isValid()); }

    QString iniPath() const { return m_dir.filePath(QStringLiteral("brellix.ini")); }

    void writeIni(const QByteArray& content)
    {
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(content), content.size());
    }

    QByteArray readIni() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A new simulated module; reply is what it answers to the detection query.
    PtyLcdModule* addModule(const QByteArray& reply = QByteArray("\x65"))
    {
        auto m = std::make_unique<PtyLcdModule>();
        QString error;
        if (!m->open(&error))
            qFatal("cannot open pty: %s", qPrintable(error));
        m->setDetectionReply(reply);
        return m_modules.emplace_back(std::move(m)).get();
    }

    void dropModule(PtyLcdModule* module)
    {
        std::erase_if(m_modules, [module](const auto& m) { return m.get() == module; });
    }

    QString dirPath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<PtyLcdModule>> m_modules;
};

inline QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}
