#include "Mod1Page1.h"

CMod1Page1::CMod1Page1(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_core(core), m_services(services) {}
