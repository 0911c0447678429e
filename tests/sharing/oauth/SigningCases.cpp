#include "SigningCases.h"

#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAPlaintextSignatureProvider.h"

namespace oauth_test {

const std::vector<SigningCase>& signingCases()
{
    static const std::vector<SigningCase> cases = [] {
        auto token = std::make_shared<OAToken>("nnch734d00sl2jdk", "pfkkdhi9sl3r4s00");
        return std::vector<SigningCase>{
            {.name = "empty token",
             .method = "GET",
             .url = "http://photos.example.net/photos?size=original",
             .base = "GET&http%3A%2F%2Fphotos.example.net%2Fphotos&oauth_consumer_key%3Ddpf43f3p2l4k3l03%"
                     "26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_"
                     "timestamp%3D1191242096%26oauth_version%3D1.0%26size%3Doriginal",
             .signature = "gL2bH/ys3YacXoeIylKje1/erdU="},
            {.name = "form post",
             .method = "POST",
             .url = "http://api.example.com/1/statuses/update.json",
             .token = token,
             .form = {{"status", "Hello Ladies + Gentlemen, a signed OAuth request!"},
                      {"include_entities", "true"}},
             .base = "POST&http%3A%2F%2Fapi.example.com%2F1%2Fstatuses%2Fupdate.json&include_entities%3Dtrue%"
                     "26oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_"
                     "signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%26oauth_token%"
                     "3Dnnch734d00sl2jdk%26oauth_version%3D1.0%26status%3DHello%2520Ladies%2520%252B%"
                     "2520Gentlemen%252C%2520a%2520signed%2520OAuth%2520request%2521",
             .signature = "LYfB+j1A2dIF+3z7EIqnTy64RSw="},
            {.name = "post with a query",
             .method = "POST",
             .url = "http://example.com/p?x=1&y=%20z",
             .token = token,
             .form = {{"b", "2"}},
             .base =
                 "POST&http%3A%2F%2Fexample.com%2Fp&b%3D2%26oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_"
                 "nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%"
                 "3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0%26x%3D1%26y%3D%2520z",
             .signature = "cB2T7pQ0PEBO9CDc73hL/0rYpsw="},
            {.name = "extra oauth parameters",
             .method = "POST",
             .url = "https://example.com/oauth/access_token",
             .token = token,
             .extra = {{"oauth_verifier", "v3r1f13r"}, {"oauth_callback", "http://cb.example/?a=b&c=d e"}},
             .base = "POST&https%3A%2F%2Fexample.com%2Foauth%2Faccess_token&oauth_callback%3Dhttp%253A%252F%"
                     "252Fcb.example%252F%253Fa%253Db%2526c%253Dd%2520e%26oauth_consumer_key%"
                     "3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-"
                     "SHA1%26oauth_timestamp%3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_verifier%"
                     "3Dv3r1f13r%26oauth_version%3D1.0",
             .signature = "0d9e0t3uyK3joLaXm4RmYO2OJWA="},
            {.name = "utf-8 and reserved characters",
             .method = "GET",
             .url = "http://example.com/s%C3%BCche/",
             .token = std::make_shared<OAToken>("t/k+n", "s\xC3\xA9"
                                                         "cr&t"),
             .form = {{"n\xC3\xA4 me", "caf\xC3\xA9/?&=+!*'()~#%"}, {"\xE2\x82\xAC", ""}},
             .consumerSecret = "c&s=1",
             .base = "GET&http%3A%2F%2Fexample.com%2Fs%25C3%25BCche%2F&%25E2%2582%25AC%3D%26n%25C3%25A4%"
                     "2520me%3Dcaf%25C3%25A9%252F%253F%2526%253D%252B%2521%252A%2527%2528%2529~%2523%2525%"
                     "26oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_"
                     "signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%26oauth_token%3Dt%252Fk%"
                     "252Bn%26oauth_version%3D1.0",
             .signature = "IoFpUScDzKtGp3FxSh6VicP9NAU="},
            {.name = "repeated names",
             .method = "GET",
             .url = "http://example.com/r?a1=y&a=2&a-b=x&a=1&a=&a.c=z",
             .base = "GET&http%3A%2F%2Fexample.com%2Fr&a%3D%26a%3D1%26a%3D2%26a-b%3Dx%26a.c%3Dz%26a1%3Dy%"
                     "26oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_"
                     "signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%26oauth_version%3D1.0",
             .signature = "50VtV949kYwz7R8ktRy8ckdrI74="},
            {.name = "plaintext",
             .method = "POST",
             .url = "https://example.com/request_token",
             .token = token,
             .plaintext = true,
             .consumerSecret = "c s&",
             .base = "POST&https%3A%2F%2Fexample.com%2Frequest_token&oauth_consumer_key%3Ddpf43f3p2l4k3l03%"
                     "26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DPLAINTEXT%26oauth_"
                     "timestamp%3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0",
             .signature = "c%20s%26&pfkkdhi9sl3r4s00"},
            {.name = "plus in query and body",
             .method = "POST",
             .url = "http://example.com/p?q=a+b",
             .contentType = "application/x-www-form-urlencoded",
             .body = "r=c+d&s=%2B",
             .base = "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%"
                     "3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%"
                     "26oauth_version%3D1.0%26q%3Da%2520b%26r%3Dc%2520d%26s%3D%252B",
             .signature = "7hfiwm9ulJdjfDB26f3HDHy/2jg="},
            {.name = "body without a type",
             .method = "PUT",
             .url = "http://example.com/p",
             .body = "a=1&b=2",
             .base = "PUT&http%3A%2F%2Fexample.com%2Fp&a%3D1%26b%3D2%26oauth_consumer_key%3Ddpf43f3p2l4k3l03%"
                     "26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_"
                     "timestamp%3D1191242096%26oauth_version%3D1.0",
             .signature = "IOlsEHmqgx98hzzFTsO+wA9gNys="},
            {.name = "json body",
             .method = "POST",
             .url = "http://example.com/p?q=1",
             .contentType = "application/json",
             .body = "{\"a\":1}",
             .base = "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%"
                     "3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%"
                     "26oauth_version%3D1.0%26q%3D1",
             .signature = "gWeqyXWZjbjjRNKQPKauUH69GB8="},
            {.name = "multipart with query",
             .method = "POST",
             .url = "http://example.com/upload?album=7",
             .token = token,
             .contentType = "multipart/form-data; boundary=xyz",
             .body = "--xyz\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--xyz--\r\n",
             .base =
                 "POST&http%3A%2F%2Fexample.com%2Fupload&album%3D7%26oauth_consumer_key%3Ddpf43f3p2l4k3l03%"
                 "26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%"
                 "3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0",
             .signature = "JpIaY1p64B1b1OLkIax9ruvt5d0="},
            {.name = "delete with query",
             .method = "DELETE",
             .url = "http://example.com/items/3?force=1",
             .token = token,
             .base =
                 "DELETE&http%3A%2F%2Fexample.com%2Fitems%2F3&force%3D1%26oauth_consumer_key%"
                 "3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%"
                 "26oauth_timestamp%3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0",
             .signature = "gPRW2jzLndiCjn+mAWvN2p4f67Y="},
            {.name = "address normalised",
             .method = "GET",
             .url = "HTTP://Photos.Example.NET:80?file=a#top",
             .base = "GET&http%3A%2F%2Fphotos.example.net%2F&file%3Da%26oauth_consumer_key%"
                     "3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-"
                     "SHA1%26oauth_timestamp%3D1191242096%26oauth_version%3D1.0",
             .signature = "y3tWv2H3w/V617I8Kg3HS5lwosU="},
            {.name = "default tls port",
             .method = "GET",
             .url = "https://Example.com:443/a/b?c=d",
             .token = token,
             .base = "GET&https%3A%2F%2Fexample.com%2Fa%2Fb&c%3Dd%26oauth_consumer_key%3Ddpf43f3p2l4k3l03%"
                     "26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_"
                     "timestamp%3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0",
             .signature = "RPxHHrk1TRx9ZdkhYl55JyvRiaQ="},
            {.name = "raw non-ascii form body",
             .method = "POST",
             .url = "http://example.com/p?q=1",
             .token = token,
             .contentType = "application/x-www-form-urlencoded",
             .body = "a=caf\xC3\xA9&b=2",
             .base = "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%"
                     "3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%"
                     "26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0%26q%3D1",
             .signature = "U+iSib/Th4w6eFVJF3/VL+5wie4="},
            {.name = "extra parameter whose name needs escaping",
             .method = "GET",
             .url = "http://example.com/p?q=1",
             .token = token,
             .extra = {{"x y,z", "v&w"}, {"oauth_verifier", "a\"b"}},
             .base = "GET&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_nonce%"
                     "3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1191242096%"
                     "26oauth_token%3Dnnch734d00sl2jdk%26oauth_verifier%3Da%2522b%26oauth_version%3D1.0%26q%"
                     "3D1%26x%2520y%252Cz%3Dv%2526w",
             .signature = "7/ueK0AxeKxa6YX/YL+gfhQApgA="},
            {.name = "other port",
             .method = "GET",
             .url = "http://example.com:8080/a",
             .base = "GET&http%3A%2F%2Fexample.com%3A8080%2Fa&oauth_consumer_key%3Ddpf43f3p2l4k3l03%26oauth_"
                     "nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%"
                     "3D1191242096%26oauth_version%3D1.0",
             .signature = "QE/ufxDJvoCv9i89mGznh60nuJg="},
        };
    }();
    return cases;
}

ns::Ref<OAMutableURLRequest> signedRequest(const SigningCase& signingCase)
{
    ns::Ref<OASignatureProviding> provider;
    if (signingCase.plaintext)
        provider = std::make_shared<OAPlaintextSignatureProvider>();
    auto request = std::make_shared<OAMutableURLRequest>(
        ns::URL::withString(signingCase.url),
        std::make_shared<OAConsumer>("dpf43f3p2l4k3l03", signingCase.consumerSecret), signingCase.token,
        std::nullopt, provider, "kllo9940pd9333jh", "1191242096");
    request->setHTTPMethod(signingCase.method);
    if (!signingCase.form.empty()) {
        OAParameterAdditions::Parameters parameters;
        for (const auto& [name, value] : signingCase.form)
            parameters.push_back(OARequestParameter::requestParameterWithName(name, value));
        OAParameterAdditions::setParameters(*request, parameters);
    }
    if (signingCase.contentType)
        request->setValue(std::string(signingCase.contentType), "Content-Type");
    if (signingCase.body)
        request->setHTTPBody(ns::Data::withString(signingCase.body));
    for (const auto& [name, value] : signingCase.extra)
        request->setOAuthParameterName(name, value);
    request->prepare();
    return request;
}

} // namespace oauth_test
