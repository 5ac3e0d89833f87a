// SCP02 on the card: three static Triple DES keys, session keys from the
// sequence counter, a retail C-MAC over the modified command with its ICV
// chained (and enciphered with i's bit 10), Triple DES CBC command data.
#include "gp_channel.h"
#include "gp_crypto.h"

namespace vcard::gp {

namespace {

constexpr size_t kChallenge = 8;
constexpr size_t kCardChallenge = 6;
constexpr size_t kMac = 8;
constexpr size_t kBlock = 8;
constexpr uint8_t kIcvEncryption = 0x10;
constexpr uint8_t kPseudoRandomChallenge = 0x40;
constexpr uint32_t kCounterLimit = 0xFFFF;

class Scp02 : public SecureChannel {
public:
    Scp02(GpKeySet &keys, const Bytes &kdd, const Bytes &aid) : keys_(keys), kdd_(kdd), aid_(aid) {}

    Reply initialize(const Bytes &hostChallenge) override
    {
        host_ = hostChallenge;
        counter_ = {static_cast<uint8_t>(keys_.counter >> 8), static_cast<uint8_t>(keys_.counter)};
        sessionEnc_ = derive(keys_.enc, 0x01, 0x82);
        sessionMac_ = derive(keys_.mac, 0x01, 0x01);
        if ((keys_.i & kPseudoRandomChallenge) != 0) {
            Bytes mac = retailMac(sessionMac_, Bytes(kBlock, 0), pad80(aid_, kBlock));
            card_.assign(mac.begin(), mac.begin() + kCardChallenge);
        } else {
            card_ = randomBytes(kCardChallenge);
        }
        Bytes out = kdd_;
        out.push_back(keys_.version);
        out.push_back(0x02);
        out.insert(out.end(), counter_.begin(), counter_.end());
        out.insert(out.end(), card_.begin(), card_.end());
        Bytes cryptogram = tdesMac(sessionEnc_, concat({host_, counter_, card_}));
        out.insert(out.end(), cryptogram.begin(), cryptogram.end());
        return {out, kOk};
    }

    uint16_t authenticate(const Command &c) override
    {
        if (!securedClass(c.cla))
            return kSecurityNotSatisfied;
        if (c.data.size() != kChallenge + kMac)
            return kWrongLength;
        Bytes cryptogram(c.data.begin(), c.data.begin() + kChallenge);
        if (cryptogram != tdesMac(sessionEnc_, concat({counter_, card_, host_})))
            return kAuthenticationFailed;
        // Levels: none, C-MAC, C-MAC with C-DECRYPTION (no R-MAC here).
        if (c.p1 != 0x00 && c.p1 != kCMac && c.p1 != (kCMac | kCDecryption))
            return kWrongP1P2;
        Bytes mac(c.data.begin() + kChallenge, c.data.end());
        Bytes expected = retailMac(sessionMac_, Bytes(kBlock, 0), pad80(concat({header(c, kChallenge), cryptogram}), kBlock));
        if (mac != expected)
            return kSecurityNotSatisfied;
        lastMac_ = mac;
        level_ = c.p1;
        open_ = true;
        keys_.counter = keys_.counter >= kCounterLimit ? 0 : keys_.counter + 1;
        return kOk;
    }

    uint16_t unwrap(Command &c) override
    {
        if ((level_ & kCMac) == 0)
            return securedClass(c.cla) ? kSecurityNotSatisfied : kOk;
        if (!securedClass(c.cla) || c.data.size() < kMac || c.data.size() > 255)
            return kSecurityNotSatisfied;
        Bytes mac(c.data.end() - kMac, c.data.end());
        Bytes body(c.data.begin(), c.data.end() - kMac);
        if ((level_ & kCDecryption) != 0 && !body.empty()) {
            if (body.size() % kBlock != 0)
                return kBadSecureMessaging;
            body = tdesCbc(sessionEnc_, Bytes(kBlock, 0), body, false);
            if (!unpad80(body))
                return kBadSecureMessaging;
        }
        Bytes icv = (keys_.i & kIcvEncryption) != 0 ? desEcb(sessionMac_, lastMac_, true) : lastMac_;
        if (mac != retailMac(sessionMac_, icv, pad80(concat({header(c, body.size()), body}), kBlock)))
            return kSecurityNotSatisfied;
        lastMac_ = mac;
        c.cla = static_cast<uint8_t>(c.cla & ~0x04);
        c.data = body;
        return kOk;
    }

    Reply wrap(const Bytes &data, uint16_t sw) override { return {data, sw}; }

private:
    static Bytes derive(const Bytes &key, uint8_t c1, uint8_t c2, const Bytes &counter)
    {
        Bytes data(16, 0x00);
        data[0] = c1;
        data[1] = c2;
        data[2] = counter[0];
        data[3] = counter[1];
        return tdesCbc(key, Bytes(kBlock, 0), data, true);
    }
    Bytes derive(const Bytes &key, uint8_t c1, uint8_t c2) const { return derive(key, c1, c2, counter_); }

    // The command header the MAC covers: the class with secure messaging,
    // and Lc counting the plain data and the MAC.
    static Bytes header(const Command &c, size_t plainLength)
    {
        return {c.cla, c.ins, c.p1, c.p2, static_cast<uint8_t>(plainLength + kMac)};
    }

    GpKeySet &keys_;
    Bytes kdd_, aid_;
    Bytes host_, card_, counter_;
    Bytes sessionEnc_, sessionMac_;
    Bytes lastMac_;
};

} // namespace

std::unique_ptr<SecureChannel> makeScp02(GpKeySet &keys, const Bytes &kdd, const Bytes &aid)
{
    return std::make_unique<Scp02>(keys, kdd, aid);
}

} // namespace vcard::gp
