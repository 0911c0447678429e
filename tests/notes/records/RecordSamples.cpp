#include "RecordSamples.h"

#include <numeric>

namespace notes_test {

namespace {

ns::Ref<ns::String> str(const char* text)
{
    return ns::String::make(text);
}

ns::Ref<ns::Data> bytes(std::vector<uint8_t> content)
{
    return ns::Data::make(std::move(content));
}

ns::Ref<ns::Data> counting(uint8_t first, std::size_t count)
{
    std::vector<uint8_t> content(count);
    std::iota(content.begin(), content.end(), first);
    return bytes(std::move(content));
}

} // namespace

ns::Ref<EDAMNote> goldenNote()
{
    auto firstAttributes = ns::make<EDAMResourceAttributes>();
    firstAttributes->setSourceURL(str("http://example.com/a.jpg"));
    firstAttributes->setLatitude(52.5);
    firstAttributes->setAttachment(false);
    auto first = ns::make<EDAMResource>();
    first->setData(EDAMData::initWithBodyHash(counting(1, 16), 5, ns::Data::withString("hello")));
    first->setMime(str("image/jpeg"));
    first->setWidth(640);
    first->setHeight(480);
    first->setDuration(-1);
    first->setActive(true);
    first->setAttributes(firstAttributes);

    auto second = ns::make<EDAMResource>();
    second->setData(EDAMData::initWithBodyHash(counting(0xf0, 16), 3, bytes({0x00, 0xff, 0x7f})));
    second->setMime(str("application/pdf"));
    second->setUpdateSequenceNum(7);

    auto attributes = ns::make<EDAMNoteAttributes>();
    attributes->setSubjectDate(1699999999000);
    attributes->setLatitude(-33.75);
    attributes->setAuthor(str("Quen"));
    attributes->setSourceURL(str("http://example.com/?a=1&b=2"));

    auto note = ns::make<EDAMNote>();
    note->setGuid(str("8c0a52f0-golden"));
    note->setTitle(str("Trip to the coast"));
    note->setContent(str("<en-note>Sea &amp; sand</en-note>"));
    note->setContentHash(bytes({0xde, 0xad, 0xbe, 0xef}));
    note->setContentLength(34);
    note->setCreated(1700000000000);
    note->setActive(true);
    note->setNotebookGuid(str("nb-1"));
    note->setResources(ns::Array::make({first, second}));
    note->setAttributes(attributes);
    note->setTagNames(ns::Array::make({str("coast"), str("travel")}));
    return note;
}

ns::Ref<EDAMNote> fullNote()
{
    auto data = [](uint8_t seed) {
        return EDAMData::initWithBodyHash(counting(seed, 16), 4, counting(seed, 4));
    };
    auto resourceAttributes = EDAMResourceAttributes::initWithSourceURL(
        str("http://example.com/r"), -2, 1.25, -2.5, 3.75, str("Make"), str("Model"), true, str("reco"),
        str("r.jpg"), false);
    auto resource = EDAMResource::initWithGuid(str("r-guid"), str("n-guid"), data(1), str("image/png"), -7,
                                               32000, 1, true, data(20), resourceAttributes, 99, data(40));
    auto attributes =
        EDAMNoteAttributes::initWithSubjectDate(INT64_MIN, 0.5, -0.25, 1e300, str("Author"), str("Source"),
                                                str("http://example.com/n"), str("Velmo"));
    return EDAMNote::initWithGuid(
        str("n-guid"), str("Title \xc3\xa9"), str("<en-note/>"), counting(9, 3), INT32_MAX, 1, 2, 3, true,
        INT32_MIN, str("nb"), ns::Array::make({str("t1"), str("t2")}),
        ns::Array::make({resource, EDAMResource::initWithGuid(str("r2"), nullptr, nullptr, nullptr, 1, 2, 3,
                                                              false, nullptr, nullptr, 4, nullptr)}),
        attributes, ns::Array::make({str("coast"), str(""), str("travel")}));
}

ns::Ref<EDAMNotebook> fullNotebook()
{
    auto publishing = EDAMPublishing::initWithUri(str("pub"), 2, true, str("Public"));
    return EDAMNotebook::initWithGuid(str("nb"), str("Notebook"), 12, true, 1700000000000, -1, publishing,
                                      false, str("Stack"));
}

ns::Ref<EDAMAuthenticationResult> fullAuthenticationResult()
{
    auto userAttributes = EDAMUserAttributes::initWithDefaultLocationName(
        str("Home"), 1.5, -1.5, true, ns::Array::make({str("promo")}), str("in@example.com"),
        ns::Array::make(), str("Comments"), 11, 12, 13, str("ref"), 15, 16, 17, 18, 19, str("en"), str("DE"),
        false, str("tw"), str("twid"), str("group"), str("eng"), 27, str("proof"));
    auto accounting =
        EDAMAccounting::initWithUploadLimit(1, 2, 3, 4, str("order"), str("commerce"), 7, str("sku"), 9, 10,
                                            str("reason"), 12, 13, 14, str("sub"), 17);
    auto user =
        EDAMUser::initWithId(1, str("quen"), str("quen@example.com"), str("Quen M"), str("Europe/Berlin"), 3,
                             9, 10, 11, true, str("s1"), userAttributes, accounting);
    auto info = EDAMPublicUserInfo::initWithUserId(1, str("s1"), 3, str("quen"));
    return EDAMAuthenticationResult::initWithCurrentTime(100, str("S=s1:U=1"), 200, user, info);
}

} // namespace notes_test
