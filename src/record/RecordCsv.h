#pragma once

#include <QString>

// The record exported as CSV (kvuctl record list --csv, the record window's Export CSV).
namespace RecordCsv {
// One field: quoted when it holds a comma, a quote or a line break; a leading =, +, - or
// @ is quoted with an apostrophe so that a spreadsheet does not run it as a formula.
QString Field(QString text);
} // namespace RecordCsv
