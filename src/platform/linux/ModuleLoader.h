#pragma once

#include <QString>

#include <memory>

// Brellix's modules: libbrellix-<name>.so, each holding what only some modes
// need together with the libraries behind it (libcurl, Qt D-Bus),
// so a program that never shows those modes never maps them. A module is
// looked for in $BRELLIX_MODULE_DIR when set, then where it is installed
// relative to the program (bin/../lib/<arch>/brellix, so any install tree
// can be moved), then beside the program (the build tree). Once loaded it
// stays loaded: the objects it made run its code.
//
// The address of the C factory `symbol` in module `name`; nullptr with the
// reason in *why. what names what the factory makes, for that reason.
void* moduleFactory(const QString& name, const char* symbol, const QString& what, QString* why);

// The file name of module name, for messages.
QString moduleFileName(const QString& name);

// Calls the module's factory `T* symbol()`; null with the reason in *why.
template <typename T>
std::unique_ptr<T> createFromModule(const QString& name, const char* symbol, const QString& what,
                                    QString* why)
{
    using Create = T* (*)();
    void* factory = moduleFactory(name, symbol, what, why);
    return std::unique_ptr<T>(factory ? reinterpret_cast<Create>(factory)() : nullptr);
}
