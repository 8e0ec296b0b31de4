#include "app/views/frmMain.h"

#include "app/AppContext.h"
#include "app/AppSettings.h"
#include "app/DisplayScheduler.h"
#include "app/IntervalModel.h"
#include "app/Lifecycle.h"
#include "app/Messages.h"
#include "app/Rotation.h"
#include "app/ScreensModel.h"
#include "app/WorldTimeModel.h"
#include "app/views/AppIcon.h"
#include "app/views/ModulePanel.h"
#include "app/views/PictureOutput.h"
#include "app/views/frmAbout.h"
#include "app/views/frmInterval.h"
#include "app/views/frmMail.h"
#include "app/views/frmPorts.h"
#include "app/views/frmScreens.h"
#include "app/views/frmWorldTime.h"
#include "lcd/LcddOutput.h"
#include "lcd/LinkController.h"
#include "platform/Logging.h"
#include "platform/modINI.h"
#include "screens/base/ScreenLines.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {
// The window's dialogs, each opened by its menu item, made from what it needs
// on first use and then shown again while it lives. The dialogs the table of
// modes names fill the menu "&Configuration", in mode order.
struct DialogRow
{
    const char* name;       // the dialog's objectName
    const char* actionName; // its menu item's objectName
    const char* caption;
    QDialog* (*make)(const frmMain::DialogParts& parts, MessageSink& messages, QWidget* parent);
};
const DialogRow Dialogs[] = {
    {"frmWorldTime", "mnuWorldTime", "World &Time",
     [](const frmMain::DialogParts& p, MessageSink&, QWidget* parent) -> QDialog* {
         return new frmWorldTime(WorldTimeModel(p.ini, p.clock, p.worldTime), parent);
     }},
    {"frmWeather", "mnuWeather", "&Weather",
     [](const frmMain::DialogParts& p, MessageSink& messages, QWidget* parent) -> QDialog* {
         return new frmInterval(
             [&p](MessageSink& warnings) {
                 return IntervalModel::weather(p.ini, p.weather, warnings);
             },
             messages, frmInterval::weatherLook(), parent);
     }},
    {"frmStock", "mnuStock", "&Stock",
     [](const frmMain::DialogParts& p, MessageSink& messages, QWidget* parent) -> QDialog* {
         return new frmInterval(
             [&p](MessageSink& warnings) { return IntervalModel::stock(p.ini, p.stock, warnings); },
             messages, frmInterval::stockLook(), parent);
     }},
    {"frmMail", "mnuMail", "&Mail...",
     [](const frmMain::DialogParts& p, MessageSink& messages, QWidget* parent) -> QDialog* {
         return new frmMail(p.ini, messages, parent);
     }},
    {"frmScreens", "mnuScreens", "Sc&reens...",
     [](const frmMain::DialogParts& p, MessageSink& messages, QWidget* parent) -> QDialog* {
         return new frmScreens(
             [&p](MessageSink& warnings, MessageSink& program) {
                 return ScreensModel(
                     p.ini, AppContext::builtInModes(), warnings, program,
                     ScreensModel::sampleValues(p.clock, p.worldTime),
                     [&p](const RotationSettings& s) { p.rotation.configure(s); },
                     p.reloadOwnScreens);
             },
             messages, parent);
     }},
    {"frmAbout", "mnuAbout", "&About",
     [](const frmMain::DialogParts& p, MessageSink&, QWidget* parent) -> QDialog* {
         return new frmAbout(p.ini.path(), parent);
     }},
};

const DialogRow* dialogRow(const QString& name)
{
    for (const DialogRow& row : Dialogs) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

// How long a notice stays in the status bar.
constexpr int NoticeMs = 30000;
} // namespace

frmMain::DialogParts frmMain::DialogParts::of(AppContext& context)
{
    return {context.ini(),
            context.clock(),
            context.worldTime(),
            context.weather(),
            context.stock(),
            context.rotation(),
            [&context] { context.loadOwnScreens(); }};
}

