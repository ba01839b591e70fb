#pragma once

#include "ModuleRegistry.h"

#include <QMap>
#include <QWidget>

class CAppCore;
class CKVUDoc;
class CModuleSheet;
class IModulePage;
class IUiServices;

// The module view: hosts the module property sheets (one per registry row that has a
// sheet) and shows one at a time. Each page is made when first needed (see CModuleSheet).
class CKVUView : public QWidget {
public:
    CKVUView(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent = nullptr);

    // After every File New and File Open: every page refills itself from the document.
    void OnInitialUpdate();
    // Shows the sheet of a module; a module without a sheet shows the first one.
    void ShowModule(ModuleId module);
    ModuleId CurrentSheet() const { return m_nCurrentSheet; }

    // The sheet of a module (the first sheet for a module without one).
    CModuleSheet* Sheet(ModuleId module) const;
    // The first page of type T on any sheet (the pages not made yet are made).
    template <class T> T* FindPage() const {
        for (CModuleSheet* sheet : m_sheets) {
            for (IModulePage* page : PagesOf(sheet)) {
                if (T* found = dynamic_cast<T*>(page))
                    return found;
            }
        }
        return nullptr;
    }
    // The tab index of the page with this dialog ID on its sheet, or -1.
    static int TabOf(CModuleSheet* sheet, int dialogId);

private:
    void CreateSheets();
    static QVector<IModulePage*> PagesOf(CModuleSheet* sheet);

    CKVUDoc& m_doc;
    CAppCore& m_core;
    IUiServices& m_services;
    ModuleId m_nCurrentSheet = ModuleId::CustomAttributes;
    QMap<ModuleId, CModuleSheet*> m_sheets;
    bool m_bSheetsCreated = false;
};
