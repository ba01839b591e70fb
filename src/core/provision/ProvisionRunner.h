#pragma once

#include "ProvisionPlan.h"

#include <functional>
#include <vector>

class CSerialPort;
class IUiServices;

// Runs one printer's steps in order over the exchanges the pages use, on the link given
// (its port set, its rate the one to start with). A step that fails stops the printer:
// what follows it is "not run", since a burn or flash on a printer that just failed a
// check is what the check is there to prevent.
class CProvisionRunner {
public:
    CProvisionRunner(CSerialPort& link, IUiServices& services, const CRecipe& recipe,
                     PictureLoader loader)
        : m_link(link), m_services(services), m_recipe(recipe), m_loader(std::move(loader)) {}

    // Told when a step starts (its index and kind) and when it has ended.
    void SetOnStart(std::function<void(const CPlannedStep&)> f) { m_onStart = std::move(f); }
    void SetOnResult(std::function<void(const CStepResult&)> f) { m_onResult = std::move(f); }

    // Every step's result, in order; `who` gains the address and firmware learnt.
    std::vector<CStepResult> Run(std::vector<CPlannedStep> steps, CPrinterIdentity& who);

    // Whether every step of a run was done.
    static bool AllDone(const std::vector<CStepResult>& results);

private:
    CStepResult RunStep(CPlannedStep& step, CPrinterIdentity& who);
    bool ReadAddress(const QString& kind, CPrinterIdentity& who, QString* error);

    CSerialPort& m_link;
    IUiServices& m_services;
    const CRecipe& m_recipe;
    PictureLoader m_loader;
    std::function<void(const CPlannedStep&)> m_onStart;
    std::function<void(const CStepResult&)> m_onResult;
};
