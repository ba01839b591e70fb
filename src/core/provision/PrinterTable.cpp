#include "PrinterTable.h"

#include "Recipe.h"
#include "files/FileAccess.h"

namespace {
// Splits CSV text into records of fields; false when a quoted field never ends. `lines`
// gets the line each record starts on.
bool SplitCsv(const QString& text, std::vector<QStringList>* records, std::vector<int>* lines,
              int* badLine) {
    QStringList fields;
    QString field;
    bool quoted = false, fieldStarted = false, recordHasText = false;
    int line = 1, recordLine = 1;
    const auto endField = [&] {
        fields << field;
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        if (recordHasText) {
            records->push_back(fields);
            lines->push_back(recordLine);
        }
        fields.clear();
        recordHasText = false;
        recordLine = line;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = fieldStarted = recordHasText = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            recordHasText = true;
        } else if (c == QLatin1Char('\r')) {
            // CR LF ends a line like LF alone.
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
            if (!c.isSpace())
                recordHasText = true;
        }
    }
    if (quoted) {
        *badLine = recordLine;
        return false;
    }
    endRecord();
    return true;
}
} // namespace

bool CPrinterTable::Read(const QString& path, const QString& keyColumn, QString* error) {
    QByteArray bytes;
    QString detail;
    if (FileAccess::ReadRegularFile(path, CRecipe::kFileLimit, &bytes, &detail) !=
        FileAccess::ReadResult::Ok) {
        *error = QStringLiteral("%1: cannot be read%2")
                     .arg(path, detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail));
        return false;
    }
    return Parse(bytes, path, keyColumn, error);
}

bool CPrinterTable::Parse(const QByteArray& bytes, const QString& path, const QString& keyColumn,
                          QString* error) {
    m_source = bytes;
    m_keyColumn = keyColumn;
    m_columns.clear();
    m_rows.clear();
    const auto fail = [&](int line, const QString& what) {
        *error = QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(what);
        return false;
    };
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    std::vector<QStringList> records;
    std::vector<int> lines;
    int badLine = 0;
    if (!SplitCsv(text, &records, &lines, &badLine))
        return fail(badLine, QStringLiteral("a quoted field is not closed"));
    if (records.empty())
        return fail(1, QStringLiteral("the file is empty: the first row must name the columns"));
    for (QString name : records.front()) {
        name = name.trimmed();
        if (name.isEmpty())
            return fail(lines.front(),
                        QStringLiteral("column %1 has no name").arg(m_columns.size() + 1));
        if (m_columns.contains(name))
            return fail(lines.front(), QStringLiteral("column '%1' is named twice").arg(name));
        m_columns << name;
    }
    if (!m_columns.contains(keyColumn))
        return fail(lines.front(), QStringLiteral("no column '%1', which the recipe's key "
                                                  "names (the columns are %2)")
                                       .arg(keyColumn, m_columns.join(QStringLiteral(", "))));
    const int keyIndex = int(m_columns.indexOf(keyColumn));
    for (size_t r = 1; r < records.size(); ++r) {
        QStringList row = records[r];
        if (row.size() != m_columns.size())
            return fail(lines[r], QStringLiteral("%1 fields where the first row names %2 columns")
                                      .arg(row.size())
                                      .arg(m_columns.size()));
        const QString key = row[keyIndex].trimmed();
        if (key.isEmpty())
            return fail(lines[r], QStringLiteral("no %1 in this row").arg(keyColumn));
        for (size_t earlier = 0; earlier < m_rows.size(); ++earlier) {
            if (m_rows[earlier][keyIndex].trimmed() == key)
                return fail(lines[r], QStringLiteral("printer %1 '%2' has a row already (line %3)")
                                          .arg(keyColumn, key)
                                          .arg(lines[earlier + 1]));
        }
        m_rows.push_back(row);
    }
    return true;
}

int CPrinterTable::FindRow(const QString& key) const {
    const int keyIndex = int(m_columns.indexOf(m_keyColumn));
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (m_rows[r][keyIndex].trimmed() == key.trimmed())
            return int(r);
    }
    return -1;
}

QString CPrinterTable::Value(int row, const QString& column) const {
    const int c = int(m_columns.indexOf(column));
    if (row < 0 || row >= int(m_rows.size()) || c < 0)
        return QString();
    return m_rows[size_t(row)][c];
}
