// Any reply of the micro-blogging service, its image host or its shortener: the readers answer an address
// or a message that lies inside the reply, and never crash.

#include "webservices/sharers/twitter/SHKTwitter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    if (auto address = SHKTwitter::uploadedImageAddress(reply); address && address->size() > reply.size())
        std::abort();
    std::string message = SHKTwitter::errorMessage(reply);
    if (message != "Unknown Error" && reply.find(message) == std::string_view::npos)
        std::abort();
    SHKTwitter::isShortAddress(reply);
    return 0;
}
