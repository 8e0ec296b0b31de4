#include "platform/modINI.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.errorString()));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_modINI : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void read_data();
    void read();
    void write_data();
    void write();
    void refusedWrite_data();
    void refusedWrite();
    void failedWrite_data();
    void failedWrite();
    void sizeLimit_data();
    void sizeLimit();
    void writeReplacesFileInsteadOfTruncating();
    void everyCallSeesTheFileAsItIsNow();
    void locate();

private:
    QString iniPath() const { return m_dir->filePath(QStringLiteral("brellix.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_modINI::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Only the cases that expect a warning may produce one.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void tst_modINI::read_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString S = QStringLiteral("Settings");
    const QString K = QStringLiteral("Key");
    const QString A = QStringLiteral("A");
    const QString k = QStringLiteral("k");

    QTest::newRow("no file") << QByteArray() << S << K << "";
    QTest::newRow("empty file") << QByteArray("") << S << K << "";
    QTest::newRow("no section") << QByteArray("[Other]\nKey=1\n") << S << K << "";
    QTest::newRow("no key") << QByteArray("[Settings]\nOther=1\n") << S << K << "";
    QTest::newRow("empty value") << QByteArray("[Settings]\nKey=\n") << S << K << "";
    QTest::newRow("plain") << QByteArray("[Settings]\nKey=value\n") << S << K << "value";
    QTest::newRow("names ignore case")
        << QByteArray("[sETTINGS]\nkEY=3\n") << S << K << "3";
    QTest::newRow("only ASCII letters fold")
        << QByteArray("[Städte]\nKey=1\n") << QStringLiteral("STÄDTE") << K << "";
    QTest::newRow("spaces trimmed")
        << QByteArray("  [ Settings ]  \n  Key  =  two  words  \n") << S << K << "two  words";
    QTest::newRow("tabs trimmed") << QByteArray("[Settings]\n\tKey\t=\tv\t\n") << S << K << "v";
    QTest::newRow("comments skipped")
        << QByteArray("[Settings]\n;Key=1\n#Key=2\n  ; Key=3\nKey=4\n") << S << K << "4";
    QTest::newRow("comment does not end section")
        << QByteArray("[Settings]\n; note\n\nKey=5\n") << S << K << "5";
    QTest::newRow("semicolon inside value kept")
        << QByteArray("[Settings]\nKey=a;b #c\n") << S << K << "a;b #c";
    QTest::newRow("equals inside value kept")
        << QByteArray("[Settings]\nKey=x=y\n") << S << K << "x=y";
    QTest::newRow("first duplicate key")
        << QByteArray("[A]\nk=1\nk=2\n") << A << k << "1";
    QTest::newRow("first duplicate section")
        << QByteArray("[A]\nk=1\n[B]\n[A]\nk=2\n") << A << k << "1";
    QTest::newRow("later duplicate section not searched")
        << QByteArray("[A]\nx=1\n[A]\nk=2\n") << A << k << "";
    QTest::newRow("key of next section not taken")
        << QByteArray("[A]\nx=1\n[B]\nk=2\n") << A << k << "";
    QTest::newRow("key before any section ignored")
        << QByteArray("k=0\n[A]\nk=1\n") << A << k << "1";
    QTest::newRow("line without equals is no key")
        << QByteArray("[A]\nk\nk=1\n") << A << k << "1";
    QTest::newRow("CRLF") << QByteArray("[A]\r\nk=v\r\n") << A << k << "v";
    QTest::newRow("no final newline") << QByteArray("[A]\nk=v") << A << k << "v";
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF[A]\nk=1\n") << A << k << "1";
    QTest::newRow("UTF-8") << QByteArray("[A]\nk=Z\xC3\xBCrich\n") << A << k
                           << QStringLiteral("Zürich");
    QTest::newRow("Windows-1252 line")
        << QByteArray("[A]\nk=Z\xFCrich \x8A\x80\n") << A << k << QStringLiteral("Zürich Š€");
    QTest::newRow("1252 line beside UTF-8 line")
        << QByteArray("[A]\nj=\xC3\xBC\nk=\xFC\n") << A << k << QStringLiteral("ü");

    const QByteArray v254(254, 'x');
    QTest::newRow("254 chars") << QByteArray("[A]\nk=" + v254 + "\n") << A << k
                               << QString::fromLatin1(v254);
    QTest::newRow("255 chars") << QByteArray("[A]\nk=" + v254 + "y\n") << A << k
                               << QString::fromLatin1(v254);
    QTest::newRow("300 chars") << QByteArray("[A]\nk=" + QByteArray(300, 'z') + "\n") << A << k
                               << QString(254, u'z');
    QTest::newRow("254 non-ASCII chars")
        << QByteArray("[A]\nk=" + QByteArray("\xC3\xA9").repeated(300) + "\n") << A << k
        << QString(254, QChar(0xE9));
    QTest::newRow("no half character at the cut")
        << QByteArray("[A]\nk=" + QByteArray(253, 'x') + "\xF0\x9F\x98\x80\n") << A << k
        << QString(253, u'x');
}

void tst_modINI::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    if (!file.isNull())
        writeBytes(iniPath(), file);
    QCOMPARE(modINI(iniPath()).ReadIni(section, key), expected);
}

void tst_modINI::write_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << "Mode" << "mode" << "3"
                              << QByteArray("[Mode]\nmode=3\n");
    QTest::newRow("empty file") << QByteArray("") << "B" << "j" << "2"
                                << QByteArray("[B]\nj=2\n");
    QTest::newRow("new section after blank line")
        << QByteArray("[A]\nk=1\n") << "B" << "j" << "2"
        << QByteArray("[A]\nk=1\n\n[B]\nj=2\n");
    QTest::newRow("new section, file ends blank")
        << QByteArray("[A]\nk=1\n\n") << "B" << "j" << "2"
        << QByteArray("[A]\nk=1\n\n[B]\nj=2\n");
    QTest::newRow("new section, no final newline")
        << QByteArray("[A]\nk=1") << "B" << "j" << "2"
        << QByteArray("[A]\nk=1\n\n[B]\nj=2\n");
    QTest::newRow("new key at end of its section")
        << QByteArray("[A]\nk=1\n\n; about B\n[B]\nx=1\n") << "A" << "j" << "2"
        << QByteArray("[A]\nk=1\nj=2\n\n; about B\n[B]\nx=1\n");
    QTest::newRow("new key in section without keys")
        << QByteArray("[A]\n\n[B]\n") << "a" << "j" << "2"
        << QByteArray("[A]\nj=2\n\n[B]\n");
    QTest::newRow("new key, no final newline")
        << QByteArray("[A]\nk=1") << "A" << "j" << "2" << QByteArray("[A]\nk=1\nj=2\n");
    QTest::newRow("new key goes to first duplicate section")
        << QByteArray("[A]\nk=1\n[A]\nx=1\n") << "A" << "j" << "2"
        << QByteArray("[A]\nk=1\nj=2\n[A]\nx=1\n");
    QTest::newRow("replace keeps spelling and the rest")
        << QByteArray("; top\n[settings]\n  COMMPORT = 1 \nSetting=9600,n,8,1\n"
                      "odd line\n\n[Other]\nx = y\n")
        << "Settings" << "CommPort" << "4"
        << QByteArray("; top\n[settings]\nCOMMPORT=4\nSetting=9600,n,8,1\n"
                      "odd line\n\n[Other]\nx = y\n");
    QTest::newRow("replace first duplicate key only")
        << QByteArray("[A]\nk=1\nk=2\n") << "A" << "K" << "9"
        << QByteArray("[A]\nk=9\nk=2\n");
    QTest::newRow("replace last line without newline")
        << QByteArray("[A]\nk=1") << "A" << "k" << "2" << QByteArray("[A]\nk=2");
    QTest::newRow("replace with empty value")
        << QByteArray("[A]\nk=1\n") << "A" << "k" << "" << QByteArray("[A]\nk=\n");
    QTest::newRow("replace tidies only that line")
        << QByteArray("[A]\n k = 1\n") << "A" << "k" << "1" << QByteArray("[A]\nk=1\n");
    QTest::newRow("CRLF new key")
        << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\n") << "A" << "j" << "2"
        << QByteArray("[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\n");
    QTest::newRow("CRLF new section")
        << QByteArray("[A]\r\nk=1\r\n") << "B" << "j" << "2"
        << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n");
    QTest::newRow("CRLF replace")
        << QByteArray("[A]\r\nk=1\r\nz=0\r\n") << "A" << "k" << "2"
        << QByteArray("[A]\r\nk=2\r\nz=0\r\n");
    QTest::newRow("1252 bytes elsewhere kept")
        << QByteArray("[W]\nCity=Z\xFCrich\nUpdate=30\n") << "W" << "Update" << "15"
        << QByteArray("[W]\nCity=Z\xFCrich\nUpdate=15\n");
    QTest::newRow("written as UTF-8")
        << QByteArray() << "W" << "City" << QStringLiteral("Zürich")
        << QByteArray("[W]\nCity=Z\xC3\xBCrich\n");
    QTest::newRow("BOM kept")
        << QByteArray("\xEF\xBB\xBF[A]\nk=1\n") << "A" << "k" << "2"
        << QByteArray("\xEF\xBB\xBF[A]\nk=2\n");
}

