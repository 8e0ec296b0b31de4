#include "platform/PrintableText.h"
#include "platform/modINI.h"
#include "support/LinkHarness.h"

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

    void readAndWrite()
    {
        // The file (null: none at all), a key of section A, its value.
        const std::tuple<QByteArray, const char*, QString> rows[] = {
            {{}, "k", ""},
            {"[A]\nx=1\n[B]\nk=2\n", "k", ""},
            {"[a]\nkEY=3\n", "Key", "3"},
            {"  [ A ]  \n\tk  =  a;b=c #d \t\n", "k", "a;b=c #d"},
            {"k=0\n[A]\n;k=1\n#k=2\nk\n\nk=3\n", "k", "3"}, // comments, stray lines
            {"[A]\nk=1\nk=2\n", "k", "1"},
            {"\xEF\xBB\xBF[A]\r\nk=v", "k", "v"},
            {"[A]\nj=Z\xC3\xBCrich\nk=\x8A\x80\xFC\n", "k", u"Š€ü"_s}, // Windows-1252 line
            {"[A]\nk=" + QByteArray(254, 'x') + "y\n", "k", QString(254, u'x')},
            {"[A]\nk=" + QByteArray(253, 'x') + "\xF0\x9F\x98\x80", "k", QString(253, u'x')},
        };
        for (const auto& [file, key, expected] : rows) {
            LinkHarness h;
            if (!file.isNull())
                h.writeIni(file);
            QCOMPARE(modINI(h.iniPath()).ReadIni(u"A"_s, QString::fromLatin1(key)), expected);
        }

        // The file before (null: none), the keys saved, the file after (null: refused).
        const std::tuple<QByteArray, QList<modINI::Entry>, QByteArray> writes[] = {
            {{}, {{"W", "City", u"Zürich"_s}}, "[W]\nCity=Z\xC3\xBCrich\n"},
            {"[A]\nk=1\n\n", {{"B", "j", "2"}}, "[A]\nk=1\n\n[B]\nj=2\n"},
            {"[A]\r\nk=1", {{"B", "j", "2"}}, "[A]\r\nk=1\r\n\r\n[B]\r\nj=2\r\n"},
            {"[A]\nk=1\n\n; B\n[B]\nx=1\n", {{"A", "j", "2"}}, "[A]\nk=1\nj=2\n\n; B\n[B]\nx=1\n"},
            // Replacing keeps the key's spelling and the rest.
            {"[s]\n  K = 1 \n?\n[O]\nx = y\n", {{"S", "k", "4"}}, "[s]\nK=4\n?\n[O]\nx = y\n"},
            {"[A]\nk=1\nk=2\n", {{"A", "K", "9"}}, "[A]\nk=9\nk=2\n"},
            {"\xEF\xBB\xBF[W]\nC=\xFC\nU=3\n", {{"W", "U", "1"}}, "\xEF\xBB\xBF[W]\nC=\xFC\nU=1\n"},
            // The keys of one save land as separate writes would put them.
            {"[S]\r\nb=3\r\n",
             {{"M", "m", "0"}, {"S", "c", "1"}, {"S", "B", "9"}},
             "[S]\r\nb=9\r\nc=1\r\n\r\n[M]\r\nm=0\r\n"},
            {"[A]\nk=old\n", {{"A", "k", "1\n2"}}, {}},
            {"[A]\nk=old\n", {{"A", "k=x", "1"}}, {}},
            {"[A]\nk=v\n;" + QByteArray(modINI::MaxFileSize - 8, 'c'), {{"A", "k", "w"}}, {}},
        };
        for (const auto& [before, entries, after] : writes) {
            LinkHarness h;
            if (!before.isNull())
                h.writeIni(before);
            if (after.isNull())
                QTest::ignoreMessage(QtWarningMsg,
                                     QRegularExpression(u"not writing|larger than"_s));
            QCOMPARE(modINI(h.iniPath()).WriteIniKeys(entries), !after.isNull());
            QCOMPARE(h.readIni(), after.isNull() ? before : after);
        }
    }

    // Sections in file order, each once; a save that takes sections out keeps every other byte.
    void sectionsAndRemoval()
    {
        LinkHarness h;
        h.writeIni("\xEF\xBB\xBF[B]\r\n; b\r\nk=1\r\n\r\n; of a\r\n[a]\r\n[b]\r\n[ C ]\r\nx=2");
        modINI ini(h.iniPath());
        QCOMPARE(ini.sections(), (QStringList{u"B"_s, u"a"_s, u"C"_s}));
        QVERIFY(ini.WriteIniKeys({{u"a"_s, u"k"_s, u"3"_s}}, {u"b"_s, u"c"_s}));
        QCOMPARE(h.readIni(), "\xEF\xBB\xBF; of a\r\n[a]\r\nk=3\r\n");
        QCOMPARE(modINI(h.dirPath(u"none"_s)).sections(), QStringList());
    }

    // Saves rename over the old file, keep a symlink, mode and owner; in place where only the
    // file is writable. A full disk fails the save, leaving the old file.
    void save()
    {
        LinkHarness h;
        const QString fresh = h.dirPath(u"new/sub/brellix.ini"_s);
        QVERIFY(modINI(fresh).WriteIni(u"A"_s, u"k"_s, u"1"_s) && QFile::exists(fresh));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot create"_s));
        QVERIFY(!modINI(fresh + u"/x.ini"_s).WriteIni(u"A"_s, u"k"_s, u"1"_s));

        const QString link = h.dirPath(u"link.ini"_s);
        modINI ini(link);
        h.writeIni("[A]\nk=2\nx=3\n");
        QVERIFY(QFile(h.iniPath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(h.iniPath(), link));
        QCOMPARE(ini.ReadIni(u"A"_s, u"k"_s), u"2"_s);
        QFile old(h.dirPath(u"old.ini"_s));
        QCOMPARE(::link(QFile::encodeName(h.iniPath()), QFile::encodeName(old.fileName())), 0);
        QVERIFY(ini.WriteIni(u"A"_s, u"k"_s, u"4"_s));
        QCOMPARE(h.readIni(), "[A]\nk=4\nx=3\n");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), "[A]\nk=2\nx=3\n");
        QVERIFY(QFileInfo(link).isSymLink());
        modINI file(h.iniPath());
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(QFile::encodeName(h.iniPath()), 65534, ::getegid()), 0);
        QVERIFY(file.WriteIni(u"A"_s, u"k"_s, u"5"_s));
        const QFileInfo info(h.iniPath());
        QCOMPARE(std::pair(int(info.permissions() & 0x0777), info.ownerId()),
                 std::pair(int(QFile::ReadUser | QFile::WriteUser), root ? 65534u : ::geteuid()));

        rlimit before{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
        ::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        rlimit limit{10, before.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cannot write settings file"_s));
        const bool saved = file.WriteIni(u"A"_s, u"k"_s, u"123456789"_s);
        ::setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY(!saved);
        QCOMPARE(h.readIni(), "[A]\nk=5\nx=3\n");
        QCOMPARE(QDir(h.dirPath(u"."_s)).entryList(QDir::Files),
                 (QStringList{u"brellix.ini"_s, u"link.ini"_s, u"old.ini"_s}));

        const QByteArray folder = QFile::encodeName(h.dirPath(u"."_s));
        QVERIFY(QFile(h.iniPath()).setPermissions(QFileDevice::Permissions(0x6666)));
        QCOMPARE(::chmod(folder, 0555), 0);
        const auto restore = qScopeGuard([&] { ::chmod(folder, 0700); });
        // Root writes any folder: save as an ordinary user.
        const pid_t child = ::fork();
        if (child == 0) {
            const bool user = ::getuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
            ::_exit(user && file.WriteIni(u"A"_s, u"k"_s, u"6"_s) ? 0 : 1);
        }
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(h.readIni(), "[A]\nk=6\nx=3\n");
    }

    // Refused unopened, said once: what is not a regular file, root's link to another user's file.
    void notAFile()
    {
        LinkHarness h;
        const auto path = [&](const char* name) { return h.dirPath(QString::fromLatin1(name)); };
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")), 0600), 0);
        QStringList files = {path("fifo"), u"/dev/zero"_s};
        if (::geteuid() == 0) { // only root can give files to another user
            h.writeIni("[Mode]\nmode=3\n");
            QCOMPARE(::chown(QFile::encodeName(h.iniPath()), 65534, 65534), 0);
            QVERIFY(QFile::link(h.iniPath(), path("foreign")));
            QVERIFY(QFile::link(path("nowhere"), path("dangling")));
            QCOMPARE(::lchown(QFile::encodeName(path("dangling")), 65534, 65534), 0);
            files << path("foreign") << path("dangling");
        }
        for (const QString& file : files) {
            modINI ini(file);
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"is not a regular file|of another user"_s));
            QCOMPARE(ini.ReadIni(u"Mode"_s, u"mode"_s) + ini.ReadIni(u"Mode"_s, u"mode"_s),
                     QString());
            QVERIFY(!ini.WriteIniKeys({{u"Mode"_s, u"mode"_s, u"1"_s}}));
        }
    }

    // SIGKILL in a save leaves the old or the new file; the next start removes a temporary.
    void killedWhileSaving()
    {
        LinkHarness h;
        const QByteArray before = "[Mode]\nmode=1\n\n[Settings]\nCommPort=1\nBacklight=10\n";
        const QByteArray after = "[Mode]\nmode=2\n\n[Settings]\nCommPort=2\nBacklight=20\n";
        for (const char* name : {"brellix.ini.AbC123", "brellix.ini.bak", "brellix.ini.AbC12"})
            QVERIFY(QFile(h.dirPath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(u"brellix.ini.AbC123 left by"_s));
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
            modINI(h.iniPath()).removeStaleTemporaries();
            QCOMPARE(QDir(h.dirPath(u"."_s)).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                     (QStringList{u"brellix.ini"_s, u"brellix.ini.AbC12"_s, u"brellix.ini.bak"_s}));
        }
    }

    // Controls are shown, not obeyed; a cut never splits an escape or a character.
    void printableText()
    {
        QCOMPARE(::printableText(u"Grüße, \u20ac 5 \x1b[31m\x1b]0;t\x07\r\n\x7f\u009b"_s),
                 u"Grüße, \u20ac 5 \\x1b[31m\\x1b]0;t\\x07\\x0d\\x0a\\x7f\\x9b"_s);
        QCOMPARE(::printableText(u"abcdefgh"_s, 5) + ::printableText(u"abc\x1b"_s, 5) +
                     ::printableText(u"abcd\U0001F600"_s, 5),
                 u"abcde...abc...abcd..."_s);
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
        QCOMPARE(modINI::locate(QString()), portable.fileName());
        QCOMPARE(modINI::locate(h.iniPath()), h.iniPath());
    }
};

QTEST_GUILESS_MAIN(tst_modINI)
#include "tst_modini.moc"
