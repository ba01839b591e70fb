#include "SerialPortDlg.h"

#include "app/BaudDetector.h"
#include "app/PortDiscovery.h"
#include "app/PortMap.h"
#include "app/PortNames.h"
#include "app/SerialPort.h"
#include "app/UiServices.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// Radio button IDs and texts in group order: the order is the baud index.
const struct {
    int id;
    const char* text;
} kBaudButtons[8] = {
    {1001, "1200          (1   1   1)"}, {1003, "2400          (0   1   1)"},
    {1005, "9600          (1   0   1)"}, {1008, "14400        (0   0   1)"},
    {1010, "19200        (1   1   0)"},  {1013, "38400        (0   1   0)"},
    {1016, "57600        (1   0   0)"},  {1019, "115200      (0   0   0)"},
};

QString PortName(int index) {
    return PortNames::ComName(index);
}

// The DIP-switch columns. The texts line the switch positions up with runs of blanks,
// which only works in the font they were written for. The texts stay as they are, but the
// rate, the parentheses and each switch digit are drawn in columns of their own, measured
// in the font in use, so the rows line up with each other and with the "(s3 s4 s5)"
// heading in any font.
const char* const kSwitchHeading = "      (s3 s4 s5)";
const int kRateGap = 12; // between the widest rate and the opening parenthesis

QString SwitchGroup() {
    return QString::fromLatin1(kSwitchHeading).trimmed(); // "(s3 s4 s5)"
}
QStringList Tokens(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("[\\s()]+")), Qt::SkipEmptyParts);
}

// Where the parenthesised switch group starts, measured from the start of a radio
// button's label, in the given font: behind the widest of the eight rates.
int SwitchOffset(const QFontMetrics& fm) {
    int widest = 0;
    for (const auto& b : kBaudButtons)
        widest = qMax(widest, fm.horizontalAdvance(Tokens(QString::fromLatin1(b.text)).value(0)));
    return widest + kRateGap;
}
// The centre of switch k (0 to 2) within the group: under s3, s4 and s5 of the heading.
int SwitchCentre(const QFontMetrics& fm, int k) {
    const QString group = SwitchGroup();
    const QString name = QStringLiteral("s%1").arg(k + 3);
    const int at = int(group.indexOf(name));
    return fm.horizontalAdvance(group.left(at)) + fm.horizontalAdvance(name) / 2;
}

// A baud-rate radio button that draws its text in the switch columns.
class CBaudRadio : public QRadioButton {
public:
    CBaudRadio(const QString& text, QWidget* parent) : QRadioButton(text, parent) {}

    // Where the label starts, in the button's coordinates.
    int LabelLeft() const {
        QStyleOptionButton opt;
        initStyleOption(&opt);
        return style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, this).left();
    }
    QSize sizeHint() const override {
        QSize size = QRadioButton::sizeHint();
        const QFontMetrics fm = fontMetrics();
        size.setWidth(qMax(size.width(), LabelLeft() + SwitchOffset(fm) +
                                             fm.horizontalAdvance(SwitchGroup()) + 2));
        return size;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        QStyleOptionButton indicator = opt;
        indicator.rect = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, this);
        painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, indicator);

        const QFontMetrics fm = fontMetrics();
        const QRect label = style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, this);
        const QStringList tokens = Tokens(text()); // rate, then the three switches
        const int group = label.left() + SwitchOffset(fm);
        auto draw = [&](int left, const QString& s) {
            const QRect cell(left, label.top(), fm.horizontalAdvance(s) + 1, label.height());
            style()->drawItemText(&painter, cell, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                                  isEnabled(), s, QPalette::WindowText);
            return cell;
        };
        QRect used = draw(label.left(), tokens.value(0));
        draw(group, QStringLiteral("("));
        for (int k = 0; k < 3; ++k) {
            const QString digit = tokens.value(k + 1);
            draw(group + SwitchCentre(fm, k) - fm.horizontalAdvance(digit) / 2, digit);
        }
        const QString close = QStringLiteral(")");
        used |=
            draw(group + fm.horizontalAdvance(SwitchGroup()) - fm.horizontalAdvance(close), close);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = used.adjusted(-1, 0, 1, 0);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
};

