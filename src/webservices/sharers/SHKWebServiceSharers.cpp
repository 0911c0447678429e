#include "webservices/sharers/SHKWebServiceSharers.h"

#include "webservices/sharers/diigo/SHKDiigo.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2.h"
#include "webservices/sharers/googlereader/SHKGoogleReader.h"
#include "webservices/sharers/instapaper/SHKInstapaper.h"
#include "webservices/sharers/pinboard/SHKPinboard.h"
#include "webservices/sharers/readability/SHKReadability.h"
#include "webservices/sharers/readitlater/SHKReadItLater.h"
#include "webservices/sharers/twitter/SHKTwitter.h"

void registerWebServiceSharers()
{
    SHKDiigo::registerClass();
    SHKFoursquareV2::registerClass();
    SHKGoogleReader::registerClass();
    SHKInstapaper::registerClass();
    SHKPinboard::registerClass();
    SHKReadability::registerClass();
    SHKReadItLater::registerClass();
    SHKTwitter::registerClass();
}
