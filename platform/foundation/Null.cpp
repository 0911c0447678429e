#include "foundation/Null.h"

namespace ns {

Ref<Null> Null::null()
{
    static const Ref<Null> instance = make<Null>();
    return instance;
}

} // namespace ns
