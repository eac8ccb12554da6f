"""Writes a zip whose bytes depend only on its files: the given order, one
fixed time for every entry, fixed attributes.

usage: make_zip.py ZIP EPOCH FOLDER NAME...
"""
import sys
import time
import zipfile


def main():
    zip_path, epoch, folder, names = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    # Zip times are local wall-clock fields from 1980 on; UTC keeps them the
    # same on every machine.
    stamp = max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name in names:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0
            with open(f"{folder}/{name}", "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
