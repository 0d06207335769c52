// The multiplayer link's wire format, shared by the commands and the worker
// that relays between machines.
//
// Wire message: a 7-byte little-endian header {type u8, body length u16
// (at most 1024), target i16 (-1 every player, 0 the host), sender i16}
// followed by the body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The number the host gives the first player.
inline constexpr uint16_t kNetFirstPlayer = 101;
// Player numbers with a meaning of their own.
inline constexpr uint16_t kNetAwaitingAnnounce = 0xFFFE;
inline constexpr uint16_t kNetAwaitingAnswer = 0xFFFC;
inline constexpr uint16_t kNetNoNumber = 0xFF00;
inline constexpr uint16_t kNetLastNumber = 0xFEFF;

inline constexpr size_t kNetHeaderSize = 7;
inline constexpr size_t kNetMaxBody = 1024;
inline constexpr size_t kNetPlayerRecordSize = 148;

enum NetMessageType : uint8_t {
  kNetJoin = 1,
  kNetJoinAnswer = 2,
  kNetText = 3,
  kNetLeave = 4,
  kNetQueryCount = 101,
  kNetQueryPlayer = 102,
  kNetQueryName = 103,
  kNetQueryAlive = 104,
};

struct NetWireMessage {
  uint8_t type = 0;
  int16_t target = 0;
  int16_t sender = 0;
  std::string body;
};

// Appends header and body to out. False (nothing appended) for a body longer
// than kNetMaxBody.
bool EncodeNetMessage(const NetWireMessage& message, std::string& out);

// Cuts a byte stream into whole messages. Bytes arrive in any pieces; only
// whole messages come out. A header announcing more than kNetMaxBody bytes
// puts the reader in the failed state, after which it yields nothing.
class NetMessageReader {
 public:
  enum Result { kMessage, kNeedMore, kBadLength };
  void Feed(const uint8_t* data, size_t size);
  Result Next(NetWireMessage& out);
  // Bytes held for a message not yet complete.
  size_t Pending() const { return buffer_.size() - consumed_; }

 private:
  std::string buffer_;
  size_t consumed_ = 0;
  bool failed_ = false;
};

// The join request's body: socket slot i32, number u16, hidden u8, host u8,
// name (128 bytes, NUL-terminated on decode), then 12 reserved zero bytes.
struct NetPlayerRecord {
  int32_t slot = -1;
  uint16_t number = kNetNoNumber;
  uint8_t hidden = 0;
  uint8_t host = 0;
  char name[128] = {};
};
std::string EncodePlayerRecord(const NetPlayerRecord& record);
// Reads as much of the record as the body holds; missing bytes count as 0.
NetPlayerRecord DecodePlayerRecord(const std::string& body);

// Query bodies carry one 16-bit number (an index or a player number).
std::string NetU16Body(uint16_t value);
// The 16-bit field at offset at, 0 when the body is too short to hold it.
uint16_t NetBodyU16(const std::string& body, size_t at = 0);

// Texts and names travel without a terminating zero, but a peer may send
// one; what follows it is nothing a reader of the text would see. Cuts
// bytes at their first zero byte.
void CutAtZero(std::string& bytes);
