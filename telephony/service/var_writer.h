// Fills the variable part of a record behind its fixed part. Fields are
// placed in the order they are put, each only when it fits whole; the
// size the record would need for all of them is counted regardless.
#pragma once

#include <cstring>
#include <string>

#include "platform/windef.h"

namespace telephony::service {

class VarWriter {
 public:
  VarWriter(void* record, DWORD totalSize, DWORD fixedSize)
      : base_(static_cast<BYTE*>(record)), total_(totalSize), used_(fixedSize), needed_(fixedSize) {}

  void Put(DWORD& size, DWORD& offset, const void* data, DWORD length) {
    size = 0;
    offset = 0;
    needed_ += length;
    if (length == 0 || used_ + length > total_) return;
    std::memcpy(base_ + used_, data, length);
    size = length;
    offset = used_;
    used_ += length;
  }
  void Put(DWORD& size, DWORD& offset, const std::string& bytes) {
    Put(size, offset, bytes.data(), static_cast<DWORD>(bytes.size()));
  }

  DWORD Used() const { return used_; }
  DWORD Needed() const { return needed_; }

 private:
  BYTE* base_;
  DWORD total_;
  DWORD used_;
  DWORD needed_;
};

// A text as the record stores it: in the record's string format, with the
// terminating zero (two bytes for UNICODE) unless left out on purpose.
std::string EncodeText(const std::string& text, DWORD stringFormat, bool terminator = true);
// A device-specific blob of the given length (readable filler).
std::string DevSpecificBlob(DWORD length);

// Checks common to every variable-length record: a record too small even for
// its fixed part is refused, with the size it needs when the record has
// room for dwNeededSize.
template <typename Record>
bool FixedPartFits(Record* record, DWORD fixedSize) {
  if (record->dwTotalSize >= fixedSize) return true;
  if (record->dwTotalSize >= 3 * sizeof(DWORD)) record->dwNeededSize = fixedSize;
  return false;
}

// Zeroes the fixed part after the three size words, keeping dwTotalSize.
template <typename Record>
void ClearFixedPart(Record* record, DWORD fixedSize) {
  const DWORD total = record->dwTotalSize;
  std::memset(record, 0, fixedSize);
  record->dwTotalSize = total;
}

}  // namespace telephony::service
