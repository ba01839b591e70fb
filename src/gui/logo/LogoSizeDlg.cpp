#include "LogoSizeDlg.h"

#include "text/FirstMatch.h"
#include "text/NumberScan.h"

#include "app/UiServices.h"
#include "frame/HelpKey.h"
#include "logo/LogoRaster.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

const char* const CLogoSizeDlg::kCaption = "Pictra";

namespace {
const int kListHeights[] = {80, 120, 160, 200, 240};
constexpr int kMaxHeightChars = 3;
constexpr int kHeightLimit = 300; // the raster's rows; the dialog takes fewer
} // namespace

CLogoSizeDlg::CLogoSizeDlg(IUiServices& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("CLogoSizeDlg"));
    setWindowTitle(QStringLiteral("Configure Logo Size"));
    HelpKey::Install(this, QStringLiteral("logo-size"), m_services);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Width"), this), 0, 0, 1, 3);
    // Each text carries the inch mark; the 3-inch one ends in two blanks.
    const char* texts[] = {"2-inch (1.89\") 4.80cm 384 dots per line",
                           "3-inch (2.83\") 7.20cm 576 dots per line  ",
                           "4-inch (4.09\") 10.40cm 832 dots per line"};
    const int ids[] = {1001, 1003, 1005};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_width[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
        m_width[i]->setObjectName(QStringLiteral("id%1").arg(ids[i]));
        group->addButton(m_width[i], i);
        layout->addWidget(m_width[i], 1 + i, 0, 1, 3);
    }
    layout->addWidget(new QLabel(QStringLiteral("Height (dots)"), this), 4, 0);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("id1029"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    for (int h : kListHeights)
        m_combo->addItem(QString::number(h));
    layout->addWidget(m_combo, 4, 1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    layout->addWidget(ok, 4, 2);
    layout->addWidget(cancel, 5, 2);
    connect(ok, &QPushButton::clicked, this, &CLogoSizeDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CLogoSizeDlg::showEvent(QShowEvent* event) {
    if (!m_initialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CLogoSizeDlg::OnInitDialog() {
    m_initialised = true;
    m_strHeight = QString::number(m_nHeight);
    bool inList = false;
    for (int h : kListHeights)
        inList |= h == m_nHeight;
    if (!inList)
        m_combo->insertItem(0, m_strHeight);
    ShowFields();
    // The focus starts on the checked width, not on the first button: on an unchecked
    // button one Space would change the width.
    if (m_nWidthIndex >= 0 && m_nWidthIndex < 3)
        m_width[m_nWidthIndex]->setFocus(Qt::OtherFocusReason);
}

void CLogoSizeDlg::ShowFields() {
    // The first entry that begins with the text is selected, or else the text is shown.
    QStringList items;
    for (int i = 0; i < m_combo->count(); ++i)
        items << m_combo->itemText(i);
    const int found = FirstItemStartingWith(items, m_strHeight);
    if (found >= 0)
        m_combo->setCurrentIndex(found);
    else
        m_combo->setEditText(m_strHeight);
    for (int i = 0; i < 3; ++i)
        m_width[i]->setChecked(i == m_nWidthIndex);
}

bool CLogoSizeDlg::TakeFields() {
    m_strHeight = m_combo->currentText();
    if (m_strHeight.size() > kMaxHeightChars) {
        m_services.Message(
            QStringLiteral("Please enter no more than %1 characters.").arg(kMaxHeightChars));
        m_combo->setFocus();
        if (m_combo->lineEdit())
            m_combo->lineEdit()->selectAll();
        return false;
    }
    m_nWidthIndex = -1;
    for (int i = 0; i < 3; ++i) {
        if (m_width[i]->isChecked())
            m_nWidthIndex = i;
    }
    return true;
}

namespace {
// A decimal number from the start of the text: leading blanks and a sign are taken, the
// digits end at the first other character ("12a" is 12). False when there are no digits.
bool LeadingNumber(const QString& text, int* value) {
    const NumberScan::Number n = NumberScan::Scan(text);
    *value = int(n.Clamped(-(1 << 30), 1 << 30));
    return n.found;
}
} // namespace

void CLogoSizeDlg::OnOK() {
    if (!TakeFields())
        return;
    int value = 0;
    const QString caption = QLatin1String(kCaption);
    auto refuse = [&](const QString& text) {
        m_services.Message(text, caption, MsgIcon::Exclamation);
        m_combo->setFocus();
    };
    if (!LeadingNumber(m_strHeight, &value))
        return refuse(QStringLiteral("Please enter a valid number in the Height field."));
    if (value <= 0)
        return refuse(
            QStringLiteral("Please enter a number greater than zero in the Height field."));
    if (value >= kHeightLimit)
        return refuse(QStringLiteral("Please enter a number smaller than %1 in the Height field.")
                          .arg(kHeightLimit));
    m_nHeight = value;
    accept();
}

bool CLogoSizeDlg::Run(CLogoRaster& raster, IUiServices& services, QWidget* parent) {
    CLogoSizeDlg dlg(services, parent);
    dlg.m_nHeight = raster.m_nHeight;
    dlg.m_nWidthIndex = raster.GetWidthIndex();
    if (services.RunModal(dlg) != QDialog::Accepted)
        return false;
    raster.m_nHeight = dlg.m_nHeight;
    raster.SetWidthIndex(dlg.m_nWidthIndex);
    return true;
}
