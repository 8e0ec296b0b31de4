#include "lcd/LinkController.h"

#include "lcd/LcddOutput.h"
#include "lcd/OutputSettings.h"
#include "lcd/SerialLineSettings.h"
#include "lcd/SerialOutput.h"
#include "lcd/modLcdFunc.h"
#include "platform/Logging.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <utility>

LinkController::LinkController(LcdLink& link, DisplayOutputs::Connections connections,
                               QObject* parent)
    : QObject(parent), m_link(link), m_connections(std::move(connections))
{
    const DisplayOutputs::Parts parts{m_model, m_codec, m_connections};
    for (const DisplayOutputs::Kind& kind : DisplayOutputs::kinds()) {
        Slot slot{QLatin1String(kind.key), kind.make(parts)};
        connect(slot.output.get(), &DisplayOutput::statusTextChanged, this, [this, key = slot.key] {
            if (chosen(key))
                publishStatus();
        });
        m_outputs.push_back(std::move(slot));
    }
    m_serial = static_cast<SerialOutput*>(output(QLatin1String(SerialOutput::Key)));
    m_serial->setStatus(InitialStatus);
    configureOutputs(OutputSettings());
    connect(&m_link, &LcdLink::requested, this, &LinkController::followModel);
    m_watch.setInterval(WatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &LinkController::lookForDevice);
    connect(&m_link, &LcdLink::portLost, this, [this](int number) {
        setStatus(NotFoundStatus + QString::number(number));
        watchPort();
    });
}

void LinkController::configure(const Configuration& c)
{
    m_link.setPortPaths(c.portPaths);
    m_link.setSettings(c.serialSettings);
    m_link.setPortNumber(c.portNumber);
    m_commPortText = c.commPortText;
    m_transientPort = c.transientPort;
    m_sliderPosition = std::clamp(c.sliderPosition, 0, MaxSliderPosition);
    Q_EMIT sliderPositionChanged(m_sliderPosition);
}

LinkController::~LinkController() = default;

void LinkController::configureOutputs(const OutputSettings& settings)
{
    for (Slot& slot : m_outputs) {
        slot.output->configure(settings);
        slot.chosen = settings.outputs.contains(slot.key);
    }
    m_lcddCharset = settings.lcddCharset;
    setCharacters(settings.characters);
}

void LinkController::charactersMenuClicked(Characters characters)
{
    if (characters == m_characters)
        return;
    setCharacters(characters);
    Q_EMIT charactersChosen();
}

void LinkController::setCharacters(Characters chosen)
{
    const bool latin1ToLcdd = !serialOutput() && this->chosen(QLatin1String(LcddOutput::Key)) &&
                              m_lcddCharset == LcddScreen::Charset::Latin1;
    const Characters rom = latin1ToLcdd ? Characters::A02 : chosen;
    if (chosen == m_characters && rom == m_codec.characters())
        return;
    m_characters = chosen;
    m_codec.setCharacters(rom);
    Q_EMIT charactersChanged();
}

QStringList LinkController::outputs() const
{
    QStringList keys;
    for (const Slot& slot : m_outputs)
        if (slot.chosen)
            keys << slot.key;
    return keys;
}

bool LinkController::chosen(const QString& key) const
{
    return std::any_of(m_outputs.begin(), m_outputs.end(),
                       [&key](const Slot& slot) { return slot.chosen && slot.key == key; });
}

bool LinkController::serialOutput() const
{
    return chosen(QLatin1String(SerialOutput::Key));
}

DisplayOutput* LinkController::output(const QString& key) const
{
    for (const Slot& slot : m_outputs)
        if (slot.key == key)
            return slot.output.get();
    return nullptr;
}

void LinkController::attachOutput(DisplayOutput& output)
{
    m_attached.emplace_back(&output);
}

void LinkController::followModel(const QByteArray& bytes)
{
    m_model.feed(bytes);
    for (const Slot& slot : m_outputs)
        if (slot.chosen)
            slot.output->modelChanged();
    std::erase(m_attached, nullptr);
    for (DisplayOutput* attached : m_attached)
        attached->modelChanged();
}

void LinkController::choose(const QStringList& keys)
{
    for (Slot& slot : m_outputs) {
        const bool now = keys.contains(slot.key);
        if (std::exchange(slot.chosen, now) == now)
            continue;
        if (now)
            slot.output->start();
        else
            slot.output->stop();
    }
    setCharacters(m_characters);
}

