// SHA-256 of a byte string, for checking a downloaded installer against the checksum its
// update information names.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // The digest as 64 lower-case hexadecimal digits; the object is spent afterwards.
  std::string HexDigest();

 private:
  void Block(const uint8_t* p);
  uint32_t h_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0;
};

std::string Sha256Hex(const std::string& bytes);

}  // namespace velmora