// The "(s3 s4 s5)" heading with its rule, drawn over the switch columns of the buttons.
// It stands in the same column of the group box as the buttons (same left edge).
class CSwitchHeading : public QLabel {
public:
    CSwitchHeading(CBaudRadio* sample, QWidget* parent)
        : QLabel(QString::fromLatin1(kSwitchHeading), parent), m_sample(sample) {
        // The rule: a black line under the heading, as wide as the switch group.
        m_rule = new QFrame(this);
        m_rule->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_rule->setFixedHeight(1);
    }
    int GroupLeft() const { return m_sample->LabelLeft() + SwitchOffset(fontMetrics()); }
    QSize sizeHint() const override {
        const QFontMetrics fm = fontMetrics();
        return QSize(GroupLeft() + fm.horizontalAdvance(SwitchGroup()) + 2, fm.height() + 4);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics fm = fontMetrics();
        const QRect cell(GroupLeft(), 0, fm.horizontalAdvance(SwitchGroup()) + 1, fm.height());
        style()->drawItemText(&painter, cell, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), SwitchGroup(), QPalette::WindowText);
    }
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        const QFontMetrics fm = fontMetrics();
        m_rule->setGeometry(GroupLeft(), fm.height() + 2, fm.horizontalAdvance(SwitchGroup()), 1);
    }

private:
    CBaudRadio* m_sample;
    QFrame* m_rule = nullptr;
};
} // namespace

CSerialPortDlg::CSerialPortDlg(const CPortMap& ports, QWidget* parent)
    : QDialog(parent), m_ports(ports),
      m_watcher([this] { return PortDiscovery::Available(m_ports); }) {
    setWindowTitle(QStringLiteral("Configure Serial Port"));
    setObjectName(QStringLiteral("id141"));

    auto* baudBox = new QGroupBox(QStringLiteral("Baud Rate"), this);
    auto* baudLayout = new QVBoxLayout(baudBox);
    auto* heading = new QLabel(QStringLiteral("DIPSWITCH (1=ON, 0=OFF)"), baudBox);
    baudLayout->addWidget(heading, 0, Qt::AlignRight);
    m_baudGroup = new QButtonGroup(this);
    QList<CBaudRadio*> radios;
    for (int i = 0; i < 8; ++i) {
        auto* radio = new CBaudRadio(QString::fromLatin1(kBaudButtons[i].text), baudBox);
        radio->setObjectName(QStringLiteral("id%1").arg(kBaudButtons[i].id));
        m_baudGroup->addButton(radio, i);
        radios << radio;
    }
    // The heading and the buttons share the box's left edge: no alignment for them.
    auto* switches = new CSwitchHeading(radios.first(), baudBox);
    switches->setObjectName(QStringLiteral("switchHeading"));
    baudLayout->addWidget(switches);
    for (CBaudRadio* radio : radios)
        baudLayout->addWidget(radio);
    baudLayout->addStretch(1); // a taller dialog keeps the rows together

    auto* portCaption = new QLabel(QStringLiteral("Com Port"), this);
    m_portList = new QTreeWidget(this);
    m_portList->setObjectName(QStringLiteral("id1025"));
    m_portList->setColumnCount(2);
    m_portList->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device")});
    m_portList->setRootIsDecorated(false);
    m_portList->setUniformRowHeights(true);
    m_portList->header()->setStretchLastSection(true);
    m_portList->setMinimumWidth(240);

    auto* deviceLabel = new QLabel(QStringLiteral("&Device for the selected port:"), this);
    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("device"));
    m_device->setEditable(true);
    m_device->setInsertPolicy(QComboBox::NoInsert);
    m_device->setToolTip(
        QStringLiteral("Pick one of the serial ports found on this computer, "
                       "or type the device path. Leave it empty for the default."));
    deviceLabel->setBuddy(m_device);
    m_deviceNote = new QLabel(this);
    m_deviceNote->setWordWrap(true);
    m_foundNote = new QLabel(this);
    m_foundNote->setObjectName(QStringLiteral("foundNote"));
    m_foundNote->setWordWrap(true);
    // An adapter is often plugged in with the dialog already open: the ports are looked
    // for again every second while it is shown (a listing of the system's serial ports
    // costs a few milliseconds).
    m_watch = new QTimer(this);
    m_watch->setInterval(1000);
    connect(m_watch, &QTimer::timeout, this, &CSerialPortDlg::RefreshFoundDevices);

    m_detect = new QPushButton(QStringLiteral("De&tect"), this);
    m_detect->setObjectName(QStringLiteral("detect"));
    m_detect->setAutoDefault(false);
    m_detect->setToolTip(QStringLiteral(
        "Find the baud rate of the printer on the selected port: the battery status query "
        "is sent at each rate until the printer answers."));
    m_detectStatus = new QLabel(this);
    m_detectStatus->setObjectName(QStringLiteral("detectStatus"));
    m_detectStatus->setWordWrap(true);
    connect(m_detect, &QPushButton::clicked, this, &CSerialPortDlg::OnDetect);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("id2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(baudBox, 0, 0, 5, 1);
    layout->addWidget(portCaption, 0, 1);
    layout->addWidget(m_portList, 1, 1);
    layout->addWidget(deviceLabel, 2, 1);
    layout->addWidget(m_device, 3, 1);
    auto* notes = new QVBoxLayout;
    notes->addWidget(m_deviceNote);
    notes->addWidget(m_foundNote);
    notes->addStretch(1);
    layout->addLayout(notes, 4, 1);
    auto* detectRow = new QHBoxLayout;
    detectRow->addWidget(m_detect, 0, Qt::AlignTop);
    detectRow->addWidget(m_detectStatus, 1);
    layout->addLayout(detectRow, 5, 0, 1, 2);
    layout->addWidget(buttons, 0, 2, 6, 1, Qt::AlignBottom);

    // The list holds COM1 to COM20, the i-th entry at position i.
    for (int i = 0; i < CSerialPort::kPortCount; ++i) {
        m_devices.insert(PortName(i), m_ports.StoredDevice(PortName(i)));
        auto* item = new QTreeWidgetItem(m_portList);
        item->setText(0, PortName(i));
    }
    RefreshFoundDevices();
    connect(m_portList, &QTreeWidget::currentItemChanged, this, [this] { OnPortSelected(); });
    connect(m_device, &QComboBox::currentTextChanged, this, &CSerialPortDlg::OnDeviceEdited);
    connect(m_device, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        // A picked entry stands for its device path, not the description shown.
        m_device->setEditText(m_device->itemData(index).toString());
    });
}

