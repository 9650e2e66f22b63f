#include "foundation/exceptions/ExceptionDiscarder.h"

namespace TAVO {

ExceptionDiscarder& ExceptionDiscarder::instance() {
    static ExceptionDiscarder discarder;
    return discarder;
}

} // namespace TAVO