void LinkController::outputMenuClicked(const QString& key)
{
    if (!output(key) || key == QLatin1String(SerialOutput::Key) || outputs() == QStringList{key})
        return;
    // A detection still waiting belongs to the port being closed.
    ++m_detection;
    m_detectionWaiting = false;
    m_watch.stop();
    m_link.closePort();
    choose({key});
    setCheckedCom(0);
    publishStatus();
    Q_EMIT backlightChanged(m_backlightOn); // the slider follows the outputs
    Q_EMIT outputsChanged();
    runOvertaken();
}

void LinkController::connectAtStartup(std::function<void(bool)> done)
{
    for (const Slot& slot : m_outputs)
        if (slot.chosen)
            slot.output->start();
    if (!serialOutput()) {
        publishStatus();
        if (done)
            done(false);
        return;
    }
    // A port that does not open is no reason to stop: the detection then
    // ends at its first write and the status keeps its initial text, and
    // the port is watched for the module to arrive.
    if (!m_link.openPort())
        watchPort();
    const int number = m_link.portNumber();
    setCheckedCom(number >= 1 && number <= LcdLink::PortCount ? number : 0);
    DetectLcd(std::move(done));
}

void LinkController::DetectLcd(std::function<void(bool)> done)
{
    detect(std::move(done), false);
}

void LinkController::reinitialise()
{
    if (m_link.isOpen())
        detect({}, true);
}

void LinkController::watchPort()
{
    // Only a port that could open once its device is there: a line setting
    // the device refuses or a COM number without a device is for the user.
    if (m_link.portPath(m_link.portNumber()).isEmpty() ||
        !SerialLineSettings::parse(m_link.settings()))
        return;
    m_reopenFailure.succeeded();
    m_watch.start();
}

void LinkController::stopWatching()
{
    m_watch.stop();
    for (const Slot& slot : m_outputs)
        if (slot.chosen)
            slot.output->stop();
}

void LinkController::lookForDevice()
{
    if (m_link.isOpen()) {
        m_watch.stop();
        return;
    }
    const QString path = m_link.portPath(m_link.portNumber());
    if (!QFileInfo::exists(path))
        return; // still gone: a stat, nothing opened
    QString why;
    if (!m_link.openPort(&why)) {
        if (m_reopenFailure.failed())
            qCWarning(lcLink).noquote() << why << "- trying again while it is there";
        return;
    }
    m_watch.stop();
    qCInfo(lcLink).noquote() << path << "is back";
    detect({}, true);
}

void LinkController::detect(std::function<void(bool)> done, bool again)
{
    const quint64 id = ++m_detection;
    m_detectionWaiting = false;
    const int portNumber = m_link.portNumber();
    m_link.clearFound();
    if (!m_link.writeRaw(modLcdFunc::DetectQuery())) {
        // A closed port: the detection stops at its first write.
        if (done)
            done(false);
        runOvertaken();
        return;
    }
    m_detectionWaiting = true;
    // The wait ends with the module's answer, or after 10 ticks without one.
    auto finished = std::make_shared<bool>(false);
    auto answer = std::make_shared<QMetaObject::Connection>();
    auto report = [this, id, portNumber, again, finished, answer, done = std::move(done)] {
        if (std::exchange(*finished, true))
            return;
        QObject::disconnect(*answer);
        if (id != m_detection) {
            // Overtaken: what follows it (the rest of start-up) waits for the
            // newer detection, so its sends never fall in the middle of it.
            if (done) {
                if (m_detectionWaiting)
                    m_overtaken.push_back([done] { done(false); });
                else
                    done(false);
            }
            return;
        }
        m_detectionWaiting = false;
        const bool found = m_link.lcdFound();
        if (!found) {
            setStatus(NotFoundStatus + QString::number(portNumber));
        } else {
            setStatus(ConnectedStatus);
            m_link.SendLcd(modLcdFunc::LcdCode41(0));
            m_link.SendLcd(modLcdFunc::ClearScreen());
            if (!m_initialBacklight || m_initialBacklight())
                backlightOnClicked();
            else
                backlightOffClicked();
            // The module keeps its own brightness over a power cycle or
            // another program's use: give it the one the slider shows.
            sendBrightness();
            if (again)
                Q_EMIT moduleReinitialised();
            else
                Q_EMIT moduleFound();
        }
        if (done)
            done(found);
        runOvertaken();
    };
    *answer = connect(&m_link, &LcdLink::answered, this, report);
    m_link.WaitTicks(10, report);
}