frmMain::frmMain(DisplayScheduler& scheduler, LinkController& link, ScreenLines& lines,
                 Messages& messages, Lifecycle& lifecycle, const DialogParts& dialogParts,
                 const QString& configFile, QWidget* parent)
    : QMainWindow(parent), m_scheduler(scheduler), m_link(link), m_messages(messages),
      m_lifecycle(lifecycle), m_dialogParts(dialogParts),
      m_runOnWSU(RunOnWSU::defaultEntryPath(), QCoreApplication::applicationFilePath(), configFile)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption);
    setWindowIcon(appIcon());
    buildUi();
    buildTray();

    connect(&link, &LinkController::statusTextChanged, m_panel1, &QLabel::setText);
    connect(&link, &LinkController::comCheckChanged, this, [this](int index) {
        for (int i = 0; i < LcdLink::PortCount; ++i)
            m_mnuCOM[i]->setChecked(i + 1 == index);
    });
    connect(&link, &LinkController::sliderPositionChanged, this, [this](int position) {
        const QSignalBlocker block(m_brightness); // restoring a position sends nothing
        m_brightness->setValue(position);
        showBrightness(position);
    });
    connect(&link, &LinkController::backlightChanged, this, [this](bool on) {
        m_brightness->setEnabled(m_link.sliderEnabled());
        (on ? m_optBLOn : m_optBLOff)->setChecked(true);
    });
    connect(&link, &LinkController::outputsChanged, this, &frmMain::showOutputs);
    connect(&link, &LinkController::comCheckChanged, this, &frmMain::showOutputs);
    connect(&link, &LinkController::moduleFound, this, &frmMain::moduleAnswered);
    connect(&lifecycle, &Lifecycle::trayIconRemovalRequested, m_tray, &QSystemTrayIcon::hide);
    connect(&messages, &Messages::shown, this, [this](const UserMessage& message) {
        // A notice passes in the status bar; nothing waits for the user.
        if (message.notice) {
            statusBar()->showMessage(message.text, NoticeMs);
        } else if (!isVisible() && m_tray->isVisible()) {
            // In the tray: no box that pops up from nowhere.
            statusBar()->showMessage(message.text, NoticeMs);
            m_tray->showMessage(
                Lifecycle::ApplicationTitle, message.text,
                message.severity == MessageSeverity::Critical  ? QSystemTrayIcon::Critical
                : message.severity == MessageSeverity::Warning ? QSystemTrayIcon::Warning
                                                               : QSystemTrayIcon::Information);
        } else {
            showMessage(message.text, int(message.severity));
        }
    });
    // The boxes read the codes by the ROM they were made for.
    const auto mirror = [this, &lines](int index) {
        m_lines[std::size_t(index)]->setText(
            m_link.model().readable(lines.line(index), lines.codec()));
    };
    connect(&lines, &ScreenLines::lineChanged, this, [mirror](int index) { mirror(index); });
    connect(&link, &LinkController::charactersChanged, this, [this, mirror] {
        for (int i = 0; i < ScreenLines::Count; ++i)
            mirror(i);
        showCharacters();
    });
    connect(&scheduler, &DisplayScheduler::statusClockChanged, m_panel2, &QLabel::setText);
    connect(&scheduler, &DisplayScheduler::modeSelected, this, [this](int mode) {
        if (mode >= int(m_optDisplay.size()))
            return;
        const QSignalBlocker block(m_optDisplay[std::size_t(mode)]);
        m_optDisplay[std::size_t(mode)]->setChecked(true);
    });
}

frmMain::~frmMain() = default;

void frmMain::makeModeButtons()
{
    // The table's rows from the first that changed are made again.
    const auto& modes = m_scheduler.modes();
    std::size_t same = 0;
    while (same < m_optDisplay.size() && same < modes.size() &&
           m_optDisplay[same]->text() == modes[same].caption)
        ++same;
    while (m_optDisplay.size() > same) {
        delete m_optDisplay.back();
        m_optDisplay.pop_back();
    }
    QWidget* frame = m_modeButtons->parentWidget();
    for (int i = int(same); i < int(modes.size()); ++i) {
        auto* opt = new QRadioButton(modes[std::size_t(i)].caption, frame);
        opt->setObjectName(QStringLiteral("optDisplay%1").arg(i));
        opt->setProperty("index", i);
        m_modeGroup->addButton(opt, i);
        connect(opt, &QRadioButton::clicked, this, [this, i] { m_scheduler.chooseMode(i); });
        m_modeButtons->insertWidget(i, opt);
        m_optDisplay.push_back(opt);
    }
    if (const int shown = m_scheduler.selectedMode(); shown >= 0 && shown < int(modes.size()))
        m_optDisplay[std::size_t(shown)]->setChecked(true);
}

