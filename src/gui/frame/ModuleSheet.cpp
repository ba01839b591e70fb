#include "ModuleSheet.h"

#include "ModulePage.h"

CModuleSheet::CModuleSheet(const QString& caption, QWidget* parent)
    : QTabWidget(parent), m_caption(caption) {
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this,
            [this](int index) { OnCurrentChanged(index); });
}

void CModuleSheet::AddPage(IModulePage* page, QWidget* tab, const QString& title) {
    m_pages.append(page);
    addTab(tab, title);
    if (m_activeIndex < 0)
        m_activeIndex = currentIndex();
}

void CModuleSheet::SetLive(bool live) {
    // Choosing the module again tells the page on top again (the Macros page reopens a
    // link that was lost); leaving a module that is not shown does nothing.
    if (!live && !m_live)
        return;
    m_live = live;
    if (IModulePage* page = Page(m_activeIndex)) {
        if (live)
            page->OnModuleChosen();
        else
            page->OnDeactivate();
    }
}

void CModuleSheet::OnCurrentChanged(int index) {
    const int previous = m_activeIndex;
    m_activeIndex = index;
    if (!m_live || previous == index)
        return;
    if (IModulePage* page = Page(previous))
        page->OnDeactivate();
    if (IModulePage* page = Page(index))
        page->OnActivate();
}
