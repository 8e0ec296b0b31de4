#include "app/ScreensModel.h"

#include "platform/Clock.h"
#include "platform/UserMessage.h"
#include "screens/clock/TimeDateScreen.h"
#include "screens/clock/TimeText.h"
#include "screens/clock/modTimeZone.h"

#include <QLocale>

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// As the file gives it back: reading takes the blanks around a value off.
OwnScreenSettings asSaved(OwnScreenSettings s)
{
    for (QString& line : s.lines)
        line = line.trimmed();
    return s;
}

// Sample readings of the values that do not come from the clock; a file or
// command is never read or run for a preview.
struct Sample
{
    const char* name;
    const char* text;
};
constexpr Sample Samples[] = {
    {"cpu", "23"},
    {"mem", "41"},
    {"temp1", "45"},
    {"temp2", "38"},
    {"temp3", "52"},
    {"temp4", "30"},
    {"fan", "1250"},
    {"host", "nas"},
    {"address", "192.168.1.20"},
    {"rx", "125"},
    {"tx", "18"},
    {"title", "Blue in Green"},
    {"artist", "Miles Davis"},
    {"state", "PLAYING"},
    {"position", "1:52"},
    {"length", "5:37"},
    {"volume", "80"},
    {"sky", "Partly Cloudy"},
    {"temperature", "18"},
    {"humidity", "64"},
    {"price", "187.44"},
    {"change", "+1.27"},
    {"unread", "3"},
    {"file", "42"},
    {"exec", "42"},
};

} // namespace

ScreensModel::ScreensModel(modINI& ini, QList<AppContext::ModeName> builtIn, MessageSink& warnings,
                           MessageSink& notices, ScreenTemplate::Lookup values,
                           std::function<void(const RotationSettings&)> applyRotation,
                           std::function<void()> applyScreens)
    : m_ini(ini), m_builtIn(std::move(builtIn)), m_warnings(warnings), m_notices(notices),
      m_values(std::move(values)), m_applyRotation(std::move(applyRotation)),
      m_applyScreens(std::move(applyScreens)), m_screens(OwnScreenSettings::loadAll(ini)),
      m_opened(m_screens), m_openedRotation(RotationSettings::load(ini))
{
    m_seconds = m_openedRotation.Seconds;
    QList<RotationRow> rest;
    for (const AppContext::ModeName& mode : m_builtIn)
        rest.append({mode.name, mode.caption, false, false});
    for (const OwnScreenSettings& s : m_screens)
        rest.append({s.name, s.name, true, false});
    // The list names a mode as the table does: a built-in one by its short
    // name or caption, an own screen by its name; one that is no mode (any
    // more) is left out, and so is a repetition.
    for (const QString& name : m_openedRotation.Screens) {
        for (qsizetype i = 0; i < rest.size(); ++i) {
            const bool caption = !rest[i].own && sameName(rest[i].caption, name);
            if (sameName(rest[i].name, name) || caption) {
                m_rotation.append(rest.takeAt(i));
                m_rotation.last().listed = true;
                break;
            }
        }
    }
    m_rotation += rest;
    m_openedRotation.Seconds = m_seconds;
    m_openedRotation.Screens = listedNames();
}

ScreenTemplate::Lookup ScreensModel::sampleValues(const Clock& clock,
                                                  const WorldTimeSettings& worldTime)
{
    return [&clock, &worldTime](const QString& name, const QString& arg) -> std::optional<QString> {
        const QDateTime now = clock.now().toLocalTime();
        if (name == QLatin1String("time"))
            return arg.isEmpty() ? TimeText::StatusClockText(now) : QLocale().toString(now, arg);
        if (name == QLatin1String("date"))
            return arg.isEmpty() ? TimeText::LongDateText(now.date())
                                 : QLocale().toString(now, arg);
        if (name == QLatin1String("worldtime")) {
            const QDateTime there =
                TimeDateScreen::destinationTime(modTimeZone::LocalToGMT(now), worldTime);
            return arg.isEmpty() ? TimeText::ShortDateTimeText(there)
                                 : QLocale().toString(there, arg);
        }
        for (const Sample& sample : Samples) {
            if (name == QLatin1String(sample.name))
                return QString::fromLatin1(sample.text);
        }
        return std::nullopt;
    };
}

void ScreensModel::edit(int index, const OwnScreenSettings& content)
{
    OwnScreenSettings& s = m_screens[index];
    const QString name = s.name;
    s = content;
    s.name = name;
}

int ScreensModel::add()
{
    OwnScreenSettings s;
    for (int n = 1;; ++n) {
        s.name = QStringLiteral("Screen%1").arg(n);
        const bool taken = std::any_of(m_screens.cbegin(), m_screens.cend(),
                                       [&s](const auto& o) { return sameName(o.name, s.name); });
        if (!taken)
            break;
    }
    m_screens.append(s);
    m_rotation.append({s.name, s.name, true, false});
    return int(m_screens.size() - 1);
}

bool ScreensModel::rename(int index, const QString& name)
{
    const QString old = m_screens[index].name;
    QString refused;
    if (!OwnScreenSettings::validName(name)) {
        refused = QStringLiteral("A screen's name is 1 to %1 letters, digits, - and _")
                      .arg(OwnScreenSettings::MaxNameLength);
    } else if (std::any_of(m_builtIn.cbegin(), m_builtIn.cend(),
                           [&name](const auto& m) { return sameName(m.name, name); })) {
        refused = QStringLiteral("%1 is the name of a built-in mode").arg(name);
    } else {
        for (int i = 0; i < m_screens.size(); ++i) {
            if (i != index && sameName(m_screens[i].name, name))
                refused = QStringLiteral("There is already a screen named %1").arg(name);
        }
    }
    if (!refused.isEmpty()) {
        m_warnings.showMessage({refused, MessageSeverity::Warning, MessageCategory::Settings});
        return false;
    }
    m_screens[index].name = name;
    const int row = rotationRow(old);
    m_rotation[row].name = m_rotation[row].caption = name;
    return true;
}

