#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "foundation/URLResponse.h"
#include "uikit/WebView.h"

namespace ui {
namespace {

// The address a Location field names, read against the page that sent it.
std::string resolveLocation(const ns::URL& base, const std::string& location)
{
    auto given = ns::URL::withString(location);
    if (given && given->scheme())
        return location;
    std::string resolved = base.scheme().value_or("http");
    resolved += ':';
    if (location.rfind("//", 0) == 0)
        return resolved += location;
    resolved += "//";
    resolved += base.host().value_or("");
    if (base.port()) {
        resolved += ':';
        resolved += std::to_string(*base.port());
    }
    if (location.empty() || location[0] != '/') {
        std::string path = base.path().value_or("/");
        resolved += path.substr(0, path.rfind('/') + 1);
    }
    return resolved += location;
}

WebPage pageFromNetwork(const ns::URLRequest& request)
{
    WebPage page;
    const auto& url = request.URL();
    ns::Ref<ns::URLResponse> response;
    ns::Ref<ns::Error> error;
    auto body = ns::URLConnection::sendSynchronousRequest(request.mutableCopy(), &response, &error, false);
    if (error) {
        page.error = error;
        return page;
    }
    if (auto http = ns::cast<ns::HTTPURLResponse>(response)) {
        int status = http->statusCode();
        auto location = http->valueForHTTPHeaderField("Location");
        if (status / 100 == 3 && location && url) {
            page.redirectTo = resolveLocation(*url, *location);
            return page;
        }
    }
    if (body) {
        std::string html(body->bytes().begin(), body->bytes().end());
        page.title = titleOfHTML(html);
    }
    if (page.title.empty() && url)
        page.title = url->host().value_or(request.URLString());
    return page;
}

} // namespace

WebPageSource networkPageSource()
{
    return pageFromNetwork;
}

} // namespace ui
