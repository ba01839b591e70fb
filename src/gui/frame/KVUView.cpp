#include "KVUView.h"

#include "ModuleSheet.h"
#include "PlaceholderPage.h"

#include <QGridLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
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

} // namespace

CKVUView::CKVUView(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_core(core), m_services(services) {
    setObjectName(QStringLiteral("CKVUView"));
    CreateSheets();
}

void CKVUView::CreateSheets() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const PageContext context{m_doc, m_core, m_services};
    for (const ModuleRow& row : ModuleRegistry()) {
        if (!row.sheetCaption)
            continue;
        auto* sheet = new CModuleSheet(QLatin1String(row.sheetCaption), this);
        sheet->setObjectName(QStringLiteral("sheet%1").arg(ModuleNumber(row.id)));
        for (const PageRow& pageRow : row.pages) {
            IModulePage* page = pageRow.make
                                    ? pageRow.make(context)
                                    : new CPlaceholderPage(QLatin1String(pageRow.title),
                                                           QLatin1String(pageRow.placeholderText));
            page->Widget()->setObjectName(QStringLiteral("id%1").arg(pageRow.dialogId));
            sheet->AddPage(page, PageHolder(page->Widget()), QLatin1String(pageRow.title));
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
    const QString name = QStringLiteral("id%1").arg(dialogId);
    for (int i = 0; i < sheet->PageCount(); ++i) {
        if (sheet->Page(i)->Widget()->objectName() == name)
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

void CKVUView::OnInitialUpdate() {
    for (CModuleSheet* sheet : m_sheets) {
        for (IModulePage* page : PagesOf(sheet))
            page->OnInitialUpdate();
    }
}
