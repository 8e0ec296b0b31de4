#include "app/views/frmScreens.h"

#include "app/views/ModulePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Half a second: the pace of a scrolling line on the module.
constexpr int ScrollStepMs = 500;

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false); // Return in a line edit means OK
    return b;
}

// The preview as the module shows it; the bar characters 1 to 5 light 1 to
// 5 columns from the left, as they are uploaded for a screen with a bar.
ModulePicture pictureOf(const std::array<QByteArray, OwnScreenSettings::LineCount>& lines)
{
    ModulePicture p;
    for (int row = 0; row < OwnScreenSettings::LineCount; ++row) {
        const QByteArray& line = lines[std::size_t(row)];
        for (int col = 0; col < CommandSet::Columns && col < line.size(); ++col)
            p.cells[std::size_t(row * CommandSet::Columns + col)] = quint8(line[col]);
    }
    for (int code = 1; code <= 5; ++code)
        p.glyphs[std::size_t(code)].fill(quint8((0x1F << (5 - code)) & 0x1F));
    return p;
}

} // namespace

frmScreens::frmScreens(const MakeModel& makeModel, MessageSink& program, QWidget* parent)
    : QDialog(parent), m_warnings(this, program), m_model(makeModel(m_warnings, program))
{
    setObjectName(QStringLiteral("frmScreens"));
    setWindowTitle(QStringLiteral("Screens"));
    setAttribute(Qt::WA_DeleteOnClose); // every opening loads afresh

    auto* own = new QGroupBox(QStringLiteral("Own Screens"), this);
    own->setObjectName(QStringLiteral("fraScreens"));
    auto* ownLayout = new QGridLayout(own);
    m_lstScreens = new QListWidget(own);
    m_lstScreens->setObjectName(QStringLiteral("lstScreens"));
    m_lstScreens->setEditTriggers(QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::EditKeyPressed);
    m_lstScreens->setMaximumWidth(fontMetrics().averageCharWidth() * 28);
    ownLayout->addWidget(m_lstScreens, 0, 0, 1, 2);
    QPushButton* add = button(QStringLiteral("&Add"), "cmdAdd", own);
    QPushButton* remove = button(QStringLiteral("&Remove"), "cmdRemove", own);
    QPushButton* rename = button(QStringLiteral("Re&name"), "cmdRename", own);
    QPushButton* up = button(QStringLiteral("&Up"), "cmdUp", own);
    QPushButton* down = button(QStringLiteral("&Down"), "cmdDown", own);
    ownLayout->addWidget(add, 1, 0);
    ownLayout->addWidget(remove, 1, 1);
    ownLayout->addWidget(rename, 2, 0);
    ownLayout->addWidget(up, 3, 0);
    ownLayout->addWidget(down, 3, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(own);
    top->addWidget(buildScreenBox(), 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildRotationBox());
    layout->addWidget(buttons);

    connect(m_lstScreens, &QListWidget::currentRowChanged, this, &frmScreens::showScreen);
    connect(m_lstScreens, &QListWidget::itemChanged, this, &frmScreens::renamed);
    connect(add, &QPushButton::clicked, this, [this] {
        fillScreens(m_model.add());
        fillRotation(m_lstRotation->currentRow());
        m_lstScreens->editItem(m_lstScreens->currentItem()); // name it at once
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (current() < 0)
            return;
        m_model.remove(current());
        fillScreens(qMin(current(), int(m_model.screens().size()) - 1));
        fillRotation(qMin(m_lstRotation->currentRow(), int(m_model.rotation().size()) - 1));
    });
    connect(rename, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = m_lstScreens->currentItem())
            m_lstScreens->editItem(item);
    });
    for (auto [b, steps] : {std::pair{up, -1}, std::pair{down, 1}}) {
        connect(b, &QPushButton::clicked, this, [this, steps = steps] {
            if (current() >= 0)
                fillScreens(m_model.move(current(), steps));
        });
    }
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model.confirm())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_scrollTimer.setInterval(ScrollStepMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] {
        ++m_scrollStep;
        showPreview();
    });
    fillScreens(m_model.screens().isEmpty() ? -1 : 0);
    fillRotation(0);
}

