// The list of Sc-function tables that RegisterScriptFunctions walks.
#include "script/bind/ScFunctionTables.h"

namespace script::bind {

const ScFunction* const kAllTables[] = {
    kHostFunctions,
    kFlagFunctions,
    kFlowFunctions,
    kSoundFunctions,
    kPictureFunctions,
    kWindowFunctions,
    kWidgetFunctions,
    nullptr,
};

}  // namespace script::bind
