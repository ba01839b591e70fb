#pragma once

#include <QWidget>

class CAppCore;
class CKVUDoc;
class CModuleSheet;
class CMod1Page1;
class IUiServices;

// The module view: hosts the four module property sheets and shows one at a time.
class CKVUView : public QWidget {
public:
    CKVUView(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent = nullptr);

    // After every File New and File Open: refill the pages from the document.
    void OnInitialUpdate();
    // Shows the sheet of module 2, 3 or 6; any other number shows Module 1.
    void ShowModule(int module);
    int CurrentSheet() const { return m_nCurrentSheet; }

    CModuleSheet* Sheet(int module) const;
    CMod1Page1* CustomAttributesPage() const { return m_page1; }

    static constexpr int kMacrosTab = 2;

private:
    void CreateSheets();

    CKVUDoc& m_doc;
    CAppCore& m_core;
    IUiServices& m_services;
    int m_nCurrentSheet = 1;
    CModuleSheet* m_sheet1 = nullptr;
    CModuleSheet* m_sheet2 = nullptr;
    CModuleSheet* m_sheet3 = nullptr;
    CModuleSheet* m_sheet6 = nullptr;
    CMod1Page1* m_page1 = nullptr;
    bool m_bSheetsCreated = false;
};