QGroupBox* frmScreens::buildScreenBox()
{
    m_screenBox = new QGroupBox(this);
    m_screenBox->setObjectName(QStringLiteral("fraScreen"));
    auto* grid = new QGridLayout(m_screenBox);
    for (int i = 0; i < OwnScreenSettings::LineCount; ++i) {
        const int n = i + 1;
        auto* line = new QLineEdit(m_screenBox);
        line->setObjectName(QStringLiteral("txtScreenLine%1").arg(n));
        line->setMaxLength(ScreensModel::MaxLineLength);
        line->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
        line->installEventFilter(this);
        auto* align = new QComboBox(m_screenBox);
        align->setObjectName(QStringLiteral("cboAlign%1").arg(n));
        align->addItems(
            {QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")});
        auto* scroll = new QCheckBox(QStringLiteral("Scroll"), m_screenBox);
        scroll->setObjectName(QStringLiteral("chkScroll%1").arg(n));
        scroll->setToolTip(QStringLiteral("A line longer than 20 characters moves along"));
        grid->addWidget(new QLabel(QStringLiteral("Line %1").arg(n), m_screenBox), i, 0);
        grid->addWidget(line, i, 1);
        grid->addWidget(align, i, 2);
        grid->addWidget(scroll, i, 3);
        connect(line, &QLineEdit::textEdited, this, &frmScreens::storeScreen);
        connect(align, &QComboBox::currentIndexChanged, this, &frmScreens::storeScreen);
        connect(scroll, &QCheckBox::toggled, this, &frmScreens::storeScreen);
        m_lines[std::size_t(i)] = line;
        m_align[std::size_t(i)] = align;
        m_scroll[std::size_t(i)] = scroll;
    }
    m_lastLine = m_lines[0];

    auto* row = new QHBoxLayout;
    QPushButton* insert = button(QStringLiteral("Insert &Value"), "cmdInsertValue", m_screenBox);
    insert->setFocusPolicy(Qt::NoFocus); // the line keeps its cursor
    QMenu* menu = buildValueMenu();
    connect(insert, &QPushButton::clicked, this,
            [insert, menu] { menu->popup(insert->mapToGlobal(QPoint(0, insert->height()))); });
    row->addWidget(insert);
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("Update every"), m_screenBox));
    m_update = new QSpinBox(m_screenBox);
    m_update->setObjectName(QStringLiteral("spnUpdate"));
    m_update->setRange(OwnScreenSettings::MinUpdate, OwnScreenSettings::MaxUpdate);
    m_update->setSuffix(QStringLiteral(" s"));
    connect(m_update, &QSpinBox::valueChanged, this, &frmScreens::storeScreen);
    row->addWidget(m_update);
    grid->addLayout(row, OwnScreenSettings::LineCount, 0, 1, 4);

    grid->addWidget(new QLabel(QStringLiteral("Preview, with sample values:"), m_screenBox),
                    OwnScreenSettings::LineCount + 1, 0, 1, 4);
    m_preview = new ModulePanel(m_screenBox);
    m_preview->setObjectName(QStringLiteral("picPreview"));
    grid->addWidget(m_preview, OwnScreenSettings::LineCount + 2, 0, 1, 4, Qt::AlignHCenter);
    m_problems = new QLabel(m_screenBox);
    m_problems->setObjectName(QStringLiteral("lblProblems"));
    m_problems->setWordWrap(true);
    QPalette warn = m_problems->palette();
    warn.setColor(QPalette::WindowText, QColor(170, 20, 20));
    m_problems->setPalette(warn);
    grid->addWidget(m_problems, OwnScreenSettings::LineCount + 3, 0, 1, 4);
    return m_screenBox;
}

QGroupBox* frmScreens::buildRotationBox()
{
    auto* box = new QGroupBox(QStringLiteral("Rotation: the ticked modes follow each other"), this);
    box->setObjectName(QStringLiteral("fraRotation"));
    auto* grid = new QGridLayout(box);
    m_lstRotation = new QListWidget(box);
    m_lstRotation->setObjectName(QStringLiteral("lstRotation"));
    m_lstRotation->setMinimumHeight(m_lstRotation->fontMetrics().height() * 8);
    grid->addWidget(m_lstRotation, 0, 0, 3, 1);
    QPushButton* up = button(QStringLiteral("Move U&p"), "cmdRotationUp", box);
    QPushButton* down = button(QStringLiteral("Move D&own"), "cmdRotationDown", box);
    grid->addWidget(up, 0, 1, 1, 2);
    grid->addWidget(down, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Each shown"), box), 2, 1);
    m_rotationSeconds = new QSpinBox(box);
    m_rotationSeconds->setObjectName(QStringLiteral("spnRotationSeconds"));
    m_rotationSeconds->setRange(RotationSettings::MinSeconds, RotationSettings::MaxSeconds);
    m_rotationSeconds->setSuffix(QStringLiteral(" s"));
    m_rotationSeconds->setValue(m_model.rotationSeconds());
    grid->addWidget(m_rotationSeconds, 2, 2);

    connect(m_rotationSeconds, &QSpinBox::valueChanged, this,
            [this](int seconds) { m_model.setRotationSeconds(seconds); });
    connect(m_lstRotation, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        m_model.setListed(m_lstRotation->row(item), item->checkState() == Qt::Checked);
    });
    for (auto [b, steps] : {std::pair{up, -1}, std::pair{down, 1}}) {
        connect(b, &QPushButton::clicked, this, [this, steps = steps] {
            if (m_lstRotation->currentRow() >= 0)
                fillRotation(m_model.moveRotation(m_lstRotation->currentRow(), steps));
        });
    }
    return box;
}

