#include "Mod2Page1.h"

namespace {
using F = CBluetoothForm;

// A radio group's button texts, as its setting's row names them.
QStringList Buttons(int id) {
    return RadioSettings::Choices(F::Settings(), id);
}
} // namespace

CMod2Page1::CMod2Page1(CAppCore& core, IUiServices& services, QWidget* parent)
    : TRadioPage(core, services, parent) {
    setObjectName(QStringLiteral("id133"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(BuildConnection(F::IdPassThruTimeout, F::IdSilenceBefore, F::IdEscapeChar,
                                      F::IdSilenceAfter));
    layout->addWidget(BuildGeneral());
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildInformational("BT MAC Address (AT*AILBA)",
                                         "Bluetooth Device Address:", "Bluetooth Device Version:"),
                      3);
    bottom->addWidget(BuildOutput(F::IdOutput), 2);
    layout->addLayout(bottom, 1);
    layout->addLayout(BuildButtons(F::IdDefault, F::IdClear, F::IdRead, F::IdWrite));

    // Dialog initialisation: the Default values (nothing taken from the controls first),
    // the UART combos on U0 and U1.
    Compact();
    m_form.InitDialog();
    ShowFields();
}

QGroupBox* CMod2Page1::BuildGeneral() {
    auto* box = new QGroupBox(QStringLiteral("General Settings"), this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    const struct {
        const char* label;
        int id;
    } edits[] = {{"Local Name (AT*AGLN)", F::IdLocalName},
                 {"Class of Device (AT*AGLC)", F::IdClassOfDevice},
                 {"Fixed PIN (AT*AGFP)", F::IdFixedPin}};
    int row = 0;
    for (const auto& e : edits) {
        grid->addWidget(new QLabel(QLatin1String(e.label), box), row, 0);
        grid->addWidget(Edit(e.id, box), row, 1, 1, 2);
        ++row;
    }
    QGroupBox* discoverable =
        RadioGroup(QStringLiteral("Discoverable (AT*AGDM)"),
                   {F::IdNotDiscoverable, F::IdLimitedDiscoverable, F::IdGeneralDiscoverable},
                   Buttons(F::IdNotDiscoverable), box);
    // The module's limited mode cannot be chosen here; a Read may still check it.
    discoverable->findChild<QRadioButton*>(Id(F::IdLimitedDiscoverable))->setEnabled(false);
    grid->addWidget(discoverable, row, 0, Qt::AlignTop);
    grid->addWidget(RadioGroup(QStringLiteral("Power Save Mode (AT*AMPM)"),
                               {F::IdOnlineMode, F::IdSleepMode, F::IdStopMode},
                               Buttons(F::IdOnlineMode), box),
                    row, 1, Qt::AlignTop);
    grid->addWidget(RadioGroup(QStringLiteral("Security Mode (AT*AGSM)"),
                               {F::IdSecurityNone, F::IdSecurityLinkLevel},
                               Buttons(F::IdSecurityNone), box),
                    row, 2, Qt::AlignTop);
    return box;
}
