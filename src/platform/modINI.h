#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// brellix.ini, read and written with the rules of the Windows private-profile
// calls the users' files were made with, so old files keep working unchanged.
// Every call goes to the file itself: the dialogs and the main window share it.
class modINI
{
public:
    explicit modINI(QString filePath);

    QString path() const;

    // Empty when the file, section or key is missing or the value is empty.
    // Names match ASCII case-insensitively; values come back trimmed and cut
    // to MaxValueLength characters.
    QString ReadIni(const QString& section, const QString& key) const;
    // Whether the key is written at all, empty or not (where an empty value
    // means something other than the default).
    bool HasIniKey(const QString& section, const QString& key) const;

    // Creates what is missing and leaves every other byte of the file as it
    // was. False (and a warning) when the value cannot be stored; the old
    // file is then untouched.
    bool WriteIni(const QString& section, const QString& key, const QString& value);

    struct Entry
    {
        QString section, key, value;
    };
    // Every key an action saves, in one replacement of the file: a crash
    // leaves all of them old or all of them new.
    bool WriteIniKeys(const QList<Entry>& entries);
    // The same save, first taking out each section named in removedSections
    // (its header, keys and comments up to the last key) wherever it occurs.
    // Everything else keeps its bytes.
    bool WriteIniKeys(const QList<Entry>& entries, const QStringList& removedSections);

    // The names of the file's sections in file order, each once, spelled as
    // where it first occurs.
    QStringList sections() const;

    // Removes what an interrupted save left beside the file.
    void removeStaleTemporaries() const;

    // Folder of the executable, ending in "/"; empty before the application
    // object exists.
    static QString AppFolder();

    // --config FILE if given; else brellix.ini beside the executable when
    // present (portable use); else ~/.config/brellix/brellix.ini.
    static QString locate(const QString& configOption);

    static constexpr int MaxValueLength = 254;
    static constexpr qint64 MaxFileSize = 1024 * 1024;

private:
    std::optional<QString> find(const QString& section, const QString& key) const;
    enum class Loaded { Ok, Missing, Failed };
    Loaded load(QByteArray& bytes) const;
    bool save(const QByteArray& content);
    // Logs each distinct problem with the file once.
    void report(const QString& problem) const;

    QString m_path;
    mutable QSet<QString> m_reported;
};