QMenu* frmScreens::buildValueMenu()
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuValues"));
    for (const ScreenTemplate::ValueInfo& value : ScreenTemplate::values()) {
        QAction* a = menu->addAction(QString::fromUtf8(value.description) + u'\t' +
                                     QLatin1String(value.example));
        a->setObjectName(QLatin1String("mnuValue_") + QLatin1String(value.name));
        connect(a, &QAction::triggered, this, [this, &value] { insertValue(value); });
    }
    return menu;
}

void frmScreens::insertValue(const ScreenTemplate::ValueInfo& value)
{
    if (!m_screenBox->isEnabled())
        return;
    const QString example = QLatin1String(value.example);
    m_lastLine->insert(example);
    // What the value needs after its colon is selected, to be typed over.
    if (value.argument == ScreenTemplate::Argument::Required) {
        const int argLength = int(example.size() - qstrlen(value.name)) - 3; // "{", ":", "}"
        m_lastLine->setSelection(m_lastLine->cursorPosition() - 1 - argLength, argLength);
    }
    m_lastLine->setFocus();
    storeScreen();
}

bool frmScreens::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (QLineEdit* line : m_lines) {
            if (watched == line)
                m_lastLine = line;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmScreens::showEvent(QShowEvent* event)
{
    m_scrollTimer.start();
    QDialog::showEvent(event);
}

void frmScreens::hideEvent(QHideEvent* event)
{
    m_scrollTimer.stop();
    QDialog::hideEvent(event);
}

int frmScreens::current() const
{
    return m_lstScreens->currentRow();
}

void frmScreens::fillScreens(int select)
{
    {
        const QSignalBlocker block(m_lstScreens);
        m_lstScreens->clear();
        for (const OwnScreenSettings& s : m_model.screens()) {
            auto* item = new QListWidgetItem(s.name, m_lstScreens);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        m_lstScreens->setCurrentRow(select);
    }
    showScreen();
}

void frmScreens::fillRotation(int select)
{
    const QSignalBlocker block(m_lstRotation);
    m_lstRotation->clear();
    for (const ScreensModel::RotationRow& row : m_model.rotation()) {
        auto* item = new QListWidgetItem(row.caption, m_lstRotation);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(row.listed ? Qt::Checked : Qt::Unchecked);
    }
    m_lstRotation->setCurrentRow(select);
}

void frmScreens::showScreen()
{
    const int i = current();
    m_screenBox->setEnabled(i >= 0);
    const OwnScreenSettings s = i >= 0 ? m_model.screens()[i] : OwnScreenSettings{};
    m_screenBox->setTitle(i >= 0 ? QStringLiteral("Lines of %1").arg(s.name)
                                 : QStringLiteral("Add a screen to edit its lines"));
    for (std::size_t n = 0; n < m_lines.size(); ++n) {
        const QSignalBlocker b1(m_lines[n]), b2(m_align[n]), b3(m_scroll[n]);
        m_lines[n]->setText(s.lines[n]);
        m_lines[n]->setCursorPosition(0); // a long line shows its start
        m_align[n]->setCurrentIndex(int(s.align[n]));
        m_scroll[n]->setChecked(s.scroll[n]);
    }
    const QSignalBlocker b(m_update);
    m_update->setValue(s.updateSeconds);
    m_scrollStep = 0;
    showPreview();
}

void frmScreens::storeScreen()
{
    if (current() < 0)
        return;
    OwnScreenSettings s;
    for (std::size_t n = 0; n < m_lines.size(); ++n) {
        s.lines[n] = m_lines[n]->text();
        s.align[n] = OwnScreenSettings::Align(m_align[n]->currentIndex());
        s.scroll[n] = m_scroll[n]->isChecked();
    }
    s.updateSeconds = m_update->value();
    m_model.edit(current(), s);
    showPreview();
}

void frmScreens::showPreview()
{
    const int i = current();
    if (i < 0) {
        m_preview->show(ModulePicture{});
        m_problems->clear();
        return;
    }
    m_preview->show(pictureOf(m_model.preview(i, m_scrollStep)));
    QStringList problems = m_model.problems(i);
    for (QString& p : problems)
        p[0] = p[0].toUpper();
    m_problems->setText(problems.join(u'\n'));
}

void frmScreens::renamed(QListWidgetItem* item)
{
    const int i = m_lstScreens->row(item);
    if (i < 0 || item->text() == m_model.screens()[i].name)
        return;
    if (!m_model.rename(i, item->text().trimmed())) {
        const QSignalBlocker block(m_lstScreens);
        item->setText(m_model.screens()[i].name);
        return;
    }
    {
        const QSignalBlocker block(m_lstScreens);
        item->setText(m_model.screens()[i].name);
    }
    showScreen();
    fillRotation(m_lstRotation->currentRow());
}
