#pragma once

#include "frame/ModulePage.h"

#include <QWidget>

class CAppCore;
class IUiServices;
class QPlainTextEdit;

// Module 1, tab 2: "Supervisory Commands". Five query buttons; the raw reply in "Printer
// Response" and the battery and buffer lines read out in "Interpretation". Nothing of it
// is kept in the project.
class CMod1Page2 : public QWidget, public IModulePage {
public:
    CMod1Page2(CAppCore& core, IUiServices& services, QWidget* parent = nullptr);
    QWidget* Widget() override { return this; }

    void OnQuery(const QByteArray& query);
    QString ResponseText() const;
    QString InterpretationText() const;

private:
    CAppCore& m_core;
    IUiServices& m_services;
    QPlainTextEdit* m_response = nullptr;
    QPlainTextEdit* m_interpretation = nullptr;
};