void tst_modINI::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    // A folder that does not exist yet, as on first start.
    const QString path = m_dir->filePath(QStringLiteral("new/sub/brellix.ini"));
    if (!before.isNull()) {
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        writeBytes(path, before);
    }
    modINI ini(path);
    QVERIFY(ini.WriteIni(section, key, value));
    QCOMPARE(readBytes(path), after);
    QCOMPARE(ini.ReadIni(section, key), value.trimmed());
}

void tst_modINI::refusedWrite_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("LF in value") << "A" << "k" << "one\ntwo";
    QTest::newRow("CR in value") << "A" << "k" << "one\rtwo";
    QTest::newRow("equals in key") << "A" << "k=x" << "1";
    QTest::newRow("empty key") << "A" << "" << "1";
    QTest::newRow("empty section") << "" << "k" << "1";
    QTest::newRow("bracket in section") << "A]" << "k" << "1";
    QTest::newRow("key looks like comment") << "A" << ";k" << "1";
}

void tst_modINI::refusedWrite()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);

    const QByteArray before("[A]\nk=old\n");
    writeBytes(iniPath(), before);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not writing")));
    QVERIFY(!modINI(iniPath()).WriteIni(section, key, value));
    QCOMPARE(readBytes(iniPath()), before);
}

void tst_modINI::failedWrite_data()
{
    QTest::addColumn<bool>("underFile");
    QTest::newRow("folder is a file") << true;
    QTest::newRow("read-only folder") << false;
}

