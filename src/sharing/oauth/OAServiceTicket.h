#pragma once

#include "foundation/Data.h"
#include "foundation/URLResponse.h"
#include "sharing/oauth/OAMutableURLRequest.h"

#include <optional>
#include <string>

// Whether a service accepted a request. It refers to the request and the response without keeping them,
// so it is valid during the report that receives it.
class OAServiceTicket : public ns::Object
{
public:
    OAServiceTicket(const ns::Ref<OAMutableURLRequest>& request, const ns::Ref<ns::HTTPURLResponse>& response,
                    ns::Ref<ns::Data> data, bool didSucceed);
    OAServiceTicket(const ns::Ref<OAMutableURLRequest>& request, const ns::Ref<ns::HTTPURLResponse>& response,
                    bool didSucceed);

    ns::Ref<OAMutableURLRequest> request() const { return m_request.lock(); }
    ns::Ref<ns::HTTPURLResponse> response() const { return m_response.lock(); }
    const ns::Ref<ns::Data>& data() const { return m_data; }
    bool didSucceed() const { return m_didSucceed; }
    // The data as UTF-8 text; nothing without data.
    std::optional<std::string> body() const;

    std::string className() const override { return "OAServiceTicket"; }

private:
    ns::Weak<OAMutableURLRequest> m_request;
    ns::Weak<ns::HTTPURLResponse> m_response;
    ns::Ref<ns::Data> m_data;
    bool m_didSucceed;
};
