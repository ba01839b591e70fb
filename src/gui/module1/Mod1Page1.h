#pragma once

#include "frame/ModulePage.h"
#include "module1/AttributeForm.h"

#include <QMap>
#include <QWidget>
#include <functional>

class CAppCore;
class CKVUDoc;
class IUiServices;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Module 1, tab 1: "Custom Attributes". A sandbox for trying printer commands, and the
// form of the printer's power-up attributes with Configure, Burn and Export. The page
// gathers its controls into a CAttributeForm and leaves the bytes to the core.
class CMod1Page1 : public QWidget, public IModulePage {
public:
    CMod1Page1(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    // A new or opened project: the Last Command box is emptied, the page refilled.
    void OnInitialUpdate() override;

    // Copies between the page and the project document.
    void UpdateDocument();
    void UpdateFromDocument() override;
    void ClearLastCommand();

    // Dialog data exchange: the controls into the state, the state into the controls.
    void TakeFields();
    void ShowFields();

    const CAttributeForm& Form() const { return m_form; }
    QString LastCommand() const { return m_strLastCommand; }

    void OnTry();
    void OnAppend();
    void OnEsc();
    void OnClear();
    void OnConfigure();
    void OnBurn();
    void OnExport();
    void OnSendBytes(const QByteArray& bytes);
    // The clean-up when the user leaves a numeric field.
    void ValidateField(CAttributeForm::Field field);

    // The 89-byte line-drawing test pattern of the "«" button.
    static QByteArray LineDrawingPattern();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildSandbox();
    QWidget* BuildProgrammableItems();
    QWidget* BuildActionButtons();
    QPushButton* MakeButton(int id, const QString& text, std::function<void()> handler);
    void OnCheck(int id);
    void OnComboChanged(bool font);
    void OnNumberChanged(CAttributeForm::Field field);
    QString AskExportFile();

    CKVUDoc& m_doc;
    CAppCore& m_core;
    IUiServices& m_services;
    CAttributeForm m_form;
    QString m_strLastCommand;
    bool m_ready = false;      // the readiness marker exists: text changes count
    bool m_validating = false; // a validation message is up

    QLineEdit* m_testMessage = nullptr;
    QLineEdit* m_lastCommand = nullptr;
    QComboBox* m_font = nullptr;
    QComboBox* m_contrast = nullptr;
    QMap<int, QCheckBox*> m_checks;
    QLineEdit* m_numbers[CAttributeForm::FieldCount] = {};
};
