#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The per-printer values of a recipe: a CSV file whose first row names the columns, one
// row per printer. Fields may be quoted ("a, b" and "say ""hi""" as in any spreadsheet's
// CSV); blank lines are skipped; a first line starting with a byte-order mark is read as
// UTF-8 without it.
class CPrinterTable {
public:
    // Reads and checks the table: column names present and different, every row as long
    // as the header, and `keyColumn` present with no value twice (two rows for one printer
    // would leave it to chance which one it gets). False with "PATH:LINE: what is wrong".
    bool Read(const QString& path, const QString& keyColumn, QString* error);
    bool Parse(const QByteArray& text, const QString& path, const QString& keyColumn,
               QString* error);

    const QStringList& Columns() const { return m_columns; }
    bool HasColumn(const QString& name) const { return m_columns.contains(name); }
    // The row whose key column holds `key` (compared as written, surrounding blanks
    // aside), or -1.
    int FindRow(const QString& key) const;
    QString Value(int row, const QString& column) const;
    int RowCount() const { return int(m_rows.size()); }

    QByteArray m_source; // the file's bytes, for the recipe's hash

private:
    QString m_keyColumn;
    QStringList m_columns;
    std::vector<QStringList> m_rows;
};
