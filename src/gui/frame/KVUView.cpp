#include "KVUView.h"

#include "ModulePage.h"
#include "ModuleSheet.h"
#include "PlaceholderPage.h"
#include "document/KVUDoc.h"

#include <QVBoxLayout>

CKVUView::CKVUView(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_core(core), m_services(services) {
    setObjectName(QStringLiteral("CKVUView"));
    CreateSheets();
}

void CKVUView::CreateSheets() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const ModuleRow& row : ModuleRegistry()) {
        if (!row.sheetCaption)
            continue;
        auto* sheet = new CModuleSheet(QLatin1String(row.sheetCaption), this);
        sheet->setObjectName(QStringLiteral("sheet%1").arg(ModuleNumber(row.id)));
        for (const PageRow& pageRow : row.pages) {
            sheet->AddPage(QLatin1String(pageRow.title), pageRow.dialogId, [this, &pageRow] {
                const PageContext context{m_doc, m_core, m_services};
                IModulePage* page =
                    pageRow.make ? pageRow.make(context)
                                 : new CPlaceholderPage(QLatin1String(pageRow.title),
                                                        QLatin1String(pageRow.placeholderText));
                page->Widget()->setObjectName(QStringLiteral("id%1").arg(pageRow.dialogId));
                // A page made after the project was taken up shows it as the others do;
                // filling its fields does not make the project modified.
                const bool modified = m_doc.IsModified();
                page->OnInitialUpdate();
                m_doc.SetModifiedFlag(modified);
                return page;
            });
        }
        layout->addWidget(sheet);
        m_sheets.insert(row.id, sheet);
    }
    m_bSheetsCreated = true;
    ShowModule(ModuleId::CustomAttributes);
}

CModuleSheet* CKVUView::Sheet(ModuleId module) const {
    return m_sheets.value(module, m_sheets.value(ModuleId::CustomAttributes));
}

QVector<IModulePage*> CKVUView::PagesOf(CModuleSheet* sheet) {
    QVector<IModulePage*> pages;
    for (int i = 0; i < sheet->PageCount(); ++i)
        pages.append(sheet->Page(i));
    return pages;
}

int CKVUView::TabOf(CModuleSheet* sheet, int dialogId) {
    for (int i = 0; i < sheet->PageCount(); ++i) {
        if (sheet->DialogId(i) == dialogId)
            return i;
    }
    return -1;
}

void CKVUView::ShowModule(ModuleId module) {
    m_nCurrentSheet = m_sheets.contains(module) ? module : ModuleId::CustomAttributes;
    CModuleSheet* shown = Sheet(m_nCurrentSheet);
    for (CModuleSheet* sheet : m_sheets) {
        sheet->setVisible(sheet == shown);
        sheet->setEnabled(sheet == shown);
    }
}

// The pages not made yet take the project up when they are made.
void CKVUView::OnInitialUpdate() {
    for (CModuleSheet* sheet : m_sheets) {
        for (int i = 0; i < sheet->PageCount(); ++i) {
            if (IModulePage* page = sheet->MadePage(i))
                page->OnInitialUpdate();
        }
    }
}
