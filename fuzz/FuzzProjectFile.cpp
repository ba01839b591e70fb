// Any bytes as a project file: never a crash, whatever loads writes back and reads back to
// the same document, and the loaded document goes through the Custom Attributes form (the
// page's state, its Last Command texts and the attribute stream) without a fault.

#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "module1/AttributeForm.h"
#include "module1/CommandBuffer.h"

#include <cstdlib>

namespace {
// Longest stream the form can build (as in FuzzNotation): sixteen flags, two numbered
// combos, five numbers, the sleep timer and line print mode. A longer stream means a field
// was turned into more than its one command.
constexpr int kMaxStream = 6 * 3 + 10 * 3 + 2 * 3 + 4 * 4 + 5 + 10 + 3;

void ThroughTheForm(const CKVUDoc& doc) {
    CAttributeForm form;
    form.FromDocument(doc);
    CCommandBuffer stream;
    form.BuildAttributeStream(stream);
    if (stream.GetSize() > kMaxStream)
        abort();
    // The Last Command texts the page shows for what was loaded.
    (void)form.FontCommand();
    (void)form.ContrastCommand();
    for (int field = 0; field < CAttributeForm::FieldCount; ++field)
        (void)form.NumberCommand(CAttributeForm::Field(field));
    (void)form.BuildSleepTimerText();
    // The form written back to a document must load into the form again unchanged.
    CKVUDoc again;
    form.ToDocument(again);
    CAttributeForm second;
    second.FromDocument(again);
    CCommandBuffer secondStream;
    second.BuildAttributeStream(secondStream);
    if (secondStream.Bytes() != stream.Bytes())
        abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    CKVUDoc doc;
    if (CProjectFile::Deserialize(bytes, doc) != CProjectFile::Result::Ok)
        return 0;
    const QByteArray saved = CProjectFile::Serialize(doc);
    CKVUDoc back;
    if (CProjectFile::Deserialize(saved, back) != CProjectFile::Result::Ok ||
        CProjectFile::Serialize(back) != saved)
        abort();
    ThroughTheForm(doc);
    return 0;
}
