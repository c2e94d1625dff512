#include "core/TextParsing.h"
namespace fw {
const core::stringc& getEmptyStringC() { static const core::stringc* s = new core::stringc; return *s; }
}
