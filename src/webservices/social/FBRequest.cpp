#include "webservices/social/FBRequest.h"

#include "foundation/Array.h"
#include "foundation/Escaping.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "uikit/Image.h"
#include "webservices/strictjson/StrictJSON.h"

#include <algorithm>

namespace {

// Characters escaped in a parameter value beyond those a URL cannot hold.
constexpr const char* EscapedInValues = "!*'();:@&=+$,/?%#[]";

bool isFile(const ns::Id& value)
{
    return ns::cast<ui::Image>(value) || ns::cast<ns::Data>(value);
}

std::string textOf(const ns::Id& object)
{
    if (auto string = ns::cast<ns::String>(object))
        return string->str();
    return ns::describe(object);
}

void append(std::vector<uint8_t>& body, std::string_view text)
{
    body.insert(body.end(), text.begin(), text.end());
}

ns::Ref<ns::Dictionary> errorMessage(const std::string& message)
{
    return ns::Dictionary::withStrings(
        {{"error_msg", ns::String::make(message)}, {ns::LocalizedDescriptionKey, ns::String::make(message)}});
}

} // namespace

FBRequest::FBRequest(ns::Ref<ns::MutableDictionary> params, std::string httpMethod,
                     ns::Weak<FBRequestDelegate> delegate, std::string url)
    : m_delegate(std::move(delegate)), m_url(std::move(url)), m_httpMethod(std::move(httpMethod)),
      m_params(params ? std::move(params) : ns::MutableDictionary::make())
{
}

FBRequest::~FBRequest()
{
    if (m_connection)
        m_connection->cancel();
}

ns::Ref<FBRequest> FBRequest::getRequestWithParams(ns::Ref<ns::MutableDictionary> params,
                                                   std::string httpMethod,
                                                   ns::Weak<FBRequestDelegate> delegate, std::string url)
{
    return ns::Factory<FBRequest>::make(std::move(params), std::move(httpMethod), std::move(delegate),
                                        std::move(url));
}

std::string FBRequest::serializeURL(const std::string& baseURL, const ns::Dictionary* params,
                                    const std::string& httpMethod)
{
    auto parsed = ns::URL::withString(baseURL);
    std::string separator = parsed && parsed->query() ? "&" : "?";
    std::vector<std::string> pairs;
    if (params) {
        params->enumerateKeysAndObjects([&](const ns::Id& key, const ns::Id& value, bool&) {
            if (isFile(value)) {
                if (httpMethod == "GET")
                    ns::log("can not use GET to upload a file");
                return;
            }
            std::string pair = textOf(key);
            pair += '=';
            pair += ns::addingPercentEscapes(textOf(value), {}, EscapedInValues);
            pairs.push_back(std::move(pair));
        });
    }
    std::string result = baseURL;
    result += separator;
    result += ns::join(pairs, "&");
    return result;
}

void FBRequest::setState(unsigned state)
{
    auto keep = self<FBRequest>();
    m_state = state;
    // A copy: an observer may remove itself (or another) while told.
    auto observers = m_stateObservers;
    for (const auto& [key, observer] : observers) {
        bool stillObserving = std::any_of(m_stateObservers.begin(), m_stateObservers.end(),
                                          [key = key](const auto& entry) { return entry.first == key; });
        if (stillObserving)
            observer(*this, state);
    }
}

void FBRequest::addStateObserver(const void* key, StateObserver observer)
{
    m_stateObservers.emplace_back(key, std::move(observer));
}

void FBRequest::removeStateObserver(const void* key)
{
    std::erase_if(m_stateObservers, [key](const auto& entry) { return entry.first == key; });
}

bool FBRequest::delegateAnswers(FBRequestDelegate::Operation operation,
                                ns::Ref<FBRequestDelegate>& delegate) const
{
    delegate = m_delegate.lock();
    return delegate && delegate->respondsTo(operation);
}

