#include "platform/modINI.h"

#include "codec/TextDecoding.h"
#include "platform/FileReading.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The profile calls compare names without regard to case, but only for
// ASCII letters; QString's own case folding would go further than that.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z')
            y += 'a' - 'A';
        if (x != y)
            return false;
    }
    return true;
}

struct Line
{
    enum Kind { Blank, Comment, Section, Key, Other };

    QByteArray raw; // as in the file, without the line break
    QByteArray eol; // "\n", "\r\n", or empty on an unterminated last line
    Kind kind = Other;
    QString name;  // section or key, trimmed
    QString value; // trimmed
};

void classify(Line& line, QByteArrayView content)
{
    const QString text = TextDecoding::utf8OrWindows1252(content).trimmed();
    if (text.isEmpty()) {
        line.kind = Line::Blank;
    } else if (text.startsWith(u';') || text.startsWith(u'#')) {
        line.kind = Line::Comment;
    } else if (text.startsWith(u'[')) {
        const qsizetype close = text.lastIndexOf(u']');
        if (close > 0) {
            line.kind = Line::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
    } else if (const qsizetype eq = text.indexOf(u'='); eq > 0) {
        line.kind = Line::Key;
        line.name = text.left(eq).trimmed();
        line.value = text.mid(eq + 1).trimmed();
    }
}

QList<Line> parse(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        Line line;
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0) {
            line.raw = bytes.mid(pos);
            pos = bytes.size();
        } else {
            line.raw = bytes.mid(pos, end - pos);
            line.eol = "\n";
            pos = end + 1;
            if (line.raw.endsWith('\r')) {
                line.raw.chop(1);
                line.eol = "\r\n";
            }
        }
        QByteArrayView content(line.raw);
        if (lines.isEmpty() && content.startsWith("\xEF\xBB\xBF"))
            content = content.sliced(3); // kept in raw, ignored for meaning
        classify(line, content);
        lines.append(std::move(line));
    }
    return lines;
}

// What is at path: nothing, a regular file, something that is no settings
// file (a folder, a FIFO whose open() would block, a device such as
// /dev/zero that never ends, a socket), or a link Brellix must not follow.
// Decided without opening it.
enum class Kind { Missing, File, Other, ForeignLink };

Kind kindOf(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    const int statError = errno;
    // A link (users keep dotfiles in a repository) is followed only to a
    // file of the link's owner or of the user running Brellix: root must not
    // write keys into a file someone else's link points at.
    struct stat link = {};
    if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const uid_t me = ::geteuid();
        if (exists ? st.st_uid != link.st_uid && st.st_uid != me : link.st_uid != me)
            return Kind::ForeignLink;
    }
    if (!exists)
        return statError == ENOENT || statError == ENOTDIR ? Kind::Missing : Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
}

bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmedAscii(QByteArrayView v)
{
    while (!v.isEmpty() && isAsciiSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isAsciiSpace(v.back()))
        v.chop(1);
    return v;
}

bool isAscii(QByteArrayView v)
{
    for (char c : v) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

modINI::Loaded modINI::load(QByteArray& bytes) const
{
    bytes.clear();
    switch (kindOf(m_path)) {
    case Kind::Missing:
        return Loaded::Missing;
    case Kind::Other:
        report(QStringLiteral("is not a regular file (a folder, a pipe or a device); "
                              "using the defaults and saving nothing"));
        return Loaded::Failed;
    case Kind::ForeignLink:
        report(QStringLiteral("is a link to a file of another user; "
                              "using the defaults and saving nothing"));
        return Loaded::Failed;
    case Kind::File:
        break;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("cannot be read - ") + file.errorString());
        return Loaded::Failed;
    }
    // Read one byte more than allowed so that an oversize file is caught
    // without reading all of it.
    bytes = readCapped(file, modINI::MaxFileSize + 1);
    if (bytes.size() > modINI::MaxFileSize) {
        report(QStringLiteral("is larger than %1 bytes; ignoring it").arg(modINI::MaxFileSize));
        bytes.clear();
        return Loaded::Failed;
    }
    if (file.error() != QFileDevice::NoError) {
        report(QStringLiteral("cannot be read - ") + file.errorString());
        bytes.clear();
        return Loaded::Failed;
    }
    return Loaded::Ok;
}

void modINI::report(const QString& problem) const
{
    // Every read goes to the file: the same problem would be logged on each.
    if (m_reported.contains(problem))
        return;
    m_reported.insert(problem);
    qCWarning(lcSettings).noquote() << "settings file" << m_path << problem;
}

