#pragma once

// Shared by the libFuzzer targets in this folder: a check that aborts (so
// libFuzzer records the input as a crash), quiet Qt logging, and a scratch
// folder for parsers that read files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// A broken promise of the code under test: print where, then abort.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// The parsers warn about bad input, which is all a fuzzer feeds them; a
// warning per run would drown the output and slow the run. Fatal messages
// still abort.
inline const bool QuietLogs = [] {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "qFatal: %s\n", qPrintable(msg));
            std::abort();
        }
    });
    return true;
}();

// A folder that lives as long as the fuzzer, in memory when /dev/shm exists.
inline const QString& scratchFolder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/brellix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/brellix-fuzz-XXXXXX"));
    static const QString path = dir.path();
    FUZZ_CHECK(dir.isValid());
    return path;
}

// Replaces the file's content; aborts when the scratch folder fails, since
// a run that did not write its input tests nothing.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(bytes) == bytes.size());
}

} // namespace fuzz