void tst_modINI::failedWrite()
{
    QFETCH(bool, underFile);

    QString path;
    QByteArray before;
    if (underFile) {
        // Works for root too, unlike a permission bit.
        const QString file = m_dir->filePath(QStringLiteral("file.txt"));
        writeBytes(file, "not a folder");
        path = file + QStringLiteral("/brellix.ini");
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        path = iniPath();
        before = "[A]\nk=old\n";
        writeBytes(path, before);
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    }
    const auto restore = qScopeGuard([this] {
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot")));
    QVERIFY(!modINI(path).WriteIni(QStringLiteral("A"), QStringLiteral("k"),
                                   QStringLiteral("new")));
    if (underFile)
        QCOMPARE(readBytes(m_dir->filePath(QStringLiteral("file.txt"))), "not a folder");
    else
        QCOMPARE(readBytes(path), before);
}

void tst_modINI::sizeLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("readable");

    QTest::newRow("exactly the limit") << int(modINI::MaxFileSize) << true;
    QTest::newRow("one byte over") << int(modINI::MaxFileSize + 1) << false;
}

void tst_modINI::sizeLimit()
{
    QFETCH(int, size);
    QFETCH(bool, readable);

    QByteArray bytes("[A]\nk=v\n;");
    bytes += QByteArray(size - bytes.size() - 1, 'c') + '\n';
    QCOMPARE(bytes.size(), size);
    writeBytes(iniPath(), bytes);

    modINI ini(iniPath());
    if (!readable)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("larger than")));
    QCOMPARE(ini.ReadIni(QStringLiteral("A"), QStringLiteral("k")),
             readable ? QStringLiteral("v") : QString());

    if (!readable)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("larger than")));
    QCOMPARE(ini.WriteIni(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("w")),
             readable);
    if (!readable)
        QCOMPARE(readBytes(iniPath()), bytes);
}

