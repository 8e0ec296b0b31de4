#pragma once

// FUZZ_CHECK aborts, so libFuzzer records the input as a crash.

#include "codec/ModuleCodec.h"

#include <QByteArray>
#include <QFile>
#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                           \
    ((cond) ? void()                                                                               \
            : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond),       \
               std::abort()))

// The body run on each input: `bytes` holds it, `in` hands it out piece by piece.
#define FUZZ_TARGET                                                                                \
    static void fuzzOne(const QByteArray& bytes, FuzzedDataProvider& in);                          \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)                        \
    {                                                                                              \
        FuzzedDataProvider in(data, size);                                                         \
        fuzzOne(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), in);             \
        return 0;                                                                                  \
    }                                                                                              \
    static void fuzzOne([[maybe_unused]] const QByteArray& bytes,                                  \
                        [[maybe_unused]] FuzzedDataProvider& in)

namespace fuzz {

// Warnings about each bad input would drown the output; qFatal still aborts.
inline const bool QuietLogs = [] {
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
    return true;
}();

inline QString text(FuzzedDataProvider& in, size_t max = 300)
{
    return QString::fromStdString(in.ConsumeRandomLengthString(max));
}

inline QString scratchFolder()
{
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    return dir.path();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(bytes) == bytes.size());
}

// Whether each text reaches the wire (with the default character set) only as
// printable ASCII and the degree sign (223).
template <typename... Texts> bool onlyModuleCodes(const Texts&... texts)
{
    const auto allowed = [](const QByteArray& codes) {
        return std::all_of(codes.begin(), codes.end(),
                           [](char c) { return (c >= 32 && c <= 126) || quint8(c) == 223; });
    };
    return (allowed(AsciiCodec.fromUnicode(texts)) && ...);
}

} // namespace fuzz
