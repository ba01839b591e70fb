// Any bytes as a project file: never a crash, and whatever loads writes back and reads
// back to the same document.

#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <cstdlib>

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
    return 0;
}