const ModulePicture& frmMain::preview() const
{
    return m_panel->picture();
}

void frmMain::buildUi()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(mono.pointSize() + 2);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(central);
        box->setObjectName(QStringLiteral("txtLine%1").arg(i + 1));
        box->setMaxLength(20);
        box->setFont(mono);
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus); // a mirror, not an input
        box->setStyleSheet(QStringLiteral("background-color: rgb(128, 255, 128); color: black;"));
        box->setMinimumWidth(QFontMetrics(mono).horizontalAdvance(QString(22, QLatin1Char('M'))));
        layout->addWidget(box);
        m_lines[i] = box;
    }

    m_panel = new ModulePanel(central);
    layout->addWidget(m_panel, 1);
    // Gone with the panel it draws on.
    m_picture = new PictureOutput(m_link, *m_panel, m_panel);

    auto* row = new QHBoxLayout;
    auto* frame2 = new QGroupBox(QStringLiteral("Display Options"), central);
    frame2->setObjectName(QStringLiteral("Frame2"));
    m_modeButtons = new QVBoxLayout(frame2);
    m_modeGroup = new QButtonGroup(this);
    makeModeButtons();
    // Own screens come with the settings, after the window is built.
    connect(&m_scheduler, &DisplayScheduler::modesChanged, this, &frmMain::makeModeButtons);
    Rotation& rotation = m_dialogParts.rotation;
    m_chkRotate = new QCheckBox(QStringLiteral("Rotate Screens"), frame2);
    m_chkRotate->setObjectName(QStringLiteral("chkRotate"));
    m_chkRotate->setToolTip(
        QStringLiteral("Show the modes of the settings' [Rotation] one after the other"));
    m_chkRotate->setChecked(rotation.enabled());
    connect(m_chkRotate, &QCheckBox::clicked, &rotation, &Rotation::setEnabled);
    // Also switched by another program, or off by a mode chosen.
    connect(&rotation, &Rotation::enabledChanged, m_chkRotate, [this](bool on) {
        const QSignalBlocker block(m_chkRotate);
        m_chkRotate->setChecked(on);
    });
    m_modeButtons->addWidget(m_chkRotate);
    row->addWidget(frame2);

    auto* frame1 = new QGroupBox(QStringLiteral("Backlight Control"), central);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* light = new QHBoxLayout(frame1);
    auto* buttons = new QVBoxLayout;
    m_optBLOff = new QRadioButton(QStringLiteral("OFF"), frame1);
    m_optBLOff->setObjectName(QStringLiteral("optBLOff"));
    m_optBLOn = new QRadioButton(QStringLiteral("ON"), frame1);
    m_optBLOn->setObjectName(QStringLiteral("optBLOn"));
    auto* lightGroup = new QButtonGroup(this);
    lightGroup->addButton(m_optBLOff);
    lightGroup->addButton(m_optBLOn);
    buttons->addWidget(m_optBLOff);
    buttons->addWidget(m_optBLOn);
    buttons->addStretch();
    light->addLayout(buttons);
    m_brightness = new QSlider(Qt::Vertical, frame1);
    m_brightness->setObjectName(QStringLiteral("Brightness"));
    m_brightness->setRange(0, LinkController::MaxSliderPosition);
    // 0, the brightest, at the top; up, Page Up and the wheel brighten.
    m_brightness->setInvertedAppearance(true);
    m_brightness->setInvertedControls(true);
    m_brightness->setToolTip(QStringLiteral("Brightness: top is brightest"));
    auto* sliderColumn = new QVBoxLayout;
    sliderColumn->addWidget(m_brightness, 1, Qt::AlignHCenter);
    m_brightnessValue = new QLabel(frame1);
    m_brightnessValue->setObjectName(QStringLiteral("lblBrightness"));
    m_brightnessValue->setAlignment(Qt::AlignHCenter);
    sliderColumn->addWidget(m_brightnessValue);
    light->addLayout(sliderColumn);
    connect(m_brightness, &QSlider::valueChanged, m_brightnessValue,
            [this](int position) { showBrightness(position); });
    showBrightness(m_brightness->value());
    row->addWidget(frame1);
    layout->addLayout(row);

    m_chkRWSU = new QCheckBox(QStringLiteral("Run BRELLIXV2 on Startup"), central);
    m_chkRWSU->setObjectName(QStringLiteral("chkRWSU"));
    connect(m_chkRWSU, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            m_runOnWSU.EnableRunAtStartup();
        else
            m_runOnWSU.DisableRunAtStartup();
    });
    layout->addWidget(m_chkRWSU);
    setCentralWidget(central);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    QFont statusFont(QStringLiteral("Bookman Old Style"));
    statusFont.setStyleHint(QFont::Serif);
    m_panel1 = new QLabel(m_link.statusText(), status);
    m_panel1->setObjectName(QStringLiteral("StatusBar1Panel1"));
    m_panel2 = new QLabel(QStringLiteral("System Time"), status);
    m_panel2->setObjectName(QStringLiteral("StatusBar1Panel2"));
    for (QLabel* p : {m_panel1, m_panel2}) {
        p->setFont(statusFont);
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        status->addWidget(p, 1);
    }
    setStatusBar(status);

    QMenu* config = menuBar()->addMenu(QStringLiteral("&Configuration"));
    config->setObjectName(QStringLiteral("mnuConfig"));
    for (const DisplayScheduler::Mode& mode : m_scheduler.modes()) {
        if (!mode.dialog.isEmpty())
            addDialogItem(config, mode.dialog);
    }
    config->addSeparator();
    addDialogItem(config, QStringLiteral("frmScreens"));
    QMenu* comm = menuBar()->addMenu(QStringLiteral("C&ommunition"));
    comm->setObjectName(QStringLiteral("mnuComm"));
    for (int i = 1; i <= LcdLink::PortCount; ++i) {
        QAction* a = comm->addAction(QStringLiteral("COM%1").arg(i));
        a->setObjectName(QStringLiteral("mnuCOM%1").arg(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i, a] {
            // The check marks follow the link, not the click.
            a->setChecked(m_link.checkedComItem() == i);
            m_link.comMenuClicked(i);
        });
        m_mnuCOM[i - 1] = a;
    }
    m_mnuLcdd = comm->addAction(QStringLiteral("&LCDd (LCDproc)"));
    m_mnuLcdd->setObjectName(QStringLiteral("mnuLcdd"));
    m_mnuLcdd->setCheckable(true);
    m_mnuLcdd->setVisible(m_link.output(QLatin1String(LcddOutput::Key)) != nullptr);
    connect(m_mnuLcdd, &QAction::triggered, this,
            [this] { m_link.outputMenuClicked(QLatin1String(LcddOutput::Key)); });
    connect(m_mnuLcdd, &QAction::triggered, this, &frmMain::showOutputs);
    buildCharacterSetMenu(comm);
    comm->addSeparator();
    QAction* ports = comm->addAction(QStringLiteral("&Ports..."));
    ports->setObjectName(QStringLiteral("mnuPorts"));
    connect(ports, &QAction::triggered, this, &frmMain::showPortsDialog);
    // The items say which device each number stands for, as things are now.
    connect(comm, &QMenu::aboutToShow, this, &frmMain::refreshComCaptions);
    refreshComCaptions();
    addDialogItem(nullptr, QStringLiteral("frmAbout"));

    m_optBLOn->setChecked(m_link.backlightOn());
    m_optBLOff->setChecked(!m_link.backlightOn());
    showOutputs();
    connect(m_optBLOn, &QRadioButton::clicked, &m_link, &LinkController::backlightOnClicked);
    connect(m_optBLOff, &QRadioButton::clicked, &m_link, &LinkController::backlightOffClicked);
    connect(m_brightness, &QSlider::valueChanged, &m_link, &LinkController::sliderMoved);
}

