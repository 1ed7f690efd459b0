"""folvane-setup.exe as shipped: a 64-bit Windows GUI program that needs no DLL beside it.

Read from the file's PE headers. A console subsystem would open a console window beside the
boxes; a MinGW runtime DLL among the imports would make the program fail to start from a folder
of driver files.
"""

import os
import struct
import unittest
from pathlib import Path

MACHINE_AMD64 = 0x8664
SUBSYSTEM_WINDOWS_GUI = 2
# What every Windows has: the program's three services and the C runtime of the system.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "winspool.drv", "msvcrt.dll"}


def read_pe(path):
    """(machine, subsystem, imported DLL names in lower case) of a PE32+ file."""
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x20B:
        raise ValueError("not PE32+")
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    import_rva = struct.unpack_from("<I", data, optional + 112 + 8)[0]  # data directory 1

    table = optional + optional_size
    section_list = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw in section_list:
            if address <= rva < address + max(size, raw_size):
                return rva - address + raw
        raise ValueError(f"RVA {rva:#x} outside every section")

    names = set()
    entry = offset(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", data, entry + 12)[0]
        if name_rva == 0:
            break
        start = offset(name_rva)
        names.add(data[start:data.index(b"\0", start)].decode("ascii").lower())
        entry += 20
    return machine, subsystem, names


class ProgramFileTest(unittest.TestCase):
    def test_standalone_64_bit_gui_program(self):
        machine, subsystem, dlls = read_pe(Path(os.environ["FOLVANE_WINDOWS_BIN"])
                                           / "folvane-setup.exe")
        self.assertEqual(machine, MACHINE_AMD64)
        self.assertEqual(subsystem, SUBSYSTEM_WINDOWS_GUI)
        self.assertLessEqual(dlls, SYSTEM_DLLS, "a DLL that would have to travel with the exe")
        self.assertIn("winspool.drv", dlls)


if __name__ == "__main__":
    unittest.main()
