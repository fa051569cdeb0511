// The lead bytes of code page 932 (Shift-JIS), for testing double-byte text
// natively. Some of its characters end in 0x5C: 表 is 95 5C, ソ is 83 5C.
#pragma once

namespace testing_support {

inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace testing_support
