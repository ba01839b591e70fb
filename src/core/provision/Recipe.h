#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// One key of a recipe step as the file gives it: numbers and true/false are kept as the
// text kvuctl's option of the same name would take, strings as written (templates and all).
struct CRecipeValue {
    QString key;
    QString text;
    bool isString = false;
    int line = 0;
};

// One [[step]] of a recipe: what to do ("detect", "burn", ...) and its keys in file order.
struct CRecipeStep {
    QString kind;
    std::vector<CRecipeValue> values;
    int line = 0;

    const CRecipeValue* Find(const QString& key) const;
    bool Has(const QString& key) const { return Find(key) != nullptr; }
    QString Text(const QString& key) const;
};

// A provisioning recipe: a TOML file naming the steps to run on every printer, in order,
// and optionally a CSV file of per-printer values. Reading it checks its shape (known keys
// and steps, the right kinds of values); what the values mean is checked per printer, once
// the templates are filled in (see CProvisionPlan).
class CRecipe {
public:
    // The steps a recipe may hold.
    static const QStringList& StepKinds();
    // The keys a step of that kind takes (kvuctl's option names of the same command).
    static QStringList KeysOf(const QString& kind);
    // How a printer finds its CSV row.
    static const QStringList& PrinterKeys(); // "port", "serial", "n"
    // Recipes and printer tables are small; anything larger is not one.
    static constexpr qint64 kFileLimit = 4 * 1024 * 1024;

    // Reads and checks the file; false with "PATH:LINE: what is wrong" otherwise.
    bool Read(const QString& path, QString* error);
    // The same for text already read; `path` names it in messages and anchors relative
    // file names.
    bool Parse(const QByteArray& text, const QString& path, QString* error);

    // A file the recipe names, relative to the recipe's folder unless absolute.
    QString Resolve(const QString& file) const;

    QString m_path;
    QString m_name;
    QString m_printers;                  // the CSV file as written, empty when none
    QString m_key = QStringLiteral("n"); // how a printer finds its CSV row
    std::vector<CRecipeStep> m_steps;
    QByteArray m_source; // the file's bytes, for the hash
};
