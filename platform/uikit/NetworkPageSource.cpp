#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/RunLoop.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "foundation/URLResponse.h"
#include "uikit/WebView.h"

#include <cstdint>
#include <memory>
#include <vector>

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

// One page's load: stops at a redirect, so that the web view shows it to its delegate, and builds the
// page once the server has answered.
class PageLoad : public ns::URLConnectionDelegate
{
public:
    PageLoad(ns::Ref<ns::URLRequest> request, std::function<void(WebPage)> done)
        : m_request(std::move(request)), m_done(std::move(done))
    {
    }

    ns::Ref<ns::URLRequest>
    connectionWillSendRequest(ns::URLConnection&, const ns::Ref<ns::URLRequest>& request,
                              const ns::Ref<ns::URLResponse>& redirectResponse) override
    {
        return redirectResponse ? nullptr : request;
    }
    void connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response) override
    {
        m_response = response;
        m_body.clear();
    }
    void connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data) override
    {
        if (data)
            m_body.insert(m_body.end(), data->bytes().begin(), data->bytes().end());
    }
    void connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>& error) override
    {
        WebPage page;
        page.error = error;
        end(std::move(page));
    }
    void connectionDidFinishLoading(ns::URLConnection&) override { end(page()); }
    // Hands the page over, once.
    void end(WebPage page)
    {
        if (auto done = std::move(m_done)) {
            m_done = nullptr;
            done(std::move(page));
        }
    }

private:
    WebPage page() const
    {
        WebPage page;
        const auto& url = m_request->URL();
        if (auto http = ns::cast<ns::HTTPURLResponse>(m_response)) {
            int status = http->statusCode();
            auto location = http->valueForHTTPHeaderField("Location");
            if (status / 100 == 3 && location && url) {
                page.redirectTo = resolveLocation(*url, *location);
                return page;
            }
        }
        page.title = titleOfHTML(std::string(m_body.begin(), m_body.end()));
        if (page.title.empty() && url)
            page.title = url->host().value_or(m_request->URLString());
        return page;
    }
    ns::Ref<ns::URLRequest> m_request;
    std::function<void(WebPage)> m_done;
    ns::Ref<ns::URLResponse> m_response;
    std::vector<std::uint8_t> m_body;
};

} // namespace

WebPageLoader networkPageSource()
{
    return [](const ns::URLRequest& request, std::function<void(WebPage)> done) -> std::function<void()> {
        auto copy = request.mutableCopy();
        auto load = std::make_shared<PageLoad>(copy, std::move(done));
        auto connection = ns::URLConnection::connectionWithRequest(copy, load);
        if (!connection) {
            // Reported on the run loop, as a load that fails at once is.
            WebPage page;
            page.error = ns::Error::withDescription(URLErrorDomain, ns::URLErrorBadURL, "unsupported URL");
            ns::RunLoop::main().post([load, page] { load->end(page); });
            return nullptr;
        }
        return [weak = ns::Weak<ns::URLConnection>(connection)] {
            if (auto live = weak.lock())
                live->cancel();
        };
    };
}

} // namespace ui