void frmMain::buildCharacterSetMenu(QMenu* comm)
{
    QMenu* menu = comm->addMenu(QStringLiteral("&Character Set"));
    menu->setObjectName(QStringLiteral("mnuCharacterSet"));
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    const struct
    {
        Characters characters;
        const char* objectName;
        const char16_t* caption;
    } items[] = {
        {Characters::Ascii, "mnuCharacterSetAscii", u"&ASCII only"},
        {Characters::A00, "mnuCharacterSetA00",
         u"ROM A0&0 (Japanese: \u00e4\u00f6\u00fc \u00b0 \u03c0\u03a3\u03a9)"},
        {Characters::A02, "mnuCharacterSetA02", u"ROM A0&2 (European: Latin-1)"},
    };
    for (const auto& item : items) {
        QAction* a = menu->addAction(QString::fromUtf16(item.caption));
        a->setObjectName(QLatin1String(item.objectName));
        a->setCheckable(true);
        a->setData(int(item.characters));
        group->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, c = item.characters] { m_link.charactersMenuClicked(c); });
        m_mnuCharacterSet.push_back(a);
    }
    showCharacters();
}

void frmMain::showCharacters()
{
    for (QAction* a : m_mnuCharacterSet)
        a->setChecked(a->data().toInt() == int(m_link.characters()));
}

