// Every text the card layer writes or throws, in one place.
#pragma once

namespace pelorn::card::text {

// Reader registry and connection.
inline constexpr char kNoReaderOnSystem[] = "No smart card reader found on the system";
inline constexpr char kNoReaderWithCard[] = "No Reader with an inserted smart card found";
inline constexpr char kConnectingExclusive[] = "Connecting to reader \"%s\" in exclusive mode.\n";
inline constexpr char kConnectingShared[] = "Connecting to reader \"%s\" in shared mode.\n";
inline constexpr char kConnectedT0[] = "Connected. Protocol = T0\n";
inline constexpr char kConnectedT1[] = "Connected. Protocol = T1\n";
inline constexpr char kReconnectFailed[] = "Error occured while reconnecting to reader \"%s\" (%s)";
inline constexpr char kManagerUnreachable[] = "Error occured while connecting to smart card manager (%s)";
inline constexpr char kConnectFailed[] = "Error occured while connecting to reader \"%s\" (%s)";
inline constexpr char kNoCurrentReader[] = "No current reader has been set yet";
inline constexpr char kResetFailed[] = "Error occured while resetting smart card (%s)";
inline constexpr char kCardNotConnected[] = "Card not connected";
inline constexpr char kIndexOutOfBounds[] = "The given reader index is out of bounds";
inline constexpr char kReaderListFailed[] = "Error occured while getting smart card readers list (%s)";
inline constexpr char kNoCurrentReaderYet[] = "No current smart card reader has been set yet";

// APDU exchange.
inline constexpr char kReaderNotConnected[] = "Reader \"%s\" is not connected";
inline constexpr char kMalformedCommand[] = "Malformated APDU command";
inline constexpr char kTransmitFailed[] = "Error occured while sending APDU to reader \"%s\": %s";
inline constexpr char kShortResponse[] = "Too short response (%d bytes) received from the card on reader \"%s\"";
inline constexpr char kInvalidHexCommand[] = "Invalid hex character(s) in APDU string";

// Presence, ATR and waiting.
inline constexpr char kPresenceManagerUnreachable[] =
    "IsCardPresent: Error occured while connecting to smart card manager (%s)";
inline constexpr char kPresenceStateFailed[] = "IsCardPresent: Error occured while getting reader \"%s\" state (%s)";
inline constexpr char kStateFailed[] = "Error occured while getting reader \"%s\" state (%s)";
inline constexpr char kNoCardForAtr[] = "No card present on reader \"%s\", so no ATR can be returned";
inline constexpr char kMuteCardForAtr[] = "Card is mute on reader \"%s\", so no ATR can be returned";
inline constexpr char kNoReaderConnected[] = "No reader is connected";
inline constexpr char kWaitArguments[] = "Function \"waitForCard\" takes an optional boolean argument";

} // namespace pelorn::card::text
