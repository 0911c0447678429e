#include "sharing/oauth/OAServiceTicket.h"

OAServiceTicket::OAServiceTicket(const ns::Ref<OAMutableURLRequest>& request,
                                 const ns::Ref<ns::HTTPURLResponse>& response, ns::Ref<ns::Data> data,
                                 bool didSucceed)
    : m_request(request), m_response(response), m_data(std::move(data)), m_didSucceed(didSucceed)
{
}

OAServiceTicket::OAServiceTicket(const ns::Ref<OAMutableURLRequest>& request,
                                 const ns::Ref<ns::HTTPURLResponse>& response, bool didSucceed)
    : OAServiceTicket(request, response, nullptr, didSucceed)
{
}

std::optional<std::string> OAServiceTicket::body() const
{
    if (!m_data)
        return std::nullopt;
    return std::string(m_data->view());
}