void LinkController::runOvertaken()
{
    auto waiting = std::move(m_overtaken);
    m_overtaken.clear();
    for (auto& f : waiting)
        f();
}

void LinkController::setPortPath(int portNumber, const QString& path)
{
    if (portNumber < 1 || portNumber > LcdLink::PortCount)
        return;
    std::array<QString, LcdLink::PortCount> paths;
    for (int i = 1; i <= LcdLink::PortCount; ++i)
        paths[std::size_t(i - 1)] = m_link.portPath(i);
    paths[std::size_t(portNumber - 1)] = path;
    m_link.setPortPaths(paths);
    // A port chosen for good is the user's own, also where --simulate put
    // its module for this run.
    if (portNumber == m_transientPort)
        m_transientPort = 0;
}

void LinkController::comMenuClicked(int index)
{
    if (index < 1 || index > LcdLink::PortCount)
        return;
    if (!serialOutput()) {
        // Back to the module, the only output again.
        choose({QLatin1String(SerialOutput::Key)});
        Q_EMIT outputsChanged();
    }
    // A detection still waiting belongs to the port being closed: it must not
    // report on it, even when the next port cannot be opened.
    ++m_detection;
    m_detectionWaiting = false;
    m_watch.stop();
    m_link.closePort();
    m_link.setPortNumber(index);
    // The check mark follows the port now in use, open or not.
    setCheckedCom(index);
    if (!m_link.openPort()) {
        // The old port is closed and the new one did not open: no module
        // yet, but it may be plugged in.
        setStatus(NotFoundStatus + QString::number(index));
        watchPort();
        runOvertaken();
        return;
    }
    DetectLcd([this, index](bool found) {
        // The simulated module exists for this run only: the saved port stays
        // the user's own.
        if (found && index != m_transientPort)
            m_commPortText = QString::number(index);
    });
}

void LinkController::backlightOnClicked()
{
    m_link.SendLcd(modLcdFunc::BacklightOn());
    setBacklight(true);
}

void LinkController::backlightOffClicked()
{
    m_link.SendLcd(modLcdFunc::BacklightOff());
    setBacklight(false);
}

void LinkController::sliderMoved(int position)
{
    if (!m_backlightOn)
        return;
    m_sliderPosition = std::clamp(position, 0, MaxSliderPosition);
    sendBrightness();
    Q_EMIT brightnessChanged(m_sliderPosition);
}

void LinkController::setSliderPosition(int position)
{
    sliderMoved(position);
    Q_EMIT sliderPositionChanged(m_sliderPosition);
}

void LinkController::sendBrightness()
{
    // Position 0, the top of the slider, is the brightest.
    m_link.SendLcd(modLcdFunc::LcdBrightness(quint8(MaxSliderPosition - m_sliderPosition)));
}

bool LinkController::sliderEnabled() const
{
    return m_backlightOn && std::any_of(m_outputs.begin(), m_outputs.end(), [](const Slot& slot) {
               return slot.chosen && slot.output->takesBrightness();
           });
}

void LinkController::setStatus(const QString& text)
{
    m_serial->setStatus(text);
}

void LinkController::publishStatus()
{
    // Each chosen output's part, in the table's order.
    QStringList parts;
    for (const Slot& slot : m_outputs) {
        const QString text = slot.chosen ? slot.output->statusText() : QString();
        if (!text.isEmpty())
            parts << text;
    }
    m_status = parts.isEmpty() ? InitialStatus : parts.join(QStringLiteral(" - "));
    qCDebug(lcLink).noquote() << "Status:" << m_status;
    Q_EMIT statusTextChanged(m_status);
}

void LinkController::setCheckedCom(int index)
{
    m_checkedCom = index;
    Q_EMIT comCheckChanged(index);
}

void LinkController::setBacklight(bool on)
{
    if (m_backlightOn == on)
        return;
    m_backlightOn = on;
    Q_EMIT backlightChanged(on);
}
