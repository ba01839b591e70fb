#pragma once

#include <QByteArray>
#include <QStringList>
#include <utility>
#include <vector>

// A batch reply laid out as the module sends it: per query its echo, CR LF, "*", the
// answer prefix and value, CR LF "OK" CR LF (or no OK where asked).
inline QByteArray BatchReply(const std::vector<std::pair<QByteArray, QByteArray>>& answers,
                             const QList<int>& withoutOk = {}) {
    QByteArray reply;
    for (int i = 0; i < int(answers.size()); ++i) {
        const auto& [name, value] = answers[size_t(i)];
        reply += "AT*" + name + "?\r\r\n*" + name + ':' + value +
                 (withoutOk.contains(i) ? QByteArray("\r\n") : QByteArray("\r\nOK\r\n"));
    }
    return reply;
}

inline std::vector<std::pair<QByteArray, QByteArray>> BluetoothAnswers() {
    return {{"AILBA", "0012F3004A21"},
            {"AILVI", "cB-OEMSPA33i 3.1.2"},
            {"AGLN", "\"Shop \\22A\\22\""},
            {"AGLC", "1234"},
            {"AGFP", "\"4711\""},
            {"AGDM", "1"},
            {"AMPM", "3"},
            {"AGSM", "2"}};
}

inline std::vector<std::pair<QByteArray, QByteArray>> WlanAnswers() {
    return {{"AILBA", "0012F3A1B2C4"},
            {"AILVI", "cB-OWS451 2.0.4"},
            {"AGSSID", "\"Shop floor\""},
            {"AGCH", "11"},
            {"AGOM", "1"},
            {"AGAM", "2"},
            {"AGEM", "4"},
            {"AGRTE", "11,0"},
            {"AGUN", "\"operator\""},
            {"AGAFP", "3"},
            {"ANIP", "10.0.0.5,255.255.0.0,192.168.100.254"},
            {"ANDHCP", "1"},
            {"ANHN", "\"press-7\""},
            {"ANDNS", "10.0.0.1,192.168.100.200"}};
}
