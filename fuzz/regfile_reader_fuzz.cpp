// Any bytes must parse without crashing, hanging or leaking, and what comes out must respect the
// limits the store relies on.

#include "registry/RegFileReader.h"
#include "registry/RegKeyName.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const reg::RegFileContents contents =
        reg::ParseRegFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    Check(contents.header == reg::RegFileContents::Header::Read ||
          (contents.ops.isEmpty() && contents.errors.size() == 1));
    for (const reg::RegFileOp& op : contents.ops) {
        Check(op.line > 0);
        Check(!op.path.startsWith(u'\\') && !op.path.endsWith(u'\\') && !op.path.contains(u"\\\\"));
        Check(!reg::HasControlCharacter(op.path)); // a key name never becomes lines of an export
        Check(op.name.size() <= reg::kMaxValueNameUnits);
        Check(quint64(op.data.size()) <= reg::kMaxValueBytes);
    }
    for (const reg::RegFileError& error : contents.errors)
        Check(error.line >= 0 && !error.message.isEmpty());
    return 0;
}
