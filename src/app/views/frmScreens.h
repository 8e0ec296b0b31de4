#pragma once

#include "app/ScreensModel.h"
#include "app/views/DialogWarnings.h"

#include <QDialog>
#include <QTimer>

#include <array>

class ModulePanel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QSpinBox;

// The Screens dialog: the own screens (lstScreens with cmdAdd, cmdRemove,
// cmdRename, cmdUp, cmdDown), the chosen one's lines txtScreenLine1..4 with
// cboAlign1..4 and chkScroll1..4, cmdInsertValue, spnUpdate, the preview
// picPreview with lblProblems, and the rotation lstRotation (cmdRotationUp,
// cmdRotationDown, spnRotationSeconds). "OK" (cmdOK) saves through the model
// or warns and stays open; Cancel stores nothing.
class frmScreens : public QDialog
{
    Q_OBJECT
public:
    // The model is made with the sink for the dialog's warnings (boxes on
    // the dialog) and the program's, which takes what outlives the dialog.
    using MakeModel = std::function<ScreensModel(MessageSink& warnings, MessageSink& program)>;
    frmScreens(const MakeModel& makeModel, MessageSink& program, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* buildScreenBox();
    QGroupBox* buildRotationBox();
    QMenu* buildValueMenu();
    void fillScreens(int select);
    void fillRotation(int select);
    void showScreen();
    void storeScreen();
    void showPreview();
    void insertValue(const ScreenTemplate::ValueInfo& value);
    void renamed(QListWidgetItem* item);
    int current() const;

    DialogWarnings m_warnings; // before the model, which keeps it
    ScreensModel m_model;
    QListWidget* m_lstScreens = nullptr;
    QGroupBox* m_screenBox = nullptr;
    std::array<QLineEdit*, OwnScreenSettings::LineCount> m_lines{};
    std::array<QComboBox*, OwnScreenSettings::LineCount> m_align{};
    std::array<QCheckBox*, OwnScreenSettings::LineCount> m_scroll{};
    QLineEdit* m_lastLine = nullptr; // where a value is inserted
    QSpinBox* m_update = nullptr;
    ModulePanel* m_preview = nullptr;
    QLabel* m_problems = nullptr;
    QListWidget* m_lstRotation = nullptr;
    QSpinBox* m_rotationSeconds = nullptr;
    QTimer m_scrollTimer; // the preview's scrolling lines and clock, while shown
    int m_scrollStep = 0;
};
