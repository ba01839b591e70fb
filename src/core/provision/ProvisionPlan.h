#pragma once

#include "PrinterTable.h"
#include "ProvisionStep.h"
#include "Recipe.h"

#include <QList>
#include <functional>
#include <vector>

// Turns a picture file into the raster a flash or test print sends. Picture import needs
// Qt's image codecs, which the core does not link, so the caller supplies it.
using PictureLoader = std::function<bool(const QString& path, const CPictureOptions& options,
                                         CLogoRaster* raster, QString* error)>;

// One printer's part of a run: who it is, its steps made ready, and the hash the record
// keeps so that a later run can tell whether this printer already got exactly this.
struct CPrinterPlan {
    CPrinterIdentity who;
    int row = -1; // its row in the printer table, -1 without one
    std::vector<CPlannedStep> steps;
    QString hash;
};

// A recipe made ready for the printers of one run: every template filled in, every value
// checked with the pages' own checks, every file read, before any port is opened.
class CProvisionPlan {
public:
    // False with the first problem ("recipe.toml:12: bt: name: Please enter no more than
    // 16 characters.").
    bool Build(const CRecipe& recipe, const QList<CPrinterIdentity>& printers,
               const PictureLoader& loader, QString* error);

    // Makes one step ready with a printer's values; also used once the radio module's
    // address is known for a step that names {address}.
    static bool Ready(CPlannedStep& step, const CRecipe& recipe, const PictureLoader& loader,
                      QString* error);
    // Fills {address} (and what else a late template names) into a step's values.
    static void FillAddress(CPlannedStep& step, const QString& address);

    // The keys of the radio steps that are secrets: never stored, never printed.
    static bool IsSecret(const QString& kind, const QString& key);

    const CRecipe& Recipe() const { return m_recipe; }
    const std::vector<CPrinterPlan>& Printers() const { return m_printers; }
    const CPrinterPlan* Find(const QString& port) const;

private:
    bool Fill(const CRecipeStep& step, CPrinterPlan& printer, CPlannedStep* planned,
              QString* error) const;

    CRecipe m_recipe;
    CPrinterTable m_table;
    bool m_hasTable = false;
    std::vector<CPrinterPlan> m_printers;
};
