#pragma once

#include <QWidget>
#include <memory>

class CProvisionRecord;
class IUiServices;
class QLabel;
class QLineEdit;
class QSqlTableModel;
class QTableView;

// View > Provisioning Record: which printer got what, from the record kvuctl provision
// writes. One table of runs (printer, serial, radio address, recipe, station, time,
// verdict), sortable by any column and filtered by a text, and under it the steps of the
// run selected; Export CSV writes the runs shown with their steps.
class CRecordWindow : public QWidget {
public:
    CRecordWindow(IUiServices& services, QWidget* parent = nullptr);
    ~CRecordWindow() override;

    // Opens the record at a location as kvuctl's --record takes it (a file, sqlite:FILE
    // or postgresql://...); empty for the default file. False, with the reason shown in
    // the window, when it cannot be opened.
    bool OpenRecord(const QString& location);
    // The runs' filter: the runs whose printer, serial, address, recipe, station or
    // verdict holds the text.
    void SetFilter(const QString& text);
    // Writes the runs shown, with their steps, as CSV; false when it cannot be written.
    bool ExportCsv(const QString& path, QString* detail = nullptr);

    QSqlTableModel* Runs() const { return m_runs; }
    QSqlTableModel* Steps() const { return m_steps; }

private:
    void ShowSteps();
    void Export();
    void Close();

    IUiServices& m_services;
    std::unique_ptr<CProvisionRecord> m_record;
    QLineEdit* m_location = nullptr;
    QLineEdit* m_filter = nullptr;
    QLabel* m_state = nullptr;
    QTableView* m_runView = nullptr;
    QTableView* m_stepView = nullptr;
    QSqlTableModel* m_runs = nullptr;
    QSqlTableModel* m_steps = nullptr;
};
