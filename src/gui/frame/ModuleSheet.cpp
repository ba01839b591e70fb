#include "ModuleSheet.h"

#include "ModulePage.h"

#include <QGridLayout>
#include <QScrollArea>

namespace {
// Every page of a sheet is laid out like a dialog: its controls at their natural sizes
// in an arrangement that does not depend on the window's size. The page itself keeps its
// natural size; a larger window adds margins around it (the page stays centred under the
// tabs), and a window too small for the platform's fonts scrolls the page instead of
// squeezing it or forcing the window larger. The tab holds this area from the start; the
// page goes into it when it is made.
QScrollArea* PageHolder() {
    auto* holder = new QWidget;
    auto* grid = new QGridLayout(holder);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* area = new QScrollArea;
    area->setWidget(holder);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

void HoldPage(QScrollArea* area, QWidget* page) {
    page->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* grid = static_cast<QGridLayout*>(area->widget()->layout());
    grid->addWidget(page, 0, 0, Qt::AlignHCenter | Qt::AlignTop);
}
} // namespace

CModuleSheet::CModuleSheet(const QString& caption, QWidget* parent)
    : QTabWidget(parent), m_caption(caption) {
    setDocumentMode(false);
    connect(this, &QTabWidget::currentChanged, this,
            [this](int index) { OnCurrentChanged(index); });
}

void CModuleSheet::AddPage(const QString& title, int dialogId, std::function<IModulePage*()> make) {
    QScrollArea* holder = PageHolder();
    m_pages.append(Tab{dialogId, std::move(make), holder});
    addTab(holder, title);
    if (m_activeIndex < 0)
        m_activeIndex = currentIndex();
}

IModulePage* CModuleSheet::MadePage(int index) const {
    return index >= 0 && index < m_pages.size() ? m_pages[index].page : nullptr;
}

int CModuleSheet::DialogId(int index) const {
    return index >= 0 && index < m_pages.size() ? m_pages[index].dialogId : -1;
}

IModulePage* CModuleSheet::Page(int index) {
    if (index < 0 || index >= m_pages.size())
        return nullptr;
    if (!m_pages[index].page) {
        // Making a page may ask for it again (it fills its fields, the command states
        // are updated): it is not there until it is made.
        if (m_pages[index].making)
            return nullptr;
        m_pages[index].making = true;
        IModulePage* page = m_pages[index].make();
        Tab& tab = m_pages[index];
        tab.making = false;
        tab.page = page;
        HoldPage(tab.holder, page->Widget());
    }
    return m_pages[index].page;
}

void CModuleSheet::showEvent(QShowEvent* event) {
    // The page on top is made before the sheet is first painted.
    Page(currentIndex());
    QTabWidget::showEvent(event);
}

void CModuleSheet::SetLive(bool live) {
    // Choosing the module again tells the page on top again (the Macros page reopens a
    // link that was lost); leaving a module that is not shown does nothing.
    if (!live && !m_live)
        return;
    m_live = live;
    if (IModulePage* page = live ? Page(m_activeIndex) : MadePage(m_activeIndex)) {
        if (live)
            page->OnModuleChosen();
        else
            page->OnDeactivate();
    }
}

void CModuleSheet::OnCurrentChanged(int index) {
    const int previous = m_activeIndex;
    m_activeIndex = index;
    if (isVisible())
        Page(index);
    if (!m_live || previous == index)
        return;
    if (IModulePage* page = MadePage(previous))
        page->OnDeactivate();
    if (IModulePage* page = Page(index))
        page->OnActivate();
}
