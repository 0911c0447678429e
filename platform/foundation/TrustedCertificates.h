#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ns {

// The certificate authorities the device trusts beside the system's own, so that an HTTPS server of the
// device's owner (a test's server on 127.0.0.1) can be reached. Every server's certificate is still
// verified, against the system's authorities and these together. A setting of the whole process.
class TrustedCertificates
{
public:
    // Adds every certificate of a PEM text; false, with the reason for the user, when the text holds no
    // certificate or one that cannot be read. Nothing is added then.
    static bool addPEM(std::string_view pem, std::string* reason = nullptr);
    // The same for a PEM file.
    static bool addFile(const std::string& path, std::string* reason = nullptr);
    // Back to the system's authorities alone.
    static void removeAdded();
    static bool hasAdded();

    // The system's authorities (its bundle file) followed by the added ones, as one PEM text; nothing
    // when none were added, so that the system's own setting stays untouched.
    static std::shared_ptr<const std::string> bundle();
};

} // namespace ns
