#!/usr/bin/python3
"""Writes the hostile seed files of every fuzz target into tests/fuzz_corpus/<target>/.

Each seed is a small file made here, byte by byte, that once broke a reader or is built to
reach a corner of one: forged 64-bit sizes in RF64, Wave64, WAV files cut short or with a
placeholder length, .npy headers that give a key twice or lie about their length, JSON with a
byte order mark, text whose first value is malformed, forged shard files with their checksum
recomputed, and extreme option and dialog values. The output is the same on every run (no
randomness), so the committed files change only when this script does.

    /usr/bin/python3 scripts/make_fuzz_seeds.py
"""

import json
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "tests", "fuzz_corpus")

W64_RIFF = b"riff" + bytes.fromhex("2e91cf11a5d628db04c10000")
W64_WAVE = b"wave" + bytes.fromhex("f3acd3118cd100c04f8edb8a")
W64_FMT = b"fmt " + bytes.fromhex("f3acd3118cd100c04f8edb8a")
W64_DATA = b"data" + bytes.fromhex("f3acd3118cd100c04f8edb8a")


def pcm16(count):
    return struct.pack("<%dh" % count, *[(i * 37) % 400 - 200 for i in range(count)])


def fmt_chunk(channels=1, bits=16, rate=8000):
    align = channels * bits // 8
    return struct.pack("<HHIIHH", 1, channels, rate, rate * align, align, bits)


def wav(frames, declared_frames, channels=1):
    data = pcm16(frames * channels)
    declared = declared_frames * channels * 2
    body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt_chunk(channels) + b"data" + struct.pack("<I", declared)
    return b"RIFF" + struct.pack("<I", (len(body) + declared) & 0xFFFFFFFF) + body + data


def rf64(riff_size, data_size, sample_count, data_first=False, frames=3):
    ds64 = b"ds64" + struct.pack("<IQQQI", 28, riff_size, data_size, sample_count, 0)
    fmt = b"fmt " + struct.pack("<I", 16) + fmt_chunk()
    data = b"data" + struct.pack("<I", 0xFFFFFFFF) + pcm16(frames)
    chunks = ds64 + (data + fmt if data_first else fmt + data)
    return b"RF64" + struct.pack("<I", 0xFFFFFFFF) + b"WAVE" + chunks


def w64(frames, declared_bytes=None):
    fmt_body = fmt_chunk()
    data = pcm16(frames)
    size = len(data) if declared_bytes is None else declared_bytes
    fmt = W64_FMT + struct.pack("<Q", 24 + len(fmt_body)) + fmt_body
    fmt += b"\0" * ((8 - len(fmt) % 8) % 8)
    chunk = W64_DATA + struct.pack("<Q", (24 + size) & 0xFFFFFFFFFFFFFFFF) + data
    total = 16 + 8 + 16 + len(fmt) + len(chunk)
    return W64_RIFF + struct.pack("<Q", total) + W64_WAVE + fmt + chunk


def aiff(frames, declared_frames):
    rate = b"\x40\x0b\xfa\x00\x00\x00\x00\x00\x00\x00"  # 8000 as an 80-bit extended number
    comm = b"COMM" + struct.pack(">IhIh", 18, 1, declared_frames, 16) + rate
    samples = struct.pack(">%dh" % frames, *[(i * 37) % 400 - 200 for i in range(frames)])
    ssnd = b"SSND" + struct.pack(">III", 8 + declared_frames * 2, 0, 0) + samples
    body = b"AIFF" + comm + ssnd
    return b"FORM" + struct.pack(">I", len(body)) + body


def npy(header, data=b"", version=1):
    text = header.encode("latin-1")
    prefix = 10 if version == 1 else 12
    text += b" " * ((64 - (prefix + len(text) + 1) % 64) % 64) + b"\n"
    length = struct.pack("<H", len(text)) if version == 1 else struct.pack("<I", len(text))
    return b"\x93NUMPY" + bytes([version, 0]) + length + text + data


