// Any typed text through the notation and the attribute form: never a crash, at most
// 100 bytes from the notation, and a stream that only holds the form's commands.

#include "module1/AttributeForm.h"
#include "module1/CommandBuffer.h"
#include "module1/Notation.h"
#include "module1/NumberField.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    if (Notation::Parse(bytes).size() > Notation::kMaxScanned)
        abort();
    const QString text = QString::fromLatin1(bytes);
    CAttributeForm form;
    for (int field = 0; field < CAttributeForm::FieldCount; ++field) {
        const auto f = CAttributeForm::Field(field);
        form.Text(f) = text.mid(field * 3, 6);
        const int v = form.Number(f);
        if (v < -1 || v > CAttributeForm::Maximum(f))
            abort();
        QString copy = form.Text(f);
        QString message;
        NumberField::ValidateNumberField(&copy, CAttributeForm::Maximum(f), &message);
    }
    form.m_nFont = size > 0 ? data[0] - 100 : 0;
    form.m_nContrast = size > 1 ? data[1] - 100 : 0;
    CCommandBuffer stream;
    form.BuildAttributeStream(stream);
    // Sixteen pairs, two combos, five numbers, the sleep timer and line print mode.
    if (stream.GetSize() > 6 * 3 + 10 * 3 + 2 * 3 + 4 * 4 + 5 + 10 + 3)
        abort();
    return 0;
}