QString CSerialPortDlg::EffectiveDevice(int index) const {
    CPortMap lookup = m_ports;
    lookup.SetStoredDevice(PortName(index), m_devices.value(PortName(index)));
    return lookup.Device(PortName(index));
}

void CSerialPortDlg::ShowFields() {
    m_updating = true;
    if (m_nBaudIndex >= 0 && m_nBaudIndex < 8) {
        m_baudGroup->button(m_nBaudIndex)->setChecked(true);
    } else {
        m_baudGroup->setExclusive(false);
        for (auto* b : m_baudGroup->buttons())
            b->setChecked(false);
        m_baudGroup->setExclusive(true);
    }
    for (int i = 0; i < m_portList->topLevelItemCount(); ++i)
        m_portList->topLevelItem(i)->setText(1, EffectiveDevice(i));
    if (m_nPortIndex >= 0 && m_nPortIndex < m_portList->topLevelItemCount())
        m_portList->setCurrentItem(m_portList->topLevelItem(m_nPortIndex));
    else
        m_portList->setCurrentItem(nullptr);
    m_updating = false;
    OnPortSelected();
}

void CSerialPortDlg::TakeFields() {
    m_nBaudIndex = m_baudGroup->checkedId(); // -1 when none is checked
    QTreeWidgetItem* current = m_portList->currentItem();
    m_nPortIndex = current && current->isSelected() ? m_portList->indexOfTopLevelItem(current) : -1;
}

void CSerialPortDlg::OnPortSelected() {
    if (m_updating)
        return;
    QTreeWidgetItem* item = m_portList->currentItem();
    const int index = item ? m_portList->indexOfTopLevelItem(item) : -1;
    m_device->setEnabled(index >= 0);
    m_updating = true;
    // The device in use for that name: a mapping for this run, the stored one, the
    // environment's or the default.
    m_device->setEditText(index >= 0 ? EffectiveDevice(index) : QString());
    m_updating = false;
    UpdateDeviceNote(index);
}

void CSerialPortDlg::UpdateDeviceNote(int index) {
    if (index < 0) {
        m_deviceNote->clear();
        return;
    }
    const QString name = PortName(index);
    const QString session = m_ports.SessionDevice(name);
    if (!session.isEmpty()) {
        m_deviceNote->setText(QStringLiteral("For this run %1 is %2; a device set here applies "
                                             "from the next start.")
                                  .arg(name, session));
    } else if (m_devices.value(name).isEmpty()) {
        CPortMap defaults;
        m_deviceNote->setText(
            QStringLiteral("None set: %1 (KVU_PORT_%2 or the default); type a device to "
                           "set one.")
                .arg(defaults.Device(name), name));
    } else {
        m_deviceNote->clear();
    }
}

void CSerialPortDlg::OnDeviceEdited(const QString& text) {
    if (m_updating)
        return;
    QTreeWidgetItem* item = m_portList->currentItem();
    if (!item)
        return;
    const int index = m_portList->indexOfTopLevelItem(item);
    m_devices.insert(PortName(index), text.trimmed());
    item->setText(1, EffectiveDevice(index));
    UpdateDeviceNote(index);
}

namespace {
// Detect without the program's services (a dialog made on its own): nothing to show.
class CSilentServices : public IUiServices {
public:
    void Status(const QString&) override {}
    using IUiServices::Message;
    MsgAnswer Message(const QString&, const QString&, MsgIcon, MsgButtons,
                      MsgAnswer defaultAnswer) override {
        return defaultAnswer;
    }
    void Pause(int) override {}
    void BeginWait() override {}
    void EndWait() override {}
};
} // namespace

