#include "KVUView.h"

#include "module1/Mod1Page1.h"
#include "ModuleSheet.h"
#include "PlaceholderPage.h"

#include <QGridLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const char* const kReserved = "Reserved for future use.";
const char* const kNotYet = "This page is not available in this version of KVU yet.";

// Every page of a sheet is laid out like a dialog: its controls at their natural sizes
// in an arrangement that does not depend on the window's size. The page itself keeps its
// natural size; a larger window adds margins around it (the page stays centred under the
// tabs), and a window too small for the platform's fonts scrolls the page instead of
// squeezing it or forcing the window larger.
QWidget* PageHolder(QWidget* page) {
    page->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* holder = new QWidget;
    auto* grid = new QGridLayout(holder);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(page, 0, 0, Qt::AlignHCenter | Qt::AlignTop);
    auto* area = new QScrollArea;
    area->setWidget(holder);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

void AddPlaceholder(CModuleSheet* sheet, const char* title, const char* text, int dialogId) {
    auto* page = new CPlaceholderPage(QLatin1String(title), QLatin1String(text));
    page->setObjectName(QStringLiteral("id%1").arg(dialogId));
    sheet->addTab(PageHolder(page), QLatin1String(title));
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
    m_sheet1->addTab(PageHolder(m_page1), QStringLiteral("Custom Attributes"));
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
