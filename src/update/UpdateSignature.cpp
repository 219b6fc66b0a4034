#include "UpdateSignature.h"

#include "MakerUpdateKey.h"
#include "OpenSslHolders.h"

#include <openssl/err.h>

namespace yx::update {

bool verifySignature(const PublicKey& key, std::string_view message,
                     const std::vector<unsigned char>& signature) {
    if (key.size() != 32 || signature.size() != 64)
        return false;
    EvpPkeyPtr pkey(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()));
    EvpMdCtxPtr ctx(EVP_MD_CTX_new());
    // Ed25519 signs the message itself: no digest is named.
    const bool ok =
        pkey && ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) == 1 &&
        EVP_DigestVerify(ctx.get(), signature.data(), signature.size(),
                         reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    ERR_clear_error(); // a refused signature is an answer, not an error to report later
    return ok;
}

PublicKey makerPublicKey() {
    return PublicKey(std::begin(kMakerUpdatePublicKey), std::end(kMakerUpdatePublicKey));
}

} // namespace yx::update
