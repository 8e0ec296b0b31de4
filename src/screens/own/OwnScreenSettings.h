#pragma once

#include "platform/modINI.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// One of the user's own screens: a section [Screen NAME] of brellix.ini
// with four line templates (ScreenTemplate), their alignment and scrolling,
// and the seconds between refreshes. The screens are modes after the
// built-in ones, in the order of their sections in the file.
struct OwnScreenSettings
{
    enum class Align { Left, Center, Right };

    static constexpr int LineCount = 4;
    static constexpr int MaxNameLength = 16;
    static constexpr int MinUpdate = 1;
    static constexpr int MaxUpdate = 3600;
    static constexpr const char* SectionPrefix = "Screen ";
    // Keys: LineN, AlignN and ScrollN for N = 1..4, and Update.
    static constexpr const char* LineKey = "Line";
    static constexpr const char* AlignKey = "Align";
    static constexpr const char* ScrollKey = "Scroll";
    static constexpr const char* UpdateKey = "Update";

    QString name;
    std::array<QString, LineCount> lines;
    std::array<Align, LineCount> align{};
    std::array<bool, LineCount> scroll{};
    int updateSeconds = MinUpdate;

    // 1 to 16 letters, digits, '-' and '_' (ASCII): the rule for NAME.
    static bool validName(const QString& name);
    // "Screen NAME".
    static QString sectionOf(const QString& name);
    // The NAME of a section name "Screen NAME" (the word in any case), or
    // nothing when it is not one; the NAME is not checked.
    static std::optional<QString> nameOfSection(const QString& section);

    static QString alignText(Align align); // "left", "center", "right"

    // Every [Screen NAME] section in file order. A section whose NAME breaks
    // the rule, or that repeats an earlier NAME (in any letter case), is
    // skipped with a warning; bad values take their defaults with one.
    static QList<OwnScreenSettings> loadAll(const modINI& ini);
    // The whole list in one save: screens keep their place in the file as
    // long as the order allows, the others are written after them in list
    // order, and the sections of screens no longer listed are removed.
    // False (and nothing written) for a list with an unusable or repeated
    // name, or when the file cannot be written.
    static bool saveAll(modINI& ini, const QList<OwnScreenSettings>& screens);
    // What saveAll writes, for one save that holds other sections' keys too
    // (the Screens dialog): the screens' keys and the sections to remove,
    // appended to those given. False (and nothing added) for a list saveAll
    // refuses.
    static bool saveEntries(const modINI& ini, const QList<OwnScreenSettings>& screens,
                            QList<modINI::Entry>& entries, QStringList& removedSections);

    bool operator==(const OwnScreenSettings&) const = default;
};
