#pragma once

#include "app/AppContext.h"
#include "app/RotationSettings.h"
#include "screens/own/OwnScreenSettings.h"
#include "screens/own/ScreenTemplate.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <functional>

class Clock;
class MessageSink;
class WorldTimeSettings;
class modINI;

// The logic of the Screens dialog: the user's own screens ([Screen NAME])
// and the rotation's list and seconds ([Rotation] Screens, Seconds), edited
// together because the rotation names the screens. What it opens on comes
// from the file; "OK" checks everything and saves both in one write.
class ScreensModel
{
public:
    // A mode the rotation may show; listed ones come first, in their order.
    struct RotationRow
    {
        QString name;     // the short name saved in the list
        QString caption;  // what the dialog shows
        bool own = false; // one of the own screens
        bool listed = false;
        bool operator==(const RotationRow&) const = default;
    };
    // A line's longest template: what the file keeps of a value.
    static constexpr int MaxLineLength = modINI::MaxValueLength;

    // builtIn: the table's modes (AppContext::builtInModes()). values: what
    // the preview shows for a value. applyRotation: hands the saved rotation
    // to the running program, applyScreens has it read the saved own
    // screens again; without them they are used from the next start.
    ScreensModel(modINI& ini, QList<AppContext::ModeName> builtIn, MessageSink& warnings,
                 MessageSink& notices, ScreenTemplate::Lookup values,
                 std::function<void(const RotationSettings&)> applyRotation = {},
                 std::function<void()> applyScreens = {});

    // Example values for the preview: times and dates read now from the
    // clock (the world time at its destination), the others fixed samples.
    static ScreenTemplate::Lookup sampleValues(const Clock& clock,
                                               const WorldTimeSettings& worldTime);

    const QList<OwnScreenSettings>& screens() const { return m_screens; }
    // Lines, alignments, scrolling and seconds of a screen; its name stays.
    void edit(int index, const OwnScreenSettings& content);
    // A new empty screen at the end, named Screen1, Screen2... (the first
    // free); its index.
    int add();
    // Warns and keeps the name when the new one breaks the rule, is another
    // screen's or a built-in mode's. The rotation's entry follows.
    bool rename(int index, const QString& name);
    // The screen and its rotation entry go.
    void remove(int index);
    // Moves a screen by steps places, within the list; its new index.
    int move(int index, int steps);

    const QList<RotationRow>& rotation() const { return m_rotation; }
    void setListed(int row, bool listed);
    int moveRotation(int row, int steps);
    int rotationSeconds() const { return m_seconds; }
    void setRotationSeconds(int seconds) { m_seconds = seconds; }

    // The four lines the module would show for a screen at this step of its
    // scrolling lines (one step every half second), as module codes.
    std::array<QByteArray, OwnScreenSettings::LineCount> preview(int index, int scrollStep) const;
    // What is wrong with a screen ("line 2: {foo} is not a value"), one
    // problem a line; empty when nothing is.
    QStringList problems(int index) const;

    // Warns of the first problem and saves nothing, or saves the screens and
    // the rotation in one write and says when they take effect. True when
    // the dialog may close.
    bool confirm();

private:
    QString firstProblem() const;
    QStringList listedNames() const;
    // The rotation's row of an own screen.
    int rotationRow(const QString& ownName) const;

    modINI& m_ini;
    QList<AppContext::ModeName> m_builtIn;
    MessageSink& m_warnings;
    MessageSink& m_notices;
    ScreenTemplate::Lookup m_values;
    std::function<void(const RotationSettings&)> m_applyRotation;
    std::function<void()> m_applyScreens;
    QList<OwnScreenSettings> m_screens;
    QList<OwnScreenSettings> m_opened; // as the file held them
    QList<RotationRow> m_rotation;
    int m_seconds = RotationSettings{}.Seconds;
    RotationSettings m_openedRotation; // its list as the rows name it
};
