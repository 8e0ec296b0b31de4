#pragma once

#include <QDialog>

// "About BRELLIXV2": the version, the project's page as a link, and what a
// user asks about a program: its build, Qt, its licence and the settings
// file in use.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    static inline const QString Homepage = QStringLiteral(BRELLIX_HOMEPAGE);

    explicit frmAbout(const QString& settingsPath, QWidget* parent = nullptr);
};
