#include "RecordWindow.h"
#include "RecordCsv.h"

#include "ProvisionRecord.h"
#include "RecordLocation.h"
#include "app/UiServices.h"
#include "files/FileAccess.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// The runs' columns the window shows, in order, with their headings.
struct Column {
    const char* field;
    const char* heading;
};
const Column kRunColumns[] = {
    {"printer", "Printer"},   {"serial", "Serial"},         {"address", "Address"},
    {"firmware", "Firmware"}, {"recipe", "Recipe"},         {"hash", "Hash"},
    {"station", "Station"},   {"started", "Started (UTC)"}, {"verdict", "Verdict"},
};
const Column kStepColumns[] = {
    {"position", "#"},      {"step", "Step"},       {"verdict", "Verdict"},
    {"seconds", "Seconds"}, {"message", "Message"}, {"step_values", "Values"},
};
const char* const kFilterFields[] = {"printer", "serial",  "address",
                                     "recipe",  "station", "verdict"};

template <size_t N>
void ShowColumns(QSqlTableModel* model, QTableView* view, const Column (&columns)[N]) {
    const QSqlRecord record = model->record();
    for (int c = 0; c < record.count(); ++c)
        view->setColumnHidden(c, true);
    int visual = 0;
    for (const Column& col : columns) {
        const int index = record.indexOf(QLatin1String(col.field));
        if (index < 0)
            continue;
        model->setHeaderData(index, Qt::Horizontal, QLatin1String(col.heading));
        view->setColumnHidden(index, false);
        view->horizontalHeader()->moveSection(view->horizontalHeader()->visualIndex(index),
                                              visual++);
    }
}

QTableView* MakeTable(QWidget* parent, const char* name) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

} // namespace

CRecordWindow::CRecordWindow(IUiServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_services(services) {
    setWindowTitle(QStringLiteral("Provisioning Record"));
    setObjectName(QStringLiteral("provisioningRecord"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Record:"), this));
    m_location = new QLineEdit(this);
    m_location->setObjectName(QStringLiteral("recordLocation"));
    m_location->setPlaceholderText(CRecordLocation::DefaultFile());
    m_location->setToolTip(QStringLiteral("An SQLite file, or postgresql://user@host/database "
                                          "for a record shared by many stations"));
    top->addWidget(m_location, 1);
    auto* reload = new QPushButton(QStringLiteral("&Refresh"), this);
    reload->setObjectName(QStringLiteral("recordRefresh"));
    top->addWidget(reload);
    layout->addLayout(top);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("&Filter:"), this));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("recordFilter"));
    m_filter->setPlaceholderText(
        QStringLiteral("printer, serial, address, recipe, station or verdict"));
    m_filter->setClearButtonEnabled(true);
    static_cast<QLabel*>(filterRow->itemAt(0)->widget())->setBuddy(m_filter);
    filterRow->addWidget(m_filter, 1);
    auto* exportButton = new QPushButton(QStringLiteral("&Export CSV..."), this);
    exportButton->setObjectName(QStringLiteral("recordExport"));
    filterRow->addWidget(exportButton);
    layout->addLayout(filterRow);

    auto* split = new QSplitter(Qt::Vertical, this);
    m_runView = MakeTable(split, "recordRuns");
    m_runView->setSortingEnabled(true);
    m_stepView = MakeTable(split, "recordSteps");
    split->addWidget(m_runView);
    split->addWidget(m_stepView);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("recordState"));
    m_state->setWordWrap(true);
    layout->addWidget(m_state);

    connect(reload, &QPushButton::clicked, this, [this] { OpenRecord(m_location->text()); });
    connect(m_location, &QLineEdit::returnPressed, this,
            [this] { OpenRecord(m_location->text()); });
    connect(m_filter, &QLineEdit::textChanged, this, &CRecordWindow::SetFilter);
    connect(exportButton, &QPushButton::clicked, this, &CRecordWindow::Export);
    resize(960, 560);
}

CRecordWindow::~CRecordWindow() {
    Close();
}

void CRecordWindow::Close() {
    // The models hold queries on the connection: they go before it.
    m_runView->setModel(nullptr);
    m_stepView->setModel(nullptr);
    delete m_runs;
    delete m_steps;
    m_runs = m_steps = nullptr;
    m_record.reset();
}