namespace {

QString where(const QString& section, const QString& key)
{
    return u'[' + section + QLatin1String("] ") + key;
}

bool hasLineBreak(QStringView s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

// Names that would not read back as the same name once written.
bool validSection(const QString& s)
{
    return !s.isEmpty() && s.trimmed() == s && !hasLineBreak(s) && !s.contains(u']');
}

bool validKey(const QString& k)
{
    return !k.isEmpty() && k.trimmed() == k && !hasLineBreak(k) && !k.contains(u'=') &&
           !k.startsWith(u';') && !k.startsWith(u'#') && !k.startsWith(u'[');
}

Line newLine(const QString& text, const QByteArray& eol)
{
    Line line;
    line.raw = text.toUtf8();
    line.eol = eol;
    // Known for what it is, so a later key of the same save finds the
    // section this one added.
    classify(line, line.raw);
    return line;
}

} // namespace

namespace {
// Sets one key in the parsed file, keeping every other line as it is.
void setKey(QList<Line>& lines, const QByteArray& eol, const QString& section, const QString& key,
            const QString& value)
{
    qsizetype header = -1;
    qsizetype lastKey = -1;
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Section) {
            if (header >= 0)
                break;
            if (sameName(line.name, section))
                header = lastKey = i;
        } else if (header >= 0 && line.kind == Line::Key) {
            lastKey = i;
            if (found < 0 && sameName(line.name, key))
                found = i;
        }
    }

    if (found >= 0) {
        Line& line = lines[found];
        line.raw = (line.name + u'=' + value).toUtf8(); // the file's spelling of the key
        line.value = value;
    } else if (header >= 0) {
        if (lines[lastKey].eol.isEmpty())
            lines[lastKey].eol = eol;
        lines.insert(lastKey + 1, newLine(key + u'=' + value, eol));
    } else {
        if (!lines.isEmpty()) {
            if (lines.back().eol.isEmpty())
                lines.back().eol = eol;
            if (lines.back().kind != Line::Blank)
                lines.append(newLine({}, eol));
        }
        lines.append(newLine(u'[' + section + u']', eol));
        lines.append(newLine(key + u'=' + value, eol));
    }
}

// Takes every section of that name out: its header and the lines up to its
// last key (or other content), so the comments and blank lines before the
// next section stay with it. A blank line left doubled, or leading or ending
// the file, goes too.
void removeSection(QList<Line>& lines, const QString& section)
{
    for (qsizetype header = 0; header < lines.size();) {
        if (lines[header].kind != Line::Section || !sameName(lines[header].name, section)) {
            ++header;
            continue;
        }
        qsizetype last = header;
        for (qsizetype i = header + 1; i < lines.size() && lines[i].kind != Line::Section; ++i) {
            if (lines[i].kind != Line::Blank && lines[i].kind != Line::Comment)
                last = i;
        }
        // The file's byte order mark stays at its start.
        const bool bom = header == 0 && lines[0].raw.startsWith("\xEF\xBB\xBF");
        lines.remove(header, last - header + 1);
        const bool blankAfter = header < lines.size() && lines[header].kind == Line::Blank;
        const bool blankBefore = header > 0 && lines[header - 1].kind == Line::Blank;
        if (blankAfter && (header == 0 || blankBefore))
            lines.remove(header);
        else if (blankBefore && header == lines.size())
            lines.remove(header - 1);
        if (bom && !lines.isEmpty())
            lines[0].raw.prepend("\xEF\xBB\xBF");
    }
}

} // namespace

modINI::modINI(QString filePath) : m_path(std::move(filePath)) {}

QString modINI::path() const
{
    return m_path;
}

QString modINI::ReadIni(const QString& section, const QString& key) const
{
    return find(section, key).value_or(QString());
}

bool modINI::HasIniKey(const QString& section, const QString& key) const
{
    return find(section, key).has_value();
}

std::optional<QString> modINI::find(const QString& section, const QString& key) const
{
    QByteArray bytes;
    if (load(bytes) != Loaded::Ok)
        return std::nullopt;

    // One pass over the bytes, decoding only the lines that may matter, so
    // a file of the largest size allowed is read in milliseconds and
    // nothing of it stays behind.
    const QByteArray asciiKey = isAscii(key.toUtf8()) ? key.toUtf8() : QByteArray();
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            end = bytes.size();
        QByteArrayView content = QByteArrayView(bytes).sliced(pos, end - pos);
        if (pos == 0 && content.startsWith("\xEF\xBB\xBF"))
            content = content.sliced(3);
        pos = end + 1;
        const QByteArrayView t = trimmedAscii(content);
        // Lines that cannot be a section or the key are passed over undecoded.
        const bool plain = !t.isEmpty() && static_cast<unsigned char>(t.front()) < 0x80;
        if (plain && t.front() != '[') {
            if (!inSection || t.front() == ';' || t.front() == '#')
                continue;
            const qsizetype eq = t.indexOf('=');
            if (eq <= 0)
                continue;
            const QByteArrayView name = trimmedAscii(t.first(eq));
            if (!asciiKey.isEmpty() && isAscii(name) && !sameName(QString::fromLatin1(name), key))
                continue;
        }
        Line line;
        classify(line, content);
        if (line.kind == Line::Section) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == Line::Key && sameName(line.name, key)) {
            QString value = line.value;
            if (value.size() > MaxValueLength) {
                value.truncate(MaxValueLength);
                if (value.back().isHighSurrogate())
                    value.chop(1); // never hand out half a character
            }
            return value;
        }
    }
    return std::nullopt;
}

