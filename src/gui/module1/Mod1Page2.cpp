#include "Mod1Page2.h"

#include "app/AppCore.h"
#include "module1/SupervisoryQuery.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CMod1Page2::CMod1Page2(CAppCore& core, IUiServices& services, QWidget* parent)
    : QWidget(parent), m_core(core), m_services(services) {
    auto* layout = new QGridLayout(this);
    auto* queries = new QGroupBox(QStringLiteral("Supervisory Commands"), this);
    auto* buttons = new QVBoxLayout(queries);
    const struct {
        int id;
        const char* text;
        const char* tip;
        const QByteArray& bytes;
    } rows[] = {
        {1, "CTRL - V", "Battery Status", CSupervisoryQuery::kBatteryStatus},
        {1012, "CTRL - B", "Buffer Status", CSupervisoryQuery::kBufferStatus},
        {1015, "ESC - P (", "Firmware Version", CSupervisoryQuery::kFirmwareVersion},
        {1018, "ESC - P )", "Hardware Model", CSupervisoryQuery::kHardwareModel},
        {1021, "ESC - C", "Cancel MCR Request", CSupervisoryQuery::kCancelMcr},
    };
    for (const auto& r : rows) {
        auto* button = new QPushButton(QLatin1String(r.text), queries);
        button->setObjectName(QStringLiteral("id%1").arg(r.id));
        button->setToolTip(QLatin1String(r.tip));
        const QByteArray bytes = r.bytes;
        connect(button, &QPushButton::clicked, this, [this, bytes] { OnQuery(bytes); });
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto makeBox = [this](const char* title, int id) {
        auto* box = new QGroupBox(QLatin1String(title), this);
        auto* inner = new QVBoxLayout(box);
        auto* edit = new QPlainTextEdit(box);
        edit->setObjectName(QStringLiteral("id%1").arg(id));
        edit->setReadOnly(true);
        edit->setFixedSize(400, 150);
        inner->addWidget(edit);
        return std::make_pair(box, edit);
    };
    auto [responseBox, response] = makeBox("Printer Response", 1006);
    auto [interpretationBox, interpretation] = makeBox("Interpretation", 1023);
    m_response = response;
    m_interpretation = interpretation;
    layout->addWidget(queries, 0, 0, 2, 1);
    layout->addWidget(responseBox, 0, 1);
    layout->addWidget(interpretationBox, 1, 1);
}

void CMod1Page2::OnQuery(const QByteArray& query) {
    m_response->clear();
    m_interpretation->clear();
    m_response->repaint();
    m_interpretation->repaint();
    const CSupervisoryQuery::Reply reply = CSupervisoryQuery(m_core.m_serial, m_services).Send(query);
    // Control bytes of the reply are shown as the box draws them; CR LF breaks the line.
    QString response = reply.response;
    response.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_response->setPlainText(response);
    QString interpretation = reply.interpretation;
    interpretation.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (interpretation.endsWith(QLatin1Char('\n')))
        interpretation.chop(1);
    m_interpretation->setPlainText(interpretation);
}

QString CMod1Page2::ResponseText() const {
    return m_response->toPlainText();
}

QString CMod1Page2::InterpretationText() const {
    return m_interpretation->toPlainText();
}