void ScreensModel::remove(int index)
{
    m_rotation.removeAt(rotationRow(m_screens.takeAt(index).name));
}

int ScreensModel::move(int index, int steps)
{
    const int to = qBound(0, index + steps, int(m_screens.size()) - 1);
    m_screens.move(index, to);
    return to;
}

void ScreensModel::setListed(int row, bool listed)
{
    m_rotation[row].listed = listed;
}

int ScreensModel::moveRotation(int row, int steps)
{
    const int to = qBound(0, row + steps, int(m_rotation.size()) - 1);
    m_rotation.move(row, to);
    return to;
}

std::array<QByteArray, OwnScreenSettings::LineCount> ScreensModel::preview(int index,
                                                                           int scrollStep) const
{
    std::array<int, OwnScreenSettings::LineCount> offsets;
    offsets.fill(scrollStep);
    return ScreenTemplate::composeScreen(asSaved(m_screens[index]), m_values, offsets);
}

QStringList ScreensModel::problems(int index) const
{
    const OwnScreenSettings s = asSaved(m_screens[index]);
    QStringList found;
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i) {
        if (s.lines[i].size() > MaxLineLength)
            found << QStringLiteral("line %1 is longer than %2 characters")
                         .arg(i + 1)
                         .arg(MaxLineLength);
        const ScreenTemplate parsed = ScreenTemplate::parse(s.lines[i]);
        for (const QString& unknown : parsed.unknown())
            found << QStringLiteral("line %1: {%2} is not a value").arg(i + 1).arg(unknown);
    }
    if (s.updateSeconds < OwnScreenSettings::MinUpdate ||
        s.updateSeconds > OwnScreenSettings::MaxUpdate)
        found << QStringLiteral("it is updated every %1 to %2 seconds")
                     .arg(OwnScreenSettings::MinUpdate)
                     .arg(OwnScreenSettings::MaxUpdate);
    return found;
}

QString ScreensModel::firstProblem() const
{
    for (int i = 0; i < m_screens.size(); ++i) {
        const QString& name = m_screens[i].name;
        // A file may hold a screen that shadows a built-in mode.
        if (std::any_of(m_builtIn.cbegin(), m_builtIn.cend(),
                        [&name](const auto& m) { return sameName(m.name, name); }))
            return QStringLiteral("%1 is the name of a built-in mode: rename the screen").arg(name);
        if (const QStringList found = problems(i); !found.isEmpty())
            return QStringLiteral("Screen %1, %2").arg(name, found.first());
    }
    if (m_seconds < RotationSettings::MinSeconds || m_seconds > RotationSettings::MaxSeconds)
        return QStringLiteral("Each screen of the rotation shows %1 to %2 seconds")
            .arg(RotationSettings::MinSeconds)
            .arg(RotationSettings::MaxSeconds);
    // The window's box may have switched the rotation on since the opening.
    if (listedNames().isEmpty() && RotationSettings::load(m_ini).Enabled)
        return QStringLiteral("The rotation is on: list at least one screen for it");
    return {};
}

bool ScreensModel::confirm()
{
    const auto warn = [this](const QString& text) {
        m_warnings.showMessage({text, MessageSeverity::Warning, MessageCategory::Settings});
        return false;
    };
    if (const QString problem = firstProblem(); !problem.isEmpty())
        return warn(problem);

    QList<OwnScreenSettings> screens;
    for (const OwnScreenSettings& s : m_screens)
        screens.append(asSaved(s));
    QList<modINI::Entry> entries;
    QStringList removed;
    const QString section = QLatin1String(RotationSettings::Section);
    // Enabled is the window's: it is written when switched, not here.
    entries.append({section, QLatin1String(RotationSettings::ScreensKey),
                    listedNames().join(QLatin1Char(','))});
    entries.append(
        {section, QLatin1String(RotationSettings::SecondsKey), QString::number(m_seconds)});
    if (!OwnScreenSettings::saveEntries(m_ini, screens, entries, removed) ||
        !m_ini.WriteIniKeys(entries, removed))
        return warn(QStringLiteral("The screens could not be saved to %1").arg(m_ini.path()));

    const bool screensChanged = screens != m_opened;
    const bool rotationChanged =
        listedNames() != m_openedRotation.Screens || m_seconds != m_openedRotation.Seconds;
    // The own screens first: the rotation names them.
    if (screensChanged && m_applyScreens)
        m_applyScreens();
    if (rotationChanged && m_applyRotation)
        m_applyRotation(RotationSettings::load(m_ini));
    // Without a way to hand them over, they are read at the next start.
    if ((screensChanged && !m_applyScreens) || (rotationChanged && !m_applyRotation))
        m_notices.showMessage({QStringLiteral("Screens saved: in use from the next start"),
                               MessageSeverity::Information, MessageCategory::Settings, true});
    m_opened = screens;
    m_openedRotation.Screens = listedNames();
    m_openedRotation.Seconds = m_seconds;
    return true;
}

QStringList ScreensModel::listedNames() const
{
    QStringList names;
    for (const RotationRow& row : m_rotation) {
        if (row.listed)
            names << row.name;
    }
    return names;
}

int ScreensModel::rotationRow(const QString& ownName) const
{
    for (int i = 0; i < m_rotation.size(); ++i) {
        if (m_rotation[i].own && m_rotation[i].name == ownName)
            return i;
    }
    return -1;
}
