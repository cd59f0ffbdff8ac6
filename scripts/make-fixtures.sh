#!/usr/bin/env bash
# Regenerates the Intel HEX fixtures under tests/device/fixtures/ with real toolchains, and the
# binary images srec_cat makes of them, which the reader's output is compared against.
# Needs: apt-get install sdcc gcc-avr avr-libc binutils-avr srecord (not needed to build or test).
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/device/fixtures
src=$out/src
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in sdcc packihx avr-gcc avr-objcopy srec_cat; do
  command -v "$tool" >/dev/null || { echo "make-fixtures: $tool is missing" >&2; exit 1; }
done

# An 8051 program for AT89C2051 (sdcc writes LF line ends and records out of address order).
sdcc -mmcs51 --code-size 2048 -o "$work/blink51.ihx" "$src/blink51.c"
packihx "$work/blink51.ihx" > "$out/sdcc_blink51_at89c2051.hex"

# An AVR program for AT90S2313 (avr-objcopy writes CR LF line ends).
avr-gcc -mmcu=at90s2313 -Os -o "$work/blinkavr.elf" "$src/blinkavr.c"
avr-objcopy -O ihex -R .eeprom "$work/blinkavr.elf" "$out/avrgcc_blinkavr_at90s2313.hex"

# srec_cat: 32-byte records around a hole, with an extended linear address (04h, base 0) and a
# start linear address (05h).
srec_cat -generate 0x0000 0x0040 -repeat-string "kvqor" -generate 0x1000 0x1020 -constant 0xA5 \
  -execution-start-address 0x0100 -o "$out/srec_linear_hole.hex" -intel -address-length=4

# srec_cat: segment addressing (02h, base 0) with a start segment address (03h), CR LF line ends.
srec_cat -generate 0x0000 0x0300 -repeat-string "KV-QOR V3.01 " -execution-start-address 0x0000 \
  -o "$out/srec_segment_crlf.hex" -intel -address-length=3 -crlf

# srec_cat: the longest records the format allows, 255 data bytes each.
srec_cat -generate 0x0000 0x0800 -repeat-data 0x00 0x01 0x7F 0x80 0xFE 0xFF 0x20 0x41 \
  -o "$out/srec_255byte_records.hex" -intel -output_block_size=255

# Data above FFFFh, which the reader refuses: through a linear base and through a segment base.
srec_cat -generate 0x10000 0x10010 -constant 0x11 -o "$out/srec_above64k_linear.hex" -intel
srec_cat -generate 0x10000 0x10010 -constant 0x11 -o "$out/srec_above64k_segment.hex" -intel -address-length=3

# Binary images of the loadable files: from 0000h to the highest address, holes as FFh, which is
# what the reader leaves in bytes no record names.
for hex in sdcc_blink51_at89c2051 avrgcc_blinkavr_at90s2313 srec_linear_hole srec_segment_crlf srec_255byte_records; do
  srec_cat "$out/$hex.hex" -intel -fill 0xFF 0x0000 -maximum-address "$out/$hex.hex" -intel \
    -o "$out/$hex.bin" -binary
done
echo "make-fixtures: done"