void frmMain::refreshComCaptions()
{
    const LcdLink& link = m_link.link();
    for (int i = 1; i <= LcdLink::PortCount; ++i) {
        const QString path = link.portPath(i);
        m_mnuCOM[i - 1]->setText(
            QStringLiteral("COM%1  %2")
                .arg(i)
                .arg(QFileInfo::exists(path) ? path : QStringLiteral("(no device)")));
    }
}

void frmMain::showOutputs()
{
    m_mnuLcdd->setChecked(m_link.chosen(QLatin1String(LcddOutput::Key)));
    m_brightness->setEnabled(m_link.sliderEnabled());
    m_brightness->setToolTip(m_link.serialOutput()
                                 ? QStringLiteral("Brightness: top is brightest")
                                 : QStringLiteral("Brightness cannot be set through LCDd: "
                                                  "set it in LCDd.conf"));
    m_picture->outputsChanged();
}

void frmMain::showPortsDialog()
{
    auto* d = new frmPorts(PortChooser(m_dialogParts.ini, m_link), PortChooser::systemDevices(),
                           m_link.link().portNumber(), m_link.link().settings(), this);
    connect(d, &QDialog::accepted, this, &frmMain::refreshComCaptions);
    d->open();
}

void frmMain::buildTray()
{
    m_tray = new QSystemTrayIcon(appIcon(), this);
    m_tray->setObjectName(QStringLiteral("TrayIcon"));
    m_tray->setToolTip(Lifecycle::ApplicationTitle);
    m_mPopupSys = new QMenu(QStringLiteral("&SysTray"), this);
    m_mPopupSys->setObjectName(QStringLiteral("mPopupSys"));
    QAction* restore = m_mPopupSys->addAction(QStringLiteral("&Restore"));
    restore->setObjectName(QStringLiteral("mnuRestore"));
    connect(restore, &QAction::triggered, this, &frmMain::restoreFromTray);
    QAction* exit = m_mPopupSys->addAction(QStringLiteral("&Exit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, &m_lifecycle, &Lifecycle::requestQuit);
    m_tray->setContextMenu(m_mPopupSys);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick)
            restoreFromTray();
    });
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        goToTray();
}

void frmMain::moduleAnswered()
{
    // An autostart entry that starts this very program ticks the box,
    // which writes it again; anything else leaves the box alone.
    if (m_runOnWSU.SyncRunAtStartup()) {
        m_chkRWSU->setChecked(true);
        m_runOnWSU.EnableRunAtStartup();
    }
    if (!isVisible() && m_tray->isVisible())
        return; // already there
    if (!isVisible() && trayUsable()) {
        // Never drawn yet: straight to the tray.
        m_tray->show();
        tellAboutTray();
        return;
    }
    m_toTrayByItself = true;
    minimise();
}