bool CRecordWindow::OpenRecord(const QString& location) {
    Close();
    CRecordLocation where;
    QString error;
    if (!CRecordLocation::Parse(location.trimmed(), &where, &error)) {
        m_state->setText(error);
        return false;
    }
    if (where.kind == CRecordLocation::Kind::SQLite && !QFileInfo::exists(where.file)) {
        m_state->setText(QStringLiteral("No provisioning record yet at %1: kvuctl provision "
                                        "writes it.")
                             .arg(where.file));
        return false;
    }
    m_record = std::make_unique<CProvisionRecord>();
    if (!m_record->Open(where, &error)) {
        m_state->setText(
            QStringLiteral("The record %1 cannot be opened: %2").arg(where.Display(), error));
        m_record.reset();
        return false;
    }
    m_runs = new QSqlTableModel(this, m_record->Database());
    m_runs->setTable(QStringLiteral("runs"));
    m_runs->setEditStrategy(QSqlTableModel::OnManualSubmit);
    m_runs->setSort(m_runs->fieldIndex(QStringLiteral("started")), Qt::DescendingOrder);
    m_steps = new QSqlTableModel(this, m_record->Database());
    m_steps->setTable(QStringLiteral("steps"));
    m_steps->setEditStrategy(QSqlTableModel::OnManualSubmit);
    m_steps->setSort(m_steps->fieldIndex(QStringLiteral("position")), Qt::AscendingOrder);
    m_steps->setFilter(QStringLiteral("run_id = -1"));
    m_runView->setModel(m_runs);
    m_stepView->setModel(m_steps);
    ShowColumns(m_runs, m_runView, kRunColumns);
    ShowColumns(m_steps, m_stepView, kStepColumns);
    m_runView->horizontalHeader()->setSortIndicator(m_runs->fieldIndex(QStringLiteral("started")),
                                                    Qt::DescendingOrder);
    connect(m_runView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowSteps(); });
    SetFilter(m_filter->text());
    m_runView->resizeColumnsToContents();
    if (m_location->text().isEmpty() && where.Display() != CRecordLocation::DefaultFile())
        m_location->setText(where.Display());
    m_state->setText(QStringLiteral("%1: %2 runs").arg(where.Display()).arg(m_runs->rowCount()));
    return true;
}

void CRecordWindow::SetFilter(const QString& text) {
    if (!m_runs)
        return;
    QString filter;
    const QString needle = text.trimmed();
    if (!needle.isEmpty()) {
        // The text as an SQL literal through the driver, with LIKE's wildcards taken
        // literally, so that no typed text changes the query.
        QString pattern = needle;
        pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        pattern.replace(QLatin1Char('%'), QStringLiteral("\\%"));
        pattern.replace(QLatin1Char('_'), QStringLiteral("\\_"));
        QSqlField field(QStringLiteral("pattern"), QMetaType(QMetaType::QString));
        field.setValue(QLatin1Char('%') + pattern + QLatin1Char('%'));
        const QString literal = m_record->Database().driver()->formatValue(field);
        QStringList parts;
        for (const char* f : kFilterFields)
            parts << QStringLiteral("%1 LIKE %2 ESCAPE '\\'").arg(QLatin1String(f), literal);
        filter = parts.join(QStringLiteral(" OR "));
    }
    m_runs->setFilter(filter);
    m_runs->select();
    while (m_runs->canFetchMore())
        m_runs->fetchMore();
    ShowSteps();
}

void CRecordWindow::ShowSteps() {
    if (!m_runs || !m_steps)
        return;
    const QModelIndex current = m_runView->currentIndex();
    const qint64 run = current.isValid()
                           ? m_runs->record(current.row()).value(QStringLiteral("id")).toLongLong()
                           : -1;
    m_steps->setFilter(QStringLiteral("run_id = %1").arg(run));
    m_steps->select();
    m_stepView->resizeColumnsToContents();
}

bool CRecordWindow::ExportCsv(const QString& path, QString* detail) {
    if (!m_runs || !m_record)
        return false;
    QStringList heads;
    for (const Column& c : kRunColumns)
        heads << QLatin1String(c.field);
    heads << QStringLiteral("steps");
    QString text = heads.join(QLatin1Char(',')) + QLatin1Char('\n');
    std::vector<CProvisionRecord::Run> all;
    QString error;
    if (!m_record->List(QString(), QString(), QString(), &all, &error)) {
        if (detail)
            *detail = error;
        return false;
    }
    for (int row = 0; row < m_runs->rowCount(); ++row) {
        const QSqlRecord r = m_runs->record(row);
        QStringList fields;
        for (const Column& c : kRunColumns)
            fields << RecordCsv::Field(r.value(QLatin1String(c.field)).toString());
        QStringList steps;
        const qint64 id = r.value(QStringLiteral("id")).toLongLong();
        for (const auto& run : all) {
            if (run.id != id)
                continue;
            for (const auto& s : run.steps)
                steps
                    << QStringLiteral("%1:%2:%3").arg(s.step, s.verdict).arg(s.seconds, 0, 'f', 1);
        }
        fields << RecordCsv::Field(steps.join(QLatin1Char(' ')));
        text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return FileAccess::WriteFileSafely(path, text.toUtf8(), detail);
}

void CRecordWindow::Export() {
    if (!m_runs) {
        m_services.Message(QStringLiteral("There is no record to export."));
        return;
    }
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Export Provisioning Record");
    request.suggested = QStringLiteral("provisioning-record.csv");
    request.filter = QStringLiteral("CSV Files (*.csv);;All Files (*)");
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = m_services.AskFileName(request);
    if (path.isEmpty())
        return;
    QString detail;
    if (!ExportCsv(path, &detail))
        m_services.Message(QStringLiteral("Failed to open a file for write.") +
                           (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
}
