#!/usr/bin/env python3
"""Compiles the library's IDL with widl into the C++ header the server
implements and the type library it embeds, and completes the argument
defaults widl cannot write.

widl refuses a string default on a by-reference String (defaultvalue("") on a
BSTR*), and it packs an integer default on a by-reference Variant
(defaultvalue(1) on a VARIANT*) as a value of type Variant, which no reader of
type libraries takes. The IDL states what is meant. widl gets a copy whose
string defaults on BSTR* read 0; in the type library it writes, every default
packed as a String then becomes an empty string, and every default packed as a
Variant a 32-bit integer of the same value, the forms the system's compiler
writes for them. The C++ header gets no default arguments: they belong to
late-bound callers, and a Variant pointer cannot default to 1 in C++.

usage: build-typelib.py WIDL IDL HEADER TYPELIB [widl options...]
"""
import os
import re
import struct
import subprocess
import sys

VT_I4 = 3
VT_BSTR = 8
VT_VARIANT = 12
PACKED = 0x80000000
SEGMENT_CUSTDATA = 11
SEGMENT_COUNT = 15
# An empty string as the custom-data segment stores a value: its type, a
# 32-bit length of 0, and the padding widl writes to a 4-byte boundary.
EMPTY_STRING = struct.pack("<HiH", VT_BSTR, 0, 0x5757)


def widl_source(idl_text):
    return re.sub(r'defaultvalue\(""\)(\]\s*BSTR\s*\*)', r"defaultvalue(0)\1", idl_text)


def run_widl(widl, source, header, typelib, options):
    command = [widl] + options + ["-h", "-H", header, "-t", "-T", typelib, source]
    done = subprocess.run(command, capture_output=True, text=True)
    for line in (done.stdout + done.stderr).splitlines():
        # The Variant defaults this script completes are what widl warns about.
        if line.strip() != "warning: non-null pointer default value":
            print(line, file=sys.stderr)
    if done.returncode != 0:
        sys.exit(done.returncode)


def drop_default_arguments(header):
    text = open(header).read()
    open(header, "w").write(re.sub(r"(\*\s*\w+) = [^,)\n]+", r"\1", text))


def read_int(data, offset):
    return struct.unpack_from("<i", data, offset)[0]


def segment_directory(data):
    flags = read_int(data, 0x14)
    typeinfos = read_int(data, 0x20)
    position = 0x54 + (4 if flags & 0x100 else 0)
    offsets = [read_int(data, position + 4 * i) for i in range(typeinfos)]
    return offsets, position + 4 * typeinfos


def function_defaults(data, typeinfo_offsets, typeinfo_segment):
    """Yields the file offset of every parameter default of every function."""
    for offset in typeinfo_offsets:
        base = typeinfo_segment + offset
        members = read_int(data, base + 4)
        functions = read_int(data, base + 0x18) & 0xFFFF
        if functions == 0 or members < 0 or members >= len(data):
            continue
        record = members + 4
        for _ in range(functions):
            length = read_int(data, record) & 0xFFFF
            has_defaults = read_int(data, record + 16) & 0x1000
            arguments = struct.unpack_from("<h", data, record + 20)[0]
            if has_defaults:
                first = record + length - arguments * 16
                for index in range(arguments):
                    yield first + 4 * index
            record += length


def complete_defaults(path):
    data = bytearray(open(path, "rb").read())
    if data[:4] != b"MSFT":
        sys.exit(f"{path}: not a type library")
    typeinfo_offsets, directory = segment_directory(data)
    typeinfo_segment = read_int(data, directory)
    custdata_entry = directory + 16 * SEGMENT_CUSTDATA

    string_defaults = []
    for position in function_defaults(data, typeinfo_offsets, typeinfo_segment):
        value = struct.unpack_from("<I", data, position)[0]
        if not value & PACKED:
            continue
        kind = (value >> 26) & 0x1F
        if kind == VT_BSTR:
            string_defaults.append(position)
        elif kind == VT_VARIANT:
            struct.pack_into("<I", data, position, PACKED | (VT_I4 << 26) | (value & 0x3FFFFFF))

    if string_defaults:
        # The custom-data segment moves to the end of the file with the empty
        # string after its old contents; readers find segments by the directory.
        old_offset, old_length = struct.unpack_from("<ii", data, custdata_entry)
        old = data[old_offset:old_offset + old_length] if old_offset >= 0 else b""
        while len(data) % 4:
            data.append(0)
        new_offset = len(data)
        data += old + EMPTY_STRING
        struct.pack_into("<ii", data, custdata_entry, new_offset, len(old) + len(EMPTY_STRING))
        for position in string_defaults:
            struct.pack_into("<i", data, position, len(old))

    open(path, "wb").write(data)


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    widl, idl, header, typelib = sys.argv[1:5]
    options = sys.argv[5:] + ["-I", os.path.dirname(os.path.abspath(idl))]
    source = os.path.join(os.path.dirname(os.path.abspath(typelib)), os.path.basename(idl))
    with open(idl) as original, open(source, "w") as copy:
        copy.write(widl_source(original.read()))
    run_widl(widl, source, header, typelib, options)
    drop_default_arguments(header)
    complete_defaults(typelib)


if __name__ == "__main__":
    main()
