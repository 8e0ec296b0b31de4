#pragma once

#include "app/RunOnWSU.h"
#include "lcd/LcdLink.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

class AppContext;
class QTimer;
class Clock;
class DisplayScheduler;
class Lifecycle;
class LinkController;
class Messages;
class QAction;
class QButtonGroup;
class QCheckBox;
class QDialog;
class QLabel;
class ModulePanel;
class PictureOutput;
struct ModulePicture;
class QLineEdit;
class QMenu;
class QRadioButton;
class Rotation;
class QSlider;
class QVBoxLayout;
class QSystemTrayIcon;
class ScreenLines;
class WorldTimeSettings;
class modINI;
struct StockSettings;
struct WeatherSettings;

// The main window: a view of the scheduler, the link and the lines.
// Controls carry their names as objectName: txtLine1..txtLine4, Frame2 with
// optDisplay0, optDisplay1, ... (one per row of the table of modes) and chkRotate, Frame1 with
// optBLOff, optBLOn and Brightness, chkRWSU, StatusBar1 with the panels StatusBar1Panel1 and
// StatusBar1Panel2, the menus mnuConfig, mnuComm (mnuCOM1..mnuCOM6, mnuLcdd, mnuCharacterSet with
// mnuCharacterSetAscii, mnuCharacterSetA00 and mnuCharacterSetA02, mnuPorts) and mnuAbout, and
// the tray icon's menu mPopupSys with mnuRestore and mnuExit.
//
// Minimising sends the window to the tray: hidden, with the icon shown; where
// the desktop has no tray, it stays an ordinary minimised window, so it can
// never be lost.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Minimised the ordinary way (then to the tray, where there is one). A
    // window never shown is shown first and minimised once the display has
    // it: X11 maps a window minimised before its first showing as a normal one.
    void minimise();
    static inline const QString Caption = QStringLiteral("BRELLIX Version 2");

    // What the dialogs behind the menus read and change (the rotation: also
    // the box of the Display Options).
    struct DialogParts
    {
        modINI& ini;
        const Clock& clock;
        WorldTimeSettings& worldTime;
        WeatherSettings& weather;
        StockSettings& stock;
        Rotation& rotation;
        // Reads the own screens again after the Screens dialog saved them.
        std::function<void()> reloadOwnScreens;

        // Those of the program's context.
        static DialogParts of(AppContext& context);
    };

    // configFile: the settings file named by --config, empty when none was;
    // the autostart entry names it too.
    frmMain(DisplayScheduler& scheduler, LinkController& link, ScreenLines& lines,
            Messages& messages, Lifecycle& lifecycle, const DialogParts& dialogParts,
            const QString& configFile = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // The dialog behind a menu item, created on first use; one instance each.
    QDialog* dialog(const QString& name);

    // The first showing: once the start-up has ended, unless the module
    // answered and the window went to the tray without ever being drawn; a
    // slow detection shows it after a moment.
    void showAfterStartup();

    QSystemTrayIcon* trayIcon() const { return m_tray; }
    // The picture of the module, as the display model follows it; with LCDd
    // the only output, what Brellix asked LCDd to show.
    const ModulePicture& preview() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showBrightness(int sliderPosition);
    void buildUi();
    void buildTray();
    void goToTray();
    bool trayUsable() const;
    void moduleAnswered();
    // The first time in a run the window goes to the tray by itself: a
    // notification says where Brellix is, unless the settings file says it
    // was shown before.
    void tellAboutTray();
    void restoreFromTray();
    void showPortsDialog();
    void refreshComCaptions();
    // Communication's Character Set menu: the module's ROM, one checked.
    void buildCharacterSetMenu(QMenu* comm);
    void showCharacters();
    // The LCDd item, the slider and the picture follow the outputs.
    void showOutputs();
    void showDialog(const QString& name);
    // The item of the dialog named so, on menu (null: the menu bar).
    void addDialogItem(QMenu* menu, const QString& name);
    void showMessage(const QString& text, int severity);
    // One option button per row of the scheduler's table of modes.
    void makeModeButtons();

    DisplayScheduler& m_scheduler;
    LinkController& m_link;
    Messages& m_messages;
    Lifecycle& m_lifecycle;
    DialogParts m_dialogParts;
    std::array<QLineEdit*, 4> m_lines{};
    std::vector<QRadioButton*> m_optDisplay;
    QVBoxLayout* m_modeButtons = nullptr;
    QButtonGroup* m_modeGroup = nullptr;
    std::array<QAction*, LcdLink::PortCount> m_mnuCOM{};
    QAction* m_mnuLcdd = nullptr;
    std::vector<QAction*> m_mnuCharacterSet;
    QRadioButton* m_optBLOff = nullptr;
    QRadioButton* m_optBLOn = nullptr;
    QSlider* m_brightness = nullptr;
    QCheckBox* m_chkRWSU = nullptr;
    QCheckBox* m_chkRotate = nullptr;
    QLabel* m_panel1 = nullptr;
    QLabel* m_panel2 = nullptr;
    QLabel* m_brightnessValue = nullptr;
    ModulePanel* m_panel = nullptr;
    PictureOutput* m_picture = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_mPopupSys = nullptr;
    RunOnWSU m_runOnWSU;
    bool m_toTrayByItself = false; // the module answered: the next minimising is not the user's
    QTimer* m_minimiseWhenShown = nullptr;
    bool m_trayHintDone = false;
    QHash<QString, QPointer<QDialog>> m_dialogs; // by objectName, while open
};
