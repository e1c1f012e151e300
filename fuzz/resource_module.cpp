// Resource module files (".qres"): the module read from its bytes, every
// entry found again by type and name, every string, and the dialog, menu,
// accelerator and image templates the window layer reads from them. The
// first byte chooses one template parser for the rest instead.
#include "fuzz/FuzzSupport.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceTemplates.h"

namespace {

void ParseTemplate(int type, std::string_view bytes)
{
    switch (type) {
    case kRtDialog: platform::ParseDialog(bytes); break;
    case kRtMenu: platform::ParseMenu(bytes); break;
    case kRtAccelerator: platform::ParseAccelerators(bytes); break;
    case 1:  // cursor
    case kRtBitmap:
    case kRtIcon:
    case kRtGroupCursor:
    case kRtGroupIcon:
        platform::DetectImageFormat(bytes);
        platform::ParseImage(bytes);
        break;
    default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t choice = fuzz::TakeByte(bytes);
    if (choice < 16) {
        ParseTemplate(choice, bytes);
        return 0;
    }
    CString error;
    const std::shared_ptr<const platform::ResourceModule> module =
        platform::ResourceModule::FromBytes(std::string(bytes), error);
    if (!module) {
        if (error.IsEmpty()) __builtin_trap();  // a refused file always says why
        return 0;
    }
    for (const platform::ResourceModule::Entry& entry : module->Entries()) {
        const std::optional<std::string_view> found = module->Find(entry.type, entry.name);
        if (!found || found->data() != entry.bytes.data()) __builtin_trap();
        module->Names(entry.type);
        if (entry.type.IsNumber()) ParseTemplate(entry.type.Number(), entry.bytes);
    }
    for (UINT id : {0u, 1u, 7u, 100u, 65535u}) module->String(id);
    return 0;
}
