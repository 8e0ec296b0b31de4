#pragma once

#include <QObject>
#include <QString>

// Loads one of Brellix's optional parts: libbrellix-<name>.so, a Qt plugin
// holding what only some modes need together with the libraries behind it
// (libcurl, Qt D-Bus), so that a program that never shows those modes never
// maps them. The file is looked for in $BRELLIX_MODULE_DIR when set, then
// where it is installed relative to the program (bin/../lib/<arch>/brellix,
// so any install tree can be moved), then beside the program (the build
// tree).
//
// A plugin's metadata names the interface it was built against, version
// included; a file naming another one is refused before any of its code
// runs, with a warning naming the file, the id it carries and the one
// wanted. The first call of instance() does the work and says any failure
// once in the log; later calls answer the same. Once loaded a plugin stays
// loaded: the objects it made run its code.
class PluginLoader
{
public:
    explicit PluginLoader(QString name);

    // The plugin's root object as Interface (declared with
    // Q_DECLARE_INTERFACE); null when none was found or fits, see why().
    template <typename Interface> Interface* instance()
    {
        return qobject_cast<Interface*>(instance(qobject_interface_iid<Interface*>()));
    }

    // libbrellix-<name>.so, for messages.
    QString fileName() const;
    // Why instance() gave null: "not found", or what was wrong with each
    // file found.
    QString why() const { return m_why; }

private:
    QObject* instance(const char* iid);

    QString m_name;
    bool m_tried = false;
    QObject* m_root = nullptr; // owned by Qt's plugin store
    QString m_why;
};
