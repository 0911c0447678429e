#pragma once

#include "sharing/oauth/OADataFetcherSelectors.h"

// The blocking twin of the asynchronous fetcher: signs, sends and waits on the caller's thread.
class OADataFetcher : public ns::Object
{
public:
    void fetchDataWithRequest(const ns::Ref<OAMutableURLRequest>& request, const ns::Id& delegate,
                              const OADidFinishSelector& didFinishSelector,
                              const OADidFailSelector& didFailSelector);

    std::string className() const override { return "OADataFetcher"; }
};
