#include "ModuleSheet.h"

CModuleSheet::CModuleSheet(const QString& caption, QWidget* parent)
    : QTabWidget(parent), m_caption(caption) {
    setDocumentMode(false);
}
