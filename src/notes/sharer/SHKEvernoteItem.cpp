#include "notes/sharer/SHKEvernoteItem.h"

ns::Ref<SHKEvernoteItem> SHKEvernoteItem::create()
{
    return ns::Factory<SHKEvernoteItem>::make();
}
