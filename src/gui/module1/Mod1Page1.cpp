#include "Mod1Page1.h"

#include "app/AppCore.h"
#include "app/UiServices.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "module1/AttributeProgrammer.h"
#include "module1/CommandBuffer.h"
#include "module1/NumberField.h"
#include "widgets/ColumnHeading.h"
#include "widgets/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <vector>

namespace {
QString Id(int id) {
    return QStringLiteral("id%1").arg(id);
}
} // namespace

CMod1Page1::CMod1Page1(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_core(core), m_services(services) {
    setObjectName(QStringLiteral("id130"));
    BuildControls();
    // Dialog initialisation: both combos on their blank item, every numeric field blank.
    m_form.m_nFont = 0;
    m_form.m_nContrast = 0;
    ShowFields();
    // The readiness marker is the last control: from now on text changes are the user's.
    auto* marker = new QLabel(QStringLiteral("Must be the LAST ITEM of tab order."), this);
    marker->setObjectName(QStringLiteral("id1064"));
    marker->hide();
    m_ready = true;
}

QPushButton* CMod1Page1::MakeButton(int id, const QString& text, std::function<void()> handler) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(Id(id));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [handler] { handler(); });
    return button;
}

void CMod1Page1::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(BuildSandbox());
    layout->addWidget(BuildProgrammableItems(), 1);
    layout->addWidget(BuildActionButtons());
}

