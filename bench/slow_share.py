"""A folder as a share across a LAN shows it: a read-only passthrough file
system that answers each request after a delay (2 ms unless told), many
requests at once, with the kernel's default entry and attribute timeouts.
On unmount it prints how many requests of each kind it answered.

usage: slow_share.py FOLDER MOUNTPOINT [MILLISECONDS]   (runs until unmounted)
"""

import collections
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

STAT_FIELDS = ("st_mode", "st_ino", "st_dev", "st_nlink", "st_uid", "st_gid", "st_size", "st_atime", "st_mtime",
               "st_ctime")


class SlowShare(Operations):
    def __init__(self, folder, delay):
        self.folder = os.path.realpath(folder)
        self.delay = delay
        self.requests = collections.Counter()
        self.counting = threading.Lock()

    def __call__(self, op, path, *args):
        with self.counting:
            self.requests[op] += 1
        time.sleep(self.delay)
        try:
            return super().__call__(op, path, *args)
        except OSError as error:
            if isinstance(error, FuseOSError):
                raise
            raise FuseOSError(error.errno or errno.EIO) from error

    def real(self, path):
        return self.folder + path

    def getattr(self, path, fh=None):
        status = os.fstat(fh) if fh is not None else os.lstat(self.real(path))
        return {field: getattr(status, field) for field in STAT_FIELDS}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self.real(path))

    def readlink(self, path):
        return os.readlink(self.real(path))

    def access(self, path, mode):
        if not os.access(self.real(path), mode):
            raise FuseOSError(errno.EACCES)

    def open(self, path, flags):
        return os.open(self.real(path), flags)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)

    def statfs(self, path):
        status = os.statvfs(self.real(path))
        return {field: getattr(status, field) for field in ("f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail",
                                                            "f_files", "f_ffree", "f_favail", "f_flag", "f_namemax")}

    def destroy(self, path):
        answered = ", ".join(f"{op} {count}" for op, count in sorted(self.requests.items()))
        print(f"slow_share.py: answered {sum(self.requests.values())} requests ({answered})", file=sys.stderr)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__.strip())
    delay = float(sys.argv[3]) / 1000 if len(sys.argv) == 4 else 0.002
    FUSE(SlowShare(sys.argv[1], delay), sys.argv[2], foreground=True, nothreads=False, ro=True)


if __name__ == "__main__":
    main()
