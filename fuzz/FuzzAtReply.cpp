// Any bytes as a radio module's batch reply, through both pages' parsers: never a crash
// or a read outside the reply, the ok flag never set by a parser, what is taken always
// built from the reply's own characters, and the quoting round trip of any text.

#include "wireless/AtReply.h"
#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <cstdlib>

namespace {
// Every character of a taken value comes from the reply (or from a decoded escape).
bool FromReply(const QString& value, const QByteArray& reply) {
    for (QChar c : value) {
        if (c.unicode() > 0xFF || (!reply.contains(char(c.unicode())) && !reply.contains('\\')))
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QByteArray reply = AtReply::UpToZero(bytes);

    CBluetoothForm bt;
    bt.Clear();
    bool ok = false;
    bt.ParseReply(reply, &ok);
    if (ok)
        abort(); // a parser may only clear the flag
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
    if (bt.BuildWriteCommands(&commands, &refusal)) {
        for (const QByteArray& c : commands) {
            if (c.size() > 255 || c.indexOf('\r') != c.size() - 1)
                abort(); // one command, one CR, at its end
        }
    }

    CWlanForm wlan;
    wlan.Clear();
    ok = false;
    wlan.ParseReply(reply, &ok);
    if (ok)
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
    if (wlan.BuildWriteCommands(&commands, &refusal)) {
        for (const QByteArray& c : commands) {
            if (c.size() > 255 || c.indexOf('\r') != c.size() - 1)
                abort();
        }
    }

    // Any Latin-1 text survives quoting, and a quoted text never holds a bare quote.
    const QString text = QString::fromLatin1(bytes);
    const QByteArray quoted = AtReply::Quote(text);
    const QByteArray inner = quoted.mid(1, quoted.size() - 2);
    if (inner.contains('"') || inner.contains('\r') || AtReply::Unquote(inner) != text)
        abort();
    return 0;
}
