#include "runtime/net/link_wire.h"

#include <cstring>

#include "runtime/core/byte_order.h"

bool EncodeNetMessage(const NetWireMessage& message, std::string& out) {
  if (message.body.size() > kNetMaxBody) return false;
  out.push_back(static_cast<char>(message.type));
  AppendLe16(out, static_cast<uint16_t>(message.body.size()));
  AppendLe16(out, static_cast<uint16_t>(message.target));
  AppendLe16(out, static_cast<uint16_t>(message.sender));
  out += message.body;
  return true;
}

void NetMessageReader::Feed(const uint8_t* data, size_t size) {
  if (failed_ || size == 0) return;
  if (consumed_ > 0) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(reinterpret_cast<const char*>(data), size);
}

NetMessageReader::Result NetMessageReader::Next(NetWireMessage& out) {
  if (failed_) return kBadLength;
  const size_t available = buffer_.size() - consumed_;
  if (available < kNetHeaderSize) return kNeedMore;
  const auto* p = reinterpret_cast<const uint8_t*>(buffer_.data()) + consumed_;
  const size_t length = LoadLe16(p + 1);
  if (length > kNetMaxBody) {
    failed_ = true;
    buffer_.clear();
    buffer_.shrink_to_fit();
    consumed_ = 0;
    return kBadLength;
  }
  if (available < kNetHeaderSize + length) return kNeedMore;
  out.type = p[0];
  out.target = static_cast<int16_t>(LoadLe16(p + 3));
  out.sender = static_cast<int16_t>(LoadLe16(p + 5));
  out.body.assign(reinterpret_cast<const char*>(p + kNetHeaderSize), length);
  consumed_ += kNetHeaderSize + length;
  if (consumed_ == buffer_.size()) {
    buffer_.clear();
    consumed_ = 0;
  }
  return kMessage;
}

std::string EncodePlayerRecord(const NetPlayerRecord& record) {
  std::string out;
  AppendLe32(out, static_cast<uint32_t>(record.slot));
  AppendLe16(out, record.number);
  out.resize(kNetPlayerRecordSize, '\0');
  out[6] = static_cast<char>(record.hidden);
  out[7] = static_cast<char>(record.host);
  std::memcpy(&out[8], record.name, strnlen(record.name, sizeof record.name - 1));
  return out;
}

NetPlayerRecord DecodePlayerRecord(const std::string& body) {
  std::string b = body.substr(0, kNetPlayerRecordSize);
  b.resize(kNetPlayerRecordSize, '\0');
  NetPlayerRecord r;
  r.slot = static_cast<int32_t>(Le32At(ByteSpan(b), 0));
  r.number = NetBodyU16(b, 4);
  r.hidden = static_cast<uint8_t>(b[6]);
  r.host = static_cast<uint8_t>(b[7]);
  std::memcpy(r.name, &b[8], sizeof r.name - 1);
  r.name[sizeof r.name - 1] = '\0';
  return r;
}

std::string NetU16Body(uint16_t value) {
  std::string body;
  AppendLe16(body, value);
  return body;
}

uint16_t NetBodyU16(const std::string& body, size_t at) {
  return Le16At(ByteSpan(body), at);
}

void CutAtZero(std::string& bytes) {
  const size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
}
