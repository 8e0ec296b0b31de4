#pragma once

#include "platform/RemoteControl.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <memory>

// io.github.brellix.Brellix1 on the session bus, over a RemoteControl. The
// adaptor generated from io.github.brellix.Brellix1.xml calls the slots
// below; each answers from the control, with the caller's unique name.
class BusService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(QStringList Modes READ modes)
    Q_PROPERTY(uint Mode READ mode)
    Q_PROPERTY(bool Connected READ connected)
    Q_PROPERTY(QString Port READ port)
    Q_PROPERTY(QStringList Lines READ lines)
public:
    // The interface's name in the XML, which is the bus name too; the object
    // path follows from it: "/" and the name with dots as slashes.
    static QString name();
    static QString path();

    // Exports the object and owns the name on connection; null (and said in
    // the log) when the bus cannot be reached or the name is taken.
    static std::unique_ptr<BusService> publish(RemoteControl& control, QDBusConnection connection);
    ~BusService() override;

    QStringList modes() const { return m_control.state().modes; }
    uint mode() const { return m_control.state().mode; }
    bool connected() const { return m_control.state().connected; }
    QString port() const { return m_control.state().port; }
    QStringList lines() const { return m_control.state().lines; }

public Q_SLOTS:
    uint ShowMessage(const QStringList& lines, uint seconds, const QVariantMap& options);
    void Dismiss(uint id);
    void SetMode(uint mode);
    void SelectMode(const QString& nameOrCaption);
    void SetBacklight(bool on);
    void SetBrightness(uchar level);

private:
    BusService(RemoteControl& control, QDBusConnection connection);
    // Sends the error reply for a refused request; true when it was done.
    bool answer(const RemoteControl::Outcome& outcome);
    void announceChanges();

    RemoteControl& m_control;
    QDBusConnection m_connection;
    RemoteControl::State m_sent; // what the properties last said
    bool m_announcing = false;
    bool m_owned = false; // the name is ours
};