bool modINI::WriteIni(const QString& section, const QString& key, const QString& value)
{
    return WriteIniKeys({{section, key, value}});
}

bool modINI::WriteIniKeys(const QList<Entry>& entries)
{
    return WriteIniKeys(entries, {});
}

QStringList modINI::sections() const
{
    QByteArray bytes;
    if (load(bytes) != Loaded::Ok)
        return {};
    QStringList names;
    for (const Line& line : parse(bytes)) {
        if (line.kind != Line::Section)
            continue;
        const bool known = std::any_of(names.cbegin(), names.cend(), [&line](const QString& n) {
            return sameName(n, line.name);
        });
        if (!known)
            names.append(line.name);
    }
    return names;
}

bool modINI::WriteIniKeys(const QList<Entry>& entries, const QStringList& removedSections)
{
    for (const Entry& e : entries) {
        if (!validSection(e.section) || !validKey(e.key)) {
            qCWarning(lcSettings).noquote() << "not writing" << where(e.section, e.key) << "to"
                                            << m_path << "- unusable section or key name";
            return false;
        }
        if (hasLineBreak(e.value)) {
            qCWarning(lcSettings).noquote() << "not writing" << where(e.section, e.key) << "to"
                                            << m_path << "- the value has a line break";
            return false;
        }
    }

    QByteArray before;
    if (load(before) == Loaded::Failed)
        return false; // rewriting what we could not read would lose it

    QList<Line> lines = parse(before);
    QByteArray eol = "\n";
    for (const Line& line : lines) {
        if (!line.eol.isEmpty()) {
            eol = line.eol;
            break;
        }
    }
    for (const QString& section : removedSections)
        removeSection(lines, section);
    for (const Entry& e : entries)
        setKey(lines, eol, e.section, e.key, e.value);

    QByteArray after;
    after.reserve(before.size() + 64);
    for (const Line& line : lines)
        after += line.raw + line.eol;
    if (after == before)
        return true;
    return save(after);
}

bool modINI::save(const QByteArray& content)
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        qCWarning(lcSettings).noquote()
            << "cannot create the folder for the settings file" << m_path;
        return false;
    }
    struct stat old = {};
    const bool existed = ::stat(QFile::encodeName(m_path).constData(), &old) == 0;

    // Written to a temporary file and renamed over the old one, so a crash or
    // a full disk leaves either the old or the new file, never half of one.
    // A file whose folder cannot be written but which itself can is written
    // in place instead, as the Windows profile functions would. Unbuffered,
    // so a short write (a full disk, a file size limit) shows in write()'s
    // count: a buffered QSaveFile commits a file cut short as if all was well.
    QSaveFile out(m_path);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        qCWarning(lcSettings).noquote()
            << "cannot write settings file" << m_path << "-" << out.errorString();
        return false;
    }
    // The new file is the old one's: root saving a user's file must not
    // take it from them. Where the process may not give files away, the
    // owner is the process's anyway.
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(out.handle(), old.st_uid, old.st_gid) != 0 && errno != EPERM)
        qCWarning(lcSettings).noquote()
            << "cannot keep the owner of" << m_path << "-" << qt_error_string(errno);
    if (out.write(content) != content.size()) {
        qCWarning(lcSettings).noquote()
            << "cannot write settings file" << m_path << "-" << out.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        qCWarning(lcSettings).noquote()
            << "cannot write settings file" << m_path << "-" << out.errorString();
        return false;
    }
    return true;
}

void modINI::removeStaleTemporaries() const
{
    // A save cut off between writing its temporary file and renaming it
    // (the power failed, SIGKILL) leaves "brellix.ini.AbC123" behind.
    // Matched by hand: a name filter or a regular expression would map
    // PCRE2 and its JIT at every start, for one look at a folder.
    const QFileInfo info(m_path);
    const QDir dir = info.absoluteDir();
    const QString prefix = info.fileName() + u'.';
    const auto stale = [&prefix](const QString& name) {
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            return false;
        for (qsizetype i = prefix.size(); i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')))
                return false;
        }
        return true;
    };
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (stale(name) && QFile::remove(dir.filePath(name)))
            qCInfo(lcSettings).noquote()
                << "removed" << dir.filePath(name) << "left by an interrupted save";
    }
}

QString modINI::AppFolder()
{
    if (!QCoreApplication::instance())
        return {};
    QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        return {};
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString modINI::locate(const QString& configOption)
{
    if (!configOption.isEmpty())
        return configOption;
    const QString folder = AppFolder();
    const QString portable = folder + QLatin1String("brellix.ini");
    if (!folder.isEmpty() && QFileInfo(portable).isFile())
        return portable;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/brellix/brellix.ini");
}
