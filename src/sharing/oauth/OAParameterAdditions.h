#pragma once

#include "foundation/URLRequest.h"
#include "sharing/oauth/OARequestParameter.h"

#include <optional>
#include <vector>

// Reading and writing a request's parameters: the URL's query for "GET" and "DELETE", the form body for
// every other method.
namespace OAParameterAdditions {

using Parameters = std::vector<ns::Ref<OARequestParameter>>;

// Nothing when the query or body is missing or empty. Names and values are form-decoded.
std::optional<Parameters> parameters(const ns::URLRequest& request);
// Writes the pairs in order, joined by "&": into the query for "GET" and "DELETE", otherwise as a form
// body with its length and content type.
void setParameters(ns::MutableURLRequest& request, const Parameters& parameters);

// "a=1&b" as (a, 1), (b, ""); empty pieces are skipped.
Parameters parseForm(std::string_view text);

} // namespace OAParameterAdditions
