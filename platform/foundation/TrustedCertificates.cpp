#include "foundation/TrustedCertificates.h"

#include "foundation/CHandle.h"
#include "foundation/FileManager.h"

#include <curl/curl.h>
#include <mutex>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace ns {

namespace {

std::mutex& lock()
{
    static std::mutex mutex;
    return mutex;
}

// The added certificates, each written out again as PEM, and the bundle made from them.
std::string& added()
{
    static std::string text;
    return text;
}

std::shared_ptr<const std::string>& current()
{
    static std::shared_ptr<const std::string> bundle;
    return bundle;
}

// The file libcurl verifies against when nothing else is said: the system's authorities.
std::string systemBundle()
{
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !info->cainfo)
        return {};
    return FileManager::stringWithContentsOfFile(info->cainfo).value_or("");
}

// Every certificate of the text as PEM again, or nothing with a reason.
std::optional<std::string> readCertificates(std::string_view pem, std::string* reason)
{
    auto fail = [&](const std::string& text) -> std::optional<std::string> {
        if (reason)
            *reason = text;
        return std::nullopt;
    };
    if (pem.size() > 16 * 1024 * 1024)
        return fail("the certificate file is too large");
    CHandle<BIO, BIO_free> in(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    CHandle<BIO, BIO_free> out(BIO_new(BIO_s_mem()));
    if (!in || !out)
        return fail("out of memory");
    int count = 0;
    ERR_clear_error();
    for (;;) {
        CHandle<X509, X509_free> certificate(PEM_read_bio_X509(in.get(), nullptr, nullptr, nullptr));
        if (!certificate)
            break;
        if (!PEM_write_bio_X509(out.get(), certificate.get()))
            return fail("out of memory");
        ++count;
    }
    // The loop ends at the end of the text, which the library reports as "no start line"; anything
    // else is a certificate it could not read.
    unsigned long error = ERR_peek_last_error();
    bool endOfText = ERR_GET_LIB(error) == ERR_LIB_PEM && ERR_GET_REASON(error) == PEM_R_NO_START_LINE;
    ERR_clear_error();
    if (error && !endOfText)
        return fail("a certificate in it cannot be read");
    if (count == 0)
        return fail("it holds no PEM certificate");
    char* bytes = nullptr;
    long length = BIO_get_mem_data(out.get(), &bytes);
    return std::string(bytes, static_cast<std::size_t>(length));
}

} // namespace

bool TrustedCertificates::addPEM(std::string_view pem, std::string* reason)
{
    auto certificates = readCertificates(pem, reason);
    if (!certificates)
        return false;
    std::string system = systemBundle();
    std::lock_guard guard(lock());
    added() += *certificates;
    std::string joined = system;
    if (!joined.empty() && joined.back() != '\n')
        joined += '\n';
    current() = std::make_shared<const std::string>(joined + added());
    return true;
}

bool TrustedCertificates::addFile(const std::string& path, std::string* reason)
{
    auto text = FileManager::stringWithContentsOfFile(path);
    if (!text) {
        if (reason)
            *reason = "cannot read " + path;
        return false;
    }
    std::string why;
    if (!addPEM(*text, &why)) {
        if (reason)
            *reason = path + ": " + why;
        return false;
    }
    return true;
}

void TrustedCertificates::removeAdded()
{
    std::lock_guard guard(lock());
    added().clear();
    current() = nullptr;
}

bool TrustedCertificates::hasAdded()
{
    std::lock_guard guard(lock());
    return current() != nullptr;
}

std::shared_ptr<const std::string> TrustedCertificates::bundle()
{
    std::lock_guard guard(lock());
    return current();
}

} // namespace ns
