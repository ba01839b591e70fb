#pragma once

#include <QWidget>

class CAppCore;
class CKVUDoc;
class IUiServices;

// Module 1, tab 1: "Custom Attributes".
class CMod1Page1 : public QWidget {
public:
    CMod1Page1(CKVUDoc& doc, CAppCore& core, IUiServices& services, QWidget* parent = nullptr);
    void UpdateFromDocument() {}
    void ClearLastCommand() {}

private:
    CKVUDoc& m_doc;
    CAppCore& m_core;
    IUiServices& m_services;
};
