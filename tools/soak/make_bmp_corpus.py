#!/usr/bin/env python3
"""Writes the hostile bitmap corpus: broken, lying and unusual .bmp files, plus a manifest of
what the game's loader must make of each.

    tools/soak/make_bmp_corpus.py [OUTPUT_DIR]      (default: tests/corpus/bmp)

Manifest lines (manifest.txt, one file a line):

    NAME picture W H P0 P1 ...   decodes to W x H pixels, 0xAARRGGBB, top row first
    NAME empty                   loads as an empty 0 x 0 image
    NAME either                  malformed in a way readers disagree about: empty, or W x H as
                                 the header claims, and never a crash
    NAME DECODER OUTCOME ...     what one decoder (sdl or gdiplus) makes of the file instead,
                                 where the libraries rightly differ; follows the general line

The output is deterministic, so rerunning the script over the checked-in corpus changes nothing.
"""

import base64
import os
import struct
import sys

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_JPEG, BI_PNG = 0, 1, 2, 3, 4, 5


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def file_header(total_size, data_offset):
    return b"BM" + u32(total_size) + u16(0) + u16(0) + u32(data_offset)


def info_header(width, height, bits, compression=BI_RGB, image_size=0, colours_used=0):
    return (u32(40) + u32(width) + u32(height) + u16(1) + u16(bits) + u32(compression) +
            u32(image_size) + u32(2835) + u32(2835) + u32(colours_used) + u32(0))


def assemble(info, palette, pixels, extra=b""):
    """A file header, the info header, optional masks or palette, then the pixel data."""
    offset = 14 + len(info) + len(palette) + len(extra)
    return file_header(offset + len(pixels), offset) + info + extra + palette + pixels


def pad_row(row):
    return row + b"\0" * (-len(row) % 4)


def palette_bytes(colours, entry_size=4):
    out = b""
    for argb in colours:
        bgr = bytes([argb & 0xFF, (argb >> 8) & 0xFF, (argb >> 16) & 0xFF])
        out += bgr + (b"\0" if entry_size == 4 else b"")
    return out


def opaque(rgb):
    return 0xFF000000 | rgb


# A small picture with every pixel different, so a swapped row, column or channel shows.
PICTURE = [
    [0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000],
    [0x123456, 0x654321, 0xABCDEF, 0xFEDCBA, 0x0F0F0F],
    [0x808080, 0xFF00FF, 0x00FFFF, 0xFFFF00, 0x102030],
]


def rows_bottom_up(picture, top_down):
    return picture if top_down else list(reversed(picture))


def rgb24(picture, top_down=False):
    h, w = len(picture), len(picture[0])
    data = b""
    for row in rows_bottom_up(picture, top_down):
        data += pad_row(b"".join(bytes([p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF]) for p in row))
    return assemble(info_header(w, -h if top_down else h, 24), b"", data)


def expected(picture):
    return [opaque(p) for row in picture for p in row]


def indexed(indices, colours, bits, colours_used=None):
    """1-, 4- or 8-bit pixels, most significant bits first within a byte."""
    h, w = len(indices), len(indices[0])
    if colours_used is None:
        colours_used = len(colours)
    data = b""
    for row in reversed(indices):
        packed, acc, nbits = b"", 0, 0
        for index in row:
            acc = (acc << bits) | index
            nbits += bits
            if nbits == 8:
                packed += bytes([acc])
                acc, nbits = 0, 0
        if nbits:
            packed += bytes([acc << (8 - nbits)])
        data += pad_row(packed)
    return assemble(info_header(w, h, bits, colours_used=colours_used), palette_bytes(colours), data)


def indexed_expected(indices, colours):
    return [opaque(colours[i]) for row in indices for i in row]


def rle(indices, bits, stream, colours):
    h, w = len(indices), len(indices[0])
    compression = BI_RLE8 if bits == 8 else BI_RLE4
    return assemble(info_header(w, h, bits, compression, len(stream), len(colours)),
                    palette_bytes(colours), stream)


