#include "Mod1Page3.h"

#include "EnterTextDlg.h"
#include "app/AppCore.h"
#include "app/UiServices.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "files/FileAccess.h"
#include "frame/HelpKey.h"
#include "widgets/ElidedButton.h"
#include "widgets/LinkIndicator.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace {
const int kMacroButtonIds[CMod1Page3::kMacroCount] = {1066, 1069, 1076, 1081, 1082, 1083};
const int kMacroEditIds[CMod1Page3::kMacroCount] = {1075, 1077, 1078, 1084, 1085, 1086};
struct FileRowIds {
    int send, cancel, edit, browse;
};
const FileRowIds kFileRows[CMod1Page3::kFileCount] = {{1087, 1090, 1089, 1088},
                                                      {1091, 1092, 1093, 1094}};
// The monitor's background: red 255, green 150, blue 96.
const QColor kMonitorBackground(255, 150, 96);
// Lines kept in view below the first visible one when the monitor scrolls to its end.
const int kLinesInView = 9;

QString Id(int id) {
    return QStringLiteral("id%1").arg(id);
}
} // namespace

CMod1Page3::CMod1Page3(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_core(core), m_services(services),
      m_session(core.m_serial, services) {
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(3);
    auto* reserved = new QLabel(QStringLiteral("Reserved for future use."), this);
    reserved->setObjectName(Id(1080));
    reserved->setEnabled(false);
    reserved->hide();

    m_rename = new QPushButton(QStringLiteral("Rename button"), this);
    m_rename->setObjectName(Id(1071));
    m_rename->setCheckable(true); // drawn pushed in while renaming
    connect(m_rename, &QPushButton::clicked, this, [this] { OnRename(); });
    grid->addWidget(m_rename, 0, 0);
    // Whether the page holds the link: macros and files go nowhere while it does not.
    m_connection = new CLinkIndicator(this);
    m_connection->setObjectName(QStringLiteral("linkIndicator"));
    grid->addWidget(m_connection, 0, 1, 1, 2);
    m_hexView = new QCheckBox(QStringLiteral("Hex"), this);
    m_hexView->setObjectName(QStringLiteral("hexView"));
    m_hexView->setToolTip(QStringLiteral("Show the received bytes in hexadecimal"));
    connect(m_hexView, &QCheckBox::toggled, this, [this](bool hex) { SetHexView(hex); });
    grid->addWidget(m_hexView, 0, 3);

    m_ctlMonitor = new QPlainTextEdit(this);
    m_ctlMonitor->setObjectName(Id(1079));
    m_ctlMonitor->setReadOnly(true);
    m_ctlMonitor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tall enough for the lines the monitor scrolls into view, and no taller: with its
    // larger default height the page would not fit its module's window.
    m_ctlMonitor->setMinimumWidth(560);
    m_ctlMonitor->setFixedHeight(
        qMax(110, m_ctlMonitor->fontMetrics().lineSpacing() * kLinesInView +
                      2 * m_ctlMonitor->frameWidth() + 8));
    QPalette palette = m_ctlMonitor->palette();
    palette.setColor(QPalette::Base, kMonitorBackground);
    palette.setColor(QPalette::Text, Qt::black);
    m_ctlMonitor->setPalette(palette);
    grid->addWidget(m_ctlMonitor, 1, 0, 1, 4);

    auto addMacroRow = [this, grid](int k, int row) {
        // As wide as the default caption, whatever the user renames it to.
        m_btnMacro[size_t(k)] = new CElidedButton(QStringLiteral("Macro Button 0%1").arg(k + 1),
                                                  QStringLiteral("Macro Button 00"), this);
        m_btnMacro[size_t(k)]->setObjectName(Id(kMacroButtonIds[k]));
        connect(m_btnMacro[size_t(k)], &QPushButton::clicked, this,
                [this, k] { OnMacroButton(k); });
        m_macroEdits[size_t(k)] = new QLineEdit(this);
        m_macroEdits[size_t(k)]->setObjectName(Id(kMacroEditIds[k]));
        connect(m_macroEdits[size_t(k)], &QLineEdit::textChanged, this,
                [this] { UpdateDocument(); });
        grid->addWidget(m_btnMacro[size_t(k)], row, 0);
        grid->addWidget(m_macroEdits[size_t(k)], row, 1, 1, 3);
    };
    auto addFileRow = [this, grid](int f, int row) {
        const FileRowIds& ids = kFileRows[f];
        auto* send = new QPushButton(QStringLiteral("Send file %1").arg(f + 1), this);
        send->setObjectName(Id(ids.send));
        connect(send, &QPushButton::clicked, this, [this, f] { OnSendFile(f); });
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(Id(ids.cancel));
        connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
        m_fileEdits[size_t(f)] = new QLineEdit(this);
        m_fileEdits[size_t(f)]->setObjectName(Id(ids.edit));
        connect(m_fileEdits[size_t(f)], &QLineEdit::textChanged, this,
                [this] { UpdateDocument(); });
        auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
        browse->setObjectName(Id(ids.browse));
        connect(browse, &QPushButton::clicked, this, [this, f] { OnBrowse(f); });
        grid->addWidget(send, row, 0);
        grid->addWidget(cancel, row, 1);
        grid->addWidget(m_fileEdits[size_t(f)], row, 2);
        grid->addWidget(browse, row, 3);
    };
    // Top to bottom: macros 01 to 05, the first file row, macro 06, the second file row.
    for (int k = 0; k < 5; ++k)
        addMacroRow(k, 2 + k);
    addFileRow(0, 7);
    addMacroRow(5, 8);
    addFileRow(1, 9);
    grid->setColumnStretch(2, 1);
    for (int k = 0; k < kMacroCount; ++k)
        m_strCaption[size_t(k)] = m_btnMacro[size_t(k)]->text();
    ShowConnection();
}

void CMod1Page3::TakeFields() {
    for (int k = 0; k < kMacroCount; ++k) {
        m_strMacroText[size_t(k)] = m_macroEdits[size_t(k)]->text();
        m_strCaption[size_t(k)] = m_btnMacro[size_t(k)]->text();
    }
    for (int f = 0; f < kFileCount; ++f)
        m_strSendFile[size_t(f)] = m_fileEdits[size_t(f)]->text();
}

void CMod1Page3::ShowFields() {
    // Showing the state is not a user change: no handler may run for it.
    for (int k = 0; k < kMacroCount; ++k) {
        const QSignalBlocker block(m_macroEdits[size_t(k)]);
        m_btnMacro[size_t(k)]->SetCaption(m_strCaption[size_t(k)]);
        if (m_macroEdits[size_t(k)]->text() != m_strMacroText[size_t(k)])
            m_macroEdits[size_t(k)]->setText(m_strMacroText[size_t(k)]);
    }
    for (int f = 0; f < kFileCount; ++f) {
        const QSignalBlocker block(m_fileEdits[size_t(f)]);
        if (m_fileEdits[size_t(f)]->text() != m_strSendFile[size_t(f)])
            m_fileEdits[size_t(f)]->setText(m_strSendFile[size_t(f)]);
    }
}

void CMod1Page3::UpdateDocument() {
    TakeFields();
    const QByteArray before = CProjectFile::Serialize(m_doc);
    for (int k = 0; k < kMacroCount; ++k) {
        m_doc.m_strMacroCaption[size_t(k)] = m_strCaption[size_t(k)];
        m_doc.m_strMacroText[size_t(k)] = m_strMacroText[size_t(k)];
    }
    for (int f = 0; f < kFileCount; ++f)
        m_doc.m_strSendFile[size_t(f)] = m_strSendFile[size_t(f)];
    if (CProjectFile::Serialize(m_doc) != before)
        m_doc.SetModifiedFlag(true);
}

void CMod1Page3::UpdateFromDocument() {
    for (int k = 0; k < kMacroCount; ++k) {
        m_strCaption[size_t(k)] = m_doc.m_strMacroCaption[size_t(k)];
        m_strMacroText[size_t(k)] = m_doc.m_strMacroText[size_t(k)];
    }
    for (int f = 0; f < kFileCount; ++f)
        m_strSendFile[size_t(f)] = m_doc.m_strSendFile[size_t(f)];
    ShowFields();
}

void CMod1Page3::OnActivate() {
    UpdateFromDocument();
    m_session.OpenLink(false);
    ShowConnection();
}

void CMod1Page3::OnModuleChosen() {
    m_session.OpenLink(true);
    ShowConnection();
}

void CMod1Page3::OnDeactivate() {
    // A file being sent pauses with its file open; it goes on at the next line when the
    // page is shown again.
    m_session.CloseLink();
    ShowConnection();
}

bool CMod1Page3::ReleaseLink() {
    if (!m_core.m_serial.m_bOpen)
        return false;
    m_session.CloseLink();
    ShowConnection();
    return true;
}

void CMod1Page3::RetakeLink() {
    if (m_session.OpenLink(false))
        m_services.Status(QStringLiteral("Macros and files now go to %1 (%2) at %3 bit/s.")
                              .arg(m_core.m_serial.GetPortName(), m_core.m_serial.DeviceName(),
                                   m_core.m_serial.GetBaudRateText()));
    ShowConnection();
}

void CMod1Page3::ShowConnection() {
    m_connection->SetState(m_session.IsLinkOpen(), m_session.ConnectionText());
}

void CMod1Page3::OnRename() {
    m_bRenameMode = 1;
    m_rename->setChecked(true);
    m_services.Status(QStringLiteral("Click on the button to rename."));
}

void CMod1Page3::OnMacroButton(int index) {
    CElidedButton* button = m_btnMacro[size_t(index)];
    if (m_bRenameMode) {
        CEnterTextDlg dialog(window());
        HelpKey::Install(&dialog, QStringLiteral("enter-text"), m_services);
        dialog.SetText(button->text());
        if (m_services.RunModal(dialog) == QDialog::Accepted) {
            button->SetCaption(dialog.Text());
            UpdateDocument();
        }
        m_bRenameMode = 0;
        m_rename->setChecked(false);
        m_services.Status(QStringLiteral("Ready"));
        return;
    }
    TakeFields();
    m_session.SendMacro(m_strMacroText[size_t(index)]);
}

void CMod1Page3::OnSendFile(int row) {
    // One file at a time: the session refuses a second one with its message.
    TakeFields();
    if (m_session.StartSendFile(m_strSendFile[size_t(row)]))
        Wake();
}

void CMod1Page3::OnCancel() {
    m_session.StopSendFile();
}

void CMod1Page3::OnBrowse(int row) {
    TakeFields();
    FileRequest request;
    request.title = QStringLiteral("Open");
    request.suggested = m_strSendFile[size_t(row)];
    request.filter = QStringLiteral("BDF Files (*.bdf);;Text Files (*.txt);;All Files (*.*)");
    request.defaultSuffix = QStringLiteral("bdf");
    const QString path = m_services.AskFileName(request);
    if (path.isEmpty())
        return;
    m_strSendFile[size_t(row)] = path;
    ShowFields();
    UpdateDocument();
}

void CMod1Page3::ReceiveStep() {
    const QString received = m_session.ReceiveStep();
    if (!m_core.m_serial.m_bOpen && m_session.LinkLost()) {
        m_services.Status(m_session.LinkLostText() +
                          QStringLiteral(" It is opened again when the page is shown again."));
        ShowConnection();
        return;
    }
    if (received.isEmpty())
        return;
    m_monitorText = CMacroSession::AppendToMonitor(m_monitorText, received);
    ShowMonitor();
}

QString CMod1Page3::ShownMonitor() const {
    return m_hexView->isChecked() ? m_session.Received().Text() : m_monitorText;
}

void CMod1Page3::ShowMonitor() {
    m_ctlMonitor->setPlainText(ShownMonitor());
    // Scrolled so that line (count - 9) is the first one in view.
    const int lines = m_ctlMonitor->blockCount();
    m_ctlMonitor->verticalScrollBar()->setValue(qMax(0, lines - kLinesInView));
}

void CMod1Page3::SetHexView(bool hex) {
    if (m_hexView->isChecked() != hex) {
        m_hexView->setChecked(hex); // comes back here through toggled
        return;
    }
    // The hexadecimal rows line up in columns only in a fixed-pitch font, and only unwrapped
    // (a row wider than the monitor scrolls sideways rather than breaking its columns).
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(qMax(7.0, font().pointSizeF() - 1));
    m_ctlMonitor->setFont(hex ? fixed : font());
    m_ctlMonitor->setLineWrapMode(hex ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    ShowMonitor();
}

bool CMod1Page3::SaveMonitor(const QString& path) {
    QString detail;
    QByteArray bytes = ShownMonitor().toUtf8();
    if (!bytes.isEmpty())
        bytes += '\n';
    if (!FileAccess::WriteFileSafely(path, bytes, &detail)) {
        m_services.Message(
            QStringLiteral("The monitor could not be saved to %1%2.")
                .arg(path, detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)),
            MsgIcon::Exclamation);
        return false;
    }
    m_services.Status(QStringLiteral("Monitor saved to %1.").arg(path));
    return true;
}

bool CMod1Page3::CommandState(int id, bool* enabled, bool* checked) {
    if (id != kSaveMonitorCommand)
        return false;
    // Enabled while the page is on top, whatever the monitor holds: the frame asks when the
    // page comes on top, not at every byte that arrives.
    *enabled = true;
    *checked = false;
    return true;
}

void CMod1Page3::OnCommand(int id) {
    if (id != kSaveMonitorCommand)
        return;
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Save Monitor As");
    request.suggested = QStringLiteral("monitor.txt");
    request.filter = QStringLiteral("Text Files (*.txt);;All Files (*.*)");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = m_services.AskFileName(request);
    if (!path.isEmpty())
        SaveMonitor(path);
}

void CMod1Page3::SendStep() {
    m_session.SendStep();
}
