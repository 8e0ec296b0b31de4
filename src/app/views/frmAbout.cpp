#include "app/views/frmAbout.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

frmAbout::frmAbout(const QString& settingsPath, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About BRELLIXV2"));
    auto* layout = new QVBoxLayout(this);

    auto* label1 = new QLabel(QStringLiteral("Version 2.0"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label2 =
        new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(Homepage.toHtmlEscaped()), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setTextInteractionFlags(Qt::TextBrowserInteraction);
    // Opened by the desktop's own browser; no file is left behind.
    connect(label2, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });

    auto* details = new QLabel(
        QStringLiteral("Brellix %1, built with Qt %2, running on Qt %3.\n"
                       "Free software under the GNU General Public License, version 3 or later.\n"
                       "Settings file: %4")
            .arg(QStringLiteral(BRELLIX_VERSION), QStringLiteral(QT_VERSION_STR),
                 QString::fromLatin1(qVersion()), settingsPath),
        this);
    details->setObjectName(QStringLiteral("lblDetails"));
    details->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    for (QWidget* w : {static_cast<QWidget*>(label1), static_cast<QWidget*>(label2),
                       static_cast<QWidget*>(details), static_cast<QWidget*>(buttons)})
        layout->addWidget(w);
}
