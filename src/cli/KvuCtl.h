#pragma once

#include <QStringList>

#include "KvuCtlContext.h"

int RunKvuCtl(const QStringList& arguments, KvuCtlContext context = KvuCtlContext());

// One command-line argument as kvuctl reads it: text that is valid UTF-8 is taken as such
// (and later mapped to the printer's single-byte code page); any other bytes stand for
// themselves, so that $'\xC9' sends the byte 0xC9 rather than a '?'.
QString KvuCtlArgument(const QByteArray& raw);