def write_all(out_dir):
    files = {}      # name -> bytes
    manifest = []   # lines

    def picture(name, data, width, height, pixels):
        assert len(pixels) == width * height, name
        files[name] = data
        manifest.append("%s picture %d %d %s" % (name, width, height,
                                                  " ".join("%08X" % p for p in pixels)))

    def only_for(decoder, name, width, height, pixels):
        manifest.append("%s %s picture %d %d %s" % (name, decoder, width, height,
                                                     " ".join("%08X" % p for p in pixels)))

    def empty(name, data):
        files[name] = data
        manifest.append("%s empty" % name)

    def either(name, data):
        files[name] = data
        manifest.append("%s either" % name)

    # --- Unusual but valid: each must decode to exactly the picture it encodes. ---
    picture("valid_rgb24_bottom_up.bmp", rgb24(PICTURE), 5, 3, expected(PICTURE))
    picture("valid_rgb24_top_down.bmp", rgb24(PICTURE, top_down=True), 5, 3, expected(PICTURE))
    picture("valid_one_pixel.bmp", rgb24([[0xC0FFEE]]), 1, 1, [opaque(0xC0FFEE)])
    picture("valid_trailing_garbage.bmp", rgb24(PICTURE) + b"\xde\xad\xbe\xef" * 64, 5, 3,
            expected(PICTURE))

    two = [0x102030, 0xF0E0D0]
    ones = [[(x * 3 + y) % 2 for x in range(10)] for y in range(3)]  # crosses a byte boundary
    picture("valid_pal1.bmp", indexed(ones, two, 1), 10, 3, indexed_expected(ones, two))

    sixteen = [(i * 0x111111) ^ 0x0A0B0C for i in range(16)]
    fours = [[(x + 5 * y) % 16 for x in range(7)] for y in range(3)]  # odd width: half a byte left
    picture("valid_pal4.bmp", indexed(fours, sixteen, 4, colours_used=0), 7, 3, indexed_expected(fours, sixteen))

    six = [0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x7F7F7F]
    eights = [[(x + 2 * y) % 6 for x in range(5)] for y in range(3)]
    picture("valid_pal8_short_palette.bmp", indexed(eights, six, 8, colours_used=6), 5, 3,
            indexed_expected(eights, six))

    # The fourth byte of a palette entry is reserved; a reader must not take it for alpha.
    pal = palette_bytes(six)
    pal = b"".join(pal[i:i + 3] + b"\x40" for i in range(0, len(pal), 4))
    data = b"".join(pad_row(bytes(row)) for row in reversed(eights))
    picture("valid_pal8_reserved_byte_set.bmp", assemble(info_header(5, 3, 8, colours_used=6), pal, data),
            5, 3, indexed_expected(eights, six))

    # 16 bits, 5-5-5: every channel 0 or 31, so the widening to 8 bits is unambiguous.
    def p555(r, g, b):
        return (r << 10) | (g << 5) | b
    words = [[p555(31, 0, 0), p555(0, 31, 0), p555(0, 0, 31), p555(31, 31, 31)],
             [p555(0, 0, 0), p555(31, 31, 0), p555(0, 31, 31), p555(31, 0, 31)]]
    exp555 = [opaque((0xFF0000 if w >> 10 & 31 else 0) | (0xFF00 if w >> 5 & 31 else 0) |
                     (0xFF if w & 31 else 0)) for row in words for w in row]
    data = b"".join(pad_row(b"".join(u16(w) for w in row)) for row in reversed(words))
    picture("valid_rgb16_555.bmp", assemble(info_header(4, 2, 16), b"", data), 4, 2, exp555)

    def p565(r, g, b):
        return (r << 11) | (g << 5) | b
    words = [[p565(31, 0, 0), p565(0, 63, 0), p565(0, 0, 31)], [p565(31, 63, 31), 0, p565(31, 63, 0)]]
    exp565 = [opaque((0xFF0000 if w >> 11 & 31 else 0) | (0xFF00 if w >> 5 & 63 else 0) |
                     (0xFF if w & 31 else 0)) for row in words for w in row]
    data = b"".join(pad_row(b"".join(u16(w) for w in row)) for row in reversed(words))
    masks = u32(0xF800) + u32(0x07E0) + u32(0x001F)
    picture("valid_rgb16_565_bitfields.bmp",
            assemble(info_header(3, 2, 16, BI_BITFIELDS), b"", data, extra=masks), 3, 2, exp565)

    def rgb32(picture_rows, reserved):
        data = b""
        for y, row in enumerate(reversed(picture_rows)):
            for x, p in enumerate(row):
                data += bytes([p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF, reserved(x, y)])
        return assemble(info_header(len(picture_rows[0]), len(picture_rows), 32), b"", data)

    picture("valid_rgb32.bmp", rgb32(PICTURE, lambda x, y: 0), 5, 3, expected(PICTURE))
    # Without an alpha mask the fourth byte carries nothing: white must still read as opaque
    # white, or the figure's key colour would stop matching.
    picture("valid_rgb32_reserved_byte_set.bmp", rgb32(PICTURE, lambda x, y: (x * 40 + y * 7) % 256),
            5, 3, expected(PICTURE))

    # A version 5 header that does declare alpha: that alpha is kept.
    translucent = [0x80FF0000, 0xFF00FF00, 0x00000000, 0x400000FF]
    v5 = (u32(124) + u32(2) + u32(2) + u16(1) + u16(32) + u32(BI_BITFIELDS) + u32(16) +
          u32(2835) + u32(2835) + u32(0) + u32(0) +
          u32(0x00FF0000) + u32(0x0000FF00) + u32(0x000000FF) + u32(0xFF000000) +
          b"BGRs" + b"\0" * 36 + u32(0) * 3 + u32(4) + u32(0) * 3)
    assert len(v5) == 124
    data = b"".join(u32(p) for p in translucent[2:] + translucent[:2])  # bottom row first
    picture("valid_argb32_v5_alpha.bmp", assemble(v5, b"", data), 2, 2, translucent)
    # GDI+ reads every bitmap file as opaque, whatever its header declares.
    only_for("gdiplus", "valid_argb32_v5_alpha.bmp", 2, 2, [0xFF000000 | p for p in translucent])

    # The old 12-byte core header with 16-bit sizes and 3-byte palette entries.
    core = u32(12) + u16(3) + u16(2) + u16(1) + u16(8)
    trio = [0x11AA22, 0x33BB44, 0x55CC66]
    idx = [[0, 1, 2], [2, 1, 0]]
    data = b"".join(pad_row(bytes(row)) for row in reversed(idx))
    picture("valid_core_header_pal8.bmp", assemble(core, palette_bytes(trio, 3) + palette_bytes([0] * 253, 3),
                                                    data), 3, 2, indexed_expected(idx, trio))

    # Run-length encoded, 8 bits: encoded runs, an absolute run with its word padding, end of
    # line and end of bitmap. Every pixel is written, so there is one right answer.
    idx = [[1, 1, 1, 2, 2, 2], [3, 4, 5, 3, 4, 0], [0, 0, 0, 0, 0, 0], [5, 4, 3, 2, 1, 0]]
    # Rows are stored bottom-up.
    stream = (bytes([0, 6, 5, 4, 3, 2, 1, 0, 0, 0]) +        # absolute: 5 4 3 2 1 0, then EOL
              bytes([6, 0, 0, 0]) +                          # six 0s, EOL
              bytes([0, 5, 3, 4, 5, 3, 4, 0]) + bytes([1, 0, 0, 0]) +  # absolute of 5 (padded) + one 0, EOL
              bytes([3, 1, 3, 2, 0, 1]))                     # 1 1 1 2 2 2, end of bitmap
    picture("valid_rle8.bmp", rle(idx, 8, stream, six), 6, 4, indexed_expected(idx, six))

    # Run-length encoded, 4 bits, odd width: a run alternates its two nibbles; absolute runs
    # pack two pixels a byte and pad to a word.
    idx = [[1, 2, 1, 2, 1, 3, 3], [4, 5, 4, 5, 4, 5, 4], [0, 1, 2, 3, 4, 5, 0]]
    stream = (bytes([0, 7, 0x01, 0x23, 0x45, 0x00, 0, 0]) +  # bottom: absolute 0 1 2 3 4 5 0, EOL
              bytes([7, 0x45, 0, 0]) +                        # 4 5 4 5 4 5 4, EOL
              bytes([5, 0x12, 2, 0x33, 0, 1]))                # 1 2 1 2 1, then 3 3, end of bitmap
    picture("valid_rle4.bmp", rle(idx, 4, stream, six), 7, 3, indexed_expected(idx, six))

    # --- Broken or lying: each must load as an empty image, quickly and without a large
    # allocation. ---
    good = rgb24(PICTURE)
    empty("bad_empty_file.bmp", b"")
    empty("bad_truncated_file_header.bmp", good[:10])
    empty("bad_truncated_info_header.bmp", good[:30])
    big = rgb24([[(x * 7 + y * 13) & 0xFFFFFF for x in range(40)] for y in range(40)])
    empty("bad_truncated_pixels.bmp", big[:54 + 120 * 20])
    empty("bad_truncated_last_row.bmp", big[:-7])
    pal8 = indexed(eights, six, 8)
    empty("bad_truncated_palette.bmp", pal8[:54 + 10])
    empty("bad_zero_width.bmp", assemble(info_header(0, 3, 24), b"", b""))
    empty("bad_zero_height.bmp", assemble(info_header(5, 0, 24), b"", b""))
    empty("bad_zero_both.bmp", assemble(info_header(0, 0, 32), b"", b""))
    tail = b"\x55" * 64
    # 65536 x 65536: the pixel count is exactly 2^32, zero in 32 bits.
    empty("bad_size_overflows_32_bits.bmp", assemble(info_header(65536, 65536, 24), b"", tail))
    # 65537 x 65535 x 4 bytes: the byte count wraps to a few kilobytes in 32 bits.
    empty("bad_bytes_overflow_32_bits.bmp", assemble(info_header(65537, 65535, 32), b"", tail))
    empty("bad_claims_gigabytes.bmp", assemble(info_header(0x7FFFFFFF, 0x7FFFFFFF, 32), b"", tail))
    empty("bad_claims_16384_square.bmp", assemble(info_header(16384, 16384, 24), b"", tail))
    empty("bad_claims_4096_square_tiny_file.bmp", assemble(info_header(4096, 4096, 32), b"", tail))
    empty("bad_negative_width.bmp", assemble(info_header(-5, 3, 24), b"", tail))
    empty("bad_height_int_min.bmp", assemble(info_header(5, -0x80000000, 24), b"", tail))
    empty("bad_core_header_huge.bmp", assemble(u32(12) + u16(0xFFFF) + u16(0xFFFF) + u16(1) + u16(24),
                                               b"", tail))
    for bits in (0, 2, 7, 64, 0xFFFF):
        empty("bad_bits_per_pixel_%d.bmp" % bits, assemble(info_header(5, 3, bits), b"", tail * 4))
    empty("bad_compression_jpeg.bmp", assemble(info_header(5, 3, 24, BI_JPEG), b"", b"\xff\xd8\xff" + tail))
    empty("bad_compression_png.bmp", assemble(info_header(5, 3, 24, BI_PNG), b"", b"\x89PNG" + tail))
    empty("bad_compression_unknown.bmp", assemble(info_header(5, 3, 24, 0xFFFFFFFF), b"", tail))
    empty("bad_rle8_with_24_bits.bmp", assemble(info_header(5, 3, 24, BI_RLE8), b"", tail))
    empty("bad_rle4_with_8_bits.bmp", assemble(info_header(5, 3, 8, BI_RLE4), palette_bytes(six), tail))
    empty("bad_palette_count_huge.bmp", assemble(info_header(5, 3, 8, colours_used=0xFFFFFFFF),
                                                  palette_bytes(six), tail))
    empty("bad_palette_count_257.bmp", assemble(info_header(5, 3, 8, colours_used=257),
                                                 palette_bytes(six), tail))
    empty("bad_palette_count_17_for_4_bits.bmp", assemble(info_header(7, 3, 4, colours_used=17),
                                                           palette_bytes(sixteen), tail))
    lying = bytearray(good)
    lying[10:14] = u32(0xFFFFFFF0)
    empty("bad_data_offset_beyond_end.bmp", bytes(lying))
    lying = bytearray(good)
    lying[10:14] = u32(len(good) - 10)
    empty("bad_data_offset_near_end.bmp", bytes(lying))
    lying = bytearray(good)
    lying[14:18] = u32(0xFFFFFFF0)
    empty("bad_info_size_huge.bmp", bytes(lying))
    lying = bytearray(good)
    lying[14:18] = u32(0)
    empty("bad_info_size_zero.bmp", bytes(lying))
    empty("bad_not_a_bitmap.bmp", b"This is a text file, not a picture.\n" * 4)
    empty("bad_png_signature.bmp", b"\x89PNG\r\n\x1a\n" + b"\0" * 64)
    empty("bad_magic_only.bmp", b"BM")
    # Claims a large run-length picture and stops after one run: the decoder must give up
    # rather than invent the rest.
    empty("bad_rle8_large_claim_truncated.bmp",
          assemble(info_header(4096, 4096, 8, BI_RLE8, 4), palette_bytes(six), bytes([255, 1])))
    # What the fuzzer found: a 4096 x 4096 run-length picture in a few bytes, one run and then an
    # end of bitmap. Decoding it would cost 80 MB for a picture that is almost all unpainted.
    empty("bad_rle8_bomb.bmp", assemble(info_header(4096, 4096, 8, BI_RLE8, 6), palette_bytes(six),
                                        bytes([255, 1, 0, 0, 0, 1])))
    empty("fuzz_oom_rle8_4096_square.bmp", base64.b64decode(  # the fuzzer's own find, as it was
        "Qk1QAAAAAAAAAE4AAAAoAAAAABAAAAAQAAABAAgAAQAAAAQAAAATCwAAEwsAAAAAAAAAAAAAAAAAAAAA/wAA/wAA/wAAAFAA"
        "AAAAAAAATgAAACgcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwcHBwAAAAAEAAAABAAAAEACAABAAAABAAAABMLAAATCwAAAAAA"
        "AAAAAAAAAAAAAAD/AAD/AAD/AAAA////AH9/////AH9/fwD/AQ=="))
    empty("bad_rle4_bomb.bmp", assemble(info_header(4096, 4096, 4, BI_RLE4, 4), palette_bytes(six),
                                        bytes([255, 0x12, 0, 1])))
    empty("bad_rle8_truncated.bmp", rle(idx, 8, bytes([3, 1, 3, 2, 0]), six))

    # --- Malformed in ways readers disagree about: no crash, and no picture of the wrong size.
    either("odd_rle8_run_past_row_end.bmp", rle([[0] * 4] * 2, 8, bytes([200, 1, 0, 0, 200, 2, 0, 1]), six))
    either("odd_rle8_absolute_past_row_end.bmp",
           rle([[0] * 4] * 2, 8, bytes([0, 9]) + bytes(range(9)) + b"\0" + bytes([0, 1]), six))
    either("odd_rle8_delta_past_end.bmp", rle([[0] * 4] * 2, 8, bytes([0, 2, 250, 250, 2, 1, 0, 1]), six))
    either("odd_rle8_no_end_marker.bmp", rle([[0] * 4] * 2, 8, bytes([4, 1, 0, 0, 4, 2, 0, 0]), six))
    either("odd_rle4_run_past_row_end.bmp", rle([[0] * 3] * 2, 4, bytes([255, 0x12, 0, 0, 0, 1]), six))
    either("odd_rle8_index_beyond_palette.bmp", rle([[0] * 4] * 2, 8, bytes([4, 200, 0, 0, 4, 255, 0, 1]), six))
    either("odd_pal8_index_beyond_palette.bmp", indexed([[0, 5, 200, 255]] * 2, six, 8, colours_used=6))
    either("odd_bitfields_zero_masks.bmp",
           assemble(info_header(2, 2, 32, BI_BITFIELDS), b"", b"\x11" * 16, extra=u32(0) * 3))
    either("odd_bitfields_overlapping_masks.bmp",
           assemble(info_header(2, 2, 16, BI_BITFIELDS), b"", b"\x22" * 8,
                    extra=u32(0xFFFF) + u32(0xFF00) + u32(0x0FF0)))
    either("odd_bitfields_with_24_bits.bmp",
           assemble(info_header(2, 2, 24, BI_BITFIELDS), b"", b"\x33" * 16,
                    extra=u32(0xFF0000) + u32(0xFF00) + u32(0xFF)))
    lying = bytearray(good)
    lying[10:14] = u32(14)  # pixel data said to start inside the headers
    either("odd_data_offset_inside_header.bmp", bytes(lying))
    lying = bytearray(good)
    lying[2:6] = u32(0xFFFFFFFF)  # the file-size field is unused by readers
    either("odd_file_size_field_wrong.bmp", bytes(lying))

    os.makedirs(out_dir, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    with open(os.path.join(out_dir, "manifest.txt"), "w") as f:
        f.write("# Written by tools/soak/make_bmp_corpus.py; see there for the format.\n")
        f.write("\n".join(manifest) + "\n")
    return len(files)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "corpus", "bmp")
    print("%d files written to %s" % (write_all(out), os.path.normpath(out)))