QWidget* CMod1Page1::BuildSandbox() {
    auto* box = new QGroupBox(QStringLiteral("Sandbox"), this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);

    m_testMessage = new QLineEdit(box);
    m_testMessage->setObjectName(Id(1049));
    m_testMessage->setToolTip(
        QStringLiteral("Command text: ^[ is ESC, ^M is CR, \\x41 is any byte."));
    connect(m_testMessage, &QLineEdit::textChanged, this, [this] {
        TakeFields();
        UpdateDocument();
    });
    m_lastCommand = new QLineEdit(box);
    m_lastCommand->setObjectName(Id(1002));
    m_lastCommand->setReadOnly(true);

    grid->addWidget(new QLabel(QStringLiteral("Test Message"), box), 0, 0);
    grid->addWidget(m_testMessage, 0, 1);
    grid->addWidget(MakeButton(1004, QStringLiteral("Try"), [this] { OnTry(); }), 0, 2);
    grid->addWidget(MakeButton(1133, QStringLiteral("ESC"), [this] { OnEsc(); }), 0, 3);
    grid->addWidget(MakeButton(1100, QStringLiteral("Clear"), [this] { OnClear(); }), 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Last Command"), box), 1, 0);
    grid->addWidget(m_lastCommand, 1, 1);
    grid->addWidget(MakeButton(1046, QStringLiteral("Append"), [this] { OnAppend(); }), 1, 2);
    grid->addWidget(
        MakeButton(1050, QStringLiteral("CR/LF"), [this] { OnSendBytes(QByteArray("\r\n")); }), 1,
        3, 1, 2);

    auto* keys = new QHBoxLayout;
    keys->setSpacing(2);
    const struct {
        int id;
        const char* text;
        char byte;
    } oneKey[] = {{1047, "^M", 0x0D},
                  {1041, "^J", 0x0A},
                  {1042, "^L", 0x0C},
                  {1043, "^K", 0x0B},
                  {1044, "^I", 0x09}};
    for (const auto& k : oneKey) {
        const QByteArray bytes(1, k.byte);
        QPushButton* b =
            MakeButton(k.id, QLatin1String(k.text), [this, bytes] { OnSendBytes(bytes); });
        b->setMaximumWidth(36);
        keys->addWidget(b);
    }
    QPushButton* pattern =
        MakeButton(1040, QStringLiteral("\u00ab"), [this] { OnSendBytes(LineDrawingPattern()); });
    pattern->setMaximumWidth(36);
    pattern->setToolTip(QStringLiteral("Print the line-drawing test pattern"));
    keys->addWidget(pattern);
    keys->addStretch(1);
    grid->addLayout(keys, 2, 1, 1, 4);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* CMod1Page1::BuildProgrammableItems() {
    auto* box = new QGroupBox(QStringLiteral("Programmable Items"), this);
    auto* columns = new QHBoxLayout(box);
    columns->setContentsMargins(6, 2, 6, 2);

    auto* checks = new QGridLayout;
    checks->setVerticalSpacing(1);
    // Made row by row, left box first, so that the focus moves through them in that order.
    std::vector<const CAttributeForm::Check*> byPlace;
    for (const CAttributeForm::Check& c : CAttributeForm::kChecks)
        byPlace.push_back(&c);
    std::sort(byPlace.begin(), byPlace.end(), [](const auto* a, const auto* b) {
        return std::make_pair(a->row, a->column) < std::make_pair(b->row, b->column);
    });
    for (const CAttributeForm::Check* c : byPlace) {
        const int id = c->id;
        auto* check = new QCheckBox(QLatin1String(c->label), box);
        check->setObjectName(Id(id));
        connect(check, &QCheckBox::clicked, this, [this, id] { OnCheck(id); });
        m_checks.insert(id, check);
        checks->addWidget(check, c->row, c->column);
    }
    columns->addLayout(checks);
    columns->addSpacing(12);

    auto* right = new QGridLayout;
    right->setVerticalSpacing(2);
    m_font = new QComboBox(box);
    m_font->setObjectName(Id(1038));
    m_contrast = new QComboBox(box);
    m_contrast->setObjectName(Id(1039));
    m_font->addItem(QString());
    m_contrast->addItem(QString());
    for (int i = 0; i <= 9; ++i) {
        m_font->addItem(QStringLiteral("K%1").arg(i));
        m_contrast->addItem(QString::number(i));
    }
    // Both lists as wide as the wider of the two, whatever the page's size (the column
    // they stand in is as wide as the sleep-timer row).
    const int listWidth = qMax(m_font->sizeHint().width(), m_contrast->sizeHint().width());
    m_font->setFixedWidth(listWidth);
    m_contrast->setFixedWidth(listWidth);
    connect(m_font, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { OnComboChanged(true); });
    connect(m_contrast, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { OnComboChanged(false); });
    right->addWidget(new QLabel(QStringLiteral("Font"), box), 0, 0);
    right->addWidget(m_font, 0, 1, Qt::AlignLeft);
    right->addWidget(new QLabel(QStringLiteral("Contrast"), box), 1, 0);
    right->addWidget(m_contrast, 1, 1, Qt::AlignLeft);

    auto makeNumber = [this, box](int field) {
        auto* edit = new QLineEdit(box);
        edit->setObjectName(Id(CAttributeForm::kNumbers[field].id));
        edit->setMaximumWidth(field == CAttributeForm::FormFeed ? 70 : 52);
        edit->installEventFilter(this);
        const auto f = CAttributeForm::Field(field);
        connect(edit, &QLineEdit::textChanged, this, [this, f] { OnNumberChanged(f); });
        m_numbers[field] = edit;
        auto* updown = new CUpDown(edit, CAttributeForm::Maximum(f), box);
        updown->setObjectName(Id(CAttributeForm::kNumbers[field].upDownId));
        auto* pair = new QHBoxLayout;
        pair->setSpacing(0);
        pair->addWidget(edit);
        pair->addWidget(updown);
        return pair;
    };
    for (int field = 0; field < 5; ++field) {
        right->addWidget(new QLabel(QLatin1String(CAttributeForm::kNumbers[field].label), box),
                         field + 2, 0);
        auto* pair = makeNumber(field);
        pair->addWidget(new QLabel(QStringLiteral(" dots"), box));
        pair->addStretch(1);
        right->addLayout(pair, field + 2, 1);
    }
    right->addWidget(new QLabel(QStringLiteral("Sleep Timer"), box), 7, 0);
    auto* heading = new CColumnHeading(QStringLiteral(" HR   :   MIN  :   SEC"), box);
    heading->setObjectName(QStringLiteral("sleepHeading"));
    right->addWidget(heading, 7, 1);
    // HR, MIN and SEC stand over their fields, the colons over the colons between them.
    QVector<CColumnHeading::Column> sleepColumns;
    auto* sleep = new QHBoxLayout;
    for (int field = CAttributeForm::SleepHours; field <= CAttributeForm::SleepSeconds; ++field) {
        sleep->addLayout(makeNumber(field));
        sleepColumns.push_back({m_numbers[field], box->findChild<CUpDown*>(Id(
                                                      CAttributeForm::kNumbers[field].upDownId))});
        if (field != CAttributeForm::SleepSeconds) {
            auto* colon = new QLabel(QStringLiteral(":"), box);
            sleep->addWidget(colon);
            sleepColumns.push_back({colon, colon});
        }
    }
    heading->SetColumns(sleepColumns);
    sleep->addStretch(1);
    right->addLayout(sleep, 8, 1);
    columns->addLayout(right, 1);
    return box;
}

QWidget* CMod1Page1::BuildActionButtons() {
    auto* box = new QGroupBox(QStringLiteral("Action Buttons"), this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 4);
    row->addStretch(1);
    row->addWidget(MakeButton(1037, QStringLiteral("Export"), [this] { OnExport(); }));
    row->addWidget(MakeButton(1007, QStringLiteral("Configure"), [this] { OnConfigure(); }));
    row->addWidget(MakeButton(1009, QStringLiteral("Burn"), [this] { OnBurn(); }));
    return box;
}

void CMod1Page1::TakeFields() {
    for (auto it = m_checks.begin(); it != m_checks.end(); ++it)
        m_form.*(CAttributeForm::FindCheck(it.key())->flag) = it.value()->isChecked() ? 1 : 0;
    // A combo showing no item (an index the list cannot hold) reads as the blank item.
    m_form.m_nFont = qMax(0, m_font->currentIndex());
    m_form.m_nContrast = qMax(0, m_contrast->currentIndex());
    for (int field = 0; field < CAttributeForm::FieldCount; ++field)
        m_form.Text(CAttributeForm::Field(field)) = m_numbers[field]->text();
    m_form.m_strTestMessage = m_testMessage->text();
}

void CMod1Page1::ShowFields() {
    // Showing the state is not a user change: no handler may run for it.
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (QWidget* w : findChildren<QWidget*>())
        blockers.push_back(std::make_unique<QSignalBlocker>(w));
    for (auto it = m_checks.begin(); it != m_checks.end(); ++it)
        it.value()->setChecked((m_form.*(CAttributeForm::FindCheck(it.key())->flag) & 0xFF) != 0);
    auto showIndex = [](QComboBox* combo, int index) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    };
    showIndex(m_font, m_form.m_nFont);
    showIndex(m_contrast, m_form.m_nContrast);
    for (int field = 0; field < CAttributeForm::FieldCount; ++field) {
        const QString& text = m_form.Text(CAttributeForm::Field(field));
        if (m_numbers[field]->text() != text)
            m_numbers[field]->setText(text);
    }
    if (m_testMessage->text() != m_form.m_strTestMessage)
        m_testMessage->setText(m_form.m_strTestMessage);
    m_lastCommand->setText(m_strLastCommand);
}

// Only a real change marks the project modified: Clear on an empty sandbox, or Append of
// an empty Last Command, leaves it as it was.
void CMod1Page1::UpdateDocument() {
    TakeFields();
    const QByteArray before = CProjectFile::Serialize(m_doc);
    m_form.ToDocument(m_doc);
    if (CProjectFile::Serialize(m_doc) != before)
        m_doc.SetModifiedFlag(true);
}

void CMod1Page1::UpdateFromDocument() {
    m_form.FromDocument(m_doc);
    ShowFields();
}

void CMod1Page1::OnInitialUpdate() {
    ClearLastCommand();
    UpdateFromDocument();
}

void CMod1Page1::ClearLastCommand() {
    m_strLastCommand.clear();
    m_lastCommand->clear();
}

void CMod1Page1::OnCheck(int id) {
    TakeFields();
    m_strLastCommand = m_form.ClickCheck(id, m_checks[id]->isChecked());
    ShowFields();
    UpdateDocument();
}

void CMod1Page1::OnComboChanged(bool font) {
    TakeFields();
    m_strLastCommand = font ? m_form.FontCommand() : m_form.ContrastCommand();
    ShowFields();
    UpdateDocument();
}

void CMod1Page1::OnNumberChanged(CAttributeForm::Field field) {
    if (!m_ready)
        return;
    TakeFields();
    m_strLastCommand = m_form.NumberCommand(field);
    ShowFields();
    UpdateDocument();
}

void CMod1Page1::ValidateField(CAttributeForm::Field field) {
    if (m_validating)
        return;
    TakeFields();
    const QString typed = m_form.Text(field);
    QString message;
    if (!NumberField::ValidateNumberField(&m_form.Text(field), CAttributeForm::Maximum(field),
                                          &message)) {
        m_validating = true;
        m_services.Message(message, MsgIcon::Exclamation);
        m_validating = false;
    }
    // "1 2" is re-shown as 12, which is another number than the 1 read while typing: the
    // Last Command and the document follow what the field now shows.
    if (m_form.Text(field) != typed) {
        m_strLastCommand = m_form.NumberCommand(field);
        ShowFields();
        UpdateDocument();
        return;
    }
    ShowFields();
}

bool CMod1Page1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (int field = 0; field < CAttributeForm::FieldCount; ++field) {
            if (watched == m_numbers[field])
                ValidateField(CAttributeForm::Field(field));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CMod1Page1::OnTry() {
    TakeFields();
    CCommandBuffer buffer;
    buffer.ParseNotation(m_form.m_strTestMessage);
    buffer.Send(m_core.m_serial);
}

// Append, ESC and Clear change the sandbox text; the project keeps the text as shown.
void CMod1Page1::OnAppend() {
    TakeFields();
    m_form.m_strTestMessage += m_strLastCommand;
    ShowFields();
    UpdateDocument();
}

void CMod1Page1::OnEsc() {
    TakeFields();
    m_form.m_strTestMessage += QStringLiteral("^[");
    ShowFields();
    UpdateDocument();
}

void CMod1Page1::OnClear() {
    TakeFields();
    m_form.m_strTestMessage.clear();
    ShowFields();
    UpdateDocument();
}

void CMod1Page1::OnSendBytes(const QByteArray& bytes) {
    m_core.m_serial.SendBlock(bytes);
}

void CMod1Page1::OnConfigure() {
    TakeFields();
    CAttributeProgrammer(m_core.m_serial, m_services).Configure(m_form);
}

void CMod1Page1::OnBurn() {
    TakeFields();
    CAttributeProgrammer(m_core.m_serial, m_services).Burn(m_form);
}

QString CMod1Page1::AskExportFile() {
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Save As");
    request.suggested = QStringLiteral("Attributes.prn");
    request.filter = QStringLiteral("PRN Files (*.prn);;All Files (*.*)");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = m_services.AskFileName(request);
    if (path.isEmpty())
        return QString();
    if (!QFileInfo::exists(path)) {
        const MsgAnswer answer = m_services.Message(
            QStringLiteral("%1\nThis file does not exist.\nDo you want to create it?")
                .arg(QFileInfo(path).fileName()),
            QStringLiteral("Save As"), MsgIcon::Exclamation, MsgButtons::YesNo, MsgAnswer::Yes);
        if (answer != MsgAnswer::Yes)
            return QString();
    }
    return path;
}

void CMod1Page1::OnExport() {
    TakeFields();
    const QByteArray bytes = CAttributeProgrammer::ExportBytes(m_form);
    const QString path = AskExportFile();
    if (path.isEmpty())
        return;
    if (!CAttributeProgrammer::WriteExportFile(path, bytes))
        m_services.Message(QStringLiteral("Failed to open a file for write."),
                           MsgIcon::Exclamation);
}

QByteArray CMod1Page1::LineDrawingPattern() {
    return QByteArray::fromHex("C9CDCBD1BB20D5B820DAC4C2D2BF200D0A"
                               "BADBBAB3BA20D4BE20B3DBB3BAB3200D0A"
                               "CCCDCED8B920202020C3C4C5D7B4200D0A"
                               "C7C4D7C5B620D6B720C6CDD8CEB5200D0A"
                               "C8CDCACFBC20D3BD20C0C4C1D0D9200D0A"
                               "0D0A0D0A");
}
