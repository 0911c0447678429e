#include "sharing/oauth/OAParameterAdditions.h"

#include "foundation/Format.h"
#include "sharing/oauth/OAURLEncoding.h"

namespace OAParameterAdditions {

namespace {

bool usesQuery(const ns::URLRequest& request)
{
    return request.HTTPMethod() == "GET" || request.HTTPMethod() == "DELETE";
}

} // namespace

Parameters parseForm(std::string_view text)
{
    Parameters out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view piece = text.substr(start, end - start);
        start = end + 1;
        if (piece.empty())
            continue;
        std::size_t equals = piece.find('=');
        std::string_view name = piece.substr(0, equals);
        std::string_view value =
            equals == std::string_view::npos ? std::string_view() : piece.substr(equals + 1);
        out.push_back(OARequestParameter::requestParameterWithName(OAURLEncoding::formDecodedString(name),
                                                                   OAURLEncoding::formDecodedString(value)));
    }
    return out;
}

std::optional<Parameters> parameters(const ns::URLRequest& request)
{
    std::string_view text;
    std::string url = request.URLString();
    if (usesQuery(request)) {
        text = OAURLEncoding::queryOfURLString(url);
    } else if (auto body = request.HTTPBody()) {
        text = body->view();
    }
    if (text.empty())
        return std::nullopt;
    return parseForm(text);
}

void setParameters(ns::MutableURLRequest& request, const Parameters& parameters)
{
    std::string pairs;
    for (const auto& parameter : parameters) {
        if (!parameter)
            continue;
        if (!pairs.empty())
            pairs += '&';
        pairs += parameter->URLEncodedNameValuePair();
    }
    if (usesQuery(request)) {
        std::string base =
            request.URL() ? OAURLEncoding::URLStringWithoutQuery(*request.URL()) : std::string();
        request.setURL(ns::URL::withString(base + "?" + pairs));
        return;
    }
    // The pairs are escaped, so they are ASCII already.
    request.setHTTPBody(ns::Data::withString(pairs));
    request.setValue(ns::format("%d", static_cast<int>(pairs.size())), "Content-Length");
    request.setValue(std::string("application/x-www-form-urlencoded"), "Content-Type");
}

} // namespace OAParameterAdditions
