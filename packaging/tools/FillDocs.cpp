// kvuctl-docs TEMPLATE OUTPUT: fills a template's @NAME@ placeholders with what kvuctl's
// command table says (the completion tables, the manual's command list, the version).
// Run by the build; not installed.

#include "CliDocs.h"
#include "files/FileAccess.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        fprintf(stderr, "usage: kvuctl-docs TEMPLATE OUTPUT\n");
        return 2;
    }
    QByteArray bytes;
    QString detail;
    if (FileAccess::ReadRegularFile(args[1], 1 << 20, &bytes, &detail) !=
        FileAccess::ReadResult::Ok) {
        fprintf(stderr, "kvuctl-docs: %s: %s\n", qPrintable(args[1]), qPrintable(detail));
        return 1;
    }
    QString filled, error;
    if (!CliDocs::FillTemplate(QString::fromUtf8(bytes), &filled, &error)) {
        fprintf(stderr, "kvuctl-docs: %s: %s\n", qPrintable(args[1]), qPrintable(error));
        return 1;
    }
    if (!FileAccess::WriteFileSafely(args[2], filled.toUtf8(), &detail)) {
        fprintf(stderr, "kvuctl-docs: %s: %s\n", qPrintable(args[2]), qPrintable(detail));
        return 1;
    }
    return 0;
}
