#include "KvuCtl.h"

#include <cstdio>

namespace {
const char* const kUsage =
    "Usage: kvuctl COMMAND [ARGUMENTS] [OPTIONS]\n"
    "\n"
    "The KVU core from a terminal, for provisioning Tarvo3 printers by script.\n"
    "\n"
    "Options:\n"
    "  -h, --help       Show this help and exit.\n"
    "  -v, --version    Show the version and exit.\n"
    "\n"
    "Exit codes:\n"
    "  0  success\n"
    "  2  the command line is wrong\n";
} // namespace

int RunKvuCtl(const QStringList& arguments) {
    const QStringList args = arguments.mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h") || args.first() == QLatin1String("help")) {
        fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version") || args.first() == QLatin1String("-v")) {
        printf("kvuctl 1.20\n");
        return 0;
    }
    fprintf(stderr, "kvuctl: unknown command '%s' (see kvuctl --help)\n",
            qPrintable(args.first()));
    return 2;
}
