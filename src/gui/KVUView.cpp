#include "KVUView.h"

#include "Mod1Page1.h"
#include "ModuleSheet.h"
#include "PlaceholderPage.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const char* const kReserved = "Reserved for future use.";
const char* const kNotYet = "This page is not available in this version of KVU yet.";

// A page keeps its layout; where the module's frame size is too small for the
// platform's fonts it scrolls instead of forcing the window larger.
QWidget* Scrollable(QWidget* page) {
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

void AddPlaceholder(CModuleSheet* sheet, const char* title, const char* text, int dialogId) {
    auto* page = new CPlaceholderPage(QLatin1String(title), QLatin1String(text), sheet);
    page->setObjectName(QStringLiteral("id%1").arg(dialogId));
    sheet->addTab(page, QLatin1String(title));
}
} // namespace

CKVUView::CKVUView(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_core(core), m_services(services) {
    setObjectName(QStringLiteral("CKVUView"));
    CreateSheets();
}

void CKVUView::CreateSheets() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_sheet1 = new CModuleSheet(QStringLiteral("Module 1"), this);
    m_page1 = new CMod1Page1(m_doc, m_core, m_services);
    m_sheet1->addTab(Scrollable(m_page1), QStringLiteral("Custom Attributes"));
    AddPlaceholder(m_sheet1, "Supervisory Commands", kNotYet, 131);
    AddPlaceholder(m_sheet1, "Macros", kNotYet, 132);

    // Module 2 and 6 hold three pages each but show only their first.
    m_sheet2 = new CModuleSheet(QStringLiteral("Module 2"), this);
    AddPlaceholder(m_sheet2, "Basic Settings", kNotYet, 133);

    m_sheet3 = new CModuleSheet(QStringLiteral("Module 3"), this);
    AddPlaceholder(m_sheet3, "Module 3 Dialog 1", kReserved, 136);
    AddPlaceholder(m_sheet3, "Module 3 Dialog 2", kReserved, 137);
    AddPlaceholder(m_sheet3, "Module 3 Dialog 3", kReserved, 138);

    m_sheet6 = new CModuleSheet(QStringLiteral("Module 6"), this);
    AddPlaceholder(m_sheet6, "Basic Settings", kNotYet, 148);

    int n = 1;
    for (CModuleSheet* sheet : {m_sheet1, m_sheet2, m_sheet3, m_sheet6}) {
        sheet->setObjectName(QStringLiteral("sheet%1").arg(n == 4 ? 6 : n));
        layout->addWidget(sheet);
        ++n;
    }
    m_bSheetsCreated = true;
    ShowModule(1);
}

CModuleSheet* CKVUView::Sheet(int module) const {
    switch (module) {
    case 2:
        return m_sheet2;
    case 3:
        return m_sheet3;
    case 6:
        return m_sheet6;
    default:
        return m_sheet1;
    }
}

void CKVUView::ShowModule(int module) {
    m_nCurrentSheet = (module == 2 || module == 3 || module == 6) ? module : 1;
    CModuleSheet* shown = Sheet(m_nCurrentSheet);
    for (CModuleSheet* sheet : {m_sheet1, m_sheet2, m_sheet3, m_sheet6}) {
        sheet->setVisible(sheet == shown);
        sheet->setEnabled(sheet == shown);
    }
}

void CKVUView::OnInitialUpdate() {
    m_page1->ClearLastCommand();
    m_page1->UpdateFromDocument();
    // The Macros page refills itself when it is on top; it arrives with its own module.
}
