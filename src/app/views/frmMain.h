#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <vector>

class AppContext;
class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

// The main window: a view of the application context. Controls carry their names as
// objectName: txtLine1..txtLine4, Frame2 with optDisplay0..optDisplay7,
// Frame1 with optBLOff, optBLOn and Brightness, chkRWSU, StatusBar1 with the
// panels StatusBar1Panel1 and StatusBar1Panel2, the menus mnuConfig, mnuComm
// (mnuCOM1..mnuCOM6) and mnuAbout.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("BRELLIX Version 2");

    explicit frmMain(AppContext& context, QWidget* parent = nullptr);
    ~frmMain() override;

    // Adds a panel that paints the module (used with the simulated module).
    void setModulePanel(QWidget* panel);

    // The dialog behind a menu item, created on first use; one instance each.
    QDialog* dialog(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildUi();
    void showDialog(const QString& name);
    void showMessage(const QString& text, int severity);

    AppContext& m_context;
    std::array<QLineEdit*, 4> m_lines{};
    std::vector<QRadioButton*> m_optDisplay;
    std::array<QAction*, 6> m_mnuCOM{};
    QRadioButton* m_optBLOff = nullptr;
    QRadioButton* m_optBLOn = nullptr;
    QSlider* m_brightness = nullptr;
    QCheckBox* m_chkRWSU = nullptr;
    QLabel* m_panel1 = nullptr;
    QLabel* m_panel2 = nullptr;
    QWidget* m_moduleHolder = nullptr;
    std::array<QPointer<QDialog>, 4> m_dialogs{};
};
