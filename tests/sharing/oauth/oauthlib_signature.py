# Signs each request of a JSON file the way an RFC 5849 server does, with python3-oauthlib's signature
# functions, from what the server receives: method, URL, body, content type and Authorization header.
# Prints "signature<TAB>base string" a line per request; exits 3 when oauthlib is missing.
import json
import sys

try:
    from oauthlib.oauth1.rfc5849 import signature, utils
    from urllib.parse import urlparse
except ImportError:
    sys.exit(3)

with open(sys.argv[1], encoding="utf-8") as f:
    requests = json.load(f)
for r in requests:
    content_type = r["content_type"]
    body = r["body"]
    # A server reads the body's parameters only from a form; a body sent without a type goes as a form.
    is_form = content_type.lower().startswith("application/x-www-form-urlencoded") or (not content_type and body)
    params = signature.collect_parameters(
        uri_query=urlparse(r["uri"]).query,
        body=body if is_form else None,
        exclude_oauth_signature=True,
        with_realm=False,
    )
    # Every name and value of the header is percent-encoded, so the server decodes them all (oauthlib's
    # collector decodes only the values of "oauth_" names).
    params += [
        (utils.unescape(name), utils.unescape(value))
        for name, value in utils.parse_authorization_header(r["authorization"])
        if name not in ("realm", "oauth_signature")
    ]
    base = signature.signature_base_string(
        r["method"].upper(), signature.base_string_uri(r["uri"]), signature.normalize_parameters(params)
    )
    if r["signature_method"] == "PLAINTEXT":
        sig = signature.sign_plaintext(r["consumer_secret"], r["token_secret"])
    else:
        sig = signature.sign_hmac_sha1(base, r["consumer_secret"], r["token_secret"])
    print(sig + "\t" + base)
