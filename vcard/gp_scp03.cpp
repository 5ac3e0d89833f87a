// SCP03 on the card: AES static keys, session keys and cryptograms from the
// counter-mode KDF over both challenges, an AES-CMAC chained through the
// whole session, AES CBC command and response data under an ICV from the
// encryption counter, and an R-MAC under its own session key.
#include "gp_channel.h"
#include "gp_crypto.h"

namespace vcard::gp {

namespace {

constexpr size_t kChallenge = 8;
constexpr size_t kMac = 8;
constexpr size_t kBlock = 16;
constexpr size_t kCryptogramBits = 64;
constexpr uint8_t kPseudoRandomChallenge = 0x10;
constexpr uint8_t kRMacSupported = 0x20;
constexpr uint8_t kREncryptionSupported = 0x40;
constexpr uint32_t kCounterLimit = 0xFFFFFF;

// Derivation constants of the KDF.
constexpr uint8_t kCardCryptogram = 0x00;
constexpr uint8_t kHostCryptogram = 0x01;
constexpr uint8_t kCardChallenge = 0x02;
constexpr uint8_t kSessionEnc = 0x04;
constexpr uint8_t kSessionMac = 0x06;
constexpr uint8_t kSessionRMac = 0x07;

// Warnings and success carry protection; errors come back bare.
bool protectedStatus(uint16_t sw) { return sw == 0x9000 || (sw >> 8) == 0x62 || (sw >> 8) == 0x63; }

class Scp03 : public SecureChannel {
public:
    Scp03(GpKeySet &keys, const Bytes &kdd, const Bytes &aid) : keys_(keys), kdd_(kdd), aid_(aid) {}

    Reply initialize(const Bytes &hostChallenge) override
    {
        host_ = hostChallenge;
        Bytes counter;
        if ((keys_.i & kPseudoRandomChallenge) != 0) {
            keys_.counter = keys_.counter >= kCounterLimit ? 0 : keys_.counter + 1;
            counter = {static_cast<uint8_t>(keys_.counter >> 16), static_cast<uint8_t>(keys_.counter >> 8),
                       static_cast<uint8_t>(keys_.counter)};
            card_ = scp03Derive(keys_.enc, kCardChallenge, concat({counter, aid_}), kCryptogramBits);
        } else {
            card_ = randomBytes(kChallenge);
        }
        Bytes context = concat({host_, card_});
        size_t bits = keys_.enc.size() * 8;
        sessionEnc_ = scp03Derive(keys_.enc, kSessionEnc, context, bits);
        sessionMac_ = scp03Derive(keys_.mac, kSessionMac, context, bits);
        sessionRMac_ = scp03Derive(keys_.mac, kSessionRMac, context, bits);
        Bytes out = kdd_;
        out.insert(out.end(), {keys_.version, 0x03, keys_.i});
        Bytes cryptogram = scp03Derive(sessionMac_, kCardCryptogram, context, kCryptogramBits);
        out = concat({out, card_, cryptogram, counter});
        return {out, kOk};
    }

    uint16_t authenticate(const Command &c) override
    {
        if (!securedClass(c.cla))
            return kSecurityNotSatisfied;
        if (c.data.size() != kChallenge + kMac)
            return kWrongLength;
        Bytes cryptogram(c.data.begin(), c.data.begin() + kChallenge);
        if (cryptogram != scp03Derive(sessionMac_, kHostCryptogram, concat({host_, card_}), kCryptogramBits))
            return kAuthenticationFailed;
        if (!levelAllowed(c.p1))
            return kWrongP1P2;
        chain_ = Bytes(kBlock, 0);
        if (!macMatches(c, Bytes(c.data.begin(), c.data.begin() + kChallenge)))
            return kSecurityNotSatisfied;
        counter_ = 0;
        level_ = c.p1;
        open_ = true;
        return kOk;
    }

    uint16_t unwrap(Command &c) override
    {
        ++counter_; // every command of the session, data or none
        if ((level_ & kCMac) == 0)
            return securedClass(c.cla) ? kSecurityNotSatisfied : kOk;
        if (!securedClass(c.cla) || c.data.size() < kMac || c.data.size() > 255)
            return kSecurityNotSatisfied;
        Bytes body(c.data.begin(), c.data.end() - kMac);
        if (!macMatches(c, body))
            return kSecurityNotSatisfied;
        if ((level_ & kCDecryption) != 0 && !body.empty()) {
            if (body.size() % kBlock != 0)
                return kBadSecureMessaging;
            body = aesCbc(sessionEnc_, icv(false), body, false);
            if (!unpad80(body))
                return kBadSecureMessaging;
        }
        c.cla = static_cast<uint8_t>(c.cla & ~0x04);
        c.data = body;
        return kOk;
    }

    Reply wrap(const Bytes &data, uint16_t sw) override
    {
        if ((level_ & kRMac) == 0)
            return {data, sw};
        if (!protectedStatus(sw))
            return {{}, sw};
        Bytes out = data;
        if ((level_ & kREncryption) != 0 && !out.empty())
            out = aesCbc(sessionEnc_, icv(true), pad80(out, kBlock), true);
        Bytes mac = aesCmac(sessionRMac_, concat({chain_, out, {static_cast<uint8_t>(sw >> 8), static_cast<uint8_t>(sw)}}));
        out.insert(out.end(), mac.begin(), mac.begin() + kMac);
        return {out, sw};
    }

private:
    bool levelAllowed(uint8_t level) const
    {
        switch (level) {
        case 0x00:
        case kCMac:
        case kCMac | kCDecryption:
            return true;
        case kCMac | kRMac:
        case kCMac | kCDecryption | kRMac:
            return (keys_.i & kRMacSupported) != 0;
        case kCMac | kCDecryption | kRMac | kREncryption:
            return (keys_.i & kREncryptionSupported) != 0;
        default:
            return false;
        }
    }

    // The C-MAC over the chaining value, the header (class with secure
    // messaging, no logical channel; Lc with the MAC) and the data as sent;
    // a match moves the chain on.
    bool macMatches(const Command &c, const Bytes &body)
    {
        Bytes header = {static_cast<uint8_t>((c.cla & 0xF0) | 0x04), c.ins, c.p1, c.p2,
                        static_cast<uint8_t>(body.size() + kMac)};
        Bytes full = aesCmac(sessionMac_, concat({chain_, header, body}));
        if (!std::equal(full.begin(), full.begin() + kMac, c.data.end() - kMac))
            return false;
        chain_ = full;
        return true;
    }

    // The ICV of command data: the encryption counter enciphered; for
    // response data the counter's first byte is 80.
    Bytes icv(bool response) const
    {
        Bytes block(kBlock, 0);
        for (size_t n = 0; n < 8; ++n)
            block[kBlock - 1 - n] = static_cast<uint8_t>(counter_ >> (8 * n));
        if (response)
            block[0] = 0x80;
        return aesCbc(sessionEnc_, Bytes(kBlock, 0), block, true);
    }

    GpKeySet &keys_;
    Bytes kdd_, aid_;
    Bytes host_, card_;
    Bytes sessionEnc_, sessionMac_, sessionRMac_;
    Bytes chain_;           // the MAC chaining value
    uint64_t counter_ = 0;  // the encryption counter
};

} // namespace

std::unique_ptr<SecureChannel> makeScp03(GpKeySet &keys, const Bytes &kdd, const Bytes &aid)
{
    return std::make_unique<Scp03>(keys, kdd, aid);
}

} // namespace vcard::gp