void frmMain::minimise()
{
    const auto now = [this] {
        m_minimiseWhenShown->stop();
        showMinimized();
        m_toTrayByItself = false;
    };
    if (!m_minimiseWhenShown) {
        m_minimiseWhenShown = new QTimer(this);
        m_minimiseWhenShown->setInterval(20);
        connect(m_minimiseWhenShown, &QTimer::timeout, this, [this, now] {
            if (windowHandle() && windowHandle()->isExposed())
                now();
        });
    }
    if (isVisible() && windowHandle() && windowHandle()->isExposed()) {
        now();
        return;
    }
    show();
    m_minimiseWhenShown->start();
}

void frmMain::showAfterStartup()
{
    const auto showUnlessInTray = [this] {
        if (!isVisible() && !m_tray->isVisible() && !m_lifecycle.ended())
            show();
    };
    if (m_lifecycle.startupDone()) {
        showUnlessInTray();
        return;
    }
    connect(&m_lifecycle, &Lifecycle::startupFinished, this, showUnlessInTray);
    // A detection that takes long (no module, a slow port) is not waited for.
    constexpr int LongestWaitMs = 3000;
    QTimer::singleShot(LongestWaitMs, this, showUnlessInTray);
}

bool frmMain::trayUsable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && !m_lifecycle.ended();
}

void frmMain::tellAboutTray()
{
    if (m_trayHintDone)
        return;
    m_trayHintDone = true;
    if (AppSettings::trayHintShown(m_dialogParts.ini))
        return;
    m_tray->showMessage(QStringLiteral("Brellix"),
                        QStringLiteral("Brellix runs here in the tray. Click the icon to open "
                                       "its window."),
                        QSystemTrayIcon::Information);
    AppSettings::saveTrayHintShown(m_dialogParts.ini);
}

void frmMain::goToTray()
{
    // Without a tray the icon could not be seen: the window stays minimised
    // the ordinary way, where the desktop can give it back.
    if (!trayUsable())
        return;
    m_tray->show();
    if (m_toTrayByItself)
        tellAboutTray();
    // Hidden once the minimising has run its course.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && m_tray->isVisible())
            hide();
    });
}

void frmMain::restoreFromTray()
{
    m_tray->hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
}

void frmMain::addDialogItem(QMenu* menu, const QString& name)
{
    const DialogRow* row = dialogRow(name);
    if (!row) {
        qCWarning(lcApp).noquote() << "no dialog" << name << "in the window's table of dialogs";
        return;
    }
    const QString caption = QString::fromLatin1(row->caption);
    QAction* a = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    a->setObjectName(QString::fromLatin1(row->actionName));
    connect(a, &QAction::triggered, this, [this, name] { showDialog(name); });
}

QDialog* frmMain::dialog(const QString& name)
{
    const DialogRow* row = dialogRow(name);
    if (!row)
        return nullptr;
    QPointer<QDialog>& open = m_dialogs[name];
    if (!open)
        open = row->make(m_dialogParts, m_messages, this);
    return open;
}

void frmMain::showDialog(const QString& name)
{
    if (QDialog* d = dialog(name)) {
        d->show(); // modeless: the main window stays usable
        d->raise();
        d->activateWindow();
    }
}

void frmMain::showMessage(const QString& text, int severity)
{
    // A message whose box is still open is not opened a second time (a
    // weather refresh every minute while the user is away).
    for (const QMessageBox* open : findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly)) {
        if (open->isVisible() && open->text() == text)
            return;
    }
    // Modal for the user, but no nested event loop: ticks keep running.
    auto* box = new QMessageBox(this);
    box->setWindowTitle(Lifecycle::ApplicationTitle);
    box->setText(text);
    box->setIcon(severity == int(MessageSeverity::Critical)  ? QMessageBox::Critical
                 : severity == int(MessageSeverity::Warning) ? QMessageBox::Warning
                                                             : QMessageBox::Information);
    box->setStandardButtons(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    // A fatal end waits until the user has read what explains it.
    m_lifecycle.holdEnd();
    connect(box, &QDialog::finished, &m_lifecycle, &Lifecycle::releaseEnd);
    box->open();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing the window ends the program; the lifecycle saves and quits.
    m_lifecycle.requestQuit();
    event->accept();
}

void frmMain::showBrightness(int position)
{
    // The level the module gets: the top of the slider is the brightest.
    m_brightnessValue->setNum(LinkController::MaxSliderPosition - position);
}