void tst_modINI::writeReplacesFileInsteadOfTruncating()
{
    // A second link to the old file keeps the old contents only if the new
    // file was renamed into place rather than written over the old one.
    writeBytes(iniPath(), "[A]\nk=1\n");
    const QString link = m_dir->filePath(QStringLiteral("old.ini"));
    QVERIFY(::link(QFile::encodeName(iniPath()).constData(),
                   QFile::encodeName(link).constData()) == 0);

    QVERIFY(modINI(iniPath()).WriteIni(QStringLiteral("A"), QStringLiteral("k"),
                                       QStringLiteral("2")));
    QCOMPARE(readBytes(iniPath()), "[A]\nk=2\n");
    QCOMPARE(readBytes(link), "[A]\nk=1\n");
}

void tst_modINI::everyCallSeesTheFileAsItIsNow()
{
    modINI reader(iniPath());
    modINI writer(iniPath());
    QVERIFY(writer.WriteIni(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")));
    QCOMPARE(reader.ReadIni(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));

    writeBytes(iniPath(), "[A]\nk=2\nx=3\n");
    QCOMPARE(reader.ReadIni(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("2"));
    // A write must build on the current file, not on what was seen earlier.
    QVERIFY(writer.WriteIni(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("4")));
    QCOMPARE(readBytes(iniPath()), "[A]\nk=4\nx=3\n");
}

void tst_modINI::locate()
{
    const QString appFolder = modINI::AppFolder();
    QCOMPARE(appFolder, QCoreApplication::applicationDirPath() + u'/');

    const QString portable = appFolder + QStringLiteral("brellix.ini");
    if (QFile::exists(portable))
        QSKIP("a brellix.ini already lies beside the test program");

    const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    const auto restoreEnv = qScopeGuard([&] {
        if (oldConfigHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfigHome);
    });
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    const QString home = m_dir->filePath(QStringLiteral("brellix/brellix.ini"));
    const QString given = m_dir->filePath(QStringLiteral("elsewhere/my.ini"));

    QCOMPARE(modINI::locate(QString()), home);
    QVERIFY2(!QFile::exists(home), "locate must not create the file");
    QVERIFY(!QFile::exists(QFileInfo(home).absolutePath()));
    QCOMPARE(modINI::locate(given), given);

    if (!QFileInfo(appFolder).isWritable())
        QSKIP("cannot place a portable brellix.ini beside the test program");
    writeBytes(portable, "[Mode]\nmode=1\n");
    const auto removePortable = qScopeGuard([&] { QFile::remove(portable); });
    QCOMPARE(modINI::locate(QString()), portable);
    QCOMPARE(modINI::locate(given), given);
}

QTEST_GUILESS_MAIN(tst_modINI)
#include "tst_modini.moc"