void FBRequest::connect()
{
    auto keep = self<FBRequest>();
    ns::Ref<FBRequestDelegate> delegate;
    if (delegateAnswers(FBRequestDelegate::Operation::RequestLoading, delegate))
        delegate->requestLoading(*this);

    // A POST carries its text parameters in the query as well as in its body.
    std::string address = serializeURL(m_url, m_params.get(), m_httpMethod);
    auto request = ns::MutableURLRequest::requestWithURL(
        ns::URL::withString(address), ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, Timeout);
    request->setValue(std::string(UserAgent), "User-Agent");
    request->setHTTPMethod(m_httpMethod);
    if (m_httpMethod == "POST") {
        std::string contentType = "multipart/form-data; boundary=";
        contentType += Boundary;
        request->setValue(contentType, "Content-Type");
        request->setHTTPBody(generatePostBody());
    }
    m_statusCode.reset();
    m_connection = ns::URLConnection::connectionWithRequest(request, keep);
    if (!m_connection) {
        // An address that does not parse cannot be loaded: a failure like any other.
        failWithError(ns::Error::withDescription(ns::URLErrorDomain, ns::URLErrorBadURL, "bad URL"));
        return;
    }
    setState(Loading);
}

ns::Ref<ns::Data> FBRequest::generatePostBody() const
{
    std::vector<uint8_t> body;
    std::string delimiter = "\r\n--";
    delimiter += Boundary;
    delimiter += "\r\n";
    std::string closing = "\r\n--";
    closing += Boundary;
    closing += "--\r\n";

    std::string opening = "--";
    opening += Boundary;
    opening += "\r\n";
    append(body, opening);

    std::vector<std::pair<ns::Id, ns::Id>> files;
    std::vector<std::pair<ns::Id, ns::Id>> texts;
    m_params->enumerateKeysAndObjects([&](const ns::Id& key, const ns::Id& value, bool&) {
        (isFile(value) ? files : texts).emplace_back(key, value);
    });
    std::size_t parts = texts.size() + files.size();
    std::size_t written = 0;
    auto endPart = [&] { append(body, ++written == parts ? closing : delimiter); };

    for (const auto& [key, value] : texts) {
        append(body, ns::format("Content-Disposition: form-data; name=\"%@\"\r\n\r\n", textOf(key)));
        append(body, textOf(value));
        endPart();
    }
    for (const auto& [key, value] : files) {
        // The key stands as the file name; the part has no name of its own.
        append(body, ns::format("Content-Disposition: form-data; filename=\"%@\"\r\n", textOf(key)));
        if (auto image = ns::cast<ui::Image>(value)) {
            append(body, "Content-Type: image/png\r\n\r\n");
            if (auto png = ui::ImagePNGRepresentation(image))
                body.insert(body.end(), png->bytes().begin(), png->bytes().end());
        } else {
            auto data = ns::cast<ns::Data>(value);
            append(body, "Content-Type: content/unknown\r\n\r\n");
            body.insert(body.end(), data->bytes().begin(), data->bytes().end());
        }
        endPart();
    }
    return ns::Data::make(std::move(body));
}

ns::Ref<ns::Error> FBRequest::formError(long code, ns::Ref<ns::Dictionary> userInfo)
{
    return ns::Error::make(FBErrorDomain, code, std::move(userInfo));
}