void CSerialPortDlg::OnDetect() {
    QTreeWidgetItem* item = m_portList->currentItem();
    if (!item || !item->isSelected()) {
        m_detectStatus->setText(QStringLiteral("Select a port first."));
        return;
    }
    const int index = m_portList->indexOfTopLevelItem(item);
    const QString name = PortName(index);
    // A link of its own, on the device as edited here: the program's link is not touched
    // until OK.
    CPortMap lookup = m_ports;
    lookup.SetStoredDevice(name, m_devices.value(name));
    CSilentServices silent;
    IUiServices& services = m_services ? *m_services : silent;
    CSerialPort link;
    link.SetPortMap(&lookup);
    link.SetServices(&services);
    link.SetPortIndex(index);
    const int checked = m_baudGroup->checkedId();
    link.SetBaudIndex(checked >= 0 ? checked : CSerialPort::kDefaultBaudIndex);

    CBaudDetector detector(link, services);
    detector.SetOnTry([&](int rate) {
        m_detectStatus->setText(
            QStringLiteral("Detecting on %1: trying %2 bit/s...").arg(name).arg(rate));
        m_detectStatus->repaint();
    });
    m_detect->setEnabled(false);
    const CBaudDetector::Result result = detector.Detect();
    m_detect->setEnabled(true);

    if (result.problem.kind != COpenProblem::Kind::None) {
        m_detectStatus->setText(result.problem.text);
    } else if (result.writeFailed) {
        m_detectStatus->setText(QStringLiteral("%1: the query could not be sent.").arg(name));
    } else if (!result.Found()) {
        m_detectStatus->setText(
            QStringLiteral("No printer answered on %1 at any of the eight rates.").arg(name));
    } else {
        for (int i = 0; i < 8; ++i) {
            if (CSerialPort::kBaudTable[i].rate == result.rate)
                m_baudGroup->button(i)->setChecked(true);
        }
        m_detectStatus->setText(
            QStringLiteral("Found the printer on %1 at %2 bit/s.").arg(name).arg(result.rate));
    }
}

void CSerialPortDlg::showEvent(QShowEvent* event) {
    if (m_portList->currentItem())
        m_portList->scrollToItem(m_portList->currentItem());
    m_watch->start();
    QDialog::showEvent(event);
}

void CSerialPortDlg::hideEvent(QHideEvent* event) {
    m_watch->stop();
    QDialog::hideEvent(event);
}

void CSerialPortDlg::SetPortLister(PortLister lister) {
    m_watcher = CPortWatcher(std::move(lister));
    m_filled = false;
    RefreshFoundDevices();
}

void CSerialPortDlg::RefreshFoundDevices() {
    const QList<CPortWatcher::Change> changes = m_watcher.Poll();
    if (m_filled && changes.isEmpty())
        return;
    QStringList came, went;
    if (m_filled) { // the first listing is no news
        for (const CPortWatcher::Change& change : changes)
            (change.added ? came : went) << change.port.device;
    }
    m_filled = true;
    // Each port found, and its stable name where it has one: a stable name stored for a
    // COM port still finds the adapter after it was plugged into another socket.
    QStringList found, shown;
    for (const CPortInfo& info : m_watcher.Ports()) {
        const QString description =
            info.description.isEmpty() ? QString() : QStringLiteral("  (%1)").arg(info.description);
        found << info.device;
        shown << info.device + description;
        if (!info.stableName.isEmpty()) {
            found << info.stableName;
            shown << info.stableName + description;
        }
    }
    // Refilled without touching what is typed or chosen: the edit text is the user's.
    const bool wasUpdating = m_updating;
    m_updating = true;
    const QString typed = m_device->currentText();
    m_device->clear();
    for (int i = 0; i < found.size(); ++i)
        m_device->addItem(shown[i], found[i]);
    m_device->setEditText(typed);
    m_updating = wasUpdating;
    QStringList notes;
    if (!came.isEmpty())
        notes << QStringLiteral("Plugged in: %1").arg(came.join(QStringLiteral(", ")));
    if (!went.isEmpty())
        notes << QStringLiteral("Pulled out: %1").arg(went.join(QStringLiteral(", ")));
    if (!notes.isEmpty())
        m_foundNote->setText(notes.join(QStringLiteral(". ")) + QLatin1Char('.'));
    for (int i = 0; i < m_portList->topLevelItemCount(); ++i)
        m_portList->topLevelItem(i)->setText(1, EffectiveDevice(i));
}

void CSerialPortDlg::accept() {
    TakeFields();
    QDialog::accept();
}
