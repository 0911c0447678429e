#include "sharing/oauth/OADataFetcher.h"

#include "foundation/URLConnection.h"

void OADataFetcher::fetchDataWithRequest(const ns::Ref<OAMutableURLRequest>& request, const ns::Id& delegate,
                                         const OADidFinishSelector& didFinishSelector,
                                         const OADidFailSelector& didFailSelector)
{
    if (!request)
        return;
    ns::Ref<ns::URLResponse> response;
    ns::Ref<ns::Error> error;
    if (!request->prepare(&error)) {
        OAServiceTicket ticket(request, nullptr, false);
        if (delegate && didFailSelector)
            didFailSelector(*delegate, ticket, error);
        return;
    }
    ns::Ref<ns::Data> data = ns::URLConnection::sendSynchronousRequest(request, &response, &error);
    auto http = ns::cast<ns::HTTPURLResponse>(response);
    if (http && data && !error) {
        OAServiceTicket ticket(request, http, http->statusCode() < 400);
        if (delegate && didFinishSelector)
            didFinishSelector(*delegate, ticket, data);
        return;
    }
    OAServiceTicket ticket(request, http, false);
    if (delegate && didFailSelector)
        didFailSelector(*delegate, ticket, error);
}
