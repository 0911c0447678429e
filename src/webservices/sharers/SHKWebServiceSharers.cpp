#include "webservices/sharers/SHKWebServiceSharers.h"

#include "webservices/sharers/pinboard/SHKPinboard.h"

void registerWebServiceSharers()
{
    SHKPinboard::registerClass();
}
