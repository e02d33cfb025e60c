#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The converter's configuration: one fixed block of 640 bytes, the same bytes on the device, in
// configuration files and on the pages. Users work on byte offsets; every byte nobody edits is
// carried unchanged.
namespace vandrel {

inline constexpr std::size_t kConfigSize = 640;

struct ConverterConfig {
    std::array<std::uint8_t, kConfigSize> bytes{};
};

static_assert(sizeof(ConverterConfig) == kConfigSize);

// Byte offsets of the record's fields; part of the device and file format.
namespace ConfigOffset {
inline constexpr std::size_t tag = 0x000;
inline constexpr std::size_t languageName = 0x002;
inline constexpr std::size_t p11Select = 0x022;
inline constexpr std::size_t p11Number = 0x023;
inline constexpr std::size_t p11Options = 0x024;
inline constexpr std::size_t p11Choice = 0x025;
inline constexpr std::size_t p11Count = 0x026;
inline constexpr std::size_t p11Reserved = 0x027;
inline constexpr std::size_t number1 = 0x02a;
inline constexpr std::size_t number1Length = 0x03e;
inline constexpr std::size_t number2 = 0x03f;
inline constexpr std::size_t number2Length = 0x053;
inline constexpr std::size_t p12Flags = 0x054;
inline constexpr std::size_t p12Scaled = 0x055;
inline constexpr std::size_t p12ListIndex = 0x056;
inline constexpr std::size_t number1OptionA = 0x057;
inline constexpr std::size_t number2OptionA = 0x058;
inline constexpr std::size_t number1OptionB = 0x059;
inline constexpr std::size_t number2OptionB = 0x05a;
inline constexpr std::size_t p12Checks = 0x05b;
inline constexpr std::size_t p12Reserved = 0x05c;
inline constexpr std::size_t p21Code1On = 0x05e;
inline constexpr std::size_t p21Code1Off = 0x073;
inline constexpr std::size_t p21Code2On = 0x088;
inline constexpr std::size_t p21Code2Off = 0x09d;
inline constexpr std::size_t p21Code3On = 0x0b2;
inline constexpr std::size_t p21Code3Off = 0x0c7;
inline constexpr std::size_t p22Code1 = 0x0dc;
inline constexpr std::size_t p22Code2 = 0x0f1;
inline constexpr std::size_t p22Code3 = 0x106;
inline constexpr std::size_t p22Code4 = 0x11b;
inline constexpr std::size_t p22Code5 = 0x130;
inline constexpr std::size_t p22Code6 = 0x145;
inline constexpr std::size_t p22Code7 = 0x15a;
inline constexpr std::size_t p23Code = 0x16f;
inline constexpr std::size_t p24Code = 0x184;
inline constexpr std::size_t p12Code = 0x199;
inline constexpr std::size_t p12Digits = 0x1ae;
inline constexpr std::size_t spareCodes = 0x1c3;
inline constexpr std::size_t enableBits = 0x22c;
inline constexpr std::size_t enableBits2 = 0x22d;
inline constexpr std::size_t password = 0x22e;
inline constexpr std::size_t p12Value1 = 0x24e;
inline constexpr std::size_t p12Value2 = 0x24f;
inline constexpr std::size_t p12Value3 = 0x250;
inline constexpr std::size_t p12Value4 = 0x251;
inline constexpr std::size_t p12Reserved2 = 0x252;
inline constexpr std::size_t reserved = 0x258;
} // namespace ConfigOffset

// Sizes of the fields that are wider than one byte.
namespace ConfigSize {
inline constexpr std::size_t tag = 2;
inline constexpr std::size_t languageName = 32;
inline constexpr std::size_t p11Reserved = 3;
inline constexpr std::size_t number = 20; // number1, number2: characters only, length follows
inline constexpr std::size_t p12Reserved = 2;
inline constexpr std::size_t codeField = 21;
inline constexpr std::size_t spareCodes = 105;
inline constexpr std::size_t password = 32;
inline constexpr std::size_t p12Reserved2 = 6;
inline constexpr std::size_t reserved = 40;
} // namespace ConfigSize

// Bits of `enableBits`: each switch makes its code fields editable and mandatory.
namespace EnableBit {
inline constexpr std::uint8_t p21Code1 = 0x01;
inline constexpr std::uint8_t p21Code2 = 0x02;
inline constexpr std::uint8_t p21Code3 = 0x04;
inline constexpr std::uint8_t p22Codes12 = 0x08;
inline constexpr std::uint8_t p22Codes37 = 0x10;
inline constexpr std::uint8_t p23Code = 0x20;
inline constexpr std::uint8_t p24Code = 0x40;
inline constexpr std::uint8_t p12Code = 0x80;
} // namespace EnableBit

// Bits of `enableBits2`.
namespace EnableBit2 {
inline constexpr std::uint8_t p12Digits = 0x01;
} // namespace EnableBit2

// Fills `record` with the factory defaults; a null record is ignored.
void ResetToDefaults(ConverterConfig* record);

} // namespace vandrel
