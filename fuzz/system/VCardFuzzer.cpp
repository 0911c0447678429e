// Any bytes read as the device's address book: people with a name or an organisation each, distinct record
// identifiers, and a book that says it was read whole only when it gives no reason why not.
#include "foundation/Log.h"
#include "system/AddressBook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static ns::LogCapture quiet;
    quiet.clear();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto book = ab::AddressBook::fromVCard(text);
    if (!book)
        std::abort();
    if (book->isReadWhole() != book->notReadWholeReason().empty())
        std::abort();
    std::set<ab::RecordID> ids;
    for (const auto& person : book->allPeople()) {
        if (!person->firstName() && !person->lastName() && !person->organization())
            std::abort();
        if (!ids.insert(person->recordID()).second || person->recordID() <= 0)
            std::abort();
        for (const auto& phone : person->phoneNumbers())
            if (phone.value.empty())
                std::abort();
        (void)person->description();
    }
    // Nothing read from no text.
    if (size == 0 && (book->count() != 0 || book->isReadWhole()))
        std::abort();
    return 0;
}
