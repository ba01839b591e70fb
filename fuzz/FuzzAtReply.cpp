// Any bytes as a radio module's batch reply, through both pages' parsers and the set
// command verdict: never a crash or a read outside the reply, every query sent either
// answered or named as missing (never both), what is taken always built from the reply's
// own bytes, and the quoting round trip of any text the printer's code page carries.

#include "text/CodePage.h"
#include "wireless/AtReply.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <cstdlib>

namespace {
// Every byte of a taken value comes from the reply (or from a decoded escape).
bool FromReply(const QString& value, const QByteArray& reply) {
    for (const char b : CodePage::ToBytes(value)) {
        if (!reply.contains(b) && !reply.contains('\\'))
            return false;
    }
    return true;
}

// Answered and missing together name each query once.
template <class Form> bool Accounted(const AtReply::Taken& taken) {
    const QStringList queries = Form::Queries();
    if (taken.answered.size() + taken.missing.size() != queries.size())
        return false;
    for (const QString& q : queries) {
        if (taken.answered.contains(q) == taken.missing.contains(Form::Label(q)))
            return false;
    }
    return true;
}

bool OneCommandEach(const QVector<QByteArray>& commands) {
    for (const QByteArray& c : commands) {
        if (c.size() > 255 || c.indexOf('\r') != c.size() - 1)
            return false; // one command, one CR, at its end
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QByteArray reply = AtReply::UpToZero(bytes);

    for (const QByteArray& value : AtReply::Answers(reply, CWlanForm::Queries())) {
        if (!reply.contains(value))
            abort(); // an answer is a piece of the reply
    }
    (void)AtReply::SetVerdict(reply);

    CBluetoothForm bt;
    bt.Clear();
    if (!Accounted<CBluetoothForm>(bt.ParseReply(reply)))
        abort();
    for (const QString* s :
         {&bt.m_strDeviceAddress, &bt.m_strVersion, &bt.m_strLocalName, &bt.m_strFixedPin}) {
        if (!FromReply(*s, reply))
            abort();
    }
    if (bt.m_strDeviceAddress.size() > 12 || bt.m_nDiscoverable > 2 || bt.m_nPowerSaveMode > 2 ||
        bt.m_nSecurityMode > 1)
        abort();
    QVector<QByteArray> commands;
    QString refusal;
    if (bt.BuildWriteCommands(&commands, &refusal) && !OneCommandEach(commands))
        abort();

    CWlanForm wlan;
    wlan.Clear();
    if (!Accounted<CWlanForm>(wlan.ParseReply(reply)))
        abort();
    for (const QString* s :
         {&wlan.m_strSsid, &wlan.m_strChannel, &wlan.m_strDataRate, &wlan.m_strUserName,
          &wlan.m_strIpAddress, &wlan.m_strNetmask, &wlan.m_strGateway, &wlan.m_strHostName,
          &wlan.m_strDnsPrimary, &wlan.m_strDnsSecondary}) {
        if (!FromReply(*s, reply) || s->size() > reply.size())
            abort();
    }
    if (wlan.m_strOperationalMode.size() > 1 || wlan.m_nDhcp > 9 || wlan.m_nDhcp < -1)
        abort();
    if (wlan.BuildWriteCommands(&commands, &refusal) && !OneCommandEach(commands))
        abort();

    // Any text in the code page survives quoting, and a quoted text never holds a bare
    // quote or a line end.
    const QString text = CodePage::FromBytes(bytes);
    if (!AtReply::Carries(text))
        abort();
    const QByteArray quoted = AtReply::Quote(text);
    const QByteArray inner = quoted.mid(1, quoted.size() - 2);
    if (inner.contains('"') || inner.contains('\r') || inner.contains('\n') ||
        AtReply::Unquote(inner) != text)
        abort();
    return 0;
}
