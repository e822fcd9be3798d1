#include "platform/md5.hpp"

#include <openssl/evp.h>

#include <memory>

namespace homey_project::platform {

std::optional<MD5Digest> md5(std::string_view bytes) {
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context) return std::nullopt;
    MD5Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size())
        return std::nullopt;
    return digest;
}

bool identicalFiles(std::string_view a, std::string_view b) {
    const std::optional<MD5Digest> da = md5(a);
    const std::optional<MD5Digest> db = md5(b);
    return da && db && *da == *db;
}

}  // namespace homey_project::platform