def fnv1a(text):
    h = 0xCBF29CE484222325
    for c in text:
        h ^= c
        h = (h * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def with_checksum(document):
    document = dict(document)
    document.pop("checksum", None)
    compact = json.dumps(document, sort_keys=True, separators=(",", ":"), ensure_ascii=False).encode("utf-8")
    document["checksum"] = fnv1a(compact)
    return json.dumps(document, sort_keys=True, indent=1).encode("utf-8") + b"\n"


def shard_seeds():
    with open(os.path.join(CORPUS, "simulation_result", "shard"), "rb") as f:
        shard = json.loads(f.read())
    seeds = {}
    # Cells at indices far beyond the grid, and a grid split into the most shards.
    forged = dict(shard)
    forged["cells"] = [dict(shard["cells"][0], cell=4294967295), dict(shard["cells"][0], cell=2147483648)]
    seeds["hostile_cells_beyond_grid"] = with_checksum(forged)
    forged = dict(shard)
    forged["shard"] = {"count": 16777216, "index": 16777216}
    seeds["hostile_most_shards"] = with_checksum(forged)
    # A run declaring a grid of 2.1e9 cells (its fingerprint no longer matches).
    forged = dict(shard)
    run = dict(shard["run"])
    run["pulse_values"] = list(range(2, 65537))[:4096]
    run["noise_levels"] = list(range(0, 4096))
    run["repeats"] = 2147483647
    forged["run"] = run
    seeds["hostile_huge_grid"] = with_checksum(forged)
    seeds["hostile_bom"] = b"\xef\xbb\xbf" + with_checksum(shard)
    seeds["hostile_deep"] = b"[" * 5000 + b"]" * 5000
    seeds["hostile_numbers"] = with_checksum(dict(shard, start_time=9223372036854775807, end_time=0))
    return seeds


def seeds():
    out = {}
    out["sound_reader"] = {
        "hostile_truncated.wav": wav(478, 4000),
        "hostile_placeholder.wav": wav(300, 0xFFFFFFFF // 2)[:40] + b"\xff\xff\xff\xff" + pcm16(300),
        "hostile_odd_data.wav": wav(5, 5)[:-1],
        "hostile_zero_channels.wav": wav(8, 8).replace(fmt_chunk(), fmt_chunk(channels=0)),
        "hostile_stereo_short.wav": wav(100, 9000, channels=2),
        "hostile_rf64.wav": rf64(100, 6, 3),
        "hostile_rf64_max_sizes.wav": rf64(0x7FFFFFFFFFFFFFFF, 0x7FFFFFFFFFFFFFFF, 0x7FFFFFFFFFFFFFFF),
        "hostile_rf64_top_bit.wav": rf64(0xFFFFFFFFFFFFFFFF, 0x8000000000000000, 0xFFFFFFFFFFFFFFFF, data_first=True),
        "hostile_w64.w64": w64(64),
        "hostile_w64_truncated.w64": w64(64, declared_bytes=1 << 40),
        "hostile_w64_huge_chunk.w64": w64(8, declared_bytes=0xFFFFFFFFFFFFFFF0),
        "hostile_aiff_short.aiff": aiff(50, 5000),
        "hostile_ogg_header_only.ogg": b"OggS\x00\x02" + b"\x00" * 8 + b"\x01\x00\x00\x00" + b"\x00" * 8
        + b"\x01\x1e\x01vorbis" + b"\x00" * 40,
    }
    out["npy_reader"] = {
        "hostile_duplicate_shape.npy": npy("{'descr': '<i2', 'fortran_order': False, 'shape': (4,), 'shape': (2,), }",
                                           pcm16(4)),
        "hostile_duplicate_descr.npy": npy("{'descr': '<i2', 'descr': '<f8', 'fortran_order': False, 'shape': (4,), }",
                                           pcm16(4)),
        "hostile_duplicate_order.npy": npy("{'descr': '<i2', 'fortran_order': False, 'fortran_order': True, "
                                           "'shape': (4,), }", pcm16(4)),
        "hostile_huge_shape.npy": npy("{'descr': '<f8', 'fortran_order': False, 'shape': (1152921504606846976,), }",
                                      b"\0" * 16),
        "hostile_overflowing_shape.npy": npy("{'descr': '<i2', 'fortran_order': False, "
                                             "'shape': (4294967296, 4294967296), }", b"\0" * 16),
        "hostile_header_past_end.npy": b"\x93NUMPY\x02\x00\xff\xff\xff\x7f{'descr'",
        "hostile_wide.npy": npy("{'descr': '<i2', 'fortran_order': False, 'shape': (2, 3000), }", pcm16(6000)),
        "hostile_big_endian.npy": npy("{'descr': '>i8', 'fortran_order': False, 'shape': (3,), }",
                                      struct.pack(">3q", -(2 ** 63), 2 ** 63 - 1, 0)),
    }
    out["json_series"] = {
        "hostile_bom.json": b"\xef\xbb\xbf" + json.dumps({"lpNoisyData": [1, -2, 3, 400]}).encode(),
        "hostile_bom_alphabet.json": b"\xef\xbb\xbf" + json.dumps({"etalons": [{"samples": [1, 2, 3]}]}).encode(),
        "hostile_huge_numbers.json": b'{"lpNoisyData": [1e308, -1e308, 1e999, 18446744073709551616]}',
        "hostile_deep.json": b'{"lpNoisyData": ' + b"[" * 3000 + b"]" * 3000 + b"}",
        "hostile_duplicate_key.json": b'{"lpNoisyData": [1, 2], "lpNoisyData": [3]}',
    }
    out["text_reader"] = {
        "hostile_hex_first.txt": b"0x1F\n1\n2\n3\n",
        "hostile_decimal_comma.csv": b"1,5\n2,5\n",
        "hostile_bom_header.csv": b"\xef\xbb\xbftime,value\n0,1\n1,2\n",
        "hostile_nul.txt": b"1\n2\n\x00\x00\x00\n3\n",
        "hostile_utf16.txt": "1\n2\n3\n".encode("utf-16"),
        "hostile_long_line.txt": b"1" * 200000,
        "hostile_crlf_comments.txt": b"# made by hand\r\n1 # one\r\n\r\n2\r\n-3e2\r\n",
        "hostile_nan_first.txt": b"nan\ninf\n-inf\n1\n",
    }
    out["simulation_result"] = shard_seeds()
    out["batch_options"] = {
        "hostile_extremes": b"\n".join([b"9223372036854775807", b"-9223372036854775808", b"18446744073709551616",
                                        b"0x1F", b"-0", b"+", b"1e308", b"", b"65535", b"65536"] * 3),
        "hostile_lists": b"\n".join([b"300", b"40", b"181", b"1," * 30000 + b"1", b"1;2;3;;", b"a,b",
                                     b"recognition", b"36", b"4294967296", b"1,2,3"]),
    }
    out["dialog_fields"] = {
        "hostile_real": b"1e308",
        "hostile_hex": b"0x1F",
        "hostile_long_list": b",".join([b"65535"] * 40),
        "hostile_signs": b"--+-12.5e-400",
    }
    return out


def main():
    written = 0
    for target, files in seeds().items():
        folder = os.path.join(CORPUS, target)
        if not os.path.isdir(folder):
            sys.exit("no corpus folder %s: is every fuzz target listed here?" % folder)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            written += 1
    print("%d seed files written under %s" % (written, CORPUS))


if __name__ == "__main__":
    main()
