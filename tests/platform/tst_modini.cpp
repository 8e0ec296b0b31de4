#include "platform/modINI.h"
#include "support/LinkHarness.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <QDir>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_modINI : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); } // only where expected

    void read_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file at all
        QTest::addColumn<QString>("key");     // in section A
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QByteArray& file, const QString& key,
                            const QString& expected) {
            QTest::newRow(name) << file << key << expected;
        };
        const QByteArray v254(254, 'x'), mixed("[A]\nj=Z\xC3\xBCrich\nk=\x8A\x80\xFC\n");
        row("no file", nullptr, "k", "");
        row("only in another section", "[A]\nx=1\n[B]\nk=2\n", "k", "");
        row("empty value", "[A]\nk=\n", "k", "");
        row("names ignore case", "[a]\nkEY=3\n", "Key", "3");
        row("trimmed; ; = # in value kept", "  [ A ]  \n\tk  =  a;b=c #d \t\n", "k", "a;b=c #d");
        row("comments, stray lines", "k=0\n[A]\n;k=1\n#k=2\nk\n\nk=3\n", "k", "3");
        row("first of duplicate keys", "[A]\nk=1\nk=2\n", "k", "1");
        row("first section only", "[A]\nx=1\n[A]\nk=2\n", "k", "");
        row("BOM, CRLF, no final newline", "\xEF\xBB\xBF[A]\r\nk=v", "k", "v");
        row("UTF-8 line", mixed, "j", u"Zürich"_s);
        row("Windows-1252 line", mixed, "k", u"Š€ü"_s);
        row("255 chars cut to 254", "[A]\nk=" + v254 + "y\n", "k", QString::fromLatin1(v254));
        row("cut counts characters", "[A]\nk=" + QByteArray("\xC3\xA9").repeated(300), "k",
            QString(254, QChar(0xE9)));
        row("no half character at the cut", "[A]\nk=" + QByteArray(253, 'x') + "\xF0\x9F\x98\x80",
            "k", QString(253, u'x'));
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        LinkHarness h;
        if (!file.isNull())
            h.writeIni(file);
        QTEST(modINI(h.iniPath()).ReadIni(u"A"_s, key), "expected");
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after"); // null: refused, file untouched
        const auto row = [](const char* name, const char* before, const QString& section,
                            const QString& key, const QString& value, const char* after) {
            QTest::newRow(name) << QByteArray(before) << section << key << value
                                << QByteArray(after);
        };
        const char* const old = "[A]\nk=old\n";
        row("new file, UTF-8", nullptr, "W", "City", u"Zürich"_s, "[W]\nCity=Z\xC3\xBCrich\n");
        row("new section, file ends blank", "[A]\nk=1\n\n", "B", "j", "2",
            "[A]\nk=1\n\n[B]\nj=2\n");
        row("new section, CRLF, no final newline", "[A]\r\nk=1", "B", "j", "2",
            "[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n");
        row("new key at end of its section", "[A]\nk=1\n\n; about B\n[B]\nx=1\n", "A", "j", "2",
            "[A]\nk=1\nj=2\n\n; about B\n[B]\nx=1\n");
        row("new key in section without keys", "[A]\n\n[B]\n", "a", "j", "2", "[A]\nj=2\n\n[B]\n");
        row("new key, no final newline", "[A]\nk=1", "A", "j", "2", "[A]\nk=1\nj=2\n");
        row("replace keeps spelling and the rest",
            "; top\n[settings]\n  COMMPORT = 1 \nodd line\n\n[Other]\nx = y\n", "Settings",
            "CommPort", "4", "; top\n[settings]\nCOMMPORT=4\nodd line\n\n[Other]\nx = y\n");
        row("replace first duplicate only", "[A]\nk=1\nk=2\n", "A", "K", "9", "[A]\nk=9\nk=2\n");
        row("BOM and 1252 bytes kept", "\xEF\xBB\xBF[W]\nCity=Z\xFCrich\nUpdate=30\n", "W",
            "Update", "15", "\xEF\xBB\xBF[W]\nCity=Z\xFCrich\nUpdate=15\n");
        row("LF in value", old, "A", "k", "1\n2", nullptr);
        row("= in key", old, "A", "k=x", "1", nullptr);
        row("] in section", old, "A]", "k", "1", nullptr);
        row("key like a comment", old, "A", ";k", "1", nullptr);
        const QByteArray big = "[A]\nk=v\n;" + QByteArray(modINI::MaxFileSize - 8, 'c'); // 1 over
        row("file over the size cap", big.constData(), "A", "k", "w", nullptr);
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        LinkHarness h;
        if (!before.isNull())
            h.writeIni(before);
        if (after.isNull())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"not writing|larger than"_s));
        QCOMPARE(modINI(h.iniPath()).WriteIni(section, key, value), !after.isNull());
        QCOMPARE(h.readIni(), after.isNull() ? before : after);
    }

    // A first write makes the folder, if it can. Each call works on the file as
    // it is now, and a write replaces it by rename: a second link keeps the old file.
    void writeReplacesCurrentFile()
    {
        LinkHarness h;
        const QString fresh = h.dirPath(u"new/sub/brellix.ini"_s);
        QVERIFY(modINI(fresh).WriteIni(u"A"_s, u"k"_s, u"1"_s) && QFile::exists(fresh));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot create"_s));
        QVERIFY(!modINI(fresh + u"/x.ini"_s).WriteIni(u"A"_s, u"k"_s, u"1"_s));
        modINI ini(h.iniPath());
        QVERIFY(ini.WriteIni(u"A"_s, u"k"_s, u"1"_s));
        h.writeIni("[A]\nk=2\nx=3\n");
        QCOMPARE(ini.ReadIni(u"A"_s, u"k"_s), u"2"_s);
        QFile old(h.dirPath(u"old.ini"_s));
        QCOMPARE(::link(QFile::encodeName(h.iniPath()), QFile::encodeName(old.fileName())), 0);
        QVERIFY(ini.WriteIni(u"A"_s, u"k"_s, u"4"_s));
        QCOMPARE(h.readIni(), "[A]\nk=4\nx=3\n");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), "[A]\nk=2\nx=3\n");
    }

    // A disk that refuses the new file's bytes when they are flushed: the
    // save fails with a warning, the old file stays, no temporary file is left.
    void failedCommit()
    {
        LinkHarness h;
        h.writeIni("[A]\nk=1\n");
        rlimit before{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
        const auto restore = qScopeGuard([&] {
            ::setrlimit(RLIMIT_FSIZE, &before);
            ::signal(SIGXFSZ, SIG_DFL);
        });
        ::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        rlimit limit = before;
        limit.rlim_cur = 10;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot write settings file"_s));
        QVERIFY(!modINI(h.iniPath()).WriteIni(u"A"_s, u"k"_s, u"123456789"_s));
        ::setrlimit(RLIMIT_FSIZE, &before);
        QCOMPARE(h.readIni(), "[A]\nk=1\n");
        QCOMPARE(QDir(h.dirPath(u"."_s)).entryList(QDir::Files), QStringList{u"brellix.ini"_s});
    }

    void locate()
    {
        LinkHarness h;
        QFile portable(modINI::AppFolder() + u"brellix.ini"_s);
        QCOMPARE(portable.fileName(), QCoreApplication::applicationDirPath() + u"/brellix.ini"_s);
        if (portable.exists())
            QSKIP("a brellix.ini already lies beside the test program");
        const auto removePortable = qScopeGuard([&] { portable.remove(); });
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(h.dirPath(u"home"_s)));
        QCOMPARE(modINI::locate(QString()), h.dirPath(u"home/brellix/brellix.ini"_s));
        QVERIFY(portable.open(QIODevice::WriteOnly));
        portable.close();
        QCOMPARE(modINI::locate(QString()), portable.fileName());
        QCOMPARE(modINI::locate(h.iniPath()), h.iniPath());
    }
};

QTEST_GUILESS_MAIN(tst_modINI)
#include "tst_modini.moc"
