#include "MacrosPlaceholderPage.h"

#include "app/SerialPort.h"

CMacrosPlaceholderPage::CMacrosPlaceholderPage(CSerialPort& link, const QString& text)
    : CPlaceholderPage(QStringLiteral("Macros"), text), m_link(link) {}

void CMacrosPlaceholderPage::OnActivate() {
    if (!m_link.m_bOpen)
        m_link.Open(1, 0);
}

void CMacrosPlaceholderPage::OnDeactivate() {
    m_link.Close();
}
