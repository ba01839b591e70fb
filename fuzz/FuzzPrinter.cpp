// Any byte stream sent to the simulated printer: never a crash, bounded paper, and the
// printer still answers a query after a line end and ESC "EN".

#include "PrinterModel.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPrinterModel printer{SimConfig{}};
    qint64 now = 0;
    size_t pos = 0;
    while (pos < size) {
        const size_t chunk = 1 + data[pos] % 64;
        const QByteArray bytes(reinterpret_cast<const char*>(data + pos),
                               int(qMin(chunk, size - pos)));
        printer.Receive(bytes, now);
        now += data[pos] * 7;
        printer.Tick(now);
        printer.TakeDue(now);
        pos += chunk;
    }
    if (printer.Paper().Lines().size() > size_t(CPaper::kMaxLines))
        abort();
    // After a quiet spell (the pass-through ends on its own, a cut command is dropped),
    // the printer answers again.
    now += 1000000;
    printer.Tick(now);
    printer.TakeDue(now);
    printer.Receive(QByteArray("###\r\n\x1B"
                               "EN"),
                    now);
    printer.Receive(QByteArray("\x1BP)"), now + 20000);
    if (!printer.TakeDue(now + 30000).contains("TARVO3-"))
        abort();
    return 0;
}
