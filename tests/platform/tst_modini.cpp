#include "platform/modINI.h"
#include "support/LinkHarness.h"

#include <QRegularExpression>
#include <QDir>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
        row("names ignore case", "[a]\nkEY=3\n", "Key", "3");
        row("trimmed; ; = # in value kept", "  [ A ]  \n\tk  =  a;b=c #d \t\n", "k", "a;b=c #d");
        row("comments, stray lines", "k=0\n[A]\n;k=1\n#k=2\nk\n\nk=3\n", "k", "3");
        row("first of duplicate keys", "[A]\nk=1\nk=2\n", "k", "1");
        row("BOM, CRLF, no final newline", "\xEF\xBB\xBF[A]\r\nk=v", "k", "v");
        row("Windows-1252 line", mixed, "k", u"Š€ü"_s);
        row("255 chars cut to 254", "[A]\nk=" + v254 + "y\n", "k", QString::fromLatin1(v254));
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
        row("replace keeps spelling and the rest",
            "; top\n[settings]\n  COMMPORT = 1 \nodd line\n\n[Other]\nx = y\n", "Settings",
            "CommPort", "4", "; top\n[settings]\nCOMMPORT=4\nodd line\n\n[Other]\nx = y\n");
        row("replace first duplicate only", "[A]\nk=1\nk=2\n", "A", "K", "9", "[A]\nk=9\nk=2\n");
        row("BOM and 1252 bytes kept", "\xEF\xBB\xBF[W]\nCity=Z\xFCrich\nUpdate=30\n", "W",
            "Update", "15", "\xEF\xBB\xBF[W]\nCity=Z\xFCrich\nUpdate=15\n");
        row("LF in value", old, "A", "k", "1\n2", nullptr);
        row("= in key", old, "A", "k=x", "1", nullptr);
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

    // The keys of one save land in their sections as separate writes would
    // put them: a section the save adds is added once.
    void severalKeys()
    {
        LinkHarness h;
        h.writeIni("[Settings]\r\nbacklight=3\r\n");
        QVERIFY(modINI(h.iniPath())
                    .WriteIniKeys({{u"Mode"_s, u"mode"_s, u"0"_s},
                                   {u"Settings"_s, u"CommPort"_s, u"1"_s},
                                   {u"Settings"_s, u"Backlight"_s, u"9"_s}}));
        QCOMPARE(h.readIni(), "[Settings]\r\nbacklight=9\r\nCommPort=1\r\n\r\n[Mode]\r\nmode=0\r\n");
    }

    // What is not a regular file is refused at once, never opened (a FIFO
    // would block start-up, /dev/zero never ends), and said once.
    void notAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("warning");
        const QString notRegular = u"is not a regular file"_s;
        QTest::newRow("folder") << u"folder"_s << notRegular;
        QTest::newRow("FIFO") << u"fifo"_s << notRegular;
        QTest::newRow("device") << u"/dev/zero"_s << notRegular;
        // Root's link to a file of someone else: neither read nor written.
        QTest::newRow("link to another user's file")
            << u"foreign"_s << u"is a link to a file of another user"_s;
        QTest::newRow("dangling link of another user")
            << u"dangling"_s << u"is a link to a file of another user"_s;
    }
    void notAFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, warning);
        LinkHarness h;
        QString path = h.dirPath(u"settings"_s);
        const QByteArray target = QFile::encodeName(h.dirPath(u"target"_s));
        const QByteArray link = QFile::encodeName(path);
        if (kind == u"folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"fifo") {
            QCOMPARE(::mkfifo(link.constData(), 0600), 0);
        } else if (kind == u"foreign" || kind == u"dangling") {
            if (::geteuid() != 0)
                QSKIP("only root can give files to another user");
            if (kind == u"foreign") {
                QFile f(h.dirPath(u"target"_s));
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write("[Mode]\nmode=3\n") == 14);
                f.close();
                QCOMPARE(::chown(target.constData(), 65534, 65534), 0);
            }
            QCOMPARE(::symlink(target.constData(), link.constData()), 0);
            if (kind == u"dangling")
                QCOMPARE(::lchown(link.constData(), 65534, 65534), 0);
        } else {
            path = kind;
        }
        modINI ini(path);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(ini.ReadIni(u"Mode"_s, u"mode"_s), QString());
        QVERIFY(!ini.WriteIniKeys({{u"Mode"_s, u"mode"_s, u"1"_s}}));
    }

    // A save keeps what the file was: its mode, its owner (root saving a
    // user's file), a symlink to it, and it is written in place where the
    // folder cannot be written but the file can.
    void keepsTheFile_data()
    {
        QTest::addColumn<QString>("situation");
        for (const char* c : {"mode", "owner", "symlink", "read-only folder"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void keepsTheFile()
    {
        QFETCH(QString, situation);
        const bool root = ::geteuid() == 0;
        if (situation == u"owner" && !root)
            QSKIP("only root can save another user's file");
        LinkHarness h;
        h.writeIni("[A]\nk=1\n");
        QString path = h.iniPath();
        QFile file(path);
        if (situation == u"mode")
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        if (situation == u"owner")
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, ::getegid()), 0);
        if (situation == u"symlink") {
            path = h.dirPath(u"link.ini"_s);
            QVERIFY(QFile::link(h.iniPath(), path));
        }
        if (situation == u"read-only folder") {
            QVERIFY(file.setPermissions(QFileDevice::Permissions(0x6666)));
            QCOMPARE(::chmod(QFile::encodeName(h.dirPath(u"."_s)).constData(), 0555), 0);
        }
        const auto restore =
            qScopeGuard([&] { ::chmod(QFile::encodeName(h.dirPath(u"."_s)).constData(), 0700); });
        if (situation == u"read-only folder" && root) {
            // Root writes any folder: save as an ordinary user, in a child.
            const pid_t child = ::fork();
            if (child == 0) {
                const bool saved = ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                                   modINI(path).WriteIni(u"A"_s, u"k"_s, u"2"_s);
                ::_exit(saved ? 0 : 1);
            }
            int status = -1;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        } else {
            QVERIFY(modINI(path).WriteIni(u"A"_s, u"k"_s, u"2"_s));
        }
        QCOMPARE(h.readIni(), "[A]\nk=2\n");
        const QFileInfo info(h.iniPath());
        if (situation == u"mode")
            QCOMPARE(int(info.permissions() & 0x0777), int(QFile::ReadUser | QFile::WriteUser));
        if (situation == u"owner")
            QCOMPARE(info.ownerId(), 65534u);
        if (situation == u"symlink")
            QVERIFY(QFileInfo(path).isSymLink());
    }

    // SIGKILL at any moment of a save of three keys: always the old or the
    // new file, whole, and nothing left beside it.
    void killedWhileSaving()
    {
        LinkHarness h;
        const QByteArray before = "[Mode]\nmode=1\n\n[Settings]\nCommPort=1\nBacklight=10\n";
        const QByteArray after = "[Mode]\nmode=2\n\n[Settings]\nCommPort=2\nBacklight=20\n";
        QRandomGenerator random(7);
        for (int round = 0; round < 500; ++round) {
            h.writeIni(round % 2 ? after : before);
            const pid_t child = ::fork();
            if (child == 0) {
                modINI ini(h.iniPath());
                for (int i = 0;; ++i) {
                    const QString n = QString::number(i % 2 + 1);
                    ini.WriteIniKeys({{u"Mode"_s, u"mode"_s, n},
                                      {u"Settings"_s, u"CommPort"_s, n},
                                      {u"Settings"_s, u"Backlight"_s, n + u'0'}});
                }
            }
            QVERIFY(child > 0);
            ::usleep(random.bounded(3000));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QByteArray now = h.readIni();
            QVERIFY2(now == before || now == after, now.constData());
            // A kill between the rename's two halves can leave the new
            // file's temporary name; the next start removes it.
            QStringList left = QDir(h.dirPath(u"."_s)).entryList(QDir::Files | QDir::Hidden);
            if (left.size() > 1) {
                qInfo() << "left" << left;
                modINI(h.iniPath()).removeStaleTemporaries();
                left = QDir(h.dirPath(u"."_s)).entryList(QDir::Files | QDir::Hidden);
            }
            QCOMPARE(left, QStringList{u"brellix.ini"_s});
        }
    }

    // What an interrupted save left beside the file goes at the next start;
    // nothing else does.
    void staleTemporaries()
    {
        LinkHarness h;
        h.writeIni("[A]\nk=1\n");
        for (const char* name : {"brellix.ini.AbC123", "brellix.ini.bak", "brellix.ini.AbC12"})
            QVERIFY(QFile(h.dirPath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(u"brellix.ini.AbC123 left by"_s));
        modINI(h.iniPath()).removeStaleTemporaries();
        QCOMPARE(QDir(h.dirPath(u"."_s)).entryList(QDir::Files, QDir::Name),
                 (QStringList{u"brellix.ini"_s, u"brellix.ini.AbC12"_s, u"brellix.ini.bak"_s}));
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
