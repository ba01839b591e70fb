#pragma once

#include <QByteArray>
#include <QString>

// Single-byte text as the printer and the project file hold it: Windows code page 1252.
// Characters that the code page cannot hold become "?".
namespace CodePage {
QByteArray ToBytes(const QString& text);
QString FromBytes(const QByteArray& bytes);
QString FromBytes(const char* bytes, int count);
} // namespace CodePage
