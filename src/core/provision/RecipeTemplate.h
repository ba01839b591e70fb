#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The templates of a recipe's text values: "{name}" stands for a value of the printer
// ("{n}", "{serial}", "{port}", "{address}") or a column of its CSV row ("{ip}"); "{{" and
// "}}" stand for the braces themselves.
namespace RecipeTemplate {

// The names a text uses, in order; false with the reason when a brace is not closed or
// a name is empty.
bool Names(const QString& text, QStringList* names, QString* error);

// The text with every name replaced by what `lookup` gives. A name it does not know
// (returns false) is left standing as "{name}"; with `partial` the result is a template
// again (its braces stay doubled) to be expanded later, once the rest is known.
QString Expand(const QString& text, const std::function<bool(const QString&, QString*)>& lookup,
               bool partial = false);

// The names that belong to the printer rather than to its CSV row.
const QStringList& PrinterNames();

} // namespace RecipeTemplate