ns::Id FBRequest::parseJsonResponse(const ns::Data& data, ns::Ref<ns::Error>* error)
{
    ns::setError(error, nullptr);
    std::string_view text = data.view();
    if (text == "true")
        return ns::Dictionary::withStrings({{"result", ns::String::make("true")}});
    if (text == "false") {
        ns::setError(
            error, formError(FBGenericErrorCode,
                             ns::Dictionary::withStrings(
                                 {{"error_msg", ns::String::make("This operation can not be completed")}})));
        return nullptr;
    }
    if (!ns::isValidUtf8(text))
        return nullptr;
    auto parser = ns::make<StrictJSON>();
    ns::Id result = parser->objectWithString(text);
    if (ns::cast<ns::Array>(result))
        return result;
    auto dictionary = ns::cast<ns::Dictionary>(result);
    if (!dictionary)
        return nullptr;
    if (dictionary->objectForKey("error")) {
        ns::setError(error, formError(FBGenericErrorCode, dictionary));
        return nullptr;
    }
    if (auto code = dictionary->objectForKey("error_code")) {
        long value = 0;
        if (auto number = ns::cast<ns::Number>(code))
            value = static_cast<long>(number->longLongValue());
        else
            value = static_cast<long>(ns::integerValue(textOf(code)));
        ns::setError(error, formError(value, dictionary));
        return nullptr;
    }
    if (dictionary->objectForKey("error_msg") || dictionary->objectForKey("error_reason"))
        ns::setError(error, formError(FBGenericErrorCode, dictionary));
    return dictionary;
}

void FBRequest::handleResponseData(const ns::Ref<ns::Data>& data)
{
    ns::Ref<FBRequestDelegate> delegate;
    if (delegateAnswers(FBRequestDelegate::Operation::DidLoadRawResponse, delegate))
        delegate->requestDidLoadRawResponse(*this, data);

    ns::Ref<ns::Error> error;
    ns::Id result = parseJsonResponse(*data, &error);
    // An HTTP error status fails even when its body reads as a result; the API's own error in the body,
    // when there is one, is the more telling report.
    if (m_statusCode && (*m_statusCode < 200 || *m_statusCode > 299) && !error)
        error =
            formError(*m_statusCode,
                      errorMessage(ns::format("The service answered with HTTP status %d", *m_statusCode)));
    // Text that is not JSON is no answer of the service's, so the call did not do what was asked.
    if (!result && !error)
        error = formError(FBGenericErrorCode, errorMessage("The service's answer could not be read"));
    m_error = error;

    delegate = m_delegate.lock();
    if (!delegate || (!delegate->respondsTo(FBRequestDelegate::Operation::DidLoad) &&
                      !delegate->respondsTo(FBRequestDelegate::Operation::DidFailWithError)))
        return;
    if (error) {
        failWithError(error);
        return;
    }
    if (delegate->respondsTo(FBRequestDelegate::Operation::DidLoad))
        delegate->requestDidLoad(*this, result);
}

void FBRequest::failWithError(const ns::Ref<ns::Error>& error)
{
    ns::Ref<FBRequestDelegate> delegate;
    if (delegateAnswers(FBRequestDelegate::Operation::DidFailWithError, delegate))
        delegate->requestDidFailWithError(*this, error);
    setState(Failed);
}

void FBRequest::connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response)
{
    auto keep = self<FBRequest>();
    m_responseText.emplace();
    if (auto http = ns::cast<ns::HTTPURLResponse>(response))
        m_statusCode = http->statusCode();
    ns::Ref<FBRequestDelegate> delegate;
    if (delegateAnswers(FBRequestDelegate::Operation::DidReceiveResponse, delegate))
        delegate->requestDidReceiveResponse(*this, response);
}

void FBRequest::connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data)
{
    if (!m_responseText)
        m_responseText.emplace();
    m_responseText->insert(m_responseText->end(), data->bytes().begin(), data->bytes().end());
}

void FBRequest::connectionDidFinishLoading(ns::URLConnection&)
{
    auto keep = self<FBRequest>();
    auto data = ns::Data::make(m_responseText ? std::move(*m_responseText) : std::vector<uint8_t>());
    handleResponseData(data);
    m_responseText.reset();
    m_connection = nullptr;
    if (m_state != Failed)
        setState(Complete);
}

void FBRequest::connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>& error)
{
    auto keep = self<FBRequest>();
    failWithError(error);
    m_responseText.reset();
    m_connection = nullptr;
    setState(Failed);
}
