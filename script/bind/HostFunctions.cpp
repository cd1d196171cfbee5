// Sc functions of the Lua host itself (none yet: the table anchors the registry).
#include "script/bind/ScFunctionTables.h"

namespace script::bind {

const ScFunction kHostFunctions[] = {
    {nullptr, nullptr},
};

}  // namespace script::bind
